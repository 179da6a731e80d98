#include "embeddedserverconnection.h"

#include "servercore.h"
#include "transportlogging.h"

#include <QCoreApplication>

#include <utility>

EmbeddedServerConnection::EmbeddedServerConnection(QObject* parent) : OVServerInterface(parent)
{
    m_thread.setObjectName(QStringLiteral("embedded server"));
}

EmbeddedServerConnection::~EmbeddedServerConnection()
{
    stop();
}

bool EmbeddedServerConnection::start(const QString& databaseUrl, int demoSize, bool resetDemo)
{
    if (m_core) {
        m_error = tr("Сервер уже запущен");
        return false;
    }
    m_error.clear();
    m_thread.start();
    // The core is created on its thread so its database connection and timers belong there.
    ServerCore* core = nullptr;
    QString error;
    auto* threadContext = new QObject;
    threadContext->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, threadContext, &QObject::deleteLater);
    QMetaObject::invokeMethod(
        threadContext,
        [&core, &error, databaseUrl, demoSize, resetDemo] {
            auto* created = new ServerCore;
            if (created->open(databaseUrl, &error) && created->seedDemo(demoSize, resetDemo, &error)) {
                core = created;
                return;
            }
            delete created;
        },
        Qt::BlockingQueuedConnection);
    if (!core) {
        m_error = error;
        qCWarning(lcServerTransport) << Q_FUNC_INFO << "embedded server did not start" << databaseUrl << error;
        m_thread.quit();
        m_thread.wait();
        return false;
    }
    m_core = core;
    connect(m_core, &ServerCore::pushed, m_core, [this](const Command& command, quint64 connection) {
        pushFromCore(command, connection);
    });
    return true;
}

void EmbeddedServerConnection::stop()
{
    if (m_core) {
        ServerCore* core = std::exchange(m_core, nullptr);
        // Requests queued before this run first, against a still open core.
        QMetaObject::invokeMethod(
            core,
            [core] {
                core->close();
                delete core;
            },
            Qt::BlockingQueuedConnection);
    }
    m_thread.quit();
    m_thread.wait();
}

void EmbeddedServerConnection::transmit(const Command& command)
{
    if (!m_core) {
        const Command reply =
            Command::errorReply(command, ResultNotConnected, tr("Нет соединения с сервером"));
        QMetaObject::invokeMethod(this, [this, reply] { deliverReply(reply); }, Qt::QueuedConnection);
        return;
    }
    ServerCore* core = m_core;
    QMetaObject::invokeMethod(
        core, [this, core, command] { handleOnCoreThread(core, command); }, Qt::QueuedConnection);
}

void EmbeddedServerConnection::handleOnCoreThread(ServerCore* core, const Command& request)
{
    m_handling = true;
    const Command reply = core->handle(request, ConnectionId);
    m_handling = false;
    QMetaObject::invokeMethod(this, [this, reply] { deliverReply(reply); }, Qt::QueuedConnection);
    const QList<Command> held = std::exchange(m_heldPushes, {});
    for (const Command& command : held)
        pushFromCore(command, ConnectionId);
}

void EmbeddedServerConnection::pushFromCore(const Command& command, quint64 connection)
{
    if (connection != ConnectionId)
        return;
    if (m_handling) {
        m_heldPushes.append(command);
        return;
    }
    QMetaObject::invokeMethod(this, [this, command] { deliverPushed(command); }, Qt::QueuedConnection);
}
