#include "fatalwarnings.h"
#include "plannedtimetable.h"
#include "scheduleexpander.h"
#include "storagetestdatabase.h"
#include "workerdatastore.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace orvanta;

namespace {

constexpr int Hour = 3600;

SCHEDULE_CALENDAR_INTERVAL interval(int startHour, int finishHour)
{
    SCHEDULE_CALENDAR_INTERVAL result;
    result.start = startHour * Hour;
    result.finish = finishHour * Hour;
    return result;
}

SCHEDULE_DATA::Shift shift(TYPE_ID uid, const QList<SCHEDULE_CALENDAR_INTERVAL>& intervals)
{
    SCHEDULE_DATA::Shift result;
    result.shiftUid = uid;
    result.intervals = intervals;
    return result;
}

// Day shift 09-13 + 14-18 (8 h, index 0) and night shift 22-06 (8 h, index 1).
SCHEDULE_DATA cycleSchedule(int id, const QDate& base, const QList<int>& cycle)
{
    SCHEDULE_DATA schedule;
    schedule.id = id;
    schedule.kind = SCHEDULE_DATA::KindCycle;
    schedule.date = base;
    for (const int index : cycle)
        schedule.cycle.append({index});
    schedule.shifts = {shift(701, {interval(9, 13), interval(14, 18)}), shift(702, {interval(22, 6)})};
    return schedule;
}

SCHEDULE_DATA calendarSchedule(int id, int kind = SCHEDULE_DATA::KindCalendar, TYPE_ID worker = 0,
                               const QDate& month = QDate())
{
    SCHEDULE_DATA schedule;
    schedule.id = id;
    schedule.kind = kind;
    schedule.worker = worker;
    schedule.date = month;
    schedule.shifts = {shift(701, {interval(7, 19)})};
    return schedule;
}

SCHEDULE_CALENDAR_DAY day(const QDate& date, const QList<SCHEDULE_CALENDAR_INTERVAL>& intervals, TYPE_ID shiftUid = 0)
{
    SCHEDULE_CALENDAR_DAY result;
    result.date = date;
    result.shift = shiftUid;
    result.intervals = intervals;
    return result;
}

_WORKER_SCHEDULE_HISTORY_RECORD_V2 historyRecord(TYPE_ID schedule, const QDate& from, const QDate& to, int state = 1)
{
    _WORKER_SCHEDULE_HISTORY_RECORD_V2 record;
    record.schedule = schedule;
    record.from = from;
    record.to = to;
    record.state = state;
    return record;
}

const QStringList Tables{QStringLiteral("worker_schedule_history"), QStringLiteral("schedule_calendar_day"),
                         QStringLiteral("planned_time")};

} // namespace

class TestPlannedTimeTable : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void expanderDaySeconds_data();
    void expanderDaySeconds();

    void recomputeFromHistoriesAndCalendars_data() { addEngineRows(); }
    void recomputeFromHistoriesAndCalendars();
    void recomputeTouchesOnlyItsRange_data() { addEngineRows(); }
    void recomputeTouchesOnlyItsRange();
    void recomputeScheduleAfterCalendarSave_data() { addEngineRows(); }
    void recomputeScheduleAfterCalendarSave();
    void horizonLimitsOpenHistories_data() { addEngineRows(); }
    void horizonLimitsOpenHistories();

private:
    void addEngineRows() { StorageTestDatabase::addRows(m_engines); }
    PlannedTimeTable table(int engine) const;
    QHash<QDate, int> plannedDays(int engine, TYPE_ID worker) const;
    int plannedSum(int engine, TYPE_ID worker, const QDate& from, const QDate& to) const;

    QTemporaryDir m_folder;
    QList<StorageTestDatabase> m_engines;
    QHash<int, SCHEDULE_DATA> m_schedules;
};

void TestPlannedTimeTable::initTestCase()
{
    QVERIFY(m_folder.isValid());
    m_engines = StorageTestDatabase::openAll(m_folder.path(), &WorkerDataStore::schemaStatements);
    QVERIFY(!m_engines.isEmpty());
}

void TestPlannedTimeTable::cleanupTestCase()
{
    StorageTestDatabase::dropAll(m_engines);
}

