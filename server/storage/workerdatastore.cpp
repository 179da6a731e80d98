#include "workerdatastore.h"

#include "storagesql.h"

#include <QSet>
#include <QSqlQuery>

using namespace orvanta;

namespace {

struct Column
{
    const char* sqlite;
    const char* postgres;
};

constexpr Column IdColumn{"INTEGER PRIMARY KEY AUTOINCREMENT", "BIGSERIAL PRIMARY KEY"};
constexpr Column DateColumn{"TEXT", "DATE"};
constexpr Column MomentColumn{"TEXT", "TIMESTAMPTZ"};

// Schema text with %ID, %DATE and %MOMENT standing for the engine's column types; %CLUSTERED
// keeps an SQLite table in its primary key's order, so the balance reads no second b-tree.
QString forDialect(SqlDialect dialect, QString sql)
{
    const bool pg = dialect == SqlDialect::PostgreSql;
    sql.replace(QLatin1String("%CLUSTERED"), pg ? QString() : QStringLiteral(" WITHOUT ROWID"));
    for (const auto& [mark, column] : {std::pair{"%ID", IdColumn}, {"%DATE", DateColumn}, {"%MOMENT", MomentColumn}})
        sql.replace(QLatin1String(mark), QLatin1String(pg ? column.postgres : column.sqlite));
    return sql;
}

// The balance text sums the function's rows by worker: each side summed per worker already, from
// its (worker, date) index, saves grouping hundreds of thousands of days (which spilled to disk).
// Norm and planned time hold one row per worker and day, so the sums are those of the days.
const char PlanningBalanceFunction[] = R"(CREATE OR REPLACE FUNCTION get_planning_balance(p_start DATE, p_finish DATE, p_workers BIGINT[])
RETURNS TABLE(worker_id BIGINT, norm_time INT, plan_time INT)
LANGUAGE sql STABLE AS $$
  SELECT COALESCE(n.worker_id, p.worker_id), COALESCE(n.norm_time, 0), COALESCE(p.plan_time, 0)
  FROM (
    SELECT n.worker_id, CAST(SUM(n.norm_time) AS INT) AS norm_time
    FROM worker_norm_time n
    WHERE n.work_date BETWEEN p_start AND p_finish AND n.worker_id = ANY(p_workers)
    GROUP BY n.worker_id
  ) n
  FULL JOIN (
    SELECT p.worker_id, CAST(SUM(p.plan_time) AS INT) AS plan_time
    FROM planned_time p
    WHERE p.work_date BETWEEN p_start AND p_finish AND p.worker_id = ANY(p_workers)
    GROUP BY p.worker_id
  ) p ON p.worker_id = n.worker_id
$$)";

// "worker_id IN ... AND work_date BETWEEN ..." with the values appended to values; open bounds are left out.
QString rangeCondition(SqlDialect dialect, const QString& idColumn, const QVariant& ids, const QDate& from,
                       const QDate& to, QVariantList* values)
{
    QString sql = StorageSql::inIdList(dialect, idColumn);
    values->append(ids);
    if (from.isValid()) {
        sql += QStringLiteral(" AND work_date >= ?");
        values->append(StorageSql::dateValue(from));
    }
    if (to.isValid()) {
        sql += QStringLiteral(" AND work_date <= ?");
        values->append(StorageSql::dateValue(to));
    }
    return sql;
}

QString encodeIntervals(const QList<SCHEDULE_CALENDAR_INTERVAL>& intervals)
{
    QStringList parts;
    parts.reserve(intervals.size());
    for (const SCHEDULE_CALENDAR_INTERVAL& interval : intervals) {
        parts.append(QStringLiteral("%1,%2,%3,%4,%5")
                         .arg(interval.id)
                         .arg(interval.type)
                         .arg(interval.start)
                         .arg(interval.finish)
                         .arg(interval.order));
    }
    return parts.join(QLatin1Char(';'));
}

