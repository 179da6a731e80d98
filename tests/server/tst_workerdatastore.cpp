#include "fatalwarnings.h"
#include "storagetestdatabase.h"
#include "workerdatastore.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace orvanta;

using HistoryRecords = QList<_WORKER_SCHEDULE_HISTORY_RECORD_V2>;
using AbsenceRecords = QList<_WORKER_ABSENCE_REASON_RECORD>;

Q_DECLARE_METATYPE(orvanta::_WORKER_SCHEDULE_HISTORY_RECORD_V2)

namespace {

const QStringList Tables{QStringLiteral("worker_schedule_history"), QStringLiteral("worker_absence"),
                         QStringLiteral("worker_norm_time"),        QStringLiteral("worker_sync_time"),
                         QStringLiteral("sales_plan"),              QStringLiteral("hours_budget"),
                         QStringLiteral("schedule_calendar_day"),   QStringLiteral("planned_time")};

_WORKER_SCHEDULE_HISTORY_RECORD_V2 historyRecord(TYPE_ID schedule, const QDate& from, const QDate& to, int state = 1)
{
    _WORKER_SCHEDULE_HISTORY_RECORD_V2 record;
    record.schedule = schedule;
    record.from = from;
    record.to = to;
    record.state = state;
    record.date = from.isValid() ? from : QDate(2024, 1, 1);
    return record;
}

_WORKER_ABSENCE_REASON_RECORD absence(TYPE_ID reason, const QDateTime& start, const QDateTime& end,
                                      const QString& comment = QString(),
                                      TYPE_ID id = _WORKER_ABSENCE_REASON_RECORD::NEW_RECORD_ID)
{
    _WORKER_ABSENCE_REASON_RECORD record;
    record.id = id;
    record.reason = reason;
    record.start = start;
    record.end = end;
    record.timed = start.time() != QTime(0, 0);
    record.comment = comment;
    return record;
}

QDateTime at(int day, int hour = 0, int minute = 0)
{
    return QDateTime(QDate(2024, 3, day), QTime(hour, minute));
}

SCHEDULE_CALENDAR_DAY calendarDay(const QDate& date, const QList<QPair<int, int>>& intervals, TYPE_ID shift = 0)
{
    SCHEDULE_CALENDAR_DAY day;
    day.date = date;
    day.shift = shift;
    for (const auto& [start, finish] : intervals) {
        SCHEDULE_CALENDAR_INTERVAL interval;
        interval.start = start;
        interval.finish = finish;
        interval.order = day.intervals.size();
        day.intervals.append(interval);
    }
    day.start = intervals.isEmpty() ? 0 : intervals.first().first;
    day.finish = intervals.isEmpty() ? 0 : intervals.last().second;
    return day;
}

// The fields the client sends; ids and change times are the server's.
template<typename Record>
Record withoutIds(Record record)
{
    record.id = 0;
    return record;
}

HistoryRecords withoutIds(HistoryRecords records)
{
    for (auto& record : records)
        record.id = 0;
    return records;
}

SCHEDULE_CALENDAR_DAY withoutIds(SCHEDULE_CALENDAR_DAY day)
{
    day.id = 0;
    for (SCHEDULE_CALENDAR_INTERVAL& interval : day.intervals)
        interval.dayId = 0;
    return day;
}

} // namespace

class TestWorkerDataStore : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void scheduleHistoriesReplace_data();
    void scheduleHistoriesReplace();
    void scheduleHistoryIdsKeptOnlyForTheirOwner_data() { addEngineRows(); }
    void scheduleHistoryIdsKeptOnlyForTheirOwner();

    void updateAbsences_data() { addEngineRows(); }
    void updateAbsences();
    void absenceOfAnotherEmployeeIsNotTaken_data() { addEngineRows(); }
    void absenceOfAnotherEmployeeIsNotTaken();

    void rangeFiltering_data();
    void rangeFiltering();

    void syncTimeConfirmAndReset_data() { addEngineRows(); }
    void syncTimeConfirmAndReset();

    void calendarDaysReplaceRange_data() { addEngineRows(); }
    void calendarDaysReplaceRange();
    void calendarDaysRefused_data();
    void calendarDaysRefused();

    void sqlFailureIsReturned();

