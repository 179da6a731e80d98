#include "authhandler.h"

#include "commandrouter.h"
#include "payloadreader.h"
#include "reply.h"
#include "servercommands.h"
#include "serverlogging.h"
#include "sessionregistry.h"
#include "userstore.h"

AuthHandler::AuthHandler(const QSqlDatabase& db, SessionRegistry* sessions) : m_db(db), m_sessions(sessions) {}

void AuthHandler::registerAt(CommandRouter& router)
{
    router.add(QLatin1String(ServerCommands::Login), CommandRouter::Access::Anyone,
               [this](const RequestContext& context) { return login(context); });
    router.add(QLatin1String(ServerCommands::Logout), CommandRouter::Access::Session,
               [this](const RequestContext& context) { return logout(context); });
}

Command AuthHandler::login(const RequestContext& context)
{
    QString login;
    QString password;
    PayloadReader reader(context.request.data);
    reader >> login >> password;
    if (!reader.isComplete())
        return Reply::malformed(context.request);
    UserAccount user;
    QString error;
    if (!UserStore(m_db).authenticate(login, password, &user, &error))
        return Reply::storageFailure(context.request, error);
    if (!user.isValid()) {
        qCInfo(lcServerCore) << Q_FUNC_INFO << "login refused" << loggable(login) << context.connection;
        return Command::errorReply(context.request, ResultUnauthorized,
                                   QStringLiteral("Неверное имя пользователя или пароль"));
    }
    const QByteArray session = m_sessions->open(user, &error);
    if (session.isEmpty())
        return Reply::storageFailure(context.request, error);
    m_sessions->attach(context.connection, session);
    qCInfo(lcServerCore) << Q_FUNC_INFO << "logged in" << login << context.connection;
    return Reply::ok(context.request, session, quint32(user.id), user.roles, user.workTimePlanning,
                     user.absenceReasons);
}

Command AuthHandler::logout(const RequestContext& context)
{
    QString error;
    if (!m_sessions->close(context.request.session, &error))
        return Reply::storageFailure(context.request, error);
    return Reply::ok(context.request);
}
