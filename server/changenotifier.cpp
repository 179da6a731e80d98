#include "changenotifier.h"

#include "accesspolicy.h"
#include "ovdatastream.h"
#include "servercommands.h"
#include "serverlogging.h"
#include "sessionregistry.h"

ChangeNotifier::ChangeNotifier(SessionRegistry* sessions, Sink sink) : m_sessions(sessions), m_sink(std::move(sink)) {}

template<typename... Args>
void ChangeNotifier::broadcast(const char* name, const QString& readRole, const Args&... payload)
{
    Command command;
    command.result = ResultSuccess;
    command.name = QLatin1String(name);
    OVDataStream stream(&command.data, QIODevice::WriteOnly);
    (stream << ... << payload);
    const QList<QPair<quint64, UserAccount>> audience = m_sessions->connectedUsers();
    for (const auto& each : audience) {
        if (readRole.isEmpty() || each.second.roles.contains(readRole))
            push(command, each.first);
    }
}

void ChangeNotifier::dataChanged(const QString& dataname, const QList<orvanta::ObjectInfo>& objects)
{
    if (!objects.isEmpty())
        broadcast(ServerCommands::DataChanged, AccessPolicy::readRole(dataname), dataname, objects);
}

void ChangeNotifier::dataRemoved(const QString& dataname, const QList<quint32>& ids)
{
    if (!ids.isEmpty())
        broadcast(ServerCommands::DataRemoved, AccessPolicy::readRole(dataname), dataname, ids);
}

void ChangeNotifier::scheduleChanged(const QList<orvanta::SCHEDULE_DATA>& schedules)
{
    if (!schedules.isEmpty())
        broadcast(ServerCommands::ScheduleChanged, QString(), schedules);
}

void ChangeNotifier::scheduleBeforeRemove(const QList<quint32>& ids)
{
    if (!ids.isEmpty())
        broadcast(ServerCommands::ScheduleBeforeRemove, QString(), ids);
}

void ChangeNotifier::scheduleRemoved(const QList<quint32>& ids)
{
    if (!ids.isEmpty())
        broadcast(ServerCommands::ScheduleRemoved, QString(), ids);
}

void ChangeNotifier::push(const Command& command, quint64 connection)
{
    qCDebug(lcServerCore) << Q_FUNC_INFO << "push" << loggable(command.name) << connection;
    if (m_sink)
        m_sink(command, connection);
}
