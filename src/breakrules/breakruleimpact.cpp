#include "breakruleimpact.h"

#include "worktimeplanningmodel.h"
#include "worktimeutils.h"
#include "wtplanninglogging.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QSet>

#include <algorithm>

using orvanta::ObjectInfo;
using orvanta::TYPE_ID;
using Rule = BreakRuleCache::Rule;

namespace {

constexpr int secondsPerDay = 86400;

QString tr(const char* text)
{
    return QCoreApplication::translate("BreakRuleImpact", text);
}

// Only a rule that matches the shift length and has started by the date can decide a day's break:
// a day none of the changed rules matches keeps the break it has.
bool mayDecide(const QVector<Rule>& rules, int span, const QDate& date)
{
    for (const Rule& rule : rules) {
        if (span >= rule.timeFrom && span < rule.timeTo && !(rule.date > date))
            return true;
    }
    return false;
}

// Russian counts: 1, 21 сотрудника; 2-4, 22 дня; 5-20, 11-14 сотрудников, дней.
QString counted(int count, const char* one, const char* few, const char* many)
{
    const int lastTwo = count % 100;
    const int last = count % 10;
    const char* word = many;
    if (last == 1 && lastTwo != 11)
        word = one;
    else if (last >= 2 && last <= 4 && (lastTwo < 12 || lastTwo > 14))
        word = few;
    return QStringLiteral("%1 %2").arg(count).arg(tr(word));
}

QString signedHours(qint64 seconds)
{
    const QString sign = seconds < 0 ? QString(QChar(0x2212)) : seconds > 0 ? QStringLiteral("+") : QString();
    const qint64 minutes = qAbs(seconds) / 60;
    return QStringLiteral("%1%2:%3").arg(sign).arg(minutes / 60).arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

BreakRuleImpact::BreakRuleImpact(const WorkTimePlanningModel* model) : m_model(model) {}

BreakRuleImpact::Figures BreakRuleImpact::compute(const QList<ObjectInfo>& before, const QList<ObjectInfo>& after) const
{
    BreakRuleCache* cache = BreakRuleCache::instance();
    const QVector<Rule> stored = cache->rules();
    // Both versions of every changed rule: a day either of them matches is worked out twice.
    QVector<Rule> changed;
    QVector<Rule> added;
    QSet<TYPE_ID> replaced;
    // A new rule gets the highest id when saved, which decides ties between equal rules.
    TYPE_ID nextUid = 1;
    for (const Rule& rule : stored)
        nextUid = qMax(nextUid, rule.uid + 1);
    const auto change = [&](const ObjectInfo& object, bool keep) {
        Rule rule = BreakRuleCache::parse(object);
        if (const Rule* old = rule.uid ? cache->rule(rule.uid) : nullptr)
            changed.append(*old);
        if (rule.uid)
            replaced.insert(rule.uid);
        else
            rule.uid = nextUid++;
        changed.append(rule);
        if (keep)
            added.append(rule);
    };
    for (const ObjectInfo& object : before)
        change(object, false);
    for (const ObjectInfo& object : after)
        change(object, true);

    QVector<Rule> proposed;
    proposed.reserve(stored.size() + added.size());
    for (const Rule& rule : stored) {
        if (!replaced.contains(rule.uid))
            proposed.append(rule);
    }
    proposed += added;

    Lookups storedLookups(stored);
    const QVector<Candidate> days = candidates(changed, storedLookups);
    const BreakRuleCache::Override proposedRules(proposed);
    Lookups proposedLookups(proposed);
    return count(days, proposedLookups);
}

BreakRuleImpact::Figures BreakRuleImpact::count(const QVector<Candidate>& days, Lookups& lookups) const
{
    Figures figures;
    QSet<TYPE_ID> employees;
    // Rows repeat their shifts: the night part is worked out once per row and shift.
    QHash<QPair<int, int>, int> limits;
    TYPE_ID limitsRow = 0;
    for (const Candidate& day : days) {
        const int breakAfter = ruleBreak(day, lookups);
        if (breakAfter == day.breakBefore)
            continue;
        if (day.uid != limitsRow) {
            limits.clear();
            limitsRow = day.uid;
        }
        auto limit = limits.find({day.start, day.span});
        if (limit == limits.end())
            limit = limits.insert({day.start, day.span}, breakLimit(day));
        const int difference = qMin(breakAfter, *limit) - qMin(day.breakBefore, *limit);
        if (difference == 0)
            continue;
        employees.insert(day.uid);
        ++figures.days;
        figures.plannedTime -= difference;
    }
    figures.employees = employees.size();
    return figures;
}

BreakRuleImpact::Lookups::Lookups(const QVector<Rule>& rules)
{
    ruleDates.reserve(rules.size());
    for (const Rule& rule : rules)
        ruleDates.append(rule.date);
    std::sort(ruleDates.begin(), ruleDates.end());
}

QVector<BreakRuleImpact::Candidate> BreakRuleImpact::candidates(const QVector<Rule>& changed, Lookups& lookups) const
{
    QVector<Candidate> result;
    if (!m_model || changed.isEmpty())
        return result;
    const QDate first = m_model->dateStart();
    QSet<unsigned int> seen;
    for (unsigned int uid : m_model->objList()) {
        if (seen.contains(uid))
            continue;
        seen.insert(uid);
        const WorkTimeData row = m_model->workTimeData(uid);
        const QList<WorkTimeData::Day>& days = row.days();
        for (int index = 0; index < days.size(); ++index) {
            const WorkTimeData::Day& day = days.at(index);
            if (day.intervals.isEmpty())
                continue;
            Candidate candidate{uid, uid, false, first.addDays(index), day.start(), day.finish() - day.start(), 0};
            if (candidate.span < 0)
                candidate.span += secondsPerDay;
            if (candidate.span == 0 || !mayDecide(changed, candidate.span, candidate.date))
                continue;
            if (row.isAttached()) {
                const QList<ObjectInfo> trips = row.attachedWorkers(candidate.date, candidate.date);
                if (!trips.isEmpty()) {
                    candidate.owner = trips.first().uid;
                    candidate.attached = true;
                }
            }
            candidate.breakBefore = ruleBreak(candidate, lookups);
            result.append(candidate);
        }
    }
    return result;
}

int BreakRuleImpact::ruleBreak(const Candidate& day, Lookups& lookups)
{
    // Only the rule dates a day has reached tell its lookup from another day's.
    const int reached = int(std::upper_bound(lookups.ruleDates.cbegin(), lookups.ruleDates.cend(), day.date)
                            - lookups.ruleDates.cbegin());
    const LookupKey key{day.owner, day.attached, day.span, reached};
    const auto known = lookups.breaks.constFind(key);
    if (known != lookups.breaks.constEnd())
        return known.value();
    // Not getBreakTime: a day no rule covers is normal here and not worth a warning each.
    const TYPE_ID uid = WorkTimeUtils::getEffectiveBreakRule(day.owner, day.attached, day.date, day.span);
    const Rule* rule = uid ? BreakRuleCache::instance()->rule(uid) : nullptr;
    const int breakTime = rule ? rule->breakTime : 0;
    lookups.breaks.insert(key, breakTime);
    return breakTime;
}

int BreakRuleImpact::breakLimit(const Candidate& day)
{
    const QDateTime start = day.date.startOfDay().addSecs(day.start);
    return day.span - WorkTimeUtils::nightTime(day.uid, start, start.addSecs(day.span));
}

QString BreakRuleImpact::describe(const Figures& figures)
{
    if (figures.days == 0)
        return tr("Загруженный месяц не изменится");
    return tr("Изменится у %1, %2, %3 ч")
        .arg(counted(figures.employees, "сотрудника", "сотрудников", "сотрудников"),
             counted(figures.days, "день", "дня", "дней"), signedHours(figures.plannedTime));
}

BreakRuleFields::Preview BreakRuleImpact::preview(WorkTimePlanningModel* model)
{
    const QPointer<WorkTimePlanningModel> grid(model);
    return [grid](const QList<ObjectInfo>& before, const QList<ObjectInfo>& after) {
        if (!grid || !grid->hasData())
            return QString();
        QElapsedTimer timer;
        timer.start();
        const Figures figures = BreakRuleImpact(grid).compute(before, after);
        qCDebug(lcWtPlanning) << Q_FUNC_INFO << "rows" << grid->rowCount() << "days" << figures.days << "ms"
                              << timer.elapsed();
        return describe(figures);
    };
}
