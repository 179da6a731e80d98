#include "scheduleexpander.h"

using namespace orvanta;

ScheduleExpander::ScheduleExpander(ShiftLookup shifts)
    : m_shifts(std::move(shifts))
{
}

QList<SCHEDULE_CALENDAR_INTERVAL> ScheduleExpander::dayIntervals(const SCHEDULE_DATA& schedule, const QDate& date,
                                                                 const QDate& fallbackBase,
                                                                 const CalendarDays& days) const
{
    if (!schedule.isValid() || !date.isValid())
        return {};
    if (schedule.keepsCalendarDays()) {
        const auto day = days.constFind(date);
        return day == days.cend() ? QList<SCHEDULE_CALENDAR_INTERVAL>() : calendarIntervals(schedule, day.value());
    }
    return cycleIntervals(schedule, date, fallbackBase);
}

int ScheduleExpander::daySeconds(const SCHEDULE_DATA& schedule, const QDate& date, const QDate& fallbackBase,
                                 const CalendarDays& days) const
{
    // A cycle's day is its shift's intervals as they are: summed without copying them.
    if (schedule.isValid() && date.isValid() && !schedule.keepsCalendarDays()) {
        const SCHEDULE_DATA::Shift* shift = cycleShift(schedule, date, fallbackBase);
        return shift ? intervalSeconds(shift->intervals) : 0;
    }
    return intervalSeconds(dayIntervals(schedule, date, fallbackBase, days));
}

int ScheduleExpander::intervalSeconds(const QList<SCHEDULE_CALENDAR_INTERVAL>& intervals)
{
    int total = 0;
    for (const SCHEDULE_CALENDAR_INTERVAL& interval : intervals)
        total += interval.finish - interval.start + (interval.finish < interval.start ? 86400 : 0);
    return total;
}

const SCHEDULE_DATA::Shift* ScheduleExpander::cycleShift(const SCHEDULE_DATA& schedule, const QDate& date,
                                                         const QDate& fallbackBase)
{
    const QDate base = schedule.date.isValid() ? schedule.date : fallbackBase;
    const qint64 length = schedule.cycle.size();
    if (length == 0 || !base.isValid())
        return nullptr;
    const qint64 offset = base.daysTo(date);
    // A non-negative remainder also for dates before the base.
    const qint64 position = ((offset % length) + length) % length;
    const int shift = schedule.cycle.at(int(position)).shift;
    if (shift < 0 || shift >= schedule.shifts.size())
        return nullptr;
    return &schedule.shifts.at(shift);
}

QList<SCHEDULE_CALENDAR_INTERVAL> ScheduleExpander::cycleIntervals(const SCHEDULE_DATA& schedule, const QDate& date,
                                                                   const QDate& fallbackBase) const
{
    const SCHEDULE_DATA::Shift* shift = cycleShift(schedule, date, fallbackBase);
    if (!shift)
        return {};
    QList<SCHEDULE_CALENDAR_INTERVAL> intervals = shift->intervals;
    for (int i = 0; i < intervals.size(); ++i)
        intervals[i].order = i;
    return intervals;
}

QList<SCHEDULE_CALENDAR_INTERVAL> ScheduleExpander::calendarIntervals(const SCHEDULE_DATA& schedule,
                                                                      const SCHEDULE_CALENDAR_DAY& day) const
{
    if (day.shift == 0)
        return day.intervals;
    if (m_shifts)
        return m_shifts(day.shift);
    for (const SCHEDULE_DATA::Shift& shift : schedule.shifts) {
        if (shift.shiftUid == day.shift)
            return shift.intervals;
    }
    return day.intervals;
}
