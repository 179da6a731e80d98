#pragma once

#include "data.h"
#include "databaseconnector.h"
#include "demoorganisation.h"
#include "demoorganisationgenerator.h"
#include "fatalwarnings.h"
#include "servercommands.h"
#include "servercore.h"
#include "servertestrecords.h"
#include "testdatabases.h"
#include "vocabulary.h"

#include <QHash>
#include <QSignalSpy>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <functional>
#include <memory>

using namespace orvanta;
using namespace servertest;
using ov5sdk::Data;


/// The engines a server test runs on, as the global rows of initTestCase_data: SQLite always,
/// PostgreSQL when OV_TEST_PG_URL names a cluster that answers (CTest's fixture throws it away).
class EngineFixture
{
protected:
    static void addEngines()
    {
        QTest::addColumn<QString>("engine");
        QTest::newRow("sqlite") << QStringLiteral("sqlite");
        if (!postgresUrl().isEmpty())
            QTest::newRow("postgresql") << QStringLiteral("postgresql");
        else if (!qEnvironmentVariableIsEmpty("OV_TEST_PG_URL"))
            std::fprintf(stderr, "PostgreSQL does not answer: SQLite only\n");
    }

    // One PostgreSQL database per program, emptied by the tests; a new SQLite file is cheap.
    static QString postgresUrl()
    {
        static const QString url = ovtest::freshPostgresUrl();
        return url;
    }

    QString freshUrl(const QString& engine)
    {
        static int number = 0;
        return engine == QLatin1String("sqlite")
            ? QStringLiteral("sqlite:") + m_folder.filePath(QStringLiteral("test-%1.sqlite").arg(++number))
            : postgresUrl();
    }

    QTemporaryDir m_folder;
};

/// A connection to the row's engine, opened with schema the first time and emptied of tables every time.
class StorageFixture : public EngineFixture
{
protected:
    void openStorage(const std::function<QStringList(SqlDialect)>& schema, const QStringList& tables)
    {
        QFETCH_GLOBAL(QString, engine);
        m_connection = QStringLiteral("storage-test-") + engine;
        QSqlDatabase database = db();
        QString error;
        if (!database.isValid()) {
            QVERIFY2(DatabaseConnector::open(freshUrl(engine), m_connection, &database, &m_dialect, &error), qPrintable(error));
            for (const QString& statement : schema(m_dialect))
                QVERIFY2(QSqlQuery(database).exec(statement), qPrintable(statement));
        }
        m_dialect = engine == QLatin1String("sqlite") ? SqlDialect::Sqlite : SqlDialect::PostgreSql;
        QSqlQuery sql(database);
        for (const QString& table : tables)
            QVERIFY2(sql.exec(QStringLiteral("DELETE FROM ") + table), qPrintable(sql.lastError().text()));
    }

    QSqlDatabase db() const { return QSqlDatabase::database(m_connection, false); }

    QString m_connection;
    SqlDialect m_dialect = SqlDialect::Sqlite;
};

/// Runs use on an SQLite database without any table, so every statement fails.
inline void withoutSchema(const std::function<void(const QSqlDatabase&)>& use)
{
    {
        QSqlDatabase empty = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("empty"));
        empty.setDatabaseName(QStringLiteral(":memory:"));
        QVERIFY(empty.open());
        use(empty);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("empty"));
}

const QDate Today(2026, 3, 15);
constexpr TYPE_ID Firm = 100;
constexpr TYPE_ID Shop = 101;
constexpr TYPE_ID Stock = 102;
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
    return {parent, child, int(refType), {}, {}};
}

