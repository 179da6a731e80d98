#include "authdata.h"
#include "clientsession.h"
#include "commandframe.h"
#include "data.h"
#include "embeddedserverconnection.h"
#include "fatalwarnings.h"
#include "localstorage.h"
#include "servercommands.h"
#include "servercore.h"
#include "servertestrecords.h"
#include "storagenotificationapplier.h"
#include "tcpcommandserver.h"
#include "tcpserverconnection.h"
#include "vocabulary.h"

#include <QSignalSpy>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QtEndian>

#include <memory>

using namespace orvanta;
using namespace servertest;

Q_DECLARE_METATYPE(TcpCommandServer::Limits)

namespace {

constexpr int DemoEmployees = 6;
// What a hostile client gets instead of a reply: the server closes it, or says nothing.
constexpr int Closed = 0;
constexpr int Silent = -1;

Command request(const QString& name, const QByteArray& data)
{
    return {0, 1, name, data, 0, {}};
}

Command addJob(const QString& name)
{
    ObjectInfo job;
    job.type = QLatin1String(db::wt::JOB);
    job.properties.insert(QLatin1String(db::common::NAME), name);
    return {0, 1, ov5sdk::Data::commandName(ov5sdk::Data::AddObject), pack(job, QList<_INHERIT_DATA>()), 0, {}};
}

// Logs in and loads the local store as the planner does; the arguments of finished().
QVariantList logIn(OVServerInterface* server, const QString& login, const QString& password)
{
    ClientSession session(server, LocalStorage::instance());
    QSignalSpy finished(&session, &ClientSession::finished);
    session.start(login, password);
    return finished.wait(10000) ? finished.constFirst() : QVariantList();
}

// The next command the server sends on socket; result -1 when none comes within 5 s.
Command next(QTcpSocket& socket, CommandFrame& frames)
{
    Command command;
    if (!QTest::qWaitFor([&] {
            frames.append(socket.readAll());
            return frames.takeCommand(command);
        }, 5000))
        command.result = -1;
    return command;
}

} // namespace

// The TCP server and the planner's embedded server, as the client uses them. A change reaching
// other TCP clients is the planning module's test (two planners on one server).
class tst_ServerTransports : public QObject
{
    Q_OBJECT

    QTemporaryDir m_folder;
    std::unique_ptr<ServerCore> m_core;
    std::unique_ptr<TcpCommandServer> m_tcp;

    QString databaseUrl(const char* name) const { return QStringLiteral("sqlite:") + m_folder.filePath(QLatin1String(name)); }

private slots:
    void initTestCase()
    {
        m_core = std::make_unique<ServerCore>();
        QString error;
        QVERIFY2(m_core->open(databaseUrl("tcp.sqlite"), &error) && m_core->seedDemo(DemoEmployees, false, &error),
                 qPrintable(error));
        m_tcp = std::make_unique<TcpCommandServer>(m_core.get());
        QVERIFY2(m_tcp->listen(QHostAddress::LocalHost, 0), qPrintable(m_tcp->errorString()));
        TcpCommandServer second(m_core.get());
        QVERIFY(!second.listen(QHostAddress::LocalHost, m_tcp->serverPort()));
        QVERIFY(!second.errorString().isEmpty());
    }

    void cleanupTestCase()
    {
        m_tcp.reset();
        m_core.reset();
    }

    void cleanup()
    {
        m_tcp->setLimits({});
        AuthData::clear();
        LocalStorage::instance()->reset();
    }

