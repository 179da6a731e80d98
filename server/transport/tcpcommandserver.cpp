#include "tcpcommandserver.h"

#include "servercore.h"
#include "serverlogging.h"
#include "transportlogging.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <utility>

namespace {

QString peerOf(const QTcpSocket* socket)
{
    return socket->peerAddress().toString() + QLatin1Char(':') + QString::number(socket->peerPort());
}

} // namespace

TcpCommandServer::TcpCommandServer(ServerCore* core, QObject* parent)
    : QObject(parent), m_server(new QTcpServer(this)), m_core(core)
{
    connect(m_server, &QTcpServer::newConnection, this, &TcpCommandServer::acceptConnections);
    connect(core, &ServerCore::pushed, this, &TcpCommandServer::push);
}

TcpCommandServer::~TcpCommandServer()
{
    const QList<quint64> ids = m_connections.keys();
    for (quint64 id : ids)
        dropConnection(id);
}

bool TcpCommandServer::listen(const QHostAddress& address, quint16 port)
{
    return m_server->listen(address, port);
}

QHostAddress TcpCommandServer::serverAddress() const
{
    return m_server->serverAddress();
}

quint16 TcpCommandServer::serverPort() const
{
    return m_server->serverPort();
}

QString TcpCommandServer::errorString() const
{
    return m_server->errorString();
}

void TcpCommandServer::acceptConnections()
{
    while (QTcpSocket* socket = m_server->nextPendingConnection()) {
        if (m_connections.size() >= m_limits.connections) {
            qCWarning(lcServerTransport) << Q_FUNC_INFO << "connection limit" << m_limits.connections
                                         << "reached, refused" << qUtf8Printable(peerOf(socket));
            socket->abort();
            socket->deleteLater();
            continue;
        }
        const quint64 id = m_nextConnectionId++;
        Connection connection{socket, CommandFrame()};
        connection.reader.setMaxContentSize(m_limits.loginFrameSize);
        m_connections.insert(id, connection);
        connect(socket, &QTcpSocket::readyRead, this, [this, id] { readRequests(id); });
        connect(socket, &QTcpSocket::disconnected, this, [this, id] { dropConnection(id); });
        QTimer::singleShot(m_limits.loginTimeoutMs, socket, [this, id] { closeIfWithoutSession(id); });
        qCDebug(lcServerTransport) << Q_FUNC_INFO << "connection" << id << "from" << qUtf8Printable(peerOf(socket));
    }
}

void TcpCommandServer::readRequests(quint64 id)
{
    auto it = m_connections.find(id);
    if (it == m_connections.end())
        return;
    QTcpSocket* socket = it->socket;
    it->reader.append(socket->readAll());
    Command request;
    // Look the connection up again each time: handling a request may drop connections.
    while ((it = m_connections.find(id)) != m_connections.end() && it->reader.takeCommand(request)) {
        if (!m_core) {
            write(id, Command::errorReply(request, ResultServerError, tr("Сервер остановлен")));
            continue;
        }
        m_handling = true;
        const Command reply = m_core->handle(request, id);
        m_handling = false;
        write(id, reply);
        // A login opens the connection to bigger frames, a logout closes it again.
        const auto handled = m_connections.find(id);
        if (handled != m_connections.end())
            handled->reader.setMaxContentSize(frameSizeOf(id));
        const QList<QPair<Command, quint64>> held = std::exchange(m_heldPushes, {});
        for (const auto& pushed : held)
            push(pushed.first, pushed.second);
    }
    if (it != m_connections.end() && it->reader.hasError()) {
        qCWarning(lcServerTransport) << Q_FUNC_INFO << "malformed frame from" << qUtf8Printable(peerOf(socket))
                                     << "connection" << id << it->reader.errorString() << "- closing it";
        dropConnection(id);
    }
}

void TcpCommandServer::dropConnection(quint64 id)
{
    const auto it = m_connections.find(id);
    if (it == m_connections.end())
        return;
    QTcpSocket* socket = it->socket;
    m_connections.erase(it);
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
    qCDebug(lcServerTransport) << Q_FUNC_INFO << "connection" << id << "closed";
    if (m_core)
        m_core->connectionClosed(id);
}

void TcpCommandServer::closeIfWithoutSession(quint64 id)
{
    if (!m_connections.contains(id) || (m_core && m_core->hasSession(id)))
        return;
    qCInfo(lcServerTransport) << Q_FUNC_INFO << "no session after" << m_limits.loginTimeoutMs << "ms, closing"
                              << qUtf8Printable(peerOf(m_connections.value(id).socket));
    dropConnection(id);
}

quint32 TcpCommandServer::frameSizeOf(quint64 id) const
{
    return m_core && m_core->hasSession(id) ? m_limits.frameSize : m_limits.loginFrameSize;
}

void TcpCommandServer::push(const Command& command, quint64 connection)
{
    if (m_handling)
        m_heldPushes.append({command, connection});
    else
        write(connection, command);
}

void TcpCommandServer::write(quint64 connection, const Command& command)
{
    const auto it = m_connections.constFind(connection);
    if (it == m_connections.constEnd()) {
        qCDebug(lcServerTransport) << Q_FUNC_INFO << "connection gone, dropped" << loggable(command.name) << connection;
        return;
    }
    it->socket->write(CommandFrame::encode(command));
}
