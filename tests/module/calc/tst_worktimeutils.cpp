#include "demoorganisationgenerator.h"
#include "fatalwarnings.h"
#include "localstorage.h"
#include "organisationbuilder.h"
#include "vocabulary.h"
#include "worktimeutils.h"

#include <QCoreApplication>
#include <QTest>

using namespace orvanta;
using ovtest::OrganisationBuilder;

namespace {

// Each table has a single column "row" of one of these. Rules are "name targets date [fromHours-toHours]" separated by
// "; "; history records are "schedule from..to [state]" separated by "; ", an empty end open; dates ISO; intervals as
// text().
struct RuleCase { const char* subject; bool attached; const char* rules; const char* expected;
                  const char* warning = ""; };
struct SplitCase { const char* span; int workMinutes; const char* expected; const char* warning = ""; };
struct ScheduleCase { const char* history; const char* date; const char* schedule; const char* baseDate;
                      const char* expected; const char* warning = ""; };

// The date of every rule lookup.
const QDate today(2024, 3, 15);

QDate isoDate(const char* text) { return QDate::fromString(QLatin1String(text), Qt::ISODate); }
// "hh:mm", or "hh:mm:ss" when the seconds matter.
QTime timeOfDay(const QString& text) { return QTime::fromString(text, text.size() > 5 ? "hh:mm:ss" : "hh:mm"); }

// "08:00-12:00 13:00-17:00"; a trailing "+" marks a finish stored past midnight.
WorkTimeUtils::IntervalList intervals(const QString& text)
{
    WorkTimeUtils::IntervalList result;
    for (const QString& piece : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QTime start = timeOfDay(piece.left(5)), finish = timeOfDay(piece.mid(6, 5));
        result.append(OrganisationBuilder::interval(start, finish, result.size()));
        result.last().finish += piece.endsWith(QLatin1Char('+')) ? 86400 : 0;
    }
    return result;
}

QString show(int s) { return WorkTimeUtils::secondsToTime(s).toString(s % 60 ? "hh:mm:ss" : "hh:mm"); }

// The inverse of intervals(); seconds show only when not zero, an order that is not the position as "#n".
QString text(const WorkTimeUtils::IntervalList& list)
{
    QStringList pieces;
    for (const SCHEDULE_CALENDAR_INTERVAL& interval : list)
        pieces.append(show(interval.start) + QLatin1Char('-') + show(interval.finish)
                      + (interval.finish >= 86400 ? QStringLiteral("+") : QString())
                      + (interval.order != pieces.size() ? QStringLiteral("#%1").arg(interval.order) : QString()));
    return pieces.join(QLatin1Char(' '));
}

void expectWarning(const QString& phrase)
{
    if (!phrase.isEmpty())
        ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QRegularExpression::escape(phrase)));
}

} // namespace

Q_DECLARE_METATYPE(RuleCase)
Q_DECLARE_METATYPE(SplitCase)
Q_DECLARE_METATYPE(ScheduleCase)

class tst_WorkTimeUtils : public QObject
{
    Q_OBJECT

private slots:
    // Touching intervals have no break between them; an interval or a gap over midnight wraps.
    void intervalSums()
    {
        const WorkTimeUtils::IntervalList touching = intervals(QStringLiteral("20:00-22:00 22:00-23:00 01:00-02:00"));
        QCOMPARE(WorkTimeUtils::intervalTime(touching), 4 * 3600);
        QCOMPARE(WorkTimeUtils::intervalBreak(touching), 2 * 3600);
        QCOMPARE(WorkTimeUtils::intervalTime(intervals(QStringLiteral("22:00-06:00"))), 8 * 3600);
    }

