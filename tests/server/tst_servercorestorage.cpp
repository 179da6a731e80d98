#include "servercorefixture.h"

// Objects, links, schedules and planning data through the commands, with their notifications.
class tst_ServerCoreStorage : public QObject, public ServerCoreFixture
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

    void readsLinksIntoBothObjects();
    void datanames();
    void addUpdateRemoveObject();
    void failedWriteRollsBackAndPushesNothing();
    void addAndRemoveSchedules();
    void removeUnknownSchedules();
    void scheduleHistoryRoundTrip();
    void absencesAnnounceEmployees();
    void calendarRoundTrip();
    void unknownBlobsAreNotSent();
    void reopenKeepsSessions();
    void seedDemo_data();
    void seedDemo();
};

void tst_ServerCoreStorage::readsLinksIntoBothObjects()
{
    const QList<ObjectInfo> rules = objects(QStringLiteral("break_rule"));
    QCOMPARE(rules.size(), 1);
    QCOMPARE(rules.first().children.values(INHERIT_BREAK_RULE_OBJECT), (QList<_INHERIT_DATA>{link(ShopRule, Shop, INHERIT_BREAK_RULE_OBJECT)}));
    QVERIFY(rules.first().parents.isEmpty());

    const QList<ObjectInfo> structure = objects(QStringLiteral("orgstructure"));
    QCOMPARE(structure.size(), 2);
    const ObjectInfo shop = structure.at(1);
    QCOMPARE(shop.uid, Shop);
    QCOMPARE(shop.parent, Firm);
    QCOMPARE(shop.property(QLatin1String(db::common::NAME)), QStringLiteral("Магазин на Тверской"));
    QCOMPARE(shop.parents.values(INHERIT_BREAK_RULE_OBJECT), (QList<_INHERIT_DATA>{link(ShopRule, Shop, INHERIT_BREAK_RULE_OBJECT)}));
    // Employees are kept apart from the departments, under the name the client reads them by.
    QCOMPARE(objects(QStringLiteral("subject")).size(), 2);
}

void tst_ServerCoreStorage::datanames()
{
    const Command reply = send(QLatin1String(ServerCommands::GetDatanames), QByteArray(), QStringLiteral("viewer"));
    QStringList names;
    QVERIFY(unpack(reply.data, names));
    QCOMPARE(names, (QStringList{"break_rule", "job", "orgstructure", "subject"}));
}