void TestPlannedTimeTable::init()
{
    // 1 January 2024 is a Monday: five day shifts, two days off.
    m_schedules = {{1, cycleSchedule(1, QDate(2024, 1, 1), {0, 0, 0, 0, 0, -1, -1})},
                   {2, calendarSchedule(2)},
                   {3, calendarSchedule(3, SCHEDULE_DATA::KindPersonal, 10, QDate(2024, 3, 1))}};
    for (const StorageTestDatabase& engine : m_engines)
        QVERIFY(engine.clear(Tables));
}

PlannedTimeTable TestPlannedTimeTable::table(int engine) const
{
    const QHash<int, SCHEDULE_DATA> schedules = m_schedules;
    PlannedTimeTable result(m_engines.at(engine).db(), m_engines.at(engine).dialect,
                            [schedules](int id) { return schedules.value(id); });
    result.setPersonalScheduleLookup([schedules](TYPE_ID employee) {
        QList<int> ids;
        for (const SCHEDULE_DATA& schedule : schedules) {
            if (schedule.kind == SCHEDULE_DATA::KindPersonal && schedule.worker == employee)
                ids.append(schedule.id);
        }
        return ids;
    });
    result.setHorizon(QDate(2024, 1, 1), QDate(2024, 12, 31));
    return result;
}

QHash<QDate, int> TestPlannedTimeTable::plannedDays(int engine, TYPE_ID worker) const
{
    QHash<QDate, int> days;
    QSqlQuery query(m_engines.at(engine).db());
    query.prepare(QStringLiteral("SELECT work_date, plan_time FROM planned_time WHERE worker_id = ?"));
    query.addBindValue(worker);
    if (!query.exec())
        return days;
    while (query.next())
        days.insert(QDate::fromString(query.value(0).toString(), Qt::ISODate), query.value(1).toInt());
    return days;
}

int TestPlannedTimeTable::plannedSum(int engine, TYPE_ID worker, const QDate& from, const QDate& to) const
{
    int sum = 0;
    const QHash<QDate, int> days = plannedDays(engine, worker);
    for (auto it = days.cbegin(); it != days.cend(); ++it) {
        if (it.key() >= from && it.key() <= to)
            sum += it.value();
    }
    return sum;
}

void TestPlannedTimeTable::expanderDaySeconds_data()
{
    QTest::addColumn<SCHEDULE_DATA>("schedule");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QDate>("fallbackBase");
    QTest::addColumn<bool>("withShiftLookup");
    QTest::addColumn<int>("seconds");

    const SCHEDULE_DATA dayNightOff = cycleSchedule(5, QDate(2024, 3, 1), {0, 1, -1});
    QTest::addRow("cycle: base date is the first cycle day") << dayNightOff << QDate(2024, 3, 1) << QDate() << false << 8 * Hour;
    QTest::addRow("cycle: overnight shift") << dayNightOff << QDate(2024, 3, 2) << QDate() << false << 8 * Hour;
    QTest::addRow("cycle: day off") << dayNightOff << QDate(2024, 3, 3) << QDate() << false << 0;
    QTest::addRow("cycle: wraps around") << dayNightOff << QDate(2024, 3, 4) << QDate() << false << 8 * Hour;
    QTest::addRow("cycle: day before the base") << dayNightOff << QDate(2024, 2, 29) << QDate() << false << 0;
    QTest::addRow("cycle: two days before the base") << dayNightOff << QDate(2024, 2, 28) << QDate() << false << 8 * Hour;

    SCHEDULE_DATA undated = dayNightOff;
    undated.date = QDate();
    QTest::addRow("cycle: history start as base") << undated << QDate(2024, 3, 3) << QDate(2024, 3, 3) << false << 8 * Hour;
    QTest::addRow("cycle: no base at all") << undated << QDate(2024, 3, 3) << QDate() << false << 0;
    SCHEDULE_DATA empty = dayNightOff;
    empty.cycle.clear();
    QTest::addRow("cycle: empty cycle") << empty << QDate(2024, 3, 1) << QDate() << false << 0;
    SCHEDULE_DATA badIndex = cycleSchedule(5, QDate(2024, 3, 1), {7});
    QTest::addRow("cycle: shift index out of range") << badIndex << QDate(2024, 3, 1) << QDate() << false << 0;

    // Calendar days (see expanderDaySeconds): 10 March 08-12, 11 March names shift 701, 12 March shift 999.
    QTest::addRow("calendar: own intervals") << calendarSchedule(6) << QDate(2024, 3, 10) << QDate() << false << 4 * Hour;
    QTest::addRow("calendar: no day stored") << calendarSchedule(6) << QDate(2024, 3, 13) << QDate() << false << 0;
    QTest::addRow("calendar: shift of the schedule") << calendarSchedule(6) << QDate(2024, 3, 11) << QDate() << false << 12 * Hour;
    QTest::addRow("calendar: shift from the lookup") << calendarSchedule(6) << QDate(2024, 3, 11) << QDate() << true << 2 * Hour;
    QTest::addRow("calendar: unknown shift keeps the day's intervals") << calendarSchedule(6) << QDate(2024, 3, 12) << QDate() << false << Hour;
    QTest::addRow("invalid schedule") << SCHEDULE_DATA() << QDate(2024, 3, 10) << QDate() << false << 0;
}