// Reads "id,type,start,finish,order;..." without building intermediate strings: calendars are
// read by the ten thousand.
QList<SCHEDULE_CALENDAR_INTERVAL> decodeIntervals(const QString& text, quint32 dayId)
{
    QList<SCHEDULE_CALENDAR_INTERVAL> intervals;
    int fields[5] = {};
    int field = 0;
    bool negative = false;
    const auto finishInterval = [&] {
        if (field != 4) {
            qCWarning(lcServerStorage) << Q_FUNC_INFO << "malformed intervals" << text;
            return;
        }
        SCHEDULE_CALENDAR_INTERVAL interval;
        interval.id = quint32(fields[0]);
        interval.dayId = dayId;
        interval.type = fields[1];
        interval.start = fields[2];
        interval.finish = fields[3];
        interval.order = fields[4];
        intervals.append(interval);
    };
    for (const QChar c : text) {
        if (c.isDigit()) {
            fields[field] = fields[field] * 10 + (negative ? -c.digitValue() : c.digitValue());
        } else if (c == QLatin1Char('-')) {
            negative = true;
        } else if (c == QLatin1Char(',') && field < 4) {
            fields[++field] = 0;
            negative = false;
        } else if (c == QLatin1Char(';')) {
            finishInterval();
            fields[0] = 0;
            field = 0;
            negative = false;
        }
    }
    if (!text.isEmpty())
        finishInterval();
    return intervals;
}

QDate firstOfMonth(const QDate& date)
{
    return QDate(date.year(), date.month(), 1);
}

QDate lastOfMonth(const QDate& date)
{
    return firstOfMonth(date).addMonths(1).addDays(-1);
}

} // namespace

WorkerDataStore::WorkerDataStore(const QSqlDatabase& db, SqlDialect dialect)
    : m_db(db)
    , m_dialect(dialect)
{
}

QStringList WorkerDataStore::balanceFunctionStatements(SqlDialect dialect)
{
    if (dialect != SqlDialect::PostgreSql)
        return {};
    return {QString::fromUtf8(PlanningBalanceFunction)};
}

