#include "ovserverinterface.h"

#include "authdata.h"
#include "sdklogging.h"

OVServerInterface::OVServerInterface(QObject* parent) : QObject(parent) {}

OVServerInterface::~OVServerInterface() = default;

void OVServerInterface::send(const Command& command, CommandHandler onReply)
{
    Command request = command;
    request.correlationId = m_nextCorrelationId++;
    if (request.session.isEmpty())
        request.session = AuthData::sessionId();
    m_pendingReplies.insert(request.correlationId, std::move(onReply));
    m_pendingRequests.insert(request.correlationId, request);
    transmit(request);
}

void OVServerInterface::registerCommandHandler(const QString& name, CommandHandler handler)
{
    m_commandHandlers.insert(name, std::move(handler));
}

void OVServerInterface::unregisterCommandHandler(const QString& name)
{
    m_commandHandlers.remove(name);
}

void OVServerInterface::deliverReply(Command reply)
{
    CommandHandler handler = m_pendingReplies.take(reply.correlationId);
    m_pendingRequests.remove(reply.correlationId);
    if (!handler) {
        qCWarning(lcSdk) << Q_FUNC_INFO << "reply without request" << reply.name << reply.correlationId;
        return;
    }
    handler(reply);
}

void OVServerInterface::deliverPushed(Command command)
{
    const auto it = m_commandHandlers.constFind(command.name);
    if (it != m_commandHandlers.constEnd()) {
        // Copy: the handler may unregister itself while it runs.
        CommandHandler handler = it.value();
        handler(command);
    } else {
        qCDebug(lcSdk) << Q_FUNC_INFO << "no handler for pushed command" << command.name;
    }
    emit commandReceived(command);
}

void OVServerInterface::failPendingReplies(int code, const QString& message)
{
    const QList<quint64> ids = m_pendingRequests.keys();
    for (quint64 id : ids) {
        const Command request = m_pendingRequests.value(id);
        deliverReply(Command::errorReply(request, code, message));
    }
}
