#pragma once

#include "command.h"
#include "commandframe.h"
#include "ovserver_export.h"

#include <QHostAddress>
#include <QList>
#include <QMap>
#include <QObject>
#include <QPair>
#include <QPointer>

class QTcpServer;
class QTcpSocket;
class ServerCore;

/// Serves a ServerCore over TCP: every connection gets its own frame reader and number;
/// replies go back to the asker, pushed commands to one connection or to all of them.
class OVSERVER_EXPORT TcpCommandServer : public QObject
{
    Q_OBJECT
public:
    /// core must live on this object's thread and outlive it.
    explicit TcpCommandServer(ServerCore* core, QObject* parent = nullptr);
    ~TcpCommandServer() override;

    /// False with errorString() set when the address cannot be bound (e.g. the port is taken).
    bool listen(const QHostAddress& address, quint16 port);
    QHostAddress serverAddress() const;
    quint16 serverPort() const;
    QString errorString() const;
    int connectionCount() const { return m_connections.size(); }

private:
    struct Connection
    {
        QTcpSocket* socket = nullptr;
        CommandFrame reader;
    };

    void acceptConnections();
    void readRequests(quint64 id);
    void dropConnection(quint64 id);
    void push(const Command& command, quint64 connection);
    void write(quint64 connection, const Command& command);

    QTcpServer* m_server;
    QPointer<ServerCore> m_core;
    /// Ordered, so a broadcast reaches the connections in the order they came.
    QMap<quint64, Connection> m_connections;
    quint64 m_nextConnectionId = 1;
    /// While a request is handled, pushes wait here so the asker gets its reply first.
    bool m_handling = false;
    QList<QPair<Command, quint64>> m_heldPushes;
};