private:
    void addEngineRows() { StorageTestDatabase::addRows(m_engines); }
    WorkerDataStore store(int engine) const { return {m_engines.at(engine).db(), m_engines.at(engine).dialect}; }

    QTemporaryDir m_folder;
    QList<StorageTestDatabase> m_engines;
};

void TestWorkerDataStore::initTestCase()
{
    QVERIFY(m_folder.isValid());
    m_engines = StorageTestDatabase::openAll(m_folder.path(), &WorkerDataStore::schemaStatements);
    QVERIFY(!m_engines.isEmpty());
}

void TestWorkerDataStore::cleanupTestCase()
{
    StorageTestDatabase::dropAll(m_engines);
}

void TestWorkerDataStore::init()
{
    for (const StorageTestDatabase& engine : m_engines)
        QVERIFY(engine.clear(Tables));
}

void TestWorkerDataStore::scheduleHistoriesReplace_data()
{
    QTest::addColumn<int>("engine");
    QTest::addColumn<HistoryRecords>("first");
    QTest::addColumn<HistoryRecords>("second");

    const HistoryRecords twoPeriods{historyRecord(3, QDate(2024, 1, 1), QDate(2024, 2, 29)),
                                    historyRecord(4, QDate(2024, 3, 1), QDate())};
    for (int i = 0; i < m_engines.size(); ++i) {
        const QByteArray tag = m_engines.at(i).tag.toUtf8();
        QTest::addRow("%s: open ends on both sides", tag.constData())
            << i << HistoryRecords{} << HistoryRecords{historyRecord(5, QDate(), QDate())};
        QTest::addRow("%s: replaced by one period", tag.constData())
            << i << twoPeriods << HistoryRecords{historyRecord(7, QDate(2024, 5, 1), QDate(2024, 5, 31))};
        QTest::addRow("%s: inactive record kept in order", tag.constData())
            << i << HistoryRecords{}
            << HistoryRecords{historyRecord(3, QDate(2024, 1, 1), QDate(2024, 1, 31), 0),
                              historyRecord(4, QDate(2024, 2, 1), QDate())};
        QTest::addRow("%s: emptied", tag.constData()) << i << twoPeriods << HistoryRecords{};
    }
}

void TestWorkerDataStore::scheduleHistoriesReplace()
{
    QFETCH(int, engine);
    QFETCH(HistoryRecords, first);
    QFETCH(HistoryRecords, second);
    WorkerDataStore data = store(engine);
    const HistoryRecords neighbour{historyRecord(9, QDate(2023, 1, 1), QDate())};
    QString error;
    QVERIFY(data.setScheduleHistories({{10, {10, first}}, {11, {11, neighbour}}}, &error));
    QVERIFY(data.setScheduleHistories({{10, {10, second}}}, &error));

    QHash<uint, WORKER_SCHEDULE_HISTORY_V2> read;
    QVERIFY2(data.scheduleHistories({10, 11, 12}, &read, &error), qPrintable(error));
    QCOMPARE(withoutIds(read.value(10).records), second);
    QCOMPARE(withoutIds(read.value(11).records), neighbour);
    QCOMPARE(read.contains(10), !second.isEmpty());
    QVERIFY(!read.contains(12));
}

