#include "worktimeutils.h"

#include "authdata.h"
#include "breakrulecache.h"
#include "localstorage.h"
#include "ovroledaterestrictions.h"
#include "scheduleutil.h"
#include "vocabulary.h"
#include "wtplanninglogging.h"

#include <QElapsedTimer>
#include <QStringList>
#include <QVarLengthArray>

#include <cmath>

using orvanta::SCHEDULE_CALENDAR_INTERVAL;
using orvanta::TYPE_ID;

namespace {

// Values of WorkTimeData::ReasonTimeType: the row record builds on this class, not the other way round.
enum ReasonTimeType { AbsenceTime = 1, WorkTime = 2, NormTime = 4 };

constexpr int secondsPerDay = 86400;
constexpr int nightStartSeconds = 79200;
constexpr int nightFinishSeconds = 21600;
// The GUI thread is the only caller.
quint64 lookupCalls = 0;

using SubjectChain = QVarLengthArray<TYPE_ID, 16>;

struct RuleScore
{
    TYPE_ID rule = 0;
    QDate date;
    qint32 level = 0;
};

// Nearer the subject first, then the newer rule; the tie order is ours to choose, and
// the rule created last (highest uid) keeps results independent of hash order.
bool scoresBefore(const RuleScore& a, const RuleScore& b)
{
    if (a.level != b.level)
        return a.level < b.level;
    if (a.date != b.date)
        return a.date > b.date;
    return a.rule > b.rule;
}

// Moments as seconds on the local wall clock: the night window is a time of day, and
// plain integers keep the splitting cheap (no time-zone lookups per comparison).
qint64 wallSeconds(const QDate& date)
{
    return date.toJulianDay() * secondsPerDay;
}

qint64 wallSeconds(const QDateTime& moment)
{
    return wallSeconds(moment.date()) + moment.time().msecsSinceStartOfDay() / 1000;
}

qint64 wallDay(qint64 wall)
{
    return wall >= 0 ? wall / secondsPerDay : (wall - secondsPerDay + 1) / secondsPerDay;
}

int secondsOfDay(qint64 wall)
{
    return int(wall - wallDay(wall) * secondsPerDay);
}

// Boolean properties travel as text: empty, "0" and "false" mean false.
bool textToBool(const QString& text)
{
    return !(text.isEmpty() || text == QLatin1String("0")
             || text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0);
}

QString hhmm(int seconds)
{
    return WorkTimeUtils::secondsToTime(seconds).toString(QStringLiteral("hh:mm"));
}

QString joined(const SubjectChain& chain)
{
    QStringList uids;
    for (TYPE_ID uid : chain)
        uids.append(QString::number(uid));
    return uids.join(QLatin1String(", "));
}

SCHEDULE_CALENDAR_INTERVAL makeInterval(int start, int finish, int type = SCHEDULE_CALENDAR_INTERVAL::Unspecified)
{
    SCHEDULE_CALENDAR_INTERVAL interval;
    interval.type = type;
    interval.start = start;
    interval.finish = finish;
    return interval;
}

void appendMerged(WorkTimeUtils::IntervalList& out, const SCHEDULE_CALENDAR_INTERVAL& piece)
{
    if (!out.isEmpty() && out.last().finish == piece.start)
        out.last().finish = piece.finish;
    else
        out.append(piece);
}

} // namespace

int WorkTimeUtils::timeToSeconds(const QTime& time)
{
    if (!time.isValid())
        return 0;
    return time.hour() * 3600 + time.minute() * 60 + time.second();
}

QTime WorkTimeUtils::secondsToTime(int seconds)
{
    return QTime(0, 0).addSecs(seconds);
}

quint64 WorkTimeUtils::lookupCount()
{
    return lookupCalls;
}

QDate WorkTimeUtils::startEditableDate()
{
    return editableRange().first;
}

QDate WorkTimeUtils::finishEditableDate()
{
    return editableRange().second;
}

