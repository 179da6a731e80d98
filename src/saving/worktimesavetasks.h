#pragma once

#include "taskinfo.h"

#include <QDate>
#include <QList>

class WorkTimeData;
class WorkTimePlanningModel;

/// Turns the change bits of the grid's rows into save tasks. Every task is a fresh record; the
/// data a task sends is read from the model when it runs, except the calendar days carried here.
class WorkTimeSaveTasks
{
public:
    /// Takes the model's changed employees as they are now.
    explicit WorkTimeSaveTasks(const WorkTimePlanningModel* model);

    /// How many tasks the save has, the reset task included; 0 when no changed row needs a task.
    int taskCount() const;
    /// The tasks of the next changed employees, in save order, built for at most budgetMs (at least
    /// one employee's); the reset task comes last. Empty once everything was taken.
    QList<orvanta::TaskInfo> takeBatch(int budgetMs);

    QList<orvanta::TaskInfo> prepareAbsenceReasonTask(const WorkTimeData& data) const;
    QList<orvanta::TaskInfo> prepareScheduleHistoryTask(const WorkTimeData& data) const;
    QList<orvanta::TaskInfo> prepareDeletePersonalSchedule(const WorkTimeData& data) const;
    QList<orvanta::TaskInfo> prepareCreatePersonalSchedule(const WorkTimeData& data) const;
    QList<orvanta::TaskInfo> prepareUpdateCalendarDays(const WorkTimeData& data) const;
    QList<orvanta::TaskInfo> prepareResetSyncFlagTask(const QDate& date, const QList<unsigned int>& employees) const;

private:
    static orvanta::TaskInfo employeeTask(const WorkTimeData& data, const char* type, const QString& title,
                                          const QString& errorText);

    QList<orvanta::TaskInfo> prepareEmployee(unsigned int uid) const;

    const WorkTimePlanningModel* m_model;
    const QList<unsigned int> m_changed;
    int m_next = 0;
    bool m_anyTask = false;
    bool m_resetTaken = false;
};
