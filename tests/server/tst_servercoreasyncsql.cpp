#include "asyncsqlcatalogue.h"
#include "dbresult.h"
#include "servercorefixture.h"

using BalanceRows = QMap<qint64, QPair<int, int>>;
Q_DECLARE_METATYPE(BalanceRows)

namespace {

struct AsyncResult
{
    QString client;
    QString queryId;
    qint32 status = 0;
    QString message;
    QList<DbResult> results;
    quint64 connection = 0;
};

AsyncResult decode(const QList<QVariant>& pushedArguments)
{
    AsyncResult result;
    const Command command = pushedArguments.at(0).value<Command>();
    result.client = command.name.mid(QLatin1String(ServerCommands::AsyncResultPrefix).size());
    result.connection = pushedArguments.at(1).toULongLong();
    OVDataStream stream(command.data);
    stream >> result.queryId >> result.status >> result.message >> result.results;
    return result;
}

// Worker id -> (norm, plan) of a result with the client's column names.
BalanceRows balanceRows(const DbResult& result)
{
    BalanceRows rows;
    for (int row = 0; row < result.rowCount(); ++row) {
        rows.insert(result.value(row, QStringLiteral("worker_id")).toLongLong(),
                    {result.value(row, QStringLiteral("norm_time")).toInt(), result.value(row, QStringLiteral("plan_time")).toInt()});
    }
    return rows;
}

} // namespace

// The clients' asynchronous SQL: the planning balance over the seeded norm and the planned time
// the server keeps, answered on a later turn to the asking connection.
class tst_ServerCoreAsyncSql : public QObject, public ServerCoreFixture
{
    Q_OBJECT

    // The query exactly as the client builds it, sent on connection.
    void submit(const QString& client, const QVariant& workers, quint64 connection = 1,
                const QDate& from = QDate(2026, 3, 1), const QDate& to = QDate(2026, 3, 31))
    {
        DbQuery query(AsyncSqlCatalogue::planningBalanceText());
        query.bindValue(QStringLiteral(":start"), from, DbQuery::In);
        query.bindValue(QStringLiteral(":finish"), to, DbQuery::In);
        query.bindValue(QStringLiteral(":workers"), workers, DbQuery::In);
        Command request;
        request.name = Data::commandName(Data::ExecAsyncSql);
        request.data = pack(client, QStringLiteral("balance"), query);
        request.session = m_sessions.value(QStringLiteral("viewer"));
        QCOMPARE(m_core->handle(request, connection).result, int(ResultSuccess));
    }

private slots:
    void initTestCase_data() { addEngines(); }
    void init()
    {
        QFETCH_GLOBAL(QString, engine);
        openFresh(engine);
    }
    void cleanup() { m_core.reset(); }

    void planningBalance_data()
    {
        QTest::addColumn<QVariant>("workers");
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<BalanceRows>("expected");

        // Petrova follows the cycle, Sunday to Thursday from 1 March: 23 days of March; Ivanov's
        // March is his personal schedule's, without days. The norm of each day of March is 8 h
        // and as many seconds as the day's number.
        const int day = 8 * Hour;
        const QDate first(2026, 3, 1), last(2026, 3, 31);
        QTest::newRow("March, norm and plan") << QVariant(QStringLiteral("{201,202}")) << first << last
                                              << BalanceRows{{Ivanov, {31 * day + 496, 0}}, {Petrova, {31 * day + 496, 23 * day}}};
        QTest::newRow("both ends of the range count") << QVariant(QVariantList{Petrova}) << QDate(2026, 3, 2) << QDate(2026, 3, 3)
                                                      << BalanceRows{{Petrova, {2 * day + 5, 2 * day}}};
        QTest::newRow("days off") << QVariant(QStringLiteral("{202}")) << QDate(2026, 3, 6) << QDate(2026, 3, 7)
                                  << BalanceRows{{Petrova, {2 * day + 13, 0}}};
        QTest::newRow("null workers give no rows") << QVariant(QVariant::List) << first << last << BalanceRows{};
    }

    void planningBalance()
    {
        QFETCH(QVariant, workers);
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(BalanceRows, expected);
        // Saving a history rebuilds the planned time it changes.
        const WORKER_SCHEDULE_HISTORY_V2 history{Petrova, {historyRecord(CycleSchedule, QDate(2026, 1, 1), QDate())}};
        QVERIFY(ask(Data::SetWorkerSchedules, pack(QHash<uint, WORKER_SCHEDULE_HISTORY_V2>{{Petrova, history}})));
        QSignalSpy pushed(m_core.get(), &ServerCore::pushed);
        submit(QStringLiteral("client-1"), workers, 7, from, to);
        QCOMPARE(pushed.count(), 0);
        QVERIFY(pushed.wait(5000));
        const AsyncResult result = decode(pushed.first());
        QCOMPARE(result.client, QStringLiteral("client-1"));
        QCOMPARE(result.connection, quint64(7));
        QCOMPARE(result.queryId, QStringLiteral("balance"));
        QCOMPARE(result.status, 1);
        QCOMPARE(result.results.size(), 1);
        QCOMPARE(result.results.first().columns(), (QStringList{"worker_id", "norm_time", "plan_time"}));
        QCOMPARE(balanceRows(result.results.first()), expected);
    }

    void queue_data()
    {
        QTest::addColumn<QString>("secondClient");
        QTest::addColumn<quint64>("secondConnection");
        QTest::addColumn<QString>("then");
        QTest::addColumn<QStringList>("answers");

        // client-1 asks for Ivanov on connection 1, then someone asks for Petrova.
        QTest::addRow("cancelled before it ran") << "client-2" << quint64(2) << "cancel" << QStringList{"client-2 202"};
        QTest::addRow("its connection closed") << "client-2" << quint64(2) << "close" << QStringList{"client-2 202"};
        QTest::addRow("same id resubmitted") << "client-1" << quint64(1) << "" << QStringList{"client-1 202"};
        QTest::addRow("both answered in turn") << "client-2" << quint64(2) << "" << QStringList{"client-1 201", "client-2 202"};
    }

    void queue()
    {
        QFETCH(QString, secondClient);
        QFETCH(quint64, secondConnection);
        QFETCH(QString, then);
        QFETCH(QStringList, answers);
        QSignalSpy pushed(m_core.get(), &ServerCore::pushed);
        submit(QStringLiteral("client-1"), QStringLiteral("{201}"));
        submit(secondClient, QStringLiteral("{202}"), secondConnection);
        if (then == QLatin1String("cancel"))
            QVERIFY(ask(Data::CancelAsyncSql, pack(QStringLiteral("client-1"), QStringLiteral("balance"))));
        else if (then == QLatin1String("close"))
            m_core->connectionClosed(1);
        QTRY_COMPARE(pushed.count(), answers.size());
        QTest::qWait(20);
        QStringList answered;
        for (const QList<QVariant>& arguments : qAsConst(pushed)) {
            const AsyncResult result = decode(arguments);
            QCOMPARE(result.connection, result.client == secondClient ? secondConnection : quint64(1));
            answered.append(result.client + QLatin1Char(' ') + QString::number(balanceRows(result.results.first()).firstKey()));
        }
        QCOMPARE(answered, answers);
    }
};

OV_TEST_GUILESS_MAIN(tst_ServerCoreAsyncSql)
#include "tst_servercoreasyncsql.moc"
