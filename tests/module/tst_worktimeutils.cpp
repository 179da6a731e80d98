#include "authdata.h"
#include "fatalwarnings.h"
#include "localstorage.h"
#include "organisationbuilder.h"
#include "vocabulary.h"
#include "worktimeutils.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>

using namespace orvanta;
using ovtest::OrganisationBuilder;
using Ids = QHash<QString, TYPE_ID>;

namespace {

enum StoreChange { NoChange, RulesRedated, HalfRemoved, SilentReset };

const QDate ruleDate(2024, 3, 15);

QDateTime at(const char* text)
{
    return QDateTime::fromString(QLatin1String(text), QStringLiteral("yyyy-MM-dd HH:mm"));
}

int seconds(const QString& hhmm)
{
    return WorkTimeUtils::timeToSeconds(QTime::fromString(hhmm, QStringLiteral("hh:mm")));
}

// "08:00-12:00 13:00-17:00"; a trailing "+" marks a finish stored past midnight.
WorkTimeUtils::IntervalList intervals(const QString& text)
{
    WorkTimeUtils::IntervalList result;
    for (const QString& piece : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        SCHEDULE_CALENDAR_INTERVAL interval;
        interval.start = seconds(piece.left(5));
        interval.finish = seconds(piece.mid(6, 5)) + (piece.endsWith(QLatin1Char('+')) ? 86400 : 0);
        interval.order = result.size();
        result.append(interval);
    }
    return result;
}

// The inverse of intervals(); an order that is not the position shows as "#n".
QString text(const WorkTimeUtils::IntervalList& list)
{
    QStringList pieces;
    for (int i = 0; i < list.size(); ++i) {
        const SCHEDULE_CALENDAR_INTERVAL& interval = list.at(i);
        pieces.append(WorkTimeUtils::secondsToTime(interval.start).toString(QStringLiteral("hh:mm")) + QLatin1Char('-')
                      + WorkTimeUtils::secondsToTime(interval.finish).toString(QStringLiteral("hh:mm"))
                      + (interval.finish >= 86400 ? QStringLiteral("+") : QString())
                      + (interval.order != i ? QStringLiteral("#%1").arg(interval.order) : QString()));
    }
    return pieces.join(QLatin1Char(' '));
}

void expectWarning(const QString& phrase)
{
    if (!phrase.isEmpty())
        ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QRegularExpression::escape(phrase)));
}

// firm > region > shop > employee; host and other departments under the firm; the employee's trip to host.
Ids buildOrganisation(OrganisationBuilder& org)
{
    Ids ids;
    ids[QStringLiteral("firm")] = org.firm(QStringLiteral("Фирма"));
    const auto department = [&](const char* name, const char* parent) {
        ids[QLatin1String(name)] = org.department(QLatin1String(name), ids.value(QLatin1String(parent)));
    };
    department("region", "firm");
    department("shop", "region");
    department("host", "firm");
    department("other", "firm");
    ids[QStringLiteral("employee")] = org.employee(QStringLiteral("Иванов"), ids.value(QStringLiteral("shop")));
    ids[QStringLiteral("trip")] = org.attachedWorker(ids.value(QStringLiteral("employee")),
                                                     ids.value(QStringLiteral("host")), QDate(2024, 3, 1),
                                                     QDate(2024, 3, 31));
    return ids;
}

// Each spec is "name targets date [fromHours-toHours]": targets comma-separated, "-" for no date,
// 4-12 h when no range is given; every rule gives a 30-minute break.
Ids addRules(OrganisationBuilder& org, const Ids& subjects, const QStringList& specs)
{
    Ids rules;
    for (const QString& spec : specs) {
        const QStringList fields = spec.split(QLatin1Char(' '));
        QList<TYPE_ID> targets;
        for (const QString& target : fields.at(1).split(QLatin1Char(',')))
            targets.append(subjects.value(target));
        const QStringList hours = fields.value(3, QStringLiteral("4-12")).split(QLatin1Char('-'));
        rules[fields.at(0)] = org.breakRule(fields.at(0), hours.at(0).toInt() * 3600, hours.at(1).toInt() * 3600,
                                            1800, QDate::fromString(fields.at(2), Qt::ISODate), targets);
    }
    return rules;
}

