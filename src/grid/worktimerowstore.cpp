#include "worktimerowstore.h"

#include "localstorage.h"
#include "ovglobals.h"
#include "vocabulary.h"
#include "worktimeutils.h"
#include "wtplanninglogging.h"

#include <QTime>

#include <algorithm>

using namespace orvanta;

namespace {

constexpr int secondsPerDay = 86400;

QString hhmm(int seconds)
{
    return QTime(0, 0).addSecs(seconds).toString(QStringLiteral("hh:mm"));
}

} // namespace

int WorkTimeRowStore::daysCount() const
{
    if (!m_dateStart.isValid() || !m_dateFinish.isValid() || m_dateStart > m_dateFinish)
        return 0;
    return int(m_dateStart.daysTo(m_dateFinish)) + 1;
}

int WorkTimeRowStore::dayIndexByDate(const QDate& date) const
{
    if (!date.isValid() || daysCount() == 0 || date < m_dateStart || date > m_dateFinish)
        return -1;
    return int(m_dateStart.daysTo(date));
}

WorkTimeData& WorkTimeRowStore::editRow(int row)
{
    m_rowRevisions[row] = ++m_revision;
    if (!m_countAll && m_editedRows.size() < m_rows.size())
        m_editedRows.append(row);
    else
        m_countAll = true;
    return m_rows[row];
}

bool WorkTimeRowStore::hasChangedRows() const
{
    countFlags();
    return m_changedRows > 0;
}

bool WorkTimeRowStore::hasUnapprovedRows() const
{
    countFlags();
    return m_unapprovedRows > 0;
}

void WorkTimeRowStore::countFlags() const
{
    const auto count = [this](int row) {
        RowFlags& flags = m_rowFlags[row];
        m_changedRows -= flags.changed;
        m_unapprovedRows -= flags.unapproved;
        flags.changed = m_rows.at(row).hasChanges();
        flags.unapproved = !m_rows.at(row).saveTime().isValid();
        m_changedRows += flags.changed;
        m_unapprovedRows += flags.unapproved;
    };
    if (m_countAll) {
        m_rowFlags.fill(RowFlags(), m_rows.size());
        m_changedRows = 0;
        m_unapprovedRows = 0;
        for (int row = 0; row < m_rows.size(); ++row)
            count(row);
    } else {
        for (int row : qAsConst(m_editedRows))
            count(row);
    }
    m_editedRows.clear();
    m_countAll = false;
}

void WorkTimeRowStore::indexRows()
{
    m_rowByUid.clear();
    m_rowByUid.reserve(m_rows.size());
    for (int row = m_rows.size() - 1; row >= 0; --row)
        m_rowByUid.insert(m_rows.at(row).uid(), row);
    m_layoutRevision = ++m_revision;
    m_rowRevisions.fill(m_layoutRevision, m_rows.size());
    m_countAll = true;
}

bool WorkTimeRowStore::isPersonalSchedule(int row) const
{
    const WorkTimeData& data = m_rows.at(row);
    QDate base;
    const int schedule = WorkTimeUtils::scheduleIdByDate(data.uid(), m_dateStart, data.scheduleHistory(), base);
    const bool personal =
        LocalStorage::instance()->schedules().constValue(schedule).kind == SCHEDULE_DATA::KindPersonal;
    if (personal && !(data.changes() & WorkTimeData::DeletePersonalSchedule))
        return true;
    return data.changes() & WorkTimeData::CreatePersonalSchedule;
}

QSet<unsigned int> WorkTimeRowStore::changedUids() const
{
    QSet<unsigned int> uids;
    for (const WorkTimeData& row : m_rows) {
        if (row.hasChanges())
            uids.insert(row.uid());
    }
    return uids;
}

