#include "asyncsqlcatalogue.h"
#include "asyncsqlrunner.h"
#include "fatalwarnings.h"
#include "ovdatastream.h"
#include "plannedtimetable.h"
#include "storagetestdatabase.h"
#include "workerdatastore.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace orvanta;

namespace {

constexpr int Hour = 3600;
constexpr quint64 Connection = 7;

struct AsyncResult
{
    QString name;
    QString queryId;
    qint32 status = 0;
    QString message;
    QList<DbResult> results;
};

AsyncResult decode(const QList<QVariant>& signalArguments)
{
    AsyncResult result;
    const Command command = signalArguments.at(0).value<Command>();
    result.name = command.name;
    OVDataStream stream(command.data);
    stream >> result.queryId >> result.status >> result.message >> result.results;
    return result;
}

// The query exactly as the client builds it.
DbQuery balanceQuery(const QDate& from, const QDate& to, const QVariant& workers)
{
    DbQuery query(AsyncSqlCatalogue::planningBalanceText());
    query.bindValue(QStringLiteral(":start"), from, DbQuery::In);
    query.bindValue(QStringLiteral(":finish"), to, DbQuery::In);
    query.bindValue(QStringLiteral(":workers"), workers, DbQuery::In);
    return query;
}

// Monday to Friday 09-13 + 14-18 from Monday 1 January 2024.
SCHEDULE_DATA weekSchedule()
{
    SCHEDULE_DATA schedule;
    schedule.id = 1;
    schedule.date = QDate(2024, 1, 1);
    schedule.cycle = {{0}, {0}, {0}, {0}, {0}, {-1}, {-1}};
    SCHEDULE_DATA::Shift shift;
    shift.intervals = {{0, 0, 0, 9 * Hour, 13 * Hour, 0}, {0, 0, 0, 14 * Hour, 18 * Hour, 1}};
    schedule.shifts = {shift};
    return schedule;
}

QHash<qint64, QPair<int, int>> balanceRows(const DbResult& result)
{
    QHash<qint64, QPair<int, int>> rows;
    for (int row = 0; row < result.rowCount(); ++row) {
        rows.insert(result.value(row, QStringLiteral("worker_id")).toLongLong(),
                    {result.value(row, QStringLiteral("norm_time")).toInt(),
                     result.value(row, QStringLiteral("plan_time")).toInt()});
    }
    return rows;
}

} // namespace

class TestAsyncSqlRunner : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void catalogue_data();
    void catalogue();

    void planningBalance_data();
    void planningBalance();
    void exactTextRunsOnPostgres_data() { addEngineRows(); }
    void exactTextRunsOnPostgres();

    void uncataloguedIsRefused_data() { addEngineRows(); }
    void uncataloguedIsRefused();
    void cancelAndDrop_data();
    void cancelAndDrop();
    void resubmittedIdReplacesTheQueuedOne_data() { addEngineRows(); }
    void resubmittedIdReplacesTheQueuedOne();
    void sqlFailureIsAnErrorStatus();

private:
    void addEngineRows() { StorageTestDatabase::addRows(m_engines); }
    void fillBalanceData(int engine);

    QTemporaryDir m_folder;
    QList<StorageTestDatabase> m_engines;
};

void TestAsyncSqlRunner::initTestCase()
{
    qRegisterMetaType<Command>();
    QVERIFY(m_folder.isValid());
    m_engines = StorageTestDatabase::openAll(m_folder.path(), &WorkerDataStore::schemaStatements);
    QVERIFY(!m_engines.isEmpty());
    for (int i = 0; i < m_engines.size(); ++i)
        fillBalanceData(i);
}

void TestAsyncSqlRunner::cleanupTestCase()
{
    StorageTestDatabase::dropAll(m_engines);
}