// What a plain scan of the store gives, with the product's tie order (the rule created last).
TYPE_ID referenceRule(TYPE_ID uid, const QDate& date, int shiftTime)
{
    QList<TYPE_ID> chain;
    for (TYPE_ID next = uid; next != 0; next = LocalStorage::instance()->constObject(next).parent)
        chain.append(next);
    const OBJECT_HASH* rules = LocalStorage::instance()->constObjects(QLatin1String(BREAK_RULE_DATANAME));
    TYPE_ID best = 0;
    int bestLevel = -1;
    QDate bestDate;
    for (const ObjectInfo& rule : rules ? *rules : OBJECT_HASH()) {
        const QDate validFrom = QDate::fromString(rule.property(QLatin1String(db::break_rule::DATE)), Qt::ISODate);
        if (shiftTime < rule.property(QLatin1String(db::break_rule::TIME_FROM)).toInt()
            || shiftTime >= rule.property(QLatin1String(db::break_rule::TIME_TO)).toInt() || validFrom > date)
            continue;
        int level = -1;
        for (const _INHERIT_DATA& target : rule.children.values(INHERIT_BREAK_RULE_OBJECT)) {
            const int position = chain.indexOf(target.child);
            if (position >= 0 && (level < 0 || position < level))
                level = position;
        }
        const bool better = bestLevel < 0 || level < bestLevel
            || (level == bestLevel && (validFrom > bestDate || (validFrom == bestDate && rule.uid > best)));
        if (level >= 0 && better) {
            best = rule.uid;
            bestLevel = level;
            bestDate = validFrom;
        }
    }
    return best;
}

} // namespace

Q_DECLARE_METATYPE(orvanta::_ROLE_DATE_RESTRICTIONS)
Q_DECLARE_METATYPE(StoreChange)

