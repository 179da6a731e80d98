#include "connectionkeeper.h"

#include "clientsession.h"
#include "sdklogging.h"
#include "tcpserverconnection.h"

#include <QTimer>

ConnectionKeeper::ConnectionKeeper(TcpServerConnection* connection, orvanta::LocalStorage* store, const QString& login,
                                   const QString& password, QObject* parent)
    : QObject(parent)
    , m_connection(connection)
    , m_session(new ClientSession(connection, store, this))
    , m_retry(new QTimer(this))
    , m_login(login)
    , m_password(password)
{
    m_retry->setSingleShot(true);
    connect(m_retry, &QTimer::timeout, this, &ConnectionKeeper::tryToConnect);
    connect(connection, &TcpServerConnection::connectionLost, this, &ConnectionKeeper::connectionLost);
    connect(connection, &TcpServerConnection::reconnectFailed, this, [this] { m_retry->start(RetryMs); });
    connect(connection, &TcpServerConnection::reconnected, this, [this] {
        qCDebug(lcSdk) << Q_FUNC_INFO << "reconnected, logging in again" << m_login;
        m_session->start(m_login, m_password, ClientSession::RefreshStore);
    });
    connect(m_session, &ClientSession::finished, this, &ConnectionKeeper::loginFinished);
}

ConnectionKeeper::~ConnectionKeeper() = default;

void ConnectionKeeper::connectionLost()
{
    m_refused = false;
    m_retry->start(FirstRetryMs);
}

void ConnectionKeeper::tryToConnect()
{
    if (m_connection && !m_connection->reconnect())
        qCWarning(lcSdk) << Q_FUNC_INFO << "reconnect not started, connected" << m_connection->isConnected();
}

void ConnectionKeeper::loginFinished(bool success, const QString& message)
{
    if (success) {
        m_refused = false;
        qCInfo(lcSdk) << Q_FUNC_INFO << "logged in again after a lost connection" << m_login;
        emit restored();
        return;
    }
    // A connection lost during the login is retried through connectionLost().
    if (!m_connection || !m_connection->isConnected())
        return;
    qCWarning(lcSdk) << Q_FUNC_INFO << "login refused after reconnect, next try in" << RefusedRetryMs << "ms" << m_login
                     << message;
    // The server closes a connection without a session after a while; leaving first keeps that
    // from being reported as one more loss.
    m_connection->disconnectFromServer();
    m_retry->start(RefusedRetryMs);
    if (!m_refused) {
        m_refused = true;
        emit loginRefused(message);
    }
}