// Employee 10: the week schedule and a payroll norm of 8 h on weekdays except 1 January (a holiday);
// 11: a norm and no schedule; 12: a schedule and no norm; 13: both, never asked for.
// Norm outside January (31 December, 1 February) must not count.
void TestAsyncSqlRunner::fillBalanceData(int engine)
{
    const StorageTestDatabase& database = m_engines.at(engine);
    WorkerDataStore data(database.db(), database.dialect);
    QString error;
    _WORKER_SCHEDULE_HISTORY_RECORD_V2 record;
    record.schedule = 1;
    record.from = QDate(2024, 1, 1);
    QVERIFY(data.setScheduleHistories({{10, {10, {record}}}, {12, {12, {record}}}, {13, {13, {record}}}}, &error));
    PlannedTimeTable planned(database.db(), database.dialect, [](int id) {
        return id == 1 ? weekSchedule() : SCHEDULE_DATA();
    });
    planned.setHorizon(QDate(2023, 1, 1), QDate(2024, 12, 31));
    QVERIFY(planned.recompute({10, 12, 13}, QDate(), QDate(), &error));

    QList<WORKER_NORM_TIME> norms;
    for (QDate date(2023, 12, 31); date <= QDate(2024, 2, 1); date = date.addDays(1)) {
        if (date.dayOfWeek() > 5 || date == QDate(2024, 1, 1))
            continue;
        for (const uint worker : {10u, 11u, 13u})
            norms.append({0, date, worker, 8 * Hour});
    }
    norms.append({0, QDate(2023, 12, 31), 10, 8 * Hour});
    QVERIFY2(data.insertNormTime(norms, &error), qPrintable(error));
}

void TestAsyncSqlRunner::catalogue_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QVariant>("workers");
    QTest::addColumn<QVariant>("start");
    QTest::addColumn<bool>("accepted");

    const QString text = AsyncSqlCatalogue::planningBalanceText();
    const QVariant start = QDate(2024, 1, 1);
    QTest::addRow("the client's text") << text << QVariant(QStringLiteral("{12,15,40}")) << start << true;
    QString spaced = text;
    spaced.replace(QStringLiteral(", "), QStringLiteral(",\n\t ")).prepend(QStringLiteral("  "));
    QTest::addRow("other white space") << spaced << QVariant(QStringLiteral("{12}")) << start << true;
    QTest::addRow("no workers") << text << QVariant(QVariant::List) << start << true;
    QTest::addRow("workers as a list value") << text << QVariant(QVariantList{12, 15}) << start << true;
    QTest::addRow("empty array") << text << QVariant(QStringLiteral("{}")) << start << true;
    QTest::addRow("date as text") << text << QVariant(QStringLiteral("{12}")) << QVariant(QStringLiteral("2024-01-01")) << true;

    QTest::addRow("another statement") << QStringLiteral("SELECT * FROM users") << QVariant(QStringLiteral("{12}"))
                                       << start << false;
    QString spliced = text;
    spliced.replace(QStringLiteral(":workers::BIGINT[]"), QStringLiteral("'{12}'::BIGINT[]"));
    QTest::addRow("value spliced into the text") << spliced << QVariant(QStringLiteral("{12}")) << start << false;
    QTest::addRow("case changed") << text.toLower() << QVariant(QStringLiteral("{12}")) << start << false;
    QTest::addRow("workers not an array") << text << QVariant(QStringLiteral("{12}); DROP TABLE users; --"))
                                          << start << false;
    QTest::addRow("negative worker") << text << QVariant(QVariantList{-3}) << start << false;
    QTest::addRow("start is not a date") << text << QVariant(QStringLiteral("{12}")) << QVariant(QStringLiteral("вчера"))
                                         << false;
}

void TestAsyncSqlRunner::catalogue()
{
    QFETCH(QString, sql);
    QFETCH(QVariant, workers);
    QFETCH(QVariant, start);
    QFETCH(bool, accepted);
    DbQuery query = balanceQuery(QDate(), QDate(2024, 1, 31), workers);
    query.setSql(sql);
    query.bindValue(QStringLiteral(":start"), start);
    for (const SqlDialect dialect : {SqlDialect::Sqlite, SqlDialect::PostgreSql}) {
        AsyncSqlCatalogue::Statement statement;
        QString error;
        if (!accepted)
            ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral(".*")));
        QCOMPARE(AsyncSqlCatalogue::resolve(query, dialect, &statement, &error), accepted);
        QCOMPARE(error.isEmpty(), accepted);
        if (accepted)
            QVERIFY(!statement.sql.contains(QStringLiteral("2024")));
    }
}

