#include "authdata.h"
#include "clientsession.h"
#include "commandframe.h"
#include "data.h"
#include "embeddedserverconnection.h"
#include "fatalwarnings.h"
#include "localstorage.h"
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

namespace {

constexpr int DemoEmployees = 6;

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
