#include "worktimedata.h"

#include "employeeinfo.h"
#include "localstorage.h"
#include "ovglobals.h"
#include "vocabulary.h"
#include "worktimeutils.h"
#include "wtplanninglogging.h"

#include <algorithm>

using namespace orvanta;

namespace {

QString key(const char* name)
{
    return QLatin1String(name);
}

QDate propertyDate(const ObjectInfo& object, const char* property)
{
    return QDate::fromString(object.property(key(property)), Qt::ISODate);
}

// A link without a finish (or start) is open on that side.
QString firstNonEmpty(const QString& preferred, const QString& fallback)
{
    return preferred.isEmpty() ? fallback : preferred;
}

bool linkOverlaps(const _INHERIT_DATA& link, const QDate& from, const QDate& to)
{
    if (link.finish.isValid() && link.finish.date() < from)
        return false;
    if (link.start.isValid() && link.start.date() > to)
        return false;
    return true;
}

} // namespace

void WorkTimeData::Day::clear()
{
    shift = 0;
    changed = false;
    intervals.clear();
}

int WorkTimeData::Day::start() const
{
    return WorkTimeUtils::intervalStart(intervals);
}

int WorkTimeData::Day::finish() const
{
    return WorkTimeUtils::intervalFinish(intervals);
}

int WorkTimeData::Day::time() const
{
    return WorkTimeUtils::intervalTime(intervals);
}

int WorkTimeData::Day::breakTime() const
{
    return WorkTimeUtils::intervalBreak(intervals);
}

void WorkTimeData::setEmpoyeeInfo(const EmployeeInfo& info)
{
    m_type = EmployeeRow;
    m_uid = info.uid;
    m_name = info.name;
    m_number = info.number;
    m_jobUid = info.jobUid;
    m_emplStart = info.emplStart;
    m_emplContStart = info.emplContStart;
    m_emplFinish = info.emplFinish;
    reloadAttached();
}

void WorkTimeData::reloadAttached()
{
    QList<ObjectInfo> found;
    const LocalStorage* store = LocalStorage::instance();
    const ObjectInfo employee = store->constObject(m_uid, key(SUBJECT_DATANAME));
    const auto links = employee.parents.equal_range(INHERIT_ATTACHED_WORKER);
    for (auto it = links.first; it != links.second; ++it) {
        const _INHERIT_DATA& link = it.value();
        const ObjectInfo attachedWorker = store->constObject(link.parent, key(ATTACHED_WORKER_DATANAME));
        if (!attachedWorker.isValid() || !linkOverlaps(link, m_periodStart, m_periodFinish))
            continue;
        qCDebug(lcWtPlanning) << Q_FUNC_INFO << "found attached" << link.start << link.finish;
        found.append(attachedWorker);
    }
    setAttached(found);
}

void WorkTimeData::setAttachedUid(TYPE_ID uid, const QList<unsigned int>& departments)
{
    m_type = AttachedRow;
    m_uid = uid;
    QList<ObjectInfo> found;
    const LocalStorage* store = LocalStorage::instance();
    for (unsigned int departmentUid : departments) {
        const ObjectInfo department = store->constObject(departmentUid, key(ORGSTRUCTURE_DATANAME));
        const auto links = department.parents.equal_range(INHERIT_ATTACHED_WORKER_DEPARTMENT);
        for (auto it = links.first; it != links.second; ++it) {
            const _INHERIT_DATA& link = it.value();
            if (!linkOverlaps(link, m_periodStart, m_periodFinish))
                continue;
            const ObjectInfo attachedWorker = store->constObject(link.parent, key(ATTACHED_WORKER_DATANAME));
            if (!attachedWorker.isValid()) {
                qCWarning(lcWtPlanning) << Q_FUNC_INFO << "wrong attached employee" << link.parent;
                continue;
            }
            const auto employeeLink = attachedWorker.children.constFind(INHERIT_ATTACHED_WORKER);
            const TYPE_ID employee = employeeLink != attachedWorker.children.constEnd() ? employeeLink->child : 0;
            if (employee == uid) {
                qCDebug(lcWtPlanning) << Q_FUNC_INFO << "attached" << link.start << link.finish;
                found.append(attachedWorker);
            } else {
                qCDebug(lcWtPlanning) << Q_FUNC_INFO << "skip attched" << attachedWorker.uid << employee << uid;
            }
        }
    }
    setAttached(found);
    readAttachedPerson();
}

