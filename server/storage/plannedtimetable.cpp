#include "plannedtimetable.h"

#include "scheduleexpander.h"
#include "storagesql.h"
#include "workerdatastore.h"

#include <QSet>
#include <QSqlQuery>

using namespace orvanta;

namespace {

using HistoryRecord = _WORKER_SCHEDULE_HISTORY_RECORD_V2;

// The history record in force on date: the first one in state 1 whose range holds it.
const HistoryRecord* recordOn(const QList<HistoryRecord>& records, const QDate& date)
{
    for (const HistoryRecord& record : records) {
        if (record.state == 1 && (!record.from.isValid() || record.from <= date)
            && (!record.to.isValid() || record.to >= date))
            return &record;
    }
    return nullptr;
}

int monthKey(const QDate& date)
{
    return date.year() * 12 + date.month();
}

} // namespace

PlannedTimeTable::PlannedTimeTable(const QSqlDatabase& db, SqlDialect dialect, ScheduleLookup lookup)
    : m_db(db)
    , m_dialect(dialect)
    , m_scheduleLookup(std::move(lookup))
{
    const int year = QDate::currentDate().year();
    m_horizonStart = QDate(year - 1, 1, 1);
    m_horizonFinish = QDate(year + 1, 12, 31);
}

void PlannedTimeTable::setPersonalScheduleLookup(PersonalScheduleLookup lookup)
{
    m_personalScheduleLookup = std::move(lookup);
}

void PlannedTimeTable::setShiftLookup(ShiftLookup lookup)
{
    m_shiftLookup = std::move(lookup);
}

void PlannedTimeTable::setHorizon(const QDate& from, const QDate& to)
{
    m_horizonStart = from;
    m_horizonFinish = to;
}

bool PlannedTimeTable::recompute(const QList<TYPE_ID>& employees, const QDate& from, const QDate& to, QString* error)
{
    const QDate first = from.isValid() ? qMax(from, m_horizonStart) : m_horizonStart;
    const QDate last = to.isValid() ? qMin(to, m_horizonFinish) : m_horizonFinish;
    if (employees.isEmpty() || first > last)
        return true;

    QHash<uint, WORKER_SCHEDULE_HISTORY_V2> histories;
    if (!WorkerDataStore(m_db, m_dialect).scheduleHistories(employees, &histories, error))
        return false;

    // Personal schedules by employee and month, then every schedule the range may touch.
    QHash<TYPE_ID, QHash<int, SCHEDULE_DATA>> personal;
    QHash<int, SCHEDULE_DATA> schedules;
    for (const TYPE_ID employee : employees) {
        const QList<int> ids = m_personalScheduleLookup ? m_personalScheduleLookup(employee) : QList<int>();
        for (const int id : ids) {
            const SCHEDULE_DATA schedule = m_scheduleLookup(id);
            if (schedule.kind == SCHEDULE_DATA::KindPersonal && schedule.worker == employee
                && schedule.date.isValid()) {
                personal[employee].insert(monthKey(schedule.date), schedule);
                schedules.insert(schedule.id, schedule);
            }
        }
        for (const HistoryRecord& record : histories.value(employee).records) {
            if (record.state == 1 && record.schedule != 0 && !schedules.contains(int(record.schedule)))
                schedules.insert(int(record.schedule), m_scheduleLookup(int(record.schedule)));
        }
    }

    QHash<int, ScheduleExpander::CalendarDays> calendars;
    if (!loadCalendars(schedules, first, last, &calendars, error))
        return false;

    const ScheduleExpander expander(m_shiftLookup);
    const ScheduleExpander::CalendarDays noDays;
    const SCHEDULE_DATA noSchedule;
    const auto daysOf = [&calendars, &noDays](int id) -> const ScheduleExpander::CalendarDays& {
        const auto found = calendars.constFind(id);
        return found == calendars.cend() ? noDays : found.value();
    };
    // Dates are written as text once for the range, not once per employee and day.
    QVariantList dateValues;
    for (QDate date = first; date <= last; date = date.addDays(1))
        dateValues.append(StorageSql::dateValue(date));
    QList<QVariantList> rows;
    for (const TYPE_ID employee : employees) {
        const QList<HistoryRecord> records = histories.value(employee).records;
        const QHash<int, SCHEDULE_DATA> ownMonths = personal.value(employee);
        QDate date = first;
        for (int day = 0; day < dateValues.size(); ++day, date = date.addDays(1)) {
            const auto own = ownMonths.constFind(monthKey(date));
            int seconds = 0;
            if (own != ownMonths.cend()) {
                seconds = expander.daySeconds(own.value(), date, own->date, daysOf(own->id));
            } else if (const HistoryRecord* record = recordOn(records, date)) {
                const int id = int(record->schedule);
                const auto schedule = schedules.constFind(id);
                seconds = expander.daySeconds(schedule == schedules.cend() ? noSchedule : schedule.value(), date,
                                              record->from, daysOf(id));
            }
            if (seconds > 0)
                rows.append({employee, dateValues.at(day), seconds});
        }
    }
    return replaceRows(employees, first, last, rows, error);
}

