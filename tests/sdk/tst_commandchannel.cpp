#include "authdata.h"
#include "clientsession.h"
#include "commandframe.h"
#include "data.h"
#include "fatalwarnings.h"
#include "localstorage.h"
#include "ovdatastream.h"
#include "ovplugininterface.h"
#include "ovserverinterface.h"
#include "payload.h"
#include "servercommands.h"
#include "storagenotificationapplier.h"
#include "tcpserverconnection.h"
#include "vocabulary.h"

#include <QSignalSpy>
#include <QTest>

#include <functional>
#include <memory>
#include <tuple>

using namespace orvanta;
using ov5sdk::Data;
using ovtest::pack;

using DataCall = std::function<void(Data&, const Data::Callback&)>;
// True when the payload decodes to exactly the expected arguments.
using PayloadCheck = std::function<bool(const QByteArray&)>;
Q_DECLARE_METATYPE(DataCall)
Q_DECLARE_METATYPE(PayloadCheck)

namespace {

using Script = QHash<QString, std::pair<int, QByteArray>>; // request (with the data name of data.getObjects) -> reply

// Keeps what was sent; the test answers or pushes by hand, or the script answers later, as a connection would.
class FakeServer : public OVServerInterface
{
public:
    QList<Command> transmitted;
    Script script;

    // Answers the i-th transmitted request with success and data.
    void answer(int i, const QByteArray& data)
    {
        const Command& request = transmitted.at(i);
        deliverReply({ResultSuccess, request.kind, request.name, data, request.correlationId, request.session});
    }
    using OVServerInterface::deliverPushed, OVServerInterface::deliverReply, OVServerInterface::failPendingReplies;

protected:
    void transmit(const Command& request) override
    {
        transmitted.append(request);
        if (script.isEmpty())
            return;
        OVDataStream stream(request.data);
        QString dataname;
        stream >> dataname;
        const QString key = request.name + (request.name == QLatin1String("data.getObjects") ? ' ' + dataname : QString());
        Command reply = request;
        std::tie(reply.result, reply.data) = script.value(key, {ResultUnknownCommand, pack(QStringLiteral("unknown"))});
        QMetaObject::invokeMethod(this, [this, reply] { deliverReply(reply); }, Qt::QueuedConnection);
    }
};

class TestPlugin : public OVPluginInterface
{
public:
    QString pluginName() const override { return QStringLiteral("test"); }
    int pluginVersion() const override { return 1; }
    QString pluginBuild() const override { return QStringLiteral("1"); }
    QWidget* widget() override { return nullptr; }
};

Command named(const char* name, const QByteArray& data = {}) { return {0, 1, QString::fromUtf8(name), data, 0, {}}; }

// A reply callback that notes "name result data-or-error-message".
OVServerInterface::CommandHandler noteInto(QStringList& notes)
{
    return [&notes](Command& reply) {
        notes.append(QStringLiteral("%1 %2 %3").arg(reply.name).arg(reply.result)
                         .arg(reply.isSuccess() ? QString::fromUtf8(reply.data) : reply.errorMessage()));
    };
}

// A command with every field set, as framing must carry it.
Command command(const char* name, const QByteArray& data, quint64 id, int result = 0)
{
    return {result, -3, QString::fromUtf8(name), data, id, "session"};
}

QList<QVariantList> fieldsOf(const QList<Command>& commands)
{
    QList<QVariantList> result;
    for (const Command& c : commands)
        result.append({c.result, c.kind, c.name, c.data, c.correlationId, c.session});
    return result;
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

ObjectInfo object(TYPE_ID uid, const char* type, TYPE_ID parent = 0) { return {uid, 0, type, parent, {}, 0, {}, {}}; }

SCHEDULE_DATA schedule(int id) { return {id, {}, 1, SCHEDULE_DATA::KindCycle, {}, {}, {}, {}, {}, 0}; }

_ROLE_DATE_RESTRICTIONS window(int back, int ahead) { return {_ROLE_DATE_RESTRICTIONS::RelativeToToday, back, ahead}; }

// The logged-in user as one line: session, id, roles and both restriction windows.
QString user()
{
    const auto days = [](const _ROLE_DATE_RESTRICTIONS& r) {
        return QStringLiteral("%1/%2").arg(r.daysBack).arg(r.daysForward);
    };
    return QStringLiteral("%1 %2 %3 %4 %5").arg(QString::fromLatin1(AuthData::sessionId())).arg(AuthData::userId())
        .arg(AuthData::roles().join(','), days(AuthData::workTimePlanningRestrictions()),
             days(AuthData::absenceReasonsRestrictions()));
}

// A server that knows the planner with a firm, a department, a job and two schedules.
Script organisation()
{
    return {{ServerCommands::Login, {ResultSuccess, pack(QByteArray("token-1"), quint32(42), QStringList{"RL_A", "RL_B"},
                                                         window(3, 10), window(1, 2))}},
            {ServerCommands::GetDatanames, {ResultSuccess, pack(QStringList{"orgstructure", "job"})}},
            {"data.getObjects orgstructure", {ResultSuccess, pack(QStringLiteral("orgstructure"),
                 QList<ObjectInfo>{object(1, "OT_FIRM"), object(2, "OT_DEPARTMENT", 1)})}},
            {"data.getObjects job", {ResultSuccess, pack(QStringLiteral("job"), QList<ObjectInfo>{object(3, "OT_JOB")})}},
            {ServerCommands::GetSchedules, {ResultSuccess, pack(QList<SCHEDULE_DATA>{schedule(7), schedule(8)})}}};
}

// Reads the payload back with the types of the expected arguments, in their order.
template<typename... Args>
PayloadCheck decodesTo(const Args&... expected)
{
    return [=](const QByteArray& payload) {
        OVDataStream stream(payload);
        std::tuple<Args...> read;
        std::apply([&stream](auto&... values) { (stream >> ... >> values); }, read);
        return stream.status() == QDataStream::Ok && stream.atEnd() && read == std::make_tuple(expected...);
    };
}

} // namespace

// One row of dataOperation_data: the tag's first word is the operation, call runs on Data d with callback cb,
// and the payload must decode to the remaining arguments.
#define OPERATION_ROW(tag, call, ...) \
    QTest::newRow(tag) << DataCall([=](Data& d, const Data::Callback& cb) { d.call; }) << decodesTo(__VA_ARGS__)

class tst_CommandChannel : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { AuthData::clear(); }

