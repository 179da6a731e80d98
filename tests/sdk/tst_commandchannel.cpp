#include "authdata.h"
#include "commandframe.h"
#include "fatalwarnings.h"
#include "ovplugininterface.h"
#include "ovserverinterface.h"
#include "tcpserverconnection.h"

#include <QTest>
#include <QtEndian>

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

Command named(const char* name, const QByteArray& data = {})
{
    return {0, 1, QString::fromUtf8(name), data, 0, {}};
}

// A reply callback that notes "name result data-or-error-message".
OVServerInterface::CommandHandler noteInto(QStringList& notes)
{
    return [&notes](Command& reply) {
        notes.append(QStringLiteral("%1 %2 %3").arg(reply.name).arg(reply.result)
                         .arg(reply.isSuccess() ? QString::fromUtf8(reply.data) : reply.errorMessage()));
    };
}

void expectWarning(const char* pattern)
{
    ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QLatin1String(pattern)));
}

Command command(const char* name, const QByteArray& data, quint64 correlationId, int result = 0)
{
    return {result, -3, QString::fromUtf8(name), data, correlationId, "session"};
}

QVariantList fields(const Command& c)
{
    return {c.result, c.kind, c.name, c.data, c.correlationId, c.session};
}

QByteArray bigEndianLength(quint32 length)
{
    const quint32 bigEndian = qToBigEndian(length);
    return QByteArray(reinterpret_cast<const char*>(&bigEndian), 4);
}

// Feeds bytes in pieces of chunk bytes and takes every command that becomes complete.
QList<Command> readAll(CommandFrame& reader, const QByteArray& bytes, int chunk)
{
    QList<Command> read;
    for (int offset = 0; offset < bytes.size(); offset += chunk) {
        reader.append(bytes.mid(offset, chunk));
        Command c;
        while (reader.takeCommand(c))
            read.append(c);
    }
    return read;
}

} // namespace