void WorkTimeRowStore::refresh(const QDate& start, const QDate& finish, const QList<EmployeeInfo>& employees,
                               const QList<unsigned int>& attached, const QList<unsigned int>& departments)
{
    m_rows.clear();
    m_dateStart = start;
    m_dateFinish = finish;
    m_attachedUids = attached;
    m_departments = departments;
    m_objList.clear();
    m_emplSet.clear();
    m_reportUids.clear();
    m_planningBalance.clear();

    for (const EmployeeInfo& info : employees) {
        m_objList.append(info.uid);
        m_emplSet.insert(info.uid);
        m_reportUids.insert(info.reportUid != 0 ? info.reportUid : info.uid);
    }
    // The rows may come in the grid's order; requests and saving go by id.
    std::sort(m_objList.begin(), m_objList.end());
    m_objList.append(attached);
    m_dayKinds.clear();

    const QList<WorkTimeData::Day> emptyDays = QVector<WorkTimeData::Day>(daysCount()).toList();
    m_rows.reserve(employees.size() + attached.size());
    m_rowDepartments.clear();
    m_rowDepartments.reserve(employees.size() + attached.size());
    for (const EmployeeInfo& info : employees) {
        WorkTimeData row;
        row.setPeriodRange(start, finish);
        row.setEmpoyeeInfo(info);
        row.setDays(emptyDays);
        m_rows.append(row);
        m_rowDepartments.append(info.department);
    }
    for (unsigned int uid : attached) {
        WorkTimeData row;
        row.setPeriodRange(start, finish);
        row.setAttachedUid(uid, departments);
        row.setDays(emptyDays);
        m_rows.append(row);
        m_rowDepartments.append(hostDepartment(row));
    }
    nameDepartments();
    indexRows();
}

TYPE_ID WorkTimeRowStore::hostDepartment(const WorkTimeData& row) const
{
    for (const ObjectInfo& trip : row.attached()) {
        const QList<_INHERIT_DATA> links = trip.children.values(INHERIT_ATTACHED_WORKER_DEPARTMENT);
        for (const _INHERIT_DATA& link : links) {
            if (m_departments.contains(link.child))
                return link.child;
        }
    }
    return 0;
}

QList<QPair<TYPE_ID, QString>> WorkTimeRowStore::departments() const
{
    QList<QPair<TYPE_ID, QString>> departments;
    for (auto it = m_departmentNames.constBegin(); it != m_departmentNames.constEnd(); ++it)
        departments.append({it.key(), it.value()});
    std::sort(departments.begin(), departments.end(), [](const auto& a, const auto& b) {
        const int order = a.second.localeAwareCompare(b.second);
        return order != 0 ? order < 0 : a.first < b.first;
    });
    return departments;
}

void WorkTimeRowStore::nameDepartments()
{
    m_departmentNames.clear();
    const LocalStorage* store = LocalStorage::instance();
    for (TYPE_ID department : qAsConst(m_rowDepartments)) {
        if (!m_departmentNames.contains(department))
            m_departmentNames.insert(department, OVGlobals::objectName(store->constObject(
                                                     department, QLatin1String(ORGSTRUCTURE_DATANAME))));
    }
}

void WorkTimeRowStore::clear()
{
    m_rows.clear();
    indexRows();
    m_dateStart = QDate();
    m_dateFinish = QDate();
    m_scheduleHistory.clear();
    m_absenceReasons.clear();
    m_calendarDays.clear();
    // Nothing is shown any more, so nothing is a member of the grid either.
    m_objList.clear();
    m_emplSet.clear();
    m_reportUids.clear();
    m_attachedUids.clear();
    m_departments.clear();
    m_planningBalance.clear();
    m_salesPlan.clear();
    m_hoursBudget.clear();
    m_salesPlanRecords.clear();
    m_hoursBudgetRecords.clear();
    m_shownDepartment = 0;
    m_rowDepartments.clear();
    m_departmentNames.clear();
    m_dayKinds.clear();
}