void TestWorkerDataStore::scheduleHistoryIdsKeptOnlyForTheirOwner()
{
    QFETCH(int, engine);
    WorkerDataStore data = store(engine);
    QString error;
    QVERIFY(data.setScheduleHistories({{10, {10, {historyRecord(3, QDate(2024, 1, 1), QDate())}}},
                                       {11, {11, {historyRecord(4, QDate(2024, 1, 1), QDate())}}}},
                                      &error));
    QHash<uint, WORKER_SCHEDULE_HISTORY_V2> read;
    QVERIFY(data.scheduleHistories({10, 11}, &read, &error));
    const TYPE_ID ownId = read.value(10).records.first().id;
    const TYPE_ID foreignId = read.value(11).records.first().id;
    QVERIFY(ownId != 0 && foreignId != 0 && ownId != foreignId);

    // A second save of employee 10 naming its own record and, wrongly, employee 11's.
    _WORKER_SCHEDULE_HISTORY_RECORD_V2 own = read.value(10).records.first();
    own.to = QDate(2024, 6, 30);
    _WORKER_SCHEDULE_HISTORY_RECORD_V2 stolen = read.value(11).records.first();
    stolen.from = QDate(2024, 7, 1);
    QVERIFY(data.setScheduleHistories({{10, {10, {own, stolen}}}}, &error));

    QVERIFY(data.scheduleHistories({10, 11}, &read, &error));
    QCOMPARE(read.value(10).records.size(), 2);
    QCOMPARE(read.value(10).records.at(0).id, ownId);
    QCOMPARE(read.value(10).records.at(0).to, QDate(2024, 6, 30));
    QVERIFY(read.value(10).records.at(1).id != foreignId);
    QCOMPARE(read.value(11).records.first().id, foreignId);
    QCOMPARE(read.value(11).records.first().from, QDate(2024, 1, 1));
}

void TestWorkerDataStore::updateAbsences()
{
    QFETCH(int, engine);
    WorkerDataStore data = store(engine);
    QString error;
    const QDateTime beforeFirstSave = QDateTime::currentDateTime().addMSecs(-1);
    const AbsenceRecords saved{absence(501, at(4), at(6), QStringLiteral("отпуск")),
                               absence(502, at(10, 14, 30), at(12, 10)),
                               absence(503, at(20), at(20))};
    QVERIFY2(data.updateAbsences({{10, {10, saved}}}, &error), qPrintable(error));

    QHash<uint, _WORKER_ABSENCE_REASON> read;
    QHash<uint, QDateTime> changeTimes;
    QVERIFY(data.absences({10}, &read, &changeTimes, &error));
    AbsenceRecords stored = read.value(10).records;
    QCOMPARE(stored.size(), 3);
    QSet<TYPE_ID> ids;
    for (int i = 0; i < stored.size(); ++i) {
        QVERIFY(!stored.at(i).isNew() && stored.at(i).id != 0);
        ids.insert(stored.at(i).id);
        QVERIFY(changeTimes.value(stored.at(i).id) >= beforeFirstSave);
        _WORKER_ABSENCE_REASON_RECORD compared = stored.at(i);
        compared.id = saved.at(i).id;
        compared.changeTime = QDateTime();
        QCOMPARE(compared, saved.at(i));
    }
    QCOMPARE(ids.size(), 3);

    // Keep the first unchanged, change the second's comment, drop the third, add one.
    QTest::qWait(5);
    const QDateTime beforeSecondSave = QDateTime::currentDateTime();
    AbsenceRecords next{stored.at(0), stored.at(1), absence(504, at(25), at(26))};
    next[1].comment = QStringLiteral("исправлено");
    QVERIFY(data.updateAbsences({{10, {10, next}}}, &error));

    QVERIFY(data.absences({10}, &read, &changeTimes, &error));
    const AbsenceRecords after = read.value(10).records;
    QCOMPARE(after.size(), 3);
    QCOMPARE(after.at(0).id, stored.at(0).id);
    QCOMPARE(after.at(0).changeTime, stored.at(0).changeTime);
    QCOMPARE(after.at(1).id, stored.at(1).id);
    QCOMPARE(after.at(1).comment, QStringLiteral("исправлено"));
    QVERIFY(after.at(1).changeTime >= beforeSecondSave);
    QVERIFY(!ids.contains(after.at(2).id));
    QCOMPARE(after.at(2).reason, TYPE_ID(504));
    QVERIFY(!changeTimes.contains(stored.at(2).id));
}

