#pragma once

#include "command.h"
#include "orvantatypes.h"
#include "taskinfo.h"
#include "taskqueue.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>

#include <functional>

class ProgressDialog;
class QWidget;
class WorkTimePlanningModel;

namespace ov5sdk {
class Data;
}

/// Runs the planning screen's writes one task at a time: the save, and the tasks the register
/// dialogs hand over. Each handler sends one data-service request; its reply ends the task, after
/// the local store has caught up when the task created or removed a personal schedule.
class WorkTimeTaskRunner : public QObject
{
    Q_OBJECT

public:
    WorkTimeTaskRunner(ov5sdk::Data* dataService, WorkTimePlanningModel* model, QWidget* window,
                       QObject* parent = nullptr);

    /// The next batch of a save's tasks; empty when there are no more.
    using TaskSource = std::function<QList<orvanta::TaskInfo>()>;

    /// Opens the progress window (or reuses the open one) for total tasks and queues the batches of
    /// next, one batch per pass of the event loop, so a large save never freezes the window.
    void runSave(int total, TaskSource next);
    void runSave(const QList<orvanta::TaskInfo>& tasks);
    bool isBusy() const { return !taskQueue.isEmpty() || bool(feeding); }
    ProgressDialog* progressWindow() const;
    orvanta::TYPE_ID lastAddedObject() const { return lastAddedObjectId; }

    /// The store reported these objects (changed or removed): their parked replies end their tasks.
    void releaseObjects(const QList<unsigned int>& ids, const char* phrase);
    /// The same for schedules.
    void releaseSchedules(const QList<unsigned int>& ids, const char* phrase);

public slots:
    void addTask(const orvanta::TaskInfo& task);
    /// Ends the current unit as successful; handlers that find nothing to do invoke it queued.
    void skipCurrentTask();
    /// Empties the queue and forgets the parked replies; replies still under way find nothing to end.
    void cancel();

signals:
    /// A task failed; the text is for the planner.
    void taskFailed(const QString& errorText);
    /// A save ran through: every task succeeded.
    void saveCompleted();

private:
    void feed();
    void processNextTask();
    void finishSave();
    void taskHandler(const Command& reply, bool finished = true);
    void notifyReceiver(const orvanta::TaskInfo& unit, orvanta::TYPE_ID id);
    void waitLocalObject(unsigned int id, const Command& reply);
    void waitLocalSchedule(int id, const Command& reply);
    void waitLocalScheduleRemoved(int id, const Command& reply);
    void release(QHash<unsigned int, Command>& waiting, const QList<unsigned int>& ids, const char* phrase);
    void showFailure(const orvanta::TaskInfo& unit, const Command& reply);

    bool processSaveObject(const orvanta::TaskInfo& task);
    bool processDeleteObject(const orvanta::TaskInfo& task);
    bool processSaveAbsenceReason(const orvanta::TaskInfo& task);
    bool processSaveScheduleHistory(const orvanta::TaskInfo& task);
    bool processSavePersonalSchedule(const orvanta::TaskInfo& task);
    bool processDeletePersonalSchedule(const orvanta::TaskInfo& task);
    bool processSaveCalendarDays(const orvanta::TaskInfo& task);
    bool processResetSyncFlag(const orvanta::TaskInfo& task);

    void objectAddedResult(Command& reply);
    void personalScheduleSaveResult(Command& reply);
    void personalScheduleDeleteResult(Command& reply);
    /// The replies that only end their task.
    void taskResult(Command& reply) { taskHandler(reply); }

    /// The employee's personal schedule of the month of date as the local store knows it; 0 for none.
    static int personalScheduleId(orvanta::TYPE_ID employee, const QDate& date);
    static int replyId(const Command& reply);
    std::function<void(Command&)> callback(void (WorkTimeTaskRunner::*handler)(Command&));

    ov5sdk::Data* dataService;
    WorkTimePlanningModel* model;
    QPointer<QWidget> window;
    TaskQueue<WorkTimeTaskRunner> taskQueue;
    /// The save still handing over tasks; empty when it has handed over all, failed or was cancelled.
    TaskSource feeding;
    QPointer<ProgressDialog> progressDialog;
    orvanta::TYPE_ID lastAddedObjectId = 0;
    QHash<unsigned int, Command> waitingObjects;
    QHash<unsigned int, Command> waitingSchedules;
    /// Personal schedules created by this screen, by employee; read before the store lists them.
    QHash<unsigned int, int> createdPersonalSchedules;
};
