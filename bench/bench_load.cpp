// Many planners at once against one or more ovserver processes (scripts/cluster starts them):
// N headless clients over TCP, each with the SDK's connection and data service and a session of
// its own, each planning its own slice of the organisation (its departments, or its part of a
// large one), spread over the servers in turn. A client loads the month with the requests the
// planning screen sends, then saves one employee's month after another the way its save tasks do
// (a personal schedule made where the employee has none, its days, the sync flag), thinking
// between two saves and loading the month again every few saves.
// Prints p50/p95/p99 latency per operation and per request, throughput and errors.
//
//   bench_load [--servers HOST:PORT,...] [--clients N] [--seconds S] [--think-ms MS]
//              [--ramp-seconds S] [--reload-every N] [--user LOGIN --password PASSWORD]
#include "command.h"
#include "data.h"
#include "dbquery.h"
#include "objectinfo.h"
#include "ovdatastream.h"
#include "ovplugininterface.h"
#include "payload.h"
#include "scheduledata.h"
#include "servercommands.h"
#include "tcpserverconnection.h"
#include "vocabulary.h"
#include "workerschedulehistory.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHash>
#include <QLoggingCategory>
#include <QMap>
#include <QRandomGenerator>
#include <QSet>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>

using namespace orvanta;
using ovtest::pack;

namespace {

constexpr double MonthLoadLimitMs = 500;
constexpr double SaveLimitMs = 100;
constexpr char MonthLoad[] = "month load";
constexpr char Save[] = "employee-month save";
constexpr char Login[] = "login";
// The statement text the planning screen sends; the server runs only the texts it knows.
constexpr char BalanceSql[] = "SELECT worker_id,   SUM(norm_time) AS norm_time,   SUM(plan_time) AS plan_time "
                              "FROM get_planning_balance(:start, :finish, :workers::BIGINT[]) GROUP BY worker_id;";
// The server still runs the query; its rows come in a later result.
constexpr qint32 AsyncPending = 14;

/// Durations and failures per operation name.
class LatencyLog
{
public:
    void record(const QString& operation, double ms) { m_times[operation].append(ms); }
    void fail(const QString& operation, const QString& message)
    {
        ++m_errors[operation];
        if (m_messages.size() < 10)
            m_messages.append(operation + QStringLiteral(": ") + message);
    }
    int count(const QString& operation) const { return m_times.value(operation).size(); }
    int errors() const
    {
        int total = 0;
        for (int each : m_errors)
            total += each;
        return total;
    }
    double percentile(const QString& operation, double p) const
    {
        QList<double> times = m_times.value(operation);
        if (times.isEmpty())
            return 0;
        std::sort(times.begin(), times.end());
        const int rank = int(std::ceil(p * times.size())) - 1;
        return times.at(std::clamp(rank, 0, int(times.size()) - 1));
    }
    void print(double seconds) const
    {
        std::printf("%-40s %7s %6s %8s %8s %8s %8s %8s\n", "operation", "count", "errors", "p50 ms", "p95 ms",
                    "p99 ms", "max ms", "per s");
        QStringList names = m_times.keys();
        for (const QString& name : m_errors.keys()) {
            if (!names.contains(name))
                names.append(name);
        }
        // The planner's operations first, then the requests they are made of.
        std::stable_sort(names.begin(), names.end(),
                         [](const QString& a, const QString& b) { return !a.contains('.') && b.contains('.'); });
        for (const QString& name : qAsConst(names)) {
            std::printf("%-40s %7d %6d %8.1f %8.1f %8.1f %8.1f %8.1f\n", qPrintable(name), count(name),
                        m_errors.value(name), percentile(name, 0.5), percentile(name, 0.95), percentile(name, 0.99),
                        percentile(name, 1.0), count(name) / seconds);
        }
        for (const QString& message : m_messages)
            std::printf("error: %s\n", qPrintable(message));
    }

private:
    QMap<QString, QList<double>> m_times;
    QMap<QString, int> m_errors;
    QStringList m_messages;
};

/// The SDK's plug-in base with no window: what ov5sdk::Data sends through.
class HeadlessPlugin : public OVPluginInterface
{
public:
    QString pluginName() const override { return QStringLiteral("bench_load"); }
    int pluginVersion() const override { return 1; }
    QString pluginBuild() const override { return QStringLiteral("bench"); }
    QWidget* widget() override { return nullptr; }
};

/// What every planner reads of the organisation once, before the run.
struct Organisation
{
    QList<QList<uint>> employeesByPlanner;
    QList<QList<uint>> departmentsByPlanner;
    QHash<int, SCHEDULE_DATA> schedules;
    /// Employee -> his personal schedule of the month.
    QHash<uint, int> personalSchedule;
};

struct RunSettings
{
    QDate monthStart;
    int thinkMs = 2000;
    int reloadEvery = 5;
};

template<typename... Args>
bool unpack(const QByteArray& payload, Args&... values)
{
    OVDataStream stream(payload);
    (stream >> ... >> values);
    return stream.status() == QDataStream::Ok;
}

/// One planner at work: logs in, loads the month of its departments, saves employee-months.
class SimulatedPlanner : public QObject
{
public:
    SimulatedPlanner(int number, const Organisation& organisation, const RunSettings& settings, LatencyLog* log)
        : m_number(number)
        , m_organisation(organisation)
        , m_settings(settings)
        , m_log(log)
        , m_clientId(QStringLiteral("bench-%1").arg(number))
    {
        m_next.setSingleShot(true);
        connect(&m_next, &QTimer::timeout, this, [this] { step(); });
    }

