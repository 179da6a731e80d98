#include "workerdatahandler.h"

#include "accesspolicy.h"
#include "changenotifier.h"
#include "changespan.h"
#include "commandrouter.h"
#include "data.h"
#include "objectstore.h"
#include "payloadreader.h"
#include "plannedtimetablefactory.h"
#include "productioncalendarstore.h"
#include "reply.h"
#include "schedulestore.h"
#include "serverlogging.h"
#include "sqltransaction.h"
#include "workerdatastore.h"

#include <algorithm>

using namespace orvanta;
using ov5sdk::Data;

WorkerDataHandler::WorkerDataHandler(const QSqlDatabase& db, SqlDialect dialect, ChangeNotifier* notifier)
    : m_db(db), m_dialect(dialect), m_notifier(notifier)
{
}

void WorkerDataHandler::registerAt(CommandRouter& router)
{
    using Handler = Command (WorkerDataHandler::*)(const RequestContext&);
    const QList<QPair<const char*, Handler>> routes = {
        {Data::GetWorkerSchedules, &WorkerDataHandler::getWorkerSchedules},
        {Data::GetWorkerAbsenceReasons, &WorkerDataHandler::getWorkerAbsenceReasons},
        {Data::GetWorkerNormTime, &WorkerDataHandler::getWorkerNormTime},
        {Data::GetWorkerSyncTime, &WorkerDataHandler::getWorkerSyncTime},
        {Data::GetWorkTimeBudgets, &WorkerDataHandler::getWorkTimeBudgets},
        {Data::GetWorkTimeHours, &WorkerDataHandler::getWorkTimeHours},
        {Data::GetScheduleCalendar, &WorkerDataHandler::getScheduleCalendar},
        {Data::SetWorkerSchedules, &WorkerDataHandler::setWorkerSchedules},
        {Data::UpdateWorkerAbsenceReason, &WorkerDataHandler::updateWorkerAbsenceReason},
        {Data::UpdateScheduleCalendar, &WorkerDataHandler::updateScheduleCalendar},
        {Data::UpdateWorkerSaveTime, &WorkerDataHandler::updateWorkerSaveTime},
        {Data::ResetWorkerSyncTime, &WorkerDataHandler::resetWorkerSyncTime},
    };
    for (const auto& route : routes) {
        const Handler handler = route.second;
        router.add(Data::commandName(route.first), CommandRouter::Access::Session,
                   [this, handler](const RequestContext& context) { return (this->*handler)(context); });
    }
}

Command WorkerDataHandler::getWorkerSchedules(const RequestContext& context)
{
    QList<uint> employees;
    PayloadReader reader(context.request.data);
    reader >> employees;
    if (!reader.isComplete())
        return Reply::malformed(context.request);
    QHash<uint, WORKER_SCHEDULE_HISTORY_V2> histories;
    QString error;
    if (!WorkerDataStore(m_db, m_dialect).scheduleHistories(employees, &histories, &error))
        return Reply::storageFailure(context.request, error);
    return Reply::ok(context.request, histories);
}

Command WorkerDataHandler::getWorkerAbsenceReasons(const RequestContext& context)
{
    QList<uint> employees;
    PayloadReader reader(context.request.data);
    reader >> employees;
    if (!reader.isComplete())
        return Reply::malformed(context.request);
    QHash<uint, _WORKER_ABSENCE_REASON> absences;
    QHash<uint, QDateTime> changeTimes;
    QString error;
    if (!WorkerDataStore(m_db, m_dialect).absences(employees, &absences, &changeTimes, &error))
        return Reply::storageFailure(context.request, error);
    return Reply::ok(context.request, absences, changeTimes);
}

Command WorkerDataHandler::getWorkerNormTime(const RequestContext& context)
{
    QDate from;
    QDate to;
    QList<uint> employees;
    PayloadReader reader(context.request.data);
    reader >> from >> to >> employees;
    if (!reader.isComplete())
        return Reply::malformed(context.request);
    QList<WORKER_NORM_TIME> norm;
    QHash<QDate, int> calendar;
    QString error;
    if (!WorkerDataStore(m_db, m_dialect).normTime(from, to, employees, &norm, &error)
        || !ProductionCalendarStore(m_db).days(from, to, &calendar, &error))
        return Reply::storageFailure(context.request, error);
    return Reply::ok(context.request, norm, calendar);
}

Command WorkerDataHandler::getWorkerSyncTime(const RequestContext& context)
{
    QDate from;
    QDate to;
    QList<uint> employees;
    PayloadReader reader(context.request.data);
    reader >> from >> to >> employees;
    if (!reader.isComplete())
        return Reply::malformed(context.request);
    QList<WORKER_SYNC_TIME> sync;
    QHash<qint64, QDateTime> normCalcTimes;
    QString error;
    if (!WorkerDataStore(m_db, m_dialect).syncTime(from, to, employees, &sync, &normCalcTimes, &error))
        return Reply::storageFailure(context.request, error);
    return Reply::ok(context.request, sync, normCalcTimes);
}

