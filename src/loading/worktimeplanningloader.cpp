#include "worktimeplanningloader.h"

#include "data.h"
#include "dbresult.h"
#include "employeeselection.h"
#include "hoursbudget.h"
#include "localstorage.h"
#include "ovdatastream.h"
#include "salesplan.h"
#include "streamhelpers.h"
#include "vocabulary.h"
#include "workernormtime.h"
#include "workersynctime.h"
#include "worktimeplanningmodel.h"
#include "worktimeutils.h"
#include "wtplanninglogging.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>

#include <algorithm>

using orvanta::LocalStorage;

namespace {

// The server still runs the query; its rows come in a later result.
constexpr qint32 kStatusPending = 14;
// A reply about thousands of employees rebuilds their rows a slice at a time, so the window keeps answering:
// slices of about kSliceMs, in steps of kRowsPerStep rows; kRowsPerSlice rows or fewer are rebuilt at once.
constexpr int kRowsPerSlice = 1000;
constexpr int kRowsPerStep = 100;
constexpr qint64 kSliceMs = 30;

constexpr char kBalanceQueryTag[] = "planning_balance_query";
constexpr char kBalanceSql[] = "SELECT worker_id,   SUM(norm_time) AS norm_time,   SUM(plan_time) AS plan_time "
                               "FROM get_planning_balance(:start, :finish, :workers::BIGINT[]) GROUP BY worker_id;";

int balanceQueryCounter = 0;

// Reads one container of a reply payload; a truncated or corrupt one reads as empty.
template<typename T>
T readPayload(QDataStream& stream, const char* function)
{
    T value;
    orvanta::readChecked(stream, value);
    if (stream.status() == QDataStream::Ok)
        return value;
    qCWarning(lcWtPlanning) << function << "malformed payload";
    return T();
}

} // namespace

WorkTimePlanningLoader::WorkTimePlanningLoader(ov5sdk::Data* dataService, WorkTimePlanningModel* model,
                                               const QString& clientId, QObject* parent)
    : QObject(parent), dataService(dataService), model(model), clientId(clientId), reloadTimer(new QTimer(this)),
      rebuildTimer(new QTimer(this))
{
    reloadTimer->setObjectName(QStringLiteral("reloadTimer"));
    reloadTimer->setSingleShot(true);
    reloadTimer->setInterval(1000);
    connect(reloadTimer, &QTimer::timeout, this, &WorkTimePlanningLoader::reloadEmployeeData);
    rebuildTimer->setObjectName(QStringLiteral("rebuildTimer"));
    rebuildTimer->setSingleShot(true);
    rebuildTimer->setInterval(0);
    connect(rebuildTimer, &QTimer::timeout, this, &WorkTimePlanningLoader::rebuildNextSlice);
}

void WorkTimePlanningLoader::load(const QDate& start, const QDate& finish, const QList<orvanta::TYPE_ID>& departmentIds)
{
    // The rows of the last load are gone.
    if (!pendingRebuild.isEmpty()) {
        pendingRebuild.clear();
        rebuildTimer->stop();
        endRequest();
    }
    EmployeeSelection selection(start, finish, departmentIds);
    selection.select();
    const QList<unsigned int> departments = selection.departments();
    qCDebug(lcWtPlanning) << Q_FUNC_INFO << "update model" << start << finish << selection.employeeIds().size()
                          << selection.employeeIds();
    model->refreshModel(start, finish, selection.employees(), selection.attached(), departments);
    const QList<unsigned int> objList = model->objList();

    sendGetScheduleHistory(objList);
    sendGetAbsenceReasons(objList);
    sendGetEmployeeNormTime(start, finish, objList);
    sendGetEmployeeSyncTime(start, finish, objList);
    sendGetSalesPlan(start, finish, departments);
    sendGetHoursBudget(start, finish, departments);
    sendGetPlanningBalanceAsync(WorkTimeUtils::startYearDate(start), WorkTimeUtils::endMonthDate(finish.addMonths(-1)),
                                objList);
}

void WorkTimePlanningLoader::sendGetScheduleHistory(const QList<unsigned int>& ids)
{
    dataService->getWorkerSchedules(ids, trackedReply(&WorkTimePlanningLoader::scheduleHistoryRead));
}

void WorkTimePlanningLoader::sendGetAbsenceReasons(const QList<unsigned int>& ids)
{
    dataService->getWorkerAbsenceReasons(ids, trackedReply(&WorkTimePlanningLoader::absenceReasonRead));
}

