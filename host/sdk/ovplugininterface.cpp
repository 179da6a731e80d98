#include "ovplugininterface.h"

#include "ovserverinterface.h"
#include "sdklogging.h"

#include <QCoreApplication>
#include <QTimer>

OVPluginInterface::OVPluginInterface() = default;

OVPluginInterface::~OVPluginInterface()
{
    uninit();
}

QList<CommandType> OVPluginInterface::init(OVServerInterface* server, const QString& name)
{
    m_server = server;
    Q_UNUSED(name)
    return {};
}

void OVPluginInterface::uninit()
{
    if (m_server) {
        for (const QString& handlerName : qAsConst(m_handlerNames))
            m_server->unregisterCommandHandler(handlerName);
    }
    m_handlerNames.clear();
    m_server = nullptr;
}

void OVPluginInterface::initOnExchangeReady() {}

QObject* OVPluginInterface::object()
{
    return dynamic_cast<QObject*>(this);
}

QStringList OVPluginInterface::requireList() const
{
    return {};
}

void OVPluginInterface::registerCommandHandler(const CommandType& type, std::function<void(Command&)> handler)
{
    if (!m_server) {
        qCWarning(lcSdk) << Q_FUNC_INFO << "no server connection, handler not registered" << type.name;
        return;
    }
    m_server->registerCommandHandler(type.name, std::move(handler));
    m_handlerNames.append(type.name);
}

Command OVPluginInterface::newCommand() const
{
    Command command;
    command.kind = 1;
    return command;
}

void OVPluginInterface::sendQuery(const Command& command, std::function<void(Command&)> onReply)
{
    if (m_server) {
        m_server->send(command, std::move(onReply));
        return;
    }
    qCWarning(lcSdk) << Q_FUNC_INFO << "no server connection" << command.name;
    const Command reply = Command::errorReply(command, ResultNotConnected,
                                              QCoreApplication::translate("OVPluginInterface", "Нет соединения с сервером"));
    QTimer::singleShot(0, [reply, onReply = std::move(onReply)]() mutable {
        Command copy = reply;
        if (onReply)
            onReply(copy);
    });
}

OVServerInterface* OVPluginInterface::server() const
{
    return m_server;
}
