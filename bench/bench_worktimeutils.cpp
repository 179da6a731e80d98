// Cost per call of the break-rule lookup and of the interval splitting, printed as the
// median of several runs. Not a test: the figures depend on the machine.

#include "localstorage.h"
#include "organisationbuilder.h"
#include "vocabulary.h"
#include "worktimeutils.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTextStream>

#include <algorithm>
#include <functional>
#include <vector>

namespace {

constexpr int runs = 7;

double medianMicroseconds(int iterations, const std::function<void()>& call)
{
    std::vector<double> perCall;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < iterations; ++i)
            call();
        perCall.push_back(double(timer.nsecsElapsed()) / 1000.0 / iterations);
    }
    std::sort(perCall.begin(), perCall.end());
    return perCall.at(perCall.size() / 2);
}

// What every call would cost without the cache: parse all rules from the store.
orvanta::TYPE_ID plainScan(const QList<orvanta::TYPE_ID>& chain, const QDate& date, int shiftTime)
{
    const orvanta::OBJECT_HASH* rules =
        orvanta::LocalStorage::instance()->constObjects(QLatin1String(orvanta::BREAK_RULE_DATANAME));
    orvanta::TYPE_ID best = 0;
    int bestLevel = -1;
    QDate bestDate;
    for (const orvanta::ObjectInfo& rule : *rules) {
        const int from = rule.property(QLatin1String(db::break_rule::TIME_FROM)).toInt();
        const int to = rule.property(QLatin1String(db::break_rule::TIME_TO)).toInt();
        const QDate ruleDate = QDate::fromString(rule.property(QLatin1String(db::break_rule::DATE)), Qt::ISODate);
        if (shiftTime < from || shiftTime >= to || ruleDate > date)
            continue;
        int level = -1;
        const QList<orvanta::_INHERIT_DATA> targets = rule.children.values(orvanta::INHERIT_BREAK_RULE_OBJECT);
        for (const orvanta::_INHERIT_DATA& target : targets) {
            const int position = chain.indexOf(target.child);
            if (position >= 0 && (level < 0 || position < level))
                level = position;
        }
        if (level >= 0 && (bestLevel < 0 || level < bestLevel || (level == bestLevel && ruleDate > bestDate))) {
            best = rule.uid;
            bestLevel = level;
            bestDate = ruleDate;
        }
    }
    return best;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);

    // Six levels: employee, four departments, the firm; plus sibling departments whose
    // rules never apply, so most of the scan is spent on rules that are dropped.
    ovtest::OrganisationBuilder org;
    QList<orvanta::TYPE_ID> chain{org.firm(QStringLiteral("Фирма"))};
    for (int level = 0; level < 4; ++level)
        chain.prepend(org.department(QStringLiteral("Отдел %1").arg(level), chain.first()));
    QList<orvanta::TYPE_ID> siblings;
    for (int i = 0; i < 20; ++i)
        siblings.append(org.department(QStringLiteral("Соседний отдел %1").arg(i), chain.at(i % 4)));
    const orvanta::TYPE_ID employee = org.employee(QStringLiteral("Иванов"), chain.first());
    chain.prepend(employee);

    QRandomGenerator random(20240301);
    const QDate firstDate(2020, 1, 1);
    for (int i = 0; i < 1000; ++i) {
        const int from = random.bounded(0, 12) * 3600;
        const QList<orvanta::TYPE_ID> targets{random.bounded(4) == 0 ? chain.at(random.bounded(chain.size()))
                                                                     : siblings.at(random.bounded(siblings.size()))};
        org.breakRule(QStringLiteral("Правило %1").arg(i), from, from + random.bounded(1, 12) * 3600,
                      random.bounded(1, 5) * 900, firstDate.addDays(random.bounded(1500)), targets);
    }

    const QDate date(2023, 6, 15);
    const int shiftTime = 9 * 3600;
    volatile orvanta::TYPE_ID sink = 0;

    WorkTimeUtils::getEffectiveBreakRule(employee, false, date, shiftTime);
    const double cached = medianMicroseconds(2000, [&] {
        sink = WorkTimeUtils::getEffectiveBreakRule(employee, false, date, shiftTime);
    });
    const double plain = medianMicroseconds(100, [&] { sink = plainScan(chain, date, shiftTime); });
    out << QStringLiteral("getEffectiveBreakRule: 1000 rules, 6 levels: %1 us/call (uncached scan %2 us/call)\n")
               .arg(cached, 0, 'f', 1)
               .arg(plain, 0, 'f', 1);

    WorkTimeUtils::IntervalList intervals;
    const QDate day(2023, 6, 15);
    const QDateTime dayStart(day, QTime(8, 0)), dayFinish(day, QTime(17, 0));
    const double dayShift = medianMicroseconds(200000, [&] {
        WorkTimeUtils::splitTimeToIntervals(employee, dayStart, dayFinish, 8 * 3600, intervals);
    });
    const QDateTime nightStart(day, QTime(20, 0)), nightFinish(day.addDays(1), QTime(8, 0));
    const double overnightShift = medianMicroseconds(200000, [&] {
        WorkTimeUtils::splitTimeToIntervals(employee, nightStart, nightFinish, 10 * 3600, intervals);
    });
    out << QStringLiteral("splitTimeToIntervals: day 08:00-17:00: %1 us/call\n").arg(dayShift, 0, 'f', 2);
    out << QStringLiteral("splitTimeToIntervals: overnight 20:00-08:00: %1 us/call\n").arg(overnightShift, 0, 'f', 2);
    return 0;
}