QPair<QDate, QDate> WorkTimeUtils::editableRange()
{
    const orvanta::_ROLE_DATE_RESTRICTIONS restrictions = AuthData::workTimePlanningRestrictions();
    const bool relative = restrictions.mode == orvanta::_ROLE_DATE_RESTRICTIONS::RelativeToToday;
    return OVRoleDateRestrictions::restrictionsRange(restrictions, relative ? today() : QDate());
}

QDate WorkTimeUtils::today()
{
    // The clock costs a time-zone file lookup per call, and the grid asks for every
    // cell it paints; a date at most a second old is as good for the editable range.
    static QElapsedTimer lastAsked;
    static QDate cached;
    if (!lastAsked.isValid() || lastAsked.elapsed() > 1000) {
        cached = QDate::currentDate();
        lastAsked.start();
    }
    return cached;
}

int WorkTimeUtils::nightStart(TYPE_ID)
{
    return nightStartSeconds;
}

int WorkTimeUtils::nightFinish(TYPE_ID)
{
    return nightFinishSeconds;
}

int WorkTimeUtils::nightTime(TYPE_ID uid, const QDateTime& from, const QDateTime& to)
{
    if (!from.isValid() || !to.isValid())
        return 0;
    const int windowStart = nightStart(uid);
    int windowLength = nightFinish(uid) - windowStart;
    if (windowLength < 0)
        windowLength += secondsPerDay;

    const qint64 fromWall = wallSeconds(from);
    const qint64 toWall = wallSeconds(to);
    qint64 total = 0;
    for (qint64 day = from.date().toJulianDay(); day <= to.date().toJulianDay(); ++day) {
        const qint64 pieceStart = qMax(day * secondsPerDay, fromWall);
        const qint64 pieceEnd = qMin((day + 1) * secondsPerDay, toWall);
        // A reversed span has no length to overlap with.
        if (pieceStart >= pieceEnd)
            continue;
        for (qint64 window = wallDay(pieceStart) - 1; window <= wallDay(pieceEnd); ++window) {
            const qint64 nightBegin = window * secondsPerDay + windowStart;
            const qint64 nightEnd = nightBegin + windowLength;
            if (pieceStart < nightEnd && nightBegin < pieceEnd)
                total += qMin(nightEnd, pieceEnd) - qMax(nightBegin, pieceStart);
        }
    }
    return int(total);
}

int WorkTimeUtils::intervalStart(const IntervalList& intervals)
{
    return intervals.isEmpty() ? 0 : intervals.first().start;
}

int WorkTimeUtils::intervalFinish(const IntervalList& intervals)
{
    return intervals.isEmpty() ? 0 : intervals.last().finish;
}

int WorkTimeUtils::intervalTime(const IntervalList& intervals)
{
    int total = 0;
    for (const SCHEDULE_CALENDAR_INTERVAL& interval : intervals) {
        total += interval.finish - interval.start;
        if (interval.start > interval.finish)
            total += secondsPerDay;
    }
    return total;
}

int WorkTimeUtils::intervalBreak(const IntervalList& intervals)
{
    int total = 0;
    for (int i = 1; i < intervals.size(); ++i) {
        const int previousFinish = intervals.at(i - 1).finish;
        const int start = intervals.at(i).start;
        total += start - previousFinish;
        if (previousFinish > start)
            total += secondsPerDay;
    }
    return total;
}

QDate WorkTimeUtils::startYearDate(const QDate& date)
{
    return date.isValid() ? QDate(date.year(), 1, 1) : QDate();
}

QDate WorkTimeUtils::endMonthDate(const QDate& date)
{
    return date.isValid() ? QDate(date.year(), date.month(), date.daysInMonth()) : QDate();
}

bool WorkTimeUtils::isFullDayAbsenceReason(const QDate& date, const orvanta::_WORKER_ABSENCE_REASON_RECORD& record)
{
    const QDate first = record.start.date();
    const QDate last = record.end.date();
    if (last < date || first > date)
        return false;
    if (!record.timed)
        return true;
    // The first and last days of a timed record are partial.
    if (first.daysTo(last) > 1)
        return date >= first.addDays(1) && date <= last.addDays(-1);
    return false;
}