    void frames_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("chunk");
        QTest::addColumn<QList<Command>>("read");
        QTest::addColumn<bool>("error");
        QTest::addColumn<QByteArray>("rest"); // fed byte by byte afterwards
        QTest::addColumn<int>("readFromRest");
        const Command login = command("auth.login", "логин и пароль", Q_UINT64_C(0x1000000002));
        const Command pushed = command("storage.dataChanged", QByteArray(70000, 'x'), 0, 1);
        const Command empty = command("", {}, 0);
        const QByteArray frame = CommandFrame::encode(login), big = CommandFrame::encode(pushed);
        const QByteArray trailing = pack(quint32(frame.size() - 3)) + frame.mid(4) + 'z';
        const auto row = [](const char* tag, const QByteArray& bytes, int chunk, const QList<Command>& read,
                            bool error = false, const QByteArray& rest = {}, int readFromRest = 0) {
            QTest::newRow(tag) << bytes << chunk << read << error << rest << readFromRest;
        };
        const int whole = 1 << 20;
        row("one frame whole", frame, whole, {login});
        row("one frame byte by byte", frame, 1, {login});
        row("three frames joined in one read", frame + CommandFrame::encode(empty) + big, whole, {login, empty, pushed});
        row("joined frames cut across boundaries", frame + big + frame, 7, {login, pushed, login});
        row("empty command", CommandFrame::encode(empty), 3, {empty});
        row("truncated frame waits for the rest", frame + frame.chopped(1), whole, {login}, false, frame.right(1), 1);
        row("part of a length waits", frame.left(3), whole, {}, false, frame.mid(3) + frame, 2);
        // Once broken, a valid frame after the fault is never read.
        row("garbage length over the limit", frame + QByteArray("\xff\xff\xff\xf0garbage", 11), whole, {login}, true,
            frame);
        row("length just over the limit", pack(quint32(CommandFrame::MaxContentSize + 1)), whole, {}, true, frame);
        row("content that is no command", pack(quint32(5)) + "hello", whole, {}, true, frame);
        row("empty content", pack(quint32(0)), whole, {}, true, frame);
        row("a command with bytes left over", trailing + frame, whole, {}, true, frame);
    }

    void frames()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, chunk);
        QFETCH(QList<Command>, read);
        QFETCH(bool, error);
        QFETCH(QByteArray, rest);
        QFETCH(int, readFromRest);
        CommandFrame reader;
        QCOMPARE(fieldsOf(readAll(reader, bytes, chunk)), fieldsOf(read));
        QCOMPARE(reader.hasError() && !reader.errorString().isEmpty(), error);
        QCOMPARE(readAll(reader, rest, 1).size(), readFromRest);
        QCOMPARE(reader.hasError(), error);
        if (!error)
            QCOMPARE(reader.bufferedSize(), 0);
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
        ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("reply without request")));
        server.deliverReply(stranger);
        for (int i : {2, 3, 0, 1}) // out of order; the request without a callback is answered quietly
            server.answer(i, QByteArray::number(i));
        ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("reply without request")));
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
        ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("no server connection")));
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
        ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("no server connection")));
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

    void dataOperation_data()
    {
        QTest::addColumn<DataCall>("call");
        QTest::addColumn<PayloadCheck>("payload");

        const QDate from(2024, 3, 1), to(2024, 3, 31);
        const QList<uint> ids{107, 103, 105};
        const ObjectInfo rule{501, 0, db::wt::BREAK_RULE, 10, {{QLatin1String(db::common::NAME), "Обед"}}, 0, {}, {}};
        const QList<_INHERIT_DATA> links{{501, 10, INHERIT_BREAK_RULE_OBJECT, QDateTime(from, {}), {}}}, none;
        const SCHEDULE_DATA schedule{4, "Сутки", 1, 1, {}, from, {}, {{0}, {-1}}, {{300, {}}}, 0};
        const QHash<uint, WORKER_SCHEDULE_HISTORY_V2> histories{{103, {103, {{0, 4, from, QDate(), 1, from}}}}};
        const QHash<uint, _WORKER_ABSENCE_REASON> absences{{105, {105, {{77, 3, {}, {}, true, "врач", {}}}}}};
        const QList<SCHEDULE_CALENDAR_DAY> days{{0, from, 300, 8 * 3600, 17 * 3600, 0, 0, 0, {}}};
        const DbQuery query(QStringLiteral("select worker_id from balance"));
        const QList<_BLOB_DATA_RESQUEST> blobs{{103, QStringLiteral("PT_PHOTO"), "0123abcd"}};
        const QString client = QStringLiteral("wtplanningview:host"), queryId = QStringLiteral("balance-7");

        OPERATION_ROW("getWorkerSchedules", getWorkerSchedules(ids, cb), ids);
        OPERATION_ROW("getWorkerAbsenceReasons", getWorkerAbsenceReasons(ids, cb), ids);
        OPERATION_ROW("getWorkerNormTime", getWorkerNormTime(from, to, ids, cb), from, to, ids);
        OPERATION_ROW("getWorkerSyncTime", getWorkerSyncTime(from, to, ids, cb), from, to, ids);
        OPERATION_ROW("getWorkTimeBudgets", getWorkTimeBudgets(ids, from, to, cb), ids, from, to);
        OPERATION_ROW("getWorkTimeHours", getWorkTimeHours(ids, from, to, cb), ids, from, to);
        OPERATION_ROW("getScheduleCalendar", getScheduleCalendar({4, -9}, from, to, cb), QList<int>{4, -9}, from, to);
        OPERATION_ROW("getObjects", getObjects(client, cb), client);
        OPERATION_ROW("getBlobDataChange", getBlobDataChange(blobs, cb), blobs);
        OPERATION_ROW("execAsyncSql", execAsyncSql(client, queryId, query, cb), client, queryId, query);
        OPERATION_ROW("cancelAsyncSql", cancelAsyncSql(client, queryId, cb), client, queryId);
        OPERATION_ROW("addObject sends an empty link list", addObject(rule, cb), rule, none);
        OPERATION_ROW("addObject with links", addObject(rule, links, cb), rule, links);
        OPERATION_ROW("updateObjectEx sends an empty link list", updateObjectEx(rule, cb), rule, none);
        OPERATION_ROW("updateObjectEx with links", updateObjectEx(rule, links, cb), rule, links);
        OPERATION_ROW("removeObject", removeObject(rule, cb), rule);
        OPERATION_ROW("addSchedule", addSchedule(schedule, cb), schedule);
        OPERATION_ROW("removeSchedules", removeSchedules(ids, cb), ids);
        OPERATION_ROW("setWorkerSchedules", setWorkerSchedules(histories, cb), histories);
        OPERATION_ROW("updateWorkerAbsenceReason", updateWorkerAbsenceReason(absences, cb), absences);
        OPERATION_ROW("updateScheduleCalendar", updateScheduleCalendar(4, from, to, days, cb), qint32(4), from, to, days);
        OPERATION_ROW("updateWorkerSaveTime", updateWorkerSaveTime(from, ids, cb), from, ids);
        OPERATION_ROW("resetWorkerSyncTime", resetWorkerSyncTime(from, ids, cb), from, ids);
    }

    void dataOperation()
    {
        QFETCH(DataCall, call);
        QFETCH(PayloadCheck, payload);
        const QString name = QLatin1String("data.") + QString::fromLatin1(QTest::currentDataTag()).section(' ', 0, 0);
        FakeServer server;
        TestPlugin plugin;
        plugin.init(&server, QStringLiteral("wtplanningview"));
        QList<Command> replies;
        const Data::Callback callback = [&replies](Command& reply) { replies.append(reply); };
        Data data(&plugin, "session-token");
        call(data, callback);

        QCOMPARE(server.transmitted.size(), 1);
        const Command request = server.transmitted.first();
        QCOMPARE(request.name, name);
        QCOMPARE(request.session, QByteArray("session-token"));
        QVERIFY(payload(request.data));
        server.deliverReply(request);
        QCOMPARE(replies.size(), 1);

        // Without a plug-in: a not-connected reply, exactly once and never inside the call.
        ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("no plug-in to send through")));
        Data offline(nullptr, "session-token");
        call(offline, callback);
        QCOMPARE(replies.size(), 1);
        QTRY_VERIFY(replies.size() > 1);
        QCoreApplication::processEvents();
        QCOMPARE(replies.size(), 2);
        QCOMPARE(replies.last().name + ' ' + QString::number(replies.last().result), name + " 503");
    }

    void unpackObjects()
    {
        const ObjectInfo first{10, 0, db::orgstructure::DEPARTMENT, 1, {}, 0, {}, {}};
        const ObjectInfo second{11, 0, db::orgstructure::WORKER, 10, {}, 0, {}, {}};
        const QByteArray payload = ovtest::pack(QStringLiteral("job"), QList<ObjectInfo>{first, second});
        // Whole, the payload decodes; cut short anywhere, or announcing more objects than it holds, it must not.
        QList<QByteArray> candidates{payload, ovtest::pack(QStringLiteral("job"), quint32(0x7fffffff), first)};
        for (int length = 0; length < payload.size(); ++length)
            candidates.append(payload.left(length));
        for (const QByteArray& candidate : qAsConst(candidates)) {
            const bool whole = candidate == payload;
            if (!whole)
                ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("objects payload does not decode")));
            OBJECT_HASH out{{42, ObjectInfo()}};
            QString dataname;
            QVERIFY2(Data::unpackObjects(out, dataname, candidate) == whole, qPrintable(QString::number(candidate.size())));
            QCOMPARE(out, (whole ? OBJECT_HASH{{10, first}, {11, second}} : OBJECT_HASH()));
            QCOMPARE(dataname, whole ? QStringLiteral("job") : QString());
        }
    }

    void login_data()
    {
        QTest::addColumn<QString>("request");
        QTest::addColumn<int>("result");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("warning");
        QTest::addColumn<QString>("message");
        const QByteArray rejected = pack(QStringLiteral("доступ запрещён"));
        const QString damaged = QStringLiteral("Сервер прислал повреждённые данные");
        const auto row = [](const char* tag, const char* request, int result, const QByteArray& data, const char* warning,
                            const QString& message) {
            QTest::newRow(tag) << QString::fromLatin1(request) << result << data << QString::fromLatin1(warning) << message;
        };
        row("everything loads", "", 0, {}, "", QString());
        row("wrong password", "auth.login", ResultUnauthorized, rejected, "", "Неверное имя пользователя или пароль");
        row("no connection", "auth.login", ResultNotConnected, rejected, "", "Нет соединения с сервером");
        row("login failing without a message", "auth.login", ResultServerError, {}, "", "Сервер отклонил вход: код 500");
        row("login reply without restrictions", "auth.login", ResultSuccess,
            pack(QByteArray("t"), quint32(1), QStringList{"RL_A"}), "login reply does not decode", damaged);
        row("login reply without a session", "auth.login", ResultSuccess,
            pack(QByteArray(), quint32(1), QStringList(), window(0, 0), window(0, 0)), "login reply does not decode",
            damaged);
        row("data names refused", "storage.getDatanames", ResultForbidden, rejected, "load request failed",
            "Не удалось загрузить данные с сервера: доступ запрещён");
        row("one table lost with the connection", "data.getObjects job", ResultNotConnected, rejected,
            "load request failed", "Нет соединения с сервером");
        row("table under another name", "data.getObjects job", ResultSuccess,
            pack(QStringLiteral("orgstructure"), QList<ObjectInfo>()), "unexpected objects reply", damaged);
        row("schedules cut short", "storage.getSchedules", ResultSuccess, pack(QList<SCHEDULE_DATA>{schedule(7)}).left(9),
            "schedules reply does not decode", damaged);
    }

    void login()
    {
        QFETCH(QString, request);
        QFETCH(int, result);
        QFETCH(QByteArray, data);
        QFETCH(QString, warning);
        QFETCH(QString, message);
        const QString nobody = user();
        LocalStorage::instance()->reset();
        // Left from an earlier user: a successful login replaces it, a failed one leaves it.
        LocalStorage::instance()->setObjects(QStringLiteral("stale"), {object(99, "OT_JOB")});
        FakeServer server;
        server.script = organisation();
        if (!request.isEmpty())
            server.script.insert(request, {result, data});
        ClientSession session(&server, LocalStorage::instance());
        QSignalSpy finished(&session, &ClientSession::finished);
        QSignalSpy progress(&session, &ClientSession::progress);
        if (!warning.isEmpty())
            ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QRegularExpression::escape(warning)));
        QVERIFY(session.start(QStringLiteral("planner"), QStringLiteral("planner2026")));
        QVERIFY(!session.start(QStringLiteral("planner"), QStringLiteral("again"))); // one run at a time
        QVERIFY(finished.wait());
        // Replies still on their way after a failure are ignored.
        QTest::qWait(20);

        const bool loaded = message.isEmpty();
        QCOMPARE(QList<QVariantList>(finished), (QList<QVariantList>{{loaded, message}}));
        QCOMPARE(session.errorString(), message);
        QVERIFY(!session.isRunning());
        QCOMPARE(user(), loaded ? QStringLiteral("token-1 42 RL_A,RL_B 3/10 1/2") : nobody);
        const LocalStorage* store = LocalStorage::instance();
        QCOMPARE(store->datanames(), loaded ? QStringList({"job", "orgstructure"}) : QStringList({"stale"}));
        QCOMPARE(store->constObject(2).parent, loaded ? 1u : 0u);
        QCOMPARE(store->schedules().size(), loaded ? 2 : 0);
        if (loaded)
            QCOMPARE(progress.constLast() + QVariantList{server.transmitted.size()}, (QVariantList{5, 5, 5}));
    }

    // A login again after a lost connection brings the store to the server's tables, but keeps
    // what was pushed after they were read: the load would otherwise undo a newer change.
    void refreshKeepsLaterPushes_data()
    {
        QTest::addColumn<QString>("push");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("expected"); // the schedule ids, then uid:parent of objects 2, 3 and 4
        QTest::addRow("nothing pushed") << QString() << QByteArray() << "7 8 2:1 3:0 -";
        QTest::addRow("schedule added") << ServerCommands::ScheduleChanged << pack(QList<SCHEDULE_DATA>{schedule(9)})
                                        << "7 8 9 2:1 3:0 -";
        QTest::addRow("schedule removed") << ServerCommands::ScheduleRemoved << pack(QList<quint32>{8}) << "7 2:1 3:0 -";
        QTest::addRow("object moved") << ServerCommands::DataChanged
            << pack(QStringLiteral("orgstructure"), QList<ObjectInfo>{object(2, "OT_DEPARTMENT")}) << "7 8 2:0 3:0 -";
        QTest::addRow("object removed") << ServerCommands::DataRemoved << pack(QStringLiteral("job"), QList<quint32>{3})
                                        << "7 8 2:1 - -";
    }

    void refreshKeepsLaterPushes()
    {
        QFETCH(QString, push);
        QFETCH(QByteArray, data);
        QFETCH(QString, expected);
        LocalStorage& store = *LocalStorage::instance();
        store.reset();
        // Schedule 6 and job 4 went while the connection was lost.
        store.setObjects(QStringLiteral("orgstructure"), {object(1, "OT_FIRM"), object(2, "OT_DEPARTMENT", 1)});
        store.setObjects(QStringLiteral("job"), {object(3, "OT_JOB"), object(4, "OT_JOB")});
        store.setSchedules({schedule(6), schedule(7), schedule(8)});
        FakeServer server;
        server.script = organisation();
        StorageNotificationApplier applier(&server, &store);
        ClientSession session(&server, &store);
        // The third step is the schedules' reply; the tables' replies are still on their way.
        connect(&session, &ClientSession::progress, this, [&](int done) {
            if (done == 3 && !push.isEmpty())
                server.deliverPushed(named(qPrintable(push), data));
        });
        QSignalSpy finished(&session, &ClientSession::finished);
        QVERIFY(session.start(QStringLiteral("planner"), QStringLiteral("planner2026"), ClientSession::RefreshStore)
                && finished.wait());
        QStringList seen;
        for (int id : store.schedules().keys())
            seen.append(QString::number(id));
        seen.sort();
        for (TYPE_ID uid : {2u, 3u, 4u}) {
            const ObjectInfo object = store.constObject(uid);
            seen.append(object.isValid() ? QStringLiteral("%1:%2").arg(uid).arg(object.parent) : QStringLiteral("-"));
        }
        QCOMPARE(seen.join(' '), expected);
    }

    void sessionDestroyedWhileWaiting()
    {
        FakeServer server;
        server.script = organisation();
        ClientSession(&server, LocalStorage::instance()).start(QStringLiteral("planner"), QStringLiteral("planner2026"));
        QTRY_COMPARE(server.pendingReplyCount(), 0);
        QCOMPARE(server.transmitted.size(), 1); // the login only
    }
};

OV_TEST_GUILESS_MAIN(tst_CommandChannel)
#include "tst_commandchannel.moc"
