#include "plannedtimetable.h"
#include "scheduleexpander.h"
#include "serverfixture.h"
#include "workerdatastore.h"

namespace {

SCHEDULE_DATA calendarSchedule(int id, int kind = SCHEDULE_DATA::KindCalendar, TYPE_ID worker = 0)
{
    SCHEDULE_DATA schedule;
    schedule.id = id;
    schedule.kind = kind;
    schedule.worker = worker;
    schedule.shifts = {{701, {interval(7, 19)}}};
    return schedule;
}

} // namespace

class tst_PlannedTimeTable : public QObject, public StorageFixture
{
    Q_OBJECT

private slots:
    void initTestCase_data() { addEngines(); }
    void init()
    {
        openStorage(&WorkerDataStore::schemaStatements, {QStringLiteral("worker_schedule_history"),
                                                         QStringLiteral("schedule_calendar_day"), QStringLiteral("planned_time")});
    }

    void expanderDaySeconds_data()
    {
        QTest::addColumn<SCHEDULE_DATA>("schedule");
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QDate>("fallbackBase");
        QTest::addColumn<bool>("withShiftLookup");
        QTest::addColumn<int>("seconds");

        const SCHEDULE_DATA dayNightOff = cycleSchedule(5, QDate(2024, 3, 1), {0, 1, -1});
        const auto cycleRow = [&](const char* tag, const SCHEDULE_DATA& schedule, const QDate& date, const QDate& base,
                                  int seconds) { QTest::addRow("cycle: %s", tag) << schedule << date << base << false << seconds; };
        cycleRow("base date is the first cycle day", dayNightOff, QDate(2024, 3, 1), QDate(), 8 * Hour);
        cycleRow("overnight shift", dayNightOff, QDate(2024, 3, 2), QDate(), 8 * Hour);
        cycleRow("day off", dayNightOff, QDate(2024, 3, 3), QDate(), 0);
        cycleRow("wraps around", dayNightOff, QDate(2024, 3, 4), QDate(), 8 * Hour);
        cycleRow("two days before the base", dayNightOff, QDate(2024, 2, 28), QDate(), 8 * Hour);
        SCHEDULE_DATA undated = dayNightOff;
        undated.date = QDate();
        cycleRow("history start as base", undated, QDate(2024, 3, 3), QDate(2024, 3, 3), 8 * Hour);
        cycleRow("no base at all", undated, QDate(2024, 3, 3), QDate(), 0);
        cycleRow("empty cycle", cycleSchedule(5, QDate(2024, 3, 1), {}), QDate(2024, 3, 1), QDate(), 0);
        cycleRow("shift index out of range", cycleSchedule(5, QDate(2024, 3, 1), {7}), QDate(2024, 3, 1), QDate(), 0);

        // Calendar days (see expanderDaySeconds): 10 March 08-12, 11 March names shift 701, 12 March shift 999.
        const QDate none;
        QTest::addRow("calendar: own intervals") << calendarSchedule(6) << QDate(2024, 3, 10) << none << false << 4 * Hour;
        QTest::addRow("calendar: no day stored") << calendarSchedule(6) << QDate(2024, 3, 13) << none << false << 0;
        QTest::addRow("calendar: shift of the schedule") << calendarSchedule(6) << QDate(2024, 3, 11) << none << false << 12 * Hour;
        QTest::addRow("calendar: shift from the lookup") << calendarSchedule(6) << QDate(2024, 3, 11) << none << true << 2 * Hour;
        QTest::addRow("calendar: unknown shift keeps the day's intervals")
            << calendarSchedule(6) << QDate(2024, 3, 12) << none << false << Hour;
        QTest::addRow("invalid schedule") << SCHEDULE_DATA() << QDate(2024, 3, 10) << none << false << 0;
    }