QStringList WorkerDataStore::schemaStatements(SqlDialect dialect)
{
    QStringList statements{
        QStringLiteral("CREATE TABLE worker_schedule_history (id %ID, worker_id BIGINT NOT NULL, "
                       "position INTEGER NOT NULL, schedule_id BIGINT NOT NULL, date_from %DATE, date_to %DATE, "
                       "state INTEGER NOT NULL, pick_date %DATE)"),
        QStringLiteral("CREATE INDEX worker_schedule_history_worker ON worker_schedule_history (worker_id, position)"),
        QStringLiteral("CREATE INDEX worker_schedule_history_schedule ON worker_schedule_history (schedule_id)"),
        QStringLiteral("CREATE TABLE worker_absence (id %ID, worker_id BIGINT NOT NULL, position INTEGER NOT NULL, "
                       "reason_id BIGINT NOT NULL, start_time %MOMENT, end_time %MOMENT, timed INTEGER NOT NULL, "
                       "comment TEXT NOT NULL, change_time %MOMENT)"),
        QStringLiteral("CREATE INDEX worker_absence_worker ON worker_absence (worker_id, position)"),
        QStringLiteral("CREATE TABLE worker_norm_time (id %ID, work_date %DATE NOT NULL, worker_id BIGINT NOT NULL, "
                       "norm_time INTEGER NOT NULL)"),
        QStringLiteral("CREATE UNIQUE INDEX worker_norm_time_day ON worker_norm_time (worker_id, work_date)"),
        QStringLiteral("CREATE TABLE worker_sync_time (id %ID, work_date %DATE NOT NULL, worker_id BIGINT NOT NULL, "
                       "synced INTEGER NOT NULL, sync_time %MOMENT, save_time %MOMENT, norm_calc_time %MOMENT)"),
        QStringLiteral("CREATE UNIQUE INDEX worker_sync_time_day ON worker_sync_time (worker_id, work_date)"),
        QStringLiteral("CREATE TABLE sales_plan (id %ID, work_date %DATE NOT NULL, department_id BIGINT NOT NULL, "
                       "value BIGINT NOT NULL)"),
        QStringLiteral("CREATE INDEX sales_plan_day ON sales_plan (department_id, work_date)"),
        QStringLiteral("CREATE TABLE hours_budget (id %ID, work_date %DATE NOT NULL, department_id BIGINT NOT NULL, "
                       "value INTEGER NOT NULL)"),
        QStringLiteral("CREATE INDEX hours_budget_day ON hours_budget (department_id, work_date)"),
        QStringLiteral("CREATE TABLE schedule_calendar_day (id %ID, schedule_id BIGINT NOT NULL, "
                       "work_date %DATE NOT NULL, shift_id BIGINT NOT NULL, start_time INTEGER NOT NULL, "
                       "finish_time INTEGER NOT NULL, work_time INTEGER NOT NULL, night_time INTEGER NOT NULL, "
                       "state INTEGER NOT NULL, intervals TEXT NOT NULL)"),
        QStringLiteral("CREATE UNIQUE INDEX schedule_calendar_day_date ON schedule_calendar_day (schedule_id, work_date)"),
        QStringLiteral("CREATE TABLE planned_time (worker_id BIGINT NOT NULL, work_date %DATE NOT NULL, "
                       "plan_time INTEGER NOT NULL, PRIMARY KEY (worker_id, work_date))%CLUSTERED"),
        QStringLiteral("CREATE INDEX planned_time_date ON planned_time (work_date)"),
    };
    for (QString& statement : statements)
        statement = forDialect(dialect, statement);
    // The balance sums the norm by worker and date range: an index that carries the figure spares
    // a table read per row.
    if (dialect == SqlDialect::PostgreSql) {
        statements.append(QStringLiteral("CREATE INDEX worker_norm_time_balance ON worker_norm_time "
                                         "(worker_id, work_date) INCLUDE (norm_time)"));
        statements.append(QString::fromUtf8(PlanningBalanceFunction));
    } else {
        statements.append(QStringLiteral("CREATE INDEX worker_norm_time_balance ON worker_norm_time "
                                         "(worker_id, work_date, norm_time)"));
    }
    return statements;
}

bool WorkerDataStore::scheduleHistories(const QList<uint>& employees,
                                        QHash<uint, WORKER_SCHEDULE_HISTORY_V2>* out, QString* error)
{
    out->clear();
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    const QString sql = QStringLiteral("SELECT worker_id, id, schedule_id, date_from, date_to, state, pick_date "
                                       "FROM worker_schedule_history WHERE ")
                        + StorageSql::inIdList(m_dialect, QStringLiteral("worker_id"))
                        + QStringLiteral(" ORDER BY worker_id, position");
    if (!StorageSql::exec(query, sql, {StorageSql::idListValue(m_dialect, employees)}, error, Q_FUNC_INFO))
        return false;
    while (query.next()) {
        const uint worker = query.value(0).toUInt();
        _WORKER_SCHEDULE_HISTORY_RECORD_V2 record;
        record.id = query.value(1).toUInt();
        record.schedule = query.value(2).toUInt();
        record.from = StorageSql::readDate(query.value(3));
        record.to = StorageSql::readDate(query.value(4));
        record.state = query.value(5).toInt();
        record.date = StorageSql::readDate(query.value(6));
        WORKER_SCHEDULE_HISTORY_V2& history = (*out)[worker];
        history.uid = worker;
        history.records.append(record);
    }
    return true;
}

