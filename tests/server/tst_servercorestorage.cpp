#include "serverfixture.h"

#include <QCryptographicHash>

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
        QCOMPARE(pushedNames(pushed), (QStringList{ServerCommands::DataChanged, ServerCommands::DataChanged}));
        QCOMPARE(pushed.at(0).at(1).toULongLong(), quint64(1));
        QString rules, subjects;
        QList<ObjectInfo> added, linked;
        QVERIFY(unpack(pushed.at(0).at(0).value<Command>().data, rules, added) && added.size() == 1);
        QVERIFY(unpack(pushed.at(1).at(0).value<Command>().data, subjects, linked) && linked.size() == 1);
        QCOMPARE(rules + QLatin1Char(' ') + subjects, QStringLiteral("break_rule subject"));
        QCOMPARE(added.first().property(QLatin1String(db::break_rule::BREAK_TIME)), QStringLiteral("1800"));
        toIvanov.parent = TYPE_ID(id);
        QCOMPARE(added.first().children.values(INHERIT_BREAK_RULE_OBJECT), QList<_INHERIT_DATA>{toIvanov});
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
        QCOMPARE(pushedNames(pushed), (QStringList{ServerCommands::DataRemoved, ServerCommands::DataChanged}));
        QCOMPARE(pushed.at(0).at(0).value<Command>().data, pack(QStringLiteral("break_rule"), QList<quint32>{quint32(id)}));
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
        personal.id = id;
        QCOMPARE(pushedNames(pushed), QStringList{ServerCommands::ScheduleChanged});
        QCOMPARE(pushed.at(0).at(0).value<Command>().data, pack(QList<SCHEDULE_DATA>{personal}));
        const QList<SCHEDULE_DATA> seededSchedules = organisation().schedules;
        QCOMPARE(send(QLatin1String(ServerCommands::GetSchedules), {}).data, pack(seededSchedules + QList<SCHEDULE_DATA>{personal}));

        // Unknown ids among known ones are skipped; the reply names the first removed.
        pushed.clear();
        QCOMPARE(sendData(Data::RemoveSchedules, pack(QList<uint>{uint(id), 5000u, uint(IvanovMarch)})).data, pack(id));
        QCOMPARE(pushedNames(pushed), (QStringList{ServerCommands::ScheduleBeforeRemove, ServerCommands::ScheduleRemoved}));
        const QByteArray removed = pack(QList<quint32>{quint32(id), quint32(IvanovMarch)});
        QVERIFY(pushed.at(0).at(0).value<Command>().data == removed && pushed.at(1).at(0).value<Command>().data == removed);
        QCOMPARE(send(QLatin1String(ServerCommands::GetSchedules), {}).data, pack(seededSchedules.mid(0, 2)));
    }

    void scheduleHistoriesReplace_data()
    {
        QTest::addColumn<HistoryRecords>("first");
        QTest::addColumn<HistoryRecords>("second");
        QTest::addColumn<bool>("withIvanovsRecord");

        const QDate open;
        const HistoryRecords twoPeriods{historyRecord(CycleSchedule, QDate(2026, 1, 1), QDate(2026, 2, 28)),
                                        historyRecord(CalendarSchedule, QDate(2026, 3, 1), open)};
        QTest::newRow("open ends, inactive record kept in order")
            << HistoryRecords{} << HistoryRecords{historyRecord(CycleSchedule, open, QDate(2026, 1, 31), 0),
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
        QVERIFY(ask(Data::GetWorkerSchedules, pack(QList<uint>{Ivanov, Petrova}), read));
        QCOMPARE(withoutIds(read.value(Petrova).records), withoutIds(second));
        QCOMPARE(read.contains(Petrova), !second.isEmpty());
        QCOMPARE(read.value(Ivanov).records, ivanovs);
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
        // The fields the client sends: without the server's ids and change times.
        const auto sentFields = [](AbsenceRecords records) {
            for (_WORKER_ABSENCE_REASON_RECORD& record : records)
                record.changeTime = QDateTime();
            return withoutIds(records);
        };
        const QDateTime beforeFirstSave = QDateTime::currentDateTime().addMSecs(-1);
        QVERIFY(save(Petrova, {absence(Seller, march(2), march(3))}));
        const AbsenceRecords first{absence(Seller, march(4), march(6), QStringLiteral("отпуск")),
                                   absence(Seller, march(10, 14, 30), march(12, 10)), absence(Seller, march(20), march(20))};
        QVERIFY(save(Ivanov, first));
        const AbsenceRecords stored = read.value(Ivanov).records;
        QCOMPARE(sentFields(stored), sentFields(first));
        for (const _WORKER_ABSENCE_REASON_RECORD& record : stored)
            QVERIFY(changeTimes.value(record.id) >= beforeFirstSave);
        const _WORKER_ABSENCE_REASON_RECORD petrovas = read.value(Petrova).records.value(0);

        QTest::qWait(5);
        const QDateTime beforeSecondSave = QDateTime::currentDateTime();
        AbsenceRecords next{stored.at(0), stored.at(1), absence(Seller, march(25), march(26)), petrovas};
        next[1].comment = QStringLiteral("исправлено");
        next[3].comment = QStringLiteral("чужая");
        QVERIFY(save(Ivanov, next));
        const AbsenceRecords after = read.value(Ivanov).records;
        QCOMPARE(sentFields(after), sentFields(next));
        QCOMPARE(after.at(0), stored.at(0));
        QVERIFY(after.at(1).id == stored.at(1).id && after.at(1).changeTime >= beforeSecondSave);
        QVERIFY(after.at(2).id != stored.at(2).id && after.at(3).id != petrovas.id && !changeTimes.contains(stored.at(2).id));
        QVERIFY(changeTimes.value(after.at(2).id) >= beforeSecondSave && changeTimes.value(after.at(3).id) >= beforeSecondSave);
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
        QHash<QDate, int> calendar;
        QList<WORKER_SYNC_TIME> syncs;
        QHash<qint64, QDateTime> normCalcTimes;
        QList<SALES_PLAN> sales;
        QList<HOURS_BUDGET> budgets;
        QVERIFY(ask(Data::GetWorkerNormTime, pack(from, to, QList<uint>{Petrova}), norms, calendar));
        QVERIFY(ask(Data::GetWorkerSyncTime, pack(from, to, QList<uint>{Petrova}), syncs, normCalcTimes));
        QVERIFY(ask(Data::GetWorkTimeBudgets, pack(QList<uint>{Shop}, from, to), sales));
        QVERIFY(ask(Data::GetWorkTimeHours, pack(QList<uint>{Shop}, from, to), budgets));

        const DemoOrganisation all = organisation();
        QCOMPARE(withoutIds(norms), seeded(all.normTime, [](const WORKER_NORM_TIME& r) { return r.worker == Petrova; }, from, to));
        // The production calendar of the norms' year comes along, every date of it within the range: Sunday
        // 8 March is a holiday, its day off moves to Monday the 9th.
        QCOMPARE(calendar.size(), int(qMax(from, QDate(2026, 1, 1)).daysTo(qMin(to, QDate(2026, 12, 31)))) + 1);
        const QHash<QDate, int> known{{QDate(2026, 3, 6), wt::WorkingDay}, {QDate(2026, 3, 7), wt::DayOff},
                                      {QDate(2026, 3, 8), wt::Holiday}, {QDate(2026, 3, 9), wt::DayOff}};
        for (auto day = known.cbegin(); day != known.cend(); ++day)
            QCOMPARE(calendar.value(day.key(), -1), day.key() >= from && day.key() <= to ? day.value() : -1);
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

        const auto day = [](int number) { return QDate(2026, 3, number); };
        QTest::newRow("middle week replaced by two days") << day(11) << day(17)
            << CalendarDays{calendarDay(day(11), {interval(10, 14)}), calendarDay(day(13), {})} << int(ResultSuccess);
        QTest::newRow("day after the range") << day(1) << day(31) << CalendarDays{calendarDay(QDate(2026, 4, 1), {})}
                                             << int(ResultServerError);
        QTest::newRow("date twice") << day(1) << day(31) << CalendarDays{calendarDay(day(5), {}), calendarDay(day(5), {})}
                                    << int(ResultServerError);
        QTest::newRow("reversed range") << day(31) << day(1) << CalendarDays{} << int(ResultMalformed);
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
        QCOMPARE(sendData(Data::UpdateScheduleCalendar, pack(qint32(CalendarSchedule), from, to, days)).result, result);

        // A refused save changes nothing.
        CalendarDays expected;
        for (const SCHEDULE_CALENDAR_DAY& day : qAsConst(march)) {
            if (day.date == from && result == ResultSuccess)
                expected += days;
            if (result != ResultSuccess || day.date < from || day.date > to)
                expected.append(day);
        }
        QList<int> schedules;
        QDate readFrom, readTo;
        QHash<int, CalendarDays> read;
        QVERIFY(ask(Data::GetScheduleCalendar, pack(QList<int>{CalendarSchedule, IvanovMarch, 999}, first, last), schedules,
                    readFrom, readTo, read));
        QVERIFY(read.value(IvanovMarch).size() == 3 && read.value(999).isEmpty());
        CalendarDays stored = read.value(CalendarSchedule);
        for (SCHEDULE_CALENDAR_DAY& day : stored) {
            for (SCHEDULE_CALENDAR_INTERVAL& piece : day.intervals)
                piece.dayId = piece.dayId == day.id ? 0 : piece.dayId;
            day.id = 0;
        }
        QCOMPARE(stored, expected);
    }

    void reopenAndSeed_data()
    {
        QTest::addColumn<bool>("reset");
        QTest::newRow("demo not seeded over data") << false;
        QTest::newRow("demo replaces data on reset") << true;
    }

    // A reopened database keeps its data and its users' passwords, unless the demo resets it.
    void reopenAndSeed()
    {
        QFETCH(bool, reset);
        m_core = std::make_unique<ServerCore>();
        QString error;
        QVERIFY2(m_core->open(m_url, &error) && m_core->seedDemo(60, reset, &error), qPrintable(error));
        m_sessions.insert(QStringLiteral("planner"), login(QStringLiteral("planner"), reset ? "planner2026" : "planner-secret"));
        const QList<ObjectInfo> employees = objects(QStringLiteral("subject"));
        QCOMPARE(employees.size(), reset ? 60 : 2);

        // Most demo employees have a photo; a client holding its md5 is not sent it again.
        QList<_BLOB_DATA_RESQUEST> requests;
        for (const ObjectInfo& employee : employees)
            requests.append({employee.uid, QStringLiteral("PT_PHOTO"), QByteArray()});
        QHash<TYPE_ID, QHash<QString, QByteArray>> photos, again;
        QVERIFY(ask(Data::GetBlobDataChange, pack(requests), photos));
        QVERIFY2(reset ? photos.size() >= 40 && photos.size() < 60 : photos.isEmpty(), qPrintable(QString::number(photos.size())));
        if (!reset)
            return;
        const TYPE_ID held = photos.keys().at(0), stale = photos.keys().at(1);
        const QByteArray md5 = QCryptographicHash::hash(photos.value(held).value(QStringLiteral("PT_PHOTO")), QCryptographicHash::Md5);
        QVERIFY(ask(Data::GetBlobDataChange, pack(QList<_BLOB_DATA_RESQUEST>{{held, QStringLiteral("PT_PHOTO"), md5.toHex()},
                                                                             {stale, QStringLiteral("PT_PHOTO"), "stale"}}), again));
        QCOMPARE(again.keys(), QList<TYPE_ID>{stale});
    }
};

OV_TEST_GUILESS_MAIN(tst_ServerCoreStorage)
#include "tst_servercorestorage.moc"
