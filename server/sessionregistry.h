#pragma once

#include "useraccount.h"

#include <QByteArray>
#include <QHash>
#include <QSqlDatabase>

/// The open sessions: a random token per login, kept in the sessions table (so a restarted
/// server still knows them) and cached with the user's account.
class SessionRegistry
{
public:
    explicit SessionRegistry(const QSqlDatabase& db);

    /// A new session of user; an empty token with error set on failure.
    QByteArray open(const UserAccount& user, QString* error);
    /// The account of the session token; an invalid account when the token is unknown.
    bool user(const QByteArray& token, UserAccount* out, QString* error);
    bool close(const QByteArray& token, QString* error);
    /// Forgets the cached accounts (after the users table changed underneath).
    void clearCache() { m_cache.clear(); }

private:
    QSqlDatabase m_db;
    QHash<QByteArray, UserAccount> m_cache;
};
