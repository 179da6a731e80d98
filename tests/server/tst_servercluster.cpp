#include "serverfixture.h"

#include "clientsession.h"
#include "connectionkeeper.h"
#include "localstorage.h"
#include "storagenotificationapplier.h"
#include "tcpcommandserver.h"
#include "tcpserverconnection.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QLoggingCategory>
#include <QSet>
#include <QTimer>

namespace {

constexpr int DeliveryLimitMs = 1500;
// How long a wait may take on a busy machine; the limits are checked on measured times.
constexpr int WaitMs = 20000;
constexpr quint64 Reader = 5;

QSet<int> backends(const QSqlDatabase& admin)
{
    QSqlQuery query(QStringLiteral("SELECT pid FROM pg_stat_activity WHERE datname = current_database() "
                                   "AND pid <> pg_backend_pid()"), admin);
    QSet<int> pids;
    while (query.next())
        pids.insert(query.value(0).toInt());
    return pids;
}

QByteArray renamed(TYPE_ID id, const char* type, TYPE_ID parent, const QString& name)
{
    return pack(object(id, type, parent, name), QList<_INHERIT_DATA>());
}

/// A server as ovserver runs it: a core and its TCP transport.
struct Server
{
    ServerCore core;
    TcpCommandServer tcp{&core};
};

} // namespace

// Several servers on one PostgreSQL database: what one commits reaches the clients of the others.
class tst_ServerCluster : public QObject, public ServerCoreFixture
{
    Q_OBJECT

private slots:
    void init()
    {
        if (postgresUrl().isEmpty())
            QSKIP("no PostgreSQL cluster (OV_TEST_PG_URL)");
        openFresh(QStringLiteral("postgresql"));
    }
    void cleanup() { m_core.reset(); }

    // A change committed through the first server is pushed by the second, in commit order, to
    // the sessions there that may read it; a new schedule, which all may read, closes each row.
    void deliveredByOtherServer_data()
    {
        QTest::addColumn<QString>("reader");
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<QStringList>("expected");
        const QString changed = QLatin1String(ServerCommands::DataChanged);
        QTest::addRow("employee renamed") << "viewer" << Data::UpdateObjectEx
            << renamed(Ivanov, db::orgstructure::WORKER, Shop, QStringLiteral("Иванов Пётр")) << QStringList{changed};
        // The rule's department changes with it, and everybody may read that.
        QTest::addRow("break rule, reader without its role") << "restricted" << Data::UpdateObjectEx
            << renamed(ShopRule, db::wt::BREAK_RULE, 0, QStringLiteral("Обед 45 минут")) << QStringList{changed};
        QTest::addRow("schedules removed") << "planner" << Data::RemoveSchedules << pack(QList<uint>{CalendarSchedule})
            << QStringList{ServerCommands::ScheduleBeforeRemove, ServerCommands::ScheduleRemoved};
    }
    void deliveredByOtherServer()
    {
        QFETCH(QString, reader);
        QFETCH(QString, operation);
        QFETCH(QByteArray, payload);
        QFETCH(QStringList, expected);
        ServerCore second;
        QVERIFY(second.open(m_url));
        const auto askSecond = [&] {
            return second.handle({0, 0, ServerCommands::GetDatanames, {}, 1, m_sessions.value(reader)}, Reader).result;
        };
        // The session opened on the first server is valid here too.
        QCOMPARE(askSecond(), ResultSuccess);
        QSignalSpy pushed(&second, &ServerCore::pushed);
        QElapsedTimer sinceCommit;
        qint64 lastPushMs = -1;
        connect(&second, &ServerCore::pushed, this, [&] { lastPushMs = sinceCommit.elapsed(); });
        QCOMPARE(send(QLatin1String("data.") + operation, payload).result, ResultSuccess);
        sinceCommit.start();
        QCOMPARE(sendData(Data::AddSchedule, pack(schedule(0, QStringLiteral("Метка"), SCHEDULE_DATA::KindCycle))).result,
                 ResultSuccess);
        expected.append(ServerCommands::ScheduleChanged);
        QTRY_COMPARE_WITH_TIMEOUT(pushedNames(pushed), expected, WaitMs);
        QVERIFY2(lastPushMs <= DeliveryLimitMs, qPrintable(QStringLiteral("last push after %1 ms").arg(lastPushMs)));
        // A logout through the first server ends the session on the second.
        QCOMPARE(send(ServerCommands::Logout, {}, reader).result, ResultSuccess);
        sinceCommit.restart();
        QTRY_COMPARE_WITH_TIMEOUT(askSecond(), ResultUnauthorized, WaitMs);
        QVERIFY2(sinceCommit.elapsed() <= DeliveryLimitMs,
                 qPrintable(QStringLiteral("logout seen after %1 ms").arg(sinceCommit.elapsed())));
    }