void WorkTimePlanningLoader::sendGetEmployeeNormTime(const QDate& start, const QDate& finish,
                                                     const QList<unsigned int>& ids)
{
    dataService->getWorkerNormTime(start, finish, ids, trackedReply(&WorkTimePlanningLoader::employeeNormTimeRead));
}

void WorkTimePlanningLoader::sendGetEmployeeSyncTime(const QDate& start, const QDate& finish,
                                                     const QList<unsigned int>& ids)
{
    dataService->getWorkerSyncTime(start, finish, ids, trackedReply(&WorkTimePlanningLoader::employeeSyncTimeRead));
}

void WorkTimePlanningLoader::sendGetSalesPlan(const QDate& start, const QDate& finish,
                                              const QList<unsigned int>& departmentIds)
{
    dataService->getWorkTimeBudgets(departmentIds, start, finish, trackedReply(&WorkTimePlanningLoader::salesPlanRead));
}

void WorkTimePlanningLoader::sendGetHoursBudget(const QDate& start, const QDate& finish,
                                                const QList<unsigned int>& departmentIds)
{
    dataService->getWorkTimeHours(departmentIds, start, finish, trackedReply(&WorkTimePlanningLoader::hoursBudgetRead));
}

void WorkTimePlanningLoader::sendGetFullOrgstructure()
{
    dataService->getObjects(QLatin1String(orvanta::ORGSTRUCTURE_DATANAME),
                            [this](Command& reply) { orgstructureRead(reply); });
}

void WorkTimePlanningLoader::sendGetScheduleCalendar(const QList<int>& ids, const QDate& start, const QDate& finish)
{
    dataService->getScheduleCalendar(ids, start, finish, trackedReply(&WorkTimePlanningLoader::calendarDaysReadResult));
}

void WorkTimePlanningLoader::scheduleHistoryRead(Command& reply)
{
    if (!reply.isSuccess()) {
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << reply.errorMessage();
        emit readFailed(tr("Ошибка чтения истории графиков работ"));
        return;
    }
    OVDataStream stream(reply.data);
    const auto histories = readPayload<WorkTimePlanningModel::ScheduleHistoryHash>(stream, Q_FUNC_INFO);
    qCDebug(lcWtPlanning) << Q_FUNC_INFO << "read" << histories.size();
    rebuildInSlices(model->mergeScheduleHistory(histories));
    emit totalsOutdated();

    const QList<int> calendars = calendarScheduleIds(histories);
    if (!calendars.isEmpty())
        sendGetScheduleCalendar(calendars, model->dateStart(), model->dateFinish());
}

QList<int> WorkTimePlanningLoader::calendarScheduleIds(
    const QHash<unsigned int, orvanta::WORKER_SCHEDULE_HISTORY_V2>& histories) const
{
    const QDate start = model->dateStart();
    const QDate finish = model->dateFinish();
    const LocalStorage* store = LocalStorage::instance();
    const orvanta::SCHEDULE_HASH& schedules = store->schedules();
    QSet<int> ids;
    const QList<unsigned int> employees = model->objList();
    for (unsigned int employee : employees) {
        const QList<int> personal = store->personalSchedules(employee);
        for (int id : personal) {
            const orvanta::SCHEDULE_DATA schedule = schedules.value(id);
            if (schedule.kind == orvanta::SCHEDULE_DATA::KindPersonal && schedule.date.year() == start.year()
                && schedule.date.month() == start.month())
                ids.insert(id);
        }
    }
    for (const orvanta::WORKER_SCHEDULE_HISTORY_V2& history : histories) {
        for (const auto& record : history.records) {
            if (record.state != 1 || (record.from.isValid() && record.from > finish)
                || (record.to.isValid() && record.to < start))
                continue;
            const orvanta::SCHEDULE_DATA schedule = schedules.value(int(record.schedule));
            if (schedule.keepsCalendarDays())
                ids.insert(int(record.schedule));
        }
    }
    QList<int> sorted = ids.values();
    std::sort(sorted.begin(), sorted.end());
    return sorted;
}

void WorkTimePlanningLoader::absenceReasonRead(Command& reply)
{
    if (!reply.isSuccess()) {
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << reply.errorMessage();
        emit readFailed(tr("Ошибка чтения причин отстутствия"));
        return;
    }
    OVDataStream stream(reply.data);
    auto reasons = readPayload<WorkTimePlanningModel::AbsenceReasonHash>(stream, Q_FUNC_INFO);
    const auto changeTimes = readPayload<QHash<unsigned int, QDateTime>>(stream, Q_FUNC_INFO);
    qCDebug(lcWtPlanning) << Q_FUNC_INFO << "read" << reasons.size() << changeTimes.size();
    for (auto& absences : reasons) {
        for (auto& record : absences.records) {
            record.changeTime = changeTimes.value(record.id);
            if (!record.changeTime.isValid())
                record.changeTime = record.start;
        }
    }
    rebuildInSlices(model->mergeAbsenceReasons(reasons));
    emit statisticsOutdated();
    emit totalsOutdated();
}