void TestWorkerDataStore::absenceOfAnotherEmployeeIsNotTaken()
{
    QFETCH(int, engine);
    WorkerDataStore data = store(engine);
    QString error;
    QVERIFY(data.updateAbsences({{11, {11, {absence(501, at(4), at(6))}}}}, &error));
    QHash<uint, _WORKER_ABSENCE_REASON> read;
    QHash<uint, QDateTime> changeTimes;
    QVERIFY(data.absences({11}, &read, &changeTimes, &error));
    const _WORKER_ABSENCE_REASON_RECORD foreign = read.value(11).records.first();

    _WORKER_ABSENCE_REASON_RECORD copy = foreign;
    copy.comment = QStringLiteral("чужая");
    QVERIFY(data.updateAbsences({{10, {10, {copy}}}}, &error));

    QVERIFY(data.absences({10, 11}, &read, &changeTimes, &error));
    QCOMPARE(read.value(11).records, AbsenceRecords{foreign});
    QCOMPARE(read.value(10).records.size(), 1);
    QVERIFY(read.value(10).records.first().id != foreign.id);
    QCOMPARE(read.value(10).records.first().comment, QStringLiteral("чужая"));
}

void TestWorkerDataStore::rangeFiltering_data()
{
    QTest::addColumn<int>("engine");
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<QDate>("firstDate");
    QTest::addColumn<QDate>("lastDate");
    QTest::addColumn<int>("days");

    // Every kind holds one record per day of March 2024 for ids 10 and 11.
    for (int i = 0; i < m_engines.size(); ++i) {
        const QByteArray tag = m_engines.at(i).tag.toUtf8();
        QTest::addRow("%s: both ends inclusive", tag.constData())
            << i << QDate(2024, 3, 5) << QDate(2024, 3, 9) << QDate(2024, 3, 5) << QDate(2024, 3, 9) << 5;
        QTest::addRow("%s: one day", tag.constData())
            << i << QDate(2024, 3, 31) << QDate(2024, 3, 31) << QDate(2024, 3, 31) << QDate(2024, 3, 31) << 1;
        QTest::addRow("%s: wider than the data", tag.constData())
            << i << QDate(2024, 2, 1) << QDate(2024, 4, 30) << QDate(2024, 3, 1) << QDate(2024, 3, 31) << 31;
        QTest::addRow("%s: before the data", tag.constData())
            << i << QDate(2024, 2, 1) << QDate(2024, 2, 29) << QDate() << QDate() << 0;
    }
}

void TestWorkerDataStore::rangeFiltering()
{
    QFETCH(int, engine);
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(QDate, firstDate);
    QFETCH(QDate, lastDate);
    QFETCH(int, days);
    WorkerDataStore data = store(engine);
    QString error;
    QList<WORKER_NORM_TIME> norms;
    QList<WORKER_SYNC_TIME> syncs;
    QList<SALES_PLAN> sales;
    QList<HOURS_BUDGET> budgets;
    for (QDate date(2024, 3, 1); date.month() == 3; date = date.addDays(1)) {
        for (const uint id : {10u, 11u}) {
            norms.append({0, date, id, 28800 + date.day()});
            syncs.append({0, date, id, date.day() % 2 == 0, QDateTime(date, QTime(20, 0)), QDateTime(),
                          date.day() == 1 ? QDateTime(date, QTime(6, 0)) : QDateTime()});
            sales.append({0, date, id, 1000000000000LL + date.day()});
            budgets.append({0, date, id, 100 + date.day()});
        }
    }
    QVERIFY(data.insertNormTime(norms, &error));
    QVERIFY(data.insertSyncTime(syncs, &error));
    QVERIFY(data.insertSalesPlan(sales, &error));
    QVERIFY(data.insertHoursBudget(budgets, &error));

    QList<WORKER_NORM_TIME> readNorms;
    QList<WORKER_SYNC_TIME> readSyncs;
    QHash<qint64, QDateTime> normCalcTimes;
    QList<SALES_PLAN> readSales;
    QList<HOURS_BUDGET> readBudgets;
    QVERIFY2(data.normTime(from, to, {10}, &readNorms, &error), qPrintable(error));
    QVERIFY2(data.syncTime(from, to, {10}, &readSyncs, &normCalcTimes, &error), qPrintable(error));
    QVERIFY2(data.salesPlan({10}, from, to, &readSales, &error), qPrintable(error));
    QVERIFY2(data.hoursBudget({10}, from, to, &readBudgets, &error), qPrintable(error));
    QCOMPARE(readNorms.size(), days);
    QCOMPARE(readSyncs.size(), days);
    QCOMPARE(readSales.size(), days);
    QCOMPARE(readBudgets.size(), days);
    if (days == 0)
        return;

    QCOMPARE(readNorms.first().date, firstDate);
    QCOMPARE(readNorms.last().date, lastDate);
    QCOMPARE(readSales.first().date, firstDate);
    QCOMPARE(readBudgets.last().date, lastDate);
    const auto expected = [&](auto record) {
        record.id = 0;
        return record;
    };
    const int firstIndex = 2 * (firstDate.day() - 1);
    QCOMPARE(expected(readNorms.first()), norms.at(firstIndex));
    QCOMPARE(expected(readSales.first()), sales.at(firstIndex));
    QCOMPARE(expected(readBudgets.first()), budgets.at(firstIndex));
    WORKER_SYNC_TIME sync = readSyncs.first();
    QCOMPARE(normCalcTimes.value(sync.key), sync.normCalcTime);
    sync.key = 0;
    QCOMPARE(sync, syncs.at(firstIndex));
    QCOMPARE(normCalcTimes.size(), firstDate.day() == 1 ? 1 : 0);
}

