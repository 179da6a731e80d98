#include "authdata.h"
#include "clientsession.h"
#include "fatalwarnings.h"
#include "localstorage.h"
#include "ovdatastream.h"
#include "ovserverinterface.h"
#include "servercommands.h"

#include <QSignalSpy>
#include <QTest>

using namespace orvanta;

namespace {

template<typename... Args>
QByteArray pack(const Args&... args)
{
    QByteArray payload;
    OVDataStream stream(&payload, QIODevice::WriteOnly);
    (stream << ... << args);
    return payload;
}

struct Answer
{
    int result = ResultSuccess;
    QByteArray data;
};
using Script = QHash<QString, Answer>; // request name (with the data name for data.getObjects) -> answer

// Answers each request from the script, later, as a real connection would.
class ScriptedServer : public OVServerInterface
{
public:
    Script script;
    QStringList requests;

protected:
    void transmit(const Command& request) override
    {
        QString key = request.name;
        if (request.name == QLatin1String("data.getObjects")) {
            OVDataStream stream(request.data);
            QString dataname;
            stream >> dataname;
            key += ' ' + dataname;
        }
        requests.append(key);
        const Answer answer = script.value(key, {ResultUnknownCommand, pack(QStringLiteral("unknown"))});
        Command reply = request;
        reply.result = answer.result;
        reply.data = answer.data;
        QMetaObject::invokeMethod(this, [this, reply] { deliverReply(reply); }, Qt::QueuedConnection);
    }
};

ObjectInfo object(TYPE_ID uid, const char* type, TYPE_ID parent = 0)
{
    return {uid, 0, QString::fromLatin1(type), parent, {}, 0, {}, {}};
}

SCHEDULE_DATA schedule(int id)
{
    SCHEDULE_DATA s;
    s.id = id;
    s.name = QStringLiteral("график %1").arg(id);
    return s;
}

_ROLE_DATE_RESTRICTIONS window(int back, int forward)
{
    _ROLE_DATE_RESTRICTIONS r;
    r.mode = _ROLE_DATE_RESTRICTIONS::RelativeToToday;
    r.daysBack = back;
    r.daysForward = forward;
    return r;
}

// A server that knows the planner with a firm, a department, a job and two schedules.
Script organisation()
{
    Script script;
    script.insert(ServerCommands::Login,
                  {ResultSuccess, pack(QByteArray("token-1"), quint32(42), QStringList{"RL_A", "RL_B"}, window(3, 10),
                                       window(1, 2))});
    script.insert(ServerCommands::GetDatanames, {ResultSuccess, pack(QStringList{"orgstructure", "job"})});
    script.insert(QStringLiteral("data.getObjects orgstructure"),
                  {ResultSuccess, pack(QStringLiteral("orgstructure"),
                                       QList<ObjectInfo>{object(1, "OT_FIRM"), object(2, "OT_DEPARTMENT", 1)})});
    script.insert(QStringLiteral("data.getObjects job"),
                  {ResultSuccess, pack(QStringLiteral("job"), QList<ObjectInfo>{object(3, "OT_JOB")})});
    script.insert(ServerCommands::GetSchedules, {ResultSuccess, pack(QList<SCHEDULE_DATA>{schedule(7), schedule(8)})});
    return script;
}

} // namespace

