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
    explicit WorkTimeSaveTasks(const WorkTimePlanningModel* model) : m_model(model) {}

    /// Every task of every changed employee, in save order, ending with the reset task;
    /// empty when no changed row needs a task.
    QList<orvanta::TaskInfo> prepareSave() const;

    QList<orvanta::TaskInfo> prepareAbsenceReasonTask(const WorkTimeData& data) const;
    QList<orvanta::TaskInfo> prepareScheduleHistoryTask(const WorkTimeData& data) const;
    QList<orvanta::TaskInfo> prepareDeletePersonalSchedule(const WorkTimeData& data) const;
    QList<orvanta::TaskInfo> prepareCreatePersonalSchedule(const WorkTimeData& data) const;
    QList<orvanta::TaskInfo> prepareUpdateCalendarDays(const WorkTimeData& data) const;
    QList<orvanta::TaskInfo> prepareResetSyncFlagTask(const QDate& date, const QList<unsigned int>& employees) const;

private:
    static orvanta::TaskInfo employeeTask(const WorkTimeData& data, const char* type, const QString& title,
                                          const QString& errorText);

    const WorkTimePlanningModel* m_model;
};