void TestWorkerDataStore::syncTimeConfirmAndReset()
{
    QFETCH(int, engine);
    WorkerDataStore data = store(engine);
    QString error;
    const QDateTime synced(QDate(2024, 3, 2), QTime(3, 0));
    QVERIFY(data.insertSyncTime({{0, QDate(2024, 3, 1), 10, true, synced, QDateTime(), QDateTime()},
                                 {0, QDate(2024, 2, 1), 10, true, synced, QDateTime(), QDateTime()}},
                                &error));
    const QDateTime confirmed(QDate(2024, 3, 15), QTime(12, 30, 15, 250));
    QVERIFY2(data.updateSaveTime(QDate(2024, 3, 20), {10, 11}, confirmed, &error), qPrintable(error));

    QList<WORKER_SYNC_TIME> read;
    QHash<qint64, QDateTime> normCalcTimes;
    QVERIFY(data.syncTime(QDate(2024, 3, 1), QDate(2024, 3, 31), {10, 11}, &read, &normCalcTimes, &error));
    QCOMPARE(read.size(), 2);
    for (const WORKER_SYNC_TIME& record : read) {
        QCOMPARE(record.date, QDate(2024, 3, 1));
        QCOMPARE(record.saveTime, confirmed);
        QCOMPARE(record.sync, record.worker == 10);
    }

    QVERIFY(data.resetSyncTime(QDate(2024, 3, 1), {10}, &error));
    QVERIFY(data.syncTime(QDate(2024, 2, 1), QDate(2024, 3, 31), {10}, &read, &normCalcTimes, &error));
    QCOMPARE(read.size(), 2);
    QCOMPARE(read.at(0).date, QDate(2024, 2, 1));
    QVERIFY(read.at(0).sync);
    QCOMPARE(read.at(0).syncTime, synced);
    QVERIFY(!read.at(1).sync);
    QVERIFY(!read.at(1).syncTime.isValid());
    QCOMPARE(read.at(1).saveTime, confirmed);
}

