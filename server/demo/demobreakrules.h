#pragma once

#include "orvantatypes.h"
#include "schedulecalendarinterval.h"

#include <QDate>
#include <QList>
#include <QString>

/// The demo organisation's break rules, the lunch they give a shift, and the shift cut around that
/// lunch the way the planner cuts a range typed into a day, so a seeded day and a typed one agree.
class DemoBreakRules
{
public:
    struct Rule
    {
        orvanta::TYPE_ID uid = 0;
        QString name;
        int type = 0;
        /// Shifts of from <= length < to seconds.
        int from = 0;
        int to = 0;
        int breakTime = 0;
        QDate date;
        QList<orvanta::TYPE_ID> targets;
    };
    using IntervalList = QList<orvanta::SCHEDULE_CALENDAR_INTERVAL>;

    void add(const Rule& rule) { m_rules.append(rule); }
    void addTarget(orvanta::TYPE_ID rule, orvanta::TYPE_ID target);
    const QList<Rule>& rules() const { return m_rules; }
    const Rule* rule(orvanta::TYPE_ID uid) const;
    /// The days on which some rule starts to apply, in order.
    QList<QDate> dates() const;

    /// The lunch of the shift start..finish (seconds of the day, a finish below the start is past
    /// midnight) for the subject of chain (the subject, then its departments up to the firm) on date.
    int breakTime(const QList<orvanta::TYPE_ID>& chain, const QDate& date, int start, int finish) const;
    /// start..finish with breakTime seconds of it taken out; orders follow the positions.
    static IntervalList cut(int start, int finish, int breakTime);

private:
    QList<Rule> m_rules;
};
