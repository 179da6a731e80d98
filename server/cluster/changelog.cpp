#include "changelog.h"

#include "sql.h"
#include "storagesql.h"

#include <QSqlError>
#include <QSqlQuery>

ChangeLog::ChangeLog(const QSqlDatabase& db, const QString& origin) : m_db(db), m_origin(origin) {}

bool ChangeLog::append(QList<ChangeLogEntry>* entries, QString* error)
{
    if (entries->isEmpty())
        return true;
    QSqlQuery query(m_db);
    // Already held when the transaction took it first; taken here for one that did not.
    if (!StorageSql::exec(query, QStringLiteral("SELECT pg_advisory_xact_lock(?)"), {WriteLock}, error, Q_FUNC_INFO))
        return false;
    const QString insert = QStringLiteral("INSERT INTO change_log (created, origin, name, read_role, payload) "
                                          "VALUES (?, ?, ?, ?, ?) RETURNING seq");
    const QVariant created = Sql::moment(QDateTime::currentDateTimeUtc());
    for (ChangeLogEntry& entry : *entries) {
        entry.origin = m_origin;
        if (!StorageSql::exec(query, insert, {created, m_origin, entry.name, StorageSql::textValue(entry.readRole),
                                              entry.payload}, error, Q_FUNC_INFO))
            return false;
        if (!query.next()) {
            StorageSql::setError(error, QStringLiteral("change log insert returned no sequence"));
            return false;
        }
        entry.sequence = query.value(0).toLongLong();
    }
    return StorageSql::exec(query, QStringLiteral("SELECT pg_notify(?, ?)"),
                            {QLatin1String(Channel), QString::number(entries->constLast().sequence)}, error,
                            Q_FUNC_INFO);
}

bool ChangeLog::read(qint64 after, qint64 upTo, int limit, QList<ChangeLogEntry>* out, QString* error)
{
    out->clear();
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    // Quiet on failure: a lost connection fails every poll until it is back, the caller logs it once.
    if (!query.prepare(QStringLiteral("SELECT seq, origin, name, read_role, payload FROM change_log "
                                      "WHERE seq > ? AND seq <= ? ORDER BY seq LIMIT ?"))) {
        StorageSql::setError(error, query.lastError().text());
        return false;
    }
    query.addBindValue(after);
    query.addBindValue(upTo);
    query.addBindValue(limit);
    if (!query.exec()) {
        StorageSql::setError(error, query.lastError().text());
        return false;
    }
    while (query.next()) {
        out->append({query.value(0).toLongLong(), query.value(1).toString(), query.value(2).toString(),
                     query.value(3).toString(), query.value(4).toByteArray()});
    }
    return true;
}

bool ChangeLog::bounds(qint64* first, qint64* last, QString* error)
{
    QSqlQuery query(m_db);
    if (!query.exec(QStringLiteral("SELECT COALESCE(MIN(seq), 0), COALESCE(MAX(seq), 0) FROM change_log"))
        || !query.next()) {
        StorageSql::setError(error, query.lastError().text());
        return false;
    }
    *first = query.value(0).toLongLong();
    *last = query.value(1).toLongLong();
    return true;
}

bool ChangeLog::trim(const QDateTime& keepSince, int keepRows, QString* error)
{
    QSqlQuery query(m_db);
    return StorageSql::exec(query,
                            QStringLiteral("DELETE FROM change_log WHERE created < ? "
                                           "OR seq <= (SELECT MAX(seq) FROM change_log) - ?"),
                            {Sql::moment(keepSince.toUTC()), keepRows}, error, Q_FUNC_INFO);
}
