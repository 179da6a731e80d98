#include "demoschedulebuilder.h"

#include "demodraft.h"
#include "demoids.h"
#include "vocabulary.h"

using namespace orvanta;
using namespace DemoIds;

namespace {

SCHEDULE_CALENDAR_INTERVAL interval(int start, int finish, int order = 0)
{
    SCHEDULE_CALENDAR_INTERVAL result;
    result.start = start;
    result.finish = finish;
    result.order = order;
    return result;
}

int intervalLength(const SCHEDULE_CALENDAR_INTERVAL& interval)
{
    const int length = interval.finish - interval.start;
    return length < 0 ? length + 86400 : length;
}

SCHEDULE_CALENDAR_DAY calendarDay(const QDate& date, TYPE_ID shift, const QList<SCHEDULE_CALENDAR_INTERVAL>& intervals)
{
    SCHEDULE_CALENDAR_DAY day;
    day.date = date;
    day.shift = shift;
    day.intervals = intervals;
    if (!intervals.isEmpty()) {
        day.start = intervals.first().start;
        day.finish = intervals.last().finish;
    }
    for (const SCHEDULE_CALENDAR_INTERVAL& piece : intervals)
        day.time += intervalLength(piece);
    return day;
}

_WORKER_SCHEDULE_HISTORY_RECORD_V2 historyRecord(TYPE_ID id, int schedule, const QDate& from, const QDate& to)
{
    _WORKER_SCHEDULE_HISTORY_RECORD_V2 record;
    record.id = id;
    record.schedule = TYPE_ID(schedule);
    record.from = from;
    record.to = to;
    record.state = 1;
    record.date = from;
    return record;
}

} // namespace

DemoScheduleBuilder::DemoScheduleBuilder(DemoDraft& draft)
    : m_draft(draft), m_nextPersonalScheduleId(FirstPersonalScheduleId)
{
}

void DemoScheduleBuilder::addShifts()
{
    struct ShiftPlan
    {
        const char* name;
        int start;
        int finish;
    };
    const ShiftPlan plans[ShiftKindCount] = {
        {"Дневная смена", DemoDraft::seconds(9), DemoDraft::seconds(18)},
        {"Утренняя смена", DemoDraft::seconds(7), DemoDraft::seconds(15)},
        {"Вечерняя смена", DemoDraft::seconds(14), DemoDraft::seconds(23)},
        {"Ночная смена", DemoDraft::seconds(22), DemoDraft::seconds(7)},
    };
    for (int kind = 0; kind < ShiftKindCount; ++kind) {
        const TYPE_ID uid = FirstShiftUid + TYPE_ID(kind);
        ObjectInfo shift = DemoDraft::makeObject(uid, db::wt::SHIFT, 0, QString::fromUtf8(plans[kind].name));
        shift.properties.insert(DemoDraft::key(db::shift::HIDDEN), QStringLiteral("0"));
        m_draft.addObject(SCHEDULE_SHIFT_DATANAME, shift);

        ObjectInfo piece =
            DemoDraft::makeObject(FirstShiftIntervalUid + TYPE_ID(kind), db::wt::SHIFT_INTERVAL, uid, QString());
        piece.properties.insert(DemoDraft::key(db::shift_interval::START), QString::number(plans[kind].start));
        piece.properties.insert(DemoDraft::key(db::shift_interval::FINISH), QString::number(plans[kind].finish));
        piece.properties.insert(DemoDraft::key(db::shift_interval::ORDER), QStringLiteral("0"));
        m_draft.addObject(SHIFT_INTERVAL_DATANAME, piece);

        m_shifts[kind] = uid;
        m_shiftIntervals[kind] = {interval(plans[kind].start, plans[kind].finish)};
    }
}

void DemoScheduleBuilder::addCycleSchedule(int id, const QString& name, const QString& color, const QDate& base,
                                           const QList<int>& cycle, ShiftKind kind)
{
    SCHEDULE_DATA schedule;
    schedule.id = id;
    schedule.name = name;
    schedule.kind = SCHEDULE_DATA::KindCycle;
    schedule.color = color;
    schedule.date = base;
    for (int shift : cycle)
        schedule.cycle.append(SCHEDULE_DATA::CycleDay{shift});
    SCHEDULE_DATA::Shift shift;
    shift.shiftUid = m_shifts[kind];
    shift.intervals = m_shiftIntervals[kind];
    schedule.shifts.append(shift);
    m_draft.org.schedules.append(schedule);
}

