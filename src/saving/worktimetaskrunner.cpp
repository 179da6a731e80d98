#include "worktimetaskrunner.h"

#include "data.h"
#include "localstorage.h"
#include "ovdatastream.h"
#include "ovglobals.h"
#include "progressdialog.h"
#include "vocabulary.h"
#include "worktimeplanningmodel.h"
#include "worktimeutils.h"
#include "wtplanninglogging.h"

#include <QColor>
#include <QLocale>
#include <QWidget>

using orvanta::LocalStorage;
using orvanta::TaskInfo;

namespace {

constexpr int kAutoCloseMs = 1000;

QString queuedText(int count)
{
    return WorkTimeTaskRunner::tr("Ожидайте, в очереди %1 заданий.\n").arg(count);
}

} // namespace

WorkTimeTaskRunner::WorkTimeTaskRunner(ov5sdk::Data* dataService, WorkTimePlanningModel* model, QWidget* window,
                                       QObject* parent)
    : QObject(parent), dataService(dataService), model(model), window(window), taskQueue(this)
{
    qRegisterMetaType<orvanta::TYPE_ID>("orvanta::TYPE_ID");
    qRegisterMetaType<orvanta::TaskInfo>("orvanta::TaskInfo");
    taskQueue.setHandler(QStringLiteral("save_object"), &WorkTimeTaskRunner::processSaveObject);
    taskQueue.setHandler(QStringLiteral("delete_object"), &WorkTimeTaskRunner::processDeleteObject);
    taskQueue.setHandler(QStringLiteral("update_absence_reason"), &WorkTimeTaskRunner::processSaveAbsenceReason);
    taskQueue.setHandler(QStringLiteral("update_schedule_history"), &WorkTimeTaskRunner::processSaveScheduleHistory);
    taskQueue.setHandler(QStringLiteral("create_personal_schedule"), &WorkTimeTaskRunner::processSavePersonalSchedule);
    taskQueue.setHandler(QStringLiteral("delete_personal_schedule"),
                         &WorkTimeTaskRunner::processDeletePersonalSchedule);
    taskQueue.setHandler(QStringLiteral("update_calendar_days"), &WorkTimeTaskRunner::processSaveCalendarDays);
    taskQueue.setHandler(QStringLiteral("reset_sync_flag"), &WorkTimeTaskRunner::processResetSyncFlag);
}

void WorkTimeTaskRunner::runSave(const QList<TaskInfo>& tasks)
{
    runSave(tasks.size(), [tasks, taken = false]() mutable {
        const bool first = !taken;
        taken = true;
        return first ? tasks : QList<TaskInfo>();
    });
}

void WorkTimeTaskRunner::runSave(int total, TaskSource next)
{
    // A closed window is only waiting for its deferred deletion.
    if (!progressDialog || progressDialog->isHidden()) {
        progressDialog = new ProgressDialog(window);
        progressDialog->setObjectName(QStringLiteral("saveProgress"));
        progressDialog->setAttribute(Qt::WA_DeleteOnClose);
        progressDialog->setLogVisible(true);
        progressDialog->setWindowTitle(tr("Сохранение..."));
        connect(progressDialog, &ProgressDialog::rejected, this, &WorkTimeTaskRunner::cancel);
    }
    // A reused window forgets the auto-close of the save before.
    progressDialog->setRange(0, total);
    progressDialog->startAnimation();
    progressDialog->show();
    feeding = std::move(next);
    feed();
}

void WorkTimeTaskRunner::feed()
{
    if (!feeding)
        return;
    const QList<TaskInfo> batch = feeding();
    if (batch.isEmpty()) {
        feeding = nullptr;
        // The replies may have caught up with the last batch already.
        if (taskQueue.isEmpty())
            finishSave();
        return;
    }
    for (const TaskInfo& task : batch)
        addTask(task);
    QMetaObject::invokeMethod(this, &WorkTimeTaskRunner::feed, Qt::QueuedConnection);
}

