#pragma once

// Commands of the server that are not data-service operations (those are in data.h).
// Payloads are written with OVDataStream in the order given; "->" is the success reply.
// Every command except auth.login must carry a valid session (Command::session).
//
// Requests of the host:
//   auth.login               QString login, QString password
//                            -> QByteArray session, quint32 userId, QStringList roles,
//                               _ROLE_DATE_RESTRICTIONS workTimePlanning,
//                               _ROLE_DATE_RESTRICTIONS absenceReasons
//                            an unknown login or a wrong password: result 401 and a message
//   auth.logout              nothing -> nothing
//   storage.getSchedules     nothing -> QList<SCHEDULE_DATA> (every schedule)
//   storage.getDatanames     nothing -> QStringList (every data name that has objects)
//   create_report_async      QString clientId, QString (ignored), report::CreateQuery
//                            -> QString jobId; the planning report's parameters: ":d_date_beg" qint64
//                               (seconds since the epoch of a day's midnight UTC: its month is reported),
//                               ":a_workers" QVariantList of uint (employees, worker histories of
//                               employees shown through them, trips of attached rows), ":c_dep_name"
//                               QString; needs RL_WTPLANNINGVIEW_WORKTIME_SHOW and _WORKTIME_REPORT
//   report_status_async      QString jobId -> QString jobId, qint32 progress (0..100); only the
//                            session that started the job may ask
//
// Commands the server pushes after a commit (kind 0, no correlation id) to every connection with
// a session whose roles may read them (break rules and attached workers need their SHOW role):
//   storage.dataChanged          QString dataname, QList<ObjectInfo> objects (the objects as stored)
//   storage.dataRemoved          QString dataname, QList<quint32> ids
//   storage.scheduleChanged      QList<SCHEDULE_DATA> schedules
//   storage.scheduleBeforeRemove QList<quint32> ids
//   storage.scheduleRemoved      QList<quint32> ids
// and to the connection that asked for it (only the session that asked may cancel it):
//   datamanager.async_result:<clientId>   QString queryId, qint32 status, QString message, QList<DbResult>
//   report_async_result:<clientId>        QString jobId, qint32 status (1 done, 2 failed), QString message,
//                                         report::CreateResult (one "xml" item: the document as UTF-8);
//                                         never for a job whose connection closed

namespace ServerCommands {

inline constexpr char Login[] = "auth.login";
inline constexpr char Logout[] = "auth.logout";
inline constexpr char GetSchedules[] = "storage.getSchedules";
inline constexpr char GetDatanames[] = "storage.getDatanames";
inline constexpr char CreateReportAsync[] = "create_report_async";
inline constexpr char ReportStatusAsync[] = "report_status_async";

inline constexpr char DataChanged[] = "storage.dataChanged";
inline constexpr char DataRemoved[] = "storage.dataRemoved";
inline constexpr char ScheduleChanged[] = "storage.scheduleChanged";
inline constexpr char ScheduleBeforeRemove[] = "storage.scheduleBeforeRemove";
inline constexpr char ScheduleRemoved[] = "storage.scheduleRemoved";

/// Prefix of the pushed asynchronous SQL result; the client id follows.
inline constexpr char AsyncResultPrefix[] = "datamanager.async_result:";
/// Prefix of the pushed report result; the client id follows.
inline constexpr char ReportResultPrefix[] = "report_async_result:";

} // namespace ServerCommands
