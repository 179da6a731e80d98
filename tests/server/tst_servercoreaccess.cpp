#include "servercorefixture.h"

// Sessions, roles, date restrictions and requests that must be refused.
class tst_ServerCoreAccess : public QObject, public ServerCoreFixture
{
    Q_OBJECT

private slots:
    void initTestCase_data() { addEngines(); }
    void init()
    {
        QFETCH_GLOBAL(QString, engine);
        openFresh(engine);
    }
    void cleanup() { m_core.reset(); }

    void login_data();
    void login();
    void sessionRequired_data();
    void sessionRequired();
    void unknownCommand();
    void malformedPayload_data();
    void malformedPayload();
    void roles_data();
    void roles();
    void dateRestrictions_data();
    void dateRestrictions();
};

void tst_ServerCoreAccess::login_data()
{
    QTest::addColumn<QString>("login");
    QTest::addColumn<QString>("password");
    QTest::addColumn<int>("result");
    QTest::addColumn<QStringList>("roles");

    QTest::newRow("right password") << "viewer" << "viewer-secret" << int(ResultSuccess)
                                    << QStringList{"RL_WTPLANNINGVIEW_WORKTIME_SHOW", "RL_WTPLANNINGVIEW_BREAKRULE_SHOW",
                                                   "RL_WTPLANNINGVIEW_ATTACHED_SHOW"};
    QTest::newRow("wrong password") << "viewer" << "planner-secret" << int(ResultUnauthorized) << QStringList();
    QTest::newRow("unknown login") << "nobody" << "viewer-secret" << int(ResultUnauthorized) << QStringList();
    QTest::newRow("empty") << "" << "" << int(ResultUnauthorized) << QStringList();
}

void tst_ServerCoreAccess::login()
{
    QFETCH(QString, login);
    QFETCH(QString, password);
    QFETCH(int, result);
    QFETCH(QStringList, roles);

    Command request;
    request.name = QLatin1String(ServerCommands::Login);
    request.correlationId = 5;
    request.data = pack(login, password);
    const Command reply = m_core->handle(request, 3);
    QCOMPARE(reply.result, result);
    QCOMPARE(reply.correlationId, quint64(5));
    QCOMPARE(reply.name, request.name);
    if (result != ResultSuccess) {
        QCOMPARE(reply.errorMessage(), QStringLiteral("Неверное имя пользователя или пароль"));
        return;
    }
    QByteArray session;
    quint32 userId = 0;
    QStringList granted;
    _ROLE_DATE_RESTRICTIONS workTime;
    _ROLE_DATE_RESTRICTIONS absences;
    QVERIFY(unpack(reply.data, session, userId, granted, workTime, absences));
    QVERIFY(session.size() >= 32);
    QVERIFY(userId != 0);
    QCOMPARE(granted, roles);
    QCOMPARE(workTime.mode, int(_ROLE_DATE_RESTRICTIONS::NoRestriction));
}

void tst_ServerCoreAccess::sessionRequired_data()
{
    QTest::addColumn<QByteArray>("session");
    QTest::addColumn<bool>("logOutFirst");

    QTest::newRow("no session") << QByteArray() << false;
    QTest::newRow("forged token") << QByteArray(64, 'a') << false;
    QTest::newRow("after logout") << QByteArray() << true;
}

void tst_ServerCoreAccess::sessionRequired()
{
    QFETCH(QByteArray, session);
    QFETCH(bool, logOutFirst);

    if (logOutFirst) {
        session = m_sessions.value(QStringLiteral("viewer"));
        QCOMPARE(send(QLatin1String(ServerCommands::Logout), QByteArray(), QStringLiteral("viewer")).result,
                 int(ResultSuccess));
    }
    Command request;
    request.name = Data::commandName(Data::GetObjects);
    request.data = pack(QStringLiteral("subject"));
    request.session = session;
    const Command reply = m_core->handle(request, 1);
    QCOMPARE(reply.result, int(ResultUnauthorized));
    QVERIFY(!reply.errorMessage().isEmpty());
}

void tst_ServerCoreAccess::unknownCommand()
{
    ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("unknown command")));
    const Command reply = sendData("dropEverything", QByteArray());
    QCOMPARE(reply.result, int(ResultUnknownCommand));
    QCOMPARE(reply.errorMessage(), QStringLiteral("Неизвестная команда: data.dropEverything"));
    QCOMPARE(objects(QStringLiteral("subject")).size(), 2);
}