void WorkTimePlanningLoader::calendarDaysReadResult(Command& reply)
{
    if (!reply.isSuccess()) {
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "read calendar days error" << reply.result;
        emit readFailed(tr("Ошибка чтения расписания графика работ"));
        return;
    }
    OVDataStream stream(reply.data);
    QList<int> echoedIds;
    QDate echoedStart;
    QDate echoedFinish;
    orvanta::readFields(stream, echoedIds, echoedStart, echoedFinish);
    const auto days = readPayload<WorkTimePlanningModel::CalendarDayHash>(stream, Q_FUNC_INFO);
    qCDebug(lcWtPlanning) << Q_FUNC_INFO << "read" << days.size();
    rebuildInSlices(model->mergeCalendarDays(days));
    emit statisticsOutdated();
    emit totalsOutdated();
}

void WorkTimePlanningLoader::employeeNormTimeRead(Command& reply)
{
    if (!reply.isSuccess()) {
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "read employee norm time error" << reply.result;
        emit readFailed(tr("Ошибка чтения планового времени"));
        return;
    }
    OVDataStream stream(reply.data);
    model->setEmployeeNormTime(readPayload<QList<orvanta::WORKER_NORM_TIME>>(stream, Q_FUNC_INFO));
    // The production calendar follows the norms; a server without it leaves the days unshaded.
    if (!stream.atEnd())
        model->setDayKinds(readPayload<QHash<QDate, int>>(stream, Q_FUNC_INFO));
    emit totalsOutdated();
}

void WorkTimePlanningLoader::employeeSyncTimeRead(Command& reply)
{
    if (!reply.isSuccess()) {
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "read employee sync time error" << reply.result;
        emit readFailed(tr("Ошибка чтения статуса синхронизации"));
        return;
    }
    OVDataStream stream(reply.data);
    auto syncTimes = readPayload<QList<orvanta::WORKER_SYNC_TIME>>(stream, Q_FUNC_INFO);
    const auto normCalcTimes = readPayload<QHash<qint64, QDateTime>>(stream, Q_FUNC_INFO);
    for (auto& syncTime : syncTimes) {
        syncTime.normCalcTime = normCalcTimes.value(syncTime.key);
        if (!syncTime.normCalcTime.isValid())
            syncTime.normCalcTime = syncTime.date.startOfDay();
    }
    model->setEmployeeSyncTime(syncTimes);
    emit confirmStateChanged();
    emit totalsOutdated();
}

void WorkTimePlanningLoader::salesPlanRead(Command& reply)
{
    if (!reply.isSuccess()) {
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "read work time budget error" << reply.result;
        emit readFailed(tr("Ошибка чтения плана продаж"));
        return;
    }
    OVDataStream stream(reply.data);
    model->setSalesPlan(readPayload<QList<orvanta::SALES_PLAN>>(stream, Q_FUNC_INFO));
    emit totalsOutdated();
}

void WorkTimePlanningLoader::hoursBudgetRead(Command& reply)
{
    if (!reply.isSuccess()) {
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "read work time budget error" << reply.result;
        emit readFailed(tr("Ошибка чтения бюджета часов"));
        return;
    }
    OVDataStream stream(reply.data);
    model->setHoursBudget(readPayload<QList<orvanta::HOURS_BUDGET>>(stream, Q_FUNC_INFO));
    emit totalsOutdated();
}

void WorkTimePlanningLoader::orgstructureRead(Command& reply)
{
    if (!reply.isSuccess()) {
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "read orgsturcrure error" << reply.result;
        emit readFailed(tr("Ошибка чтения структуру предприятия"));
        return;
    }
    orvanta::OBJECT_HASH objects;
    QString dataname;
    if (!ov5sdk::Data::unpackObjects(objects, dataname, reply.data))
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "malformed payload";
    if (dataname == QLatin1String(orvanta::ORGSTRUCTURE_DATANAME))
        emit orgstructureReceived(objects);
}

QString WorkTimePlanningLoader::nextPlanningBalanceQueryId()
{
    return QStringLiteral("%1_%2").arg(QLatin1String(kBalanceQueryTag)).arg(balanceQueryCounter++);
}