ProgressDialog* WorkTimeTaskRunner::progressWindow() const
{
    return progressDialog;
}

void WorkTimeTaskRunner::addTask(const TaskInfo& task)
{
    taskQueue.append(task);
    if (taskQueue.size() == 1)
        taskQueue.processNext();
    if (!progressDialog)
        return;
    progressDialog->setMessage(queuedText(taskQueue.size()));
    if (taskQueue.size() == 1)
        progressDialog->setLogMessage(task.title);
}

void WorkTimeTaskRunner::processNextTask()
{
    taskQueue.processNext();
    if (!progressDialog)
        return;
    progressDialog->increase();
    if (taskQueue.isEmpty()) {
        // More tasks may be on their way: the save ends with its last batch.
        if (!feeding)
            finishSave();
        return;
    }
    const TaskInfo next = taskQueue.current();
    progressDialog->setMessage(next.title.isEmpty() ? queuedText(taskQueue.size()) : next.title);
    progressDialog->setLogMessage(next.title);
}

void WorkTimeTaskRunner::finishSave()
{
    if (!progressDialog)
        return;
    const QString done = tr("Данные успешно сохранены!");
    progressDialog->stopAnimation();
    progressDialog->setMessage(done);
    progressDialog->setLogMessage(done);
    progressDialog->setCloseEnabled(true);
    progressDialog->finishLater(kAutoCloseMs);
    emit saveCompleted();
}

void WorkTimeTaskRunner::taskHandler(const Command& reply, bool finished)
{
    Q_UNUSED(finished)
    if (taskQueue.isEmpty()) {
        // Cancelled while the request was under way.
        if (progressDialog)
            progressDialog->finish();
        return;
    }
    const TaskInfo unit = taskQueue.current();
    taskQueue.removeCurrent();
    if (reply.isSuccess()) {
        qCDebug(lcWtPlanning) << Q_FUNC_INFO << "finished" << unit.type;
        notifyReceiver(unit, unit.uid != 0 ? unit.uid : lastAddedObjectId);
        processNextTask();
        return;
    }
    qCWarning(lcWtPlanning) << Q_FUNC_INFO << "task error" << unit.type << "status" << reply.result
                            << reply.errorMessage();
    taskQueue.removeTasks(unit);
    // A stopped save takes no more tasks either.
    feeding = nullptr;
    showFailure(unit, reply);
    notifyReceiver(unit, 0);
    if (progressDialog) {
        progressDialog->stopAnimation();
        progressDialog->setCloseEnabled(true);
    } else {
        // Nobody could close a window to clear what a failed register task left behind.
        cancel();
    }
}

void WorkTimeTaskRunner::showFailure(const TaskInfo& unit, const Command& reply)
{
    emit taskFailed(unit.errorText);
    if (!progressDialog)
        return;
    progressDialog->setMessage(unit.errorText);
    progressDialog->setLogMessage(unit.errorText);
    // The server's reason tells the planner what to correct.
    const QString reason = reply.errorMessage();
    if (!reason.isEmpty())
        progressDialog->setLogMessage(reason);
}

void WorkTimeTaskRunner::notifyReceiver(const TaskInfo& unit, orvanta::TYPE_ID id)
{
    if (!unit.receiver || unit.method.isEmpty())
        return;
    QMetaObject::invokeMethod(unit.receiver, unit.method.toLatin1().constData(), Qt::QueuedConnection,
                              Q_ARG(orvanta::TYPE_ID, id));
}

void WorkTimeTaskRunner::skipCurrentTask()
{
    Command reply;
    reply.result = ResultSuccess;
    taskHandler(reply);
}

void WorkTimeTaskRunner::cancel()
{
    qCDebug(lcWtPlanning) << Q_FUNC_INFO << "cancel" << taskQueue.size() << "tasks";
    taskQueue.clear();
    feeding = nullptr;
    waitingObjects.clear();
    waitingSchedules.clear();
}