orvanta::SCHEDULE_CALENDAR_DAY WorkTimeUtils::calendarDayByDate(int schedule, const QDate& date,
                                                                const CalendarDays& days)
{
    ++lookupCalls;
    const auto scheduleDays = days.constFind(schedule);
    if (scheduleDays != days.constEnd()) {
        for (const orvanta::SCHEDULE_CALENDAR_DAY& day : scheduleDays.value()) {
            if (day.date == date)
                return day;
        }
    }
    return orvanta::SCHEDULE_CALENDAR_DAY();
}

int WorkTimeUtils::absenceReasonType(const orvanta::ObjectInfo& reason)
{
    if (textToBool(reason.property(QLatin1String(db::reason::NORMTIME))))
        return NormTime;
    if (textToBool(reason.property(QLatin1String(db::reason::WORKTIME))))
        return WorkTime;
    return AbsenceTime;
}

int WorkTimeUtils::absenceReasonType(TYPE_ID reason)
{
    return absenceReasonType(
        orvanta::LocalStorage::instance()->constObject(reason, QLatin1String(orvanta::REASON_DATANAME)));
}

TYPE_ID WorkTimeUtils::getEffectiveBreakRule(TYPE_ID uid, bool attached, const QDate& date, int shiftTime)
{
    ++lookupCalls;
    const orvanta::LocalStorage* store = orvanta::LocalStorage::instance();
    SubjectChain chain;
    TYPE_ID next = 0;
    if (!attached) {
        const orvanta::ObjectInfo subject = store->constObject(uid);
        if (!subject.isValid()) {
            qCWarning(lcWtPlanning) << Q_FUNC_INFO << "subject not valid" << uid;
            return 0;
        }
        chain.append(uid);
        next = subject.parent;
    } else {
        static const QString attachedDataname = QString::fromLatin1(orvanta::ATTACHED_WORKER_DATANAME);
        const orvanta::ObjectInfo trip = store->constObject(uid, attachedDataname);
        if (!trip.isValid()) {
            qCWarning(lcWtPlanning) << Q_FUNC_INFO << "attached not valid" << uid;
            return 0;
        }
        // On a trip the chain is the employee, then the host department upwards.
        const auto employee = trip.children.constFind(orvanta::INHERIT_ATTACHED_WORKER);
        if (employee != trip.children.constEnd())
            chain.append(employee->child);
        const auto host = trip.children.constFind(orvanta::INHERIT_ATTACHED_WORKER_DEPARTMENT);
        next = host != trip.children.constEnd() ? host->child : 0;
    }

    while (next != 0) {
        if (chain.contains(next)) {
            qCWarning(lcWtPlanning) << Q_FUNC_INFO << "cycle detected" << next << uid;
            return 0;
        }
        chain.append(next);
        const orvanta::ObjectInfo subject = store->constObject(next);
        if (!subject.isValid()) {
            qCWarning(lcWtPlanning) << Q_FUNC_INFO << "subject not valid" << next;
            return 0;
        }
        next = subject.parent;
    }

    const bool debug = lcWtPlanning().isDebugEnabled();
    if (debug)
        qCDebug(lcWtPlanning) << Q_FUNC_INFO << "shift_time" << shiftTime << uid << joined(chain);

    bool found = false;
    RuleScore best;
    for (const BreakRuleCache::Rule& rule : BreakRuleCache::instance()->rules()) {
        if (debug) {
            qCDebug(lcWtPlanning) << Q_FUNC_INFO << "check rule" << rule.uid << rule.timeFrom / 3600
                                  << rule.timeTo / 3600 << rule.date;
        }
        if (shiftTime < rule.timeFrom || shiftTime >= rule.timeTo || rule.date > date)
            continue;
        int level = -1;
        for (TYPE_ID target : rule.targets) {
            const int position = chain.indexOf(target);
            if (position >= 0 && (level < 0 || position < level))
                level = position;
        }
        if (level < 0)
            continue;
        if (debug)
            qCDebug(lcWtPlanning) << Q_FUNC_INFO << "\tchecked" << rule.uid << level << rule.date;
        const RuleScore score{rule.uid, rule.date, level};
        if (!found || scoresBefore(score, best)) {
            best = score;
            found = true;
        }
    }
    return found ? best.rule : 0;
}

