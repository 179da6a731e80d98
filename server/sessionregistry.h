#pragma once

#include "useraccount.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMap>
#include <QPair>
#include <QSqlDatabase>

#include <functional>

class ChangeLog;

/// The open sessions: a random token per login, kept in the sessions table (so a restarted
/// server, or another one on the same database, knows them) and cached with the user's account;
/// and the session each connection last used, which decides what is pushed to it.
class SessionRegistry
{
public:
    explicit SessionRegistry(const QSqlDatabase& db);

    /// Closed sessions are recorded in log too, so the other servers forget them (nullptr: no log).
    void setChangeLog(ChangeLog* log) { m_log = log; }
    /// Told the token of each session that ends here or is forgotten; one listener, empty for none.
    void setSessionEnded(std::function<void(const QByteArray& token)> ended) { m_ended = std::move(ended); }
    /// A new session of user; an empty token with error set on failure.
    QByteArray open(const UserAccount& user, QString* error);
    /// The account of the session token; an invalid account when the token is unknown.
    bool user(const QByteArray& token, UserAccount* out, QString* error);
    /// Ends the session and unbinds the connections that used it.
    bool close(const QByteArray& token, QString* error);
    /// Drops the cached session and unbinds its connections: another server closed it.
    void forget(const QByteArray& token);
    /// Binds connection to token, a session that has just been checked.
    void attach(quint64 connection, const QByteArray& token) { m_connections.insert(connection, token); }
    void detach(quint64 connection) { m_connections.remove(connection); }
    bool hasSession(quint64 connection) const { return m_connections.contains(connection); }
    /// The session connection last used; empty when none is open on it.
    QByteArray session(quint64 connection) const { return m_connections.value(connection); }
    /// The connections bound to a session that is still open, with its account, in connection order.
    QList<QPair<quint64, UserAccount>> connectedUsers();
    /// Forgets the cached accounts (after the users table changed underneath).
    void clearCache() { m_cache.clear(); }

private:
    QSqlDatabase m_db;
    ChangeLog* m_log = nullptr;
    std::function<void(const QByteArray&)> m_ended;
    QHash<QByteArray, UserAccount> m_cache;
    QMap<quint64, QByteArray> m_connections;
};