void WorkTimeTaskRunner::waitLocalObject(unsigned int id, const Command& reply)
{
    if (reply.isSuccess() && !LocalStorage::instance()->constObject(id).isValid()) {
        waitingObjects.insert(id, reply);
        return;
    }
    taskHandler(reply);
}

void WorkTimeTaskRunner::waitLocalSchedule(int id, const Command& reply)
{
    if (reply.isSuccess() && !LocalStorage::instance()->schedules().contains(id)) {
        waitingSchedules.insert(unsigned(id), reply);
        return;
    }
    taskHandler(reply);
}

void WorkTimeTaskRunner::waitLocalScheduleRemoved(int id, const Command& reply)
{
    // The store may have dropped the schedule before the reply came; then nothing is left to wait for.
    if (reply.isSuccess() && LocalStorage::instance()->schedules().contains(id)) {
        waitingSchedules.insert(unsigned(id), reply);
        return;
    }
    taskHandler(reply);
}

void WorkTimeTaskRunner::releaseObjects(const QList<unsigned int>& ids, const char* phrase)
{
    release(waitingObjects, ids, phrase);
}

void WorkTimeTaskRunner::releaseSchedules(const QList<unsigned int>& ids, const char* phrase)
{
    release(waitingSchedules, ids, phrase);
}

void WorkTimeTaskRunner::release(QHash<unsigned int, Command>& waiting, const QList<unsigned int>& ids,
                                 const char* phrase)
{
    // Replies are parked only while a save runs with its progress window open.
    if (!progressDialog)
        return;
    for (unsigned int id : ids) {
        if (!waiting.contains(id))
            continue;
        qCDebug(lcWtPlanning) << Q_FUNC_INFO << phrase << id;
        taskHandler(waiting.take(id));
    }
}

std::function<void(Command&)> WorkTimeTaskRunner::callback(void (WorkTimeTaskRunner::*handler)(Command&))
{
    QPointer<WorkTimeTaskRunner> self(this);
    return [self, handler](Command& reply) {
        if (self)
            (self->*handler)(reply);
    };
}

int WorkTimeTaskRunner::replyId(const Command& reply)
{
    OVDataStream stream(reply.data);
    qint32 id = 0;
    stream >> id;
    return id;
}

int WorkTimeTaskRunner::personalScheduleId(orvanta::TYPE_ID employee, const QDate& date)
{
    const LocalStorage* store = LocalStorage::instance();
    const QList<int> ids = store->personalSchedules(employee);
    for (int id : ids) {
        const QDate scheduleDate = store->schedules().value(id).date;
        if (scheduleDate.year() == date.year() && scheduleDate.month() == date.month())
            return id;
    }
    return 0;
}

bool WorkTimeTaskRunner::processSaveObject(const TaskInfo& task)
{
    qCDebug(lcWtPlanning) << Q_FUNC_INFO << "process task" << task.type << task.uid << task.params;
    orvanta::ObjectInfo object;
    object.uid = task.uid;
    object.type = task.params.value(QStringLiteral("object_type")).toString();
    object.parent = task.params.value(QStringLiteral("parent")).toUInt();
    const QString prefix = QStringLiteral("property-");
    for (auto it = task.params.constBegin(); it != task.params.constEnd(); ++it) {
        if (it.key().startsWith(prefix))
            object.properties.insert(it.key().mid(prefix.size()), it.value().toString());
    }
    QList<orvanta::_INHERIT_DATA> links;
    const QVariantList inherits = task.params.value(QStringLiteral("inherits")).toList();
    for (const QVariant& entry : inherits) {
        const QVariantMap map = entry.toMap();
        orvanta::_INHERIT_DATA link;
        link.child = orvanta::TYPE_ID(map.value(QStringLiteral("child_id")).toLongLong());
        link.parent = orvanta::TYPE_ID(map.value(QStringLiteral("parent_id")).toLongLong());
        link.refType = map.value(QStringLiteral("ref_type")).toInt();
        link.start = map.value(QStringLiteral("start")).toDate().startOfDay();
        link.finish = map.value(QStringLiteral("finish")).toDate().startOfDay();
        if ((link.child != 0 || link.parent != 0) && link.refType != 0)
            links.append(link);
    }
    if (object.uid == 0) {
        qCDebug(lcWtPlanning) << Q_FUNC_INFO << "add" << object.type << object.properties << links.size();
        dataService->addObject(object, links, callback(&WorkTimeTaskRunner::objectAddedResult));
    } else {
        qCDebug(lcWtPlanning) << Q_FUNC_INFO << "save" << object.uid << object.type << object.properties
                              << links.size();
        dataService->updateObjectEx(object, links, callback(&WorkTimeTaskRunner::taskResult));
    }
    return true;
}

