#pragma once

#include "orvantatypes.h"

#include <QHash>
#include <QString>

class DemoDraft;
struct DemoDepartment;
struct DemoEmployee;
class QDate;

/// Jobs and employees: who works where and since when, on which schedule, who moved between
/// departments, and who is attached to another department for a while.
class DemoPeopleBuilder
{
public:
    explicit DemoPeopleBuilder(DemoDraft& draft);

    /// After the departments: the jobs their staff hold.
    void addJobs();
    /// Plans the employee of index, adds its object and worker history, and returns it as the
    /// draft keeps it.
    const DemoEmployee& addEmployee(int index);
    void addAttachedWorker(const DemoEmployee& employee);

private:
    DemoEmployee planEmployee(int index);
    void planDates(DemoEmployee& employee);
    void addEmployeeObject(const DemoEmployee& employee);
    void addWorkerHistory(const DemoEmployee& employee);
    int pickDepartment();
    int pickOtherDepartment(int department);
    int pickHostDepartment(const DemoEmployee& employee);
    orvanta::TYPE_ID pickJob(const DemoDepartment& department);
    int pickSchedule(const DemoDepartment& department, int unlike = 0);
    QDate earlierThisYear();

    DemoDraft& m_draft;
    QHash<QString, orvanta::TYPE_ID> m_jobs;
    orvanta::TYPE_ID m_nextHistoryUid;
    orvanta::TYPE_ID m_nextAttachedUid;
};
