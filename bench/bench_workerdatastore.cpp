// The worker data store on 2,000 employees: SQLite by default, or the PostgreSQL database
// "--db postgresql://..." names (in a schema of its own, dropped and made again each run).
#include "asyncsqlcatalogue.h"
#include "asyncsqlrunner.h"
#include "databaseconnector.h"
#include "ovdatastream.h"
#include "plannedtimetable.h"
#include "workerdatastore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <ctime>
#include <functional>

using namespace orvanta;

namespace {

constexpr int Employees = 2000;
constexpr int Departments = 20;
constexpr int Hour = 3600;
const QDate MonthStart(2024, 3, 1);
const QDate MonthEnd(2024, 3, 31);

QTextStream& out()
{
    static QTextStream stream(stdout);
    return stream;
}

// The CPU time of this thread: on a shared machine the wall time also counts other programs' turns.
double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// Median of runs, in milliseconds; run returns false on a failure, which aborts the bench.
double measure(const QString& what, int runs, const std::function<bool()>& run, double limitMs = -1)
{
    QList<double> times;
    QList<double> cpuTimes;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        const double cpuStart = threadCpuMs();
        timer.start();
        if (!run()) {
            out() << what << ": FAILED" << Qt::endl;
            ::exit(1);
        }
        times.append(timer.nsecsElapsed() / 1e6);
        cpuTimes.append(threadCpuMs() - cpuStart);
    }
    std::sort(times.begin(), times.end());
    std::sort(cpuTimes.begin(), cpuTimes.end());
    const double median = times.at(times.size() / 2);
    out() << qSetFieldWidth(58) << Qt::left << what << qSetFieldWidth(0) << QString::number(median, 'f', 1)
          << " ms (cpu " << QString::number(cpuTimes.at(cpuTimes.size() / 2), 'f', 1) << " ms)";
    if (limitMs > 0)
        out() << "  (limit " << limitMs << " ms" << (median <= limitMs ? ", ok)" : ", OVER)");
    out() << Qt::endl;
    return median;
}

QList<uint> employeeIds()
{
    QList<uint> ids;
    for (int i = 0; i < Employees; ++i)
        ids.append(uint(100000 + i));
    return ids;
}

SCHEDULE_DATA schedule(int id)
{
    SCHEDULE_DATA result;
    result.id = id;
    result.kind = id <= 10 ? SCHEDULE_DATA::KindCycle : SCHEDULE_DATA::KindPersonal;
    if (result.kind == SCHEDULE_DATA::KindCycle) {
        result.date = QDate(2024, 1, id);
        result.cycle = {{0}, {0}, {0}, {0}, {0}, {-1}, {-1}};
    } else {
        result.date = MonthStart;
        result.worker = uint(100000 + id - 1000);
    }
    SCHEDULE_DATA::Shift shift;
    shift.intervals = {{0, 0, 0, 9 * Hour, 13 * Hour, 0}, {0, 0, 0, 14 * Hour, 18 * Hour, 1}};
    result.shifts = {shift};
    return result;
}

QList<SCHEDULE_CALENDAR_DAY> monthDays(int variant)
{
    QList<SCHEDULE_CALENDAR_DAY> days;
    for (QDate date = MonthStart; date <= MonthEnd; date = date.addDays(1)) {
        SCHEDULE_CALENDAR_DAY day;
        day.date = date;
        if ((date.day() + variant) % 7 < 5) {
            day.intervals = {{0, 0, 0, 8 * Hour, 12 * Hour, 0}, {0, 0, 0, 13 * Hour, 17 * Hour + variant % 60, 1}};
            day.start = 8 * Hour;
            day.finish = 17 * Hour;
            day.time = 8 * Hour;
        }
        days.append(day);
    }
    return days;
}

