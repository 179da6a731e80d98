#include "demopeoplebuilder.h"

#include "demodraft.h"
#include "demoids.h"
#include "vocabulary.h"

using namespace orvanta;
using namespace DemoIds;

namespace {

// Employment dates of an employee; the vocabulary names them per object kind.
constexpr char DateBegin[] = "PT_DATE_BEGIN";
constexpr char DateEnd[] = "PT_DATE_END";

} // namespace

DemoPeopleBuilder::DemoPeopleBuilder(DemoDraft& draft)
    : m_draft(draft), m_nextHistoryUid(FirstWorkerHistoryUid), m_nextAttachedUid(FirstAttachedWorkerUid)
{
}

void DemoPeopleBuilder::addJobs()
{
    TYPE_ID nextUid = FirstJobUid;
    for (const DemoDepartment& department : qAsConst(m_draft.departments)) {
        for (const QString& job : department.jobs) {
            if (m_jobs.contains(job))
                continue;
            m_jobs.insert(job, nextUid);
            m_draft.addObject(JOB_DATANAME, DemoDraft::makeObject(nextUid++, db::wt::JOB, 0, job));
        }
    }
}

const DemoEmployee& DemoPeopleBuilder::addEmployee(int index)
{
    const DemoEmployee employee = planEmployee(index);
    addEmployeeObject(employee);
    if (employee.previousDepartment >= 0)
        addWorkerHistory(employee);
    ++m_draft.departments[employee.department].staff;
    m_draft.employees.append(employee);
    return m_draft.employees.constLast();
}

int DemoPeopleBuilder::pickDepartment()
{
    int total = 0;
    for (const DemoDepartment& department : qAsConst(m_draft.departments))
        total += department.weight;
    int ticket = m_draft.random.between(1, total);
    for (int index = 0; index < m_draft.departments.size(); ++index) {
        ticket -= m_draft.departments.at(index).weight;
        if (ticket <= 0)
            return index;
    }
    return 0;
}

int DemoPeopleBuilder::pickOtherDepartment(int department)
{
    const int other = m_draft.random.index(m_draft.departments.size() - 1);
    return other >= department ? other + 1 : other;
}

TYPE_ID DemoPeopleBuilder::pickJob(const DemoDepartment& department)
{
    return m_jobs.value(department.jobs.at(m_draft.random.index(department.jobs.size())));
}

int DemoPeopleBuilder::pickSchedule(const DemoDepartment& department, int unlike)
{
    QList<int> choices = department.schedules;
    choices.removeAll(unlike);
    if (choices.isEmpty())
        choices = {FiveDaySchedule, MorningTwoTwoSchedule, EveningTwoTwoSchedule, WarehouseMorningSchedule};
    choices.removeAll(unlike);
    return choices.at(m_draft.random.index(choices.size()));
}

QDate DemoPeopleBuilder::earlierThisYear()
{
    const int monthsBack = m_draft.random.between(1, qMax(1, m_draft.monthStart.month() - 1));
    return m_draft.monthStart.addMonths(-monthsBack).addDays(m_draft.random.between(0, 20));
}

void DemoPeopleBuilder::planDates(DemoEmployee& employee)
{
    DemoRandom& random = m_draft.random;
    const QDate& monthStart = m_draft.monthStart;
    employee.hired = monthStart.addDays(-random.between(90, 8 * 365));
    employee.begin = employee.hired;
    employee.scheduleFrom = employee.hired;
    switch (employee.slot) {
    case DemoEmployee::StartsThisMonth:
        employee.hired = employee.begin = employee.scheduleFrom = monthStart.addDays(random.between(1, 19));
        break;
    case DemoEmployee::LeavesThisMonth:
        employee.end = monthStart.addDays(random.between(9, m_draft.monthEnd.day() - 1));
        break;
    case DemoEmployee::TransferredThisYear:
        employee.begin = employee.scheduleFrom = earlierThisYear();
        break;
    case DemoEmployee::TransferredThisMonth:
        employee.begin = employee.scheduleFrom = monthStart.addDays(random.between(5, 20));
        break;
    case DemoEmployee::ScheduleChanged:
        employee.scheduleFrom = monthStart.addMonths(-random.between(1, 5));
        break;
    }
    // Whoever changed something did so well after being hired.
    if (employee.scheduleFrom.addDays(-60) < employee.hired && employee.slot != DemoEmployee::StartsThisMonth)
        employee.hired = employee.scheduleFrom.addDays(-random.between(60, 400));
}

DemoEmployee DemoPeopleBuilder::planEmployee(int index)
{
    DemoEmployee employee;
    employee.uid = FirstEmployeeUid + TYPE_ID(index);
    employee.slot = index % DemoEmployee::SlotCount;
    employee.number = QStringLiteral("%1").arg(index + 1, 5, 10, QLatin1Char('0'));
    employee.person = DemoNames::person(m_draft.random);
    employee.department = pickDepartment();
    const DemoDepartment& department = m_draft.departments.at(employee.department);
    employee.job = pickJob(department);
    employee.schedule = pickSchedule(department);
    planDates(employee);
    if (employee.slot == DemoEmployee::TransferredThisYear || employee.slot == DemoEmployee::TransferredThisMonth) {
        employee.previousDepartment = pickOtherDepartment(employee.department);
        const DemoDepartment& previous = m_draft.departments.at(employee.previousDepartment);
        employee.previousJob = pickJob(previous);
        employee.previousSchedule = pickSchedule(previous);
    } else if (employee.slot == DemoEmployee::ScheduleChanged) {
        employee.previousSchedule = pickSchedule(department, employee.schedule);
    }
    return employee;
}