void tst_ServerCoreStorage::addUpdateRemoveObject()
{
    QSignalSpy pushed(m_core.get(), &ServerCore::pushed);
    ObjectInfo rule = object(0, db::wt::BREAK_RULE, 0, QStringLiteral("Обед 30 минут"));
    rule.properties.insert(QLatin1String(db::break_rule::BREAK_TIME), QStringLiteral("1800"));
    _INHERIT_DATA toIvanov = link(0, Ivanov, INHERIT_BREAK_RULE_OBJECT);
    toIvanov.start = QDate(2026, 3, 1).startOfDay();
    Command reply = sendData(Data::AddObject, pack(rule, QList<_INHERIT_DATA>{toIvanov}), QStringLiteral("hr"));
    QCOMPARE(reply.result, int(ResultSuccess));
    QCOMPARE(reply.correlationId, quint64(77));
    qint32 id = 0;
    QVERIFY(unpack(reply.data, id));
    QVERIFY(id > qint32(Seller));

    // The new rule first, then the employee whose parent links changed.
    QCOMPARE(pushed.count(), 2);
    QString dataname;
    QList<ObjectInfo> changed;
    QVERIFY(unpack(pushed.at(0).at(0).value<Command>().data, dataname, changed));
    QCOMPARE(pushed.at(0).at(0).value<Command>().name, QLatin1String(ServerCommands::DataChanged));
    QCOMPARE(pushed.at(0).at(1).toULongLong(), quint64(0));
    QCOMPARE(dataname, QStringLiteral("break_rule"));
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed.first().uid, TYPE_ID(id));
    QCOMPARE(changed.first().property(QLatin1String(db::break_rule::BREAK_TIME)), QStringLiteral("1800"));
    toIvanov.parent = TYPE_ID(id);
    QCOMPARE(changed.first().children.values(INHERIT_BREAK_RULE_OBJECT), QList<_INHERIT_DATA>{toIvanov});
    QVERIFY(unpack(pushed.at(1).at(0).value<Command>().data, dataname, changed));
    QCOMPARE(dataname, QStringLiteral("subject"));
    QCOMPARE(changed.first().uid, Ivanov);
    QCOMPARE(changed.first().parents.values(INHERIT_BREAK_RULE_OBJECT), QList<_INHERIT_DATA>{toIvanov});

    // Moving the rule from Ivanov to Petrova replaces its links of that type.
    pushed.clear();
    rule.uid = TYPE_ID(id);
    rule.properties.insert(QLatin1String(db::break_rule::BREAK_TIME), QStringLiteral("2700"));
    reply = sendData(Data::UpdateObjectEx, pack(rule, QList<_INHERIT_DATA>{link(0, Petrova, INHERIT_BREAK_RULE_OBJECT)}),
                     QStringLiteral("hr"));
    QCOMPARE(reply.result, int(ResultSuccess));
    QCOMPARE(pushed.count(), 2);
    QVERIFY(unpack(pushed.at(1).at(0).value<Command>().data, dataname, changed));
    QCOMPARE(changed.size(), 2);
    QVERIFY(changed.at(0).parents.isEmpty());
    QCOMPARE(changed.at(1).parents.size(), 1);
    const QList<ObjectInfo> rules = objects(QStringLiteral("break_rule"));
    QCOMPARE(rules.size(), 2);
    QCOMPARE(rules.last().property(QLatin1String(db::break_rule::BREAK_TIME)), QStringLiteral("2700"));
    QCOMPARE(rules.last().revision, qint64(2));

    pushed.clear();
    reply = sendData(Data::RemoveObject, pack(rule), QStringLiteral("hr"));
    QCOMPARE(reply.result, int(ResultSuccess));
    QCOMPARE(pushed.count(), 2);
    QList<quint32> removed;
    QCOMPARE(pushed.at(0).at(0).value<Command>().name, QLatin1String(ServerCommands::DataRemoved));
    QVERIFY(unpack(pushed.at(0).at(0).value<Command>().data, dataname, removed));
    QCOMPARE(dataname, QStringLiteral("break_rule"));
    QCOMPARE(removed, QList<quint32>{quint32(id)});
    QCOMPARE(objects(QStringLiteral("break_rule")).size(), 1);
    QVERIFY(objects(QStringLiteral("subject")).at(1).parents.isEmpty());
}

void tst_ServerCoreStorage::failedWriteRollsBackAndPushesNothing()
{
    QSignalSpy pushed(m_core.get(), &ServerCore::pushed);
    ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("statement failed")));
    ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("storage failed")));
    QFETCH_GLOBAL(QString, engine);
    // The driver cannot free a prepared statement inside the aborted transaction, and says so.
    if (engine == QLatin1String("postgresql"))
        ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("Unable to free statement")));
    const ObjectInfo rule = object(0, db::wt::BREAK_RULE, 0, QStringLiteral("К несуществующему"));
    const Command reply = sendData(Data::AddObject, pack(rule, QList<_INHERIT_DATA>{link(0, 999999, INHERIT_BREAK_RULE_OBJECT)}));
    QCOMPARE(reply.result, int(ResultServerError));
    QVERIFY(reply.errorMessage().startsWith(QStringLiteral("Ошибка базы данных")));
    QCOMPARE(pushed.count(), 0);
    QCOMPARE(objects(QStringLiteral("break_rule")).size(), 1);
}

