#pragma once

#include "ovserver_export.h"
#include "ovserverinterface.h"

#include <QString>
#include <QThread>

class ServerCore;

/// The planner's in-process server: a ServerCore on its own thread with its own database
/// connection. Requests are queued to that thread; replies and pushed commands come back
/// queued to the thread of this object, as they would over TCP.
class OVSERVER_EXPORT EmbeddedServerConnection : public OVServerInterface
{
    Q_OBJECT
public:
    /// The connection number the core sees for this client.
    static constexpr quint64 ConnectionId = 1;

    explicit EmbeddedServerConnection(QObject* parent = nullptr);
    /// Closes the core on its thread and stops the thread.
    ~EmbeddedServerConnection() override;

    /// Starts the core thread, opens databaseUrl ("sqlite:PATH", ...) and seeds the demo of
    /// demoSize employees when the database is empty (emptied first with resetDemo). Blocks
    /// until done; false with errorString() set when the database cannot be opened or seeded.
    bool start(const QString& databaseUrl, int demoSize, bool resetDemo);
    bool isStarted() const { return m_core != nullptr; }
    QString errorString() const { return m_error; }

protected:
    void transmit(const Command& command) override;

private:
    void stop();
    /// Runs on the core thread.
    void handleOnCoreThread(ServerCore* core, const Command& request);
    void pushFromCore(const Command& command, quint64 connection);

    QThread m_thread;
    /// Created, used and deleted on m_thread only.
    ServerCore* m_core = nullptr;
    QString m_error;
    /// Core thread only: pushes made while a request is handled follow its reply.
    bool m_handling = false;
    QList<Command> m_heldPushes;
};