    bool connectTo(const QString& host, quint16 port)
    {
        if (!m_connection.connectToServer(host, port)) {
            m_log->fail(QLatin1String(Login), m_connection.errorString());
            return false;
        }
        m_plugin.init(&m_connection, QStringLiteral("bench_load"));
        m_connection.registerCommandHandler(QLatin1String(ServerCommands::AsyncResultPrefix) + m_clientId,
                                            [this](Command& command) { asyncResult(command); });
        return true;
    }

    void start(const QString& login, const QString& password, int delayMs)
    {
        QTimer::singleShot(delayMs, this, [=] { logIn(login, password); });
    }
    void stop() { m_stopping = true; }
    bool isIdle() const { return m_idle; }

private:
    using Done = std::function<void(bool)>;

    void logIn(const QString& login, const QString& password)
    {
        m_idle = false;
        Command request;
        request.kind = 1;
        request.name = QLatin1String(ServerCommands::Login);
        request.data = pack(login, password);
        QElapsedTimer timer;
        timer.start();
        m_connection.send(request, [this, timer](Command& reply) {
            if (!reply.isSuccess() || !unpack(reply.data, m_session)) {
                m_log->fail(QLatin1String(Login), reply.errorMessage());
                m_idle = true;
                return;
            }
            m_log->record(QLatin1String(Login), timer.nsecsElapsed() / 1e6);
            m_data = std::make_unique<ov5sdk::Data>(&m_plugin, m_session);
            loadMonth();
        });
    }

    void step()
    {
        if (m_stopping) {
            m_idle = true;
            return;
        }
        if (++m_steps % m_settings.reloadEvery == 0)
            loadMonth();
        else
            saveEmployeeMonth();
    }

    void thinkThenStep()
    {
        const int think = m_settings.thinkMs / 2 + int(QRandomGenerator::global()->bounded(m_settings.thinkMs + 1));
        m_next.start(think);
    }

    /// A reply handler that records the request's own latency under its command name.
    ov5sdk::Data::Callback timed(const char* operation, std::function<void(Command&)> then)
    {
        QElapsedTimer timer;
        timer.start();
        return [this, operation, timer, then = std::move(then)](Command& reply) {
            const QString name = ov5sdk::Data::commandName(operation);
            if (reply.isSuccess())
                m_log->record(name, timer.nsecsElapsed() / 1e6);
            else
                m_log->fail(name, reply.errorMessage());
            then(reply);
        };
    }

