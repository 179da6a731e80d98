#include "tcpcommandserver.h"

#include "servercore.h"
#include "transportlogging.h"

#include <QTcpServer>
#include <QTcpSocket>

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
        const quint64 id = m_nextConnectionId++;
        m_connections.insert(id, Connection{socket, CommandFrame()});
        connect(socket, &QTcpSocket::readyRead, this, [this, id] { readRequests(id); });
        connect(socket, &QTcpSocket::disconnected, this, [this, id] { dropConnection(id); });
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

void TcpCommandServer::push(const Command& command, quint64 connection)
{
    if (m_handling) {
        m_heldPushes.append({command, connection});
        return;
    }
    if (connection != 0) {
        write(connection, command);
        return;
    }
    const QByteArray frame = CommandFrame::encode(command);
    for (const Connection& each : qAsConst(m_connections))
        each.socket->write(frame);
}

void TcpCommandServer::write(quint64 connection, const Command& command)
{
    const auto it = m_connections.constFind(connection);
    if (it == m_connections.constEnd()) {
        qCDebug(lcServerTransport) << Q_FUNC_INFO << "connection gone, dropped" << command.name << connection;
        return;
    }
    it->socket->write(CommandFrame::encode(command));
}