bool WorkerDataStore::setScheduleHistories(const QHash<uint, WORKER_SCHEDULE_HISTORY_V2>& histories, QString* error)
{
    if (histories.isEmpty())
        return true;
    const QList<uint> employees = histories.keys();
    const QVariant idList = StorageSql::idListValue(m_dialect, employees);
    QSqlQuery query(m_db);
    const QString condition = StorageSql::inIdList(m_dialect, QStringLiteral("worker_id"));
    if (!StorageSql::exec(query, QStringLiteral("SELECT id, worker_id FROM worker_schedule_history WHERE ") + condition,
                          {idList}, error, Q_FUNC_INFO))
        return false;
    QSet<QPair<uint, uint>> ownedIds;
    while (query.next())
        ownedIds.insert({query.value(1).toUInt(), query.value(0).toUInt()});
    if (!StorageSql::exec(query, QStringLiteral("DELETE FROM worker_schedule_history WHERE ") + condition, {idList},
                          error, Q_FUNC_INFO))
        return false;

    QList<QVariantList> keptIdRows;
    QList<QVariantList> newRows;
    for (auto it = histories.cbegin(); it != histories.cend(); ++it) {
        for (int position = 0; position < it.value().records.size(); ++position) {
            const _WORKER_SCHEDULE_HISTORY_RECORD_V2& record = it.value().records.at(position);
            const QVariantList row{it.key(), position, record.schedule, StorageSql::dateValue(record.from),
                                   StorageSql::dateValue(record.to), record.state, StorageSql::dateValue(record.date)};
            if (record.id != 0 && ownedIds.contains({it.key(), record.id}))
                keptIdRows.append(QVariantList{record.id} + row);
            else
                newRows.append(row);
        }
    }
    const QStringList columns{QStringLiteral("worker_id"), QStringLiteral("position"), QStringLiteral("schedule_id"),
                              QStringLiteral("date_from"), QStringLiteral("date_to"), QStringLiteral("state"),
                              QStringLiteral("pick_date")};
    return StorageSql::insertRows(m_db, QStringLiteral("worker_schedule_history"),
                                  QStringList{QStringLiteral("id")} + columns, keptIdRows, error, Q_FUNC_INFO)
           && StorageSql::insertRows(m_db, QStringLiteral("worker_schedule_history"), columns, newRows, error,
                                     Q_FUNC_INFO);
}

bool WorkerDataStore::absences(const QList<uint>& employees, QHash<uint, _WORKER_ABSENCE_REASON>* out,
                               QHash<uint, QDateTime>* changeTimes, QString* error)
{
    out->clear();
    changeTimes->clear();
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    const QString sql = QStringLiteral("SELECT worker_id, id, reason_id, start_time, end_time, timed, comment, "
                                       "change_time FROM worker_absence WHERE ")
                        + StorageSql::inIdList(m_dialect, QStringLiteral("worker_id"))
                        + QStringLiteral(" ORDER BY worker_id, position");
    if (!StorageSql::exec(query, sql, {StorageSql::idListValue(m_dialect, employees)}, error, Q_FUNC_INFO))
        return false;
    while (query.next()) {
        const uint worker = query.value(0).toUInt();
        _WORKER_ABSENCE_REASON_RECORD record;
        record.id = query.value(1).toUInt();
        record.reason = query.value(2).toUInt();
        record.start = StorageSql::readDateTime(query.value(3));
        record.end = StorageSql::readDateTime(query.value(4));
        record.timed = query.value(5).toInt() != 0;
        record.comment = query.value(6).toString();
        record.changeTime = StorageSql::readDateTime(query.value(7));
        if (record.changeTime.isValid())
            changeTimes->insert(record.id, record.changeTime);
        _WORKER_ABSENCE_REASON& reasons = (*out)[worker];
        reasons.uid = worker;
        reasons.records.append(record);
    }
    return true;
}

