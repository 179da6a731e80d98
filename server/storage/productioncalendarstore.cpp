#include "productioncalendarstore.h"

#include "storagesql.h"

#include <QSqlQuery>

#include <algorithm>

ProductionCalendarStore::ProductionCalendarStore(const QSqlDatabase& db) : m_db(db) {}

QStringList ProductionCalendarStore::schemaStatements(SqlDialect dialect)
{
    if (dialect == SqlDialect::PostgreSql)
        return {QStringLiteral("CREATE TABLE production_calendar (work_date DATE PRIMARY KEY, day_kind INTEGER NOT NULL)")};
    return {QStringLiteral("CREATE TABLE production_calendar (work_date TEXT PRIMARY KEY, day_kind INTEGER NOT NULL) "
                           "WITHOUT ROWID")};
}

bool ProductionCalendarStore::days(const QDate& from, const QDate& to, QHash<QDate, int>* out, QString* error)
{
    out->clear();
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    const QString sql =
        QStringLiteral("SELECT work_date, day_kind FROM production_calendar WHERE work_date >= ? AND work_date <= ?");
    if (!StorageSql::exec(query, sql, {StorageSql::dateValue(from), StorageSql::dateValue(to)}, error, Q_FUNC_INFO))
        return false;
    while (query.next())
        out->insert(StorageSql::readDate(query.value(0)), query.value(1).toInt());
    return true;
}

bool ProductionCalendarStore::replace(const QHash<QDate, int>& days, QString* error)
{
    if (days.isEmpty())
        return true;
    QList<QDate> dates = days.keys();
    std::sort(dates.begin(), dates.end());
    QSqlQuery query(m_db);
    if (!StorageSql::exec(query, QStringLiteral("DELETE FROM production_calendar WHERE work_date >= ? AND work_date <= ?"),
                          {StorageSql::dateValue(dates.first()), StorageSql::dateValue(dates.last())}, error,
                          Q_FUNC_INFO))
        return false;
    QList<QVariantList> rows;
    rows.reserve(dates.size());
    for (const QDate& date : qAsConst(dates))
        rows.append({StorageSql::dateValue(date), days.value(date)});
    return StorageSql::insertRows(m_db, QStringLiteral("production_calendar"),
                                  {QStringLiteral("work_date"), QStringLiteral("day_kind")}, rows, error, Q_FUNC_INFO);
}
