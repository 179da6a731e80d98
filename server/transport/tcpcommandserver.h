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
/// replies go back to the asker, pushed commands to the connection the core names. Until a
/// connection has a session it may send only small frames, and only for a while.
class OVSERVER_EXPORT TcpCommandServer : public QObject
{
    Q_OBJECT
public:
    /// What one client may hold of the server.
    struct Limits
    {
        /// The longest frame of a connection without a session.
        quint32 loginFrameSize = 64u * 1024u;
        /// The longest frame of a connection with a session; at most CommandFrame::MaxContentSize.
        quint32 frameSize = CommandFrame::MaxContentSize;
        /// Connections beyond this are closed as soon as they are accepted.
        int connections = 256;
        /// A connection without a session after this long is closed.
        int loginTimeoutMs = 30000;
    };

    /// core must live on this object's thread and outlive it.
    explicit TcpCommandServer(ServerCore* core, QObject* parent = nullptr);
    ~TcpCommandServer() override;

    /// False with errorString() set when the address cannot be bound (e.g. the port is taken).
    bool listen(const QHostAddress& address, quint16 port);
    QHostAddress serverAddress() const;
    quint16 serverPort() const;
    QString errorString() const;
    int connectionCount() const { return m_connections.size(); }
    /// For the connections accepted from now on; the others get the new frame sizes after their next request.
    void setLimits(const Limits& limits) { m_limits = limits; }

private:
    struct Connection
    {
        QTcpSocket* socket = nullptr;
        CommandFrame reader;
    };

    void acceptConnections();
    void readRequests(quint64 id);
    void dropConnection(quint64 id);
    void closeIfWithoutSession(quint64 id);
    quint32 frameSizeOf(quint64 id) const;
    void push(const Command& command, quint64 connection);
    void write(quint64 connection, const Command& command);

    QTcpServer* m_server;
    QPointer<ServerCore> m_core;
    /// Ordered, so a broadcast reaches the connections in the order they came.
    QMap<quint64, Connection> m_connections;
    Limits m_limits;
    quint64 m_nextConnectionId = 1;
    /// While a request is handled, pushes wait here so the asker gets its reply first.
    bool m_handling = false;
    QList<QPair<Command, quint64>> m_heldPushes;
};