QList<unsigned int> WorkTimeRowStore::mergeScheduleHistory(const ScheduleHistoryHash& histories)
{
    const QSet<unsigned int> changed = changedUids();
    QList<unsigned int> rebuilt;
    for (auto it = histories.constBegin(); it != histories.constEnd(); ++it) {
        m_scheduleHistory.insert(it.key(), it.value());
        if (!changed.contains(it.key()))
            rebuilt.append(it.key());
        // A changed row keeps its days, but its tool tips name the schedules of the server's history.
        const int row = rowOf(it.key());
        if (row >= 0)
            editRow(row);
    }
    return rebuilt;
}

QList<unsigned int> WorkTimeRowStore::mergeAbsenceReasons(const AbsenceReasonHash& reasons)
{
    const QSet<unsigned int> changed = changedUids();
    QList<unsigned int> rebuilt;
    for (auto it = reasons.constBegin(); it != reasons.constEnd(); ++it) {
        m_absenceReasons.insert(it.key(), it.value());
        if (!changed.contains(it.key()))
            rebuilt.append(it.key());
    }
    return rebuilt;
}

QList<unsigned int> WorkTimeRowStore::mergeCalendarDays(const CalendarDayHash& days)
{
    for (auto it = days.constBegin(); it != days.constEnd(); ++it)
        m_calendarDays.insert(it.key(), it.value());
    return unchangedRowsOfCalendars(days, changedUids());
}

QList<unsigned int> WorkTimeRowStore::unchangedRowsOfCalendars(const CalendarDayHash& days,
                                                               const QSet<unsigned int>& changed) const
{
    // A personal schedule names its owner; a shared calendar schedule concerns every
    // row whose history follows it, and those rows need its days as much.
    const SCHEDULE_HASH& schedules = LocalStorage::instance()->schedules();
    QSet<unsigned int> owners;
    QSet<int> shared;
    for (auto it = days.constBegin(); it != days.constEnd(); ++it) {
        const TYPE_ID worker = schedules.constValue(it.key()).worker;
        if (worker != 0)
            owners.insert(worker);
        else
            shared.insert(it.key());
    }
    QList<unsigned int> uids;
    QSet<unsigned int> taken;
    for (const WorkTimeData& row : m_rows) {
        if (changed.contains(row.uid()) || taken.contains(row.uid()))
            continue;
        bool follows = owners.contains(row.uid());
        for (int i = 0; !follows && i < row.scheduleHistory().records.size(); ++i)
            follows = shared.contains(int(row.scheduleHistory().records.at(i).schedule));
        if (follows) {
            uids.append(row.uid());
            taken.insert(row.uid());
        }
    }
    return uids;
}

void WorkTimeRowStore::setEmployeeNormTime(const QList<WORKER_NORM_TIME>& norms)
{
    // Each employee's days are gathered once and given to his rows whole: thousands of rows take it at once.
    QHash<unsigned int, QHash<QDate, int>> plans;
    plans.reserve(m_emplSet.size() + m_attachedUids.size());
    for (const WORKER_NORM_TIME& norm : norms)
        plans[norm.worker].insert(norm.date, norm.time);
    for (int row = 0; row < m_rows.size(); ++row)
        editRow(row).setPlan(plans.value(m_rows.at(row).uid()));
}

void WorkTimeRowStore::setSyncTime(int row, const WORKER_SYNC_TIME& sync)
{
    editRow(row).setSyncTime(sync);
}

void WorkTimeRowStore::setPlanningBalance(const QHash<unsigned int, PLANNING_BALANCE>& balance)
{
    m_planningBalance = balance;
}

void WorkTimeRowStore::setSalesPlan(const QList<SALES_PLAN>& plan)
{
    m_salesPlanRecords = plan;
    sumFigures();
}

void WorkTimeRowStore::setHoursBudget(const QList<HOURS_BUDGET>& budget)
{
    m_hoursBudgetRecords = budget;
    sumFigures();
}

void WorkTimeRowStore::setShownDepartment(TYPE_ID department)
{
    m_shownDepartment = department;
    sumFigures();
    // What is summed over the rows is to be summed again.
    ++m_revision;
}

