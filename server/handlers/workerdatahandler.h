#pragma once

#include "objectinfo.h"
#include "sqldialect.h"

#include <QList>
#include <QSqlDatabase>

struct Command;
class ChangeNotifier;
class CommandRouter;
struct RequestContext;

/// The data-service commands of the per-employee planning data: reads of histories, absences,
/// norm, sync, sales plan, hours budget and calendars; their writes with role and date checks,
/// the planned-time table kept current, and the employees concerned announced after the commit.
class WorkerDataHandler
{
public:
    WorkerDataHandler(const QSqlDatabase& db, SqlDialect dialect, ChangeNotifier* notifier);

    void registerAt(CommandRouter& router);

private:
    Command getWorkerSchedules(const RequestContext& context);
    Command getWorkerAbsenceReasons(const RequestContext& context);
    Command getWorkerNormTime(const RequestContext& context);
    Command getWorkerSyncTime(const RequestContext& context);
    Command getWorkTimeBudgets(const RequestContext& context);
    Command getWorkTimeHours(const RequestContext& context);
    Command getScheduleCalendar(const RequestContext& context);
    Command setWorkerSchedules(const RequestContext& context);
    Command updateWorkerAbsenceReason(const RequestContext& context);
    Command updateScheduleCalendar(const RequestContext& context);
    Command updateWorkerSaveTime(const RequestContext& context);
    Command resetWorkerSyncTime(const RequestContext& context);

    /// Sets the save time (confirm) or clears the sync flag of a month for employees.
    Command writeMonthState(const RequestContext& context, bool confirm);
    /// The employees as stored now, grouped by data name, for the announcement after the commit.
    bool readEmployees(const QList<uint>& employees, QHash<QString, QList<orvanta::ObjectInfo>>* out,
                       QString* error);
    void announceEmployees(const QHash<QString, QList<orvanta::ObjectInfo>>& employees);

    QSqlDatabase m_db;
    SqlDialect m_dialect;
    ChangeNotifier* m_notifier;
};
