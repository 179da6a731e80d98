#include "demoseeder.h"

#include "objectstore.h"
#include "plannedtimetablefactory.h"
#include "productioncalendar.h"
#include "productioncalendarstore.h"
#include "schedulestore.h"
#include "serverlogging.h"
#include "sql.h"
#include "sqltransaction.h"
#include "userstore.h"
#include "vocabulary.h"
#include "workerdatastore.h"

#include <QElapsedTimer>

#include <algorithm>

using namespace orvanta;

DemoSeeder::DemoSeeder(const QSqlDatabase& db, SqlDialect dialect) : m_db(db), m_dialect(dialect) {}

bool DemoSeeder::isEmpty(bool* empty, QString* error)
{
    QSqlQuery query(m_db);
    if (!Sql::exec(query, QStringLiteral("SELECT 1 FROM objects LIMIT 1"), error))
        return false;
    *empty = !query.next();
    return true;
}

QStringList DemoSeeder::tables(QString* error)
{
    const QString select = m_dialect == SqlDialect::PostgreSql
        ? QStringLiteral("SELECT tablename FROM pg_tables WHERE schemaname = current_schema()")
        : QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%'");
    QSqlQuery query(m_db);
    QStringList names;
    if (!Sql::exec(query, select, error))
        return names;
    while (query.next()) {
        if (query.value(0).toString() != QLatin1String("schema_version"))
            names.append(query.value(0).toString());
    }
    return names;
}

bool DemoSeeder::clear(QString* error)
{
    SqlTransaction transaction(m_db);
    QString listError;
    const QStringList names = tables(&listError);
    if (!listError.isEmpty()) {
        *error = listError;
        return false;
    }
    QSqlQuery query(m_db);
    if (m_dialect == SqlDialect::PostgreSql) {
        if (!names.isEmpty() && !Sql::exec(query, QStringLiteral("TRUNCATE %1").arg(names.join(QLatin1String(", "))), error))
            return false;
    } else {
        // The foreign keys are checked at the commit, when every table is empty.
        if (!Sql::exec(query, QStringLiteral("PRAGMA defer_foreign_keys = ON"), error))
            return false;
        for (const QString& name : names) {
            if (!Sql::exec(query, QStringLiteral("DELETE FROM %1").arg(name), error))
                return false;
        }
    }
    return transaction.commit(error);
}

bool DemoSeeder::seed(const DemoOrganisation& organisation, const QDate& today, QString* error)
{
    QElapsedTimer timer;
    timer.start();
    SqlTransaction transaction(m_db);
    if (!seedObjects(organisation, error) || !ScheduleStore(m_db).insert(organisation.schedules, error))
        return false;
    qCDebug(lcServerStorage) << Q_FUNC_INFO << "objects and schedules" << timer.elapsed() << "ms";
    if (!seedUsers(organisation.users, error) || !seedWorkerData(organisation, error))
        return false;
    const qint64 written = timer.elapsed();
    QList<TYPE_ID> employees;
    for (const QList<ObjectInfo>& objects : organisation.objects) {
        for (const ObjectInfo& object : objects) {
            if (object.type == QLatin1String(db::orgstructure::WORKER))
                employees.append(object.uid);
        }
    }
    std::sort(employees.begin(), employees.end());
    const QDate yearStart(today.year(), 1, 1);
    if (!PlannedTimeTableFactory::create(m_db, m_dialect).recompute(employees, yearStart, yearStart.addYears(1).addDays(-1), error)
        || !transaction.commit(error))
        return false;
    analyse();
    qCInfo(lcServerStorage) << Q_FUNC_INFO << "seeded" << employees.size() << "employees: written in" << written
                            << "ms, with planned time in" << timer.elapsed() << "ms";
    return true;
}

void DemoSeeder::analyse()
{
    // Without statistics on the fresh rows PostgreSQL plans the first queries for empty tables;
    // autovacuum would catch up only later. A failure costs speed, not data.
    if (m_dialect != SqlDialect::PostgreSql)
        return;
    QSqlQuery query(m_db);
    QString error;
    if (!Sql::exec(query, QStringLiteral("ANALYZE"), &error))
        qCWarning(lcServerStorage) << Q_FUNC_INFO << "statistics not refreshed" << error;
}

