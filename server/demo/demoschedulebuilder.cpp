#include "demoschedulebuilder.h"

#include "demodraft.h"
#include "demoids.h"
#include "vocabulary.h"

#include <algorithm>

using namespace orvanta;
using namespace DemoIds;

namespace {

struct ShiftPlan
{
    const char* name;
    int start;
    int finish;
};

// By ShiftKind. The night shift lies wholly in the night window, which no lunch cuts into.
const ShiftPlan ShiftPlans[] = {
    {"Дневная смена", 9 * 3600, 18 * 3600},
    {"Утренняя смена", 7 * 3600, 15 * 3600},
    {"Вечерняя смена", 14 * 3600, 23 * 3600},
    {"Ночная смена", 22 * 3600, 6 * 3600},
};

QString lunchSuffix(int breakTime)
{
    return breakTime > 0 ? QStringLiteral(", перерыв %1 мин").arg(breakTime / 60) : QStringLiteral(", без перерыва");
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
    : m_draft(draft),
      m_nextShiftUid(FirstShiftUid),
      m_nextShiftIntervalUid(FirstShiftIntervalUid),
      m_nextRedrawnScheduleId(FirstRedrawnScheduleId),
      m_nextPersonalScheduleId(FirstPersonalScheduleId)
{
}

int DemoScheduleBuilder::breakTime(ShiftKind kind, const QList<TYPE_ID>& chain, const QDate& date) const
{
    return m_draft.breakRules.breakTime(chain, date, ShiftPlans[kind].start, ShiftPlans[kind].finish);
}

QList<int> DemoScheduleBuilder::breaks(int schedule, const QList<TYPE_ID>& chain, const QDate& date) const
{
    QList<int> result;
    for (ShiftKind kind : m_scheduleKinds.value(schedule))
        result.append(breakTime(kind, chain, date));
    return result;
}

// One shift object per kind and lunch, made when first worked; the firm-wide lunch keeps the plain name.
TYPE_ID DemoScheduleBuilder::shift(ShiftKind kind, int breakTime)
{
    const QPair<int, int> key(kind, breakTime);
    const auto found = m_shiftByBreak.constFind(key);
    if (found != m_shiftByBreak.cend())
        return found.value();
    const ShiftPlan& plan = ShiftPlans[kind];
    QString name = QString::fromUtf8(plan.name);
    if (breakTime != this->breakTime(kind, m_firmWide, m_draft.monthStart))
        name += lunchSuffix(breakTime);
    const TYPE_ID uid = m_nextShiftUid++;
    ObjectInfo object = DemoDraft::makeObject(uid, db::wt::SHIFT, 0, name);
    object.properties.insert(DemoDraft::key(db::shift::HIDDEN), QStringLiteral("0"));
    m_draft.addObject(SCHEDULE_SHIFT_DATANAME, object);

    const IntervalList intervals = DemoBreakRules::cut(plan.start, plan.finish, breakTime);
    for (const SCHEDULE_CALENDAR_INTERVAL& interval : intervals) {
        ObjectInfo piece = DemoDraft::makeObject(m_nextShiftIntervalUid++, db::wt::SHIFT_INTERVAL, uid, QString());
        piece.properties.insert(DemoDraft::key(db::shift_interval::START), QString::number(interval.start));
        piece.properties.insert(DemoDraft::key(db::shift_interval::FINISH), QString::number(interval.finish));
        piece.properties.insert(DemoDraft::key(db::shift_interval::ORDER), QString::number(interval.order));
        m_draft.addObject(SHIFT_INTERVAL_DATANAME, piece);
    }
    m_shiftByBreak.insert(key, uid);
    m_shiftKinds.insert(uid, kind);
    m_shiftIntervals.insert(uid, intervals);
    return uid;
}

SCHEDULE_CALENDAR_DAY DemoScheduleBuilder::shiftDay(const QDate& date, ShiftKind kind, int breakTime)
{
    const TYPE_ID uid = shift(kind, breakTime);
    return calendarDay(date, uid, m_shiftIntervals.value(uid));
}

// Whoever gets other lunches than a schedule was drawn with follows a copy of it drawn with theirs,
// made once per schedule and lunches.
int DemoScheduleBuilder::scheduleWithBreaks(int schedule, const QList<int>& breaks)
{
    if (breaks == m_scheduleBreaks.value(schedule))
        return schedule;
    const QPair<int, QList<int>> key(schedule, breaks);
    const auto found = m_redrawn.constFind(key);
    if (found != m_redrawn.cend())
        return found.value();

    SCHEDULE_DATA copy;
    for (const SCHEDULE_DATA& existing : qAsConst(m_draft.org.schedules)) {
        if (existing.id == schedule)
            copy = existing;
    }
    copy.id = m_nextRedrawnScheduleId++;
    copy.name += lunchSuffix(*std::max_element(breaks.cbegin(), breaks.cend()));
    const QList<ShiftKind> kinds = m_scheduleKinds.value(schedule);
    for (int index = 0; index < copy.shifts.size(); ++index) {
        copy.shifts[index].shiftUid = shift(kinds.at(index), breaks.at(index));
        copy.shifts[index].intervals = m_shiftIntervals.value(copy.shifts.at(index).shiftUid);
    }
    if (copy.kind == SCHEDULE_DATA::KindCalendar) {
        QList<SCHEDULE_CALENDAR_DAY> days;
        for (const SCHEDULE_CALENDAR_DAY& day : m_draft.org.calendarDays.value(schedule)) {
            const ShiftKind kind = m_shiftKinds.value(day.shift);
            days.append(shiftDay(day.date, kind, breaks.at(kinds.indexOf(kind))));
        }
        m_draft.org.calendarDays.insert(copy.id, days);
    }
    m_draft.org.schedules.append(copy);
    m_scheduleKinds.insert(copy.id, kinds);
    m_scheduleBreaks.insert(copy.id, breaks);
    m_redrawn.insert(key, copy.id);
    return copy.id;
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
    m_scheduleKinds.insert(id, {kind});
    m_scheduleBreaks.insert(id, breaks(id, m_firmWide, m_draft.monthStart));
    SCHEDULE_DATA::Shift shift;
    shift.shiftUid = this->shift(kind, m_scheduleBreaks.value(id).first());
    shift.intervals = m_shiftIntervals.value(shift.shiftUid);
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
    m_scheduleKinds.insert(schedule.id, {DayShift, MorningShift, EveningShift});
    const QList<int> lunches = breaks(schedule.id, m_firmWide, m_draft.monthStart);
    m_scheduleBreaks.insert(schedule.id, lunches);

    const QDate first = m_draft.monthStart.addMonths(-6);
    const QDate last = m_draft.monthStart.addMonths(7).addDays(-1);
    QList<SCHEDULE_CALENDAR_DAY>& days = m_draft.org.calendarDays[schedule.id];
    for (QDate date = first; date <= last; date = date.addDays(1)) {
        if (!m_draft.random.chance(67))
            continue;
        const ShiftKind kind = ShiftKind(m_draft.random.between(DayShift, EveningShift));
        days.append(shiftDay(date, kind, lunches.at(kind)));
    }
}

void DemoScheduleBuilder::addSchedules()
{
    // The shared schedules are drawn for the shops and offices, whose top departments carry the
    // firm-wide rules.
    m_firmWide = m_draft.chain(0);
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

// A rule that starts within from..to and changes the employee's lunch moves the employee onto the
// schedule redrawn with it from that day on.
void DemoScheduleBuilder::followSchedule(WORKER_SCHEDULE_HISTORY_V2& history, const DemoEmployee& employee,
                                         int schedule, const QDate& from, const QDate& to)
{
    const QList<TYPE_ID> chain = m_draft.chain(employee);
    QDate periodFrom = from;
    int current = scheduleWithBreaks(schedule, breaks(schedule, chain, from));
    for (const QDate& date : m_draft.breakRules.dates()) {
        if (date <= from || (to.isValid() && date > to))
            continue;
        const int next = scheduleWithBreaks(schedule, breaks(schedule, chain, date));
        if (next == current)
            continue;
        history.records.append(historyRecord(m_nextHistoryRecordId++, current, periodFrom, date.addDays(-1)));
        periodFrom = date;
        current = next;
    }
    history.records.append(historyRecord(m_nextHistoryRecordId++, current, periodFrom, to));
}

void DemoScheduleBuilder::addScheduleHistory(const DemoEmployee& employee)
{
    WORKER_SCHEDULE_HISTORY_V2 history;
    history.uid = employee.uid;
    if (employee.previousSchedule != 0)
        followSchedule(history, employee, employee.previousSchedule, employee.hired, employee.scheduleFrom.addDays(-1));
    followSchedule(history, employee, employee.schedule, employee.scheduleFrom, employee.end);
    m_draft.org.scheduleHistories.insert(employee.uid, history);
}

// Weekdays at work, half of them on the day shift and half on 10:00-19:00, with the employee's lunch.
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

    const QList<TYPE_ID> chain = m_draft.chain(employee);
    const int ownStart = DemoDraft::seconds(10);
    const int ownFinish = DemoDraft::seconds(19);
    QList<SCHEDULE_CALENDAR_DAY>& days = m_draft.org.calendarDays[schedule.id];
    for (QDate date = m_draft.monthStart; date <= m_draft.monthEnd; date = date.addDays(1)) {
        if (date.dayOfWeek() >= Qt::Saturday)
            continue;
        if (m_draft.random.chance(50)) {
            days.append(shiftDay(date, DayShift, breakTime(DayShift, chain, date)));
        } else {
            const int lunch = m_draft.breakRules.breakTime(chain, date, ownStart, ownFinish);
            days.append(calendarDay(date, 0, DemoBreakRules::cut(ownStart, ownFinish, lunch)));
        }
    }
}
