#pragma once

#include "command.h"
#include "ovsdk_export.h"

#include <QHash>
#include <QObject>

#include <functional>

/// The client's connection to the server: requests with reply callbacks, and the
/// commands the server pushes. Replies and pushed commands arrive on the GUI thread.
class OVSDK_EXPORT OVServerInterface : public QObject
{
    Q_OBJECT
public:
    using CommandHandler = std::function<void(Command&)>;

    explicit OVServerInterface(QObject* parent = nullptr);
    ~OVServerInterface() override;

    /// Sends command; onReply gets the reply exactly once, also when the connection fails.
    void send(const Command& command, CommandHandler onReply);
    /// Every pushed command named name is passed to handler from now on.
    void registerCommandHandler(const QString& name, CommandHandler handler);
    void unregisterCommandHandler(const QString& name);
    int pendingReplyCount() const { return m_pendingReplies.size(); }

signals:
    /// A command the server pushed, after the registered handler (if any) has seen it.
    void commandReceived(const Command& command);

protected:
    /// Hands the command to the transport; the transport answers with deliverReply.
    virtual void transmit(const Command& command) = 0;
    void deliverReply(Command reply);
    void deliverPushed(Command command);
    /// Answers every outstanding request with an error (the connection is gone).
    void failPendingReplies(int code, const QString& message);

private:
    quint64 m_nextCorrelationId = 1;
    QHash<quint64, CommandHandler> m_pendingReplies;
    QHash<quint64, Command> m_pendingRequests;
    QHash<QString, CommandHandler> m_commandHandlers;
};
