#include "idallocator.h"

#include "sql.h"

#include <QSqlDriver>

#include <algorithm>

IdAllocator::IdAllocator(const QSqlDatabase& db) : m_db(db) {}

qint64 IdAllocator::next(const QString& table, QString* error)
{
    // Servers sharing a PostgreSQL database take turns: the counter row stays locked until the
    // caller's transaction ends, so it is made first when the table has none yet.
    const bool postgres = m_db.driver() && m_db.driver()->dbmsType() == QSqlDriver::PostgreSQL;
    QSqlQuery query(m_db);
    if (!Sql::prepare(query, QStringLiteral("INSERT INTO id_counters (name, next_value) VALUES (?, 1) "
                                            "ON CONFLICT (name) DO NOTHING"), error))
        return 0;
    query.addBindValue(table);
    if (!Sql::exec(query, error)
        || !Sql::prepare(query, QStringLiteral("SELECT next_value FROM id_counters WHERE name = ?")
                                    + (postgres ? QStringLiteral(" FOR UPDATE") : QString()), error))
        return 0;
    query.addBindValue(table);
    if (!Sql::exec(query, error) || !query.next())
        return 0;
    const qint64 counter = query.value(0).toLongLong();
    // The table name comes from our own code, never from a request.
    if (!Sql::exec(query, QStringLiteral("SELECT COALESCE(MAX(id), 0) + 1 FROM %1").arg(table), error)
        || !query.next())
        return 0;
    const qint64 id = std::max(counter, query.value(0).toLongLong());
    if (!Sql::prepare(query, QStringLiteral("UPDATE id_counters SET next_value = ? WHERE name = ?"), error))
        return 0;
    query.addBindValue(id + 1);
    query.addBindValue(table);
    return Sql::exec(query, error) ? id : 0;
}