void WorkTimeRowStore::sumFigures()
{
    m_salesPlan.clear();
    for (const SALES_PLAN& record : qAsConst(m_salesPlanRecords)) {
        if (m_shownDepartment == 0 || record.department == m_shownDepartment)
            m_salesPlan[record.date] += record.value;
    }
    m_hoursBudget.clear();
    for (const HOURS_BUDGET& record : qAsConst(m_hoursBudgetRecords)) {
        if (m_shownDepartment == 0 || record.department == m_shownDepartment)
            m_hoursBudget[record.date] += record.value;
    }
}

void WorkTimeRowStore::setDayKinds(const QHash<QDate, int>& kinds)
{
    m_dayKinds.fill(-1, daysCount());
    for (auto it = kinds.constBegin(); it != kinds.constEnd(); ++it) {
        const int day = dayIndexByDate(it.key());
        if (day >= 0)
            m_dayKinds[day] = it.value();
    }
}

void WorkTimeRowStore::rebuild(int row, const QDate& from, const QDate& to)
{
    rebuildDays(editRow(row), from, to);
}

void WorkTimeRowStore::rebuildDays(WorkTimeData& row, const QDate& from, const QDate& to) const
{
    const SCHEDULE_HASH& schedules = LocalStorage::instance()->schedules();
    QList<WorkTimeData::Day> days = row.days();
    QDate date = m_dateStart;
    for (int i = 0; i < days.size(); ++i, date = date.addDays(1)) {
        if (date < from || date > to)
            continue;
        WorkTimeData::Day& day = days[i];
        QDate base;
        const int schedule = WorkTimeUtils::scheduleIdByDate(row.uid(), date, row.scheduleHistory(), base);
        if (schedule == 0) {
            day.clear();
            continue;
        }
        if (schedules.constValue(schedule).keepsCalendarDays())
            day.shift = WorkTimeUtils::calendarDayByDate(schedule, date, m_calendarDays).shift;
        WorkTimeUtils::scheduleDayIntervals(schedule, date, base, m_calendarDays, day.intervals);
    }
    row.setDays(days);
}

void WorkTimeRowStore::restore(int row)
{
    WorkTimeData& data = editRow(row);
    data.setChanged(0);
    data.setScheduleHistory(m_scheduleHistory.value(data.uid()));
    data.setAbsenceReasons(m_absenceReasons.value(data.uid()));
    rebuildDays(data, m_dateStart, m_dateFinish);
}

void WorkTimeRowStore::acceptChanges()
{
    for (int row = 0; row < m_rows.size(); ++row) {
        WorkTimeData& data = editRow(row);
        QList<WorkTimeData::Day> days = data.days();
        for (WorkTimeData::Day& day : days)
            day.changed = false;
        data.setDays(days);
        data.resetChanges();
    }
}

int WorkTimeRowStore::dayEditChanges(bool personal, int changes, bool dropPendingDeletion)
{
    if (personal)
        return changes | WorkTimeData::CalendarDaysChanged;
    if (dropPendingDeletion)
        changes &= ~WorkTimeData::DeletePersonalSchedule;
    return changes | WorkTimeData::CreatePersonalSchedule | WorkTimeData::CalendarDaysChanged;
}

void WorkTimeRowStore::setDayInterval(int rowIndex, const QDate& date, int start, int finish, bool personal)
{
    WorkTimeData& row = editRow(rowIndex);
    const unsigned int uid = row.uid();
    TYPE_ID owner = uid;
    bool attached = row.isAttached();
    if (attached) {
        const QList<ObjectInfo> trips = row.attachedWorkers(date, date);
        if (trips.isEmpty())
            attached = false;
        else
            owner = trips.first().uid;
    }

    if (finish < start)
        finish += secondsPerDay;
    const QDateTime midnight = date.startOfDay();
    const QDateTime shiftStart = midnight.addSecs(start);
    const QDateTime shiftFinish = midnight.addSecs(finish);
    const int night = WorkTimeUtils::nightTime(uid, shiftStart, shiftFinish);
    const int span = finish - start;
    // The break never exceeds the daytime part of the shift.
    const int breakTime = qMin(WorkTimeUtils::getBreakTime(owner, attached, date, span), span - night);
    qCDebug(lcWtPlanning) << Q_FUNC_INFO << "shift_time" << hhmm(span) << "night_time" << hhmm(night)
                          << "break_time" << hhmm(breakTime);

    row.setChanged(dayEditChanges(personal, row.changes(), false));
    QList<WorkTimeData::Day> days = row.days();
    WorkTimeData::Day& day = days[dayIndexByDate(date)];
    WorkTimeUtils::splitTimeToIntervals(owner, shiftStart, shiftFinish, qMax(0, span - breakTime), day.intervals);
    day.shift = 0;
    day.changed = true;
    row.setDays(days);
}

