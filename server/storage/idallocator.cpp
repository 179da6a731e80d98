#include "idallocator.h"

#include "sql.h"

#include <algorithm>

IdAllocator::IdAllocator(const QSqlDatabase& db) : m_db(db) {}

qint64 IdAllocator::next(const QString& table, QString* error)
{
    QSqlQuery query(m_db);
    if (!Sql::prepare(query, QStringLiteral("SELECT next_value FROM id_counters WHERE name = ?"), error))
        return 0;
    query.addBindValue(table);
    if (!Sql::exec(query, error))
        return 0;
    const bool counterExists = query.next();
    const qint64 counter = counterExists ? query.value(0).toLongLong() : 1;
    // The table name comes from our own code, never from a request.
    if (!Sql::exec(query, QStringLiteral("SELECT COALESCE(MAX(id), 0) + 1 FROM %1").arg(table), error)
        || !query.next())
        return 0;
    const qint64 id = std::max(counter, query.value(0).toLongLong());
    const QString store = counterExists ? QStringLiteral("UPDATE id_counters SET next_value = ? WHERE name = ?")
                                        : QStringLiteral("INSERT INTO id_counters (next_value, name) VALUES (?, ?)");
    if (!Sql::prepare(query, store, error))
        return 0;
    query.addBindValue(id + 1);
    query.addBindValue(table);
    return Sql::exec(query, error) ? id : 0;
}
