#pragma once

#include "ovserver_export.h"
#include "sqldialect.h"

#include <QDate>
#include <QHash>
#include <QSqlDatabase>
#include <QStringList>

/// The production calendar in SQL: one row per date with its wt::DayKind, the calendar the payroll norm
/// is worked out from. The planning grid shades its days off and holidays by it.
class OVSERVER_EXPORT ProductionCalendarStore
{
public:
    explicit ProductionCalendarStore(const QSqlDatabase& db);

    /// The calendar's table, run by its own migration.
    static QStringList schemaStatements(SqlDialect dialect);

    /// The kinds of the dates within [from, to] the calendar holds; false with *error on an SQL failure.
    bool days(const QDate& from, const QDate& to, QHash<QDate, int>* out, QString* error);
    /// Writes the kinds of the given dates, replacing what the calendar held from the first to the last of them.
    bool replace(const QHash<QDate, int>& days, QString* error);

private:
    QSqlDatabase m_db;
};