bool fill(QSqlDatabase& db, SqlDialect dialect, const QList<uint>& employees, QString* error)
{
    WorkerDataStore data(db, dialect);
    QHash<uint, WORKER_SCHEDULE_HISTORY_V2> histories;
    QHash<uint, _WORKER_ABSENCE_REASON> absences;
    QList<WORKER_NORM_TIME> norms;
    QList<WORKER_SYNC_TIME> syncs;
    for (int i = 0; i < employees.size(); ++i) {
        const uint id = employees.at(i);
        _WORKER_SCHEDULE_HISTORY_RECORD_V2 first;
        first.schedule = 1 + i % 10;
        first.to = QDate(2024, 2, 14);
        _WORKER_SCHEDULE_HISTORY_RECORD_V2 second = first;
        second.schedule = 1 + (i + 1) % 10;
        second.from = QDate(2024, 2, 15);
        second.to = QDate();
        histories.insert(id, {id, {first, second}});
        _WORKER_ABSENCE_REASON_RECORD vacation;
        vacation.id = _WORKER_ABSENCE_REASON_RECORD::NEW_RECORD_ID;
        vacation.reason = 500 + i % 5;
        vacation.start = QDateTime(MonthStart.addDays(i % 20), QTime(0, 0));
        vacation.end = vacation.start.addDays(3);
        _WORKER_ABSENCE_REASON_RECORD doctor = vacation;
        doctor.start = QDateTime(MonthStart.addDays(25), QTime(9, 0));
        doctor.end = QDateTime(MonthStart.addDays(25), QTime(11, 30));
        doctor.timed = true;
        doctor.comment = QStringLiteral("поликлиника");
        absences.insert(id, {id, {vacation, doctor}});
        syncs.append({0, MonthStart, id, i % 3 == 0, QDateTime(), QDateTime(), QDateTime(MonthStart, QTime(4, 0))});
        for (QDate date(2024, 1, 1); date.year() == 2024; date = date.addDays(1)) {
            if (date.dayOfWeek() < 6)
                norms.append({0, date, id, 8 * Hour});
        }
    }
    QList<SALES_PLAN> sales;
    QList<HOURS_BUDGET> budgets;
    for (uint department = 1; department <= Departments; ++department) {
        for (QDate date = MonthStart; date <= MonthEnd; date = date.addDays(1)) {
            sales.append({0, date, department, 150000});
            budgets.append({0, date, department, 640});
        }
    }
    QSqlQuery(db).exec(QStringLiteral("BEGIN"));
    if (!data.setScheduleHistories(histories, error) || !data.updateAbsences(absences, error)
        || !data.insertNormTime(norms, error) || !data.insertSyncTime(syncs, error)
        || !data.insertSalesPlan(sales, error) || !data.insertHoursBudget(budgets, error))
        return false;
    // Half of the employees keep a personal March calendar.
    for (int i = 0; i < employees.size(); i += 2) {
        if (!data.updateCalendarDays(1000 + i + 1, MonthStart, MonthEnd, monthDays(i), error))
            return false;
    }
    return QSqlQuery(db).exec(QStringLiteral("COMMIT"));
}

} // namespace

