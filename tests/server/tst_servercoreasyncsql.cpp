#include "asyncsqlcatalogue.h"
#include "dbresult.h"
#include "serverfixture.h"

using BalanceRows = QMap<qint64, QPair<int, int>>;
Q_DECLARE_METATYPE(BalanceRows)

namespace {

// A pushed answer as "client on connection: query id, status", with its rows put into rows.
QString answer(const QList<QVariant>& pushedArguments, BalanceRows* rows)
{
    const Command command = pushedArguments.at(0).value<Command>();
    QString queryId, message;
    qint32 status = 0;
    QList<DbResult> results;
    OVDataStream stream(command.data);
    stream >> queryId >> status >> message >> results;
    // Worker id -> (norm, plan), read by the column names the client uses.
    const DbResult result = results.value(0);
    for (int row = 0; row < result.rowCount(); ++row) {
        rows->insert(result.value(row, QStringLiteral("worker_id")).toLongLong(),
                     {result.value(row, QStringLiteral("norm_time")).toInt(), result.value(row, QStringLiteral("plan_time")).toInt()});
    }
    return QStringLiteral("%1 on %2: %3, status %4").arg(command.name.mid(QLatin1String(ServerCommands::AsyncResultPrefix).size()))
        .arg(pushedArguments.at(1).toULongLong()).arg(queryId).arg(status);
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
        BalanceRows rows;
        QCOMPARE(answer(pushed.first(), &rows), QStringLiteral("client-1 on 7: balance, status 1"));
        QCOMPARE(rows, expected);
    }

    void queue_data()
    {
        QTest::addColumn<QString>("secondClient");
        QTest::addColumn<QString>("then");
        QTest::addColumn<QStringList>("answers");

        // client-1 asks for Ivanov on connection 1 as the viewer, then a client asks for Petrova on its own connection.
        const QString first = QStringLiteral("client-1 on 1: balance, status 1 for 201");
        const QString second = QStringLiteral("client-2 on 2: balance, status 1 for 202");
        QTest::addRow("cancelled before it ran") << "client-2" << "viewer" << QStringList{second};
        QTest::addRow("another session cannot cancel it") << "client-2" << "planner" << QStringList{first, second};
        QTest::addRow("its connection closed") << "client-2" << "close" << QStringList{second};
        QTest::addRow("same id resubmitted") << "client-1" << "" << QStringList{"client-1 on 1: balance, status 1 for 202"};
        QTest::addRow("both answered in turn") << "client-2" << "" << QStringList{first, second};
    }

    void queue()
    {
        QFETCH(QString, secondClient);
        QFETCH(QString, then);
        QFETCH(QStringList, answers);
        QSignalSpy pushed(m_core.get(), &ServerCore::pushed);
        submit(QStringLiteral("client-1"), QStringLiteral("{201}"));
        submit(secondClient, QStringLiteral("{202}"), secondClient == QLatin1String("client-1") ? 1 : 2);
        if (m_sessions.contains(then))
            QCOMPARE(sendData(Data::CancelAsyncSql, pack(QStringLiteral("client-1"), QStringLiteral("balance")), then).result,
                     int(ResultSuccess));
        else if (then == QLatin1String("close"))
            m_core->connectionClosed(1);
        QTRY_COMPARE(pushed.count(), answers.size());
        QTest::qWait(20);
        QStringList answered;
        for (const QList<QVariant>& arguments : qAsConst(pushed)) {
            BalanceRows rows;
            const QString text = answer(arguments, &rows);
            answered.append(text + QStringLiteral(" for ") + QString::number(rows.firstKey()));
        }
        QCOMPARE(answered, answers);
    }
};

OV_TEST_GUILESS_MAIN(tst_ServerCoreAsyncSql)
#include "tst_servercoreasyncsql.moc"