    void loadMonth()
    {
        const QList<uint>& employees = m_organisation.employeesByPlanner.at(m_number);
        const QList<uint>& departments = m_organisation.departmentsByPlanner.at(m_number);
        const QDate start = m_settings.monthStart;
        const QDate finish = start.addMonths(1).addDays(-1);
        m_loadTimer.start();
        m_loadFailed = false;
        // Six replies and the balance's rows; the calendar's is asked for with the histories.
        m_loadPending = 7;
        const auto part = [this](Command& reply) { loadPartDone(reply.isSuccess()); };
        m_data->getWorkerSchedules(employees, timed(ov5sdk::Data::GetWorkerSchedules, [=](Command& reply) {
            if (reply.isSuccess())
                requestCalendars(reply, employees);
            loadPartDone(reply.isSuccess());
        }));
        m_data->getWorkerAbsenceReasons(employees, timed(ov5sdk::Data::GetWorkerAbsenceReasons, part));
        m_data->getWorkerNormTime(start, finish, employees, timed(ov5sdk::Data::GetWorkerNormTime, part));
        m_data->getWorkerSyncTime(start, finish, employees, timed(ov5sdk::Data::GetWorkerSyncTime, part));
        m_data->getWorkTimeBudgets(departments, start, finish, timed(ov5sdk::Data::GetWorkTimeBudgets, part));
        m_data->getWorkTimeHours(departments, start, finish, timed(ov5sdk::Data::GetWorkTimeHours, part));
        requestBalance(employees);
    }

    void requestCalendars(const Command& reply, const QList<uint>& employees)
    {
        QHash<uint, WORKER_SCHEDULE_HISTORY_V2> histories;
        unpack(reply.data, histories);
        const QDate start = m_settings.monthStart;
        const QDate finish = start.addMonths(1).addDays(-1);
        QSet<int> ids;
        for (uint employee : employees) {
            if (const int personal = m_organisation.personalSchedule.value(employee))
                ids.insert(personal);
        }
        for (const WORKER_SCHEDULE_HISTORY_V2& history : qAsConst(histories)) {
            for (const auto& record : history.records) {
                const bool inMonth = record.state == 1 && !(record.from.isValid() && record.from > finish)
                    && !(record.to.isValid() && record.to < start);
                if (inMonth && m_organisation.schedules.value(int(record.schedule)).keepsCalendarDays())
                    ids.insert(int(record.schedule));
            }
        }
        ++m_loadPending;
        m_data->getScheduleCalendar(ids.values(), start, finish,
                                    timed(ov5sdk::Data::GetScheduleCalendar,
                                          [this](Command& calendar) { loadPartDone(calendar.isSuccess()); }));
    }

    void requestBalance(const QList<uint>& employees)
    {
        DbQuery query{QLatin1String(BalanceSql)};
        const QDate start = m_settings.monthStart;
        QStringList ids;
        for (uint id : employees)
            ids.append(QString::number(id));
        query.bindValue(QStringLiteral(":start"), QDate(start.year(), 1, 1));
        query.bindValue(QStringLiteral(":finish"), start.addDays(-1));
        query.bindValue(QStringLiteral(":workers"), QStringLiteral("{%1}").arg(ids.join(QLatin1Char(','))));
        m_balanceQuery = QStringLiteral("balance-%1").arg(++m_queries);
        m_balanceTimer.start();
        m_data->execAsyncSql(m_clientId, m_balanceQuery, query,
                             timed(ov5sdk::Data::ExecAsyncSql, [this](Command& reply) {
                                 if (!reply.isSuccess())
                                     loadPartDone(false);
                             }));
    }

    void asyncResult(Command& command)
    {
        QString queryId;
        qint32 status = 0;
        if (!unpack(command.data, queryId, status) || queryId != m_balanceQuery || status == AsyncPending)
            return;
        const bool ok = status == ResultSuccess;
        if (ok)
            m_log->record(QStringLiteral("data.execAsyncSql rows"), m_balanceTimer.nsecsElapsed() / 1e6);
        else
            m_log->fail(QStringLiteral("data.execAsyncSql rows"), QStringLiteral("status %1").arg(status));
        loadPartDone(ok);
    }

