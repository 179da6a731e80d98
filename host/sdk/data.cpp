#include "data.h"

#include "authdata.h"
#include "ovdatastream.h"
#include "ovplugininterface.h"
#include "sdklogging.h"
#include "streamhelpers.h"

#include <QCoreApplication>
#include <QTimer>

namespace ov5sdk {

namespace {

template<typename... Args>
QByteArray pack(const Args&... args)
{
    QByteArray payload;
    OVDataStream stream(&payload, QIODevice::WriteOnly);
    (stream << ... << args);
    return payload;
}

} // namespace

Data::Data(OVPluginInterface* plugin, const QByteArray& sessionId)
    : m_plugin(plugin)
    , m_sessionId(sessionId)
    , m_followsLogin(sessionId.isEmpty() || sessionId == AuthData::sessionId())
{
}

QString Data::commandName(const char* operation)
{
    return QLatin1String("data.") + QLatin1String(operation);
}

void Data::getWorkerSchedules(const QList<uint>& employees, Callback callback)
{
    send(GetWorkerSchedules, pack(employees), std::move(callback));
}

void Data::getWorkerAbsenceReasons(const QList<uint>& employees, Callback callback)
{
    send(GetWorkerAbsenceReasons, pack(employees), std::move(callback));
}

void Data::getWorkerNormTime(const QDate& from, const QDate& to, const QList<uint>& employees, Callback callback)
{
    send(GetWorkerNormTime, pack(from, to, employees), std::move(callback));
}

void Data::getWorkerSyncTime(const QDate& from, const QDate& to, const QList<uint>& employees, Callback callback)
{
    send(GetWorkerSyncTime, pack(from, to, employees), std::move(callback));
}

void Data::getWorkTimeBudgets(const QList<uint>& departments, const QDate& from, const QDate& to, Callback callback)
{
    send(GetWorkTimeBudgets, pack(departments, from, to), std::move(callback));
}

void Data::getWorkTimeHours(const QList<uint>& departments, const QDate& from, const QDate& to, Callback callback)
{
    send(GetWorkTimeHours, pack(departments, from, to), std::move(callback));
}

void Data::getScheduleCalendar(const QList<int>& schedules, const QDate& from, const QDate& to, Callback callback)
{
    send(GetScheduleCalendar, pack(schedules, from, to), std::move(callback));
}

void Data::getObjects(const QString& dataname, Callback callback)
{
    send(GetObjects, pack(dataname), std::move(callback));
}

void Data::getBlobDataChange(const QList<orvanta::_BLOB_DATA_RESQUEST>& requests, Callback callback)
{
    send(GetBlobDataChange, pack(requests), std::move(callback));
}

void Data::execAsyncSql(const QString& clientId, const QString& queryId, const DbQuery& query, Callback callback)
{
    send(ExecAsyncSql, pack(clientId, queryId, query), std::move(callback));
}

void Data::cancelAsyncSql(const QString& clientId, const QString& queryId, Callback callback)
{
    send(CancelAsyncSql, pack(clientId, queryId), std::move(callback));
}

void Data::addObject(const orvanta::ObjectInfo& object, Callback callback)
{
    addObject(object, QList<orvanta::_INHERIT_DATA>(), std::move(callback));
}

void Data::addObject(const orvanta::ObjectInfo& object, const QList<orvanta::_INHERIT_DATA>& links,
                     Callback callback)
{
    send(AddObject, pack(object, links), std::move(callback));
}

void Data::updateObjectEx(const orvanta::ObjectInfo& object, Callback callback)
{
    updateObjectEx(object, QList<orvanta::_INHERIT_DATA>(), std::move(callback));
}

void Data::updateObjectEx(const orvanta::ObjectInfo& object, const QList<orvanta::_INHERIT_DATA>& links,
                          Callback callback)
{
    send(UpdateObjectEx, pack(object, links), std::move(callback));
}

void Data::removeObject(const orvanta::ObjectInfo& object, Callback callback)
{
    send(RemoveObject, pack(object), std::move(callback));
}

void Data::addSchedule(const orvanta::SCHEDULE_DATA& schedule, Callback callback)
{
    send(AddSchedule, pack(schedule), std::move(callback));
}

void Data::removeSchedules(const QList<uint>& schedules, Callback callback)
{
    send(RemoveSchedules, pack(schedules), std::move(callback));
}

void Data::setWorkerSchedules(const QHash<uint, orvanta::WORKER_SCHEDULE_HISTORY_V2>& histories, Callback callback)
{
    send(SetWorkerSchedules, pack(histories), std::move(callback));
}

void Data::updateWorkerAbsenceReason(const QHash<uint, orvanta::_WORKER_ABSENCE_REASON>& reasons,
                                     Callback callback)
{
    send(UpdateWorkerAbsenceReason, pack(reasons), std::move(callback));
}

void Data::updateScheduleCalendar(int schedule, const QDate& from, const QDate& to,
                                  const QList<orvanta::SCHEDULE_CALENDAR_DAY>& days, Callback callback)
{
    send(UpdateScheduleCalendar, pack(qint32(schedule), from, to, days), std::move(callback));
}

void Data::updateWorkerSaveTime(const QDate& date, const QList<uint>& employees, Callback callback)
{
    send(UpdateWorkerSaveTime, pack(date, employees), std::move(callback));
}

void Data::resetWorkerSyncTime(const QDate& date, const QList<uint>& employees, Callback callback)
{
    send(ResetWorkerSyncTime, pack(date, employees), std::move(callback));
}

bool Data::unpackObjects(OVHash<uint, orvanta::ObjectInfo>& out, QString& dataname, const QByteArray& data)
{
    out.clear();
    OVDataStream stream(data);
    QString name;
    QList<orvanta::ObjectInfo> read;
    orvanta::readFields(stream, name, read);
    OVHash<uint, orvanta::ObjectInfo> objects;
    for (const orvanta::ObjectInfo& object : qAsConst(read))
        objects.insert(object.uid, object);
    if (stream.status() != QDataStream::Ok) {
        qCWarning(lcSdk) << Q_FUNC_INFO << "objects payload does not decode" << data.size() << stream.status();
        return false;
    }
    out = objects;
    dataname = name;
    return true;
}

void Data::send(const char* operation, const QByteArray& payload, Callback callback)
{
    if (!m_plugin) {
        qCWarning(lcSdk) << Q_FUNC_INFO << "no plug-in to send through" << operation;
        Command request;
        request.name = commandName(operation);
        Command reply = Command::errorReply(request, ResultNotConnected,
                                            QCoreApplication::translate("ov5sdk::Data", "Нет соединения с сервером"));
        // Callers never expect their callback inside the call that sends.
        QTimer::singleShot(0, [reply, callback = std::move(callback)]() mutable {
            if (callback)
                callback(reply);
        });
        return;
    }
    Command command = m_plugin->newCommand();
    command.name = commandName(operation);
    command.data = payload;
    command.session = m_followsLogin ? AuthData::sessionId() : m_sessionId;
    m_plugin->sendQuery(command, std::move(callback));
}

} // namespace ov5sdk
