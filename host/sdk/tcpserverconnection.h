#pragma once

#include "commandframe.h"
#include "ovserverinterface.h"
#include "ovsdk_export.h"

#include <QString>

class QTcpSocket;
class QTimer;

/// The client's connection to an ovserver over TCP.
class OVSDK_EXPORT TcpServerConnection : public OVServerInterface
{
    Q_OBJECT
public:
    static constexpr int DefaultTimeoutMs = 5000;

    explicit TcpServerConnection(QObject* parent = nullptr);
    ~TcpServerConnection() override;

    /// Connects, waiting at most timeoutMs; false with errorString() set when it cannot.
    bool connectToServer(const QString& host, quint16 port, int timeoutMs = DefaultTimeoutMs);
    /// Starts connecting again to the last host and port without waiting; ends with reconnected()
    /// or reconnectFailed(), at the latest after timeoutMs. False when connected, already
    /// connecting or never given an address.
    bool reconnect(int timeoutMs = DefaultTimeoutMs);
    void disconnectFromServer();
    bool isConnected() const;
    QString errorString() const { return m_error; }

signals:
    /// The connection broke or the server closed it; every pending request has been failed.
    void connectionLost(const QString& reason);
    void reconnected();
    void reconnectFailed(const QString& reason);

protected:
    void transmit(const Command& command) override;

private:
    void readFrames();
    void onDisconnected();
    void onConnected();
    void failReconnect(const QString& reason);

    QTcpSocket* m_socket;
    QTimer* m_reconnectTimeout;
    CommandFrame m_reader;
    QString m_error;
    QString m_host;
    quint16 m_port = 0;
    bool m_connected = false;
    bool m_reconnecting = false;
};
