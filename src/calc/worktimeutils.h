#pragma once

#include "objectinfo.h"
#include "orvantatypes.h"
#include "schedulecalendarday.h"
#include "schedulecalendarinterval.h"
#include "workerabsencereason.h"
#include "workerschedulehistory.h"

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QPair>
#include <QTime>

/// Time, schedule and lunch-break arithmetic of the planning screen. Times of day
/// and durations are seconds; an interval whose finish is below its start ends
/// after midnight.
class WorkTimeUtils
{
public:
    using IntervalList = QList<orvanta::SCHEDULE_CALENDAR_INTERVAL>;
    using CalendarDays = QHash<int, QList<orvanta::SCHEDULE_CALENDAR_DAY>>;

    WorkTimeUtils() = delete;

    static int timeToSeconds(const QTime& time);
    static QTime secondsToTime(int seconds);
    /// Calls of the schedule lookups, break-rule resolution and interval building so far: paths that
    /// must stay free of them (painting, scrolling) are checked against it.
    static quint64 lookupCount();

    /// The dates the logged-in user may edit, read anew on every call.
    static QDate startEditableDate();
    static QDate finishEditableDate();
    /// Both ends at once: startEditableDate() and finishEditableDate().
    static QPair<QDate, QDate> editableRange();
    /// Today's date, read from the clock at most once a second.
    static QDate today();

    static int nightStart(orvanta::TYPE_ID uid);
    static int nightFinish(orvanta::TYPE_ID uid);
    /// Seconds of the span that fall into night windows.
    static int nightTime(orvanta::TYPE_ID uid, const QDateTime& from, const QDateTime& to);

    static int intervalStart(const IntervalList& intervals);
    static int intervalFinish(const IntervalList& intervals);
    static int intervalTime(const IntervalList& intervals);
    static int intervalBreak(const IntervalList& intervals);

    static QDate startYearDate(const QDate& date);
    static QDate endMonthDate(const QDate& date);

    static bool isFullDayAbsenceReason(const QDate& date, const orvanta::_WORKER_ABSENCE_REASON_RECORD& record);
    static orvanta::SCHEDULE_CALENDAR_DAY calendarDayByDate(int schedule, const QDate& date, const CalendarDays& days);
    /// The reason's WorkTimeData::ReasonTimeType bit.
    static int absenceReasonType(const orvanta::ObjectInfo& reason);
    static int absenceReasonType(orvanta::TYPE_ID reason);

    /// The break rule that applies to the subject on date for a shift of shiftTime seconds; 0 for none.
    static orvanta::TYPE_ID getEffectiveBreakRule(orvanta::TYPE_ID uid, bool attached, const QDate& date,
                                                  int shiftTime);
    static int getBreakTime(orvanta::TYPE_ID uid, bool attached, const QDate& date, int shiftTime);
    /// Cuts start..finish into work intervals with workTime seconds of work, the break
    /// in the daytime part.
    static void splitTimeToIntervals(orvanta::TYPE_ID uid, const QDateTime& start, const QDateTime& finish,
                                     int workTime, IntervalList& out);
    static void shiftToIntervals(orvanta::TYPE_ID shift, IntervalList& out);
    static int scheduleIdByDate(orvanta::TYPE_ID employee, const QDate& date,
                                const orvanta::WORKER_SCHEDULE_HISTORY_V2& history, QDate& baseDate);
    static void scheduleShiftToIntervals(qint32 schedule, const QDate& date, const QDate& baseDate,
                                         IntervalList& out);
    static void scheduleDayIntervals(int schedule, const QDate& date, const QDate& baseDate,
                                     const CalendarDays& calendarDays, IntervalList& out);
};