int main(int argc, char** argv)
{
    // Unset, glibc reads /etc/localtime again for every local-time conversion (20 us each).
    if (qEnvironmentVariableIsEmpty("TZ"))
        qputenv("TZ", ":/etc/localtime");
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const int dbOption = arguments.indexOf(QStringLiteral("--db"));
    QTemporaryDir folder;
    const QString url = dbOption > 0 && dbOption + 1 < arguments.size()
        ? arguments.at(dbOption + 1)
        : QStringLiteral("sqlite:") + folder.filePath(QStringLiteral("bench.sqlite"));
    QSqlDatabase db;
    SqlDialect dialect = SqlDialect::Sqlite;
    QString openError;
    if (!DatabaseConnector::open(url, QStringLiteral("bench"), &db, &dialect, &openError)) {
        out() << "cannot open " << url << ": " << openError << Qt::endl;
        return 1;
    }
    QSqlQuery sql(db);
    if (dialect == SqlDialect::PostgreSql) {
        for (const char* statement : {"DROP SCHEMA IF EXISTS ovbench CASCADE", "CREATE SCHEMA ovbench",
                                      "SET search_path TO ovbench"}) {
            if (!sql.exec(QString::fromLatin1(statement)))
                return 1;
        }
    }
    for (const QString& statement : WorkerDataStore::schemaStatements(dialect)) {
        if (!sql.exec(statement)) {
            out() << "schema failed: " << sql.lastError().text() << Qt::endl;
            return 1;
        }
    }

    const QList<uint> employees = employeeIds();
    QString error;
    out() << (dialect == SqlDialect::PostgreSql ? "PostgreSQL, " : "SQLite, ") << Employees << " employees, reads of March 2024, norm for all of 2024" << Qt::endl;
    measure(QStringLiteral("fill (histories, absences, norm, sync, 1000 calendars)"), 1,
            [&] { return fill(db, dialect, employees, &error); });

    PlannedTimeTable planned(db, dialect, &schedule);
    planned.setPersonalScheduleLookup([](TYPE_ID employee) {
        const int index = int(employee) - 100000;
        return index % 2 == 0 ? QList<int>{1000 + index + 1} : QList<int>{};
    });
    planned.setHorizon(QDate(2024, 1, 1), QDate(2024, 12, 31));
    measure(QStringLiteral("planned time of every employee for 2024"), 1, [&] {
        return sql.exec(QStringLiteral("BEGIN")) && planned.recompute(employees, QDate(), QDate(), &error)
               && sql.exec(QStringLiteral("COMMIT"));
    });
    // As autovacuum would soon: the planner needs the row counts of the filled tables.
    if (dialect == SqlDialect::PostgreSql)
        sql.exec(QStringLiteral("ANALYZE"));

    WorkerDataStore data(db, dialect);
    QHash<uint, WORKER_SCHEDULE_HISTORY_V2> histories;
    QHash<uint, _WORKER_ABSENCE_REASON> absences;
    QHash<uint, QDateTime> changeTimes;
    QList<WORKER_NORM_TIME> norms;
    QList<WORKER_SYNC_TIME> syncs;
    QHash<qint64, QDateTime> normCalcTimes;
    QHash<int, QList<SCHEDULE_CALENDAR_DAY>> calendars;
    QList<int> calendarIds;
    for (int i = 0; i < Employees; i += 2)
        calendarIds.append(1000 + i + 1);
    measure(QStringLiteral("read schedule histories"), 5,
            [&] { return data.scheduleHistories(employees, &histories, &error); }, 300);
    measure(QStringLiteral("read absences"), 5,
            [&] { return data.absences(employees, &absences, &changeTimes, &error); }, 300);
    measure(QStringLiteral("read norm time"), 5,
            [&] { return data.normTime(MonthStart, MonthEnd, employees, &norms, &error); }, 300);
    measure(QStringLiteral("read sync time"), 5,
            [&] { return data.syncTime(MonthStart, MonthEnd, employees, &syncs, &normCalcTimes, &error); }, 300);
    measure(QStringLiteral("read calendars (1000 schedules x 31 days)"), 5,
            [&] { return data.calendarDays(calendarIds, MonthStart, MonthEnd, &calendars, &error); }, 300);

    int variant = 0;
    measure(QStringLiteral("save one employee's 31 calendar days (with commit)"), 9, [&] {
        return sql.exec(QStringLiteral("BEGIN"))
               && data.updateCalendarDays(1001, MonthStart, MonthEnd, monthDays(++variant), &error)
               && sql.exec(QStringLiteral("COMMIT"));
    }, 10);
    measure(QStringLiteral("save + planned time of its owner's month"), 9, [&] {
        return sql.exec(QStringLiteral("BEGIN"))
               && data.updateCalendarDays(1001, MonthStart, MonthEnd, monthDays(++variant), &error)
               && planned.recomputeSchedule(1001, MonthStart, MonthEnd, &error) && sql.exec(QStringLiteral("COMMIT"));
    });

    AsyncSqlRunner runner(db, dialect);
    QStringList ids;
    for (const uint id : employees)
        ids.append(QString::number(id));
    const auto balance = [&](const QDate& to) {
        DbQuery query(AsyncSqlCatalogue::planningBalanceText());
        query.bindValue(QStringLiteral(":start"), QDate(2024, 1, 1));
        query.bindValue(QStringLiteral(":finish"), to);
        query.bindValue(QStringLiteral(":workers"), QString(QLatin1Char('{') + ids.join(QLatin1Char(',')) + QLatin1Char('}')));
        QEventLoop loop;
        int rows = -1;
        const auto connection = QObject::connect(&runner, &AsyncSqlRunner::resultReady, [&](const Command& pushed) {
            OVDataStream stream(pushed.data);
            QString queryId;
            qint32 status = 0;
            QString message;
            QList<DbResult> results;
            stream >> queryId >> status >> message >> results;
            rows = status == 1 && !results.isEmpty() ? results.first().rowCount() : -1;
            loop.quit();
        });
        const bool submitted = runner.submit("bench", QStringLiteral("bench"), QStringLiteral("q"), query, 1, &error);
        if (submitted)
            loop.exec();
        QObject::disconnect(connection);
        return submitted && rows == Employees;
    };
    measure(QStringLiteral("planning balance, 1 January to 29 February"), 5, [&] { return balance(QDate(2024, 2, 29)); },
            200);
    measure(QStringLiteral("planning balance, 1 January to 30 November"), 5,
            [&] { return balance(QDate(2024, 11, 30)); });
    return 0;
}