void TestAsyncSqlRunner::planningBalance_data()
{
    QTest::addColumn<int>("engine");
    QTest::addColumn<QVariant>("workers");
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<QList<qint64>>("expectedWorkers");
    QTest::addColumn<QList<int>>("expectedNorm");
    QTest::addColumn<QList<int>>("expectedPlan");

    // January 2024: 23 weekdays, 22 of them with a norm.
    for (int i = 0; i < m_engines.size(); ++i) {
        const QByteArray tag = m_engines.at(i).tag.toUtf8();
        QTest::addRow("%s: norm and plan, each alone", tag.constData())
            << i << QVariant(QStringLiteral("{10,11,12}")) << QDate(2024, 1, 1) << QDate(2024, 1, 31)
            << QList<qint64>{10, 11, 12} << QList<int>{22 * 8 * Hour, 22 * 8 * Hour, 0}
            << QList<int>{23 * 8 * Hour, 0, 23 * 8 * Hour};
        QTest::addRow("%s: both ends of the range count", tag.constData())
            << i << QVariant(QStringLiteral("{10}")) << QDate(2024, 1, 2) << QDate(2024, 1, 3) << QList<qint64>{10}
            << QList<int>{2 * 8 * Hour} << QList<int>{2 * 8 * Hour};
        QTest::addRow("%s: a weekend", tag.constData())
            << i << QVariant(QStringLiteral("{10}")) << QDate(2024, 1, 6) << QDate(2024, 1, 7) << QList<qint64>{}
            << QList<int>{} << QList<int>{};
        QTest::addRow("%s: null workers give no rows", tag.constData())
            << i << QVariant(QVariant::List) << QDate(2024, 1, 1) << QDate(2024, 1, 31) << QList<qint64>{}
            << QList<int>{} << QList<int>{};
    }
}

void TestAsyncSqlRunner::planningBalance()
{
    QFETCH(int, engine);
    QFETCH(QVariant, workers);
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(QList<qint64>, expectedWorkers);
    QFETCH(QList<int>, expectedNorm);
    QFETCH(QList<int>, expectedPlan);
    AsyncSqlRunner runner(m_engines.at(engine).db(), m_engines.at(engine).dialect);
    QSignalSpy spy(&runner, &AsyncSqlRunner::resultReady);
    QString error;
    QVERIFY2(runner.submit(QStringLiteral("client-1"), QStringLiteral("planning_balance_query_0"),
                           balanceQuery(from, to, workers), Connection, &error),
             qPrintable(error));
    QCOMPARE(spy.count(), 0);
    QVERIFY(spy.wait(5000));
    QCOMPARE(spy.first().at(1).toULongLong(), Connection);
    const AsyncResult result = decode(spy.first());
    QCOMPARE(result.name, QStringLiteral("datamanager.async_result:client-1"));
    QCOMPARE(result.queryId, QStringLiteral("planning_balance_query_0"));
    QCOMPARE(result.status, 1);
    QCOMPARE(result.results.size(), 1);
    QCOMPARE(result.results.first().columns(),
             (QStringList{QStringLiteral("worker_id"), QStringLiteral("norm_time"), QStringLiteral("plan_time")}));
    const QHash<qint64, QPair<int, int>> rows = balanceRows(result.results.first());
    QCOMPARE(rows.size(), expectedWorkers.size());
    for (int i = 0; i < expectedWorkers.size(); ++i)
        QCOMPARE(rows.value(expectedWorkers.at(i)), qMakePair(expectedNorm.at(i), expectedPlan.at(i)));
}

void TestAsyncSqlRunner::exactTextRunsOnPostgres()
{
    QFETCH(int, engine);
    if (m_engines.at(engine).dialect != SqlDialect::PostgreSql)
        QSKIP("the client's text is PostgreSQL's own");
    QSqlQuery query(m_engines.at(engine).db());
    QVERIFY(query.prepare(AsyncSqlCatalogue::planningBalanceText()));
    query.bindValue(QStringLiteral(":start"), QDate(2024, 1, 1));
    query.bindValue(QStringLiteral(":finish"), QDate(2024, 1, 31));
    query.bindValue(QStringLiteral(":workers"), QStringLiteral("{10}"));
    QVERIFY2(query.exec(), qPrintable(query.lastError().text()));
    QVERIFY(query.next());
    QCOMPARE(query.value(QStringLiteral("worker_id")).toLongLong(), 10);
    QCOMPARE(query.value(QStringLiteral("norm_time")).toInt(), 22 * 8 * Hour);
    QCOMPARE(query.value(QStringLiteral("plan_time")).toInt(), 23 * 8 * Hour);
    QVERIFY(!query.next());
}

