#include "serverfixture.h"

Q_DECLARE_METATYPE(orvanta::_WORKER_SCHEDULE_HISTORY_RECORD_V2)

namespace {

QDateTime march(int day, int hour = 0, int minute = 0)
{
    return QDateTime(QDate(2026, 3, day), QTime(hour, minute));
}

// The fields the client sends; ids are the server's.
template<typename Record>
QList<Record> withoutIds(QList<Record> records)
{
    for (Record& record : records)
        record.id = 0;
    return records;
}

// Records of owner in [from, to], as they were seeded.
template<typename Record, typename Owner>
QList<Record> seeded(const QList<Record>& all, Owner owner, const QDate& from, const QDate& to)
{
    QList<Record> result;
    for (const Record& record : all) {
        if (owner(record) && record.date >= from && record.date <= to)
            result.append(record);
    }
    return result;
}

} // namespace

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

    // A break rule linked to Ivanov, moved to Petrova, removed: each write notifies every connection
    // of the rule first, then of the employees whose links changed.
    void addUpdateRemoveObject()
    {
        QSignalSpy pushed(m_core.get(), &ServerCore::pushed);
        ObjectInfo rule = object(0, db::wt::BREAK_RULE, 0, QStringLiteral("Обед 30 минут"));
        rule.properties.insert(QLatin1String(db::break_rule::BREAK_TIME), QStringLiteral("1800"));
        _INHERIT_DATA toIvanov = link(0, Ivanov, INHERIT_BREAK_RULE_OBJECT);
        toIvanov.start = QDate(2026, 3, 1).startOfDay();
        qint32 id = 0;
        QVERIFY(unpack(sendData(Data::AddObject, pack(rule, QList<_INHERIT_DATA>{toIvanov}), QStringLiteral("hr")).data, id));
        QVERIFY(id > qint32(Seller));
        const QString changedName = QLatin1String(ServerCommands::DataChanged);
        QCOMPARE(pushedNames(pushed), (QStringList{changedName, changedName}));
        QCOMPARE(pushed.at(0).at(1).toULongLong(), quint64(1));
        QString rules, subjects;
        QList<ObjectInfo> added, linked;
        QVERIFY(unpack(pushed.at(0).at(0).value<Command>().data, rules, added) && added.size() == 1);
        QVERIFY(unpack(pushed.at(1).at(0).value<Command>().data, subjects, linked) && linked.size() == 1);
        QCOMPARE(rules + QLatin1Char(' ') + subjects, QStringLiteral("break_rule subject"));
        QCOMPARE(added.first().property(QLatin1String(db::break_rule::BREAK_TIME)), QStringLiteral("1800"));
        toIvanov.parent = TYPE_ID(id);
        QCOMPARE(added.first().children.values(INHERIT_BREAK_RULE_OBJECT), QList<_INHERIT_DATA>{toIvanov});
        QCOMPARE(linked.first().uid, Ivanov);
        QCOMPARE(linked.first().parents.values(INHERIT_BREAK_RULE_OBJECT), QList<_INHERIT_DATA>{toIvanov});

        // An update replaces the rule's links of that type and counts a revision.
        pushed.clear();
        rule.uid = TYPE_ID(id);
        const QList<_INHERIT_DATA> toPetrova{link(0, Petrova, INHERIT_BREAK_RULE_OBJECT)};
        QCOMPARE(sendData(Data::UpdateObjectEx, pack(rule, toPetrova), QStringLiteral("hr")).result, int(ResultSuccess));
        QVERIFY(pushed.count() == 2 && unpack(pushed.at(1).at(0).value<Command>().data, subjects, linked));
        QVERIFY(linked.size() == 2 && linked.at(0).parents.isEmpty() && linked.at(1).parents.size() == 1);
        QCOMPARE(objects(QStringLiteral("break_rule")).last().revision, qint64(2));

        pushed.clear();
        QCOMPARE(sendData(Data::RemoveObject, pack(rule)).result, int(ResultSuccess));
        QCOMPARE(pushedNames(pushed), (QStringList{QLatin1String(ServerCommands::DataRemoved), changedName}));
        QList<quint32> removed;
        QVERIFY(unpack(pushed.at(0).at(0).value<Command>().data, rules, removed));
        QCOMPARE(removed, QList<quint32>{quint32(id)});
        QCOMPARE(objects(QStringLiteral("break_rule")).size(), 1);
        QVERIFY(objects(QStringLiteral("subject")).at(1).parents.isEmpty());
    }

    void failedWriteRollsBackAndPushesNothing()
    {
        QSignalSpy pushed(m_core.get(), &ServerCore::pushed);
        ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("statement failed")));
        ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("storage failed")));
        // The driver cannot free a prepared statement inside the aborted transaction, and says so.
        if (m_url.startsWith(QLatin1String("postgresql")))
            ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("Unable to free statement")));
        // The rule is written first; its link to an employee that does not exist fails after it.
        const ObjectInfo rule = object(0, db::wt::BREAK_RULE, 0, QStringLiteral("К несуществующему"));
        const Command reply = sendData(Data::AddObject, pack(rule, QList<_INHERIT_DATA>{link(0, 999999, INHERIT_BREAK_RULE_OBJECT)}));
        QCOMPARE(reply.result, int(ResultServerError));
        QVERIFY(reply.errorMessage().startsWith(QStringLiteral("Ошибка базы данных")));
        QCOMPARE(pushed.count(), 0);
        QCOMPARE(objects(QStringLiteral("break_rule")).size(), 1);
    }

    void addAndRemoveSchedules()
    {
        QSignalSpy pushed(m_core.get(), &ServerCore::pushed);
        SCHEDULE_DATA personal = schedule(0, QStringLiteral("Петрова март"), SCHEDULE_DATA::KindPersonal, Petrova);
        personal.color = QStringLiteral("#c0c0c0");
        qint32 id = 0;
        QVERIFY(unpack(sendData(Data::AddSchedule, pack(personal)).data, id));
        QVERIFY(id > IvanovMarch);
        personal.id = id;
        QList<SCHEDULE_DATA> announced, all;
        QVERIFY(pushed.count() == 1 && unpack(pushed.at(0).at(0).value<Command>().data, announced));
        QCOMPARE(announced, QList<SCHEDULE_DATA>{personal});
        QVERIFY(unpack(send(QLatin1String(ServerCommands::GetSchedules), {}).data, all) && all.size() == 4);
        QCOMPARE(all.first(), schedule(CycleSchedule, QStringLiteral("5/2"), SCHEDULE_DATA::KindCycle));
        QCOMPARE(all.last(), personal);

        // Unknown ids among known ones are skipped; the reply names the first removed.
        pushed.clear();
        qint32 first = 0;
        QVERIFY(unpack(sendData(Data::RemoveSchedules, pack(QList<uint>{uint(id), 5000u, uint(IvanovMarch)})).data, first));
        QCOMPARE(first, id);
        QCOMPARE(pushedNames(pushed), (QStringList{QLatin1String(ServerCommands::ScheduleBeforeRemove),
                                                   QLatin1String(ServerCommands::ScheduleRemoved)}));
        for (const QList<QVariant>& arguments : qAsConst(pushed)) {
            QList<quint32> ids;
            QVERIFY(unpack(arguments.at(0).value<Command>().data, ids));
            QCOMPARE(ids, (QList<quint32>{quint32(id), quint32(IvanovMarch)}));
        }
        QVERIFY(unpack(send(QLatin1String(ServerCommands::GetSchedules), {}).data, all) && all.size() == 2);
    }

    void scheduleHistoriesReplace_data()
    {
        QTest::addColumn<HistoryRecords>("first");
        QTest::addColumn<HistoryRecords>("second");
        QTest::addColumn<bool>("withIvanovsRecord");

        const QDate open;
        const HistoryRecords twoPeriods{historyRecord(CycleSchedule, QDate(2026, 1, 1), QDate(2026, 2, 28)),
                                        historyRecord(CalendarSchedule, QDate(2026, 3, 1), open)};
        QTest::newRow("open ends on both sides") << HistoryRecords{} << HistoryRecords{historyRecord(CycleSchedule, open, open)}
                                                 << false;
        QTest::newRow("replaced by one period")
            << twoPeriods << HistoryRecords{historyRecord(CalendarSchedule, QDate(2026, 5, 1), QDate(2026, 5, 31))} << false;
        QTest::newRow("inactive record kept in order")
            << HistoryRecords{} << HistoryRecords{historyRecord(CycleSchedule, QDate(2026, 1, 1), QDate(2026, 1, 31), 0),
                                                  historyRecord(CalendarSchedule, QDate(2026, 2, 1), open)} << false;
        QTest::newRow("emptied") << twoPeriods << HistoryRecords{} << false;
        QTest::newRow("Ivanov's record sent by its id") << twoPeriods << twoPeriods.mid(0, 1) << true;
    }

    // Petrova's history is replaced twice; Ivanov's, as seeded, stays even when she names his record.
    void scheduleHistoriesReplace()
    {
        QFETCH(HistoryRecords, first);
        QFETCH(HistoryRecords, second);
        QFETCH(bool, withIvanovsRecord);
        QHash<uint, WORKER_SCHEDULE_HISTORY_V2> read;
        QVERIFY(ask(Data::GetWorkerSchedules, pack(QList<uint>{Ivanov}), read));
        const HistoryRecords ivanovs = read.value(Ivanov).records;
        if (withIvanovsRecord)
            second.append(ivanovs.first());
        for (const HistoryRecords& records : {first, second})
            QVERIFY(ask(Data::SetWorkerSchedules, pack(QHash<uint, WORKER_SCHEDULE_HISTORY_V2>{{Petrova, {Petrova, records}}})));
        QVERIFY(ask(Data::GetWorkerSchedules, pack(QList<uint>{Ivanov, Petrova, 999}), read));
        QCOMPARE(withoutIds(read.value(Petrova).records), withoutIds(second));
        QCOMPARE(read.contains(Petrova), !second.isEmpty());
        QCOMPARE(read.value(Ivanov).records, ivanovs);
        QVERIFY(!read.contains(999));
        for (const auto& record : read.value(Petrova).records)
            QVERIFY(record.id != ivanovs.first().id);
    }

    // Ivanov saves three absences, then keeps one, changes one, drops one, adds one and names
    // Petrova's by its id, which gives him a new record.
    void updateAbsences()
    {
        QHash<uint, _WORKER_ABSENCE_REASON> read;
        QHash<uint, QDateTime> changeTimes;
        const auto save = [&](TYPE_ID employee, const AbsenceRecords& records) {
            return ask(Data::UpdateWorkerAbsenceReason, pack(QHash<uint, _WORKER_ABSENCE_REASON>{{employee, {employee, records}}}))
                && ask(Data::GetWorkerAbsenceReasons, pack(QList<uint>{Ivanov, Petrova}), read, changeTimes);
        };
        // Ivanov's absences as "reason: start - end comment", marked when their change time is missing.
        const auto ivanovs = [&] {
            QStringList texts;
            for (const _WORKER_ABSENCE_REASON_RECORD& r : read.value(Ivanov).records) {
                texts.append(QStringLiteral("%1: %2 - %3%4 %5").arg(r.reason).arg(r.start.toString(QStringLiteral("d HH:mm")),
                             r.end.toString(QStringLiteral("d HH:mm")), r.timed ? QStringLiteral(" timed") : QString(),
                             changeTimes.contains(r.id) ? r.comment : QStringLiteral("no change time")));
            }
            return texts;
        };
        const QDateTime beforeFirstSave = QDateTime::currentDateTime().addMSecs(-1);
        QVERIFY(save(Petrova, {absence(Seller, march(2), march(3))}));
        QVERIFY(save(Ivanov, {absence(Seller, march(4), march(6), QStringLiteral("отпуск")),
                              absence(Seller, march(10, 14, 30), march(12, 10)), absence(Seller, march(20), march(20))}));
        QCOMPARE(ivanovs(), (QStringList{"401: 4 00:00 - 6 00:00 отпуск", "401: 10 14:30 - 12 10:00 timed ",
                                         "401: 20 00:00 - 20 00:00 "}));
        const AbsenceRecords stored = read.value(Ivanov).records;
        const _WORKER_ABSENCE_REASON_RECORD petrovas = read.value(Petrova).records.value(0);
        QVERIFY(changeTimes.value(stored.at(2).id) >= beforeFirstSave);

        QTest::qWait(5);
        const QDateTime beforeSecondSave = QDateTime::currentDateTime();
        AbsenceRecords next{stored.at(0), stored.at(1), absence(Seller, march(25), march(26)), petrovas};
        next[1].comment = QStringLiteral("исправлено");
        next[3].comment = QStringLiteral("чужая");
        QVERIFY(save(Ivanov, next));
        QCOMPARE(ivanovs(), (QStringList{"401: 4 00:00 - 6 00:00 отпуск", "401: 10 14:30 - 12 10:00 timed исправлено",
                                         "401: 25 00:00 - 26 00:00 ", "401: 2 00:00 - 3 00:00 чужая"}));
        const AbsenceRecords after = read.value(Ivanov).records;
        QCOMPARE(after.at(0), stored.at(0));
        QVERIFY(after.at(1).id == stored.at(1).id && after.at(1).changeTime >= beforeSecondSave);
        QVERIFY(after.at(2).id != stored.at(2).id && after.at(3).id != petrovas.id && !changeTimes.contains(stored.at(2).id));
        QCOMPARE(read.value(Petrova).records, AbsenceRecords{petrovas});
    }

    void figuresInRange_data()
    {
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");

        // Every figure holds a record per day of March for both employees and both departments.
        QTest::newRow("both ends inclusive") << QDate(2026, 3, 5) << QDate(2026, 3, 9);
        QTest::newRow("wider than the data") << QDate(2026, 2, 1) << QDate(2026, 4, 30);
        QTest::newRow("before the data") << QDate(2026, 2, 1) << QDate(2026, 2, 28);
    }

    void figuresInRange()
    {
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QList<WORKER_NORM_TIME> norms;
        QList<WORKER_SYNC_TIME> syncs;
        QHash<qint64, QDateTime> normCalcTimes;
        QList<SALES_PLAN> sales;
        QList<HOURS_BUDGET> budgets;
        QVERIFY(ask(Data::GetWorkerNormTime, pack(from, to, QList<uint>{Petrova}), norms));
        QVERIFY(ask(Data::GetWorkerSyncTime, pack(from, to, QList<uint>{Petrova}), syncs, normCalcTimes));
        QVERIFY(ask(Data::GetWorkTimeBudgets, pack(QList<uint>{Shop}, from, to), sales));
        QVERIFY(ask(Data::GetWorkTimeHours, pack(QList<uint>{Shop}, from, to), budgets));

        const DemoOrganisation all = organisation();
        QCOMPARE(withoutIds(norms), seeded(all.normTime, [](const WORKER_NORM_TIME& r) { return r.worker == Petrova; }, from, to));
        QCOMPARE(withoutIds(sales), seeded(all.salesPlan, [](const SALES_PLAN& r) { return r.department == Shop; }, from, to));
        QCOMPARE(withoutIds(budgets), seeded(all.hoursBudget, [](const HOURS_BUDGET& r) { return r.department == Shop; }, from, to));
        for (WORKER_SYNC_TIME& sync : syncs) {
            QCOMPARE(normCalcTimes.value(sync.key), sync.normCalcTime);
            sync.key = 0;
        }
        QCOMPARE(syncs, seeded(all.syncTime, [](const WORKER_SYNC_TIME& r) { return r.worker == Petrova; }, from, to));
    }

    // Confirming keeps what was synchronised and gives a month without records one; resetting
    // clears the synchronisation of that month and employee only.
    void confirmAndResetMonths()
    {
        // "records from day: synchronised, with a sync time, confirmed" of an employee's month.
        const auto month = [this](TYPE_ID employee, int number) {
            QList<WORKER_SYNC_TIME> sync;
            QHash<qint64, QDateTime> normCalcTimes;
            const QDate first(2026, number, 1);
            ask(Data::GetWorkerSyncTime, pack(first, first.addMonths(1).addDays(-1), QList<uint>{employee}), sync, normCalcTimes);
            int synchronised = 0, syncTimes = 0, confirmed = 0;
            for (const WORKER_SYNC_TIME& record : sync) {
                synchronised += record.sync ? 1 : 0;
                syncTimes += record.syncTime.isValid() ? 1 : 0;
                confirmed += record.saveTime.isValid() ? 1 : 0;
            }
            return QStringLiteral("%1 from %2: %3, %4, %5").arg(sync.size()).arg(sync.value(0).date.day()).arg(synchronised)
                .arg(syncTimes).arg(confirmed);
        };
        QVERIFY(ask(Data::UpdateWorkerSaveTime, pack(QDate(2026, 3, 20), QList<uint>{Ivanov})));
        QVERIFY(ask(Data::UpdateWorkerSaveTime, pack(QDate(2026, 2, 10), QList<uint>{Petrova})));
        QCOMPARE(month(Ivanov, 3), QStringLiteral("31 from 1: 15, 31, 31"));
        QCOMPARE(month(Petrova, 2), QStringLiteral("1 from 1: 0, 0, 1"));
        QVERIFY(ask(Data::ResetWorkerSyncTime, pack(QDate(2026, 3, 1), QList<uint>{Ivanov})));
        QCOMPARE(month(Ivanov, 3), QStringLiteral("31 from 1: 0, 0, 31"));
        QCOMPARE(month(Petrova, 3), QStringLiteral("31 from 1: 15, 31, 0"));
    }

    void calendarDays_data()
    {
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<CalendarDays>("days");
        QTest::addColumn<int>("result");

        const QDate first(2026, 3, 1), last(2026, 3, 31);
        QTest::newRow("middle week replaced by two days")
            << QDate(2026, 3, 11) << QDate(2026, 3, 17)
            << CalendarDays{calendarDay(QDate(2026, 3, 11), {interval(10, 14)}), calendarDay(QDate(2026, 3, 13), {})}
            << int(ResultSuccess);
        QTest::newRow("day after the range") << first << last << CalendarDays{calendarDay(QDate(2026, 4, 1), {})}
                                             << int(ResultServerError);
        QTest::newRow("date twice") << first << last
                                    << CalendarDays{calendarDay(QDate(2026, 3, 5), {}), calendarDay(QDate(2026, 3, 5), {})}
                                    << int(ResultServerError);
        QTest::newRow("reversed range") << last << first << CalendarDays{} << int(ResultMalformed);
    }

    // The shared calendar holds March; a save replaces the days of its range, the rest stays.
    void calendarDays()
    {
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(CalendarDays, days);
        QFETCH(int, result);
        const QDate first(2026, 3, 1), last(2026, 3, 31);
        CalendarDays march;
        for (QDate date = first; date <= last; date = date.addDays(1))
            march.append(calendarDay(date, {interval(8, 12), interval(13, 17)}));
        march[9] = calendarDay(QDate(2026, 3, 10), {interval(22, 6)});
        march[16] = calendarDay(QDate(2026, 3, 17), {}, 777);
        QVERIFY(ask(Data::UpdateScheduleCalendar, pack(qint32(CalendarSchedule), first, last, march)));
        QVERIFY(ask(Data::UpdateScheduleCalendar, pack(qint32(IvanovMarch), first, last, march.mid(0, 3))));

        if (result == ResultServerError) {
            ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("day refused")));
            ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("storage failed")));
        }
        const Command reply = sendData(Data::UpdateScheduleCalendar, pack(qint32(CalendarSchedule), from, to, days));
        QCOMPARE(reply.result, result);

        CalendarDays expected;
        for (const SCHEDULE_CALENDAR_DAY& day : qAsConst(march)) {
            if (result != ResultSuccess || day.date < from || day.date > to)
                expected.append(day);
        }
        if (result == ResultSuccess)
            expected = expected.mid(0, 10) + days + expected.mid(10);
        QList<int> schedules;
        QDate readFrom, readTo;
        QHash<int, CalendarDays> read;
        QVERIFY(ask(Data::GetScheduleCalendar, pack(QList<int>{CalendarSchedule, IvanovMarch, 999}, first, last), schedules,
                    readFrom, readTo, read));
        QVERIFY(read.value(IvanovMarch).size() == 3 && read.value(999).isEmpty());
        CalendarDays stored;
        for (SCHEDULE_CALENDAR_DAY day : read.value(CalendarSchedule)) {
            for (SCHEDULE_CALENDAR_INTERVAL& piece : day.intervals)
                piece.dayId = piece.dayId == day.id ? 0 : piece.dayId;
            day.id = 0;
            stored.append(day);
        }
        QCOMPARE(stored, expected);
    }

    void reopenAndSeed_data()
    {
        QTest::addColumn<bool>("reset");
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("employees");

        QTest::newRow("demo not seeded over data") << false << "planner-secret" << 2;
        QTest::newRow("demo replaces data on reset") << true << "planner2026" << 60;
    }

    // A reopened database keeps its data and its users' passwords, unless the demo resets it.
    void reopenAndSeed()
    {
        QFETCH(bool, reset);
        QFETCH(QString, password);
        QFETCH(int, employees);
        m_core = std::make_unique<ServerCore>();
        QString error;
        QVERIFY2(m_core->open(m_url, &error) && m_core->seedDemo(60, reset, &error), qPrintable(error));
        m_sessions.insert(QStringLiteral("planner"), login(QStringLiteral("planner"), password));
        QCOMPARE(objects(QStringLiteral("subject")).size(), employees);
    }
};

OV_TEST_GUILESS_MAIN(tst_ServerCoreStorage)
#include "tst_servercorestorage.moc"