void tst_ServerCoreStorage::addAndRemoveSchedules()
{
    QSignalSpy pushed(m_core.get(), &ServerCore::pushed);
    SCHEDULE_DATA personal = schedule(0, QStringLiteral("Петрова март"), SCHEDULE_DATA::KindPersonal, Petrova);
    personal.color = QStringLiteral("#c0c0c0");
    Command reply = sendData(Data::AddSchedule, pack(personal));
    QCOMPARE(reply.result, int(ResultSuccess));
    qint32 id = 0;
    QVERIFY(unpack(reply.data, id));
    QVERIFY(id > IvanovMarch);
    personal.id = id;
    QCOMPARE(pushed.count(), 1);
    QList<SCHEDULE_DATA> announced;
    QVERIFY(unpack(pushed.at(0).at(0).value<Command>().data, announced));
    QCOMPARE(announced, QList<SCHEDULE_DATA>{personal});

    reply = send(QLatin1String(ServerCommands::GetSchedules), QByteArray());
    QList<SCHEDULE_DATA> all;
    QVERIFY(unpack(reply.data, all));
    QCOMPARE(all.size(), 4);
    QCOMPARE(all.last(), personal);
    QCOMPARE(all.first(), schedule(CycleSchedule, QStringLiteral("5/2"), SCHEDULE_DATA::KindCycle));

    pushed.clear();
    reply = sendData(Data::RemoveSchedules, pack(QList<uint>{uint(id), 5000u, uint(IvanovMarch)}));
    QCOMPARE(reply.result, int(ResultSuccess));
    qint32 first = 0;
    QVERIFY(unpack(reply.data, first));
    QCOMPARE(first, id);
    const QStringList order = {QLatin1String(ServerCommands::ScheduleBeforeRemove), QLatin1String(ServerCommands::ScheduleRemoved)};
    QCOMPARE(pushed.count(), 2);
    for (int i = 0; i < 2; ++i) {
        const Command command = pushed.at(i).at(0).value<Command>();
        QList<quint32> ids;
        QCOMPARE(command.name, order.at(i));
        QVERIFY(unpack(command.data, ids));
        QCOMPARE(ids, (QList<quint32>{quint32(id), quint32(IvanovMarch)}));
    }
    reply = send(QLatin1String(ServerCommands::GetSchedules), QByteArray());
    QVERIFY(unpack(reply.data, all));
    QCOMPARE(all.size(), 2);
}

void tst_ServerCoreStorage::removeUnknownSchedules()
{
    QSignalSpy pushed(m_core.get(), &ServerCore::pushed);
    const Command reply = sendData(Data::RemoveSchedules, pack(QList<uint>{4000u}));
    QCOMPARE(reply.result, int(ResultMalformed));
    QCOMPARE(pushed.count(), 0);
}

void tst_ServerCoreStorage::scheduleHistoryRoundTrip()
{
    QSignalSpy pushed(m_core.get(), &ServerCore::pushed);
    const WORKER_SCHEDULE_HISTORY_V2 history{
        Petrova, {historyRecord(CycleSchedule, QDate(2026, 1, 1), QDate(2026, 2, 28)),
                  historyRecord(CalendarSchedule, QDate(2026, 3, 1), QDate())}};
    Command reply = sendData(Data::SetWorkerSchedules, pack(QHash<uint, WORKER_SCHEDULE_HISTORY_V2>{{Petrova, history}}));
    QCOMPARE(reply.result, int(ResultSuccess));
    QCOMPARE(pushed.count(), 1);
    QString dataname;
    QList<ObjectInfo> employees;
    QVERIFY(unpack(pushed.at(0).at(0).value<Command>().data, dataname, employees));
    QCOMPARE(dataname, QStringLiteral("subject"));
    QCOMPARE(employees.size(), 1);
    QCOMPARE(employees.first().uid, Petrova);

    reply = sendData(Data::GetWorkerSchedules, pack(QList<uint>{Ivanov, Petrova}), QStringLiteral("viewer"));
    QHash<uint, WORKER_SCHEDULE_HISTORY_V2> read;
    QVERIFY(unpack(reply.data, read));
    QCOMPARE(read.size(), 2);
    const QList<_WORKER_SCHEDULE_HISTORY_RECORD_V2> records = read.value(Petrova).records;
    QCOMPARE(records.size(), 2);
    for (int i = 0; i < 2; ++i) {
        QVERIFY(records.at(i).id != 0);
        QCOMPARE(records.at(i).schedule, history.records.at(i).schedule);
        QCOMPARE(records.at(i).from, history.records.at(i).from);
        QCOMPARE(records.at(i).to, history.records.at(i).to);
    }
}

void tst_ServerCoreStorage::absencesAnnounceEmployees()
{
    QSignalSpy pushed(m_core.get(), &ServerCore::pushed);
    const _WORKER_ABSENCE_REASON absences{Ivanov, {absenceRecord(QDate(2026, 3, 2), QDate(2026, 3, 4))}};
    Command reply = sendData(Data::UpdateWorkerAbsenceReason, pack(QHash<uint, _WORKER_ABSENCE_REASON>{{Ivanov, absences}}));
    QCOMPARE(reply.result, int(ResultSuccess));
    QCOMPARE(pushed.count(), 1);
    QCOMPARE(pushed.at(0).at(0).value<Command>().name, QLatin1String(ServerCommands::DataChanged));

    reply = sendData(Data::GetWorkerAbsenceReasons, pack(QList<uint>{Ivanov}));
    QHash<uint, _WORKER_ABSENCE_REASON> read;
    QHash<uint, QDateTime> changeTimes;
    QVERIFY(unpack(reply.data, read, changeTimes));
    QCOMPARE(read.value(Ivanov).records.size(), 1);
    const _WORKER_ABSENCE_REASON_RECORD record = read.value(Ivanov).records.first();
    QVERIFY(!record.isNew());
    QCOMPARE(record.start, absences.records.first().start);
    QVERIFY(changeTimes.value(record.id).isValid());
}