void WorkTimeTaskRunner::objectAddedResult(Command& reply)
{
    lastAddedObjectId = 0;
    if (reply.isSuccess()) {
        const int id = replyId(reply);
        qCDebug(lcWtPlanning) << Q_FUNC_INFO << "object added" << id;
        if (!taskQueue.isEmpty())
            lastAddedObjectId = orvanta::TYPE_ID(id);
    }
    taskHandler(reply);
}

bool WorkTimeTaskRunner::processDeleteObject(const TaskInfo& task)
{
    qCDebug(lcWtPlanning) << Q_FUNC_INFO << "process task" << task.type << task.uid << task.params;
    orvanta::ObjectInfo object;
    object.uid = task.uid;
    object.type = task.params.value(QStringLiteral("object_type")).toString();
    dataService->removeObject(object, callback(&WorkTimeTaskRunner::taskResult));
    return true;
}

bool WorkTimeTaskRunner::processSaveAbsenceReason(const TaskInfo& task)
{
    qCDebug(lcWtPlanning) << Q_FUNC_INFO << "process task" << task.type << task.uid << task.params;
    const QHash<uint, orvanta::_WORKER_ABSENCE_REASON> reasons{{task.uid, model->objectAbsenceReasons(task.uid)}};
    dataService->updateWorkerAbsenceReason(reasons, callback(&WorkTimeTaskRunner::taskResult));
    return true;
}

bool WorkTimeTaskRunner::processSaveScheduleHistory(const TaskInfo& task)
{
    qCDebug(lcWtPlanning) << Q_FUNC_INFO << "process task" << task.type << task.uid << task.params;
    const QHash<uint, orvanta::WORKER_SCHEDULE_HISTORY_V2> histories{
        {task.uid, model->objectScheduleHistory(task.uid)}};
    dataService->setWorkerSchedules(histories, callback(&WorkTimeTaskRunner::taskResult));
    return true;
}

bool WorkTimeTaskRunner::processSavePersonalSchedule(const TaskInfo& task)
{
    qCDebug(lcWtPlanning) << Q_FUNC_INFO << "process task" << task.type << task.uid << task.params;
    const QDate date = task.params.value(QStringLiteral("date")).toDate();
    if (personalScheduleId(task.uid, date) != 0) {
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "personal schedule already exist" << task.uid << date;
        QMetaObject::invokeMethod(this, "skipCurrentTask", Qt::QueuedConnection);
        return true;
    }
    const orvanta::ObjectInfo employee =
        LocalStorage::instance()->constObject(task.uid, QLatin1String(orvanta::SUBJECT_DATANAME));
    orvanta::SCHEDULE_DATA schedule;
    schedule.name = QStringLiteral("%1 %2 %3")
                        .arg(OVGlobals::objectName(employee), QLocale().monthName(date.month(), QLocale::LongFormat))
                        .arg(date.year());
    schedule.active = 1;
    schedule.kind = orvanta::SCHEDULE_DATA::KindPersonal;
    schedule.date = date;
    schedule.color = QColor(Qt::lightGray).name();
    schedule.worker = task.uid;
    dataService->addSchedule(schedule, callback(&WorkTimeTaskRunner::personalScheduleSaveResult));
    return true;
}

