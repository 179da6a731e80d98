#pragma once

#include "data.h"
#include "demoorganisation.h"
#include "fatalwarnings.h"
#include "ovdatastream.h"
#include "servercommands.h"
#include "servercore.h"
#include "testdatabases.h"
#include "vocabulary.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QHash>

#include <functional>
#include <memory>

using namespace orvanta;
using ov5sdk::Data;

using PayloadFactory = std::function<QByteArray()>;
Q_DECLARE_METATYPE(PayloadFactory)

namespace {

const QDate Today(2026, 3, 15);
constexpr TYPE_ID Firm = 100;
constexpr TYPE_ID Shop = 101;
constexpr TYPE_ID Ivanov = 201;
constexpr TYPE_ID Petrova = 202;
constexpr TYPE_ID ShopRule = 301;
constexpr TYPE_ID Seller = 401;
constexpr int CycleSchedule = 1;
constexpr int CalendarSchedule = 2;
constexpr int IvanovMarch = 3;

template<typename... Args>
QByteArray pack(const Args&... args)
{
    QByteArray payload;
    OVDataStream stream(&payload, QIODevice::WriteOnly);
    (stream << ... << args);
    return payload;
}

// True when payload decodes to exactly values, nothing left over.
template<typename... Args>
bool unpack(const QByteArray& payload, Args&... values)
{
    OVDataStream stream(payload);
    (stream >> ... >> values);
    return stream.status() == QDataStream::Ok && stream.atEnd();
}

ObjectInfo object(TYPE_ID uid, const char* type, TYPE_ID parent, const QString& name)
{
    ObjectInfo result;
    result.uid = uid;
    result.type = QLatin1String(type);
    result.parent = parent;
    result.properties.insert(QLatin1String(db::common::NAME), name);
    return result;
}

_INHERIT_DATA link(TYPE_ID parent, TYPE_ID child, TYPE_ID refType)
{
    _INHERIT_DATA result;
    result.parent = parent;
    result.child = child;
    result.refType = int(refType);
    return result;
}

_WORKER_SCHEDULE_HISTORY_RECORD_V2 historyRecord(int schedule, const QDate& from, const QDate& to)
{
    _WORKER_SCHEDULE_HISTORY_RECORD_V2 record;
    record.schedule = TYPE_ID(schedule);
    record.from = from;
    record.to = to;
    return record;
}

_WORKER_ABSENCE_REASON_RECORD absenceRecord(const QDate& from, const QDate& to)
{
    _WORKER_ABSENCE_REASON_RECORD record;
    record.id = _WORKER_ABSENCE_REASON_RECORD::NEW_RECORD_ID;
    record.reason = Seller;
    record.start = from.startOfDay();
    record.end = to.startOfDay();
    return record;
}

DemoUser user(const QString& login, const QStringList& roles)
{
    DemoUser result;
    result.login = login;
    result.password = login + QStringLiteral("-secret");
    result.fullName = login;
    result.roles = roles;
    return result;
}

SCHEDULE_DATA schedule(int id, const QString& name, int kind, TYPE_ID worker = 0)
{
    SCHEDULE_DATA result;
    result.id = id;
    result.name = name;
    result.kind = kind;
    result.date = QDate(2026, 3, 1);
    result.worker = worker;
    if (kind == SCHEDULE_DATA::KindCycle) {
        SCHEDULE_DATA::Shift day;
        SCHEDULE_CALENDAR_INTERVAL interval;
        interval.start = 9 * 3600;
        interval.finish = 18 * 3600;
        day.intervals.append(interval);
        result.shifts.append(day);
        result.cycle = {{0}, {0}, {0}, {0}, {0}, {-1}, {-1}};
    }
    return result;
}

// A firm with one shop, two employees, a job, a break rule on the shop, three schedules and
// four users: everything, read only, break rules and attached workers, March 2026 only.
DemoOrganisation organisation()
{
    DemoOrganisation result;
    result.objects[QLatin1String(ORGSTRUCTURE_DATANAME)] = {
        object(Firm, db::orgstructure::FIRM, 0, QStringLiteral("ООО Ромашка")),
        object(Shop, db::orgstructure::DEPARTMENT, Firm, QStringLiteral("Магазин на Тверской"))};
    result.objects[QLatin1String(SUBJECT_DATANAME)] = {
        object(Ivanov, db::orgstructure::WORKER, Shop, QStringLiteral("Иванов Иван")),
        object(Petrova, db::orgstructure::WORKER, Shop, QStringLiteral("Петрова Анна"))};
    result.objects[QLatin1String(JOB_DATANAME)] = {object(Seller, db::wt::JOB, 0, QStringLiteral("Продавец"))};
    result.objects[QLatin1String(BREAK_RULE_DATANAME)] = {
        object(ShopRule, db::wt::BREAK_RULE, 0, QStringLiteral("Обед 60 минут"))};
    result.links = {link(ShopRule, Shop, INHERIT_BREAK_RULE_OBJECT)};
    result.schedules = {schedule(CycleSchedule, QStringLiteral("5/2"), SCHEDULE_DATA::KindCycle),
                        schedule(CalendarSchedule, QStringLiteral("Календарный"), SCHEDULE_DATA::KindCalendar),
                        schedule(IvanovMarch, QStringLiteral("Иванов март"), SCHEDULE_DATA::KindPersonal, Ivanov)};
    result.scheduleHistories[Ivanov] = {Ivanov, {historyRecord(CycleSchedule, QDate(2026, 1, 1), QDate())}};
    const QString prefix = QStringLiteral("RL_WTPLANNINGVIEW_");
    QStringList all;
    for (const char* role : {"WORKTIME_SHOW", "WORKTIME_SET", "WORKTIME_APPROVE", "BREAKRULE_SHOW", "BREAKRULE_CREATE",
                             "BREAKRULE_UPDATE", "BREAKRULE_DELETE", "ATTACHED_SHOW", "ATTACHED_CREATE",
                             "ATTACHED_UPDATE", "ATTACHED_DELETE"})
        all.append(prefix + QLatin1String(role));
    DemoUser restricted = user(QStringLiteral("restricted"), {prefix + QStringLiteral("WORKTIME_SET")});
    restricted.workTimePlanning.mode = _ROLE_DATE_RESTRICTIONS::FixedDates;
    restricted.workTimePlanning.from = QDate(2026, 3, 1);
    restricted.workTimePlanning.to = QDate(2026, 3, 31);
    restricted.absenceReasons = restricted.workTimePlanning;
    result.users = {user(QStringLiteral("planner"), all),
                    user(QStringLiteral("viewer"), all.filter(QStringLiteral("_SHOW"))),
                    user(QStringLiteral("hr"), all.filter(QStringLiteral("BREAKRULE")) + all.filter(QStringLiteral("ATTACHED"))),
                    restricted};
    return result;
}

} // namespace

