#include "demofiguresbuilder.h"

#include "demodraft.h"

#include <cmath>

using namespace orvanta;

DemoFiguresBuilder::DemoFiguresBuilder(DemoDraft& draft)
    : m_draft(draft),
      m_lastDay(draft.yearEnd.addYears(1)),
      m_thisYear(draft.yearStart.year()),
      m_nextYear(draft.yearStart.year() + 1)
{
    for (QDate date = draft.yearStart; date <= m_lastDay; date = date.addDays(1)) {
        const int norm = calendar(date).normSeconds(date);
        if (norm > 0)
            m_workingDays.append(qMakePair(date, norm));
    }
}

const ProductionCalendar& DemoFiguresBuilder::calendar(const QDate& date) const
{
    return date.year() == m_thisYear.year() ? m_thisYear : m_nextYear;
}

bool DemoFiguresBuilder::isDayOff(const QDate& date) const
{
    return date.dayOfWeek() >= Qt::Saturday || calendar(date).isHoliday(date);
}

void DemoFiguresBuilder::addEmployeeFigures(const DemoEmployee& employee)
{
    addNormTime(employee);
    addSyncTime(employee);
}

void DemoFiguresBuilder::addNormTime(const DemoEmployee& employee)
{
    for (const QPair<QDate, int>& day : qAsConst(m_workingDays)) {
        if (!employee.employedOn(day.first))
            continue;
        WORKER_NORM_TIME norm;
        norm.id = m_draft.org.normTime.size() + 1;
        norm.date = day.first;
        norm.worker = employee.uid;
        norm.time = day.second;
        m_draft.org.normTime.append(norm);
    }
}

// A month is confirmed for a whole department at once, a few days after its end, and synchronised
// soon after; the norm was calculated just before the month began.
WORKER_SYNC_TIME DemoFiguresBuilder::confirmation(const QDate& month, int department)
{
    const QPair<QDate, int> key = qMakePair(month, department);
    auto found = m_confirmations.constFind(key);
    if (found != m_confirmations.cend())
        return found.value();
    const QDate last = month.addMonths(1).addDays(-1);
    WORKER_SYNC_TIME sync;
    sync.date = month;
    sync.sync = true;
    sync.saveTime = DemoDraft::at(last.addDays(m_draft.random.between(1, 3)), m_draft.random.between(9, 17),
                                  m_draft.random.between(0, 59));
    sync.syncTime = sync.saveTime.addSecs(m_draft.random.between(600, 7200));
    sync.normCalcTime = DemoDraft::at(month.addDays(-3), 21);
    return m_confirmations.insert(key, sync).value();
}

void DemoFiguresBuilder::addSyncTime(const DemoEmployee& employee)
{
    for (QDate month = m_draft.yearStart; month < m_draft.monthStart; month = month.addMonths(1)) {
        const QDate last = month.addMonths(1).addDays(-1);
        if (employee.hired > last || (employee.end.isValid() && employee.end < month))
            continue;
        const int department = employee.begin <= last ? employee.department : employee.previousDepartment;
        WORKER_SYNC_TIME sync = confirmation(month, department);
        sync.key = m_nextSyncKey++;
        sync.worker = employee.uid;
        if (employee.slot == DemoEmployee::LastMonthUnsynced && month.addMonths(1) == m_draft.monthStart) {
            sync.sync = false;
            sync.syncTime = QDateTime();
        }
        m_draft.org.syncTime.append(sync);
    }
}

qint64 DemoFiguresBuilder::salesPlan(const DemoDepartment& department, const QDate& date)
{
    const double base = department.isTopLevel() ? 420000.0 : 180000.0;
    const double factor = (isDayOff(date) ? 1.4 : 1.0) * m_draft.random.between(8500, 11500) / 10000.0;
    return qint64(std::round(base * factor / 100.0)) * 100;
}

int DemoFiguresBuilder::hoursBudget(const DemoDepartment& department, const QDate& date)
{
    const bool working = calendar(date).isWorkingDay(date);
    const bool weekend = isDayOff(date);
    const int staff = qMax(1, department.staff);
    switch (department.site) {
    case DemoDepartment::Site::Shop:
        return staff * (weekend ? 7 : 5) + m_draft.random.between(0, 4);
    case DemoDepartment::Site::Warehouse:
        return staff * (working ? 6 : 3) + m_draft.random.between(0, 2);
    case DemoDepartment::Site::Office:
        return working ? staff * 8 : 0;
    }
    return 0;
}

void DemoFiguresBuilder::addBudgets()
{
    for (const DemoDepartment& department : qAsConst(m_draft.departments)) {
        for (QDate date = m_draft.yearStart; date <= m_lastDay; date = date.addDays(1)) {
            if (department.site == DemoDepartment::Site::Shop) {
                SALES_PLAN plan;
                plan.id = m_draft.org.salesPlan.size() + 1;
                plan.date = date;
                plan.department = department.uid;
                plan.value = salesPlan(department, date);
                m_draft.org.salesPlan.append(plan);
            }
            const int hours = hoursBudget(department, date);
            if (hours <= 0)
                continue;
            HOURS_BUDGET budget;
            budget.id = m_draft.org.hoursBudget.size() + 1;
            budget.date = date;
            budget.department = department.uid;
            // The budget travels in seconds, like every other time figure of the plan.
            budget.value = hours * 3600;
            m_draft.org.hoursBudget.append(budget);
        }
    }
}
