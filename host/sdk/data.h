#pragma once

#include "blobdatarequest.h"
#include "command.h"
#include "dbquery.h"
#include "inheritdata.h"
#include "objectinfo.h"
#include "ovhash.h"
#include "ovsdk_export.h"
#include "schedulecalendarday.h"
#include "scheduledata.h"
#include "workerabsencereason.h"
#include "workerschedulehistory.h"

#include <QByteArray>
#include <QDate>
#include <QHash>
#include <QList>
#include <QString>

#include <functional>

class OVPluginInterface;

// Commands of the data service. The name is "data.<operation>"; the request payload is written
// with OVDataStream (Qt_5_15, Qt's container formats, the records' own operators) in this order.
// A reply with result 1 carries the payload listed after "->"; an error reply carries the
// result code and a QString message (Command::errorReply). uint is quint32, int is qint32.
//
//   getWorkerSchedules          QList<uint> employees
//                               -> QHash<uint, WORKER_SCHEDULE_HISTORY_V2>
//   getWorkerAbsenceReasons     QList<uint> employees
//                               -> QHash<uint, _WORKER_ABSENCE_REASON>,
//                                  QHash<uint, QDateTime> (absence record id -> change time)
//   getWorkerNormTime           QDate from, QDate to, QList<uint> employees
//                               -> QList<WORKER_NORM_TIME>,
//                                  QHash<QDate, int> (the production calendar: date -> wt::DayKind)
//   getWorkerSyncTime           QDate from, QDate to, QList<uint> employees
//                               -> QList<WORKER_SYNC_TIME>,
//                                  QHash<qint64, QDateTime> (record key -> norm calculation time)
//   getWorkTimeBudgets          QList<uint> departments, QDate from, QDate to -> QList<SALES_PLAN>
//   getWorkTimeHours            QList<uint> departments, QDate from, QDate to -> QList<HOURS_BUDGET>
//   getScheduleCalendar         QList<int> schedules, QDate from, QDate to
//                               -> QList<int> schedules, QDate from, QDate to,
//                                  QHash<int, QList<SCHEDULE_CALENDAR_DAY>>
//   getObjects                  QString dataname -> QString dataname, QList<ObjectInfo> (empty without
//                               the data name's SHOW role, for break rules and attached workers)
//   getBlobDataChange           QList<_BLOB_DATA_RESQUEST>
//                               -> QHash<uint, QHash<QString, QByteArray>> (only blobs whose md5 differs)
//   execAsyncSql                QString clientId, QString queryId, DbQuery -> nothing; the rows come
//                               later in "datamanager.async_result:<clientId>": QString queryId,
//                               qint32 status, QString message, QList<DbResult>
//   cancelAsyncSql              QString clientId, QString queryId -> nothing (cancels only queries of
//                               the same session)
//   addObject                   ObjectInfo, QList<_INHERIT_DATA> links -> int new object id
//   updateObjectEx              ObjectInfo, QList<_INHERIT_DATA> links -> nothing
//   removeObject                ObjectInfo -> nothing
//   addSchedule                 SCHEDULE_DATA -> int new schedule id
//   removeSchedules             QList<uint> schedules -> int the first removed schedule id
//   setWorkerSchedules          QHash<uint, WORKER_SCHEDULE_HISTORY_V2> -> nothing
//   updateWorkerAbsenceReason   QHash<uint, _WORKER_ABSENCE_REASON> -> nothing
//   updateScheduleCalendar      int schedule, QDate from, QDate to, QList<SCHEDULE_CALENDAR_DAY> -> nothing
//   updateWorkerSaveTime        QDate date, QList<uint> employees -> nothing
//   resetWorkerSyncTime         QDate date, QList<uint> employees -> nothing
//
// addObject and updateObjectEx always carry the link list (empty when the caller gives none),
// so the server decodes one shape per command.

namespace ov5sdk {

/// Client of the server's data service: one command per operation, the reply through a callback.
class OVSDK_EXPORT Data
{
public:
    using Callback = std::function<void(Command&)>;