void TestPlannedTimeTable::expanderDaySeconds()
{
    QFETCH(SCHEDULE_DATA, schedule);
    QFETCH(QDate, date);
    QFETCH(QDate, fallbackBase);
    QFETCH(bool, withShiftLookup);
    QFETCH(int, seconds);
    const ScheduleExpander::CalendarDays days{
        {QDate(2024, 3, 10), day(QDate(2024, 3, 10), {interval(8, 12)})},
        {QDate(2024, 3, 11), day(QDate(2024, 3, 11), {}, 701)},
        {QDate(2024, 3, 12), day(QDate(2024, 3, 12), {interval(5, 6)}, 999)}};
    const ScheduleExpander expander(withShiftLookup ? ScheduleExpander::ShiftLookup([](TYPE_ID) {
        return QList<SCHEDULE_CALENDAR_INTERVAL>{interval(23, 1)};
    })
                                                    : ScheduleExpander::ShiftLookup());
    QCOMPARE(expander.daySeconds(schedule, date, fallbackBase, days), seconds);
}

void TestPlannedTimeTable::recomputeFromHistoriesAndCalendars()
{
    QFETCH(int, engine);
    WorkerDataStore data(m_engines.at(engine).db(), m_engines.at(engine).dialect);
    QString error;
    QVERIFY(data.setScheduleHistories(
        {{10, {10, {historyRecord(1, QDate(2024, 1, 1), QDate())}}},
         {11, {11, {historyRecord(1, QDate(2024, 1, 1), QDate(2024, 2, 29), 0), historyRecord(2, QDate(2024, 3, 1), QDate(2024, 3, 31))}}}},
        &error));
    // Employee 10's personal March: two days; employee 11's shared calendar: three days.
    QVERIFY(data.updateCalendarDays(3, QDate(2024, 3, 1), QDate(2024, 3, 31),
                                    {day(QDate(2024, 3, 4), {interval(8, 18)}), day(QDate(2024, 3, 5), {interval(22, 6)})},
                                    &error));
    QVERIFY(data.updateCalendarDays(2, QDate(2024, 3, 1), QDate(2024, 3, 31),
                                    {day(QDate(2024, 3, 1), {interval(9, 15)}), day(QDate(2024, 3, 2), {}, 701),
                                     day(QDate(2024, 4, 1).addDays(-1), {interval(20, 23)})},
                                    &error));

    QVERIFY2(table(engine).recompute({10, 11}, QDate(2024, 1, 1), QDate(2024, 4, 30), &error), qPrintable(error));

    // January 2024 has 23 weekdays; March is the personal schedule's; April is the cycle again (22 weekdays).
    QCOMPARE(plannedSum(engine, 10, QDate(2024, 1, 1), QDate(2024, 1, 31)), 23 * 8 * Hour);
    QCOMPARE(plannedSum(engine, 10, QDate(2024, 3, 1), QDate(2024, 3, 31)), 18 * Hour);
    QCOMPARE(plannedSum(engine, 10, QDate(2024, 4, 1), QDate(2024, 4, 30)), 22 * 8 * Hour);
    QCOMPARE(plannedDays(engine, 10).value(QDate(2024, 3, 5)), 8 * Hour);
    QVERIFY(!plannedDays(engine, 10).contains(QDate(2024, 1, 6)));

    const QHash<QDate, int> other = plannedDays(engine, 11);
    QCOMPARE(other.size(), 3);
    QCOMPARE(other.value(QDate(2024, 3, 1)), 6 * Hour);
    QCOMPARE(other.value(QDate(2024, 3, 2)), 12 * Hour);
    QCOMPARE(other.value(QDate(2024, 3, 31)), 3 * Hour);
}

