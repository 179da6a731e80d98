#include "authdata.h"
#include "clientsession.h"
#include "commandframe.h"
#include "data.h"
#include "fatalwarnings.h"
#include "localstorage.h"
#include "ovdatastream.h"
#include "servercommands.h"
#include "servercore.h"
#include "storagenotificationapplier.h"
#include "tcpcommandserver.h"
#include "tcpserverconnection.h"
#include "vocabulary.h"

#include <QSignalSpy>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <memory>

using namespace orvanta;

namespace {

constexpr int DemoEmployees = 6;

template<typename... Args>
QByteArray pack(const Args&... args)
{
    QByteArray payload;
    OVDataStream stream(&payload, QIODevice::WriteOnly);
    (stream << ... << args);
    return payload;
}

Command request(const QString& name, const QByteArray& data, const QByteArray& session = {})
{
    return {0, 1, name, data, 0, session};
}

// Sends request and waits for its reply.
Command ask(OVServerInterface& server, const Command& command)
{
    Command reply;
    bool answered = false;
    server.send(command, [&](Command& r) {
        reply = r;
        answered = true;
    });
    if (!QTest::qWaitFor([&] { return answered; }, 5000))
        reply.result = -1;
    return reply;
}

// Logs in over the raw command channel and returns the session token.
QByteArray logIn(OVServerInterface& server, const QString& login, const QString& password)
{
    const Command reply = ask(server, request(QLatin1String(ServerCommands::Login), pack(login, password)));
    OVDataStream stream(reply.data);
    QByteArray session;
    stream >> session;
    return reply.isSuccess() ? session : QByteArray();
}

QByteArray withLength(const QByteArray& content)
{
    QByteArray frame(4, '\0');
    qToBigEndian(quint32(content.size()), frame.data());
    return frame + content;
}

} // namespace

class tst_TcpCommandServer : public QObject
{
    Q_OBJECT

    QTemporaryDir m_folder;
    std::unique_ptr<ServerCore> m_core;
    std::unique_ptr<TcpCommandServer> m_server;

private slots:
    void initTestCase()
    {
        QVERIFY(m_folder.isValid());
        m_core = std::make_unique<ServerCore>();
        QString error;
        QVERIFY2(m_core->open(QStringLiteral("sqlite:") + m_folder.filePath(QStringLiteral("tcp.sqlite")), &error),
                 qPrintable(error));
        QVERIFY2(m_core->seedDemo(DemoEmployees, false, &error), qPrintable(error));
        m_server = std::make_unique<TcpCommandServer>(m_core.get());
        QVERIFY2(m_server->listen(QHostAddress::LocalHost, 0), qPrintable(m_server->errorString()));
    }

    void cleanupTestCase()
    {
        m_server.reset();
        m_core.reset();
    }

    void cleanup() { AuthData::clear(); }

    void takenPortIsRefused()
    {
        TcpCommandServer second(m_core.get());
        QVERIFY(!second.listen(QHostAddress::LocalHost, m_server->serverPort()));
        QVERIFY(!second.errorString().isEmpty());
    }

