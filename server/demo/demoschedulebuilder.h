#pragma once

#include "orvantatypes.h"
#include "schedulecalendarday.h"
#include "schedulecalendarinterval.h"
#include "workerschedulehistory.h"

#include <QHash>
#include <QList>
#include <QPair>

class DemoDraft;
struct DemoEmployee;
class QDate;
class QString;

/// Shifts and schedules: the shared cycles, the shop's day-by-day calendar, the employees'
/// schedule histories and their personal schedules. Every shift carries the lunch the break rules
/// give whoever works it, as its intervals.
class DemoScheduleBuilder
{
public:
    explicit DemoScheduleBuilder(DemoDraft& draft);

    /// After the break rules are planned: the shifts and the schedules every department chooses from.
    void addSchedules();
    void addScheduleHistory(const DemoEmployee& employee);
    void addPersonalSchedule(const DemoEmployee& employee);

private:
    enum ShiftKind { DayShift, MorningShift, EveningShift, NightShift, ShiftKindCount };
    using IntervalList = QList<orvanta::SCHEDULE_CALENDAR_INTERVAL>;

    orvanta::TYPE_ID shift(ShiftKind kind, int breakTime);
    orvanta::SCHEDULE_CALENDAR_DAY shiftDay(const QDate& date, ShiftKind kind, int breakTime);
    int breakTime(ShiftKind kind, const QList<orvanta::TYPE_ID>& chain, const QDate& date) const;
    QList<int> breaks(int schedule, const QList<orvanta::TYPE_ID>& chain, const QDate& date) const;
    int scheduleWithBreaks(int schedule, const QList<int>& breaks);
    void followSchedule(orvanta::WORKER_SCHEDULE_HISTORY_V2& history, const DemoEmployee& employee, int schedule,
                        const QDate& from, const QDate& to);
    void addCycleSchedule(int id, const QString& name, const QString& color, const QDate& base,
                          const QList<int>& cycle, ShiftKind kind);
    void addShopCalendar();

    DemoDraft& m_draft;
    /// The chain the shared schedules are drawn for: a department under the firm-wide rules.
    QList<orvanta::TYPE_ID> m_firmWide;
    QHash<QPair<int, int>, orvanta::TYPE_ID> m_shiftByBreak;
    QHash<orvanta::TYPE_ID, ShiftKind> m_shiftKinds;
    QHash<orvanta::TYPE_ID, IntervalList> m_shiftIntervals;
    /// Schedule id -> the kinds of its shifts, in the order of its shift list, and their breaks.
    QHash<int, QList<ShiftKind>> m_scheduleKinds;
    QHash<int, QList<int>> m_scheduleBreaks;
    QHash<QPair<int, QList<int>>, int> m_redrawn;
    orvanta::TYPE_ID m_nextShiftUid;
    orvanta::TYPE_ID m_nextShiftIntervalUid;
    orvanta::TYPE_ID m_nextHistoryRecordId = 1;
    int m_nextRedrawnScheduleId;
    int m_nextPersonalScheduleId;
};
