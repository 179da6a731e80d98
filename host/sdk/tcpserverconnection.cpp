#include "tcpserverconnection.h"

#include "sdklogging.h"

#include <QCoreApplication>
#include <QTcpSocket>
#include <QTimer>

namespace {

QString notConnectedText()
{
    return QCoreApplication::translate("TcpServerConnection", "Нет соединения с сервером");
}

} // namespace

TcpServerConnection::TcpServerConnection(QObject* parent)
    : OVServerInterface(parent), m_socket(new QTcpSocket(this)), m_reconnectTimeout(new QTimer(this))
{
    m_reconnectTimeout->setSingleShot(true);
    // An unanswered SYN would otherwise keep the socket connecting for minutes.
    connect(m_reconnectTimeout, &QTimer::timeout, this, [this] {
        failReconnect(QCoreApplication::translate("TcpServerConnection", "Сервер не ответил вовремя"));
    });
    connect(m_socket, &QTcpSocket::readyRead, this, &TcpServerConnection::readFrames);
    connect(m_socket, &QTcpSocket::disconnected, this, &TcpServerConnection::onDisconnected);
    connect(m_socket, &QTcpSocket::connected, this, &TcpServerConnection::onConnected);
    connect(m_socket, &QTcpSocket::errorOccurred, this, [this] { failReconnect(m_socket->errorString()); });
}

TcpServerConnection::~TcpServerConnection()
{
    // The socket's disconnected() must not reach a half-destroyed connection.
    m_socket->disconnect(this);
    m_socket->abort();
}

bool TcpServerConnection::connectToServer(const QString& host, quint16 port, int timeoutMs)
{
    if (isConnected() || m_reconnecting)
        disconnectFromServer();
    m_host = host;
    m_port = port;
    m_reader = CommandFrame();
    m_error.clear();
    m_socket->connectToHost(host, port);
    if (!m_socket->waitForConnected(timeoutMs)) {
        m_error = m_socket->errorString();
        qCWarning(lcSdk) << Q_FUNC_INFO << "cannot connect" << host << port << m_error;
        m_socket->abort();
        return false;
    }
    m_connected = true;
    return true;
}

void TcpServerConnection::disconnectFromServer()
{
    // Leaving on purpose is not a loss: no warning, no signal, but nobody waits forever.
    const bool wasConnected = m_connected;
    m_connected = false;
    m_reconnecting = false;
    m_reconnectTimeout->stop();
    m_socket->abort();
    if (wasConnected)
        failPendingReplies(ResultNotConnected, notConnectedText());
}

bool TcpServerConnection::reconnect(int timeoutMs)
{
    if (m_connected || m_reconnecting || m_host.isEmpty())
        return false;
    m_reader = CommandFrame();
    m_error.clear();
    m_reconnecting = true;
    m_socket->abort();
    m_reconnectTimeout->start(timeoutMs);
    m_socket->connectToHost(m_host, m_port);
    return true;
}

void TcpServerConnection::onConnected()
{
    // connectToServer() sees its own success through waitForConnected().
    if (!m_reconnecting)
        return;
    m_reconnecting = false;
    m_reconnectTimeout->stop();
    m_connected = true;
    emit reconnected();
}

void TcpServerConnection::failReconnect(const QString& reason)
{
    // Errors of a connected socket end in disconnected(); a start-up connect reports itself.
    if (!m_reconnecting)
        return;
    m_reconnecting = false;
    m_reconnectTimeout->stop();
    m_error = reason;
    m_socket->abort();
    qCDebug(lcSdk) << Q_FUNC_INFO << "reconnect failed" << m_host << m_port << reason;
    emit reconnectFailed(reason);
}

bool TcpServerConnection::isConnected() const
{
    return m_connected && m_socket->state() == QAbstractSocket::ConnectedState;
}

void TcpServerConnection::transmit(const Command& command)
{
    if (!isConnected()) {
        // Never answer inside send(): callers do not expect re-entrance.
        const Command reply = Command::errorReply(command, ResultNotConnected, notConnectedText());
        QMetaObject::invokeMethod(this, [this, reply] { deliverReply(reply); }, Qt::QueuedConnection);
        return;
    }
    m_socket->write(CommandFrame::encode(command));
}

void TcpServerConnection::readFrames()
{
    m_reader.append(m_socket->readAll());
    Command command;
    while (m_reader.takeCommand(command)) {
        if (command.correlationId != 0)
            deliverReply(command);
        else
            deliverPushed(command);
        // A callback may have closed the connection.
        if (!isConnected())
            return;
    }
    if (m_reader.hasError()) {
        qCWarning(lcSdk) << Q_FUNC_INFO << "malformed frame from the server" << m_reader.errorString();
        m_error = m_reader.errorString();
        m_socket->abort();
    }
}

void TcpServerConnection::onDisconnected()
{
    if (!m_connected)
        return;
    m_connected = false;
    if (m_error.isEmpty())
        m_error = notConnectedText();
    qCWarning(lcSdk) << Q_FUNC_INFO << "connection lost" << m_error;
    failPendingReplies(ResultNotConnected, notConnectedText());
    emit connectionLost(m_error);
}