void tst_ServerCoreStorage::calendarRoundTrip()
{
    SCHEDULE_CALENDAR_DAY day;
    day.date = QDate(2026, 3, 10);
    SCHEDULE_CALENDAR_INTERVAL interval;
    interval.start = 8 * 3600;
    interval.finish = 20 * 3600;
    day.intervals = {interval};
    day.start = interval.start;
    day.finish = interval.finish;
    day.time = 12 * 3600;
    QSignalSpy pushed(m_core.get(), &ServerCore::pushed);
    Command reply = sendData(Data::UpdateScheduleCalendar,
                             pack(qint32(IvanovMarch), QDate(2026, 3, 1), QDate(2026, 3, 31), QList<SCHEDULE_CALENDAR_DAY>{day}));
    QCOMPARE(reply.result, int(ResultSuccess));
    QCOMPARE(pushed.count(), 1);
    QCOMPARE(pushed.at(0).at(0).value<Command>().name, QLatin1String(ServerCommands::ScheduleChanged));

    reply = sendData(Data::GetScheduleCalendar, pack(QList<int>{IvanovMarch}, QDate(2026, 3, 1), QDate(2026, 3, 31)));
    QList<int> schedules;
    QDate from;
    QDate to;
    QHash<int, QList<SCHEDULE_CALENDAR_DAY>> days;
    QVERIFY(unpack(reply.data, schedules, from, to, days));
    QCOMPARE(schedules, QList<int>{IvanovMarch});
    QCOMPARE(from, QDate(2026, 3, 1));
    QCOMPARE(days.value(IvanovMarch).size(), 1);
    QCOMPARE(days.value(IvanovMarch).first().date, day.date);
    QCOMPARE(days.value(IvanovMarch).first().time, day.time);
}

void tst_ServerCoreStorage::unknownBlobsAreNotSent()
{
    _BLOB_DATA_RESQUEST request;
    request.uid = Ivanov;
    request.name = QLatin1String(db::subject::PHOTO);
    const Command reply = sendData(Data::GetBlobDataChange, pack(QList<_BLOB_DATA_RESQUEST>{request}));
    QCOMPARE(reply.result, int(ResultSuccess));
    QHash<TYPE_ID, QHash<QString, QByteArray>> blobs;
    QVERIFY(unpack(reply.data, blobs));
    QVERIFY(blobs.isEmpty());
}

void tst_ServerCoreStorage::reopenKeepsSessions()
{
    m_core = std::make_unique<ServerCore>();
    QString error;
    QVERIFY2(m_core->open(m_url, &error), qPrintable(error));
    QVERIFY2(m_core->seedOrganisation(DemoOrganisation(), Today, false, &error), qPrintable(error));
    QCOMPARE(objects(QStringLiteral("subject")).size(), 2);
}

void tst_ServerCoreStorage::seedDemo_data()
{
    QTest::addColumn<bool>("reset");
    QTest::addColumn<int>("employees");

    QTest::newRow("kept when not empty") << false << 2;
    QTest::newRow("replaced on reset") << true << 60;
}

void tst_ServerCoreStorage::seedDemo()
{
    QFETCH(bool, reset);
    QFETCH(int, employees);

    QString error;
    QVERIFY2(m_core->seedDemo(60, reset, &error), qPrintable(error));
    m_sessions.insert(QStringLiteral("planner"), login(QStringLiteral("planner"), QStringLiteral("planner2026")));
    if (!reset) {
        QVERIFY(m_sessions.value(QStringLiteral("planner")).isEmpty());
        m_sessions.insert(QStringLiteral("planner"), login(QStringLiteral("planner"), QStringLiteral("planner-secret")));
    }
    const QList<ObjectInfo> subjects = objects(QStringLiteral("subject"));
    QCOMPARE(subjects.size(), employees);
    for (const ObjectInfo& employee : subjects)
        QCOMPARE(employee.type, QLatin1String(db::orgstructure::WORKER));
}

OV_TEST_GUILESS_MAIN(tst_ServerCoreStorage)
#include "tst_servercorestorage.moc"