class tst_WorkTimeUtils : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { AuthData::clear(); }

    void nightTime_data()
    {
        QTest::addColumn<QDateTime>("from");
        QTest::addColumn<QDateTime>("to");
        QTest::addColumn<int>("night");
        QTest::addRow("20:00 to 08:00") << at("2024-03-10 20:00") << at("2024-03-11 08:00") << 28800;
        QTest::addRow("23:00 to 01:00") << at("2024-03-10 23:00") << at("2024-03-11 01:00") << 7200;
        QTest::addRow("07:00 to 21:00") << at("2024-03-10 07:00") << at("2024-03-10 21:00") << 0;
        QTest::addRow("06:00 to 22:00") << at("2024-03-10 06:00") << at("2024-03-10 22:00") << 0;
        QTest::addRow("morning tail 03:00 to 07:00") << at("2024-03-10 03:00") << at("2024-03-10 07:00") << 10800;
        QTest::addRow("ends at midnight") << at("2024-03-10 21:00") << at("2024-03-11 00:00") << 7200;
        QTest::addRow("48 hours from 20:00") << at("2024-03-10 20:00") << at("2024-03-12 20:00") << 57600;
        QTest::addRow("reversed span") << at("2024-03-10 08:00") << at("2024-03-10 07:00") << 0;
    }

    void nightTime()
    {
        QFETCH(QDateTime, from);
        QFETCH(QDateTime, to);
        QFETCH(int, night);
        QCOMPARE(WorkTimeUtils::nightTime(1, from, to), night);
    }

    void intervalSums_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<int>("time");
        QTest::addColumn<int>("gaps");
        QTest::addRow("empty") << QString() << 0 << 0;
        QTest::addRow("day with lunch") << "08:00-12:00 13:00-17:00" << 28800 << 3600;
        QTest::addRow("night interval") << "22:00-06:00" << 28800 << 0;
        QTest::addRow("zero length") << "01:00-01:00" << 0 << 0;
        QTest::addRow("gap across midnight") << "20:00-23:00 01:00-05:00" << 25200 << 7200;
    }

    void intervalSums()
    {
        QFETCH(QString, list);
        QFETCH(int, time);
        QFETCH(int, gaps);
        QCOMPARE(WorkTimeUtils::intervalTime(intervals(list)), time);
        QCOMPARE(WorkTimeUtils::intervalBreak(intervals(list)), gaps);
    }

    void isFullDayAbsenceReason_data()
    {
        QTest::addColumn<QDateTime>("end");
        QTest::addColumn<bool>("timed");
        QTest::addColumn<QDate>("date");
        QTest::addColumn<bool>("fullDay");
        const QDateTime twoNights = at("2024-03-12 10:00"), oneNight = at("2024-03-11 10:00");
        QTest::addRow("timed, first day") << twoNights << true << QDate(2024, 3, 10) << false;
        QTest::addRow("timed, middle day") << twoNights << true << QDate(2024, 3, 11) << true;
        QTest::addRow("timed, last day") << twoNights << true << QDate(2024, 3, 12) << false;
        QTest::addRow("timed over one night, first") << oneNight << true << QDate(2024, 3, 10) << false;
        QTest::addRow("timed over one night, last") << oneNight << true << QDate(2024, 3, 11) << false;
        QTest::addRow("untimed, first day") << twoNights << false << QDate(2024, 3, 10) << true;
        QTest::addRow("untimed, last day") << twoNights << false << QDate(2024, 3, 12) << true;
        QTest::addRow("untimed, day before") << twoNights << false << QDate(2024, 3, 9) << false;
        QTest::addRow("untimed, day after") << twoNights << false << QDate(2024, 3, 13) << false;
    }

    void isFullDayAbsenceReason()
    {
        QFETCH(QDateTime, end);
        QFETCH(bool, timed);
        QFETCH(QDate, date);
        QFETCH(bool, fullDay);
        _WORKER_ABSENCE_REASON_RECORD record;
        record.start = at("2024-03-10 14:00");
        record.end = end;
        record.timed = timed;
        QCOMPARE(WorkTimeUtils::isFullDayAbsenceReason(date, record), fullDay);
    }

    void absenceReasonType_data()
    {
        QTest::addColumn<QString>("normTime");
        QTest::addColumn<QString>("workTime");
        QTest::addColumn<int>("type");
        QTest::addRow("plain absence") << "0" << "0" << 1;
        QTest::addRow("counts as work") << "0" << "1" << 2;
        QTest::addRow("norm wins over work") << "1" << "1" << 4;
        QTest::addRow("false as text") << "false" << "true" << 2;
    }

    void absenceReasonType()
    {
        QFETCH(QString, normTime);
        QFETCH(QString, workTime);
        QFETCH(int, type);
        OrganisationBuilder org;
        ObjectInfo reason;
        reason.uid = 7;
        reason.properties.insert(QLatin1String(db::reason::NORMTIME), normTime);
        reason.properties.insert(QLatin1String(db::reason::WORKTIME), workTime);
        QCOMPARE(WorkTimeUtils::absenceReasonType(reason.uid), 1);
        org.store()->updateObjects(QLatin1String(REASON_DATANAME), {reason});
        QCOMPARE(WorkTimeUtils::absenceReasonType(reason.uid), type);
    }

    void editableDates_data()
    {
        QTest::addColumn<_ROLE_DATE_RESTRICTIONS>("restrictions");
        QTest::addColumn<QDate>("first");
        QTest::addColumn<QDate>("last");
        _ROLE_DATE_RESTRICTIONS fixed;
        fixed.mode = _ROLE_DATE_RESTRICTIONS::FixedDates;
        fixed.from = QDate(2024, 3, 1);
        fixed.to = QDate(2024, 4, 30);
        QTest::addRow("no restriction") << _ROLE_DATE_RESTRICTIONS() << QDate(1900, 1, 1) << QDate(2999, 12, 31);
        QTest::addRow("fixed dates") << fixed << fixed.from << fixed.to;
    }

    void editableDates()
    {
        QFETCH(_ROLE_DATE_RESTRICTIONS, restrictions);
        QFETCH(QDate, first);
        QFETCH(QDate, last);
        AuthData::setWorkTimePlanningRestrictions(restrictions);
        QCOMPARE(WorkTimeUtils::startEditableDate(), first);
        QCOMPARE(WorkTimeUtils::finishEditableDate(), last);
    }

    void effectiveBreakRule_data()
    {
        QTest::addColumn<QStringList>("rules");
        QTest::addColumn<QString>("subject");
        QTest::addColumn<QString>("expected");
        const QString employee = QStringLiteral("employee"), trip = QStringLiteral("trip");
        QTest::addRow("employee level beats a newer department rule")
            << QStringList{"shop shop 2024-02-01", "own employee 2023-01-01"} << employee << "own";
        QTest::addRow("same level: later date wins")
            << QStringList{"new shop 2024-02-01", "old shop 2023-01-01"} << employee << "new";
        QTest::addRow("same level and date: last created wins")
            << QStringList{"first shop 2023-01-01", "second shop 2023-01-01"} << employee << "second";
        QTest::addRow("dated after the date excluded")
            << QStringList{"old shop 2023-01-01", "future shop 2024-03-16"} << employee << "old";
        QTest::addRow("dated on the date applies")
            << QStringList{"old shop 2023-01-01", "today shop 2024-03-15"} << employee << "today";
        QTest::addRow("undated counts as the oldest")
            << QStringList{"undated shop -", "old shop 2023-01-01"} << employee << "old";
        QTest::addRow("shift length at the upper bound excluded")
            << QStringList{"short shop 2023-01-01 0-9"} << employee << QString();
        QTest::addRow("shift length at the lower bound included")
            << QStringList{"long shop 2023-01-01 9-24"} << employee << "long";
        QTest::addRow("nearest department up the chain")
            << QStringList{"firm firm 2024-02-01", "region region 2023-01-01"} << employee << "region";
        QTest::addRow("several targets: the nearest counts")
            << QStringList{"wide firm,employee 2023-01-01", "shop shop 2024-02-01"} << employee << "wide";
        QTest::addRow("unrelated department ignored") << QStringList{"other other 2023-01-01"} << employee << QString();
        QTest::addRow("trip: host department rule") << QStringList{"host host 2023-01-01"} << trip << "host";
        QTest::addRow("trip: home department ignored") << QStringList{"shop shop 2023-01-01"} << trip << QString();
        QTest::addRow("trip: the trip object itself is not in the chain")
            << QStringList{"own employee 2023-01-01", "trip trip 2024-02-01"} << trip << "own";
        QTest::addRow("trip: the employee beats the host")
            << QStringList{"host host 2024-02-01", "own employee 2023-01-01"} << trip << "own";
        QTest::addRow("not on a trip: trip rule ignored")
            << QStringList{"trip trip 2023-01-01"} << employee << QString();
    }

    void effectiveBreakRule()
    {
        QFETCH(QStringList, rules);
        QFETCH(QString, subject);
        QFETCH(QString, expected);
        OrganisationBuilder org;
        const Ids ids = buildOrganisation(org);
        const Ids ruleIds = addRules(org, ids, rules);
        const bool attached = subject == QLatin1String("trip");
        QCOMPARE(WorkTimeUtils::getEffectiveBreakRule(ids.value(subject), attached, ruleDate, 9 * 3600),
                 ruleIds.value(expected));
        if (expected.isEmpty())
            expectWarning(QStringLiteral("break rule not exists"));
        QCOMPARE(WorkTimeUtils::getBreakTime(ids.value(subject), attached, ruleDate, 9 * 3600),
                 expected.isEmpty() ? 0 : 1800);
    }

    void breakRuleFailures_data()
    {
        QTest::addColumn<QString>("subject");
        QTest::addColumn<bool>("attached");
        QTest::addColumn<QString>("warning");
        QTest::addRow("looping department chain") << "looped" << false << "cycle detected";
        QTest::addRow("unknown subject") << "unknown" << false << "subject not valid";
        QTest::addRow("department missing from the store") << "orphan" << false << "subject not valid";
        QTest::addRow("employee passed as a trip") << "looped" << true << "attached not valid";
    }

    void breakRuleFailures()
    {
        QFETCH(QString, subject);
        QFETCH(bool, attached);
        QFETCH(QString, warning);
        OrganisationBuilder org;
        const TYPE_ID upper = org.department(QStringLiteral("Верхний"), 0);
        const TYPE_ID lower = org.department(QStringLiteral("Нижний"), upper);
        org.setParent(upper, lower);
        const Ids ids{{QStringLiteral("looped"), org.employee(QStringLiteral("Петров"), lower)},
                      {QStringLiteral("orphan"), org.employee(QStringLiteral("Сидоров"), 4242)},
                      {QStringLiteral("unknown"), 4343}};
        org.breakRule(QStringLiteral("everyone"), 0, 86400, 3600, QDate(2020, 1, 1),
                      {upper, lower, ids.value(QStringLiteral("looped")), ids.value(QStringLiteral("orphan"))});
        expectWarning(warning);
        QCOMPARE(WorkTimeUtils::getEffectiveBreakRule(ids.value(subject), attached, ruleDate, 9 * 3600), 0u);
    }

    void cachedRulesMatchPlainScan_data()
    {
        QTest::addColumn<StoreChange>("change");
        QTest::addRow("as loaded") << NoChange;
        QTest::addRow("rules moved to other dates and lengths") << RulesRedated;
        QTest::addRow("half of the rules removed") << HalfRemoved;
        QTest::addRow("store reset without rules") << SilentReset;
    }

    void cachedRulesMatchPlainScan()
    {
        QFETCH(StoreChange, change);
        OrganisationBuilder org;
        QList<TYPE_ID> chain{org.firm(QStringLiteral("Фирма"))};
        for (int level = 0; level < 4; ++level)
            chain.prepend(org.department(QStringLiteral("Отдел %1").arg(level), chain.first()));
        const TYPE_ID sibling = org.department(QStringLiteral("Соседний"), chain.at(1));
        chain.prepend(org.employee(QStringLiteral("Иванов"), chain.first()));
        QRandomGenerator random(42);
        QList<TYPE_ID> rules;
        for (int i = 0; i < 120; ++i) {
            const int from = random.bounded(0, 10) * 3600;
            const TYPE_ID target = random.bounded(5) == 0 ? sibling : chain.at(random.bounded(chain.size()));
            // Few distinct dates, so that ties on level and date occur.
            rules.append(org.breakRule(QStringLiteral("Правило %1").arg(i), from, from + random.bounded(1, 8) * 3600,
                                       900, QDate(2023, 1, 1).addMonths(random.bounded(18)), {target}));
        }
        const auto mismatch = [&chain]() -> QString {
            for (QDate date(2022, 12, 1); date < QDate(2024, 8, 1); date = date.addDays(45)) {
                for (int shiftTime = 0; shiftTime < 16 * 3600; shiftTime += 1800) {
                    const TYPE_ID expected = referenceRule(chain.first(), date, shiftTime);
                    const TYPE_ID found = WorkTimeUtils::getEffectiveBreakRule(chain.first(), false, date, shiftTime);
                    if (found != expected)
                        return QStringLiteral("%1 %2 s: %3, not %4")
                            .arg(date.toString(Qt::ISODate))
                            .arg(shiftTime)
                            .arg(found)
                            .arg(expected);
                }
            }
            return QString();
        };
        QCOMPARE(mismatch(), QString());

        LocalStorage* store = org.store();
        const QString breakRules = QLatin1String(BREAK_RULE_DATANAME);
        if (change == RulesRedated) {
            QList<ObjectInfo> changed;
            for (int i = 0; i < rules.size(); i += 3) {
                ObjectInfo rule = store->constObject(rules.at(i), breakRules);
                rule.properties[QLatin1String(db::break_rule::DATE)] = QStringLiteral("2024-05-01");
                rule.properties[QLatin1String(db::break_rule::TIME_TO)] = QString::number(14 * 3600);
                changed.append(rule);
            }
            store->updateObjects(breakRules, changed);
        } else if (change == HalfRemoved) {
            store->removeObjects(breakRules, rules.mid(0, rules.size() / 2));
        } else if (change == SilentReset) {
            // The organisation comes back after the reset, the rules do not.
            const OBJECT_HASH subjects = *store->constObjects(QLatin1String(SUBJECT_DATANAME));
            const OBJECT_HASH departments = *store->constObjects(QLatin1String(ORGSTRUCTURE_DATANAME));
            store->reset();
            store->updateObjects(QLatin1String(SUBJECT_DATANAME), subjects.values());
            store->updateObjects(QLatin1String(ORGSTRUCTURE_DATANAME), departments.values());
        }
        QCOMPARE(mismatch(), QString());
    }

    void splitTimeToIntervals_data()
    {
        QTest::addColumn<QString>("span");
        QTest::addColumn<int>("workMinutes");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("warning");
        QTest::addRow("day, 8 h") << "08:00-17:00" << 480 << "08:00-12:00 13:00-17:00" << QString();
        QTest::addRow("overnight, 10 h") << "20:00-08:00" << 600 << "20:00-20:30 21:30-06:30 07:30-08:00" << QString();
        QTest::addRow("odd work minute goes first") << "08:00-17:00" << 481 << "08:00-12:01 13:00-17:00" << QString();
        QTest::addRow("break shared by length, remainder absorbed")
            << "18:00-07:00" << 743 << "18:00-19:46 20:15-06:26 06:34-07:00" << QString();
        QTest::addRow("short break stays in the first segment")
            << "18:00-07:00" << 776 << "18:00-19:58 20:02-07:00" << QString();
        QTest::addRow("starts inside the night") << "23:00-09:00" << 540 << "23:00-07:00 08:00-09:00" << QString();
        QTest::addRow("ends inside the night") << "14:00-02:00" << 660 << "14:00-17:30 18:30-02:00" << QString();
        QTest::addRow("starts as the night ends") << "06:00-15:00" << 480 << "06:00-10:00 11:00-15:00" << QString();
        QTest::addRow("no break") << "08:00-17:00" << 540 << "08:00-17:00" << QString();
        QTest::addRow("overnight without a break") << "20:00-08:00" << 720 << "20:00-08:00+" << QString();
        QTest::addRow("night with a break") << "22:00-06:00" << 420 << "22:00-06:00+" << "wrong break time";
        QTest::addRow("work longer than the span") << "08:00-17:00" << 600 << "08:00-17:00" << "wrong shift time";
        QTest::addRow("equal start and finish") << "08:00-08:00" << 0 << QString() << QString();
    }

    void splitTimeToIntervals()
    {
        QFETCH(QString, span);
        QFETCH(int, workMinutes);
        QFETCH(QString, expected);
        QFETCH(QString, warning);
        const QDate day(2024, 3, 10);
        const QDateTime start(day, QTime::fromString(span.left(5), QStringLiteral("hh:mm")));
        const QTime finishTime = QTime::fromString(span.mid(6), QStringLiteral("hh:mm"));
        const QDateTime finish(finishTime < start.time() ? day.addDays(1) : day, finishTime);
        expectWarning(warning);
        WorkTimeUtils::IntervalList out = intervals(QStringLiteral("01:00-02:00"));
        WorkTimeUtils::splitTimeToIntervals(1, start, finish, workMinutes * 60, out);
        QCOMPARE(text(out), expected);
        if (!out.isEmpty())
            QCOMPARE(WorkTimeUtils::intervalTime(out), warning.isEmpty() ? workMinutes * 60 : start.secsTo(finish));
    }

    void scheduleIdByDate_data()
    {
        // History records as "schedule from..to [state]", empty ends open.
        QTest::addColumn<QStringList>("history");
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QDate>("baseDate");
        const QDate march(2024, 3, 10), april(2024, 4, 10);
        QTest::addRow("personal schedule of the month first")
            << QStringList{"cycle .."} << march << "personal" << QDate(2024, 3, 1);
        QTest::addRow("personal schedule of another month ignored")
            << QStringList{"cycle .."} << april << "cycle" << QDate(2024, 1, 1);
        QTest::addRow("undated schedule takes the record's start")
            << QStringList{"calendar 2024-02-01.."} << april << "calendar" << QDate(2024, 2, 1);
        QTest::addRow("record in another state skipped")
            << QStringList{"cycle .. 0", "calendar 2024-01-15.."} << april << "calendar" << QDate(2024, 1, 15);
        QTest::addRow("first match in stored order")
            << QStringList{"calendar 2024-04-01..2024-04-30", "cycle .."} << april << "calendar" << QDate(2024, 4, 1);
        QTest::addRow("no record covers the date")
            << QStringList{"cycle 2024-01-01..2024-04-09"} << april << QString() << QDate();
    }

    void scheduleIdByDate()
    {
        QFETCH(QStringList, history);
        QFETCH(QDate, date);
        QFETCH(QString, expected);
        QFETCH(QDate, baseDate);
        OrganisationBuilder org;
        const TYPE_ID employee = org.employee(QStringLiteral("Иванов"), org.firm(QStringLiteral("Фирма")));
        const QHash<QString, int> schedules{
            {QStringLiteral("cycle"), org.cycleSchedule(QStringLiteral("Пятидневка"), QDate(2024, 1, 1), {0}, {{}})},
            {QStringLiteral("calendar"), org.calendarSchedule(QStringLiteral("Календарь"))},
            {QStringLiteral("personal"), org.personalSchedule(employee, QDate(2024, 3, 20))}};
        WORKER_SCHEDULE_HISTORY_V2 records;
        records.uid = employee;
        for (const QString& spec : qAsConst(history)) {
            const QStringList fields = spec.split(QLatin1Char(' '));
            const QStringList range = fields.at(1).split(QStringLiteral(".."));
            const int state = fields.value(2, QStringLiteral("1")).toInt();
            records.records.append({0, TYPE_ID(schedules.value(fields.at(0))),
                                    QDate::fromString(range.at(0), Qt::ISODate),
                                    QDate::fromString(range.at(1), Qt::ISODate), state, {}});
        }
        QDate foundBase(1999, 1, 1);
        QCOMPARE(WorkTimeUtils::scheduleIdByDate(employee, date, records, foundBase), schedules.value(expected));
        QCOMPARE(foundBase, baseDate);
    }

    void scheduleDayIntervals_data()
    {
        QTest::addColumn<QString>("schedule");
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("warning");
        const QString calendar = QStringLiteral("calendar");
        QTest::addRow("calendar day with intervals")
            << calendar << QDate(2024, 3, 11) << "09:00-13:00 14:00-18:00" << QString();
        QTest::addRow("calendar day naming a shift")
            << calendar << QDate(2024, 3, 12) << "20:00-00:00 01:00-08:00" << QString();
        QTest::addRow("calendar day naming an unknown shift")
            << calendar << QDate(2024, 3, 13) << QString() << "wrong shift";
        QTest::addRow("calendar without the day") << calendar << QDate(2024, 3, 14) << QString() << QString();
        QTest::addRow("personal schedule day") << "personal" << QDate(2024, 3, 11) << "07:00-15:00" << QString();
        QTest::addRow("cycle ignores calendar days") << "cycle" << QDate(2024, 3, 1) << "10:00-19:00" << QString();
        QTest::addRow("cycle, second day") << "cycle" << QDate(2024, 3, 2) << "20:00-08:00" << QString();
        QTest::addRow("cycle, day off") << "cycle" << QDate(2024, 3, 3) << QString() << QString();
        QTest::addRow("cycle, next round") << "cycle" << QDate(2024, 3, 4) << "10:00-19:00" << QString();
        QTest::addRow("cycle, day before the base") << "cycle" << QDate(2024, 2, 29) << QString() << QString();
        QTest::addRow("cycle, two days before") << "cycle" << QDate(2024, 2, 28) << "20:00-08:00" << QString();
        QTest::addRow("cycle, three days before") << "cycle" << QDate(2024, 2, 27) << "10:00-19:00" << QString();
        QTest::addRow("cycle without days") << "empty cycle" << QDate(2024, 3, 11) << QString() << "wrong schedule";
    }

    void scheduleDayIntervals()
    {
        QFETCH(QString, schedule);
        QFETCH(QDate, date);
        QFETCH(QString, expected);
        QFETCH(QString, warning);
        OrganisationBuilder org;
        const TYPE_ID employee = org.employee(QStringLiteral("Иванов"), org.firm(QStringLiteral("Фирма")));
        const TYPE_ID shift =
            org.shift(QStringLiteral("Ночная"), {{QTime(20, 0), QTime(0, 0)}, {QTime(1, 0), QTime(8, 0)}});
        const QDate cycleBase(2024, 3, 1);
        const QHash<QString, int> ids{
            {QStringLiteral("calendar"), org.calendarSchedule(QStringLiteral("Календарь"))},
            {QStringLiteral("personal"), org.personalSchedule(employee, date)},
            {QStringLiteral("cycle"), org.cycleSchedule(QStringLiteral("Два через один"), cycleBase, {0, 1, -1},
                                                        {{{QTime(10, 0), QTime(19, 0)}}, {{QTime(20, 0), QTime(8, 0)}}})},
            {QStringLiteral("empty cycle"), org.cycleSchedule(QStringLiteral("Пустой"), QDate(2024, 1, 1), {}, {})}};
        const auto day = [](int dayOfMonth, TYPE_ID shift, const char* list) {
            SCHEDULE_CALENDAR_DAY result;
            result.date = QDate(2024, 3, dayOfMonth);
            result.shift = shift;
            result.intervals = intervals(QLatin1String(list));
            return result;
        };
        // The days that name a shift carry other intervals, which the shift's must replace.
        const WorkTimeUtils::CalendarDays days{
            {ids.value(QStringLiteral("calendar")),
             {day(11, 0, "09:00-13:00 14:00-18:00"), day(12, shift, "05:00-06:00"), day(13, 4242, "05:00-06:00")}},
            {ids.value(QStringLiteral("personal")), {day(11, 0, "07:00-15:00")}},
            {ids.value(QStringLiteral("cycle")), {day(1, 0, "05:00-06:00")}}};
        expectWarning(warning);
        WorkTimeUtils::IntervalList out = intervals(QStringLiteral("01:00-02:00"));
        WorkTimeUtils::scheduleDayIntervals(ids.value(schedule), date, cycleBase, days, out);
        QCOMPARE(text(out), expected);
    }
};

OV_TEST_GUILESS_MAIN(tst_WorkTimeUtils)

#include "tst_worktimeutils.moc"