int WorkTimeUtils::getBreakTime(TYPE_ID uid, bool attached, const QDate& date, int shiftTime)
{
    const TYPE_ID ruleUid = getEffectiveBreakRule(uid, attached, date, shiftTime);
    if (ruleUid == 0) {
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "break rule not exists" << uid << date << shiftTime;
        return 0;
    }
    const BreakRuleCache::Rule* rule = BreakRuleCache::instance()->rule(ruleUid);
    if (!rule) {
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "break rule not valid" << ruleUid;
        return 0;
    }
    return rule->breakTime;
}

void WorkTimeUtils::splitTimeToIntervals(TYPE_ID uid, const QDateTime& start, const QDateTime& finish,
                                         int workTime, IntervalList& out)
{
    ++lookupCalls;
    out.clear();
    if (!start.isValid() || !finish.isValid()) {
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "wrong shift time" << start << finish << workTime;
        return;
    }

    const int s = timeToSeconds(start.time());
    const int f = timeToSeconds(finish.time()) + int(start.daysTo(finish)) * secondsPerDay;
    int span = f - s;
    if (span == 0) {
        qCDebug(lcWtPlanning) << Q_FUNC_INFO << "empty shift" << workTime << start << finish;
        return;
    }
    if (span < 0)
        span += secondsPerDay;
    int breakTotal = span - workTime;

    const int night = nightTime(uid, start, finish);
    const int dayTime = span - night;

    if (breakTotal < 0) {
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "wrong shift time" << start << finish << workTime;
        if (dayTime < 0)
            qCWarning(lcWtPlanning) << Q_FUNC_INFO << "wrong break time" << start << finish << night << workTime
                                    << breakTotal;
        out.append(makeInterval(s, f));
        return;
    }
    if (workTime < night) {
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "wrong break time" << start << finish << night << workTime
                                << breakTotal;
        // No work fits into the daytime part: all of it becomes break.
        breakTotal = dayTime;
    }
    if (breakTotal <= 0) {
        out.append(makeInterval(s, f));
        return;
    }

    // Day and night segments in a fixed walk over the night windows before, at and after the span.
    struct Segment
    {
        qint64 start;
        qint64 finish;
        int type;
    };
    Segment segments[5];
    int segmentCount = 0;
    const auto addSegment = [&segments, &segmentCount](qint64 from, qint64 to, int type) {
        segments[segmentCount++] = {from, to, type};
    };

    const int windowStart = nightStart(uid);
    int windowLength = nightFinish(uid) - windowStart;
    if (windowLength < 0)
        windowLength += secondsPerDay;
    const qint64 end = wallSeconds(finish);
    qint64 cur = wallSeconds(start);
    qint64 day = start.date().toJulianDay() - 1;
    qint64 nightBegin = day * secondsPerDay + windowStart;
    qint64 nightEnd = nightBegin + windowLength;
    const auto takeNightSegment = [&] {
        if (cur < end && cur >= nightBegin && cur < nightEnd) {
            const qint64 segmentEnd = qMin(nightEnd, end);
            addSegment(cur, segmentEnd, SCHEDULE_CALENDAR_INTERVAL::NightSegment);
            cur = segmentEnd;
        }
    };
    if (nightEnd < cur) {
        ++day;
        nightBegin = day * secondsPerDay + windowStart;
        nightEnd = nightBegin + windowLength;
    }
    if (cur < end && cur < nightBegin && nightBegin < end) {
        addSegment(cur, nightBegin, SCHEDULE_CALENDAR_INTERVAL::DaySegment);
        cur = nightBegin;
    }
    takeNightSegment();
    ++day;
    nightBegin = day * secondsPerDay + windowStart;
    nightEnd = qMin(nightBegin + windowLength, end);
    if (cur < end && end < nightBegin) {
        addSegment(cur, end, SCHEDULE_CALENDAR_INTERVAL::DaySegment);
        cur = end;
    }
    if (cur < end && nightBegin < end) {
        addSegment(cur, nightBegin, SCHEDULE_CALENDAR_INTERVAL::DaySegment);
        cur = nightBegin;
    }
    takeNightSegment();
    if (cur < end)
        addSegment(cur, end, SCHEDULE_CALENDAR_INTERVAL::DaySegment);

    if (lcWtPlanning().isDebugEnabled()) {
        qCDebug(lcWtPlanning) << Q_FUNC_INFO << "day intervals" << segmentCount;
        for (int i = 0; i < segmentCount; ++i) {
            const bool isNight = segments[i].type == SCHEDULE_CALENDAR_INTERVAL::NightSegment;
            qCDebug(lcWtPlanning) << Q_FUNC_INFO << hhmm(secondsOfDay(segments[i].start))
                                  << hhmm(secondsOfDay(segments[i].finish)) << (isNight ? "night" : "day");
        }
    }

    // The break goes into the day segments in whole minutes, in proportion to their length.
    const int breakMinutes = breakTotal / 60;
    const int dayMinutes = dayTime / 60;
    int givenMinutes = 0;
    for (int i = 0; i < segmentCount; ++i) {
        const int segmentStart = secondsOfDay(segments[i].start);
        int segmentFinish = secondsOfDay(segments[i].finish);
        if (segments[i].type == SCHEDULE_CALENDAR_INTERVAL::NightSegment) {
            appendMerged(out, makeInterval(segmentStart, segmentFinish, SCHEDULE_CALENDAR_INTERVAL::NightSegment));
            continue;
        }
        if (segmentStart > segmentFinish)
            segmentFinish += secondsPerDay;
        const int segmentMinutes = (segmentFinish - segmentStart) / 60;
        // Less than a minute of daytime leaves nothing to share out.
        int share = dayMinutes > 0
            ? int(std::trunc(double(segmentMinutes) / double(dayMinutes) * double(breakMinutes)))
            : 0;
        const int rest = breakMinutes - (givenMinutes + share);
        if (rest <= 3)
            share += rest;
        givenMinutes += share;
        const int workMinutes = segmentMinutes - share;
        const int firstPiece = int(std::ceil(workMinutes / 2.0)) * 60;
        const int secondPiece = int(std::floor(workMinutes / 2.0)) * 60;
        appendMerged(out, makeInterval(segmentStart, segmentStart + firstPiece));
        appendMerged(out, makeInterval(segmentFinish - secondPiece, segmentFinish));
    }

    const bool debug = lcWtPlanning().isDebugEnabled();
    if (debug)
        qCDebug(lcWtPlanning) << Q_FUNC_INFO << "result intervals" << out.size();
    for (int i = 0; i < out.size(); ++i) {
        SCHEDULE_CALENDAR_INTERVAL& interval = out[i];
        interval.order = i;
        if (debug)
            qCDebug(lcWtPlanning) << Q_FUNC_INFO << " " << hhmm(interval.start) << hhmm(interval.finish);
    }
}

