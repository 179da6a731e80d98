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
    // A request may have been sent without a callback; only an unknown id is an error.
    if (!m_pendingReplies.contains(reply.correlationId)) {
        qCWarning(lcSdk) << Q_FUNC_INFO << "reply without request" << reply.name << reply.correlationId;
        return;
    }
    CommandHandler handler = m_pendingReplies.take(reply.correlationId);
    m_pendingRequests.remove(reply.correlationId);
    if (handler)
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
        // An earlier callback may have answered this request already.
        const auto it = m_pendingRequests.constFind(id);
        if (it == m_pendingRequests.constEnd())
            continue;
        deliverReply(Command::errorReply(it.value(), code, message));
    }
}
