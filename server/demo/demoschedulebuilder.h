#pragma once

#include "orvantatypes.h"
#include "schedulecalendarinterval.h"

#include <QList>

class DemoDraft;
struct DemoEmployee;
class QDate;
class QString;

/// Shifts and schedules: the shared cycles, the shop's day-by-day calendar, the employees'
/// schedule histories and their personal schedules.
class DemoScheduleBuilder
{
public:
    explicit DemoScheduleBuilder(DemoDraft& draft);

    /// The shifts and the schedules every department chooses from.
    void addSchedules();
    void addScheduleHistory(const DemoEmployee& employee);
    void addPersonalSchedule(const DemoEmployee& employee);

private:
    enum ShiftKind { DayShift, MorningShift, EveningShift, NightShift, ShiftKindCount };

    void addShifts();
    void addCycleSchedule(int id, const QString& name, const QString& color, const QDate& base,
                          const QList<int>& cycle, ShiftKind kind);
    void addShopCalendar();

    DemoDraft& m_draft;
    orvanta::TYPE_ID m_shifts[ShiftKindCount] = {};
    QList<orvanta::SCHEDULE_CALENDAR_INTERVAL> m_shiftIntervals[ShiftKindCount];
    orvanta::TYPE_ID m_nextHistoryRecordId = 1;
    int m_nextPersonalScheduleId;
};