void WorkTimeUtils::shiftToIntervals(TYPE_ID shift, IntervalList& out)
{
    ++lookupCalls;
    out.clear();
    if (shift == 0)
        return; // a day off
    const orvanta::LocalStorage* store = orvanta::LocalStorage::instance();
    const orvanta::ObjectInfo shiftObject =
        store->constObject(shift, QLatin1String(orvanta::SCHEDULE_SHIFT_DATANAME));
    if (!shiftObject.isValid()) {
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "wrong shift" << shift;
        return;
    }
    const QList<orvanta::ObjectInfo> intervals = ScheduleUtil::sortedShiftIntervals(
        shiftObject, store->constObjects(QLatin1String(orvanta::SHIFT_INTERVAL_DATANAME)));
    for (const orvanta::ObjectInfo& object : intervals) {
        SCHEDULE_CALENDAR_INTERVAL interval;
        interval.start = object.property(QLatin1String(db::shift_interval::START)).toInt();
        interval.finish = object.property(QLatin1String(db::shift_interval::FINISH)).toInt();
        interval.order = object.property(QLatin1String(db::shift_interval::ORDER)).toInt();
        out.append(interval);
    }
}

int WorkTimeUtils::scheduleIdByDate(TYPE_ID employee, const QDate& date,
                                    const orvanta::WORKER_SCHEDULE_HISTORY_V2& history, QDate& baseDate)
{
    ++lookupCalls;
    const orvanta::LocalStorage* store = orvanta::LocalStorage::instance();
    const orvanta::SCHEDULE_HASH& schedules = store->schedules();

    // A personal schedule replaces the history for its whole month.
    const QList<int> personal = store->personalSchedules(employee);
    for (int id : personal) {
        const orvanta::SCHEDULE_DATA& schedule = schedules.constValue(id);
        if (schedule.worker == employee && schedule.kind == orvanta::SCHEDULE_DATA::KindPersonal
            && schedule.date.year() == date.year() && schedule.date.month() == date.month()) {
            baseDate = schedule.date;
            return id;
        }
    }

    int scheduleId = 0;
    QDate fallback;
    for (const orvanta::_WORKER_SCHEDULE_HISTORY_RECORD_V2& record : history.records) {
        if ((!record.from.isValid() || record.from <= date) && (!record.to.isValid() || record.to >= date)
            && record.state == 1) {
            scheduleId = int(record.schedule);
            fallback = record.from;
            break;
        }
    }
    const QDate scheduleDate = schedules.constValue(scheduleId).date;
    baseDate = scheduleDate.isValid() ? scheduleDate : fallback;
    return scheduleId;
}