class tst_CommandChannel : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { AuthData::clear(); }

    void framesSurviveAnySplit_data()
    {
        QTest::addColumn<QList<Command>>("commands");
        QTest::addColumn<int>("chunk");
        const Command login = command("auth.login", "логин и пароль", Q_UINT64_C(0x1000000002));
        const Command pushed = command("storage.dataChanged", QByteArray(70000, 'x'), 0, 1);
        const Command empty = command("", {}, 0);
        QTest::addRow("one frame whole") << QList<Command>{login} << 4096;
        QTest::addRow("one frame byte by byte") << QList<Command>{login} << 1;
        QTest::addRow("three frames joined in one read") << QList<Command>{login, empty, pushed} << 1000000;
        QTest::addRow("joined frames cut across boundaries") << QList<Command>{login, pushed, login} << 7;
        QTest::addRow("empty command") << QList<Command>{empty} << 3;
    }

    void framesSurviveAnySplit()
    {
        QFETCH(QList<Command>, commands);
        QFETCH(int, chunk);
        QByteArray stream;
        for (const Command& c : qAsConst(commands))
            stream += CommandFrame::encode(c);

        CommandFrame reader;
        const QList<Command> read = readAll(reader, stream, chunk);
        QCOMPARE(read.size(), commands.size());
        for (int i = 0; i < read.size(); ++i)
            QCOMPARE(fields(read.at(i)), fields(commands.at(i)));
        QVERIFY(!reader.hasError());
        QCOMPARE(reader.bufferedSize(), 0);
    }

    void brokenStreams_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("commandsRead");
        QTest::addColumn<bool>("error");
        QTest::addColumn<QByteArray>("rest");
        QTest::addColumn<int>("commandsFromTheRest");
        const QByteArray valid = CommandFrame::encode(command("data.getObjects", "job", 5));
        QByteArray trailing = valid + 'z';
        qToBigEndian(quint32(valid.size() - 4 + 1), trailing.data());

        QTest::addRow("truncated frame waits for the rest")
            << valid + valid.left(valid.size() - 1) << 1 << false << valid.right(1) << 1;
        QTest::addRow("part of a length waits") << valid.left(3) << 0 << false << valid.mid(3) + valid << 2;
        // Once broken, a valid frame after the fault is never read.
        QTest::addRow("garbage length over the limit")
            << valid + QByteArray("\xff\xff\xff\xf0garbage", 11) << 1 << true << valid << 0;
        QTest::addRow("length just over the limit")
            << bigEndianLength(CommandFrame::MaxContentSize + 1) << 0 << true << valid << 0;
        QTest::addRow("content that is no command") << bigEndianLength(5) + QByteArray("hello") << 0 << true << valid << 0;
        QTest::addRow("empty content") << bigEndianLength(0) << 0 << true << valid << 0;
        QTest::addRow("a command with bytes left over") << trailing + valid << 0 << true << valid << 0;
    }

    void brokenStreams()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, commandsRead);
        QFETCH(bool, error);
        QFETCH(QByteArray, rest);
        QFETCH(int, commandsFromTheRest);
        CommandFrame reader;
        QCOMPARE(readAll(reader, bytes, bytes.size()).size(), commandsRead);
        QCOMPARE(reader.hasError() && !reader.errorString().isEmpty(), error);
        QCOMPARE(readAll(reader, rest, 1).size(), commandsFromTheRest);
        QCOMPARE(reader.hasError(), error);
    }

    void repliesReachTheirRequests()
    {
        AuthData::setSessionId("login");
        FakeServer server;
        QStringList notes;
        for (const char* name : {"q0", "q1", "q2"})
            server.send(named(name), noteInto(notes));
        server.send({0, 1, QStringLiteral("fire_and_forget"), {}, 0, "own"}, nullptr);
        QCOMPARE(server.transmitted.at(0).session, QByteArray("login"));
        QCOMPARE(server.transmitted.at(3).session, QByteArray("own"));

        // An unknown id, while requests wait, and a second answer are dropped with a warning.
        Command stranger = server.transmitted.at(0);
        stranger.correlationId += 100;
        expectWarning("reply without request");
        server.deliverReply(stranger);
        for (int i : {2, 3, 0, 1}) // out of order; the request without a callback is answered quietly
            server.answer(i, QByteArray::number(i));
        expectWarning("reply without request");
        server.answer(0, "again");
        QCOMPARE(notes, (QStringList{"q2 1 2", "q0 1 0", "q1 1 1"}));
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
        for (const Command& command : {named("changed", "1001"), named("changed", "1001"), named("unhandled")})
            server.deliverPushed(command);
        QCOMPARE(events, (QStringList{"handled 1001", "signal changed 1", "signal changed 0", "signal unhandled 0"}));
    }

    void failPendingRepliesAnswersEachRequestOnce()
    {
        FakeServer server;
        const QString lost = QStringLiteral("Соединение потеряно");
        QStringList notes;
        const auto note = noteInto(notes);
        const auto record = [&](Command& reply) {
            note(reply);
            // Failing again from a callback answers the remaining requests meanwhile.
            if (!reply.isSuccess())
                server.failPendingReplies(ResultNotConnected, lost);
        };
        for (const char* name : {"a", "b", "c"})
            server.send(named(name), record);
        server.answer(1, "done");
        server.failPendingReplies(ResultNotConnected, lost);
        notes.sort();
        QCOMPARE(notes, (QStringList{"a 503 " + lost, "b 1 done", "c 503 " + lost}));
        QCOMPARE(server.pendingReplyCount(), 0);
    }

    void notConnectedRepliesAreAsynchronous()
    {
        TcpServerConnection offline; // never connected
        TestPlugin plugin;
        QStringList notes;
        offline.send(named("load"), noteInto(notes));
        expectWarning("no server connection");
        plugin.sendQuery(named("load"), noteInto(notes));
        QVERIFY(notes.isEmpty());
        QTRY_COMPARE(notes, (QStringList{"load 503 Нет соединения с сервером", "load 503 Нет соединения с сервером"}));
        QCOMPARE(offline.pendingReplyCount(), 0);
    }

    void pluginHandlersFollowTheConnection()
    {
        auto server = std::make_unique<FakeServer>();
        int calls = 0;
        const auto count = [&calls](Command&) { ++calls; };
        const auto push = [&](const char* name) { server->deliverPushed(named(name)); return calls; };
        auto plugin = std::make_unique<TestPlugin>();
        expectWarning("no server connection");
        plugin->registerCommandHandler({1, QStringLiteral("a")}, count); // before init: dropped
        plugin->init(server.get(), QStringLiteral("test"));
        QCOMPARE(push("a"), 0);
        plugin->registerCommandHandler({1, QStringLiteral("a")}, count);
        QCOMPARE(push("a"), 1);
        QStringList notes;
        plugin->sendQuery(named("load"), noteInto(notes));
        server->answer(0, "rows");
        QCOMPARE(notes, QStringList{"load 1 rows"});

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
