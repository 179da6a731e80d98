#pragma once

#include "demoorganisation.h"
#include "sqldialect.h"

#include <QSqlDatabase>

/// Writes a demo organisation into an empty database in one transaction, or empties one.
class DemoSeeder
{
public:
    DemoSeeder(const QSqlDatabase& db, SqlDialect dialect);

    /// Whether the database holds no objects.
    bool isEmpty(bool* empty, QString* error);
    /// Deletes every row of every table (the schema stays).
    bool clear(QString* error);
    /// Stores organisation; planned time is computed for the year of today.
    bool seed(const DemoOrganisation& organisation, const QDate& today, QString* error);

private:
    bool seedObjects(const DemoOrganisation& organisation, QString* error);
    bool seedUsers(const QList<DemoUser>& users, QString* error);
    bool seedWorkerData(const DemoOrganisation& organisation, QString* error);
    bool seedCalendarDays(const QHash<int, QList<orvanta::SCHEDULE_CALENDAR_DAY>>& calendarDays, QString* error);
    bool seedProductionCalendar(const QList<orvanta::WORKER_NORM_TIME>& normTime, QString* error);
    QStringList tables(QString* error);
    /// Refreshes the planner statistics after a seed (PostgreSQL only).
    void analyse();

    QSqlDatabase m_db;
    SqlDialect m_dialect;
};