void WorkTimeUtils::scheduleShiftToIntervals(qint32 schedule, const QDate& date, const QDate& baseDate,
                                             IntervalList& out)
{
    ++lookupCalls;
    out.clear();
    const orvanta::SCHEDULE_DATA& data = orvanta::LocalStorage::instance()->schedules().constValue(schedule);
    if (data.cycle.isEmpty()) {
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "wrong schedule" << schedule;
        return;
    }
    const qint64 length = data.cycle.size();
    const qint64 offset = baseDate.daysTo(date);
    // A remainder that stays non-negative for dates before the base date too.
    qint64 position = offset % length;
    if (position < 0)
        position += length;
    const int shiftIndex = data.cycle.at(int(position)).shift;
    if (shiftIndex < 0)
        return;
    if (shiftIndex >= data.shifts.size()) {
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "wrong schedule" << schedule << shiftIndex;
        return;
    }
    const QList<SCHEDULE_CALENDAR_INTERVAL>& intervals = data.shifts.at(shiftIndex).intervals;
    for (int i = 0; i < intervals.size(); ++i) {
        SCHEDULE_CALENDAR_INTERVAL interval;
        interval.start = intervals.at(i).start;
        interval.finish = intervals.at(i).finish;
        interval.order = i;
        out.append(interval);
    }
}

void WorkTimeUtils::scheduleDayIntervals(int schedule, const QDate& date, const QDate& baseDate,
                                         const CalendarDays& calendarDays, IntervalList& out)
{
    ++lookupCalls;
    const orvanta::SCHEDULE_DATA& data = orvanta::LocalStorage::instance()->schedules().constValue(schedule);
    if (!data.keepsCalendarDays()) {
        scheduleShiftToIntervals(schedule, date, baseDate, out);
        return;
    }
    const orvanta::SCHEDULE_CALENDAR_DAY day = calendarDayByDate(schedule, date, calendarDays);
    out = day.intervals;
    if (day.shift != 0)
        shiftToIntervals(day.shift, out);
}
