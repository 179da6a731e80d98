#include "changenotifier.h"

#include "ovdatastream.h"
#include "servercommands.h"
#include "serverlogging.h"

ChangeNotifier::ChangeNotifier(Sink sink) : m_sink(std::move(sink)) {}

template<typename... Args>
void ChangeNotifier::broadcast(const char* name, const Args&... payload)
{
    Command command;
    command.result = ResultSuccess;
    command.name = QLatin1String(name);
    OVDataStream stream(&command.data, QIODevice::WriteOnly);
    (stream << ... << payload);
    push(command, 0);
}

void ChangeNotifier::dataChanged(const QString& dataname, const QList<orvanta::ObjectInfo>& objects)
{
    if (!objects.isEmpty())
        broadcast(ServerCommands::DataChanged, dataname, objects);
}

void ChangeNotifier::dataRemoved(const QString& dataname, const QList<quint32>& ids)
{
    if (!ids.isEmpty())
        broadcast(ServerCommands::DataRemoved, dataname, ids);
}

void ChangeNotifier::scheduleChanged(const QList<orvanta::SCHEDULE_DATA>& schedules)
{
    if (!schedules.isEmpty())
        broadcast(ServerCommands::ScheduleChanged, schedules);
}

void ChangeNotifier::scheduleBeforeRemove(const QList<quint32>& ids)
{
    if (!ids.isEmpty())
        broadcast(ServerCommands::ScheduleBeforeRemove, ids);
}

void ChangeNotifier::scheduleRemoved(const QList<quint32>& ids)
{
    if (!ids.isEmpty())
        broadcast(ServerCommands::ScheduleRemoved, ids);
}

void ChangeNotifier::push(const Command& command, quint64 connection)
{
    qCDebug(lcServerCore) << Q_FUNC_INFO << "push" << command.name << connection;
    if (m_sink)
        m_sink(command, connection);
}