bool WorkerDataStore::updateAbsences(const QHash<uint, _WORKER_ABSENCE_REASON>& absences, QString* error)
{
    if (absences.isEmpty())
        return true;
    QHash<uint, _WORKER_ABSENCE_REASON> stored;
    QHash<uint, QDateTime> changeTimes;
    if (!this->absences(absences.keys(), &stored, &changeTimes, error))
        return false;

    const QDateTime now = QDateTime::currentDateTime();
    QSqlQuery query(m_db);
    QList<uint> removedIds;
    QList<QVariantList> newRows;
    for (auto it = absences.cbegin(); it != absences.cend(); ++it) {
        QHash<uint, _WORKER_ABSENCE_REASON_RECORD> owned;
        for (const _WORKER_ABSENCE_REASON_RECORD& record : stored.value(it.key()).records)
            owned.insert(record.id, record);
        const QList<_WORKER_ABSENCE_REASON_RECORD>& records = it.value().records;
        for (int position = 0; position < records.size(); ++position) {
            const _WORKER_ABSENCE_REASON_RECORD& record = records.at(position);
            const auto existing = owned.constFind(record.id);
            if (record.isNew() || existing == owned.cend()) {
                newRows.append({it.key(), position, record.reason, StorageSql::dateTimeValue(m_dialect, record.start),
                                StorageSql::dateTimeValue(m_dialect, record.end), int(record.timed), StorageSql::textValue(record.comment),
                                StorageSql::dateTimeValue(m_dialect, now)});
                continue;
            }
            const _WORKER_ABSENCE_REASON_RECORD& old = existing.value();
            const bool changed = old.reason != record.reason || old.start != record.start || old.end != record.end
                                 || old.timed != record.timed || old.comment != record.comment;
            const QDateTime changeTime = changed ? now : old.changeTime;
            if (!StorageSql::exec(query,
                                  QStringLiteral("UPDATE worker_absence SET position = ?, reason_id = ?, "
                                                 "start_time = ?, end_time = ?, timed = ?, comment = ?, "
                                                 "change_time = ? WHERE id = ?"),
                                  {position, record.reason, StorageSql::dateTimeValue(m_dialect, record.start),
                                   StorageSql::dateTimeValue(m_dialect, record.end), int(record.timed), StorageSql::textValue(record.comment),
                                   StorageSql::dateTimeValue(m_dialect, changeTime), record.id},
                                  error, Q_FUNC_INFO))
                return false;
            owned.remove(record.id);
        }
        removedIds += owned.keys();
    }
    if (!removedIds.isEmpty()
        && !StorageSql::exec(query,
                             QStringLiteral("DELETE FROM worker_absence WHERE ")
                                 + StorageSql::inIdList(m_dialect, QStringLiteral("id")),
                             {StorageSql::idListValue(m_dialect, removedIds)}, error, Q_FUNC_INFO))
        return false;
    return StorageSql::insertRows(m_db, QStringLiteral("worker_absence"),
                                  {QStringLiteral("worker_id"), QStringLiteral("position"), QStringLiteral("reason_id"),
                                   QStringLiteral("start_time"), QStringLiteral("end_time"), QStringLiteral("timed"),
                                   QStringLiteral("comment"), QStringLiteral("change_time")},
                                  newRows, error, Q_FUNC_INFO);
}

bool WorkerDataStore::normTime(const QDate& from, const QDate& to, const QList<uint>& employees,
                               QList<WORKER_NORM_TIME>* out, QString* error)
{
    out->clear();
    QVariantList values;
    const QString sql = QStringLiteral("SELECT id, work_date, worker_id, norm_time FROM worker_norm_time WHERE ")
                        + rangeCondition(m_dialect, QStringLiteral("worker_id"),
                                         StorageSql::idListValue(m_dialect, employees), from, to, &values)
                        + QStringLiteral(" ORDER BY worker_id, work_date");
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    if (!StorageSql::exec(query, sql, values, error, Q_FUNC_INFO))
        return false;
    while (query.next()) {
        WORKER_NORM_TIME record;
        record.id = query.value(0).toLongLong();
        record.date = StorageSql::readDate(query.value(1));
        record.worker = query.value(2).toUInt();
        record.time = query.value(3).toInt();
        out->append(record);
    }
    return true;
}

