#include "authdata.h"
#include "command.h"
#include "fatalwarnings.h"
#include "offlineserverconnection.h"
#include "ovdatastream.h"
#include "ovplugininterface.h"
#include "ovserverinterface.h"

#include <QSet>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

// Keeps what was sent; the test answers or pushes by hand.
class FakeServer : public OVServerInterface
{
public:
    QList<Command> transmitted;

    void answer(const Command& request, const QByteArray& data)
    {
        Command reply = request;
        reply.result = ResultSuccess;
        reply.data = data;
        deliverReply(reply);
    }
    using OVServerInterface::deliverPushed;
    using OVServerInterface::deliverReply;
    using OVServerInterface::failPendingReplies;

protected:
    void transmit(const Command& command) override { transmitted.append(command); }
};

class TestPlugin : public OVPluginInterface
{
public:
    QString pluginName() const override { return QStringLiteral("test"); }
    int pluginVersion() const override { return 1; }
    QString pluginBuild() const override { return QStringLiteral("1"); }
    QWidget* widget() override { return nullptr; }
};

Command named(const QString& name)
{
    Command command;
    command.kind = 1;
    command.name = name;
    return command;
}

// Collects the replies one callback received.
struct ReplyLog
{
    QList<Command> replies;
    OVServerInterface::CommandHandler callback()
    {
        return [this](Command& reply) { replies.append(reply); };
    }
};

} // namespace

class tst_CommandChannel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { qRegisterMetaType<Command>(); }
    void cleanup() { AuthData::clear(); }

    void errorMessage_data();
    void errorMessage();
    void commandStreamRoundTrip();

    void repliesReachTheirCallbacks();
    void sessionFilledFromLogin_data();
    void sessionFilledFromLogin();
    void replyWithoutRequestIsDropped();
    void requestWithoutCallbackIsAnsweredQuietly();
    void pushedCommandsReachHandlerAndSignal();
    void failPendingRepliesAnswersEveryRequest();
    void failPendingRepliesSkipsRequestsAnsweredMeanwhile();

    void notConnectedReplyIsAsynchronous_data();
    void notConnectedReplyIsAsynchronous();

    void pluginHandlersFollowInitAndUninit();
    void pluginOutlivingServer();
    void pluginQueryThroughServer();
};

void tst_CommandChannel::errorMessage_data()
{
    QTest::addColumn<Command>("reply");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");

    Command request = named(QStringLiteral("load_schedule"));
    request.correlationId = 17;
    const QString russian = QStringLiteral("Нет соединения с сервером: «планировщик»\nповторите позже");
    QTest::addRow("error reply with russian text")
        << Command::errorReply(request, ResultNotConnected, russian) << 503 << russian;
    QTest::addRow("error reply without text") << Command::errorReply(request, ResultForbidden, QString()) << 403
                                             << QString();
    QTest::addRow("success has no error message")
        << Command::errorReply(request, ResultSuccess, QStringLiteral("готово")) << 1 << QString();
    Command truncated = Command::errorReply(request, ResultServerError, russian);
    truncated.data.chop(3);
    QTest::addRow("truncated message payload") << truncated << 500 << QString();
}

void tst_CommandChannel::errorMessage()
{
    QFETCH(Command, reply);
    QFETCH(int, code);
    QFETCH(QString, message);

    QCOMPARE(reply.result, code);
    QCOMPARE(reply.errorMessage(), message);
    QCOMPARE(reply.name, QStringLiteral("load_schedule"));
    QCOMPARE(reply.kind, 1);
    QCOMPARE(reply.correlationId, quint64(17));
}

void tst_CommandChannel::commandStreamRoundTrip()
{
    Command command = named(QStringLiteral("обновить"));
    command.result = ResultUnknownCommand;
    command.kind = -3;
    command.data = QByteArray("\x00\x01payload", 9);
    command.correlationId = Q_UINT64_C(0x1000000002);
    command.session = "token";

    QByteArray bytes;
    OVDataStream out(&bytes, QIODevice::WriteOnly);
    out << command;
    OVDataStream in(bytes);
    Command read;
    in >> read;

    QCOMPARE(in.status(), QDataStream::Ok);
    QVERIFY(in.atEnd());
    QCOMPARE(read.result, command.result);
    QCOMPARE(read.kind, command.kind);
    QCOMPARE(read.name, command.name);
    QCOMPARE(read.data, command.data);
    QCOMPARE(read.correlationId, command.correlationId);
    QCOMPARE(read.session, command.session);
}