    void effectiveBreakRule_data()
    {
        QTest::addColumn<RuleCase>("row");
        const auto forEmployee = [](const char* tag, const char* rules, const char* expected) {
            QTest::newRow(tag) << RuleCase{"employee", false, rules, expected};
        };
        // Subjects whose chain cannot be built, though a rule names them all.
        const auto failing = [](const char* tag, const char* subject, bool attached, const char* warning) {
            QTest::newRow(tag) << RuleCase{subject, attached, "all upper,lower,looped,orphan - 0-24", "", warning};
        };
        forEmployee("employee level beats a newer department rule", "shop shop 2024-02-01; own employee 2023-01-01",
                    "own");
        forEmployee("same level: later date wins", "new shop 2024-02-01; old shop 2023-01-01", "new");
        forEmployee("dated on the date applies, dated after it not",
                    "old shop 2023-01-01; today shop 2024-03-15; future shop 2024-03-16", "today");
        forEmployee("undated counts as the oldest", "undated shop -; old shop 2023-01-01", "old");
        // A 9 h shift: the newer rule ends at 9 h, the older one starts there.
        forEmployee("shift length: upper bound excluded, lower included",
                    "short shop 2024-01-01 0-9; long shop 2023-01-01 9-24", "long");
        forEmployee("nearest of several targets up the chain", "wide firm,region 2023-01-01; firm firm 2024-02-01",
                    "wide");
        QTest::newRow("trip: the host's rule, not the home department's")
            << RuleCase{"trip", true, "host host 2023-01-01; shop shop 2024-02-01", "host"};
        QTest::newRow("trip: the employee beats the host, the trip object is not in the chain")
            << RuleCase{"trip", true, "host host 2024-02-01; own employee 2023-01-01; trip trip 2024-02-01", "own"};
        failing("looping department chain", "looped", false, "cycle detected");
        failing("unknown subject", "unknown", false, "subject not valid");
        failing("department missing from the store", "orphan", false, "subject not valid");
        failing("employee passed as a trip", "looped", true, "attached not valid");
    }

    void effectiveBreakRule()
    {
        QFETCH(RuleCase, row);
        // firm > region > shop > employee; a host department under the firm; the employee's trip to host.
        // For the failures: "looped" works in a pair of departments that are each other's parent, "orphan" in a
        // department missing from the store, and "unknown" is in no store at all.
        OrganisationBuilder org;
        QHash<QString, TYPE_ID> ids{{QStringLiteral("firm"), org.firm(QStringLiteral("Фирма"))},
                                    {QStringLiteral("unknown"), 4343}};
        for (const char* names : {"region firm", "shop region", "host firm", "upper firm", "lower upper"}) {
            const QStringList pair = QString::fromLatin1(names).split(QLatin1Char(' '));
            ids[pair.at(0)] = org.department(pair.at(0), ids.value(pair.at(1)));
        }
        org.setParent(ids.value("upper"), ids.value("lower"));
        ids["employee"] = org.employee(QStringLiteral("Иванов"), ids.value("shop"));
        ids["looped"] = org.employee(QStringLiteral("Петров"), ids.value("lower"));
        ids["orphan"] = org.employee(QStringLiteral("Сидоров"), 4242);
        ids["trip"] =
            org.attachedWorker(ids.value("employee"), ids.value("host"), QDate(2024, 3, 1), QDate(2024, 3, 31));
        // Every rule gives a 30-minute break; a shift of 4-12 h when no range is given, "-" for no date.
        QHash<QString, TYPE_ID> rules;
        for (const QString& entry : QString::fromLatin1(row.rules).split(QStringLiteral("; "))) {
            const QStringList fields = entry.split(QLatin1Char(' '));
            QList<TYPE_ID> targets;
            for (const QString& target : fields.at(1).split(QLatin1Char(',')))
                targets.append(ids.value(target));
            const QStringList hours = fields.value(3, QStringLiteral("4-12")).split(QLatin1Char('-'));
            rules[fields.at(0)] = org.breakRule(fields.at(0), hours.at(0).toInt() * 3600, hours.at(1).toInt() * 3600,
                                                1800, QDate::fromString(fields.at(2), Qt::ISODate), targets);
        }
        const TYPE_ID subject = ids.value(QLatin1String(row.subject));
        const QString expected = QLatin1String(row.expected);
        // A failure is reported by both calls.
        expectWarning(QLatin1String(row.warning));
        expectWarning(QLatin1String(row.warning));
        if (expected.isEmpty())
            expectWarning(QStringLiteral("break rule not exists"));
        QCOMPARE(WorkTimeUtils::getEffectiveBreakRule(subject, row.attached, today, 9 * 3600), rules.value(expected));
        QCOMPARE(WorkTimeUtils::getBreakTime(subject, row.attached, today, 9 * 3600), expected.isEmpty() ? 0 : 1800);
        // The rules are read once and kept: one removed from the store afterwards no longer applies.
        if (!expected.isEmpty()) {
            org.store()->removeObjects(QLatin1String(BREAK_RULE_DATANAME), {rules.value(expected)});
            QVERIFY(WorkTimeUtils::getEffectiveBreakRule(subject, row.attached, today, 9 * 3600)
                    != rules.value(expected));
        }
    }