bool DemoSeeder::seedObjects(const DemoOrganisation& organisation, QString* error)
{
    QList<ObjectInfo> objects;
    QHash<TYPE_ID, QString> datanames;
    for (auto it = organisation.objects.constBegin(); it != organisation.objects.constEnd(); ++it) {
        for (const ObjectInfo& object : it.value()) {
            objects.append(object);
            // The type decides, as for objects the clients add; the key only for unknown types.
            datanames.insert(object.uid, object.type.isEmpty() ? it.key() : ObjectStore::dataNameOfType(object.type));
        }
    }
    ObjectStore store(m_db);
    if (!store.insert(objects, datanames, error) || !store.insertLinks(organisation.links, error))
        return false;
    for (auto object = organisation.blobs.constBegin(); object != organisation.blobs.constEnd(); ++object) {
        for (auto blob = object->constBegin(); blob != object->constEnd(); ++blob) {
            if (!store.setBlob(object.key(), blob.key(), blob.value(), error))
                return false;
        }
    }
    return true;
}

bool DemoSeeder::seedUsers(const QList<DemoUser>& users, QString* error)
{
    UserStore store(m_db);
    for (const DemoUser& demoUser : users) {
        UserAccount account;
        account.login = demoUser.login;
        account.fullName = demoUser.fullName;
        account.roles = demoUser.roles;
        account.workTimePlanning = demoUser.workTimePlanning;
        account.absenceReasons = demoUser.absenceReasons;
        if (!store.insert(account, demoUser.password, error))
            return false;
    }
    return true;
}

bool DemoSeeder::seedWorkerData(const DemoOrganisation& organisation, QString* error)
{
    WorkerDataStore store(m_db, m_dialect);
    QHash<uint, WORKER_SCHEDULE_HISTORY_V2> histories;
    for (auto it = organisation.scheduleHistories.constBegin(); it != organisation.scheduleHistories.constEnd(); ++it)
        histories.insert(it.key(), it.value());
    QHash<uint, _WORKER_ABSENCE_REASON> absences;
    for (auto it = organisation.absences.constBegin(); it != organisation.absences.constEnd(); ++it)
        absences.insert(it.key(), it.value());
    QElapsedTimer timer;
    timer.start();
    const auto step = [&timer](const char* name, bool ok) {
        qCDebug(lcServerStorage) << Q_FUNC_INFO << name << timer.restart() << "ms";
        return ok;
    };
    return step("histories", store.setScheduleHistories(histories, error))
        && step("absences", store.updateAbsences(absences, error))
        && step("calendar days", seedCalendarDays(organisation.calendarDays, error))
        && step("norm time", store.insertNormTime(organisation.normTime, error))
        && step("sync time", store.insertSyncTime(organisation.syncTime, error))
        && step("sales plan", store.insertSalesPlan(organisation.salesPlan, error))
        && step("hours budget", store.insertHoursBudget(organisation.hoursBudget, error))
        && step("production calendar", seedProductionCalendar(organisation.normTime, error));
}

// The calendar of every year the norms cover, days off and holidays included: the planning grid shades them.
bool DemoSeeder::seedProductionCalendar(const QList<WORKER_NORM_TIME>& normTime, QString* error)
{
    if (normTime.isEmpty())
        return true;
    const auto [first, last] = std::minmax_element(
        normTime.cbegin(), normTime.cend(),
        [](const WORKER_NORM_TIME& a, const WORKER_NORM_TIME& b) { return a.date < b.date; });
    QHash<QDate, int> days;
    for (int year = first->date.year(); year <= last->date.year(); ++year) {
        const ProductionCalendar calendar(year);
        for (QDate date(year, 1, 1); date.year() == year; date = date.addDays(1)) {
            const wt::DayKind kind = calendar.isHoliday(date) ? wt::Holiday
                : !calendar.isWorkingDay(date)                ? wt::DayOff
                : calendar.isShortened(date)                  ? wt::ShortenedDay
                                                              : wt::WorkingDay;
            days.insert(date, kind);
        }
    }
    return ProductionCalendarStore(m_db).replace(days, error);
}

bool DemoSeeder::seedCalendarDays(const QHash<int, QList<SCHEDULE_CALENDAR_DAY>>& calendarDays, QString* error)
{
    WorkerDataStore store(m_db, m_dialect);
    for (auto it = calendarDays.constBegin(); it != calendarDays.constEnd(); ++it) {
        if (it->isEmpty())
            continue;
        const auto [first, last] = std::minmax_element(
            it->constBegin(), it->constEnd(),
            [](const SCHEDULE_CALENDAR_DAY& a, const SCHEDULE_CALENDAR_DAY& b) { return a.date < b.date; });
        if (!store.updateCalendarDays(it.key(), first->date, last->date, it.value(), error))
            return false;
    }
    return true;
}