// The addObject (uid 0) or updateObjectEx payload of employee's trip to department, first to last.
inline QByteArray tripPayload(TYPE_ID uid, TYPE_ID employee, TYPE_ID department, const QDate& first, const QDate& last)
{
    ObjectInfo trip = object(uid, db::wt::ATTACHED_WORKER, 0, QStringLiteral("Командировка"));
    trip.properties.insert(QLatin1String(db::attached_worker::DATE_BEGIN), first.toString(Qt::ISODate));
    trip.properties.insert(QLatin1String(db::attached_worker::DATE_END), last.toString(Qt::ISODate));
    const QList<_INHERIT_DATA> links{{uid, employee, int(INHERIT_ATTACHED_WORKER), first.startOfDay(), last.startOfDay()},
                                     {uid, department, int(INHERIT_ATTACHED_WORKER_DEPARTMENT), first.startOfDay(), last.startOfDay()}};
    return pack(trip, links);
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

// A firm with one shop and its stock room, two employees of the shop, a job, a break rule on the shop, three schedules and
// four users: the demo's planner, viewer and hr, and one who may plan and approve work time in
// March 2026 and set absences from 15 February to March.
inline DemoOrganisation organisation()
{
    DemoOrganisation result;
    result.objects[QLatin1String(ORGSTRUCTURE_DATANAME)] = {
        object(Firm, db::orgstructure::FIRM, 0, QStringLiteral("ООО Ромашка")),
        object(Shop, db::orgstructure::DEPARTMENT, Firm, QStringLiteral("Магазин на Тверской")),
        object(Stock, db::orgstructure::DEPARTMENT, Shop, QStringLiteral("Склад магазина"))};
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
    DemoUser restricted;
    restricted.login = QStringLiteral("restricted");
    restricted.roles = QStringList{"RL_WTPLANNINGVIEW_WORKTIME_SET", "RL_WTPLANNINGVIEW_WORKTIME_APPROVE",
                                   "RL_WTPLANNINGVIEW_ATTACHED_CREATE", "RL_WTPLANNINGVIEW_ATTACHED_UPDATE"};
    restricted.workTimePlanning = {_ROLE_DATE_RESTRICTIONS::FixedDates, -1, -1, QDate(2026, 3, 1), QDate(2026, 3, 31)};
    restricted.absenceReasons = restricted.workTimePlanning;
    restricted.absenceReasons.from = QDate(2026, 2, 15);
    result.users = DemoOrganisationGenerator::users() + QList<DemoUser>{restricted};
    // Other passwords than the demo's, so a database seeded over them shows.
    for (DemoUser& user : result.users)
        user.password = user.login + QStringLiteral("-secret");
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
class ServerCoreFixture : public EngineFixture
{
protected:
    void openFresh(const QString& engine)
    {
        m_url = freshUrl(engine);
        m_core = std::make_unique<ServerCore>();
        QString error;
        QVERIFY2(m_core->open(m_url, &error), qPrintable(error));
        QVERIFY2(m_core->seedOrganisation(organisation(), Today, true, &error), qPrintable(error));
        m_sessions.clear();
        for (const QString& name : QStringList{"planner", "viewer", "hr", "restricted"})
            m_sessions.insert(name, login(name, name + QStringLiteral("-secret")));
    }

    // The session token of a successful login, empty otherwise.
    QByteArray login(const QString& login, const QString& password)
    {
        const Command reply = m_core->handle({0, 0, QLatin1String(ServerCommands::Login), pack(login, password), 0, {}}, 1);
        QByteArray session;
        OVDataStream stream(reply.data);
        if (reply.result == ResultSuccess)
            stream >> session;
        return session;
    }

    Command send(const QString& name, const QByteArray& payload, const QString& login = QStringLiteral("planner"),
                 quint64 connection = 1)
    {
        return m_core->handle({0, 0, name, payload, 77, m_sessions.value(login)}, connection);
    }

    Command sendData(const char* operation, const QByteArray& payload, const QString& login = QStringLiteral("planner"),
                     quint64 connection = 1)
    {
        return send(Data::commandName(operation), payload, login, connection);
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
        QString name;
        QList<ObjectInfo> result;
        return ask(Data::GetObjects, pack(dataname), name, result) && name == dataname ? result : QList<ObjectInfo>();
    }

    QString m_url;
    std::unique_ptr<ServerCore> m_core;
    QHash<QString, QByteArray> m_sessions;
};
