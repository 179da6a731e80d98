#pragma once

#include "scheduledata.h"

#include <QList>
#include <QSqlDatabase>

/// The schedules table: each schedule with its cycle and shifts; the caller owns the transaction.
class ScheduleStore
{
public:
    explicit ScheduleStore(const QSqlDatabase& db);

    bool all(QList<orvanta::SCHEDULE_DATA>* out, QString* error);
    /// The schedule id; a default one (id 0) when there is none.
    bool find(int id, orvanta::SCHEDULE_DATA* out, QString* error);
    /// Ids of the personal schedules employee owns, ascending.
    bool personalSchedules(orvanta::TYPE_ID employee, QList<int>* out, QString* error);
    /// Stores the schedules with their own ids.
    bool insert(const QList<orvanta::SCHEDULE_DATA>& schedules, QString* error);
    bool remove(int id, bool* found, QString* error);

private:
    bool select(const QString& condition, const QVariantList& values, QList<orvanta::SCHEDULE_DATA>* out,
                QString* error);

    QSqlDatabase m_db;
};
