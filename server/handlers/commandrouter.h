#pragma once

#include "command.h"
#include "requestcontext.h"

#include <QHash>
#include <QString>

#include <functional>

class SessionRegistry;

/// Finds the handler of a command by name and lets it run only with the access it needs.
class CommandRouter
{
public:
    enum class Access { Anyone, Session };
    using Handler = std::function<Command(const RequestContext&)>;

    explicit CommandRouter(SessionRegistry* sessions);

    void add(const QString& name, Access access, Handler handler);
    /// The handler's reply, or 404 for an unknown command, 401 without a valid session.
    Command route(const Command& request, quint64 connection);

private:
    struct Route
    {
        Access access = Access::Session;
        Handler handler;
    };

    SessionRegistry* m_sessions;
    QHash<QString, Route> m_routes;
};
