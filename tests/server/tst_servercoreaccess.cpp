#include "serverfixture.h"

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
        m_sessions.insert(QStringLiteral("forged"), QByteArray(64, 'a'));
        m_sessions.insert(QStringLiteral("logged out"),
                          ServerCoreFixture::login(QStringLiteral("viewer"), QStringLiteral("viewer-secret")));
        QCOMPARE(send(QLatin1String(ServerCommands::Logout), {}, QStringLiteral("logged out")).result, int(ResultSuccess));
    }
    void cleanup() { m_core.reset(); }

    void login_data()
    {
        QTest::addColumn<QString>("login");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QStringList>("roles");

        QTest::newRow("right password") << "viewer" << "viewer-secret"
                                        << QStringList{"RL_WTPLANNINGVIEW_WORKTIME_SHOW", "RL_WTPLANNINGVIEW_WORKTIME_REPORT",
                                                       "RL_WTPLANNINGVIEW_BREAKRULE_SHOW", "RL_WTPLANNINGVIEW_ATTACHED_SHOW"};
        QTest::newRow("wrong password") << "viewer" << "planner-secret" << QStringList();
        QTest::newRow("unknown login") << "nobody" << "viewer-secret" << QStringList();
        QTest::newRow("empty") << "" << "" << QStringList();
    }

    void login()
    {
        QFETCH(QString, login);
        QFETCH(QString, password);
        QFETCH(QStringList, roles);

        const Command reply = send(QLatin1String(ServerCommands::Login), pack(login, password), QString());
        QCOMPARE(reply.result, roles.isEmpty() ? int(ResultUnauthorized) : int(ResultSuccess));
        QCOMPARE(reply.correlationId, quint64(77));
        if (roles.isEmpty()) {
            QCOMPARE(reply.errorMessage(), QStringLiteral("Неверное имя пользователя или пароль"));
            return;
        }
        QByteArray session;
        quint32 userId = 0;
        QStringList granted;
        _ROLE_DATE_RESTRICTIONS workTime, absences;
        QVERIFY(unpack(reply.data, session, userId, granted, workTime, absences) && session.size() >= 32 && userId != 0);
        QCOMPARE(granted, roles);
    }

    // Break rules reach only sessions with their SHOW role, in replies and in notifications: the
    // planner on connection 1 removes one while "restricted" looks on from connection 2.
    void readsFollowRoles()
    {
        const Command rules = sendData(Data::GetObjects, pack(QStringLiteral("break_rule")), QStringLiteral("restricted"), 2);
        QCOMPARE(rules.data, pack(QStringLiteral("break_rule"), QList<ObjectInfo>()));
        QCOMPARE(objects(QStringLiteral("break_rule")).size(), 1);
        QSignalSpy pushed(m_core.get(), &ServerCore::pushed);
        QCOMPARE(sendData(Data::RemoveObject, pack(object(ShopRule, db::wt::BREAK_RULE, 0, QString()))).result, int(ResultSuccess));
        QStringList toPlanner, toRestricted;
        for (const QList<QVariant>& arguments : qAsConst(pushed))
            (arguments.at(1).toULongLong() == 1 ? toPlanner : toRestricted).append(arguments.at(0).value<Command>().name);
        QCOMPARE(toPlanner, (QStringList{ServerCommands::DataRemoved, ServerCommands::DataChanged}));
        QCOMPARE(toRestricted, QStringList{ServerCommands::DataChanged});
    }

    void refusedRequests_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("warning");
        QTest::addColumn<QString>("message");

        const QString undecoded = QStringLiteral("payload does not decode");
        const auto malformed = [&](const char* tag, const char* operation, const QByteArray& payload) {
            QTest::newRow(tag) << operation << payload << int(ResultMalformed) << undecoded << operation;
        };
        QTest::newRow("unknown command") << "dropEverything" << QByteArray() << int(ResultUnknownCommand)
                                         << "unknown command" << "Неизвестная команда: data.dropEverything";
        malformed("getObjects garbage", "getObjects", QByteArray("\x01\x02\x03", 3));
        malformed("getObjects trailing bytes", "getObjects", pack(QStringLiteral("subject"), qint32(1)));
        malformed("addObject without links", "addObject", pack(object(0, db::wt::JOB, 0, QStringLiteral("x"))));
        malformed("getWorkerSchedules huge count", "getWorkerSchedules", pack(quint32(0xFFFFFFF0u), quint32(1)));
        malformed("setWorkerSchedules empty", "setWorkerSchedules", QByteArray());
        malformed("removeSchedules truncated", "removeSchedules", pack(quint32(3), quint32(1)));
        malformed("updateScheduleCalendar no days", "updateScheduleCalendar",
                  pack(qint32(2), QDate(2026, 3, 1), QDate(2026, 3, 31)));
        QTest::newRow("removeSchedules of unknown ids") << "removeSchedules" << pack(QList<uint>{4000u})
                                                        << int(ResultMalformed) << QString() << "не найдены";
    }

    void refusedRequests()
    {
        QFETCH(QString, operation);
        QFETCH(QByteArray, payload);
        QFETCH(int, result);
        QFETCH(QString, warning);
        QFETCH(QString, message);

        QSignalSpy pushed(m_core.get(), &ServerCore::pushed);
        if (!warning.isEmpty())
            ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(warning));
        const Command reply = sendData(operation.toLatin1().constData(), payload);
        QCOMPARE(reply.result, result);
        QVERIFY2(reply.errorMessage().contains(message), qPrintable(reply.errorMessage()));
        QCOMPARE(pushed.count(), 0);
    }

    // Every write as each demo user and without a session: the planner may do all, the viewer
    // nothing, hr only the break rules and attached workers.
    void roles_data()
    {
        QTest::addColumn<QString>("login");
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<int>("result");

        const QByteArray job = pack(object(0, db::wt::JOB, 0, QStringLiteral("Кассир")), QList<_INHERIT_DATA>());
        const QByteArray rule = pack(object(0, db::wt::BREAK_RULE, 0, QStringLiteral("Обед")),
                                     QList<_INHERIT_DATA>{link(0, Shop, INHERIT_BREAK_RULE_OBJECT)});
        const QByteArray ruleUpdate = pack(object(ShopRule, db::wt::BREAK_RULE, 0, QStringLiteral("Обед 30")), QList<_INHERIT_DATA>());
        const QByteArray ruleRemoval = pack(object(ShopRule, db::wt::BREAK_RULE, 0, QString()));
        const QByteArray trip = tripPayload(0, Ivanov, Firm, QDate(2026, 3, 10), QDate(2026, 3, 12));
        const QByteArray history = pack(QHash<uint, WORKER_SCHEDULE_HISTORY_V2>{
            {Petrova, {Petrova, {historyRecord(CycleSchedule, QDate(2026, 3, 1), QDate(2026, 3, 31))}}}});
        const QByteArray absences = pack(QHash<uint, _WORKER_ABSENCE_REASON>{
            {Petrova, {Petrova, {absence(Seller, QDate(2026, 3, 2).startOfDay(), QDate(2026, 3, 6).startOfDay())}}}});
        const QByteArray calendar = pack(qint32(CalendarSchedule), QDate(2026, 3, 1), QDate(2026, 3, 31), CalendarDays());
        const QByteArray personal = pack(schedule(0, QStringLiteral("Петрова март"), SCHEDULE_DATA::KindPersonal, Petrova));
        const QByteArray removal = pack(QList<uint>{uint(IvanovMarch)});
        const QByteArray month = pack(QDate(2026, 3, 1), QList<uint>{Ivanov});

        QTest::newRow("forged token") << "forged" << "addObject" << job << int(ResultUnauthorized);
        QTest::newRow("after logout") << "logged out" << "addObject" << job << int(ResultUnauthorized);
        const struct { const char* tag; const char* operation; QByteArray payload; bool hrMay; } writes[] = {
            {"adds a job", "addObject", job, false}, {"adds a break rule", "addObject", rule, true},
            {"updates a break rule", "updateObjectEx", ruleUpdate, true}, {"removes a break rule", "removeObject", ruleRemoval, true},
            {"adds an attached worker", "addObject", trip, true}, {"adds a schedule", "addSchedule", personal, false},
            {"removes a schedule", "removeSchedules", removal, false}, {"sets a history", "setWorkerSchedules", history, false},
            {"sets an absence", "updateWorkerAbsenceReason", absences, false},
            {"edits a calendar", "updateScheduleCalendar", calendar, false},
            {"approves a month", "updateWorkerSaveTime", month, false}, {"resets a month", "resetWorkerSyncTime", month, false}};
        for (const auto& write : writes) {
            for (const QString login : {"planner", "viewer", "hr", ""}) {
                const bool may = login == QLatin1String("planner") || (login == QLatin1String("hr") && write.hrMay);
                const int result = login.isEmpty() ? ResultUnauthorized : may ? ResultSuccess : ResultForbidden;
                QTest::addRow("%s %s", login.isEmpty() ? "no session" : qPrintable(login), write.tag)
                    << login << write.operation << write.payload << result;
            }
        }
    }

    void roles()
    {
        QFETCH(QString, login);
        QFETCH(QString, operation);
        QFETCH(QByteArray, payload);
        QFETCH(int, result);

        QSignalSpy pushed(m_core.get(), &ServerCore::pushed);
        const Command reply = sendData(operation.toLatin1().constData(), payload, login);
        QCOMPARE(reply.result, result);
        QCOMPARE(pushed.isEmpty(), result != ResultSuccess);
        if (result != ResultSuccess) {
            QVERIFY2(reply.errorMessage().startsWith(result == ResultForbidden ? QStringLiteral("Недостаточно прав")
                                                                                : QStringLiteral("Сеанс")),
                     qPrintable(reply.errorMessage()));
            QCOMPARE(objects(QStringLiteral("break_rule")).size(), 1);
        }
    }

    void dateRestrictions_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<QString>("notice");

        // A refused write notifies nothing, an accepted one notifies after its commit.
        const QString forbidden, changed = ServerCommands::DataChanged, calendarChanged = ServerCommands::ScheduleChanged;
        // Ivanov follows the cycle schedule from 1 January, open-ended; "restricted" may plan March and
        // set absences from 15 February.
        const auto history = [](const QList<_WORKER_SCHEDULE_HISTORY_RECORD_V2>& records) {
            return pack(QHash<uint, WORKER_SCHEDULE_HISTORY_V2>{{Ivanov, {Ivanov, records}}});
        };
        const QDate open;
        QTest::newRow("history: March changed") << "setWorkerSchedules"
            << history({historyRecord(CycleSchedule, QDate(2026, 1, 1), QDate(2026, 2, 28)),
                        historyRecord(CalendarSchedule, QDate(2026, 3, 1), QDate(2026, 3, 31)),
                        historyRecord(CycleSchedule, QDate(2026, 4, 1), open)})
            << changed;
        QTest::newRow("history: from 10 March on") << "setWorkerSchedules"
            << history({historyRecord(CycleSchedule, QDate(2026, 1, 1), QDate(2026, 3, 9)),
                        historyRecord(CalendarSchedule, QDate(2026, 3, 10), open)})
            << forbidden;
        QTest::newRow("history: last day of February") << "setWorkerSchedules"
            << history({historyRecord(CycleSchedule, QDate(2026, 1, 1), QDate(2026, 2, 27)),
                        historyRecord(CalendarSchedule, QDate(2026, 2, 28), QDate(2026, 3, 31)),
                        historyRecord(CycleSchedule, QDate(2026, 4, 1), open)})
            << forbidden;
        const auto calendar = [](QDate from, QDate to) { return pack(qint32(CalendarSchedule), from, to, CalendarDays()); };
        QTest::newRow("calendar: March") << "updateScheduleCalendar" << calendar(QDate(2026, 3, 1), QDate(2026, 3, 31))
                                         << calendarChanged;
        QTest::newRow("calendar: into April") << "updateScheduleCalendar" << calendar(QDate(2026, 3, 30), QDate(2026, 4, 1))
                                              << forbidden;
        const auto absences = [](QDate from, QDate to) {
            return pack(QHash<uint, _WORKER_ABSENCE_REASON>{{Petrova, {Petrova, {absence(Seller, from.startOfDay(), to.startOfDay())}}}});
        };
        QTest::newRow("absence: from 15 February") << "updateWorkerAbsenceReason"
                                                   << absences(QDate(2026, 2, 15), QDate(2026, 3, 6)) << changed;
        QTest::newRow("absence: from 14 February") << "updateWorkerAbsenceReason"
                                                   << absences(QDate(2026, 2, 14), QDate(2026, 3, 6)) << forbidden;
        const auto month = [](QDate first) { return pack(first, QList<uint>{Ivanov}); };
        QTest::newRow("approve: March") << "updateWorkerSaveTime" << month(QDate(2026, 3, 1)) << changed;
        QTest::newRow("approve: April") << "updateWorkerSaveTime" << month(QDate(2026, 4, 1)) << forbidden;
        QTest::newRow("reset: February") << "resetWorkerSyncTime" << month(QDate(2026, 2, 1)) << forbidden;
    }

    void dateRestrictions()
    {
        QFETCH(QString, operation);
        QFETCH(QByteArray, payload);
        QFETCH(QString, notice);

        QSignalSpy pushed(m_core.get(), &ServerCore::pushed);
        const Command reply = sendData(operation.toLatin1().constData(), payload, QStringLiteral("restricted"));
        QCOMPARE(reply.result, notice.isEmpty() ? int(ResultForbidden) : int(ResultSuccess));
        QCOMPARE(pushedNames(pushed), notice.isEmpty() ? QStringList() : QStringList{notice});
        if (notice.isEmpty())
            QVERIFY2(reply.errorMessage().contains(QStringLiteral("по 31.03.2026")), qPrintable(reply.errorMessage()));
    }

    // Ivanov of the shop is away at the firm from 10 to 12 March, Petrova from 26 to 27 February;
    // each row then adds a trip, or with update moves the employee's. A refused one changes nothing.
    void trips_data()
    {
        QTest::addColumn<QString>("login");
        QTest::addColumn<bool>("update");
        QTest::addColumn<uint>("employee");
        QTest::addColumn<uint>("department");
        QTest::addColumn<QDate>("first");
        QTest::addColumn<QDate>("last");
        QTest::addColumn<QString>("refusal");

        const QString overlap = QStringLiteral("уже присутствует внутренняя командировка");
        const QString own = QStringLiteral("собственное подразделение");
        const QString closed = QStringLiteral("по 31.03.2026");
        const auto row = [](const char* tag, const char* login, bool update, TYPE_ID employee, TYPE_ID department,
                            int firstDay, int lastDay, const QString& refusal) {
            QTest::newRow(tag) << login << update << uint(employee) << uint(department) << QDate(2026, 3, firstDay)
                               << QDate(2026, lastDay < firstDay - 10 ? 4 : 3, lastDay) << refusal;
        };
        row("the day after", "planner", false, Ivanov, Firm, 13, 14, QString());
        row("on its last day", "planner", false, Ivanov, Firm, 12, 14, overlap);
        row("ending on its first day", "planner", false, Ivanov, Firm, 5, 10, overlap);
        row("another employee on its days", "planner", false, Petrova, Firm, 10, 12, QString());
        row("own department", "planner", false, Ivanov, Shop, 20, 21, own);
        row("below own department", "planner", false, Ivanov, Stock, 20, 21, own);
        row("finish before start", "planner", false, Ivanov, Firm, 21, 20, QStringLiteral("Неверные даты"));
        row("moved onto its own days", "planner", true, Ivanov, Firm, 11, 13, QString());
        row("restricted in March", "restricted", false, Ivanov, Firm, 20, 21, QString());
        row("restricted into April", "restricted", false, Ivanov, Firm, 30, 2, closed);
        row("restricted moves one out of February", "restricted", true, Petrova, Firm, 20, 21, closed);
    }

    void trips()
    {
        QFETCH(QString, login);
        QFETCH(bool, update);
        QFETCH(uint, employee);
        QFETCH(uint, department);
        QFETCH(QDate, first);
        QFETCH(QDate, last);
        QFETCH(QString, refusal);

        QHash<uint, qint32> stored{{Ivanov, 0}, {Petrova, 0}};
        QVERIFY(ask(Data::AddObject, tripPayload(0, Ivanov, Firm, QDate(2026, 3, 10), QDate(2026, 3, 12)), stored[Ivanov]));
        QVERIFY(ask(Data::AddObject, tripPayload(0, Petrova, Firm, QDate(2026, 2, 26), QDate(2026, 2, 27)), stored[Petrova]));
        const QString before = objects(QStringLiteral("attached_worker")).at(update && employee == Petrova).property("PT_DATE_BEGIN");
        QSignalSpy pushed(m_core.get(), &ServerCore::pushed);
        const TYPE_ID uid = update ? TYPE_ID(stored.value(employee)) : 0;
        const Command reply = sendData(update ? Data::UpdateObjectEx : Data::AddObject,
                                       tripPayload(uid, employee, department, first, last), login);
        QVERIFY2(reply.errorMessage().contains(refusal), qPrintable(reply.errorMessage()));
        QCOMPARE(reply.result == ResultSuccess, refusal.isEmpty());
        QCOMPARE(pushed.isEmpty(), !refusal.isEmpty());
        const QList<ObjectInfo> trips = objects(QStringLiteral("attached_worker"));
        QCOMPARE(trips.size(), refusal.isEmpty() && !update ? 3 : 2);
        QCOMPARE(trips.at(update && employee == Petrova).property("PT_DATE_BEGIN"),
                 refusal.isEmpty() && update ? first.toString(Qt::ISODate) : before);
    }
};

OV_TEST_GUILESS_MAIN(tst_ServerCoreAccess)
#include "tst_servercoreaccess.moc"