    void malformedFrameClosesOnlyThatConnection_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray content = CommandFrame::encode(request(QStringLiteral("auth.login"), "x")).mid(4);
        QTest::addRow("garbage length") << QByteArray("\xff\xff\xff\xffGET / HTTP/1.1\r\n", 20);
        QTest::addRow("truncated command inside its frame") << withLength(content.left(content.size() - 5));
        QTest::addRow("bytes after the command") << withLength(content + "tail");
    }

    void malformedFrameClosesOnlyThatConnection()
    {
        QFETCH(QByteArray, bytes);
        TcpServerConnection good;
        QVERIFY(good.connectToServer(QStringLiteral("127.0.0.1"), m_server->serverPort()));
        QTcpSocket bad;
        bad.connectToHost(QHostAddress::LocalHost, m_server->serverPort());
        QVERIFY(bad.waitForConnected(5000));
        QTRY_COMPARE(m_server->connectionCount(), 2);

        ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("malformed frame from 127\\.0\\.0\\.1:%1")
                                                                   .arg(bad.localPort())));
        bad.write(bytes);
        QTRY_COMPARE(bad.state(), QAbstractSocket::UnconnectedState);
        QCOMPARE(m_server->connectionCount(), 1);

        QVERIFY(good.isConnected());
        const Command reply = ask(good, request(QLatin1String(ServerCommands::Login),
                                                pack(QStringLiteral("planner"), QStringLiteral("не тот"))));
        QCOMPARE(reply.result, int(ResultUnauthorized));
    }

    void secondClientSeesTheFirstOnesWrite()
    {
        TcpServerConnection writer;
        TcpServerConnection watcher;
        QVERIFY(writer.connectToServer(QStringLiteral("127.0.0.1"), m_server->serverPort()));
        QVERIFY(watcher.connectToServer(QStringLiteral("127.0.0.1"), m_server->serverPort()));

        LocalStorage* store = LocalStorage::instance();
        ClientSession session(&watcher, store);
        QSignalSpy loaded(&session, &ClientSession::finished);
        session.start(QStringLiteral("viewer"), QStringLiteral("viewer2026"));
        QVERIFY(loaded.wait());
        QCOMPARE(loaded.constFirst().constFirst().toBool(), true);
        StorageNotificationApplier applier(&watcher, store);

        const QByteArray writerSession = logIn(writer, QStringLiteral("planner"), QStringLiteral("planner2026"));
        QVERIFY(!writerSession.isEmpty());
        ObjectInfo job;
        job.type = QLatin1String(db::wt::JOB);
        job.properties.insert(QLatin1String(db::common::NAME), QStringLiteral("Сомелье"));
        QSignalSpy changed(store, &LocalStorage::dataChanged);
        QSignalSpy writerPushes(&writer, &OVServerInterface::commandReceived);
        const Command reply = ask(writer, request(ov5sdk::Data::commandName(ov5sdk::Data::AddObject),
                                                  pack(job, QList<_INHERIT_DATA>()), writerSession));
        QVERIFY2(reply.isSuccess(), qPrintable(reply.errorMessage()));
        qint32 newId = 0;
        OVDataStream(reply.data) >> newId;

        QTRY_VERIFY(!changed.isEmpty());
        QCOMPARE(changed.constFirst().at(1).value<QList<TYPE_ID>>(), QList<TYPE_ID>{TYPE_ID(newId)});
        QCOMPARE(store->constObject(TYPE_ID(newId)).property(QLatin1String(db::common::NAME)), QStringLiteral("Сомелье"));
        // The writer hears of its own change too, as every connection does.
        QTRY_VERIFY(!writerPushes.isEmpty());
        QCOMPARE(writerPushes.constFirst().constFirst().value<Command>().name,
                 QLatin1String(ServerCommands::DataChanged));
    }

    void serverGoneFailsPendingRequests()
    {
        QTemporaryDir folder;
        ServerCore core;
        QVERIFY(core.open(QStringLiteral("sqlite:") + folder.filePath(QStringLiteral("gone.sqlite"))));
        auto server = std::make_unique<TcpCommandServer>(&core);
        QVERIFY(server->listen(QHostAddress::LocalHost, 0));
        TcpServerConnection client;
        QVERIFY(client.connectToServer(QStringLiteral("127.0.0.1"), server->serverPort()));
        QSignalSpy lost(&client, &TcpServerConnection::connectionLost);
        QTRY_COMPARE(server->connectionCount(), 1);

        QList<Command> replies;
        client.send(request(QLatin1String(ServerCommands::GetDatanames), {}), [&](Command& r) { replies.append(r); });
        ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("connection lost")));
        server.reset(); // before the request was read
        QVERIFY(lost.wait());
        QCOMPARE(replies.size(), 1);
        replies.append(ask(client, request(QLatin1String(ServerCommands::GetDatanames), {})));
        for (const Command& reply : qAsConst(replies)) {
            QCOMPARE(reply.result, int(ResultNotConnected));
            QCOMPARE(reply.errorMessage(), QStringLiteral("Нет соединения с сервером"));
        }
    }
};

OV_TEST_GUILESS_MAIN(tst_TcpCommandServer)
#include "tst_tcpcommandserver.moc"