Command WorkerDataHandler::getWorkTimeBudgets(const RequestContext& context)
{
    QList<uint> departments;
    QDate from;
    QDate to;
    PayloadReader reader(context.request.data);
    reader >> departments >> from >> to;
    if (!reader.isComplete())
        return Reply::malformed(context.request);
    QList<SALES_PLAN> plan;
    QString error;
    if (!WorkerDataStore(m_db, m_dialect).salesPlan(departments, from, to, &plan, &error))
        return Reply::storageFailure(context.request, error);
    return Reply::ok(context.request, plan);
}

Command WorkerDataHandler::getWorkTimeHours(const RequestContext& context)
{
    QList<uint> departments;
    QDate from;
    QDate to;
    PayloadReader reader(context.request.data);
    reader >> departments >> from >> to;
    if (!reader.isComplete())
        return Reply::malformed(context.request);
    QList<HOURS_BUDGET> budget;
    QString error;
    if (!WorkerDataStore(m_db, m_dialect).hoursBudget(departments, from, to, &budget, &error))
        return Reply::storageFailure(context.request, error);
    return Reply::ok(context.request, budget);
}

Command WorkerDataHandler::getScheduleCalendar(const RequestContext& context)
{
    QList<int> schedules;
    QDate from;
    QDate to;
    PayloadReader reader(context.request.data);
    reader >> schedules >> from >> to;
    if (!reader.isComplete())
        return Reply::malformed(context.request);
    QHash<int, QList<SCHEDULE_CALENDAR_DAY>> days;
    QString error;
    if (!WorkerDataStore(m_db, m_dialect).calendarDays(schedules, from, to, &days, &error))
        return Reply::storageFailure(context.request, error);
    return Reply::ok(context.request, schedules, from, to, days);
}

Command WorkerDataHandler::setWorkerSchedules(const RequestContext& context)
{
    QHash<uint, WORKER_SCHEDULE_HISTORY_V2> histories;
    PayloadReader reader(context.request.data);
    reader >> histories;
    if (!reader.isComplete())
        return Reply::malformed(context.request);
    const QString refusal = AccessPolicy::checkRole(context.user, QLatin1String(AccessPolicy::WorkTimeSet));
    if (!refusal.isEmpty())
        return Reply::forbidden(context.request, refusal);

    const QList<uint> employees = histories.keys();
    for (auto it = histories.begin(); it != histories.end(); ++it)
        it->uid = it.key();
    SqlTransaction transaction(m_db);
    WorkerDataStore store(m_db, m_dialect);
    QHash<uint, WORKER_SCHEDULE_HISTORY_V2> before;
    QString error;
    if (!store.scheduleHistories(employees, &before, &error))
        return Reply::storageFailure(context.request, error);
    ChangeSpan span;
    for (auto it = histories.constBegin(); it != histories.constEnd(); ++it)
        span = span.united(ChangeSpan::ofHistories(before.value(it.key()).records, it->records));
    // Records sent back unchanged are no change, whatever dates they cover.
    const QString dateRefusal = span.changed
        ? AccessPolicy::checkDates(context.user.workTimePlanning, span.first, span.last, QDate::currentDate())
        : QString();
    if (!dateRefusal.isEmpty())
        return Reply::forbidden(context.request, dateRefusal);

    QHash<QString, QList<ObjectInfo>> changed;
    if (!store.setScheduleHistories(histories, &error)
        || (span.changed
            && !PlannedTimeTableFactory::create(m_db, m_dialect).recompute(employees, span.first, span.last, &error))
        || !readEmployees(employees, &changed, &error))
        return Reply::storageFailure(context.request, error);
    announceEmployees(changed);
    if (!m_notifier->commit(transaction, &error))
        return Reply::storageFailure(context.request, error);
    return Reply::ok(context.request);
}

Command WorkerDataHandler::updateWorkerAbsenceReason(const RequestContext& context)
{
    QHash<uint, _WORKER_ABSENCE_REASON> absences;
    PayloadReader reader(context.request.data);
    reader >> absences;
    if (!reader.isComplete())
        return Reply::malformed(context.request);
    const QString refusal = AccessPolicy::checkRole(context.user, QLatin1String(AccessPolicy::WorkTimeSet));
    if (!refusal.isEmpty())
        return Reply::forbidden(context.request, refusal);

    const QList<uint> employees = absences.keys();
    for (auto it = absences.begin(); it != absences.end(); ++it)
        it->uid = it.key();
    SqlTransaction transaction(m_db);
    WorkerDataStore store(m_db, m_dialect);
    QHash<uint, _WORKER_ABSENCE_REASON> before;
    QHash<uint, QDateTime> changeTimes;
    QString error;
    if (!store.absences(employees, &before, &changeTimes, &error))
        return Reply::storageFailure(context.request, error);
    ChangeSpan span;
    for (auto it = absences.constBegin(); it != absences.constEnd(); ++it)
        span = span.united(ChangeSpan::ofAbsences(before.value(it.key()).records, it->records));
    const QString dateRefusal = span.changed
        ? AccessPolicy::checkDates(context.user.absenceReasons, span.first, span.last, QDate::currentDate())
        : QString();
    if (!dateRefusal.isEmpty())
        return Reply::forbidden(context.request, dateRefusal);

    QHash<QString, QList<ObjectInfo>> changed;
    if (!store.updateAbsences(absences, &error) || !readEmployees(employees, &changed, &error))
        return Reply::storageFailure(context.request, error);
    announceEmployees(changed);
    if (!m_notifier->commit(transaction, &error))
        return Reply::storageFailure(context.request, error);
    return Reply::ok(context.request);
}