    void expanderDaySeconds()
    {
        QFETCH(SCHEDULE_DATA, schedule);
        QFETCH(QDate, date);
        QFETCH(QDate, fallbackBase);
        QFETCH(bool, withShiftLookup);
        QFETCH(int, seconds);
        const ScheduleExpander::CalendarDays days{{QDate(2024, 3, 10), calendarDay(QDate(2024, 3, 10), {interval(8, 12)})},
                                                  {QDate(2024, 3, 11), calendarDay(QDate(2024, 3, 11), {}, 701)},
                                                  {QDate(2024, 3, 12), calendarDay(QDate(2024, 3, 12), {interval(5, 6)}, 999)}};
        const auto lookup = [](TYPE_ID) { return QList<SCHEDULE_CALENDAR_INTERVAL>{interval(23, 1)}; };
        const ScheduleExpander expander(withShiftLookup ? ScheduleExpander::ShiftLookup(lookup) : ScheduleExpander::ShiftLookup());
        QCOMPARE(expander.daySeconds(schedule, date, fallbackBase, days), seconds);
    }

    void recomputeFromHistoriesAndCalendars()
    {
        WorkerDataStore data(db(), m_dialect);
        QString error;
        QVERIFY(data.setScheduleHistories({{10, {10, {historyRecord(1, QDate(2024, 1, 1), QDate())}}},
                                           {11, {11, {historyRecord(1, QDate(2024, 1, 1), QDate(2024, 2, 29), 0),
                                                      historyRecord(2, QDate(2024, 3, 1), QDate(2024, 3, 31))}}}},
                                          &error));
        // Employee 10's personal March: two days; employee 11's shared calendar: three days.
        QVERIFY(data.updateCalendarDays(3, QDate(2024, 3, 1), QDate(2024, 3, 31),
                                        {calendarDay(QDate(2024, 3, 4), {interval(8, 18)}),
                                         calendarDay(QDate(2024, 3, 5), {interval(22, 6)})}, &error));
        QVERIFY(data.updateCalendarDays(2, QDate(2024, 3, 1), QDate(2024, 3, 31),
                                        {calendarDay(QDate(2024, 3, 1), {interval(9, 15)}), calendarDay(QDate(2024, 3, 2), {}, 701),
                                         calendarDay(QDate(2024, 3, 31), {interval(20, 23)})}, &error));
        QVERIFY2(table().recompute({10, 11}, QDate(2024, 1, 1), QDate(2024, 4, 30), &error), qPrintable(error));

        // January 2024 has 23 weekdays; March is the personal schedule's; April is the cycle again (22 weekdays).
        QCOMPARE(plannedSum(10, QDate(2024, 1, 1), QDate(2024, 1, 31)), 23 * 8 * Hour);
        QCOMPARE(plannedDays(10, QDate(2024, 3, 1), QDate(2024, 3, 31)),
                 (QHash<QDate, int>{{QDate(2024, 3, 4), 10 * Hour}, {QDate(2024, 3, 5), 8 * Hour}}));
        QCOMPARE(plannedSum(10, QDate(2024, 4, 1), QDate(2024, 4, 30)), 22 * 8 * Hour);
        QCOMPARE(plannedDays(11), (QHash<QDate, int>{{QDate(2024, 3, 1), 6 * Hour}, {QDate(2024, 3, 2), 12 * Hour},
                                                             {QDate(2024, 3, 31), 3 * Hour}}));
    }

    void recomputeTouchesOnlyItsRange()
    {
        WorkerDataStore data(db(), m_dialect);
        QString error;
        QVERIFY(data.setScheduleHistories({{10, {10, {historyRecord(1, QDate(2024, 1, 1), QDate())}}},
                                           {11, {11, {historyRecord(1, QDate(2024, 1, 1), QDate())}}},
                                           {12, {12, {historyRecord(1, QDate(), QDate())}}}}, &error));
        PlannedTimeTable planned = table();
        QVERIFY(planned.recompute({10, 11}, QDate(2024, 1, 1), QDate(2024, 2, 29), &error));

        // Employee 10 leaves the schedule from February; only February is rebuilt.
        QVERIFY(data.setScheduleHistories({{10, {10, {historyRecord(1, QDate(2024, 1, 1), QDate(2024, 1, 31))}}}}, &error));
        QVERIFY(planned.recompute({10}, QDate(2024, 2, 1), QDate(2024, 2, 29), &error));
        QCOMPARE(plannedSum(10, QDate(2024, 1, 1), QDate(2024, 1, 31)), 23 * 8 * Hour);
        QCOMPARE(plannedSum(10, QDate(2024, 2, 1), QDate(2024, 2, 29)), 0);
        QCOMPARE(plannedSum(11, QDate(2024, 2, 1), QDate(2024, 2, 29)), 21 * 8 * Hour);

        // Without bounds an open history is rebuilt over the horizon only.
        planned.setHorizon(QDate(2024, 2, 1), QDate(2024, 2, 29));
        QVERIFY(planned.recompute({12}, QDate(), QDate(), &error));
        QCOMPARE(plannedDays(12).size(), 21);
        QCOMPARE(plannedDays(12, QDate(2024, 2, 1), QDate(2024, 2, 29)).size(), 21);
    }

