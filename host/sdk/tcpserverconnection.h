#pragma once

#include "commandframe.h"
#include "ovserverinterface.h"
#include "ovsdk_export.h"

#include <QString>

class QTcpSocket;

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
    void disconnectFromServer();
    bool isConnected() const;
    QString errorString() const { return m_error; }

signals:
    /// The connection broke or the server closed it; every pending request has been failed.
    void connectionLost(const QString& reason);

protected:
    void transmit(const Command& command) override;

private:
    void readFrames();
    void onDisconnected();

    QTcpSocket* m_socket;
    CommandFrame m_reader;
    QString m_error;
    bool m_connected = false;
};