Command WorkerDataHandler::updateScheduleCalendar(const RequestContext& context)
{
    qint32 scheduleId = 0;
    QDate from;
    QDate to;
    QList<SCHEDULE_CALENDAR_DAY> days;
    PayloadReader reader(context.request.data);
    reader >> scheduleId >> from >> to >> days;
    if (!reader.isComplete())
        return Reply::malformed(context.request);
    if (!from.isValid() || !to.isValid() || to < from)
        return Reply::invalid(context.request, QStringLiteral("Неверный период календаря графика"));
    const QString refusal = AccessPolicy::checkRole(context.user, QLatin1String(AccessPolicy::WorkTimeSet));
    if (!refusal.isEmpty())
        return Reply::forbidden(context.request, refusal);
    const QString dateRefusal =
        AccessPolicy::checkDates(context.user.workTimePlanning, from, to, QDate::currentDate());
    if (!dateRefusal.isEmpty())
        return Reply::forbidden(context.request, dateRefusal);

    SqlTransaction transaction(m_db);
    SCHEDULE_DATA schedule;
    QString error;
    if (!ScheduleStore(m_db).find(scheduleId, &schedule, &error))
        return Reply::storageFailure(context.request, error);
    if (!schedule.isValid())
        return Reply::invalid(context.request, QStringLiteral("График работ %1 не найден").arg(scheduleId));
    if (!WorkerDataStore(m_db, m_dialect).updateCalendarDays(scheduleId, from, to, days, &error)
        || !PlannedTimeTableFactory::create(m_db, m_dialect).recomputeSchedule(scheduleId, from, to, &error))
        return Reply::storageFailure(context.request, error);
    m_notifier->scheduleChanged({schedule});
    if (!m_notifier->commit(transaction, &error))
        return Reply::storageFailure(context.request, error);
    return Reply::ok(context.request);
}

Command WorkerDataHandler::updateWorkerSaveTime(const RequestContext& context)
{
    return writeMonthState(context, true);
}

Command WorkerDataHandler::resetWorkerSyncTime(const RequestContext& context)
{
    return writeMonthState(context, false);
}

Command WorkerDataHandler::writeMonthState(const RequestContext& context, bool confirm)
{
    QDate month;
    QList<uint> employees;
    PayloadReader reader(context.request.data);
    reader >> month >> employees;
    if (!reader.isComplete())
        return Reply::malformed(context.request);
    if (!month.isValid())
        return Reply::invalid(context.request, QStringLiteral("Не указан месяц"));
    // Every save ends by resetting the flag, so whoever may plan may reset it; approving is apart.
    const char* role = confirm ? AccessPolicy::WorkTimeApprove : AccessPolicy::WorkTimeSet;
    const QString refusal = AccessPolicy::checkRole(context.user, QLatin1String(role));
    if (!refusal.isEmpty())
        return Reply::forbidden(context.request, refusal);
    const QDate first(month.year(), month.month(), 1);
    const QString dateRefusal = AccessPolicy::checkDates(context.user.workTimePlanning, first,
                                                         first.addMonths(1).addDays(-1), QDate::currentDate());
    if (!dateRefusal.isEmpty())
        return Reply::forbidden(context.request, dateRefusal);

    SqlTransaction transaction(m_db);
    WorkerDataStore store(m_db, m_dialect);
    QString error;
    const bool written = confirm ? store.updateSaveTime(month, employees, QDateTime::currentDateTime(), &error)
                                 : store.resetSyncTime(month, employees, &error);
    QHash<QString, QList<ObjectInfo>> changed;
    if (!written || !readEmployees(employees, &changed, &error))
        return Reply::storageFailure(context.request, error);
    announceEmployees(changed);
    if (!m_notifier->commit(transaction, &error))
        return Reply::storageFailure(context.request, error);
    return Reply::ok(context.request);
}

bool WorkerDataHandler::readEmployees(const QList<uint>& employees, QHash<QString, QList<ObjectInfo>>* out,
                                      QString* error)
{
    QList<TYPE_ID> ids;
    for (uint employee : employees)
        ids.append(TYPE_ID(employee));
    std::sort(ids.begin(), ids.end());
    return ObjectStore(m_db).objectsByIds(ids, out, error);
}

void WorkerDataHandler::announceEmployees(const QHash<QString, QList<ObjectInfo>>& employees)
{
    for (auto it = employees.constBegin(); it != employees.constEnd(); ++it)
        m_notifier->dataChanged(it.key(), it.value());
}