    void splitTimeToIntervals_data()
    {
        QTest::addColumn<SplitCase>("row");
        QTest::newRow("day, 8 h") << SplitCase{"08:00-17:00", 480, "08:00-12:00 13:00-17:00"};
        QTest::newRow("overnight, 10 h") << SplitCase{"20:00-08:00", 600, "20:00-20:30 21:30-06:30 07:30-08:00"};
        QTest::newRow("odd work minute goes first") << SplitCase{"08:00-17:00", 481, "08:00-12:01 13:00-17:00"};
        // Day segments of 240 and 60 min share 37 min: 29 and 7, the 1 min left goes to the second.
        QTest::newRow("break shared by length, remainder absorbed")
            << SplitCase{"18:00-07:00", 743, "18:00-19:46 20:15-06:26 06:34-07:00"};
        // 15 min over the same segments: 12 to the first leaves exactly 3, which it absorbs.
        QTest::newRow("remainder of 3 min absorbed by the first segment")
            << SplitCase{"18:00-07:00", 765, "18:00-19:53 20:08-07:00"};
        // Span 32370 s, break 3570 s = 59 whole min, 539 day min - 59 = 480: 240 min from 08:00:30, 240 up to 17:00.
        QTest::newRow("start off a whole minute") << SplitCase{"08:00:30-17:00", 480, "08:00:30-12:00:30 13:00-17:00"};
        QTest::newRow("starts in the night window of the day before")
            << SplitCase{"03:00-12:00", 480, "03:00-08:30 09:30-12:00"};
        QTest::newRow("starts inside the night") << SplitCase{"23:00-09:00", 540, "23:00-07:00 08:00-09:00"};
        QTest::newRow("ends inside the night") << SplitCase{"14:00-02:00", 660, "14:00-17:30 18:30-02:00"};
        QTest::newRow("starts as the night ends") << SplitCase{"06:00-15:00", 480, "06:00-10:00 11:00-15:00"};
        QTest::newRow("overnight without a break") << SplitCase{"20:00-08:00", 720, "20:00-08:00+"};
        QTest::newRow("night with a break") << SplitCase{"22:00-06:00", 420, "22:00-06:00+", "wrong break time"};
        QTest::newRow("work longer than the span") << SplitCase{"08:00-17:00", 600, "08:00-17:00", "wrong shift time"};
        QTest::newRow("equal start and finish") << SplitCase{"08:00-08:00", 0, ""};
    }

    void splitTimeToIntervals()
    {
        QFETCH(SplitCase, row);
        const QString span = QLatin1String(row.span);
        const QDate day(2024, 3, 10);
        const QDateTime start(day, timeOfDay(span.section(QLatin1Char('-'), 0, 0)));
        const QTime finishTime = timeOfDay(span.section(QLatin1Char('-'), 1));
        const QDateTime finish(finishTime < start.time() ? day.addDays(1) : day, finishTime);
        expectWarning(QLatin1String(row.warning));
        WorkTimeUtils::IntervalList out = intervals(QStringLiteral("01:00-02:00"));
        WorkTimeUtils::splitTimeToIntervals(1, start, finish, row.workMinutes * 60, out);
        QCOMPARE(text(out), QLatin1String(row.expected));
    }