void WorkTimeRowStore::setDayShift(int row, const QDate& date, TYPE_ID shift, bool personal)
{
    WorkTimeData& data = editRow(row);
    QList<WorkTimeData::Day> days = data.days();
    WorkTimeData::Day& day = days[dayIndexByDate(date)];
    WorkTimeUtils::shiftToIntervals(shift, day.intervals);
    day.shift = shift;
    day.changed = true;
    data.setDays(days);
    data.setChanged(dayEditChanges(personal, data.changes(), true));
}

void WorkTimeRowStore::setAbsenceReasons(int row, const _WORKER_ABSENCE_REASON& reasons)
{
    WorkTimeData& data = editRow(row);
    data.setAbsenceReasons(reasons);
    data.setChanged(data.changes() | WorkTimeData::AbsenceReasonsChanged);
}

void WorkTimeRowStore::setScheduleHistory(int row, const WORKER_SCHEDULE_HISTORY_V2& history)
{
    WorkTimeData& data = editRow(row);
    data.setScheduleHistory(history);
    data.setChanged(data.changes() | WorkTimeData::ScheduleHistoryChanged);
    rebuildDays(data, m_dateStart, m_dateFinish);
}

void WorkTimeRowStore::replaceRow(int row, const WorkTimeData& data)
{
    const bool sameUid = m_rows.at(row).uid() == data.uid();
    editRow(row) = data;
    if (!sameUid) {
        m_rowByUid.clear();
        for (int i = m_rows.size() - 1; i >= 0; --i)
            m_rowByUid.insert(m_rows.at(i).uid(), i);
    }
}

void WorkTimeRowStore::restoreEdits(int row, const WorkTimeData& snapshot)
{
    WorkTimeData& data = editRow(row);
    data.setDays(snapshot.days());
    data.setChanged(snapshot.changes());
    data.setScheduleHistory(snapshot.scheduleHistory());
    // Giving the reasons reads their kinds from the local store again: only when they differ.
    if (!(data.absenceReasons() == snapshot.absenceReasons()))
        data.setAbsenceReasons(snapshot.absenceReasons());
}

void WorkTimeRowStore::reloadAttached(int row)
{
    WorkTimeData& data = editRow(row);
    if (data.isAttached())
        data.setAttachedUid(data.uid(), m_departments);
    else
        data.reloadAttached();
}

QList<int> WorkTimeRowStore::rereadReasons(const QList<TYPE_ID>& reasons)
{
    const QSet<TYPE_ID> changed(reasons.cbegin(), reasons.cend());
    QList<int> rows;
    for (int row = 0; row < m_rows.size(); ++row) {
        const QList<_WORKER_ABSENCE_REASON_RECORD>& records = m_rows.at(row).absenceReasons().records;
        const auto usesChanged = [&changed](const _WORKER_ABSENCE_REASON_RECORD& record) {
            return changed.contains(record.reason);
        };
        if (std::none_of(records.cbegin(), records.cend(), usesChanged))
            continue;
        WorkTimeData& data = editRow(row);
        // The row reads the reasons when it is given its records.
        const _WORKER_ABSENCE_REASON current = data.absenceReasons();
        data.setAbsenceReasons(current);
        rows.append(row);
    }
    return rows;
}