/// A server core on a fresh database of the row's engine, seeded with organisation(), with a
/// session for each of its users.
class ServerCoreFixture
{
protected:
    static void addEngines()
    {
        QTest::addColumn<QString>("engine");
        QTest::newRow("sqlite") << QStringLiteral("sqlite");
        if (!qEnvironmentVariableIsEmpty("OV_TEST_PG_URL"))
            QTest::newRow("postgresql") << QStringLiteral("postgresql");
    }

    void openFresh(const QString& engine)
    {
        // A new SQLite file is cheap; a PostgreSQL database is made once and emptied by the reset.
        static int number = 0;
        static QString postgresUrl;
        if (engine == QLatin1String("postgresql") && postgresUrl.isEmpty())
            postgresUrl = ovtest::freshPostgresUrl();
        m_url = engine == QLatin1String("sqlite")
            ? QStringLiteral("sqlite:") + m_folder.filePath(QStringLiteral("core-%1.sqlite").arg(++number))
            : postgresUrl;
        QVERIFY(!m_url.isEmpty());
        m_core = std::make_unique<ServerCore>();
        QString error;
        QVERIFY2(m_core->open(m_url, &error), qPrintable(error));
        QVERIFY2(m_core->seedOrganisation(organisation(), Today, true, &error), qPrintable(error));
        m_sessions.clear();
        for (const QString& name : QStringList{"planner", "viewer", "hr", "restricted"})
            m_sessions.insert(name, login(name, name + QStringLiteral("-secret")));
    }

    QByteArray login(const QString& login, const QString& password)
    {
        Command request;
        request.name = QLatin1String(ServerCommands::Login);
        request.data = pack(login, password);
        const Command reply = m_core->handle(request, 1);
        QByteArray session;
        quint32 userId = 0;
        QStringList roles;
        _ROLE_DATE_RESTRICTIONS workTime;
        _ROLE_DATE_RESTRICTIONS absences;
        if (reply.result != ResultSuccess || !unpack(reply.data, session, userId, roles, workTime, absences))
            return QByteArray();
        return session;
    }

    Command send(const QString& name, const QByteArray& payload, const QString& login = QStringLiteral("planner"))
    {
        Command request;
        request.name = name;
        request.data = payload;
        request.correlationId = 77;
        request.session = m_sessions.value(login);
        return m_core->handle(request, 1);
    }

    Command sendData(const char* operation, const QByteArray& payload, const QString& login = QStringLiteral("planner"))
    {
        return send(Data::commandName(operation), payload, login);
    }

    QList<ObjectInfo> objects(const QString& dataname)
    {
        const Command reply = sendData(Data::GetObjects, pack(dataname));
        QString name;
        QList<ObjectInfo> result;
        if (reply.result != ResultSuccess || !unpack(reply.data, name, result) || name != dataname)
            return {};
        return result;
    }

    QTemporaryDir m_folder;
    QString m_url;
    std::unique_ptr<ServerCore> m_core;
    QHash<QString, QByteArray> m_sessions;
};