void WorkTimePlanningLoader::sendGetPlanningBalanceAsync(const QDate& from, const QDate& to,
                                                         const QList<orvanta::TYPE_ID>& workers)
{
    if (!currentBalanceQueryId.isEmpty()) {
        qCDebug(lcWtPlanning) << Q_FUNC_INFO << "canceling old request" << currentBalanceQueryId;
        dataService->cancelAsyncSql(clientId, currentBalanceQueryId, [this](Command& reply) { emptyHandler(reply); });
        currentBalanceQueryId.clear();
    }

    DbQuery query{QLatin1String(kBalanceSql)};
    query.bindValue(QStringLiteral(":start"), from, DbQuery::In);
    query.bindValue(QStringLiteral(":finish"), to, DbQuery::In);
    QStringList ids;
    for (orvanta::TYPE_ID id : workers)
        ids.append(QString::number(id));
    query.bindValue(QStringLiteral(":workers"),
                    workers.isEmpty() ? QVariant(QVariant::List)
                                      : QVariant(QStringLiteral("{%1}").arg(ids.join(QLatin1Char(',')))),
                    DbQuery::In);

    qCDebug(lcWtPlanning) << Q_FUNC_INFO << query.sql();
    const QList<DbQuery::Binding> bindings = query.bindings();
    for (const DbQuery::Binding& binding : bindings)
        qCDebug(lcWtPlanning) << Q_FUNC_INFO << "\t" << binding.name << binding.value;

    currentBalanceQueryId = nextPlanningBalanceQueryId();
    balanceEmployees = workers;
    // The load stays busy until the rows of this query arrive; a cancelled query's never come.
    setBalanceQueryBusy(true);
    const QString queryId = currentBalanceQueryId;
    dataService->execAsyncSql(clientId, queryId, query, [this, queryId](Command& reply) {
        emptyHandler(reply);
        if (!reply.isSuccess() && queryId == currentBalanceQueryId) {
            currentBalanceQueryId.clear();
            setBalanceQueryBusy(false);
        }
    });
}

void WorkTimePlanningLoader::emptyHandler(Command& reply)
{
    if (!reply.isSuccess())
        qCWarning(lcWtPlanning) << Q_FUNC_INFO
                                << QStringLiteral("cmd error object:%1 status:%2").arg(reply.name).arg(reply.result);
}

void WorkTimePlanningLoader::dbresultAsyncResult(const Command& command)
{
    OVDataStream stream(command.data);
    QString queryId;
    qint32 status = 0;
    QString message;
    stream >> queryId >> status >> message;
    const auto results = readPayload<QList<DbResult>>(stream, Q_FUNC_INFO);

    const bool current = queryId.contains(QLatin1String(kBalanceQueryTag)) && queryId == currentBalanceQueryId;
    if (!current)
        return;
    // A pending status keeps the query current, but the planner need not watch it.
    setBalanceQueryBusy(false);
    if (status == kStatusPending)
        return;
    currentBalanceQueryId.clear();
    if (status == 1) {
        unpackPlanningBalance(results);
    } else {
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "read planning balance error" << status << message;
        emit readFailed(tr("Ошибка получения баланса часов"));
    }
}

void WorkTimePlanningLoader::unpackPlanningBalance(const QList<DbResult>& results)
{
    if (results.isEmpty()) {
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "empty result list";
        return;
    }
    QHash<unsigned int, orvanta::PLANNING_BALANCE> balance;
    const DbResult& rows = results.constFirst();
    for (int row = 0; row < rows.rowCount(); ++row) {
        orvanta::PLANNING_BALANCE entry;
        entry.norm = rows.value(row, QStringLiteral("norm_time")).toInt();
        entry.time = rows.value(row, QStringLiteral("plan_time")).toInt();
        balance.insert(orvanta::TYPE_ID(rows.value(row, QStringLiteral("worker_id")).toLongLong()), entry);
    }
    for (orvanta::TYPE_ID id : qAsConst(balanceEmployees)) {
        if (!balance.contains(id))
            balance.insert(id, orvanta::PLANNING_BALANCE());
    }
    qCDebug(lcWtPlanning) << Q_FUNC_INFO << "planning balance received" << balance.size();
    for (auto it = balance.cbegin(); it != balance.cend(); ++it)
        qCDebug(lcWtPlanning) << Q_FUNC_INFO << "\tuid =" << it.key() << "norm =" << it->norm << "plan =" << it->time
                              << "balance =" << (it->norm - it->time) / 3600.0;
    model->setPlanningBalance(balance);
}

void WorkTimePlanningLoader::reloadEmployeeDataDelayed(const QList<unsigned int>& uids)
{
    for (unsigned int uid : uids)
        pendingReloadUids.insert(uid);
    reloadTimer->start();
}