// The shop's calendar is drawn day by day: two days in three at work, on a shift of the day's choice.
void DemoScheduleBuilder::addShopCalendar()
{
    SCHEDULE_DATA schedule;
    schedule.id = ShopCalendarSchedule;
    schedule.name = QStringLiteral("График магазина (по календарю)");
    schedule.kind = SCHEDULE_DATA::KindCalendar;
    schedule.color = QStringLiteral("#E91E63");
    m_draft.org.schedules.append(schedule);

    const QDate first = m_draft.monthStart.addMonths(-6);
    const QDate last = m_draft.monthStart.addMonths(7).addDays(-1);
    QList<SCHEDULE_CALENDAR_DAY>& days = m_draft.org.calendarDays[schedule.id];
    for (QDate date = first; date <= last; date = date.addDays(1)) {
        if (!m_draft.random.chance(67))
            continue;
        const ShiftKind kind = ShiftKind(m_draft.random.between(DayShift, EveningShift));
        days.append(calendarDay(date, m_shifts[kind], m_shiftIntervals[kind]));
    }
}

void DemoScheduleBuilder::addSchedules()
{
    addShifts();
    const QDate& yearStart = m_draft.yearStart;
    const QDate monday = yearStart.addDays(1 - yearStart.dayOfWeek());
    const QList<int> fiveTwo{0, 0, 0, 0, 0, -1, -1};
    const QList<int> twoTwo{0, 0, -1, -1};
    addCycleSchedule(FiveDaySchedule, QStringLiteral("Пятидневка 09:00-18:00"), QStringLiteral("#008DF3"), monday,
                     fiveTwo, DayShift);
    addCycleSchedule(MorningTwoTwoSchedule, QStringLiteral("Сменный 2/2, утро"), QStringLiteral("#22B1A9"), yearStart,
                     twoTwo, MorningShift);
    addCycleSchedule(EveningTwoTwoSchedule, QStringLiteral("Сменный 2/2, вечер"), QStringLiteral("#F38300"),
                     yearStart.addDays(2), twoTwo, EveningShift);
    addCycleSchedule(NightTwoTwoSchedule, QStringLiteral("Склад 2/2, ночь"), QStringLiteral("#6A5ACD"),
                     yearStart.addDays(1), twoTwo, NightShift);
    addCycleSchedule(WarehouseMorningSchedule, QStringLiteral("Склад 5/2, утро"), QStringLiteral("#8BC34A"), monday,
                     fiveTwo, MorningShift);
    addShopCalendar();
}

void DemoScheduleBuilder::addScheduleHistory(const DemoEmployee& employee)
{
    WORKER_SCHEDULE_HISTORY_V2 history;
    history.uid = employee.uid;
    if (employee.previousSchedule != 0)
        history.records.append(historyRecord(m_nextHistoryRecordId++, employee.previousSchedule, employee.hired,
                                             employee.scheduleFrom.addDays(-1)));
    history.records.append(
        historyRecord(m_nextHistoryRecordId++, employee.schedule, employee.scheduleFrom, employee.end));
    m_draft.org.scheduleHistories.insert(employee.uid, history);
}

// Weekdays at work, half of them on the day shift and half on split hours of the employee's own.
void DemoScheduleBuilder::addPersonalSchedule(const DemoEmployee& employee)
{
    SCHEDULE_DATA schedule;
    schedule.id = m_nextPersonalScheduleId++;
    schedule.name = QStringLiteral("Личный график: %1").arg(employee.person.shortName());
    schedule.kind = SCHEDULE_DATA::KindPersonal;
    schedule.color = QStringLiteral("#22B1A9");
    schedule.date = m_draft.monthStart;
    schedule.worker = employee.uid;
    m_draft.org.schedules.append(schedule);

    const QList<SCHEDULE_CALENDAR_INTERVAL> splitHours{interval(DemoDraft::seconds(10), DemoDraft::seconds(14), 0),
                                                        interval(DemoDraft::seconds(15), DemoDraft::seconds(19), 1)};
    QList<SCHEDULE_CALENDAR_DAY>& days = m_draft.org.calendarDays[schedule.id];
    for (QDate date = m_draft.monthStart; date <= m_draft.monthEnd; date = date.addDays(1)) {
        if (date.dayOfWeek() >= Qt::Saturday)
            continue;
        if (m_draft.random.chance(50))
            days.append(calendarDay(date, m_shifts[DayShift], m_shiftIntervals[DayShift]));
        else
            days.append(calendarDay(date, 0, splitHours));
    }
}