bool WorkerDataStore::syncTime(const QDate& from, const QDate& to, const QList<uint>& employees,
                               QList<WORKER_SYNC_TIME>* out, QHash<qint64, QDateTime>* normCalcTimes, QString* error)
{
    out->clear();
    normCalcTimes->clear();
    QVariantList values;
    const QString sql = QStringLiteral("SELECT id, work_date, worker_id, synced, sync_time, save_time, norm_calc_time "
                                       "FROM worker_sync_time WHERE ")
                        + rangeCondition(m_dialect, QStringLiteral("worker_id"),
                                         StorageSql::idListValue(m_dialect, employees), from, to, &values)
                        + QStringLiteral(" ORDER BY worker_id, work_date");
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    if (!StorageSql::exec(query, sql, values, error, Q_FUNC_INFO))
        return false;
    while (query.next()) {
        WORKER_SYNC_TIME record;
        record.key = query.value(0).toLongLong();
        record.date = StorageSql::readDate(query.value(1));
        record.worker = query.value(2).toUInt();
        record.sync = query.value(3).toInt() != 0;
        record.syncTime = StorageSql::readDateTime(query.value(4));
        record.saveTime = StorageSql::readDateTime(query.value(5));
        record.normCalcTime = StorageSql::readDateTime(query.value(6));
        if (record.normCalcTime.isValid())
            normCalcTimes->insert(record.key, record.normCalcTime);
        out->append(record);
    }
    return true;
}

bool WorkerDataStore::salesPlan(const QList<uint>& departments, const QDate& from, const QDate& to,
                                QList<SALES_PLAN>* out, QString* error)
{
    return readDepartmentFigures("sales_plan", departments, from, to, out, error);
}

bool WorkerDataStore::hoursBudget(const QList<uint>& departments, const QDate& from, const QDate& to,
                                  QList<HOURS_BUDGET>* out, QString* error)
{
    return readDepartmentFigures("hours_budget", departments, from, to, out, error);
}

// The sales plan and the hours budget are the same shape: one figure per department and date.
template<typename Record>
bool WorkerDataStore::readDepartmentFigures(const char* table, const QList<uint>& departments, const QDate& from,
                                            const QDate& to, QList<Record>* out, QString* error)
{
    out->clear();
    QVariantList values;
    const QString sql = QStringLiteral("SELECT id, work_date, department_id, value FROM %1 WHERE ").arg(QLatin1String(table))
                        + rangeCondition(m_dialect, QStringLiteral("department_id"),
                                         StorageSql::idListValue(m_dialect, departments), from, to, &values)
                        + QStringLiteral(" ORDER BY department_id, work_date, id");
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    if (!StorageSql::exec(query, sql, values, error, Q_FUNC_INFO))
        return false;
    while (query.next()) {
        Record record;
        record.id = query.value(0).toLongLong();
        record.date = StorageSql::readDate(query.value(1));
        record.department = decltype(record.department)(query.value(2).toLongLong());
        record.value = decltype(record.value)(query.value(3).toLongLong());
        out->append(record);
    }
    return true;
}