    static constexpr char GetWorkerSchedules[] = "getWorkerSchedules";
    static constexpr char GetWorkerAbsenceReasons[] = "getWorkerAbsenceReasons";
    static constexpr char GetWorkerNormTime[] = "getWorkerNormTime";
    static constexpr char GetWorkerSyncTime[] = "getWorkerSyncTime";
    static constexpr char GetWorkTimeBudgets[] = "getWorkTimeBudgets";
    static constexpr char GetWorkTimeHours[] = "getWorkTimeHours";
    static constexpr char GetScheduleCalendar[] = "getScheduleCalendar";
    static constexpr char GetObjects[] = "getObjects";
    static constexpr char GetBlobDataChange[] = "getBlobDataChange";
    static constexpr char ExecAsyncSql[] = "execAsyncSql";
    static constexpr char CancelAsyncSql[] = "cancelAsyncSql";
    static constexpr char AddObject[] = "addObject";
    static constexpr char UpdateObjectEx[] = "updateObjectEx";
    static constexpr char RemoveObject[] = "removeObject";
    static constexpr char AddSchedule[] = "addSchedule";
    static constexpr char RemoveSchedules[] = "removeSchedules";
    static constexpr char SetWorkerSchedules[] = "setWorkerSchedules";
    static constexpr char UpdateWorkerAbsenceReason[] = "updateWorkerAbsenceReason";
    static constexpr char UpdateScheduleCalendar[] = "updateScheduleCalendar";
    static constexpr char UpdateWorkerSaveTime[] = "updateWorkerSaveTime";
    static constexpr char ResetWorkerSyncTime[] = "resetWorkerSyncTime";

    /// Sends through plugin. Given the login's session id (or none), every command carries
    /// AuthData::sessionId() of the moment it is sent, so a login again after a lost connection
    /// is followed; any other id is sent as it is.
    Data(OVPluginInterface* plugin, const QByteArray& sessionId);

    /// The command name of operation: "data.<operation>".
    static QString commandName(const char* operation);

    void getWorkerSchedules(const QList<uint>& employees, Callback callback);
    void getWorkerAbsenceReasons(const QList<uint>& employees, Callback callback);
    void getWorkerNormTime(const QDate& from, const QDate& to, const QList<uint>& employees, Callback callback);
    void getWorkerSyncTime(const QDate& from, const QDate& to, const QList<uint>& employees, Callback callback);
    void getWorkTimeBudgets(const QList<uint>& departments, const QDate& from, const QDate& to, Callback callback);
    void getWorkTimeHours(const QList<uint>& departments, const QDate& from, const QDate& to, Callback callback);
    void getScheduleCalendar(const QList<int>& schedules, const QDate& from, const QDate& to, Callback callback);
    void getObjects(const QString& dataname, Callback callback);
    void getBlobDataChange(const QList<orvanta::_BLOB_DATA_RESQUEST>& requests, Callback callback);
    void execAsyncSql(const QString& clientId, const QString& queryId, const DbQuery& query, Callback callback);
    void cancelAsyncSql(const QString& clientId, const QString& queryId, Callback callback);

    void addObject(const orvanta::ObjectInfo& object, Callback callback);
    void addObject(const orvanta::ObjectInfo& object, const QList<orvanta::_INHERIT_DATA>& links, Callback callback);
    void updateObjectEx(const orvanta::ObjectInfo& object, Callback callback);
    void updateObjectEx(const orvanta::ObjectInfo& object, const QList<orvanta::_INHERIT_DATA>& links,
                        Callback callback);
    void removeObject(const orvanta::ObjectInfo& object, Callback callback);
    void addSchedule(const orvanta::SCHEDULE_DATA& schedule, Callback callback);
    void removeSchedules(const QList<uint>& schedules, Callback callback);
    void setWorkerSchedules(const QHash<uint, orvanta::WORKER_SCHEDULE_HISTORY_V2>& histories, Callback callback);
    void updateWorkerAbsenceReason(const QHash<uint, orvanta::_WORKER_ABSENCE_REASON>& reasons, Callback callback);
    void updateScheduleCalendar(int schedule, const QDate& from, const QDate& to,
                                const QList<orvanta::SCHEDULE_CALENDAR_DAY>& days, Callback callback);
    void updateWorkerSaveTime(const QDate& date, const QList<uint>& employees, Callback callback);
    void resetWorkerSyncTime(const QDate& date, const QList<uint>& employees, Callback callback);

    /// Decodes a getObjects reply payload; false, with out empty, when it is truncated or corrupt.
    static bool unpackObjects(OVHash<uint, orvanta::ObjectInfo>& out, QString& dataname, const QByteArray& data);

private:
    void send(const char* operation, const QByteArray& payload, Callback callback);

    OVPluginInterface* m_plugin;
    QByteArray m_sessionId;
    bool m_followsLogin;
};

} // namespace ov5sdk