    void scheduleForDate_data()
    {
        // The cycle (day shift, night shift, day off) starts on 1 March, the calendar has days 11-13 March,
        // the personal schedule is May's.
        QTest::addColumn<ScheduleCase>("row");
        QTest::newRow("personal schedule of the month first")
            << ScheduleCase{"cycle ..", "2024-05-10", "personal", "2024-05-01", "07:00-15:00"};
        QTest::newRow("another month's personal schedule ignored")
            << ScheduleCase{"cycle ..", "2024-03-04", "cycle", "2024-03-01", "10:00-19:00"};
        QTest::newRow("undated schedule based on the record's start")
            << ScheduleCase{"calendar 2024-02-01..", "2024-03-11", "calendar", "2024-02-01", "09:00-13:00 14:00-18:00"};
        QTest::newRow("record in another state skipped; calendar day naming a shift")
            << ScheduleCase{"cycle .. 0; calendar 2024-01-15..", "2024-03-12", "calendar", "2024-01-15",
                            "20:00-00:00 01:00-08:00"};
        QTest::newRow("first match in stored order, on its last day; calendar day naming an unknown shift")
            << ScheduleCase{"calendar 2024-03-01..2024-03-13; cycle ..", "2024-03-13", "calendar", "2024-03-01", "",
                            "wrong shift"};
        QTest::newRow("no record covers the date")
            << ScheduleCase{"cycle 2024-01-01..2024-03-13", "2024-03-14", "", "", "", "wrong schedule"};
        QTest::newRow("calendar without the day") << ScheduleCase{"calendar ..", "2024-03-14", "calendar", "", ""};
        QTest::newRow("cycle ignores calendar days")
            << ScheduleCase{"cycle ..", "2024-03-01", "cycle", "2024-03-01", "10:00-19:00"};
        QTest::newRow("cycle, day off") << ScheduleCase{"cycle ..", "2024-03-03", "cycle", "2024-03-01", ""};
        QTest::newRow("cycle, two days before base")
            << ScheduleCase{"cycle ..", "2024-02-28", "cycle", "2024-03-01", "20:00-08:00"};
    }

    void scheduleForDate()
    {
        QFETCH(ScheduleCase, row);
        OrganisationBuilder org;
        const TYPE_ID employee = org.employee(QStringLiteral("Иванов"), org.firm(QStringLiteral("Фирма")));
        const TYPE_ID shift =
            org.shift(QStringLiteral("Ночная"), {{QTime(20, 0), QTime(0, 0)}, {QTime(1, 0), QTime(8, 0)}});
        const QHash<QString, int> ids{
            {QStringLiteral("calendar"), org.calendarSchedule(QStringLiteral("Календарь"))},
            {QStringLiteral("personal"), org.personalSchedule(employee, QDate(2024, 5, 1))},
            {QStringLiteral("cycle"),
             org.cycleSchedule(QStringLiteral("Два через один"), QDate(2024, 3, 1), {0, 1, -1},
                               {{{QTime(10, 0), QTime(19, 0)}}, {{QTime(20, 0), QTime(8, 0)}}})}};
        const auto day = [](const char* date, TYPE_ID shift, const char* list) {
            SCHEDULE_CALENDAR_DAY result;
            result.date = isoDate(date);
            result.shift = shift;
            result.intervals = intervals(QLatin1String(list));
            return result;
        };
        // The days that name a shift carry other intervals, which the shift's must replace.
        const WorkTimeUtils::CalendarDays days{
            {ids.value("calendar"),
             {day("2024-03-11", 0, "09:00-13:00 14:00-18:00"), day("2024-03-12", shift, "05:00-06:00"),
              day("2024-03-13", 4242, "05:00-06:00")}},
            {ids.value("personal"), {day("2024-05-10", 0, "07:00-15:00")}},
            {ids.value("cycle"), {day("2024-03-01", 0, "05:00-06:00")}}};
        WORKER_SCHEDULE_HISTORY_V2 history;
        history.uid = employee;
        for (const QString& entry : QString::fromLatin1(row.history).split(QStringLiteral("; "))) {
            const QStringList fields = entry.split(QLatin1Char(' '));
            const QStringList range = fields.at(1).split(QStringLiteral(".."));
            history.records.append({0, TYPE_ID(ids.value(fields.at(0))), QDate::fromString(range.at(0), Qt::ISODate),
                                    QDate::fromString(range.at(1), Qt::ISODate), fields.value(2, "1").toInt(), {}});
        }
        QDate baseDate(1999, 1, 1);
        const int found = WorkTimeUtils::scheduleIdByDate(employee, isoDate(row.date), history, baseDate);
        QCOMPARE(found, ids.value(QLatin1String(row.schedule)));
        QCOMPARE(baseDate, isoDate(row.baseDate));
        expectWarning(QLatin1String(row.warning));
        WorkTimeUtils::IntervalList out = intervals(QStringLiteral("01:00-02:00"));
        WorkTimeUtils::scheduleDayIntervals(found, isoDate(row.date), baseDate, days, out);
        QCOMPARE(text(out), QLatin1String(row.expected));
    }

