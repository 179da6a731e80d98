#pragma once

#include "productioncalendar.h"
#include "workersynctime.h"

#include <QHash>
#include <QList>
#include <QPair>

class DemoDraft;
struct DemoDepartment;
struct DemoEmployee;

/// The figures a plan is measured against: each employee's norm time from the production
/// calendar and confirmed months, the shops' sales plan and the departments' hours budget; the
/// calendar figures cover this year and the next, so next month is planned against them too.
class DemoFiguresBuilder
{
public:
    explicit DemoFiguresBuilder(DemoDraft& draft);

    void addEmployeeFigures(const DemoEmployee& employee);
    /// After the employees: the hours budget follows the staff of a department.
    void addBudgets();

private:
    void addNormTime(const DemoEmployee& employee);
    void addSyncTime(const DemoEmployee& employee);
    orvanta::WORKER_SYNC_TIME confirmation(const QDate& month, int department);
    qint64 salesPlan(const DemoDepartment& department, const QDate& date);
    int hoursBudget(const DemoDepartment& department, const QDate& date);

    const ProductionCalendar& calendar(const QDate& date) const;
    bool isDayOff(const QDate& date) const;

    DemoDraft& m_draft;
    const QDate m_lastDay;
    const ProductionCalendar m_thisYear;
    const ProductionCalendar m_nextYear;
    /// The working days of both years with their norm in seconds.
    QList<QPair<QDate, int>> m_workingDays;
    /// One confirmation per month and department index.
    QHash<QPair<QDate, int>, orvanta::WORKER_SYNC_TIME> m_confirmations;
    qint64 m_nextSyncKey = 1;
};