void TestAsyncSqlRunner::uncataloguedIsRefused()
{
    QFETCH(int, engine);
    AsyncSqlRunner runner(m_engines.at(engine).db(), m_engines.at(engine).dialect);
    QSignalSpy spy(&runner, &AsyncSqlRunner::resultReady);
    QString error;
    ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("query not catalogued")));
    QVERIFY(!runner.submit(QStringLiteral("client-1"), QStringLiteral("q"),
                           DbQuery(QStringLiteral("DELETE FROM worker_norm_time")), Connection, &error));
    QCOMPARE(error, QStringLiteral("Запрос не входит в список разрешённых"));
    QCOMPARE(runner.pendingCount(), 0);
    QTest::qWait(20);
    QCOMPARE(spy.count(), 0);
}

void TestAsyncSqlRunner::cancelAndDrop_data()
{
    QTest::addColumn<int>("engine");
    QTest::addColumn<bool>("dropConnection");
    for (int i = 0; i < m_engines.size(); ++i) {
        QTest::addRow("%s: cancelled before it ran", qPrintable(m_engines.at(i).tag)) << i << false;
        QTest::addRow("%s: its connection closed", qPrintable(m_engines.at(i).tag)) << i << true;
    }
}

void TestAsyncSqlRunner::cancelAndDrop()
{
    QFETCH(int, engine);
    QFETCH(bool, dropConnection);
    AsyncSqlRunner runner(m_engines.at(engine).db(), m_engines.at(engine).dialect);
    QSignalSpy spy(&runner, &AsyncSqlRunner::resultReady);
    QString error;
    const DbQuery query = balanceQuery(QDate(2024, 1, 1), QDate(2024, 1, 31), QStringLiteral("{10}"));
    QVERIFY(runner.submit(QStringLiteral("client-1"), QStringLiteral("first"), query, Connection, &error));
    QVERIFY(runner.submit(QStringLiteral("client-2"), QStringLiteral("first"), query, Connection + 1, &error));
    if (dropConnection)
        runner.dropConnection(Connection);
    else
        runner.cancel(QStringLiteral("client-1"), QStringLiteral("first"));
    QVERIFY(spy.wait(5000));
    QTest::qWait(20);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(decode(spy.first()).name, QStringLiteral("datamanager.async_result:client-2"));
    QCOMPARE(spy.first().at(1).toULongLong(), Connection + 1);
}

void TestAsyncSqlRunner::resubmittedIdReplacesTheQueuedOne()
{
    QFETCH(int, engine);
    AsyncSqlRunner runner(m_engines.at(engine).db(), m_engines.at(engine).dialect);
    QSignalSpy spy(&runner, &AsyncSqlRunner::resultReady);
    QString error;
    QVERIFY(runner.submit(QStringLiteral("client-1"), QStringLiteral("q"),
                          balanceQuery(QDate(2024, 1, 1), QDate(2024, 1, 31), QStringLiteral("{10}")), Connection, &error));
    QVERIFY(runner.submit(QStringLiteral("client-1"), QStringLiteral("q"),
                          balanceQuery(QDate(2024, 1, 1), QDate(2024, 1, 31), QStringLiteral("{11}")), Connection, &error));
    QCOMPARE(runner.pendingCount(), 1);
    QVERIFY(spy.wait(5000));
    QTest::qWait(20);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(balanceRows(decode(spy.first()).results.first()).keys(), QList<qint64>{11});
}

void TestAsyncSqlRunner::sqlFailureIsAnErrorStatus()
{
    StorageTestDatabase::withoutSchema([](const QSqlDatabase& empty) {
        AsyncSqlRunner runner(empty, SqlDialect::Sqlite);
        QSignalSpy spy(&runner, &AsyncSqlRunner::resultReady);
        QString error;
        QVERIFY(runner.submit(QStringLiteral("client-1"), QStringLiteral("q"),
                              balanceQuery(QDate(2024, 1, 1), QDate(2024, 1, 31), QStringLiteral("{10}")), Connection,
                              &error));
        ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("async query failed")));
        QVERIFY(spy.wait(5000));
        const AsyncResult result = decode(spy.first());
        QCOMPARE(result.status, qint32(AsyncSqlRunner::StatusFailed));
        QCOMPARE(result.message, QStringLiteral("Ошибка выполнения запроса"));
        QVERIFY(result.results.isEmpty());
    });
}

OV_TEST_GUILESS_MAIN(TestAsyncSqlRunner)
#include "tst_asyncsqlrunner.moc"