    // The first server keeps writing while the second restarts or loses its database connection;
    // once it is back, its client's store equals the database.
    void catchesUp_data()
    {
        QTest::addColumn<bool>("restart");
        QTest::addRow("server restarted") << true;
        QTest::addRow("database connection lost") << false;
    }
    void catchesUp()
    {
        QFETCH(bool, restart);
        QSqlDatabase admin = QSqlDatabase::database(QStringLiteral("admin"), false);
        SqlDialect dialect;
        QVERIFY(admin.isValid() || DatabaseConnector::open(m_url, QStringLiteral("admin"), &admin, &dialect, nullptr));
        std::unique_ptr<Server> second;
        const auto startSecond = [&](quint16 port) {
            second = std::make_unique<Server>();
            return second->core.open(m_url) && second->tcp.listen(QHostAddress(QHostAddress::LocalHost), port);
        };
        const QSet<int> before = backends(admin);
        QVERIFY(startSecond(0));
        const QSet<int> secondBackends = backends(admin) - before;
        const quint16 port = second->tcp.serverPort();

        // The client loses its server on purpose.
        QLoggingCategory::setFilterRules(QStringLiteral("host.sdk.warning=false"));
        LocalStorage* store = LocalStorage::instance();
        TcpServerConnection connection;
        ClientSession session(&connection, store);
        QSignalSpy loggedIn(&session, &ClientSession::finished);
        QVERIFY(connection.connectToServer(QStringLiteral("127.0.0.1"), port)
                && session.start(QStringLiteral("planner"), QStringLiteral("planner-secret")));
        QVERIFY(loggedIn.wait(10000) && loggedIn.first().at(0).toBool());
        StorageNotificationApplier applier(&connection, store);
        ConnectionKeeper keeper(&connection, store, QStringLiteral("planner"), QStringLiteral("planner-secret"));
        QSignalSpy restored(&keeper, &ConnectionKeeper::restored);

        int written = 0;
        QTimer writer;
        // Each write a new schedule: one the second server missed would never come again.
        connect(&writer, &QTimer::timeout, this, [&] {
            sendData(Data::AddSchedule, pack(schedule(0, QString::number(++written), SCHEDULE_DATA::KindCycle)));
        });
        writer.start(20);
        // Counted in writes rather than milliseconds: a busy machine runs the timer late.
        const auto writeOn = [&written](int count) {
            const int target = written + count;
            return QTest::qWaitFor([&] { return written >= target; }, WaitMs);
        };
        QVERIFY(writeOn(10));
        if (restart) {
            second.reset();
            QVERIFY(writeOn(15));
            QVERIFY(startSecond(port) && restored.wait(WaitMs));
        } else {
            ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("database connection lost")));
            // Qt's driver leaves its notifier on the socket libpq closed when the backend ended.
            ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^QSocketNotifier: Invalid socket")));
            for (int pid : secondBackends)
                QVERIFY(QSqlQuery(admin).exec(QStringLiteral("SELECT pg_terminate_backend(%1)").arg(pid)));
            // Long enough for the second server to notice and come back while the writes go on.
            QVERIFY(writeOn(75));
        }
        QVERIFY(writeOn(10));
        writer.stop();
        QLoggingCategory::setFilterRules(QString());
        QList<SCHEDULE_DATA> schedules;
        QVERIFY(unpack(send(ServerCommands::GetSchedules, {}).data, schedules));
        SCHEDULE_HASH stored;
        for (const SCHEDULE_DATA& each : qAsConst(schedules))
            stored.insert(each.id, each);
        QTRY_COMPARE_WITH_TIMEOUT(store->schedules(), stored, WaitMs);
    }
};

OV_TEST_GUILESS_MAIN(tst_ServerCluster)
#include "tst_servercluster.moc"
