#pragma once

#include <QSqlDatabase>

struct Command;
class CommandRouter;
class SessionRegistry;
struct RequestContext;

/// auth.login and auth.logout: password check and the session that every other command carries.
class AuthHandler
{
public:
    AuthHandler(const QSqlDatabase& db, SessionRegistry* sessions);

    void registerAt(CommandRouter& router);

private:
    Command login(const RequestContext& context);
    Command logout(const RequestContext& context);

    QSqlDatabase m_db;
    SessionRegistry* m_sessions;
};
