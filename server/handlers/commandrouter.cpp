#include "commandrouter.h"

#include "reply.h"
#include "serverlogging.h"
#include "sessionregistry.h"

CommandRouter::CommandRouter(SessionRegistry* sessions) : m_sessions(sessions) {}

void CommandRouter::add(const QString& name, Access access, Handler handler)
{
    m_routes.insert(name, Route{access, std::move(handler)});
}

Command CommandRouter::route(const Command& request, quint64 connection)
{
    const auto found = m_routes.constFind(request.name);
    if (found == m_routes.constEnd()) {
        qCWarning(lcServerCore) << Q_FUNC_INFO << "unknown command" << loggable(request.name) << connection;
        return Command::errorReply(request, ResultUnknownCommand,
                                   QStringLiteral("Неизвестная команда: %1").arg(loggable(request.name)));
    }
    RequestContext context{request, connection, UserAccount()};
    if (found->access == Access::Session) {
        QString error;
        if (!m_sessions->user(request.session, &context.user, &error))
            return Reply::storageFailure(request, error);
        if (!context.user.isValid()) {
            qCDebug(lcServerCore) << Q_FUNC_INFO << "no valid session" << request.name << connection;
            return Command::errorReply(request, ResultUnauthorized,
                                       QStringLiteral("Сеанс не найден или завершён, войдите в систему заново"));
        }
        m_sessions->attach(connection, request.session);
    }
    qCDebug(lcServerCore) << Q_FUNC_INFO << "handle" << request.name << connection << context.user.login;
    return found->handler(context);
}