    void loadPartDone(bool ok)
    {
        m_loadFailed = m_loadFailed || !ok;
        if (--m_loadPending > 0)
            return;
        if (m_loadFailed)
            m_log->fail(QLatin1String(MonthLoad), QStringLiteral("a request failed"));
        else
            m_log->record(QLatin1String(MonthLoad), m_loadTimer.nsecsElapsed() / 1e6);
        thinkThenStep();
    }

    QList<SCHEDULE_CALENDAR_DAY> monthDays() const
    {
        // Each save moves the day by an hour, so every save writes a real change.
        const int startHour = 8 + m_steps % 3;
        QList<SCHEDULE_CALENDAR_DAY> days;
        const QDate start = m_settings.monthStart;
        for (QDate date = start; date.month() == start.month(); date = date.addDays(1)) {
            SCHEDULE_CALENDAR_DAY day;
            day.date = date;
            if (date.dayOfWeek() < Qt::Saturday) {
                for (int half = 0; half < 2; ++half) {
                    SCHEDULE_CALENDAR_INTERVAL interval;
                    interval.start = (startHour + half * 5) * 3600;
                    interval.finish = interval.start + 4 * 3600;
                    interval.order = half;
                    day.intervals.append(interval);
                }
                day.start = day.intervals.first().start;
                day.finish = day.intervals.last().finish;
                day.time = 8 * 3600;
            }
            days.append(day);
        }
        return days;
    }

    void saveEmployeeMonth()
    {
        const QList<uint>& employees = m_organisation.employeesByPlanner.at(m_number);
        if (employees.isEmpty()) {
            thinkThenStep();
            return;
        }
        const uint employee = employees.at(m_steps % employees.size());
        m_saveTimer.start();
        const int schedule = m_ownSchedules.value(employee, m_organisation.personalSchedule.value(employee));
        if (schedule != 0) {
            saveDays(employee, schedule);
            return;
        }
        SCHEDULE_DATA personal;
        personal.name = QStringLiteral("Нагрузочный тест %1").arg(employee);
        personal.active = 1;
        personal.kind = SCHEDULE_DATA::KindPersonal;
        personal.date = m_settings.monthStart;
        personal.worker = employee;
        m_data->addSchedule(personal, timed(ov5sdk::Data::AddSchedule, [this, employee](Command& reply) {
            qint32 id = 0;
            if (!reply.isSuccess() || !unpack(reply.data, id))
                return saveDone(false);
            m_ownSchedules.insert(employee, id);
            saveDays(employee, id);
        }));
    }

    void saveDays(uint employee, int schedule)
    {
        const QDate start = m_settings.monthStart;
        m_data->updateScheduleCalendar(
            schedule, start, start.addMonths(1).addDays(-1), monthDays(),
            timed(ov5sdk::Data::UpdateScheduleCalendar, [this, employee, start](Command& reply) {
                if (!reply.isSuccess())
                    return saveDone(false);
                m_data->resetWorkerSyncTime(start, {employee}, timed(ov5sdk::Data::ResetWorkerSyncTime, [this](Command& reset) {
                                                saveDone(reset.isSuccess());
                                            }));
            }));
    }

    void saveDone(bool ok)
    {
        if (ok)
            m_log->record(QLatin1String(Save), m_saveTimer.nsecsElapsed() / 1e6);
        else
            m_log->fail(QLatin1String(Save), QStringLiteral("a request failed"));
        thinkThenStep();
    }