bool WorkerDataStore::calendarDays(const QList<int>& schedules, const QDate& from, const QDate& to,
                                   QHash<int, QList<SCHEDULE_CALENDAR_DAY>>* out, QString* error)
{
    out->clear();
    for (const int schedule : schedules)
        out->insert(schedule, {});
    QVariantList values;
    const QString sql = QStringLiteral("SELECT schedule_id, id, work_date, shift_id, start_time, finish_time, "
                                       "work_time, night_time, state, intervals FROM schedule_calendar_day WHERE ")
                        + rangeCondition(m_dialect, QStringLiteral("schedule_id"),
                                         StorageSql::idListValue(m_dialect, schedules), from, to, &values)
                        + QStringLiteral(" ORDER BY schedule_id, work_date");
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    if (!StorageSql::exec(query, sql, values, error, Q_FUNC_INFO))
        return false;
    while (query.next()) {
        SCHEDULE_CALENDAR_DAY day;
        day.id = query.value(1).toLongLong();
        day.date = StorageSql::readDate(query.value(2));
        day.shift = query.value(3).toUInt();
        day.start = query.value(4).toInt();
        day.finish = query.value(5).toInt();
        day.time = query.value(6).toInt();
        day.nightTime = query.value(7).toInt();
        day.state = query.value(8).toInt();
        day.intervals = decodeIntervals(query.value(9).toString(), quint32(day.id));
        (*out)[query.value(0).toInt()].append(day);
    }
    return true;
}

bool WorkerDataStore::updateCalendarDays(int schedule, const QDate& from, const QDate& to,
                                         const QList<SCHEDULE_CALENDAR_DAY>& days, QString* error)
{
    if (!from.isValid() || !to.isValid() || from > to) {
        qCWarning(lcServerStorage) << Q_FUNC_INFO << "wrong range" << schedule << from << to;
        StorageSql::setError(error, QStringLiteral("wrong calendar range"));
        return false;
    }
    QSet<QDate> dates;
    QList<QVariantList> rows;
    for (const SCHEDULE_CALENDAR_DAY& day : days) {
        if (!day.date.isValid() || day.date < from || day.date > to || dates.contains(day.date)) {
            qCWarning(lcServerStorage) << Q_FUNC_INFO << "day refused" << schedule << day.date << from << to;
            StorageSql::setError(error, QStringLiteral("calendar day %1 is outside the range or given twice")
                                            .arg(day.date.toString(Qt::ISODate)));
            return false;
        }
        dates.insert(day.date);
        rows.append({schedule, StorageSql::dateValue(day.date), day.shift, day.start, day.finish, day.time,
                     day.nightTime, day.state, StorageSql::textValue(encodeIntervals(day.intervals))});
    }
    QSqlQuery query(m_db);
    if (!StorageSql::exec(query,
                          QStringLiteral("DELETE FROM schedule_calendar_day WHERE schedule_id = ? "
                                         "AND work_date >= ? AND work_date <= ?"),
                          {schedule, StorageSql::dateValue(from), StorageSql::dateValue(to)}, error, Q_FUNC_INFO))
        return false;
    return StorageSql::insertRows(m_db, QStringLiteral("schedule_calendar_day"),
                                  {QStringLiteral("schedule_id"), QStringLiteral("work_date"), QStringLiteral("shift_id"),
                                   QStringLiteral("start_time"), QStringLiteral("finish_time"),
                                   QStringLiteral("work_time"), QStringLiteral("night_time"), QStringLiteral("state"),
                                   QStringLiteral("intervals")},
                                  rows, error, Q_FUNC_INFO);
}

bool WorkerDataStore::updateSaveTime(const QDate& month, const QList<uint>& employees, const QDateTime& now,
                                     QString* error)
{
    if (!month.isValid() || employees.isEmpty())
        return month.isValid();
    QVariantList values{StorageSql::dateTimeValue(m_dialect, now)};
    const QString condition = rangeCondition(m_dialect, QStringLiteral("worker_id"),
                                             StorageSql::idListValue(m_dialect, employees), firstOfMonth(month),
                                             lastOfMonth(month), &values);
    QSqlQuery query(m_db);
    if (!StorageSql::exec(query, QStringLiteral("UPDATE worker_sync_time SET save_time = ? WHERE ") + condition,
                          values, error, Q_FUNC_INFO))
        return false;
    values.removeFirst();
    if (!StorageSql::exec(query, QStringLiteral("SELECT DISTINCT worker_id FROM worker_sync_time WHERE ") + condition,
                          values, error, Q_FUNC_INFO))
        return false;
    QSet<uint> confirmed;
    while (query.next())
        confirmed.insert(query.value(0).toUInt());
    QList<QVariantList> rows;
    for (const uint employee : QSet<uint>(employees.cbegin(), employees.cend())) {
        if (!confirmed.contains(employee))
            rows.append({StorageSql::dateValue(firstOfMonth(month)), employee, 0,
                         StorageSql::dateTimeValue(m_dialect, now)});
    }
    return StorageSql::insertRows(m_db, QStringLiteral("worker_sync_time"),
                                  {QStringLiteral("work_date"), QStringLiteral("worker_id"), QStringLiteral("synced"),
                                   QStringLiteral("save_time")},
                                  rows, error, Q_FUNC_INFO);
}