void tst_CommandChannel::repliesReachTheirCallbacks()
{
    FakeServer server;
    ReplyLog logs[3];
    for (int i = 0; i < 3; ++i)
        server.send(named(QStringLiteral("query%1").arg(i)), logs[i].callback());

    QCOMPARE(server.transmitted.size(), 3);
    QSet<quint64> ids;
    for (const Command& request : qAsConst(server.transmitted))
        ids.insert(request.correlationId);
    QCOMPARE(ids.size(), 3);
    QVERIFY(!ids.contains(0));
    QCOMPARE(server.pendingReplyCount(), 3);

    for (int i : {2, 0, 1})
        server.answer(server.transmitted.at(i), QByteArray::number(i));

    for (int i = 0; i < 3; ++i) {
        QCOMPARE(logs[i].replies.size(), 1);
        QCOMPARE(logs[i].replies.constFirst().data, QByteArray::number(i));
        QCOMPARE(logs[i].replies.constFirst().name, QStringLiteral("query%1").arg(i));
    }
    QCOMPARE(server.pendingReplyCount(), 0);
}

void tst_CommandChannel::sessionFilledFromLogin_data()
{
    QTest::addColumn<QByteArray>("loginSession");
    QTest::addColumn<QByteArray>("commandSession");
    QTest::addColumn<QByteArray>("sentSession");

    QTest::addRow("empty session takes the login's") << QByteArray("login") << QByteArray() << QByteArray("login");
    QTest::addRow("own session is kept") << QByteArray("login") << QByteArray("own") << QByteArray("own");
    QTest::addRow("no login, no session") << QByteArray() << QByteArray() << QByteArray();
}

void tst_CommandChannel::sessionFilledFromLogin()
{
    QFETCH(QByteArray, loginSession);
    QFETCH(QByteArray, commandSession);
    QFETCH(QByteArray, sentSession);

    AuthData::setSessionId(loginSession);
    FakeServer server;
    Command command = named(QStringLiteral("query"));
    command.session = commandSession;
    server.send(command, [](Command&) {});

    QCOMPARE(server.transmitted.constFirst().session, sentSession);
}

void tst_CommandChannel::replyWithoutRequestIsDropped()
{
    FakeServer server;
    ReplyLog log;
    server.send(named(QStringLiteral("query")), log.callback());
    const Command request = server.transmitted.constFirst();

    Command stranger = request;
    stranger.correlationId = request.correlationId + 100;
    ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("reply without request")));
    server.deliverReply(stranger);
    QVERIFY(log.replies.isEmpty());

    server.answer(request, "first");
    ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("reply without request")));
    server.answer(request, "second");
    QCOMPARE(log.replies.size(), 1);
    QCOMPARE(log.replies.constFirst().data, QByteArray("first"));
}

void tst_CommandChannel::requestWithoutCallbackIsAnsweredQuietly()
{
    FakeServer server;
    server.send(named(QStringLiteral("fire_and_forget")), nullptr);
    server.answer(server.transmitted.constFirst(), QByteArray());
    QCOMPARE(server.pendingReplyCount(), 0);
}

void tst_CommandChannel::pushedCommandsReachHandlerAndSignal()
{
    FakeServer server;
    QSignalSpy received(&server, &OVServerInterface::commandReceived);
    QStringList handled;
    // The handler unregisters itself while it runs: a second push reaches only the signal.
    server.registerCommandHandler(QStringLiteral("schedule_changed"), [&](Command& command) {
        handled.append(QString::fromUtf8(command.data));
        command.result = ResultSuccess;
        server.unregisterCommandHandler(QStringLiteral("schedule_changed"));
    });

    Command pushed = named(QStringLiteral("schedule_changed"));
    pushed.data = "1001";
    server.deliverPushed(pushed);
    server.deliverPushed(pushed);
    server.deliverPushed(named(QStringLiteral("unhandled")));

    QCOMPARE(handled, QStringList{QStringLiteral("1001")});
    QCOMPARE(received.size(), 3);
    QCOMPARE(received.at(0).at(0).value<Command>().result, int(ResultSuccess));
    QCOMPARE(received.at(1).at(0).value<Command>().result, 0);
    QCOMPARE(received.at(2).at(0).value<Command>().name, QStringLiteral("unhandled"));
}

void tst_CommandChannel::failPendingRepliesAnswersEveryRequest()
{
    FakeServer server;
    ReplyLog logs[3];
    for (int i = 0; i < 3; ++i)
        server.send(named(QStringLiteral("query%1").arg(i)), logs[i].callback());
    server.answer(server.transmitted.at(1), "done");

    const QString message = QStringLiteral("Соединение с сервером потеряно");
    server.failPendingReplies(ResultNotConnected, message);

    QCOMPARE(logs[1].replies.size(), 1);
    QVERIFY(logs[1].replies.constFirst().isSuccess());
    for (int i : {0, 2}) {
        QCOMPARE(logs[i].replies.size(), 1);
        const Command& reply = logs[i].replies.constFirst();
        QCOMPARE(reply.result, int(ResultNotConnected));
        QCOMPARE(reply.errorMessage(), message);
        QCOMPARE(reply.name, QStringLiteral("query%1").arg(i));
    }
    QCOMPARE(server.pendingReplyCount(), 0);
}

