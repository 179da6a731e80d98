#include "tcpserverconnection.h"

#include "sdklogging.h"

#include <QCoreApplication>
#include <QTcpSocket>

namespace {

QString notConnectedText()
{
    return QCoreApplication::translate("TcpServerConnection", "Нет соединения с сервером");
}

} // namespace

TcpServerConnection::TcpServerConnection(QObject* parent) : OVServerInterface(parent), m_socket(new QTcpSocket(this))
{
    connect(m_socket, &QTcpSocket::readyRead, this, &TcpServerConnection::readFrames);
    connect(m_socket, &QTcpSocket::disconnected, this, &TcpServerConnection::onDisconnected);
}

TcpServerConnection::~TcpServerConnection()
{
    // The socket's disconnected() must not reach a half-destroyed connection.
    m_socket->disconnect(this);
    m_socket->abort();
}

bool TcpServerConnection::connectToServer(const QString& host, quint16 port, int timeoutMs)
{
    if (isConnected())
        disconnectFromServer();
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
    m_socket->abort();
    if (wasConnected)
        failPendingReplies(ResultNotConnected, notConnectedText());
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
