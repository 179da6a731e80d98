#include "sessionregistry.h"

#include "changelog.h"
#include "serverlogging.h"
#include "sql.h"
#include "sqltransaction.h"
#include "userstore.h"

#include <QDateTime>
#include <QRandomGenerator>

SessionRegistry::SessionRegistry(const QSqlDatabase& db) : m_db(db) {}

QByteArray SessionRegistry::open(const UserAccount& user, QString* error)
{
    QByteArray random(32, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(random.data()), random.size() / 4);
    const QByteArray token = random.toHex();
    QSqlQuery query(m_db);
    if (!Sql::prepare(query, QStringLiteral("INSERT INTO sessions (token, user_id, created) VALUES (?, ?, ?)"), error))
        return QByteArray();
    query.addBindValue(QString::fromLatin1(token));
    query.addBindValue(qint64(user.id));
    query.addBindValue(Sql::moment(QDateTime::currentDateTime()));
    if (!Sql::exec(query, error))
        return QByteArray();
    m_cache.insert(token, user);
    return token;
}

bool SessionRegistry::user(const QByteArray& token, UserAccount* out, QString* error)
{
    *out = UserAccount();
    if (token.isEmpty())
        return true;
    const auto cached = m_cache.constFind(token);
    if (cached != m_cache.constEnd()) {
        *out = cached.value();
        return true;
    }
    QSqlQuery query(m_db);
    if (!Sql::prepare(query, QStringLiteral("SELECT user_id FROM sessions WHERE token = ?"), error))
        return false;
    query.addBindValue(QString::fromLatin1(token));
    if (!Sql::exec(query, error))
        return false;
    if (!query.next())
        return true;
    if (!UserStore(m_db).find(orvanta::TYPE_ID(query.value(0).toLongLong()), out, error))
        return false;
    if (out->isValid())
        m_cache.insert(token, *out);
    return true;
}

bool SessionRegistry::close(const QByteArray& token, QString* error)
{
    forget(token);
    SqlTransaction transaction(m_db);
    QSqlQuery query(m_db);
    if (!Sql::prepare(query, QStringLiteral("DELETE FROM sessions WHERE token = ?"), error))
        return false;
    query.addBindValue(QString::fromLatin1(token));
    if (!Sql::exec(query, error))
        return false;
    QList<ChangeLogEntry> closed{{0, QString(), QLatin1String(ChangeLogEntry::SessionClosed), QString(), token}};
    return (!m_log || m_log->append(&closed, error)) && transaction.commit(error);
}

void SessionRegistry::forget(const QByteArray& token)
{
    m_cache.remove(token);
    for (auto it = m_connections.begin(); it != m_connections.end();)
        it = it.value() == token ? m_connections.erase(it) : std::next(it);
    if (m_ended)
        m_ended(token);
}

QList<QPair<quint64, UserAccount>> SessionRegistry::connectedUsers()
{
    QList<QPair<quint64, UserAccount>> result;
    for (auto it = m_connections.constBegin(); it != m_connections.constEnd(); ++it) {
        UserAccount account;
        QString error;
        if (!user(it.value(), &account, &error))
            qCWarning(lcServerCore) << Q_FUNC_INFO << "session not read" << it.key() << error;
        if (account.isValid())
            result.append({it.key(), account});
    }
    return result;
}