void TestWorkerDataStore::calendarDaysReplaceRange()
{
    QFETCH(int, engine);
    WorkerDataStore data = store(engine);
    QString error;
    QList<SCHEDULE_CALENDAR_DAY> march;
    for (QDate date(2024, 3, 1); date.month() == 3; date = date.addDays(1))
        march.append(calendarDay(date, {{28800, 43200}, {46800, 61200}}));
    march[9] = calendarDay(QDate(2024, 3, 10), {{79200, 21600}});
    march[10] = calendarDay(QDate(2024, 3, 11), {}, 777);
    QVERIFY2(data.updateCalendarDays(40, QDate(2024, 3, 1), QDate(2024, 3, 31), march, &error), qPrintable(error));
    QVERIFY(data.updateCalendarDays(41, QDate(2024, 3, 1), QDate(2024, 3, 31), march.mid(0, 3), &error));

    // The middle week is replaced by two days; the rest of the month stays.
    const QList<SCHEDULE_CALENDAR_DAY> week{calendarDay(QDate(2024, 3, 11), {{36000, 50400}}),
                                            calendarDay(QDate(2024, 3, 13), {})};
    QVERIFY(data.updateCalendarDays(40, QDate(2024, 3, 11), QDate(2024, 3, 17), week, &error));

    QHash<int, QList<SCHEDULE_CALENDAR_DAY>> read;
    QVERIFY2(data.calendarDays({40, 42}, QDate(2024, 3, 10), QDate(2024, 3, 18), &read, &error), qPrintable(error));
    QCOMPARE(read.keys().size(), 2);
    QVERIFY(read.value(42).isEmpty());
    const QList<SCHEDULE_CALENDAR_DAY> days = read.value(40);
    QCOMPARE(days.size(), 4);
    QCOMPARE(withoutIds(days.at(0)), march.at(9));
    QCOMPARE(withoutIds(days.at(1)), week.at(0));
    QCOMPARE(withoutIds(days.at(2)), week.at(1));
    QCOMPARE(withoutIds(days.at(3)), march.at(17));
    QVERIFY(days.at(0).id != 0);
    QCOMPARE(days.at(0).intervals.first().dayId, quint32(days.at(0).id));
}

void TestWorkerDataStore::calendarDaysRefused_data()
{
    QTest::addColumn<int>("engine");
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<QList<QDate>>("dates");
    for (int i = 0; i < m_engines.size(); ++i) {
        const QByteArray tag = m_engines.at(i).tag.toUtf8();
        QTest::addRow("%s: day after the range", tag.constData())
            << i << QDate(2024, 3, 1) << QDate(2024, 3, 31) << QList<QDate>{QDate(2024, 4, 1)};
        QTest::addRow("%s: date twice", tag.constData())
            << i << QDate(2024, 3, 1) << QDate(2024, 3, 31) << QList<QDate>{QDate(2024, 3, 5), QDate(2024, 3, 5)};
        QTest::addRow("%s: reversed range", tag.constData())
            << i << QDate(2024, 3, 31) << QDate(2024, 3, 1) << QList<QDate>{};
    }
}

void TestWorkerDataStore::calendarDaysRefused()
{
    QFETCH(int, engine);
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(QList<QDate>, dates);
    WorkerDataStore data = store(engine);
    QString error;
    QVERIFY(data.updateCalendarDays(40, QDate(2024, 3, 1), QDate(2024, 3, 31),
                                    {calendarDay(QDate(2024, 3, 5), {{28800, 61200}})}, &error));
    QList<SCHEDULE_CALENDAR_DAY> days;
    for (const QDate& date : dates)
        days.append(calendarDay(date, {}));
    ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("(day refused|wrong range)")));
    QVERIFY(!data.updateCalendarDays(40, from, to, days, &error));
    QVERIFY(!error.isEmpty());

    QHash<int, QList<SCHEDULE_CALENDAR_DAY>> read;
    QVERIFY(data.calendarDays({40}, QDate(2024, 3, 1), QDate(2024, 3, 31), &read, &error));
    QCOMPARE(read.value(40).size(), 1);
}

void TestWorkerDataStore::sqlFailureIsReturned()
{
    StorageTestDatabase::withoutSchema([](const QSqlDatabase& empty) {
        WorkerDataStore data(empty, SqlDialect::Sqlite);
        QString error;
        QList<WORKER_NORM_TIME> norms;
        ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("no such table")));
        QVERIFY(!data.normTime(QDate(2024, 3, 1), QDate(2024, 3, 31), {10}, &norms, &error));
        QVERIFY(error.contains(QStringLiteral("no such table")));
        ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("no such table")));
        QVERIFY(!data.setScheduleHistories({{10, {10, {historyRecord(3, QDate(), QDate())}}}}, &error));
    });
}

OV_TEST_GUILESS_MAIN(TestWorkerDataStore)
#include "tst_workerdatastore.moc"