void WorkTimeData::setAttached(const QList<ObjectInfo>& attached)
{
    // The grid asks for the range on every cell it paints; parsing the dates each time costs more than the rest.
    m_attached = attached;
    m_attachedRanges.clear();
    m_attachedRanges.reserve(attached.size());
    for (const ObjectInfo& object : attached)
        m_attachedRanges.append({propertyDate(object, db::attached_worker::DATE_BEGIN),
                                 propertyDate(object, db::attached_worker::DATE_END)});
}

// An attached row has no employee record of its own. The attached-worker object keeps the person's name,
// number and job, also for an employee the user cannot see; the employee object fills what it lacks.
void WorkTimeData::readAttachedPerson()
{
    const ObjectInfo trip = m_attached.value(0);
    const ObjectInfo employee = LocalStorage::instance()->constObject(m_uid, key(SUBJECT_DATANAME));
    m_name = firstNonEmpty(trip.property(key(db::attached_worker::NAME)).trimmed(), OVGlobals::objectName(employee));
    m_number = firstNonEmpty(trip.property(key(db::attached_worker::WORKERNUM)),
                             employee.property(key(db::subject::WORKERNUM)));
    m_jobUid = firstNonEmpty(trip.property(key(db::attached_worker::JOBLINK)),
                             employee.property(key(db::subject::JOBLINK)))
                   .toUInt();
}

void WorkTimeData::setPeriodRange(const QDate& start, const QDate& finish)
{
    m_periodStart = start;
    m_periodFinish = finish;
}

void WorkTimeData::setSyncTime(const WORKER_SYNC_TIME& value)
{
    m_syncInfo = value;
}

WorkTimeData::ReasonInfo WorkTimeData::reasonInfo(TYPE_ID reason) const
{
    const auto cached = m_reasonInfo.constFind(reason);
    if (cached != m_reasonInfo.constEnd())
        return cached.value();
    const ObjectInfo object = LocalStorage::instance()->constObject(reason, key(REASON_DATANAME));
    ReasonInfo info;
    info.order = object.property(key(db::reason::ORDER)).toInt();
    info.timeType = WorkTimeUtils::absenceReasonType(object);
    info.calcNormMethod = object.property(key(db::reason::CALC_NORM_METHOD)).toInt();
    return info;
}

void WorkTimeData::setAbsenceReasons(const _WORKER_ABSENCE_REASON& value)
{
    // The figures ask for a reason's kind per record and date; reading the store each
    // time costs more than the whole sum. The reasons are read again with every new
    // set of records, which is also when their order fixes the sort below.
    m_reasonInfo.clear();
    for (const _WORKER_ABSENCE_REASON_RECORD& record : value.records) {
        if (!m_reasonInfo.contains(record.reason))
            m_reasonInfo.insert(record.reason, reasonInfo(record.reason));
    }

    m_absenceReasons = value;
    std::stable_sort(m_absenceReasons.records.begin(), m_absenceReasons.records.end(),
                     [this](const _WORKER_ABSENCE_REASON_RECORD& a, const _WORKER_ABSENCE_REASON_RECORD& b) {
                         const int orderA = m_reasonInfo.value(a.reason).order;
                         const int orderB = m_reasonInfo.value(b.reason).order;
                         if (orderA != orderB)
                             return orderA > orderB;
                         if (a.start != b.start)
                             return a.start < b.start;
                         // Unsaved records carry all bits set, which is -1 as a signed id.
                         if (a.isNew() || b.isNew())
                             return qint32(a.id) < qint32(b.id);
                         return a.id > b.id;
                     });
}

