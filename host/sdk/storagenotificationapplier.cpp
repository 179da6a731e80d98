#include "storagenotificationapplier.h"

#include "command.h"
#include "localstorage.h"
#include "ovdatastream.h"
#include "ovserverinterface.h"
#include "sdklogging.h"
#include "servercommands.h"
#include "streamhelpers.h"

namespace {

template<typename T>
QList<T> readList(QDataStream& stream)
{
    QList<T> items;
    orvanta::readChecked(stream, items);
    return items;
}

bool decodedExactly(const QDataStream& stream, const Command& command)
{
    if (stream.status() == QDataStream::Ok && stream.atEnd())
        return true;
    qCWarning(lcSdk) << Q_FUNC_INFO << "notification payload does not decode, dropped" << command.name
                     << command.data.size();
    return false;
}

QList<int> scheduleIds(const QList<quint32>& ids)
{
    QList<int> result;
    result.reserve(ids.size());
    for (quint32 id : ids)
        result.append(int(id));
    return result;
}

} // namespace

StorageNotificationApplier::StorageNotificationApplier(OVServerInterface* server, orvanta::LocalStorage* store,
                                                       QObject* parent)
    : QObject(parent), m_server(server), m_store(store)
{
    using namespace std::placeholders;
    server->registerCommandHandler(QLatin1String(ServerCommands::DataChanged),
                                   std::bind(&StorageNotificationApplier::applyDataChanged, this, _1));
    server->registerCommandHandler(QLatin1String(ServerCommands::DataRemoved),
                                   std::bind(&StorageNotificationApplier::applyDataRemoved, this, _1));
    server->registerCommandHandler(QLatin1String(ServerCommands::ScheduleChanged),
                                   std::bind(&StorageNotificationApplier::applyScheduleChanged, this, _1));
    server->registerCommandHandler(QLatin1String(ServerCommands::ScheduleBeforeRemove),
                                   std::bind(&StorageNotificationApplier::checkScheduleBeforeRemove, this, _1));
    server->registerCommandHandler(QLatin1String(ServerCommands::ScheduleRemoved),
                                   std::bind(&StorageNotificationApplier::applyScheduleRemoved, this, _1));
}

StorageNotificationApplier::~StorageNotificationApplier()
{
    if (!m_server)
        return;
    for (const char* name : {ServerCommands::DataChanged, ServerCommands::DataRemoved, ServerCommands::ScheduleChanged,
                             ServerCommands::ScheduleBeforeRemove, ServerCommands::ScheduleRemoved})
        m_server->unregisterCommandHandler(QLatin1String(name));
}

void StorageNotificationApplier::applyDataChanged(Command& command)
{
    OVDataStream stream(command.data);
    QString dataname;
    stream >> dataname;
    const QList<orvanta::ObjectInfo> objects = readList<orvanta::ObjectInfo>(stream);
    if (!decodedExactly(stream, command) || !m_store)
        return;
    m_store->updateObjects(dataname, objects);
    command.result = ResultSuccess;
}

void StorageNotificationApplier::applyDataRemoved(Command& command)
{
    OVDataStream stream(command.data);
    QString dataname;
    stream >> dataname;
    const QList<quint32> ids = readList<quint32>(stream);
    if (!decodedExactly(stream, command) || !m_store)
        return;
    m_store->removeObjects(dataname, ids);
    command.result = ResultSuccess;
}

void StorageNotificationApplier::applyScheduleChanged(Command& command)
{
    OVDataStream stream(command.data);
    const QList<orvanta::SCHEDULE_DATA> schedules = readList<orvanta::SCHEDULE_DATA>(stream);
    if (!decodedExactly(stream, command) || !m_store)
        return;
    m_store->updateSchedules(schedules);
    command.result = ResultSuccess;
}

void StorageNotificationApplier::checkScheduleBeforeRemove(Command& command)
{
    // The store emits its own scheduleBeforeRemove while it applies storage.scheduleRemoved,
    // so this message is only checked.
    OVDataStream stream(command.data);
    readList<quint32>(stream);
    if (decodedExactly(stream, command))
        command.result = ResultSuccess;
}

void StorageNotificationApplier::applyScheduleRemoved(Command& command)
{
    OVDataStream stream(command.data);
    const QList<quint32> ids = readList<quint32>(stream);
    if (!decodedExactly(stream, command) || !m_store)
        return;
    m_store->removeSchedules(scheduleIds(ids));
    command.result = ResultSuccess;
}