bool PlannedTimeTable::recomputeSchedule(int scheduleId, QString* error)
{
    return recomputeSchedule(scheduleId, QDate(), QDate(), error);
}

bool PlannedTimeTable::recomputeSchedule(int scheduleId, const QDate& from, const QDate& to, QString* error)
{
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    if (!StorageSql::exec(query,
                          QStringLiteral("SELECT DISTINCT worker_id FROM worker_schedule_history "
                                         "WHERE schedule_id = ? AND state = 1"),
                          {scheduleId}, error, Q_FUNC_INFO))
        return false;
    QList<TYPE_ID> employees;
    while (query.next())
        employees.append(query.value(0).toUInt());
    if (!recompute(employees, from, to, error))
        return false;

    // A personal schedule counts only in its own month, and only for its owner.
    const SCHEDULE_DATA schedule = m_scheduleLookup(scheduleId);
    if (schedule.kind != SCHEDULE_DATA::KindPersonal || schedule.worker == 0 || !schedule.date.isValid())
        return true;
    const QDate monthStart(schedule.date.year(), schedule.date.month(), 1);
    const QDate monthEnd = monthStart.addMonths(1).addDays(-1);
    const QDate first = from.isValid() ? qMax(from, monthStart) : monthStart;
    const QDate last = to.isValid() ? qMin(to, monthEnd) : monthEnd;
    return first > last || recompute({schedule.worker}, first, last, error);
}

bool PlannedTimeTable::loadCalendars(const QHash<int, SCHEDULE_DATA>& schedules, const QDate& from, const QDate& to,
                                     QHash<int, QHash<QDate, SCHEDULE_CALENDAR_DAY>>* out, QString* error) const
{
    QList<int> calendarIds;
    for (const SCHEDULE_DATA& schedule : schedules) {
        if (schedule.keepsCalendarDays())
            calendarIds.append(schedule.id);
    }
    if (calendarIds.isEmpty())
        return true;
    QHash<int, QList<SCHEDULE_CALENDAR_DAY>> days;
    if (!WorkerDataStore(m_db, m_dialect).calendarDays(calendarIds, from, to, &days, error))
        return false;
    for (auto it = days.cbegin(); it != days.cend(); ++it) {
        QHash<QDate, SCHEDULE_CALENDAR_DAY>& byDate = (*out)[it.key()];
        for (const SCHEDULE_CALENDAR_DAY& day : it.value())
            byDate.insert(day.date, day);
    }
    return true;
}

bool PlannedTimeTable::replaceRows(const QList<TYPE_ID>& employees, const QDate& from, const QDate& to,
                                   const QList<QVariantList>& rows, QString* error)
{
    QSqlQuery query(m_db);
    const QString sql = QStringLiteral("DELETE FROM planned_time WHERE ")
                        + StorageSql::inIdList(m_dialect, QStringLiteral("worker_id"))
                        + QStringLiteral(" AND work_date >= ? AND work_date <= ?");
    if (!StorageSql::exec(query, sql,
                          {StorageSql::idListValue(m_dialect, employees), StorageSql::dateValue(from),
                           StorageSql::dateValue(to)},
                          error, Q_FUNC_INFO))
        return false;
    return StorageSql::insertRows(m_db, QStringLiteral("planned_time"),
                                  {QStringLiteral("worker_id"), QStringLiteral("work_date"),
                                   QStringLiteral("plan_time")},
                                  rows, error, Q_FUNC_INFO);
}