void WorkTimeData::setScheduleHistory(const WORKER_SCHEDULE_HISTORY_V2& value)
{
    m_scheduleHistory = value;
}

int WorkTimeData::dayIndex(const QDate& date) const
{
    if (!m_periodStart.isValid() || !date.isValid())
        return -1;
    const qint64 index = m_periodStart.daysTo(date);
    return index >= 0 && index < m_days.size() ? int(index) : -1;
}

WorkTimeData::Day WorkTimeData::day(const QDate& date) const
{
    const int index = dayIndex(date);
    return index >= 0 ? m_days.at(index) : Day();
}

bool WorkTimeData::setDay(const QDate& date, const Day& day)
{
    const int index = dayIndex(date);
    if (index < 0) {
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "wrong date" << date << m_uid;
        return false;
    }
    m_days[index] = day;
    return true;
}

bool WorkTimeData::withinEmployment(const QDate& date, bool continuous) const
{
    const QDate& start = continuous ? m_emplContStart : m_emplStart;
    if (start.isValid() && start > date)
        return false;
    return !(m_emplFinish.isValid() && m_emplFinish < date);
}

bool WorkTimeData::isValidDate(const QDate& date, bool continuous) const
{
    if (!withinEmployment(date, continuous))
        return false;
    return m_periodStart <= date && date <= m_periodFinish;
}

int WorkTimeData::planForDate(const QDate& date) const
{
    return m_plan.value(date, 0);
}

int WorkTimeData::totalPlan(bool continuous) const
{
    int total = 0;
    for (auto it = m_plan.constBegin(); it != m_plan.constEnd(); ++it) {
        if (withinEmployment(it.key(), continuous))
            total += it.value();
    }
    return total;
}

int WorkTimeData::timeForDate(const QDate& date, bool skipFullDay) const
{
    if (!isValidDate(date, false))
        return 0;
    if (skipFullDay && hasFullDayReason(date, AnyReasonTime))
        return 0;
    const int index = dayIndex(date);
    return index >= 0 ? m_days.at(index).time() : 0;
}

int WorkTimeData::totalTime(bool continuous) const
{
    int total = 0;
    QDate date = m_periodStart;
    for (const Day& day : m_days) {
        if (isValidDate(date, continuous) && !hasFullDayReason(date, AnyReasonTime))
            total += day.time();
        date = date.addDays(1);
    }
    return total;
}

bool WorkTimeData::hasFullDayReason(const QDate& date, int mask) const
{
    for (const _WORKER_ABSENCE_REASON_RECORD& record : m_absenceReasons.records) {
        if (WorkTimeUtils::isFullDayAbsenceReason(date, record) && (reasonInfo(record.reason).timeType & mask))
            return true;
    }
    return false;
}

int WorkTimeData::partDayReasonTime(const QDate& date, int mask) const
{
    if (!isValidDate(date, false))
        return 0;
    int total = 0;
    for (const _WORKER_ABSENCE_REASON_RECORD& record : m_absenceReasons.records) {
        if (!record.timed)
            continue;
        const bool startsToday = record.start.date() == date;
        const bool endsToday = record.end.date() == date;
        if ((!startsToday && !endsToday) || !(reasonInfo(record.reason).timeType & mask))
            continue;
        const int from = startsToday ? WorkTimeUtils::timeToSeconds(record.start.time()) : 0;
        const int to = endsToday ? WorkTimeUtils::timeToSeconds(record.end.time()) : 86400;
        if (to > from)
            total += to - from;
    }
    return total;
}