    const int m_number;
    const Organisation& m_organisation;
    const RunSettings m_settings;
    LatencyLog* m_log;
    const QString m_clientId;
    TcpServerConnection m_connection;
    HeadlessPlugin m_plugin;
    std::unique_ptr<ov5sdk::Data> m_data;
    QByteArray m_session;
    QTimer m_next;
    QElapsedTimer m_loadTimer;
    QElapsedTimer m_saveTimer;
    QElapsedTimer m_balanceTimer;
    QString m_balanceQuery;
    QHash<uint, int> m_ownSchedules;
    int m_loadPending = 0;
    bool m_loadFailed = false;
    int m_steps = 0;
    int m_queries = 0;
    bool m_stopping = false;
    bool m_idle = true;
};

/// Sends request on connection and waits for its reply.
Command ask(TcpServerConnection* connection, const QString& name, const QByteArray& payload, const QByteArray& session)
{
    Command request;
    request.kind = 1;
    request.name = name;
    request.data = payload;
    request.session = session;
    Command result;
    QEventLoop loop;
    connection->send(request, [&](Command& reply) {
        result = reply;
        loop.quit();
    });
    loop.exec();
    return result;
}

/// Reads the organisation through one connection and deals it out to the planners in equal
/// slices of employees, department by department: with fewer departments than planners, several
/// plan parts of one department, as the shifts of a large shop are planned by several people.
bool readOrganisation(const QString& host, quint16 port, const QString& login, const QString& password, int planners,
                      const QDate& month, Organisation* out)
{
    TcpServerConnection connection;
    QByteArray session;
    Command loginReply;
    if (connection.connectToServer(host, port))
        loginReply = ask(&connection, QLatin1String(ServerCommands::Login), pack(login, password), {});
    if (!loginReply.isSuccess() || !unpack(loginReply.data, session)) {
        std::printf("cannot log in to %s:%u: %s%s\n", qPrintable(host), port, qPrintable(connection.errorString()),
                    qPrintable(loginReply.errorMessage()));
        return false;
    }
    QString dataname;
    QList<ObjectInfo> employees;
    QList<SCHEDULE_DATA> schedules;
    const QString getObjects = ov5sdk::Data::commandName(ov5sdk::Data::GetObjects);
    if (!unpack(ask(&connection, getObjects, pack(QString(SUBJECT_DATANAME)), session).data, dataname, employees)
        || !unpack(ask(&connection, QLatin1String(ServerCommands::GetSchedules), {}, session).data, schedules)) {
        std::printf("cannot read the organisation\n");
        return false;
    }
    std::sort(employees.begin(), employees.end(), [](const ObjectInfo& a, const ObjectInfo& b) {
        return a.parent != b.parent ? a.parent < b.parent : a.uid < b.uid;
    });
    QSet<uint> departments;
    for (int i = 0; i < planners; ++i) {
        QList<uint> own;
        QList<uint> ownDepartments;
        for (qsizetype at = qsizetype(i) * employees.size() / planners;
             at < qsizetype(i + 1) * employees.size() / planners; ++at) {
            const ObjectInfo& employee = employees.at(at);
            own.append(uint(employee.uid));
            if (!ownDepartments.contains(uint(employee.parent)))
                ownDepartments.append(uint(employee.parent));
            departments.insert(uint(employee.parent));
        }
        out->employeesByPlanner.append(own);
        out->departmentsByPlanner.append(ownDepartments);
    }
    for (const SCHEDULE_DATA& schedule : qAsConst(schedules)) {
        out->schedules.insert(schedule.id, schedule);
        if (schedule.kind == SCHEDULE_DATA::KindPersonal && schedule.date.year() == month.year()
            && schedule.date.month() == month.month())
            out->personalSchedule.insert(uint(schedule.worker), schedule.id);
    }
    std::printf("organisation: %lld employees in %lld departments, %lld schedules; about %lld employees a planner\n",
                qint64(employees.size()), qint64(departments.size()), qint64(schedules.size()),
                qint64(employees.size() / planners));
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("TZ"))
        qputenv("TZ", ":/etc/localtime");
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption serversOption(QStringLiteral("servers"), QStringLiteral("Servers, comma-separated."),
                                           QStringLiteral("HOST:PORT,..."), QStringLiteral("127.0.0.1:7010"));
    const QCommandLineOption clientsOption(QStringLiteral("clients"), QStringLiteral("Simulated planners."),
                                           QStringLiteral("N"), QStringLiteral("100"));
    const QCommandLineOption secondsOption(QStringLiteral("seconds"), QStringLiteral("How long they work."),
                                           QStringLiteral("S"), QStringLiteral("60"));
    const QCommandLineOption thinkOption(QStringLiteral("think-ms"), QStringLiteral("Mean pause between operations."),
                                         QStringLiteral("MS"), QStringLiteral("2000"));
    const QCommandLineOption rampOption(QStringLiteral("ramp-seconds"), QStringLiteral("Logins spread over this long."),
                                        QStringLiteral("S"), QStringLiteral("10"));
    const QCommandLineOption reloadOption(QStringLiteral("reload-every"),
                                          QStringLiteral("Every Nth operation loads the month again."),
                                          QStringLiteral("N"), QStringLiteral("5"));
    const QCommandLineOption userOption(QStringLiteral("user"), QStringLiteral("Login of every planner."),
                                        QStringLiteral("LOGIN"), QStringLiteral("planner"));
    const QCommandLineOption passwordOption(QStringLiteral("password"), QStringLiteral("Its password."),
                                            QStringLiteral("PASSWORD"), QStringLiteral("planner2026"));
    parser.addOptions({serversOption, clientsOption, secondsOption, thinkOption, rampOption, reloadOption, userOption,
                       passwordOption});
    parser.process(app);
    // A planner whose server went away is an error in the figures, not a line per request.
    QLoggingCategory::setFilterRules(QStringLiteral("host.sdk.warning=false"));

