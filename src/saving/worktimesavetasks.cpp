#include "worktimesavetasks.h"

#include "worktimedata.h"
#include "worktimeplanningmodel.h"
#include "wtplanninglogging.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLocale>
#include <QVariantList>
#include <QVariantMap>

using orvanta::TaskInfo;

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("WorkTimeSaveTasks", text);
}

QVariantMap dayMap(const QDate& date, const WorkTimeData::Day& day)
{
    QVariantList intervals;
    for (const orvanta::SCHEDULE_CALENDAR_INTERVAL& interval : day.intervals)
        intervals.append(QVariantMap{{QStringLiteral("start"), interval.start},
                                     {QStringLiteral("finish"), interval.finish},
                                     {QStringLiteral("order"), interval.order}});
    return {{QStringLiteral("date"), date},
            {QStringLiteral("shift_id"), uint(day.shift)},
            {QStringLiteral("intervals"), intervals}};
}

} // namespace

WorkTimeSaveTasks::WorkTimeSaveTasks(const WorkTimePlanningModel* model)
    : m_model(model), m_changed(model->changedUids())
{
}

int WorkTimeSaveTasks::taskCount() const
{
    constexpr int taskBits = WorkTimeData::AbsenceReasonsChanged | WorkTimeData::ScheduleHistoryChanged
        | WorkTimeData::CreatePersonalSchedule | WorkTimeData::CalendarDaysChanged
        | WorkTimeData::DeletePersonalSchedule;
    int count = 0;
    for (unsigned int uid : m_changed)
        count += qPopulationCount(quint32(m_model->workTimeData(uid).changes() & taskBits));
    return count > 0 ? count + 1 : 0;
}

QList<TaskInfo> WorkTimeSaveTasks::takeBatch(int budgetMs)
{
    QElapsedTimer timer;
    timer.start();
    QList<TaskInfo> tasks;
    while (m_next < m_changed.size() && (tasks.isEmpty() || timer.elapsed() < budgetMs))
        tasks += prepareEmployee(m_changed.at(m_next++));
    m_anyTask = m_anyTask || !tasks.isEmpty();
    // Rows whose bits ask for no task save nothing, not even the reset.
    if (m_next == m_changed.size() && m_anyTask && !m_resetTaken) {
        m_resetTaken = true;
        tasks += prepareResetSyncFlagTask(m_model->dateStart(), m_changed);
    }
    return tasks;
}

QList<TaskInfo> WorkTimeSaveTasks::prepareEmployee(unsigned int uid) const
{
    const WorkTimeData data = m_model->workTimeData(uid);
    const int changes = data.changes();
    qCDebug(lcWtPlanning) << Q_FUNC_INFO << "prepare saving" << uid << changes;
    // A personal schedule is deleted before a new one is created, and created before its days.
    QList<TaskInfo> tasks;
    if (changes & WorkTimeData::AbsenceReasonsChanged)
        tasks += prepareAbsenceReasonTask(data);
    if (changes & WorkTimeData::ScheduleHistoryChanged)
        tasks += prepareScheduleHistoryTask(data);
    if (changes & WorkTimeData::DeletePersonalSchedule)
        tasks += prepareDeletePersonalSchedule(data);
    if (changes & WorkTimeData::CreatePersonalSchedule)
        tasks += prepareCreatePersonalSchedule(data);
    if (changes & WorkTimeData::CalendarDaysChanged)
        tasks += prepareUpdateCalendarDays(data);
    return tasks;
}

TaskInfo WorkTimeSaveTasks::employeeTask(const WorkTimeData& data, const char* type, const QString& title,
                                         const QString& errorText)
{
    TaskInfo task;
    task.type = QLatin1String(type);
    task.uid = data.uid();
    task.title = title.arg(data.name());
    task.errorText = errorText.arg(data.name());
    return task;
}

QList<TaskInfo> WorkTimeSaveTasks::prepareAbsenceReasonTask(const WorkTimeData& data) const
{
    return {employeeTask(data, "update_absence_reason", tr("Сохранение причин отсутствия %1"),
                         tr("Ошибка сохранения причин отсутствия %1"))};
}

QList<TaskInfo> WorkTimeSaveTasks::prepareScheduleHistoryTask(const WorkTimeData& data) const
{
    return {employeeTask(data, "update_schedule_history", tr("Сохранение графиков работ %1"),
                         tr("Ошибка сохранения графиков работ %1"))};
}

QList<TaskInfo> WorkTimeSaveTasks::prepareDeletePersonalSchedule(const WorkTimeData& data) const
{
    TaskInfo task = employeeTask(data, "delete_personal_schedule", tr("Удаление индивидуального графика работ %1"),
                                 tr("Ошибка удаления индивидуального графика работ %1"));
    task.params.insert(QStringLiteral("date"), m_model->dateStart());
    return {task};
}

QList<TaskInfo> WorkTimeSaveTasks::prepareCreatePersonalSchedule(const WorkTimeData& data) const
{
    TaskInfo task = employeeTask(data, "create_personal_schedule", tr("Создание индивидуального графика работ %1"),
                                 tr("Ошибка создания индивидуального графика работ %1"));
    task.params.insert(QStringLiteral("date"), m_model->dateStart());
    return {task};
}

QList<TaskInfo> WorkTimeSaveTasks::prepareUpdateCalendarDays(const WorkTimeData& data) const
{
    // A new personal schedule starts empty, so every day of the period is written to it.
    const bool allDays = data.changes() & WorkTimeData::CreatePersonalSchedule;
    const QDate start = m_model->dateStart();
    QVariantList days;
    const QList<WorkTimeData::Day>& rowDays = data.days();
    for (int i = 0; i < rowDays.size(); ++i) {
        if (allDays || rowDays.at(i).hasChanges())
            days.append(dayMap(start.addDays(i), rowDays.at(i)));
    }
    TaskInfo task = employeeTask(data, "update_calendar_days", tr("Обновление расписания индивидуального графика %1"),
                                 tr("Ошибка обновления расписания индивидуального графика %1"));
    task.params.insert(QStringLiteral("start"), start);
    task.params.insert(QStringLiteral("finish"), m_model->dateFinish());
    task.params.insert(QStringLiteral("days"), days);
    return {task};
}

QList<TaskInfo> WorkTimeSaveTasks::prepareResetSyncFlagTask(const QDate& date,
                                                            const QList<unsigned int>& employees) const
{
    QVariantList ids;
    for (unsigned int uid : employees)
        ids.append(uid);
    TaskInfo task;
    task.type = QStringLiteral("reset_sync_flag");
    task.uid = 0;
    const QString day = QLocale().toString(date, QLocale::ShortFormat);
    task.title = tr("Сброс флага синхронизации %1").arg(day);
    task.errorText = tr("Ошибка сброса флага синхронизации %1").arg(day);
    task.params.insert(QStringLiteral("date"), date);
    task.params.insert(QStringLiteral("employees"), ids);
    return {task};
}