    // A day the demo seeds has the intervals that typing its first start to last finish into the cell gives, for every
    // employee on every day around the starts of the demo's break rules; a schedule's shift has its object's intervals.
    void demoDaysAsTyped()
    {
        const QDate march(2026, 3, 15);
        const DemoOrganisation demo = DemoOrganisationGenerator::generate(60, march);
        LocalStorage::instance()->reset();
        for (auto table = demo.objects.cbegin(); table != demo.objects.cend(); ++table)
            LocalStorage::instance()->setObjects(table.key(), table.value());
        LocalStorage::instance()->setSchedules(demo.schedules);
        WorkTimeUtils::IntervalList seeded, typed;
        for (const SCHEDULE_DATA& schedule : demo.schedules) {
            for (const SCHEDULE_DATA::Shift& shift : schedule.shifts) {
                WorkTimeUtils::shiftToIntervals(shift.shiftUid, seeded);
                QCOMPARE(text(seeded), text(shift.intervals));
            }
        }
        QSet<int> lunches;
        for (const WORKER_SCHEDULE_HISTORY_V2& history : demo.scheduleHistories) {
            for (QDate date = march.addMonths(-4); date < march.addMonths(4); date = date.addDays(1)) {
                QDate base;
                const int schedule = WorkTimeUtils::scheduleIdByDate(history.uid, date, history, base);
                seeded.clear();
                if (schedule != 0)
                    WorkTimeUtils::scheduleDayIntervals(schedule, date, base, demo.calendarDays, seeded);
                if (seeded.isEmpty())
                    continue;
                const QDateTime from = date.startOfDay().addSecs(seeded.first().start);
                const QDateTime to = from.addSecs((seeded.last().finish - seeded.first().start + 86400) % 86400);
                const int span = int(from.secsTo(to)), night = WorkTimeUtils::nightTime(history.uid, from, to);
                const int lunch = qMin(WorkTimeUtils::getBreakTime(history.uid, false, date, span), span - night);
                WorkTimeUtils::splitTimeToIntervals(history.uid, from, to, span - lunch, typed);
                for (SCHEDULE_CALENDAR_INTERVAL& interval : typed)
                    interval.finish %= 86400;
                QCOMPARE(text(seeded), text(typed));
                lunches.insert(lunch / 60);
            }
        }
        QCOMPARE(lunches, (QSet<int>{0, 20, 45, 60}));
    }
};

OV_TEST_GUILESS_MAIN(tst_WorkTimeUtils)

#include "tst_worktimeutils.moc"