    void recomputeScheduleAfterCalendarSave()
    {
        WorkerDataStore data(db(), m_dialect);
        QString error;
        QVERIFY(data.setScheduleHistories({{11, {11, {historyRecord(2, QDate(), QDate())}}},
                                           {12, {12, {historyRecord(1, QDate(), QDate())}}}}, &error));
        PlannedTimeTable planned = table();
        QVERIFY(planned.recompute({11, 12}, QDate(2024, 3, 1), QDate(2024, 3, 31), &error));
        QCOMPARE(plannedSum(11, QDate(2024, 3, 1), QDate(2024, 3, 31)), 0);
        const QHash<QDate, int> before12 = plannedDays(12);

        QVERIFY(data.updateCalendarDays(2, QDate(2024, 3, 1), QDate(2024, 3, 31),
                                        {calendarDay(QDate(2024, 3, 7), {interval(8, 12), interval(13, 17)})}, &error));
        QVERIFY(planned.recomputeSchedule(2, QDate(2024, 3, 1), QDate(2024, 3, 31), &error));
        QCOMPARE(plannedDays(11), (QHash<QDate, int>{{QDate(2024, 3, 7), 8 * Hour}}));
        QCOMPARE(plannedDays(12), before12);

        // Saving employee 10's personal calendar rebuilds only its owner's month.
        QVERIFY(data.updateCalendarDays(3, QDate(2024, 3, 1), QDate(2024, 3, 31),
                                        {calendarDay(QDate(2024, 3, 9), {interval(10, 11)})}, &error));
        QVERIFY(planned.recomputeSchedule(3, &error));
        QCOMPARE(plannedDays(10), (QHash<QDate, int>{{QDate(2024, 3, 9), Hour}}));
    }

private:
    // 1 January 2024 is a Monday: five day shifts, two days off; 3 is employee 10's, for March.
    PlannedTimeTable table() const
    {
        SCHEDULE_DATA personal = calendarSchedule(3, SCHEDULE_DATA::KindPersonal, 10);
        personal.date = QDate(2024, 3, 1);
        const QHash<int, SCHEDULE_DATA> schedules{
            {1, cycleSchedule(1, QDate(2024, 1, 1), {0, 0, 0, 0, 0, -1, -1})}, {2, calendarSchedule(2)}, {3, personal}};
        PlannedTimeTable result(db(), m_dialect, [schedules](int id) { return schedules.value(id); });
        result.setPersonalScheduleLookup([](TYPE_ID employee) { return employee == 10 ? QList<int>{3} : QList<int>(); });
        result.setHorizon(QDate(2024, 1, 1), QDate(2024, 12, 31));
        return result;
    }

    QHash<QDate, int> plannedDays(TYPE_ID worker, const QDate& from = QDate(1, 1, 1), const QDate& to = QDate(9999, 12, 31)) const
    {
        QHash<QDate, int> days;
        QSqlQuery query(db());
        query.prepare(QStringLiteral("SELECT work_date, plan_time FROM planned_time WHERE worker_id = ?"));
        query.addBindValue(worker);
        for (bool ok = query.exec(); ok && query.next();) {
            const QDate date = QDate::fromString(query.value(0).toString(), Qt::ISODate);
            if (date >= from && date <= to)
                days.insert(date, query.value(1).toInt());
        }
        return days;
    }

    int plannedSum(TYPE_ID worker, const QDate& from, const QDate& to) const
    {
        int sum = 0;
        for (const int seconds : plannedDays(worker, from, to))
            sum += seconds;
        return sum;
    }
};

OV_TEST_GUILESS_MAIN(tst_PlannedTimeTable)
#include "tst_plannedtimetable.moc"