bool WorkerDataStore::resetSyncTime(const QDate& month, const QList<uint>& employees, QString* error)
{
    if (!month.isValid())
        return false;
    QVariantList values;
    const QString condition = rangeCondition(m_dialect, QStringLiteral("worker_id"),
                                             StorageSql::idListValue(m_dialect, employees), firstOfMonth(month),
                                             lastOfMonth(month), &values);
    QSqlQuery query(m_db);
    return StorageSql::exec(query,
                            QStringLiteral("UPDATE worker_sync_time SET synced = 0, sync_time = NULL WHERE ")
                                + condition,
                            values, error, Q_FUNC_INFO);
}

bool WorkerDataStore::insertNormTime(const QList<WORKER_NORM_TIME>& records, QString* error)
{
    QList<QVariantList> rows;
    rows.reserve(records.size());
    for (const WORKER_NORM_TIME& record : records)
        rows.append({StorageSql::dateValue(record.date), record.worker, record.time});
    return StorageSql::insertRows(m_db, QStringLiteral("worker_norm_time"),
                                  {QStringLiteral("work_date"), QStringLiteral("worker_id"), QStringLiteral("norm_time")},
                                  rows, error, Q_FUNC_INFO);
}

bool WorkerDataStore::insertSyncTime(const QList<WORKER_SYNC_TIME>& records, QString* error)
{
    QList<QVariantList> rows;
    rows.reserve(records.size());
    for (const WORKER_SYNC_TIME& record : records) {
        rows.append({StorageSql::dateValue(record.date), record.worker, int(record.sync),
                     StorageSql::dateTimeValue(m_dialect, record.syncTime),
                     StorageSql::dateTimeValue(m_dialect, record.saveTime),
                     StorageSql::dateTimeValue(m_dialect, record.normCalcTime)});
    }
    return StorageSql::insertRows(m_db, QStringLiteral("worker_sync_time"),
                                  {QStringLiteral("work_date"), QStringLiteral("worker_id"), QStringLiteral("synced"),
                                   QStringLiteral("sync_time"), QStringLiteral("save_time"),
                                   QStringLiteral("norm_calc_time")},
                                  rows, error, Q_FUNC_INFO);
}

bool WorkerDataStore::insertSalesPlan(const QList<SALES_PLAN>& records, QString* error)
{
    return insertDepartmentFigures("sales_plan", records, error);
}

bool WorkerDataStore::insertHoursBudget(const QList<HOURS_BUDGET>& records, QString* error)
{
    return insertDepartmentFigures("hours_budget", records, error);
}

template<typename Record>
bool WorkerDataStore::insertDepartmentFigures(const char* table, const QList<Record>& records, QString* error)
{
    QList<QVariantList> rows;
    rows.reserve(records.size());
    for (const Record& record : records)
        rows.append({StorageSql::dateValue(record.date), record.department, record.value});
    return StorageSql::insertRows(m_db, QLatin1String(table),
                                  {QStringLiteral("work_date"), QStringLiteral("department_id"), QStringLiteral("value")},
                                  rows, error, Q_FUNC_INFO);
}
