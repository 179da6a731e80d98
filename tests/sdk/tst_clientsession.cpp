#include "authdata.h"
#include "clientsession.h"
#include "fatalwarnings.h"
#include "localstorage.h"
#include "ovdatastream.h"
#include "ovserverinterface.h"
#include "payload.h"
#include "servercommands.h"

#include <QSignalSpy>
#include <QTest>

using namespace orvanta;
using ovtest::pack;

namespace {

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
        OVDataStream stream(request.data);
        QString dataname;
        stream >> dataname;
        const QString key = request.name + (request.name == QLatin1String("data.getObjects") ? ' ' + dataname : QString());
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
    return s;
}

_ROLE_DATE_RESTRICTIONS window(int back, int forward)
{
    return {_ROLE_DATE_RESTRICTIONS::RelativeToToday, back, forward, {}, {}};
}

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

} // namespace

class tst_ClientSession : public QObject
{
    Q_OBJECT

    QString m_nobody;

private slots:
    void init()
    {
        AuthData::clear();
        m_nobody = user();
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
        QCOMPARE(user(), QStringLiteral("token-1 42 RL_A,RL_B 3/10 1/2"));
        const LocalStorage* store = LocalStorage::instance();
        QCOMPARE(store->datanames(), (QStringList{"job", "orgstructure"}));
        QCOMPARE(store->constObject(2).parent, 1u);
        QCOMPARE(store->schedules().size(), 2);
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
        const QString damaged = QStringLiteral("Сервер прислал повреждённые данные");
        const auto row = [](const char* tag, const char* request, int result, const QByteArray& data, const char* warning,
                            const QString& message) {
            QTest::newRow(tag) << QString::fromLatin1(request) << result << data << QString::fromLatin1(warning) << message;
        };
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
        QCOMPARE(user(), m_nobody);
        QCOMPARE(LocalStorage::instance()->datanames(), QStringList{"stale"});
        QCOMPARE(LocalStorage::instance()->schedules().size(), 0);
    }

    void sessionDestroyedWhileWaiting()
    {
        ScriptedServer server;
        server.script = organisation();
        ClientSession(&server, LocalStorage::instance()).start(QStringLiteral("planner"), QStringLiteral("planner2026"));
        QTRY_COMPARE(server.pendingReplyCount(), 0);
        QCOMPARE(server.requests, QStringList{"auth.login"});
    }
};

OV_TEST_GUILESS_MAIN(tst_ClientSession)
#include "tst_clientsession.moc"
