#include "fatalwarnings.h"
#include "planningreportfigures.h"

#include <QTest>

#include <functional>

using namespace orvanta;
using Row = PlanningReportData::Row;

Q_DECLARE_METATYPE(PlanningReportData)

namespace {

constexpr int Hour = 3600;
const QDate Monday(2026, 3, 2);
const QDate Tuesday(2026, 3, 3);
enum ReasonId : TYPE_ID { Vacation = 1, Sick = 2, Check = 3 };

SCHEDULE_CALENDAR_INTERVAL span(int fromHour, int toHour)
{
    SCHEDULE_CALENDAR_INTERVAL interval;
    interval.start = fromHour * Hour;
    interval.finish = toHour * Hour;
    return interval;
}

_WORKER_ABSENCE_REASON_RECORD absence(TYPE_ID reason, const QDateTime& start, const QDateTime& end, bool timed,
                                      int enteredDaysBefore = 30)
{
    _WORKER_ABSENCE_REASON_RECORD record;
    record.reason = reason;
    record.start = start;
    record.end = end;
    record.timed = timed;
    record.changeTime = start.addDays(-enteredDaysBefore);
    return record;
}

// Monday and Tuesday worked 9-13 and 14-18 against a norm of 8 h each, 10 h carried from the months before,
// the norm calculated ten days before Monday; change makes the case.
PlanningReportData twoDays(const std::function<void(Row&)>& change = {})
{
    PlanningReportData data;
    data.start = Monday;
    data.finish = Tuesday;
    data.reasons = {{Vacation, {50, 0, "О"}}, {Sick, {60, 1, "Б"}}, {Check, {10, 0, "МО"}}};
    Row row;
    row.uid = 7;
    row.days = {{span(9, 13), span(14, 18)}, {span(9, 13), span(14, 18)}};
    row.norm = {{Monday, 8 * Hour}, {Tuesday, 8 * Hour}};
    row.sync.normCalcTime = Monday.addDays(-10).startOfDay();
    data.brought = {{7, {100 * Hour, 90 * Hour}}};
    if (change)
        change(row);
    data.rows = {row};
    return data;
}

} // namespace

// What a report row shows and sums, by the planning grid's rules, on hand-made rows of two days.
class tst_PlanningReportFigures : public QObject
{
    Q_OBJECT

private slots:
    void figures_data()
    {
        QTest::addColumn<PlanningReportData>("data");
        QTest::addColumn<QString>("shown");

        const QDateTime monday = Monday.startOfDay();
        QTest::addRow("two worked days") << twoDays() << "09:00-18:00\n8.00 | 09:00-18:00\n8.00 | 16.00 16.00 10.00";
        QTest::addRow("overnight shift") << twoDays([](Row& row) { row.days[0] = {span(22, 6)}; })
                                         << "22:00-06:00\n8.00 | 09:00-18:00\n8.00 | 16.00 16.00 10.00";
        QTest::addRow("day off") << twoDays([](Row& row) { row.days[0].clear(); }) << " | 09:00-18:00\n8.00 | 16.00 8.00 18.00";
        QTest::addRow("vacation counts the norm") << twoDays([monday](Row& row) {
            row.absences = {absence(Vacation, monday, monday, false)};
        }) << "О\n8.00 | 09:00-18:00\n8.00 | 16.00 16.00 10.00";
        QTest::addRow("sick leave entered after the norm counts the day's time") << twoDays([monday](Row& row) {
            row.days[0] = {span(9, 12)};
            row.absences = {absence(Sick, monday, monday, false, 5)};
        }) << "Б\n3.00 | 09:00-18:00\n8.00 | 16.00 11.00 15.00";
        QTest::addRow("sick leave entered before the norm counts the norm") << twoDays([monday](Row& row) {
            row.days[0] = {span(9, 12)};
            row.absences = {absence(Sick, monday, monday, false, 20)};
        }) << "Б\n8.00 | 09:00-18:00\n8.00 | 16.00 16.00 10.00";
        QTest::addRow("of two full-day reasons the higher order decides") << twoDays([monday](Row& row) {
            row.days[0] = {span(9, 12)};
            row.absences = {absence(Vacation, monday, monday, false, 5), absence(Sick, monday, monday, false, 5)};
        }) << "Б/О\n3.00 | 09:00-18:00\n8.00 | 16.00 11.00 15.00";
        QTest::addRow("a part-day absence adds its hours") << twoDays([monday](Row& row) {
            row.absences = {absence(Check, monday.addSecs(9 * Hour), monday.addSecs(12 * Hour), true)};
        }) << "09:00-18:00\n11.00 | 09:00-18:00\n8.00 | 16.00 19.00 7.00";
        QTest::addRow("the balance counts the continuous employment") << twoDays([](Row& row) {
            row.days[0] = {span(9, 13)};
            row.emplStart = Tuesday;
            row.emplContStart = Monday;
        }) << "- | 09:00-18:00\n8.00 | 8.00 8.00 14.00";
        QTest::addRow("away on a trip") << twoDays([](Row& row) { row.trips = {{Monday, Monday}}; })
                                        << "К | 09:00-18:00\n8.00 | 16.00 8.00 10.00";
        QTest::addRow("a trip row works only its days") << twoDays([](Row& row) {
            row.kind = Row::Trip;
            row.trips = {{Tuesday, Tuesday}};
        }) << "- | 09:00-18:00\n8.00 | 16.00 8.00 10.00";
    }

    void figures()
    {
        QFETCH(PlanningReportData, data);
        QFETCH(QString, shown);
        const PlanningReportFigures figures(data, data.rows.constFirst());
        const QString sums = QStringList{PlanningReportFigures::hoursText(figures.norm()),
                                         PlanningReportFigures::hoursText(figures.planned()),
                                         PlanningReportFigures::hoursText(figures.balance())}
                                 .join(QLatin1Char(' '));
        QCOMPARE(QStringList({figures.days().at(0).text, figures.days().at(1).text, sums}).join(QStringLiteral(" | ")), shown);
    }
};

OV_TEST_GUILESS_MAIN(tst_PlanningReportFigures)
#include "tst_planningreportfigures.moc"