class tst_ClientSession : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        AuthData::clear();
        LocalStorage::instance()->reset();
        // Left from an earlier user: a successful login replaces it, a failed one leaves it.
        LocalStorage::instance()->setObjects(QStringLiteral("stale"), {object(99, "OT_JOB")});
    }

    void loginLoadsEverything()
    {
        ScriptedServer server;
        server.script = organisation();
        ClientSession session(&server, LocalStorage::instance());
        QSignalSpy finished(&session, &ClientSession::finished);
        QSignalSpy progress(&session, &ClientSession::progress);
        QVERIFY(session.start(QStringLiteral("planner"), QStringLiteral("planner2026")));
        QVERIFY(!session.start(QStringLiteral("planner"), QStringLiteral("again"))); // one run at a time
        QVERIFY(finished.wait());

        QCOMPARE(finished.constFirst(), (QVariantList{true, QString()}));
        QCOMPARE(progress.constLast(), (QVariantList{5, 5}));
        QCOMPARE(AuthData::sessionId(), QByteArray("token-1"));
        QCOMPARE(AuthData::userId(), 42u);
        QCOMPARE(AuthData::roles(), (QStringList{"RL_A", "RL_B"}));
        QCOMPARE(AuthData::workTimePlanningRestrictions(), window(3, 10));
        QCOMPARE(AuthData::absenceReasonsRestrictions(), window(1, 2));

        const LocalStorage* store = LocalStorage::instance();
        QCOMPARE(store->datanames(), (QStringList{"job", "orgstructure"}));
        QCOMPARE(store->constObject(2).parent, 1u);
        QCOMPARE(store->schedules().size(), 2);
        QCOMPARE(server.requests.first(), QStringLiteral("auth.login"));
        QCOMPARE(server.requests.size(), 5);
    }

    void failures_data()
    {
        QTest::addColumn<QString>("request");
        QTest::addColumn<int>("result");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("warning");
        QTest::addColumn<QString>("message");
        const QByteArray rejected = pack(QStringLiteral("доступ запрещён"));
        QTest::addRow("wrong password") << "auth.login" << int(ResultUnauthorized) << rejected << QString()
                                        << "Неверное имя пользователя или пароль";
        QTest::addRow("no connection") << "auth.login" << int(ResultNotConnected) << rejected << QString()
                                       << "Нет соединения с сервером";
        QTest::addRow("login failing without a message") << "auth.login" << int(ResultServerError) << QByteArray()
                                                         << QString() << "Сервер отклонил вход: код 500";
        QTest::addRow("login reply without restrictions")
            << "auth.login" << int(ResultSuccess) << pack(QByteArray("t"), quint32(1), QStringList{"RL_A"})
            << "login reply does not decode" << "Сервер прислал повреждённые данные";
        QTest::addRow("login reply without a session")
            << "auth.login" << int(ResultSuccess) << pack(QByteArray(), quint32(1), QStringList(), window(0, 0), window(0, 0))
            << "login reply does not decode" << "Сервер прислал повреждённые данные";
        QTest::addRow("data names refused") << "storage.getDatanames" << int(ResultForbidden) << rejected
                                            << "load request failed"
                                            << "Не удалось загрузить данные с сервера: доступ запрещён";
        QTest::addRow("one table lost with the connection")
            << "data.getObjects job" << int(ResultNotConnected) << rejected << "load request failed"
            << "Нет соединения с сервером";
        QTest::addRow("table under another name")
            << "data.getObjects job" << int(ResultSuccess) << pack(QStringLiteral("orgstructure"), QList<ObjectInfo>())
            << "unexpected objects reply" << "Сервер прислал повреждённые данные";
        QTest::addRow("schedules cut short") << "storage.getSchedules" << int(ResultSuccess)
                                             << pack(QList<SCHEDULE_DATA>{schedule(7)}).left(9)
                                             << "schedules reply does not decode" << "Сервер прислал повреждённые данные";
    }

    void failures()
    {
        QFETCH(QString, request);
        QFETCH(int, result);
        QFETCH(QByteArray, data);
        QFETCH(QString, warning);
        QFETCH(QString, message);
        ScriptedServer server;
        server.script = organisation();
        server.script.insert(request, {result, data});
        ClientSession session(&server, LocalStorage::instance());
        QSignalSpy finished(&session, &ClientSession::finished);
        if (!warning.isEmpty())
            ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QRegularExpression::escape(warning)));
        session.start(QStringLiteral("planner"), QStringLiteral("wrong"));
        QVERIFY(finished.wait());
        // Replies still on their way after the failure are ignored.
        QTest::qWait(20);

        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.constFirst(), (QVariantList{false, message}));
        QCOMPARE(session.errorString(), message);
        QVERIFY(!session.isRunning());
        QVERIFY(AuthData::sessionId().isEmpty() && AuthData::roles().isEmpty());
        QCOMPARE(LocalStorage::instance()->datanames(), QStringList{"stale"});
        QCOMPARE(LocalStorage::instance()->schedules().size(), 0);
    }

    void sessionDestroyedWhileWaiting()
    {
        ScriptedServer server;
        server.script = organisation();
        {
            ClientSession session(&server, LocalStorage::instance());
            session.start(QStringLiteral("planner"), QStringLiteral("planner2026"));
        }
        QTRY_COMPARE(server.pendingReplyCount(), 0);
        QCOMPARE(server.requests, QStringList{"auth.login"});
    }
};

OV_TEST_GUILESS_MAIN(tst_ClientSession)
#include "tst_clientsession.moc"
