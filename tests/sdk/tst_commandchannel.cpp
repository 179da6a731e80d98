#include "authdata.h"
#include "fatalwarnings.h"
#include "ovdatastream.h"
#include "ovplugininterface.h"
#include "ovserverinterface.h"
#include "tcpserverconnection.h"

#include <QTest>

#include <memory>

namespace {

// Keeps what was sent; the test answers or pushes by hand.
class FakeServer : public OVServerInterface
{
public:
    QList<Command> transmitted;

    // Answers the i-th transmitted request with success and data.
    void answer(int i, const QByteArray& data)
    {
        const Command& request = transmitted.at(i);
        deliverReply({ResultSuccess, request.kind, request.name, data, request.correlationId, request.session});
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

Command named(const char* name)
{
    return {0, 1, QString::fromUtf8(name), {}, 0, {}};
}

OVServerInterface::CommandHandler into(QList<Command>& replies)
{
    return [&replies](Command& reply) { replies.append(reply); };
}

} // namespace

class tst_CommandChannel : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { AuthData::clear(); }

    void errorReplyRoundTrip_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("chop");
        QTest::addColumn<QString>("message");
        QTest::addRow("russian error text") << int(ResultNotConnected) << 0 << QStringLiteral("Нет связи: «сервер»\n");
        QTest::addRow("success has no error message") << int(ResultSuccess) << 0 << QString();
        QTest::addRow("truncated message payload") << int(ResultServerError) << 3 << QString();
    }

    void errorReplyRoundTrip()
    {
        QFETCH(int, code);
        QFETCH(int, chop);
        QFETCH(QString, message);
        const Command request{0, -3, QStringLiteral("обновить"), {}, Q_UINT64_C(0x1000000002), {}};
        Command reply = Command::errorReply(request, code, QStringLiteral("Нет связи: «сервер»\n"));
        reply.data.chop(chop);
        reply.session = "token";

        QByteArray bytes;
        OVDataStream out(&bytes, QIODevice::WriteOnly);
        out << reply;
        OVDataStream in(bytes);
        Command read;
        in >> read;
        QVERIFY(in.status() == QDataStream::Ok && in.atEnd());
        const QVariantList fields{read.result, read.kind, read.name, read.data, read.correlationId, read.session};
        QCOMPARE(fields, (QVariantList{code, -3, request.name, reply.data, request.correlationId, reply.session}));
        QCOMPARE(read.errorMessage(), message);
    }

    void repliesReachTheirRequests()
    {
        AuthData::setSessionId("login");
        FakeServer server;
        QStringList log; // "callback:data"
        for (int i = 0; i < 3; ++i)
            server.send(named("query"), [&log, i](Command& r) { log.append(QString::number(i) % ':' % r.data); });
        server.send({0, 1, QStringLiteral("fire_and_forget"), {}, 0, "own"}, nullptr);
        QCOMPARE(server.transmitted.at(0).session, QByteArray("login"));
        QCOMPARE(server.transmitted.at(3).session, QByteArray("own"));

        // An unknown id, while requests wait, and a second answer are dropped with a warning.
        Command stranger = server.transmitted.at(0);
        stranger.correlationId += 100;
        ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("reply without request")));
        server.deliverReply(stranger);
        for (int i : {2, 3, 0, 1}) // out of order; the request without a callback is answered quietly
            server.answer(i, QByteArray::number(i));
        ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("reply without request")));
        server.answer(0, "again");
        QCOMPARE(log, (QStringList{"2:2", "0:0", "1:1"}));
        QCOMPARE(server.pendingReplyCount(), 0);
    }

    void pushedCommandsReachHandlerThenSignal()
    {
        FakeServer server;
        QStringList events;
        // The handler unregisters itself, then still uses its captures and marks the command;
        // the second push reaches only the signal.
        const QString name = QStringLiteral("changed");
        server.registerCommandHandler(name, [&, label = QString::fromUtf8("handled ")](Command& command) {
            server.unregisterCommandHandler(name);
            events.append(label + QString::fromUtf8(command.data));
            command.result = ResultSuccess;
        });
        connect(&server, &OVServerInterface::commandReceived, this, [&events](const Command& command) {
            events.append(QStringLiteral("signal %1 %2").arg(command.name).arg(command.result));
        });
        const Command pushed{0, 1, QStringLiteral("changed"), "1001", 0, {}};
        for (const Command& command : {pushed, pushed, named("unhandled")})
            server.deliverPushed(command);
        QCOMPARE(events, (QStringList{"handled 1001", "signal changed 1", "signal changed 0", "signal unhandled 0"}));
    }

    void failPendingRepliesAnswersEachRequestOnce()
    {
        FakeServer server;
        const QString lost = QStringLiteral("Соединение потеряно");
        QStringList outcome;
        const auto record = [&](Command& reply) {
            outcome.append(QStringLiteral("%1 %2 %3").arg(reply.name).arg(reply.result)
                               .arg(reply.isSuccess() ? QString::fromUtf8(reply.data) : reply.errorMessage()));
            // Failing again from a callback answers the remaining requests meanwhile.
            if (!reply.isSuccess())
                server.failPendingReplies(ResultNotConnected, lost);
        };
        for (const char* name : {"a", "b", "c"})
            server.send(named(name), record);
        server.answer(1, "done");
        server.failPendingReplies(ResultNotConnected, lost);
        outcome.sort();
        QCOMPARE(outcome, (QStringList{"a 503 " + lost, "b 1 done", "c 503 " + lost}));
        QCOMPARE(server.pendingReplyCount(), 0);
    }

    void notConnectedRepliesAreAsynchronous()
    {
        TcpServerConnection offline; // never connected
        TestPlugin plugin;
        QList<Command> replies;
        offline.send(named("load"), into(replies));
        ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("no server connection")));
        plugin.sendQuery(named("load"), into(replies));
        QVERIFY(replies.isEmpty());

        QTRY_COMPARE(replies.size(), 2);
        for (const Command& reply : qAsConst(replies))
            QVERIFY(reply.result == ResultNotConnected && !reply.errorMessage().isEmpty());
        QCOMPARE(offline.pendingReplyCount(), 0);
    }

    void pluginHandlersFollowTheConnection()
    {
        auto server = std::make_unique<FakeServer>();
        int calls = 0;
        const auto count = [&calls](Command&) { ++calls; };
        const auto push = [&](const char* name) { server->deliverPushed(named(name)); return calls; };
        auto plugin = std::make_unique<TestPlugin>();
        ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("no server connection")));
        plugin->registerCommandHandler({1, QStringLiteral("a")}, count); // before init: dropped
        plugin->init(server.get(), QStringLiteral("test"));
        QCOMPARE(push("a"), 0);
        plugin->registerCommandHandler({1, QStringLiteral("a")}, count);
        QCOMPARE(push("a"), 1);
        QList<Command> replies;
        plugin->sendQuery(named("load"), into(replies));
        QCOMPARE(server->transmitted.size(), 1);
        server->answer(0, "rows");
        QCOMPARE(replies.value(0).data, QByteArray("rows"));

        plugin->uninit();
        QCOMPARE(push("a"), 1);
        plugin->init(server.get(), QStringLiteral("test"));
        plugin->registerCommandHandler({1, QStringLiteral("b")}, count);
        plugin.reset();
        QCOMPARE(push("b"), 1); // destroying the plug-in removed its handler

        TestPlugin outlived;
        outlived.init(server.get(), QStringLiteral("test"));
        server.reset();
        QVERIFY(!outlived.server());
    }
};

OV_TEST_GUILESS_MAIN(tst_CommandChannel)
#include "tst_commandchannel.moc"