    void tcpMalformedFrameClosesOnlyThatConnection_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray content = CommandFrame::encode({0, 1, QStringLiteral("auth.login"), "x", 0, {}}).mid(4);
        const auto withLength = [](const QByteArray& content) -> QByteArray {
            QByteArray frame(4, '\0');
            qToBigEndian(quint32(content.size()), frame.data());
            return frame + content;
        };
        QTest::addRow("garbage length") << QByteArray("\xff\xff\xff\xffGET / HTTP/1.1\r\n", 20);
        QTest::addRow("truncated command inside its frame") << withLength(content.left(content.size() - 5));
        QTest::addRow("bytes after the command") << withLength(content + "tail");
    }

    void tcpMalformedFrameClosesOnlyThatConnection()
    {
        QFETCH(QByteArray, bytes);
        TcpServerConnection good;
        QVERIFY(good.connectToServer(QStringLiteral("127.0.0.1"), m_tcp->serverPort()));
        QTcpSocket bad;
        bad.connectToHost(QHostAddress::LocalHost, m_tcp->serverPort());
        QVERIFY(bad.waitForConnected(5000));
        QTRY_COMPARE(m_tcp->connectionCount(), 2);

        ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("malformed frame from 127\\.0\\.0\\.1:%1")
                                                                   .arg(bad.localPort())));
        bad.write(bytes);
        QTRY_COMPARE(bad.state(), QAbstractSocket::UnconnectedState);
        QCOMPARE(m_tcp->connectionCount(), 1);
        QCOMPARE(logIn(&good, QStringLiteral("planner"), QStringLiteral("не тот")),
                 (QVariantList{false, QStringLiteral("Неверное имя пользователя или пароль")}));
    }

    // The viewer (or a client that never logs in) sends what a hostile user could: it gets 400 or
    // is closed, and a logged-in planner goes on being served and notified.
    void hostileClientLeavesOthersServed_data()
    {
        QTest::addColumn<TcpCommandServer::Limits>("limits");
        QTest::addColumn<Command>("viewerRequest");
        QTest::addColumn<QByteArray>("bytesWithoutLogin");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("warning");
        const TcpCommandServer::Limits standard;
        TcpCommandServer::Limits oneConnection, quickLogin;
        oneConnection.connections = 1;
        quickLogin.loginTimeoutMs = 200;
        const auto data = [](const char* operation, const QByteArray& payload) {
            return request(ov5sdk::Data::commandName(operation), payload);
        };
        const quint32 huge = 0x7FFFFFFF;
        const QString undecoded = QStringLiteral("payload does not decode");
        const auto malformed = [&](const char* tag, const Command& command) {
            QTest::addRow("%s", tag) << standard << command << QByteArray() << int(ResultMalformed) << undecoded;
        };
        malformed("schedule of 2^31 cycle days",
                  data("addSchedule", pack(0, QString(), 1, 1, QString(), QDate(), QString(), huge)));
        malformed("history of 2^31 records", data("setWorkerSchedules", pack(1u, 1u, 1u, huge)));
        malformed("absences of 2^31 records", data("updateWorkerAbsenceReason", pack(1u, 1u, 1u, huge)));
        malformed("calendar day of 2^31 intervals", data("updateScheduleCalendar", pack(1, QDate(2026, 3, 1), QDate(2026, 3, 31), 1u,
                                                                                        qint64(0), QDate(2026, 3, 2), 0u, 0, 0, 0, 0, 0, huge)));
        const QByteArray query = pack(QStringLiteral("c"), QStringLiteral("q"), QStringLiteral("SELECT 1"));
        malformed("query of 2^31 bindings", data("execAsyncSql", query + pack(huge)));
        QByteArray nested;
        OVDataStream nesting(&nested, QIODevice::WriteOnly);
        for (int depth = 0; depth < 50000; ++depth)
            nesting << quint32(QMetaType::QVariantList) << qint8(0) << 1u;
        nesting << QVariant(1) << 1;
        malformed("query value nested 50000 deep", data("execAsyncSql", query + pack(1u, QStringLiteral(":workers")) + nested));
        malformed("absence in an unknown time zone",
                  data("updateWorkerAbsenceReason", pack(1u, 1u, 1u, 1u, 0u, 7u, QDate(2026, 3, 2), QTime(9, 0), qint8(Qt::TimeZone),
                                                         QStringLiteral("Mars/Olympus"), QDateTime(QDate(2026, 3, 3), QTime(18, 0)),
                                                         true, QString(), QDateTime())));
        malformed("month of the year 10000", data("updateWorkerSaveTime", pack(QDate(10000, 1, 1), QList<uint>{1})));
        QTest::addRow("command name of 1 MiB, logged cut")
            << standard << request(QString(1 << 20, QLatin1Char('x')), {}) << QByteArray() << int(ResultUnknownCommand)
            << QStringLiteral("unknown command \"x{200}… \\(1048576 characters\\)\"");
        QTest::addRow("frame of 1 MiB before login") << standard << Command() << pack(1u << 20) + "xxxx" << Closed
                                                     << QStringLiteral("frame length 1048576 exceeds the limit");
        QTest::addRow("connection over the limit") << oneConnection << Command() << QByteArray() << Closed
                                                   << QStringLiteral("connection limit 1 reached");
        QTest::addRow("no login in time") << quickLogin << Command() << QByteArray() << Closed << QString();
        QTest::addRow("never logged in, told nothing") << standard << Command() << QByteArray() << Silent << QString();
    }

    void hostileClientLeavesOthersServed()
    {
        QFETCH(TcpCommandServer::Limits, limits);
        QFETCH(Command, viewerRequest);
        QFETCH(QByteArray, bytesWithoutLogin);
        QFETCH(int, result);
        QFETCH(QString, warning);
        QTRY_COMPARE(m_tcp->connectionCount(), 0);
        TcpServerConnection good;
        QVERIFY(good.connectToServer(QStringLiteral("127.0.0.1"), m_tcp->serverPort()));
        QCOMPARE(logIn(&good, QStringLiteral("planner"), QStringLiteral("planner2026")).value(0).toBool(), true);
        m_tcp->setLimits(limits);

        if (!warning.isEmpty())
            ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(warning));
        QTcpSocket hostile;
        CommandFrame frames;
        hostile.connectToHost(QHostAddress::LocalHost, m_tcp->serverPort());
        QVERIFY(hostile.waitForConnected(5000));
        QByteArray bytes = bytesWithoutLogin;
        if (!viewerRequest.name.isEmpty()) {
            hostile.write(CommandFrame::encode(request(QLatin1String(ServerCommands::Login),
                                                       pack(QStringLiteral("viewer"), QStringLiteral("viewer2026")))));
            OVDataStream welcome(next(hostile, frames).data);
            welcome >> viewerRequest.session;
            bytes = CommandFrame::encode(viewerRequest);
        }
        hostile.write(bytes);
        if (result == Closed)
            QTRY_COMPARE(hostile.state(), QAbstractSocket::UnconnectedState);
        else if (result != Silent)
            QCOMPARE(next(hostile, frames).result, result);

        QSignalSpy notified(&good, &OVServerInterface::commandReceived);
        int answer = -1;
        good.send(addJob(QString::fromLatin1(QTest::currentDataTag())), [&answer](Command& reply) { answer = reply.result; });
        QTRY_COMPARE(answer, int(ResultSuccess));
        QTRY_COMPARE(notified.count(), 1);
        QTest::qWait(20);
        if (result == Silent)
            QCOMPARE(hostile.bytesAvailable(), qint64(0));
    }

    void embeddedLogInAndLoad_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("message");
        QTest::addRow("planner") << databaseUrl("login.sqlite") << "planner2026" << QString();
        QTest::addRow("wrong password") << databaseUrl("login.sqlite") << "planner2025" << "Неверное имя пользователя или пароль";
        QTest::addRow("a folder, not a database") << QStringLiteral("sqlite:") + m_folder.path() << "planner2026"
                                                  << "Нет соединения с сервером";
    }

    void embeddedLogInAndLoad()
    {
        QFETCH(QString, url);
        QFETCH(QString, password);
        QFETCH(QString, message);
        EmbeddedServerConnection server;
        const bool opens = url.endsWith(QLatin1String(".sqlite"));
        if (!opens) {
            ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("cannot open database")));
            ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("embedded server did not start")));
        }
        QCOMPARE(server.start(url, DemoEmployees, false), opens);
        QCOMPARE(server.isStarted() && server.errorString().isEmpty(), opens);
        QCOMPARE(logIn(&server, QStringLiteral("planner"), password), (QVariantList{message.isEmpty(), message}));
        const OBJECT_HASH* organisation = LocalStorage::instance()->constObjects(QLatin1String(ORGSTRUCTURE_DATANAME));
        QCOMPARE(organisation && !organisation->isEmpty(), message.isEmpty());
        QCOMPARE(!LocalStorage::instance()->schedules().isEmpty(), message.isEmpty());
        QCOMPARE(!AuthData::roles().isEmpty(), message.isEmpty());
    }

    void embeddedReplyComesBeforeTheNotificationOnTheCallersThread()
    {
        EmbeddedServerConnection server;
        QVERIFY(server.start(databaseUrl("write.sqlite"), DemoEmployees, false));
        QCOMPARE(logIn(&server, QStringLiteral("planner"), QStringLiteral("planner2026")).value(0).toBool(), true);
        StorageNotificationApplier applier(&server, LocalStorage::instance());
        QStringList events;
        connect(LocalStorage::instance(), &LocalStorage::dataChanged, this,
                [&events](const QString& dataname) { events.append(QStringLiteral("changed ") + dataname); });
        QThread* callbackThread = nullptr;
        server.send(addJob(QStringLiteral("Бариста")), [&](Command& reply) {
            callbackThread = QThread::currentThread();
            events.append(QStringLiteral("reply %1").arg(reply.result));
        });
        QVERIFY(events.isEmpty()); // never answered inside send()
        QTRY_COMPARE(events, (QStringList{"reply 1", "changed job"}));
        QCOMPARE(callbackThread, QThread::currentThread());
        LocalStorage::instance()->disconnect(this);
    }

    // Replies still queued when the connection goes are dropped, never delivered to a dead caller.
    void embeddedDestroyedWithRequestsInFlight()
    {
        auto server = std::make_unique<EmbeddedServerConnection>();
        QVERIFY(server->start(databaseUrl("shutdown.sqlite"), DemoEmployees, false));
        int answered = 0;
        for (int i = 0; i < 20; ++i)
            server->send(addJob(QStringLiteral("Кассир")), [&answered](Command&) { ++answered; });
        server.reset();
        QTest::qWait(50);
        QCOMPARE(answered, 0);
    }
};

OV_TEST_GUILESS_MAIN(tst_ServerTransports)
#include "tst_servertransports.moc"