void tst_ServerCoreAccess::malformedPayload_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QByteArray>("payload");

    QTest::newRow("getObjects garbage") << "getObjects" << QByteArray("\x01\x02\x03", 3);
    QTest::newRow("getObjects trailing bytes") << "getObjects" << pack(QStringLiteral("subject"), qint32(1));
    QTest::newRow("addObject without links") << "addObject" << pack(object(0, db::wt::JOB, 0, QStringLiteral("x")));
    QTest::newRow("getWorkerSchedules huge count") << "getWorkerSchedules" << pack(quint32(0xFFFFFFF0u), quint32(1));
    QTest::newRow("setWorkerSchedules empty") << "setWorkerSchedules" << QByteArray();
    QTest::newRow("removeSchedules truncated") << "removeSchedules" << pack(quint32(3), quint32(1));
    QTest::newRow("updateScheduleCalendar no days") << "updateScheduleCalendar"
                                                    << pack(qint32(2), QDate(2026, 3, 1), QDate(2026, 3, 31));
}

void tst_ServerCoreAccess::malformedPayload()
{
    QFETCH(QString, operation);
    QFETCH(QByteArray, payload);

    QSignalSpy pushed(m_core.get(), &ServerCore::pushed);
    ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("payload does not decode")));
    const Command reply = sendData(operation.toLatin1().constData(), payload);
    QCOMPARE(reply.result, int(ResultMalformed));
    QVERIFY(reply.errorMessage().contains(operation));
    QCOMPARE(pushed.count(), 0);
}

void tst_ServerCoreAccess::roles_data()
{
    QTest::addColumn<QString>("login");
    QTest::addColumn<QString>("operation");
    QTest::addColumn<PayloadFactory>("payload");
    QTest::addColumn<int>("result");

    const PayloadFactory job = [] { return pack(object(0, db::wt::JOB, 0, QStringLiteral("Кассир")), QList<_INHERIT_DATA>()); };
    const PayloadFactory rule = [] {
        return pack(object(0, db::wt::BREAK_RULE, 0, QStringLiteral("Обед")), QList<_INHERIT_DATA>{link(0, Shop, INHERIT_BREAK_RULE_OBJECT)});
    };
    const PayloadFactory ruleUpdate = [] { return pack(object(ShopRule, db::wt::BREAK_RULE, 0, QStringLiteral("Обед 30")), QList<_INHERIT_DATA>()); };
    const PayloadFactory ruleRemoval = [] { return pack(object(ShopRule, db::wt::BREAK_RULE, 0, QString())); };
    const PayloadFactory history = [] {
        return pack(QHash<uint, WORKER_SCHEDULE_HISTORY_V2>{
            {Petrova, {Petrova, {historyRecord(CycleSchedule, QDate(2026, 3, 1), QDate(2026, 3, 31))}}}});
    };
    const PayloadFactory personal = [] { return pack(schedule(0, QStringLiteral("Петрова март"), SCHEDULE_DATA::KindPersonal, Petrova)); };
    const PayloadFactory removal = [] { return pack(QList<uint>{uint(IvanovMarch)}); };
    const PayloadFactory month = [] { return pack(QDate(2026, 3, 1), QList<uint>{Ivanov}); };

    QTest::newRow("hr adds a job") << "hr" << "addObject" << job << int(ResultForbidden);
    QTest::newRow("planner adds a job") << "planner" << "addObject" << job << int(ResultSuccess);
    QTest::newRow("viewer adds a break rule") << "viewer" << "addObject" << rule << int(ResultForbidden);
    QTest::newRow("hr adds a break rule") << "hr" << "addObject" << rule << int(ResultSuccess);
    QTest::newRow("restricted updates a break rule") << "restricted" << "updateObjectEx" << ruleUpdate << int(ResultForbidden);
    QTest::newRow("hr updates a break rule") << "hr" << "updateObjectEx" << ruleUpdate << int(ResultSuccess);
    QTest::newRow("viewer removes a break rule") << "viewer" << "removeObject" << ruleRemoval << int(ResultForbidden);
    QTest::newRow("hr removes a break rule") << "hr" << "removeObject" << ruleRemoval << int(ResultSuccess);
    QTest::newRow("hr sets a history") << "hr" << "setWorkerSchedules" << history << int(ResultForbidden);
    QTest::newRow("viewer adds a personal schedule") << "viewer" << "addSchedule" << personal << int(ResultForbidden);
    QTest::newRow("viewer removes a schedule") << "viewer" << "removeSchedules" << removal << int(ResultForbidden);
    QTest::newRow("restricted confirms") << "restricted" << "updateWorkerSaveTime" << month << int(ResultForbidden);
    QTest::newRow("restricted resets sync") << "restricted" << "resetWorkerSyncTime" << month << int(ResultForbidden);
    QTest::newRow("planner confirms") << "planner" << "updateWorkerSaveTime" << month << int(ResultSuccess);
    QTest::newRow("planner resets sync") << "planner" << "resetWorkerSyncTime" << month << int(ResultSuccess);
}

