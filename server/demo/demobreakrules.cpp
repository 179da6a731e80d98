#include "demobreakrules.h"

#include <algorithm>
#include <cmath>
#include <tuple>

using namespace orvanta;

namespace {

constexpr int SecondsPerDay = 86400;
// The planner's night window: worked through, the lunch goes into the daytime around it.
constexpr int NightStart = 22 * 3600;
constexpr int NightFinish = 6 * 3600;

struct Segment
{
    int start;
    int finish;
    bool night;
};

int unwrapped(int start, int finish)
{
    return finish < start ? finish + SecondsPerDay : finish;
}

// start..finish (finish unwrapped) split where the night window begins or ends.
QList<Segment> segments(int start, int finish)
{
    QList<Segment> result;
    for (int at = start; at < finish;) {
        const int midnight = at - at % SecondsPerDay;
        const int ofDay = at - midnight;
        const int change = ofDay < NightFinish ? NightFinish
            : ofDay < NightStart               ? NightStart
                                               : SecondsPerDay + NightFinish;
        const int next = qMin(midnight + change, finish);
        result.append({at, next, ofDay < NightFinish || ofDay >= NightStart});
        at = next;
    }
    return result;
}

void appendMerged(DemoBreakRules::IntervalList& out, int start, int finish)
{
    if (!out.isEmpty() && out.last().finish == start) {
        out.last().finish = finish;
        return;
    }
    SCHEDULE_CALENDAR_INTERVAL interval;
    interval.start = start;
    interval.finish = finish;
    out.append(interval);
}

} // namespace

void DemoBreakRules::addTarget(TYPE_ID rule, TYPE_ID target)
{
    for (Rule& planned : m_rules) {
        if (planned.uid == rule)
            planned.targets.append(target);
    }
}

const DemoBreakRules::Rule* DemoBreakRules::rule(TYPE_ID uid) const
{
    for (const Rule& planned : m_rules) {
        if (planned.uid == uid)
            return &planned;
    }
    return nullptr;
}

QList<QDate> DemoBreakRules::dates() const
{
    QList<QDate> result;
    for (const Rule& planned : m_rules) {
        if (!result.contains(planned.date))
            result.append(planned.date);
    }
    std::sort(result.begin(), result.end());
    return result;
}

int DemoBreakRules::breakTime(const QList<TYPE_ID>& chain, const QDate& date, int start, int finish) const
{
    finish = unwrapped(start, finish);
    const int span = finish - start;
    const Rule* best = nullptr;
    int bestLevel = 0;
    for (const Rule& rule : m_rules) {
        if (span < rule.from || span >= rule.to || rule.date > date)
            continue;
        int level = -1;
        for (TYPE_ID target : rule.targets) {
            const int position = chain.indexOf(target);
            if (position >= 0 && (level < 0 || position < level))
                level = position;
        }
        // The planner's choice: the rule nearest the subject, then the newer one, then the one made last.
        if (level >= 0
            && (!best
                || std::make_tuple(-level, rule.date, rule.uid) > std::make_tuple(-bestLevel, best->date, best->uid))) {
            best = &rule;
            bestLevel = level;
        }
    }
    int night = 0;
    for (const Segment& segment : segments(start, finish))
        night += segment.night ? segment.finish - segment.start : 0;
    return best ? qMin(best->breakTime, span - night) : 0;
}

// The lunch is shared out over the daytime parts by their length in whole minutes, and each share
// sits in the middle of its part; a remainder of up to three minutes stays with the part at hand.
DemoBreakRules::IntervalList DemoBreakRules::cut(int start, int finish, int breakTime)
{
    finish = unwrapped(start, finish);
    const QList<Segment> parts = segments(start, finish);
    int dayTime = 0;
    for (const Segment& part : parts)
        dayTime += part.night ? 0 : part.finish - part.start;
    const int dayMinutes = dayTime / 60;
    const int breakMinutes = breakTime / 60;
    int given = 0;
    IntervalList result;
    for (const Segment& part : parts) {
        if (breakTime <= 0 || part.night) {
            appendMerged(result, part.start, part.finish);
            continue;
        }
        const int partMinutes = (part.finish - part.start) / 60;
        int share = dayMinutes > 0
            ? int(std::trunc(double(partMinutes) / double(dayMinutes) * double(breakMinutes)))
            : 0;
        if (breakMinutes - (given + share) <= 3)
            share = breakMinutes - given;
        given += share;
        const int work = partMinutes - share;
        appendMerged(result, part.start, part.start + int(std::ceil(work / 2.0)) * 60);
        appendMerged(result, part.finish - int(std::floor(work / 2.0)) * 60, part.finish);
    }
    for (int i = 0; i < result.size(); ++i) {
        result[i].start %= SecondsPerDay;
        result[i].finish %= SecondsPerDay;
        result[i].order = i;
    }
    return result;
}