void tst_CommandChannel::failPendingRepliesSkipsRequestsAnsweredMeanwhile()
{
    FakeServer server;
    int calls = 0;
    // Whichever callback runs first answers the other request itself.
    const auto answerTheOther = [&server, &calls](Command& reply) {
        ++calls;
        for (const Command& request : qAsConst(server.transmitted)) {
            if (request.correlationId != reply.correlationId && server.pendingReplyCount() > 0)
                server.answer(request, "late");
        }
    };
    server.send(named(QStringLiteral("a")), answerTheOther);
    server.send(named(QStringLiteral("b")), answerTheOther);

    server.failPendingReplies(ResultNotConnected, QStringLiteral("Соединение потеряно"));
    QCOMPARE(calls, 2);
    QCOMPARE(server.pendingReplyCount(), 0);
}

void tst_CommandChannel::notConnectedReplyIsAsynchronous_data()
{
    QTest::addColumn<bool>("throughPlugin");

    QTest::addRow("offline connection") << false;
    QTest::addRow("plug-in without connection") << true;
}

void tst_CommandChannel::notConnectedReplyIsAsynchronous()
{
    QFETCH(bool, throughPlugin);

    OfflineServerConnection offline;
    TestPlugin plugin;
    ReplyLog log;
    if (throughPlugin) {
        ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("no server connection")));
        plugin.sendQuery(named(QStringLiteral("load")), log.callback());
    } else {
        offline.send(named(QStringLiteral("load")), log.callback());
    }
    QVERIFY(log.replies.isEmpty());

    QTRY_COMPARE(log.replies.size(), 1);
    const Command reply = log.replies.constFirst();
    QCOMPARE(reply.result, int(ResultNotConnected));
    QVERIFY(!reply.errorMessage().isEmpty());
    QCOMPARE(reply.name, QStringLiteral("load"));
    QCoreApplication::processEvents();
    QCOMPARE(log.replies.size(), 1);
    QCOMPARE(offline.pendingReplyCount(), 0);
}

void tst_CommandChannel::pluginHandlersFollowInitAndUninit()
{
    FakeServer server;
    int calls = 0;
    const auto count = [&calls](Command&) { ++calls; };
    {
        TestPlugin plugin;
        ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("no server connection")));
        plugin.registerCommandHandler({1, QStringLiteral("a")}, count);
        QVERIFY(plugin.init(&server, QStringLiteral("test")).isEmpty());
        server.deliverPushed(named(QStringLiteral("a")));
        QCOMPARE(calls, 0);

        plugin.registerCommandHandler({1, QStringLiteral("a")}, count);
        server.deliverPushed(named(QStringLiteral("a")));
        QCOMPARE(calls, 1);

        plugin.uninit();
        server.deliverPushed(named(QStringLiteral("a")));
        QCOMPARE(calls, 1);

        plugin.init(&server, QStringLiteral("test"));
        plugin.registerCommandHandler({1, QStringLiteral("b")}, count);
    }
    // Destroying the plug-in must not leave a handler behind.
    server.deliverPushed(named(QStringLiteral("b")));
    QCOMPARE(calls, 1);
}

void tst_CommandChannel::pluginOutlivingServer()
{
    TestPlugin plugin;
    auto server = std::make_unique<FakeServer>();
    plugin.init(server.get(), QStringLiteral("test"));
    plugin.registerCommandHandler({1, QStringLiteral("a")}, [](Command&) {});
    server.reset();

    QVERIFY(!plugin.server());
    plugin.uninit();
}

void tst_CommandChannel::pluginQueryThroughServer()
{
    FakeServer server;
    TestPlugin plugin;
    plugin.init(&server, QStringLiteral("test"));
    ReplyLog log;
    Command query = plugin.newCommand();
    QCOMPARE(query.kind, 1);
    query.name = QStringLiteral("load");
    plugin.sendQuery(query, log.callback());

    QCOMPARE(server.transmitted.size(), 1);
    QCOMPARE(server.transmitted.constFirst().name, QStringLiteral("load"));
    server.answer(server.transmitted.constFirst(), "rows");
    QCOMPARE(log.replies.size(), 1);
    QCOMPARE(log.replies.constFirst().data, QByteArray("rows"));
}

OV_TEST_GUILESS_MAIN(tst_CommandChannel)
#include "tst_commandchannel.moc"
