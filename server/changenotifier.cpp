#include "changenotifier.h"

#include "accesspolicy.h"
#include "changelog.h"
#include "ovdatastream.h"
#include "servercommands.h"
#include "serverlogging.h"
#include "sessionregistry.h"
#include "sqltransaction.h"

#include <utility>

ChangeNotifier::ChangeNotifier(SessionRegistry* sessions, Sink sink) : m_sessions(sessions), m_sink(std::move(sink)) {}

void ChangeNotifier::setChangeLog(ChangeLog* log, CatchUp catchUp)
{
    m_log = log;
    m_catchUp = std::move(catchUp);
}

template<typename... Args>
void ChangeNotifier::stage(const char* name, const QString& readRole, const Args&... payload)
{
    ChangeLogEntry entry;
    entry.name = QLatin1String(name);
    entry.readRole = readRole;
    OVDataStream stream(&entry.payload, QIODevice::WriteOnly);
    (stream << ... << payload);
    m_staged.append(entry);
}

void ChangeNotifier::dataChanged(const QString& dataname, const QList<orvanta::ObjectInfo>& objects)
{
    if (!objects.isEmpty())
        stage(ServerCommands::DataChanged, AccessPolicy::readRole(dataname), dataname, objects);
}

void ChangeNotifier::dataRemoved(const QString& dataname, const QList<quint32>& ids)
{
    if (!ids.isEmpty())
        stage(ServerCommands::DataRemoved, AccessPolicy::readRole(dataname), dataname, ids);
}

void ChangeNotifier::scheduleChanged(const QList<orvanta::SCHEDULE_DATA>& schedules)
{
    if (!schedules.isEmpty())
        stage(ServerCommands::ScheduleChanged, QString(), schedules);
}

void ChangeNotifier::scheduleBeforeRemove(const QList<quint32>& ids)
{
    if (!ids.isEmpty())
        stage(ServerCommands::ScheduleBeforeRemove, QString(), ids);
}

void ChangeNotifier::scheduleRemoved(const QList<quint32>& ids)
{
    if (!ids.isEmpty())
        stage(ServerCommands::ScheduleRemoved, QString(), ids);
}

bool ChangeNotifier::commit(SqlTransaction& transaction, QString* error)
{
    QList<ChangeLogEntry> staged = std::exchange(m_staged, {});
    if ((m_log && !m_log->append(&staged, error)) || !transaction.commit(error))
        return false;
    // Pushed out of turn they would overtake older changes of other servers.
    if (m_catchUp && !staged.isEmpty() && !m_catchUp(staged.constFirst().sequence - 1))
        return true;
    for (const ChangeLogEntry& entry : qAsConst(staged))
        deliver(entry);
    return true;
}

void ChangeNotifier::deliver(const ChangeLogEntry& entry)
{
    Command command;
    command.result = ResultSuccess;
    command.name = entry.name;
    command.data = entry.payload;
    const QList<QPair<quint64, UserAccount>> audience = m_sessions->connectedUsers();
    for (const auto& each : audience) {
        if (entry.readRole.isEmpty() || each.second.roles.contains(entry.readRole))
            push(command, each.first);
    }
}

void ChangeNotifier::push(const Command& command, quint64 connection)
{
    qCDebug(lcServerCore) << Q_FUNC_INFO << "push" << loggable(command.name) << connection;
    if (m_sink)
        m_sink(command, connection);
}
