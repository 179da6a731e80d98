#pragma once

#include "ovserver_export.h"

#include "orvantatypes.h"
#include "schedulecalendarday.h"
#include "schedulecalendarinterval.h"
#include "scheduledata.h"

#include <QDate>
#include <QHash>
#include <QList>

#include <functional>

/// What a schedule gives on a date, worked out on the server as the client does it: a cycle
/// (kinds 1 and 2) counted from its base date, or (kinds 3 and 4) the schedule's calendar day.
class OVSERVER_EXPORT ScheduleExpander
{
public:
    using ShiftLookup = std::function<QList<orvanta::SCHEDULE_CALENDAR_INTERVAL>(orvanta::TYPE_ID shift)>;
    using CalendarDays = QHash<QDate, orvanta::SCHEDULE_CALENDAR_DAY>;

    /// shifts gives the intervals of a shift a calendar day names; without it the schedule's
    /// own shift with that uid is used, else the day's own intervals.
    explicit ScheduleExpander(ShiftLookup shifts = {});

    /// The intervals of schedule on date. A cycle starts at the schedule's date, or at
    /// fallbackBase (the history record's start) when the schedule has none; days are the
    /// schedule's calendar days.
    QList<orvanta::SCHEDULE_CALENDAR_INTERVAL> dayIntervals(const orvanta::SCHEDULE_DATA& schedule,
                                                            const QDate& date, const QDate& fallbackBase,
                                                            const CalendarDays& days) const;
    int daySeconds(const orvanta::SCHEDULE_DATA& schedule, const QDate& date, const QDate& fallbackBase,
                   const CalendarDays& days) const;

    /// Sum of the interval lengths; a finish below the start ends after midnight.
    static int intervalSeconds(const QList<orvanta::SCHEDULE_CALENDAR_INTERVAL>& intervals);

private:
    /// The shift a cycle gives on date, or null for a day off or a broken cycle.
    static const orvanta::SCHEDULE_DATA::Shift* cycleShift(const orvanta::SCHEDULE_DATA& schedule, const QDate& date,
                                                           const QDate& fallbackBase);
    QList<orvanta::SCHEDULE_CALENDAR_INTERVAL> cycleIntervals(const orvanta::SCHEDULE_DATA& schedule,
                                                              const QDate& date, const QDate& fallbackBase) const;
    QList<orvanta::SCHEDULE_CALENDAR_INTERVAL> calendarIntervals(const orvanta::SCHEDULE_DATA& schedule,
                                                                 const orvanta::SCHEDULE_CALENDAR_DAY& day) const;

    ShiftLookup m_shifts;
};