void tst_ServerCoreAccess::roles()
{
    QFETCH(QString, login);
    QFETCH(QString, operation);
    QFETCH(PayloadFactory, payload);
    QFETCH(int, result);

    QSignalSpy pushed(m_core.get(), &ServerCore::pushed);
    const Command reply = sendData(operation.toLatin1().constData(), payload(), login);
    QCOMPARE(reply.result, result);
    if (result == ResultForbidden) {
        QVERIFY2(reply.errorMessage().startsWith(QStringLiteral("Недостаточно прав")), qPrintable(reply.errorMessage()));
        QCOMPARE(pushed.count(), 0);
        QCOMPARE(objects(QStringLiteral("break_rule")).size(), 1);
    } else {
        QVERIFY(pushed.count() > 0);
    }
}

void tst_ServerCoreAccess::dateRestrictions_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<PayloadFactory>("payload");
    QTest::addColumn<int>("result");

    // Ivanov follows the cycle schedule from 1 January, open-ended; "restricted" may edit March.
    const auto history = [](QList<_WORKER_SCHEDULE_HISTORY_RECORD_V2> records) -> PayloadFactory {
        return [records] { return pack(QHash<uint, WORKER_SCHEDULE_HISTORY_V2>{{Ivanov, {Ivanov, records}}}); };
    };
    const QDate open;
    QTest::newRow("history: March changed") << "setWorkerSchedules"
        << history({historyRecord(CycleSchedule, QDate(2026, 1, 1), QDate(2026, 2, 28)),
                    historyRecord(CalendarSchedule, QDate(2026, 3, 1), QDate(2026, 3, 31)),
                    historyRecord(CycleSchedule, QDate(2026, 4, 1), open)})
        << int(ResultSuccess);
    QTest::newRow("history: unchanged January record sent back") << "setWorkerSchedules"
        << history({historyRecord(CycleSchedule, QDate(2026, 1, 1), open)}) << int(ResultSuccess);
    QTest::newRow("history: from April on") << "setWorkerSchedules"
        << history({historyRecord(CycleSchedule, QDate(2026, 1, 1), QDate(2026, 3, 31)),
                    historyRecord(CalendarSchedule, QDate(2026, 4, 1), open)})
        << int(ResultForbidden);
    QTest::newRow("history: last day of February") << "setWorkerSchedules"
        << history({historyRecord(CycleSchedule, QDate(2026, 1, 1), QDate(2026, 2, 27)),
                    historyRecord(CalendarSchedule, QDate(2026, 2, 28), QDate(2026, 3, 31)),
                    historyRecord(CycleSchedule, QDate(2026, 4, 1), open)})
        << int(ResultForbidden);
    const auto calendar = [](QDate from, QDate to) -> PayloadFactory {
        return [from, to] { return pack(qint32(CalendarSchedule), from, to, QList<SCHEDULE_CALENDAR_DAY>()); };
    };
    QTest::newRow("calendar: March") << "updateScheduleCalendar" << calendar(QDate(2026, 3, 1), QDate(2026, 3, 31))
                                     << int(ResultSuccess);
    QTest::newRow("calendar: into April") << "updateScheduleCalendar" << calendar(QDate(2026, 3, 30), QDate(2026, 4, 1))
                                          << int(ResultForbidden);
    const auto absence = [](QDate from, QDate to) -> PayloadFactory {
        return [from, to] {
            return pack(QHash<uint, _WORKER_ABSENCE_REASON>{{Petrova, {Petrova, {absenceRecord(from, to)}}}});
        };
    };
    QTest::newRow("absence: March") << "updateWorkerAbsenceReason" << absence(QDate(2026, 3, 2), QDate(2026, 3, 6))
                                    << int(ResultSuccess);
    QTest::newRow("absence: from February") << "updateWorkerAbsenceReason"
                                            << absence(QDate(2026, 2, 27), QDate(2026, 3, 6)) << int(ResultForbidden);
}

void tst_ServerCoreAccess::dateRestrictions()
{
    QFETCH(QString, operation);
    QFETCH(PayloadFactory, payload);
    QFETCH(int, result);

    QSignalSpy pushed(m_core.get(), &ServerCore::pushed);
    const Command reply = sendData(operation.toLatin1().constData(), payload(), QStringLiteral("restricted"));
    QCOMPARE(reply.result, result);
    if (result == ResultForbidden) {
        QVERIFY2(reply.errorMessage().contains(QStringLiteral("01.03.2026 по 31.03.2026")),
                 qPrintable(reply.errorMessage()));
        QCOMPARE(pushed.count(), 0);
    }
}

OV_TEST_GUILESS_MAIN(tst_ServerCoreAccess)
#include "tst_servercoreaccess.moc"