int WorkTimeData::fullDayReasonTime(const QDate& date, int mask) const
{
    // A record without a known entry moment cannot be shown to follow the norm
    // calculation, so it does not take part in finding the earliest one.
    QDateTime earliestChange;
    const _WORKER_ABSENCE_REASON_RECORD* deciding = nullptr;
    for (const _WORKER_ABSENCE_REASON_RECORD& record : m_absenceReasons.records) {
        if (!WorkTimeUtils::isFullDayAbsenceReason(date, record))
            continue;
        if (record.changeTime.isValid() && (!earliestChange.isValid() || record.changeTime < earliestChange))
            earliestChange = record.changeTime;
        if (!deciding && (reasonInfo(record.reason).timeType & mask))
            deciding = &record;
    }
    if (!deciding)
        return 0;

    const QDateTime& normCalcTime = m_syncInfo.normCalcTime;
    if (reasonInfo(deciding->reason).calcNormMethod == 1 && normCalcTime.isValid() && earliestChange.isValid()
        && !(earliestChange < normCalcTime))
        return timeForDate(date, false);
    return planForDate(date);
}

int WorkTimeData::totalPartDayReasonTime(const QDate& from, const QDate& to, int mask, bool continuous) const
{
    return sumOverValidDates(from, to, continuous, [this, mask](const QDate& date) {
        return partDayReasonTime(date, mask);
    });
}

int WorkTimeData::totalFullDayReasonTime(const QDate& from, const QDate& to, int mask, bool continuous) const
{
    return sumOverValidDates(from, to, continuous, [this, mask](const QDate& date) {
        return fullDayReasonTime(date, mask);
    });
}

template<typename PerDate>
int WorkTimeData::sumOverValidDates(const QDate& from, const QDate& to, bool continuous, PerDate perDate) const
{
    int total = 0;
    if (!from.isValid() || !to.isValid())
        return total;
    for (QDate date = from; date <= to; date = date.addDays(1)) {
        if (isValidDate(date, continuous))
            total += perDate(date);
    }
    return total;
}

int WorkTimeData::planningBalance(const QDate& from, const QDate& to) const
{
    const double plan = totalPlan(true);
    const double spent = double(totalTime(true)) + totalPartDayReasonTime(from, to, AnyReasonTime, true)
        + totalFullDayReasonTime(from, to, AnyReasonTime, true);
    return int(plan - spent);
}

int WorkTimeData::attachedTime() const
{
    if (m_type != AttachedRow)
        return 0;
    int total = 0;
    QDate date = m_periodStart;
    for (const Day& day : m_days) {
        if (inAttachedRange(date) && !hasFullDayReason(date, AnyReasonTime))
            total += day.time();
        date = date.addDays(1);
    }
    return total;
}

int WorkTimeData::detachedTime(bool continuous) const
{
    if (m_type != EmployeeRow)
        return 0;
    int total = 0;
    QDate date = m_periodStart;
    for (const Day& day : m_days) {
        if (withinEmployment(date, continuous) && inAttachedRange(date) && !hasFullDayReason(date, AnyReasonTime))
            total += day.time();
        date = date.addDays(1);
    }
    return total;
}

bool WorkTimeData::inAttachedRange(const QDate& date) const
{
    return std::any_of(m_attachedRanges.cbegin(), m_attachedRanges.cend(), [&date](const AttachedRange& range) {
        return range.begin.isValid() && range.end.isValid() && range.begin <= date && date <= range.end;
    });
}

bool WorkTimeData::isWorkedHere(const QDate& date) const
{
    return isAttached() == inAttachedRange(date);
}

bool WorkTimeData::containsAttached(TYPE_ID uid) const
{
    return std::any_of(m_attached.cbegin(), m_attached.cend(),
                       [uid](const ObjectInfo& object) { return object.uid == uid; });
}

QList<ObjectInfo> WorkTimeData::attachedWorkers(const QDate& from, const QDate& to) const
{
    QList<ObjectInfo> result;
    for (int i = 0; i < m_attached.size(); ++i) {
        const AttachedRange& range = m_attachedRanges.at(i);
        if (range.begin.isValid() && range.end.isValid() && range.end >= from && range.begin <= to)
            result.append(m_attached.at(i));
    }
    return result;
}
