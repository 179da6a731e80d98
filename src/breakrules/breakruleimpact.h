#pragma once

#include "breakrulecache.h"
#include "breakrulefields.h"
#include "objectinfo.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QVector>

class WorkTimePlanningModel;

/// What replacing break rules would change in the month loaded in the planning grid: the days
/// whose break, worked out as a typed range gets it, differs, and the planned time they gain or lose.
class BreakRuleImpact
{
public:
    struct Figures
    {
        int employees = 0;
        int days = 0;
        /// Planned seconds after minus before: a longer break plans less.
        qint64 plannedTime = 0;
    };

    explicit BreakRuleImpact(const WorkTimePlanningModel* model);

    /// The rules before (stored ones) replaced by the rules after; an after rule without an id is new.
    Figures compute(const QList<orvanta::ObjectInfo>& before, const QList<orvanta::ObjectInfo>& after) const;
    /// "Изменится у 2 сотрудников, 6 дней, −3:00 ч".
    static QString describe(const Figures& figures);
    /// The preview of the edit dialog and the wizard: empty while the model holds no month.
    static BreakRuleFields::Preview preview(WorkTimePlanningModel* model);

private:
    /// A worked day of a row whose break one of the changed rules may decide.
    struct Candidate
    {
        orvanta::TYPE_ID uid = 0;
        /// Whose rules apply: the employee, or the attached-worker object of a trip that day.
        orvanta::TYPE_ID owner = 0;
        bool attached = false;
        QDate date;
        int start = 0;
        int span = 0;
        int breakBefore = 0;
    };

    /// Days alike in whose rules apply, shift length and how many rule dates they have reached
    /// get the same break: each such group is looked up once.
    struct LookupKey
    {
        orvanta::TYPE_ID owner = 0;
        bool attached = false;
        int span = 0;
        int datesReached = 0;

        bool operator==(const LookupKey& other) const
        {
            return owner == other.owner && attached == other.attached && span == other.span
                && datesReached == other.datesReached;
        }
        friend uint qHash(const LookupKey& key, uint seed = 0)
        {
            return qHash(key.owner, seed) ^ (uint(key.span) * 31u) ^ (uint(key.datesReached) << 18) ^ uint(key.attached);
        }
    };

    /// The break rules in force and the breaks looked up under them so far.
    struct Lookups
    {
        explicit Lookups(const QVector<BreakRuleCache::Rule>& rules);
        QVector<QDate> ruleDates;
        QHash<LookupKey, int> breaks;
    };

    QVector<Candidate> candidates(const QVector<BreakRuleCache::Rule>& changed, Lookups& lookups) const;
    Figures count(const QVector<Candidate>& days, Lookups& lookups) const;
    static int ruleBreak(const Candidate& day, Lookups& lookups);
    /// The longest break the day can take: its daytime part, as setDayInterval caps it.
    static int breakLimit(const Candidate& day);

    const WorkTimePlanningModel* m_model;
};
