#include "reply.h"

#include "serverlogging.h"

Command Reply::malformed(const Command& request)
{
    qCWarning(lcServerCore) << Q_FUNC_INFO << "payload does not decode" << loggable(request.name)
                            << request.data.size();
    return Command::errorReply(request, ResultMalformed,
                               QStringLiteral("Неверный формат данных команды %1").arg(loggable(request.name)));
}

Command Reply::forbidden(const Command& request, const QString& message)
{
    qCDebug(lcServerCore) << Q_FUNC_INFO << "refused" << loggable(request.name) << message;
    return Command::errorReply(request, ResultForbidden, message);
}

Command Reply::storageFailure(const Command& request, const QString& detail)
{
    qCWarning(lcServerCore) << Q_FUNC_INFO << "storage failed" << loggable(request.name) << detail;
    return Command::errorReply(request, ResultServerError, QStringLiteral("Ошибка базы данных: %1").arg(detail));
}

Command Reply::invalid(const Command& request, const QString& message)
{
    qCDebug(lcServerCore) << Q_FUNC_INFO << "invalid request" << loggable(request.name) << message;
    return Command::errorReply(request, ResultMalformed, message);
}