    QList<QPair<QString, quint16>> servers;
    for (const QString& server : parser.value(serversOption).split(QLatin1Char(','), Qt::SkipEmptyParts))
        servers.append({server.section(QLatin1Char(':'), 0, -2), quint16(server.section(QLatin1Char(':'), -1).toUInt())});
    const int clients = std::max(1, parser.value(clientsOption).toInt());
    const int seconds = std::max(1, parser.value(secondsOption).toInt());
    RunSettings settings;
    const QDate today = QDate::currentDate();
    settings.monthStart = QDate(today.year(), today.month(), 1);
    settings.thinkMs = std::max(0, parser.value(thinkOption).toInt());
    settings.reloadEvery = std::max(1, parser.value(reloadOption).toInt());
    const int rampMs = std::max(0, parser.value(rampOption).toInt()) * 1000;
    if (servers.isEmpty()) {
        std::printf("no servers given\n");
        return 2;
    }

    Organisation organisation;
    if (!readOrganisation(servers.first().first, servers.first().second, parser.value(userOption),
                          parser.value(passwordOption), clients, settings.monthStart, &organisation))
        return 1;
    LatencyLog log;
    std::vector<std::unique_ptr<SimulatedPlanner>> planners;
    for (int i = 0; i < clients; ++i) {
        auto planner = std::make_unique<SimulatedPlanner>(i, organisation, settings, &log);
        const auto& server = servers.at(i % servers.size());
        if (!planner->connectTo(server.first, server.second))
            continue;
        planner->start(parser.value(userOption), parser.value(passwordOption), rampMs * i / clients);
        planners.push_back(std::move(planner));
    }
    std::printf("%d planners on %lld servers for %d s, %d ms think time, month %s\n", int(planners.size()),
                qint64(servers.size()), seconds, settings.thinkMs, qPrintable(settings.monthStart.toString(Qt::ISODate)));
    std::fflush(stdout);

    QElapsedTimer run;
    run.start();
    QTimer::singleShot(seconds * 1000, [&] {
        for (auto& planner : planners)
            planner->stop();
    });
    QTimer idle;
    idle.setInterval(100);
    QObject::connect(&idle, &QTimer::timeout, [&] {
        if (run.elapsed() > seconds * 1000
            && std::all_of(planners.begin(), planners.end(), [](const auto& planner) { return planner->isIdle(); }))
            app.quit();
    });
    idle.start();
    app.exec();

    const double elapsed = run.elapsed() / 1000.0;
    log.print(elapsed);
    const double loadP95 = log.percentile(QLatin1String(MonthLoad), 0.95);
    const double saveP95 = log.percentile(QLatin1String(Save), 0.95);
    std::printf("month load p95 %.1f ms (limit %.0f) %s; employee-month save p95 %.1f ms (limit %.0f) %s; %d errors\n",
                loadP95, MonthLoadLimitMs, loadP95 <= MonthLoadLimitMs ? "ok" : "OVER LIMIT", saveP95, SaveLimitMs,
                saveP95 <= SaveLimitMs ? "ok" : "OVER LIMIT", log.errors());
    return log.errors() == 0 ? 0 : 1;
}