void WorkTimeTaskRunner::personalScheduleSaveResult(Command& reply)
{
    if (!reply.isSuccess()) {
        taskHandler(reply);
        return;
    }
    const int id = replyId(reply);
    if (!taskQueue.isEmpty())
        createdPersonalSchedules.insert(taskQueue.current().uid, id);
    waitLocalSchedule(id, reply);
}

bool WorkTimeTaskRunner::processDeletePersonalSchedule(const TaskInfo& task)
{
    qCDebug(lcWtPlanning) << Q_FUNC_INFO << "process task" << task.type << task.uid << task.params;
    const QDate date = task.params.value(QStringLiteral("date")).toDate();
    const int id = personalScheduleId(task.uid, date);
    if (id == 0) {
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "personal schedule not exist" << task.uid << date;
        QMetaObject::invokeMethod(this, "skipCurrentTask", Qt::QueuedConnection);
        return true;
    }
    // A schedule created again in this save must not be taken for the one deleted now.
    createdPersonalSchedules.remove(task.uid);
    dataService->removeSchedules({uint(id)}, callback(&WorkTimeTaskRunner::personalScheduleDeleteResult));
    return true;
}

void WorkTimeTaskRunner::personalScheduleDeleteResult(Command& reply)
{
    if (!reply.isSuccess()) {
        taskHandler(reply);
        return;
    }
    waitLocalScheduleRemoved(replyId(reply), reply);
}

bool WorkTimeTaskRunner::processSaveCalendarDays(const TaskInfo& task)
{
    qCDebug(lcWtPlanning) << Q_FUNC_INFO << "process task" << task.type << task.uid;
    const QDate start = task.params.value(QStringLiteral("start")).toDate();
    const QDate finish = task.params.value(QStringLiteral("finish")).toDate();
    int scheduleId = personalScheduleId(task.uid, start);
    if (scheduleId == 0)
        scheduleId = createdPersonalSchedules.value(task.uid, 0);
    if (scheduleId == 0) {
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "personal schedule not exist" << task.uid << start;
        return false;
    }
    QList<orvanta::SCHEDULE_CALENDAR_DAY> days;
    const QVariantList dayMaps = task.params.value(QStringLiteral("days")).toList();
    for (const QVariant& entry : dayMaps) {
        const QVariantMap map = entry.toMap();
        orvanta::SCHEDULE_CALENDAR_DAY day;
        day.shift = map.value(QStringLiteral("shift_id")).toUInt();
        if (day.shift == 0) {
            const QVariantList intervals = map.value(QStringLiteral("intervals")).toList();
            for (const QVariant& value : intervals) {
                const QVariantMap interval = value.toMap();
                orvanta::SCHEDULE_CALENDAR_INTERVAL part;
                part.start = interval.value(QStringLiteral("start")).toInt();
                part.finish = interval.value(QStringLiteral("finish")).toInt();
                part.order = interval.value(QStringLiteral("order")).toInt();
                day.intervals.append(part);
            }
        }
        day.date = map.value(QStringLiteral("date")).toDate();
        day.start = WorkTimeUtils::intervalStart(day.intervals);
        day.finish = WorkTimeUtils::intervalFinish(day.intervals);
        day.time = WorkTimeUtils::intervalTime(day.intervals);
        days.append(day);
    }
    dataService->updateScheduleCalendar(scheduleId, start, finish, days, callback(&WorkTimeTaskRunner::taskResult));
    return true;
}

bool WorkTimeTaskRunner::processResetSyncFlag(const TaskInfo& task)
{
    qCDebug(lcWtPlanning) << Q_FUNC_INFO << "process task" << task.type << task.uid << task.params;
    QList<uint> employees;
    const QVariantList ids = task.params.value(QStringLiteral("employees")).toList();
    for (const QVariant& id : ids)
        employees.append(uint(id.toLongLong()));
    dataService->resetWorkerSyncTime(task.params.value(QStringLiteral("date")).toDate(), employees,
                                     callback(&WorkTimeTaskRunner::taskResult));
    return true;
}