void TestPlannedTimeTable::recomputeTouchesOnlyItsRange()
{
    QFETCH(int, engine);
    WorkerDataStore data(m_engines.at(engine).db(), m_engines.at(engine).dialect);
    QString error;
    QVERIFY(data.setScheduleHistories({{10, {10, {historyRecord(1, QDate(2024, 1, 1), QDate())}}},
                                       {11, {11, {historyRecord(1, QDate(2024, 1, 1), QDate())}}}},
                                      &error));
    PlannedTimeTable planned = table(engine);
    QVERIFY(planned.recompute({10, 11}, QDate(2024, 1, 1), QDate(2024, 2, 29), &error));

    // Employee 10 leaves the schedule from February; only February is rebuilt.
    QVERIFY(data.setScheduleHistories({{10, {10, {historyRecord(1, QDate(2024, 1, 1), QDate(2024, 1, 31))}}}}, &error));
    QVERIFY(planned.recompute({10}, QDate(2024, 2, 1), QDate(2024, 2, 29), &error));

    QCOMPARE(plannedSum(engine, 10, QDate(2024, 1, 1), QDate(2024, 1, 31)), 23 * 8 * Hour);
    QCOMPARE(plannedSum(engine, 10, QDate(2024, 2, 1), QDate(2024, 2, 29)), 0);
    QCOMPARE(plannedSum(engine, 11, QDate(2024, 2, 1), QDate(2024, 2, 29)), 21 * 8 * Hour);
}

void TestPlannedTimeTable::recomputeScheduleAfterCalendarSave()
{
    QFETCH(int, engine);
    WorkerDataStore data(m_engines.at(engine).db(), m_engines.at(engine).dialect);
    QString error;
    QVERIFY(data.setScheduleHistories({{11, {11, {historyRecord(2, QDate(), QDate())}}},
                                       {12, {12, {historyRecord(1, QDate(), QDate())}}}},
                                      &error));
    PlannedTimeTable planned = table(engine);
    QVERIFY(planned.recompute({11, 12}, QDate(2024, 3, 1), QDate(2024, 3, 31), &error));
    QCOMPARE(plannedSum(engine, 11, QDate(2024, 3, 1), QDate(2024, 3, 31)), 0);
    const int before12 = plannedSum(engine, 12, QDate(2024, 3, 1), QDate(2024, 3, 31));

    QVERIFY(data.updateCalendarDays(2, QDate(2024, 3, 1), QDate(2024, 3, 31),
                                    {day(QDate(2024, 3, 7), {interval(8, 12), interval(13, 17)})}, &error));
    QVERIFY(planned.recomputeSchedule(2, QDate(2024, 3, 1), QDate(2024, 3, 31), &error));
    QCOMPARE(plannedDays(engine, 11), (QHash<QDate, int>{{QDate(2024, 3, 7), 8 * Hour}}));
    QCOMPARE(plannedSum(engine, 12, QDate(2024, 3, 1), QDate(2024, 3, 31)), before12);

    // Saving employee 10's personal calendar rebuilds only its owner's month.
    QVERIFY(data.updateCalendarDays(3, QDate(2024, 3, 1), QDate(2024, 3, 31), {day(QDate(2024, 3, 9), {interval(10, 11)})},
                                    &error));
    QVERIFY(planned.recomputeSchedule(3, &error));
    QCOMPARE(plannedDays(engine, 10), (QHash<QDate, int>{{QDate(2024, 3, 9), Hour}}));
}

void TestPlannedTimeTable::horizonLimitsOpenHistories()
{
    QFETCH(int, engine);
    WorkerDataStore data(m_engines.at(engine).db(), m_engines.at(engine).dialect);
    QString error;
    QVERIFY(data.setScheduleHistories({{12, {12, {historyRecord(1, QDate(), QDate())}}}}, &error));
    PlannedTimeTable planned = table(engine);
    planned.setHorizon(QDate(2024, 2, 1), QDate(2024, 2, 29));
    QVERIFY(planned.recompute({12}, QDate(), QDate(), &error));
    const QHash<QDate, int> days = plannedDays(engine, 12);
    QCOMPARE(days.size(), 21);
    for (auto it = days.cbegin(); it != days.cend(); ++it)
        QCOMPARE(it.key().month(), 2);
}

OV_TEST_GUILESS_MAIN(TestPlannedTimeTable)
#include "tst_plannedtimetable.moc"