void WorkTimePlanningLoader::reloadEmployeeData()
{
    QStringList text;
    for (unsigned int uid : qAsConst(pendingReloadUids))
        text.append(QString::number(uid));
    qCDebug(lcWtPlanning) << Q_FUNC_INFO << "reload employee data" << "QSet" << text.join(QStringLiteral(", "));
    const QList<unsigned int> ids = pendingReloadUids.values();
    pendingReloadUids.clear();
    sendGetScheduleHistory(ids);
    sendGetAbsenceReasons(ids);
}

void WorkTimePlanningLoader::localDataChanged(const QString& dataname, const QList<unsigned int>& uids)
{
    const LocalStorage* store = LocalStorage::instance();
    if (dataname == QLatin1String(orvanta::ATTACHED_WORKER_DATANAME)) {
        // The attached-worker register page refreshes its own list from the same signal.
        for (unsigned int uid : uids) {
            const orvanta::ObjectInfo attached = store->constObject(uid, dataname);
            const auto link = attached.children.constFind(orvanta::INHERIT_ATTACHED_WORKER);
            const unsigned int employee = link == attached.children.cend() ? 0 : link->child;
            if (model->containsEmployee(employee))
                model->reloadAttached(employee);
        }
    } else if (dataname == QLatin1String(orvanta::SUBJECT_DATANAME)) {
        QList<unsigned int> employees;
        for (unsigned int uid : uids) {
            if (model->containsEmployee(uid))
                employees.append(uid);
        }
        model->reloadAttached(employees);
        reloadEmployeeDataDelayed(uids);
    } else if (dataname == QLatin1String(orvanta::ORGSTRUCTURE_DATANAME)) {
        for (unsigned int uid : uids) {
            if (model->containsDepartment(uid))
                model->reloadAttached(uid);
        }
    }
}

void WorkTimePlanningLoader::reloadPersonalScheduleOwners(const QList<unsigned int>& uids, const char* phrase)
{
    const orvanta::SCHEDULE_HASH& schedules = LocalStorage::instance()->schedules();
    for (unsigned int uid : uids) {
        const orvanta::SCHEDULE_DATA schedule = schedules.value(int(uid));
        if (schedule.kind != orvanta::SCHEDULE_DATA::KindPersonal || !model->containsEmployee(schedule.worker))
            continue;
        qCDebug(lcWtPlanning) << Q_FUNC_INFO << phrase << uid << schedule.worker;
        reloadEmployeeDataDelayed({schedule.worker});
    }
}

void WorkTimePlanningLoader::rebuildInSlices(const QList<unsigned int>& uids)
{
    if (pendingRebuild.isEmpty() && uids.size() <= kRowsPerSlice) {
        model->rebuildSelected(uids);
        return;
    }
    if (pendingRebuild.isEmpty())
        beginRequest();
    pendingRebuild.append(uids);
    rebuildTimer->start();
}

void WorkTimePlanningLoader::rebuildNextSlice()
{
    // Rows cost more or less as their schedules go: slices are cut by time, not by count.
    QElapsedTimer slice;
    slice.start();
    int taken = 0;
    while (taken < pendingRebuild.size() && slice.elapsed() < kSliceMs) {
        QList<unsigned int> rows;
        // The grid may have been cleared in between.
        for (unsigned int uid : pendingRebuild.mid(taken, kRowsPerStep)) {
            if (model->objectIdToRow(uid) >= 0)
                rows.append(uid);
        }
        model->rebuildSelected(rows);
        taken += kRowsPerStep;
    }
    pendingRebuild = pendingRebuild.mid(taken);
    emit totalsOutdated();
    if (!pendingRebuild.isEmpty())
        rebuildTimer->start();
    else
        endRequest();
}

void WorkTimePlanningLoader::beginRequest()
{
    if (++outstandingRequests == 1)
        emit loadingChanged(true);
}

void WorkTimePlanningLoader::endRequest()
{
    if (outstandingRequests > 0 && --outstandingRequests == 0)
        emit loadingChanged(false);
}

std::function<void(Command&)> WorkTimePlanningLoader::trackedReply(void (WorkTimePlanningLoader::*handler)(Command&))
{
    beginRequest();
    QPointer<WorkTimePlanningLoader> self(this);
    return [self, handler](Command& reply) {
        if (!self)
            return;
        (self->*handler)(reply);
        self->endRequest();
    };
}

void WorkTimePlanningLoader::setBalanceQueryBusy(bool busy)
{
    if (busy == balanceQueryBusy)
        return;
    balanceQueryBusy = busy;
    if (busy)
        beginRequest();
    else
        endRequest();
}