void DemoPeopleBuilder::addEmployeeObject(const DemoEmployee& employee)
{
    const DemoDepartment& department = m_draft.departments.at(employee.department);
    ObjectInfo object =
        DemoDraft::makeObject(employee.uid, db::orgstructure::WORKER, department.uid, employee.person.fullName());
    object.properties.insert(DemoDraft::key(db::subject::LASTNAME), employee.person.lastName);
    object.properties.insert(DemoDraft::key(db::subject::FIRSTNAME), employee.person.firstName);
    object.properties.insert(DemoDraft::key(db::subject::MIDDLENAME), employee.person.middleName);
    object.properties.insert(DemoDraft::key(db::subject::WORKERNUM), employee.number);
    object.properties.insert(DemoDraft::key(db::subject::JOBLINK), QString::number(employee.job));
    object.properties.insert(DemoDraft::key(DateBegin), DemoDraft::isoDate(employee.begin));
    if (employee.end.isValid())
        object.properties.insert(DemoDraft::key(DateEnd), DemoDraft::isoDate(employee.end));
    object.properties.insert(DemoDraft::key(db::subject::DISABLE_PLANNING),
                             DemoDraft::flag(employee.slot == DemoEmployee::PlanningDisabled));
    m_draft.addObject(SUBJECT_DATANAME, object);
    m_draft.link(department.uid, employee.uid, INHERIT_PARENT_CHILD, employee.begin, employee.end);
}

// The time in the department before a transfer, as the client finds it from both ends.
void DemoPeopleBuilder::addWorkerHistory(const DemoEmployee& employee)
{
    const TYPE_ID uid = m_nextHistoryUid++;
    const DemoDepartment& previous = m_draft.departments.at(employee.previousDepartment);
    const QDate last = employee.begin.addDays(-1);
    ObjectInfo history = DemoDraft::makeObject(uid, db::wt::WORKER_HISTORY, previous.uid, employee.person.fullName());
    history.properties.insert(DemoDraft::key(db::worker_history::DATE_BEGIN), DemoDraft::isoDate(employee.hired));
    history.properties.insert(DemoDraft::key(db::worker_history::DATE_END), DemoDraft::isoDate(last));
    history.properties.insert(DemoDraft::key(db::worker_history::JOBLINK), QString::number(employee.previousJob));
    m_draft.addObject(WORKER_HISTORY_DATANAME, history);
    m_draft.link(previous.uid, uid, INHERIT_WORKER_HISTORY_DEPARTMENT, employee.hired, last);
    m_draft.link(employee.uid, uid, INHERIT_WORKER_HISTORY, employee.hired, last);
}

// A trip to a department of the same site when there is one.
int DemoPeopleBuilder::pickHostDepartment(const DemoEmployee& employee)
{
    const DemoDepartment::Site site = m_draft.departments.at(employee.department).site;
    QList<int> hosts;
    for (int index = 0; index < m_draft.departments.size(); ++index) {
        if (index != employee.department && m_draft.departments.at(index).site == site)
            hosts.append(index);
    }
    if (hosts.isEmpty())
        return pickOtherDepartment(employee.department);
    return hosts.at(m_draft.random.index(hosts.size()));
}

void DemoPeopleBuilder::addAttachedWorker(const DemoEmployee& employee)
{
    const TYPE_ID uid = m_nextAttachedUid++;
    const DemoDepartment& host = m_draft.departments.at(pickHostDepartment(employee));
    const QDate begin = m_draft.dayOfMonth(3, 15);
    const QDate end = begin.addDays(m_draft.random.between(2, 6));
    ObjectInfo trip = DemoDraft::makeObject(uid, db::wt::ATTACHED_WORKER, host.uid, employee.person.fullName());
    trip.properties.insert(DemoDraft::key(db::attached_worker::DATE_BEGIN), DemoDraft::isoDate(begin));
    trip.properties.insert(DemoDraft::key(db::attached_worker::DATE_END), DemoDraft::isoDate(end));
    trip.properties.insert(DemoDraft::key(db::attached_worker::WORKERNUM), employee.number);
    trip.properties.insert(DemoDraft::key(db::attached_worker::JOBLINK), QString::number(employee.job));
    trip.properties.insert(DemoDraft::key(db::attached_worker::DEPARTNAME), host.name);
    trip.properties.insert(DemoDraft::key(db::attached_worker::DEPARTNUM), host.number);
    trip.properties.insert(DemoDraft::key(db::attached_worker::CREATOR), QStringLiteral("planner"));
    m_draft.addObject(ATTACHED_WORKER_DATANAME, trip);
    m_draft.link(uid, employee.uid, INHERIT_ATTACHED_WORKER, begin, end);
    m_draft.link(uid, host.uid, INHERIT_ATTACHED_WORKER_DEPARTMENT, begin, end);
}
