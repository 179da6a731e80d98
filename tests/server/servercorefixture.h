#pragma once

#include "data.h"
#include "demoorganisation.h"
#include "fatalwarnings.h"
#include "servercommands.h"
#include "servercore.h"
#include "servertestrecords.h"
#include "testdatabases.h"
#include "vocabulary.h"

#include <QHash>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <functional>
#include <memory>

using namespace orvanta;
using namespace servertest;
using ov5sdk::Data;

using PayloadFactory = std::function<QByteArray()>;
Q_DECLARE_METATYPE(PayloadFactory)

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

inline ObjectInfo object(TYPE_ID uid, const char* type, TYPE_ID parent, const QString& name)
{
    ObjectInfo result;
    result.uid = uid;
    result.type = QLatin1String(type);
    result.parent = parent;
    result.properties.insert(QLatin1String(db::common::NAME), name);
    return result;
}

inline _INHERIT_DATA link(TYPE_ID parent, TYPE_ID child, TYPE_ID refType)
{
    _INHERIT_DATA result;
    result.parent = parent;
    result.child = child;
    result.refType = int(refType);
    return result;
}

inline _WORKER_ABSENCE_REASON_RECORD absenceOn(const QDate& from, const QDate& to)
{
    return absence(Seller, from.startOfDay(), to.startOfDay());
}

inline SCHEDULE_DATA schedule(int id, const QString& name, int kind, TYPE_ID worker = 0)
{
    SCHEDULE_DATA result = kind == SCHEDULE_DATA::KindCycle ? cycleSchedule(id, QDate(2026, 3, 1), {0, 0, 0, 0, 0, -1, -1})
                                                            : SCHEDULE_DATA();
    result.id = id;
    result.name = name;
    result.kind = kind;
    result.date = QDate(2026, 3, 1);
    result.worker = worker;
    return result;
}

inline DemoUser user(const QString& login, const QStringList& roles)
{
    DemoUser result;
    result.login = login;
    result.password = login + QStringLiteral("-secret");
    result.fullName = login;
    result.roles = roles;
    return result;
}

// A firm with one shop, two employees, a job, a break rule on the shop, three schedules and
// four users: everything; read only; break rules but their removal, and attached workers;
// work time in March 2026 and absences from 15 February to March.
inline DemoOrganisation organisation()
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
    // A record of every figure on each day of March, for both employees and both departments.
    for (QDate date(2026, 3, 1); date.month() == 3; date = date.addDays(1)) {
        for (const TYPE_ID id : {Ivanov, Petrova}) {
            result.normTime.append({0, date, id, 8 * Hour + date.day()});
            result.syncTime.append({0, date, id, date.day() % 2 == 0, QDateTime(date, QTime(20, 0)), QDateTime(),
                                    date.day() == 1 ? QDateTime(date, QTime(6, 0)) : QDateTime()});
        }
        for (const TYPE_ID id : {Firm, Shop}) {
            result.salesPlan.append({0, date, id, 1000000000000LL + date.day()});
            result.hoursBudget.append({0, date, id, 100 + date.day()});
        }
    }
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
    restricted.absenceReasons.from = QDate(2026, 2, 15);
    QStringList hr = all.filter(QStringLiteral("BREAKRULE")) + all.filter(QStringLiteral("ATTACHED"));
    hr.removeOne(prefix + QStringLiteral("BREAKRULE_DELETE"));
    result.users = {user(QStringLiteral("planner"), all), user(QStringLiteral("viewer"), all.filter(QStringLiteral("_SHOW"))),
                    user(QStringLiteral("hr"), hr), restricted};
    return result;
}

// The names of the commands a spy on ServerCore::pushed saw, in order.
inline QStringList pushedNames(const QSignalSpy& pushed)
{
    QStringList names;
    for (const QList<QVariant>& arguments : pushed)
        names.append(arguments.at(0).value<Command>().name);
    return names;
}

/// A server core on a fresh database of the row's engine, seeded with organisation(), with a
/// session for each of its users.
class ServerCoreFixture
{
protected:
    // PostgreSQL only when its cluster answers, as the storage tests do: CTest does not run a
    // test whose cluster fixture failed.
    static void addEngines()
    {
        QTest::addColumn<QString>("engine");
        QTest::newRow("sqlite") << QStringLiteral("sqlite");
        if (!postgresUrl().isEmpty())
            QTest::newRow("postgresql") << QStringLiteral("postgresql");
        else if (!qEnvironmentVariableIsEmpty("OV_TEST_PG_URL"))
            std::fprintf(stderr, "PostgreSQL does not answer: SQLite only\n");
    }

    // A new SQLite file is cheap; the PostgreSQL database is made once and emptied by the reset.
    static QString postgresUrl()
    {
        static const QString url = ovtest::freshPostgresUrl();
        return url;
    }

    void openFresh(const QString& engine)
    {
        static int number = 0;
        m_url = engine == QLatin1String("sqlite")
            ? QStringLiteral("sqlite:") + m_folder.filePath(QStringLiteral("core-%1.sqlite").arg(++number))
            : postgresUrl();
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

    // Sends operation as planner and decodes its reply into out; false when it fails or does not decode.
    template<typename... Out>
    bool ask(const char* operation, const QByteArray& payload, Out&... out)
    {
        const Command reply = sendData(operation, payload);
        return reply.result == ResultSuccess && unpack(reply.data, out...);
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
