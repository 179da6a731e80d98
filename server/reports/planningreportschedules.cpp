#include "planningreportschedules.h"

#include "objectstore.h"
#include "schedulestore.h"
#include "scheduleutil.h"
#include "vocabulary.h"
#include "workerdatastore.h"

#include <QSet>

#include <algorithm>

using namespace orvanta;

namespace {

bool sameMonth(const QDate& a, const QDate& b)
{
    return a.year() == b.year() && a.month() == b.month();
}

bool holds(const _WORKER_SCHEDULE_HISTORY_RECORD_V2& record, const QDate& date)
{
    return record.state == 1 && (!record.from.isValid() || record.from <= date)
        && (!record.to.isValid() || record.to >= date);
}

} // namespace

PlanningReportSchedules::PlanningReportSchedules(const QSqlDatabase& db, SqlDialect dialect)
    : m_db(db), m_dialect(dialect)
{
}

bool PlanningReportSchedules::load(const QList<TYPE_ID>& employees, const QDate& from, const QDate& to,
                                   QString* error)
{
    m_from = from;
    m_to = to;
    QList<SCHEDULE_DATA> schedules;
    if (!ScheduleStore(m_db).all(&schedules, error))
        return false;
    for (const SCHEDULE_DATA& schedule : qAsConst(schedules)) {
        m_schedules.insert(schedule.id, schedule);
        if (schedule.kind == SCHEDULE_DATA::KindPersonal && schedule.worker != 0)
            m_personal[schedule.worker].append(schedule.id);
    }
    for (QList<int>& ids : m_personal)
        std::sort(ids.begin(), ids.end());
    WorkerDataStore store(m_db, m_dialect);
    if (!store.scheduleHistories(employees, &m_histories, error))
        return false;
    QHash<int, QList<SCHEDULE_CALENDAR_DAY>> days;
    if (!store.calendarDays(calendarSchedules(employees), from, to, &days, error))
        return false;
    for (auto it = days.cbegin(); it != days.cend(); ++it) {
        ScheduleExpander::CalendarDays& byDate = m_calendars[it.key()];
        for (const SCHEDULE_CALENDAR_DAY& day : it.value())
            byDate.insert(day.date, day);
    }
    return loadShifts(error);
}

// The personal schedules of the month and the calendar schedules of the history records in force in it.
QList<int> PlanningReportSchedules::calendarSchedules(const QList<TYPE_ID>& employees) const
{
    QSet<int> ids;
    for (const TYPE_ID employee : employees) {
        for (const int id : m_personal.value(employee)) {
            if (sameMonth(m_schedules.value(id).date, m_from))
                ids.insert(id);
        }
        for (const auto& record : m_histories.value(employee).records) {
            if (record.state != 1 || (record.from.isValid() && record.from > m_to)
                || (record.to.isValid() && record.to < m_from))
                continue;
            if (m_schedules.value(int(record.schedule)).keepsCalendarDays())
                ids.insert(int(record.schedule));
        }
    }
    QList<int> sorted = ids.values();
    std::sort(sorted.begin(), sorted.end());
    return sorted;
}

bool PlanningReportSchedules::loadShifts(QString* error)
{
    ObjectStore objects(m_db);
    QList<ObjectInfo> shifts;
    QList<ObjectInfo> intervals;
    if (!objects.objects(QLatin1String(SCHEDULE_SHIFT_DATANAME), &shifts, error)
        || !objects.objects(QLatin1String(SHIFT_INTERVAL_DATANAME), &intervals, error))
        return false;
    OBJECT_HASH intervalObjects;
    for (const ObjectInfo& interval : qAsConst(intervals))
        intervalObjects.insert(interval.uid, interval);
    for (const ObjectInfo& shift : qAsConst(shifts)) {
        Intervals& out = m_shifts[shift.uid];
        for (const ObjectInfo& object : ScheduleUtil::sortedShiftIntervals(shift, &intervalObjects)) {
            SCHEDULE_CALENDAR_INTERVAL interval;
            interval.start = object.property(QLatin1String(db::shift_interval::START)).toInt();
            interval.finish = object.property(QLatin1String(db::shift_interval::FINISH)).toInt();
            interval.order = object.property(QLatin1String(db::shift_interval::ORDER)).toInt();
            out.append(interval);
        }
    }
    return true;
}

int PlanningReportSchedules::scheduleOn(TYPE_ID employee, const QDate& date, QDate* base) const
{
    // A personal schedule replaces the history for its whole month.
    for (const int id : m_personal.value(employee)) {
        const auto schedule = m_schedules.constFind(id);
        if (schedule != m_schedules.cend() && sameMonth(schedule->date, date)) {
            *base = schedule->date;
            return id;
        }
    }
    for (const auto& record : m_histories.value(employee).records) {
        if (holds(record, date)) {
            *base = record.from;
            return int(record.schedule);
        }
    }
    return 0;
}

QList<PlanningReportSchedules::Intervals> PlanningReportSchedules::days(TYPE_ID employee) const
{
    // A calendar day naming a shift takes the shift object's intervals; an unknown shift gives none.
    const ScheduleExpander expander([this](TYPE_ID shift) { return m_shifts.value(shift); });
    static const ScheduleExpander::CalendarDays noDays;
    QList<Intervals> result;
    for (QDate date = m_from; date <= m_to; date = date.addDays(1)) {
        QDate base;
        const int id = scheduleOn(employee, date, &base);
        const auto schedule = m_schedules.constFind(id);
        const auto calendar = m_calendars.constFind(id);
        result.append(schedule == m_schedules.cend()
                          ? Intervals()
                          : expander.dayIntervals(*schedule, date, base,
                                                  calendar == m_calendars.cend() ? noDays : *calendar));
    }
    return result;
}
