#pragma once

#include "ovserver_export.h"
#include "sqldialect.h"

#include "hoursbudget.h"
#include "salesplan.h"
#include "schedulecalendarday.h"
#include "workerabsencereason.h"
#include "workernormtime.h"
#include "workerschedulehistory.h"
#include "workersynctime.h"

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QSqlDatabase>
#include <QStringList>

/// The per-employee planning data in SQL: schedule histories, absences, norm and sync time,
/// department sales plans and hours budgets, schedule calendar days.
///
/// Every method returns false and sets *error (when error is not null) on an SQL failure and
/// logs it; the caller owns the transaction, so a failed write leaves the rollback to it.
class OVSERVER_EXPORT WorkerDataStore
{
public:
    WorkerDataStore(const QSqlDatabase& db, SqlDialect dialect);

    /// The tables and indexes of this store, the planned-time table and, on PostgreSQL, the SQL
    /// function get_planning_balance(date, date, bigint[]); run in order by one migration.
    static QStringList schemaStatements(SqlDialect dialect);
    /// Replaces get_planning_balance of databases made before it summed per worker (PostgreSQL only).
    static QStringList balanceFunctionStatements(SqlDialect dialect);

    bool scheduleHistories(const QList<uint>& employees, QHash<uint, orvanta::WORKER_SCHEDULE_HISTORY_V2>* out,
                           QString* error);
    /// Replaces the whole history of each employee in histories; records keep their ids when
    /// they already belonged to that employee, others get new ones.
    bool setScheduleHistories(const QHash<uint, orvanta::WORKER_SCHEDULE_HISTORY_V2>& histories, QString* error);

    /// Absences of employees; changeTimes maps each absence record id to its change time.
    bool absences(const QList<uint>& employees, QHash<uint, orvanta::_WORKER_ABSENCE_REASON>* out,
                  QHash<uint, QDateTime>* changeTimes, QString* error);
    /// Replaces each given employee's absence set: records missing from it are deleted, records
    /// with NEW_RECORD_ID (or an id the employee does not own) get new ids; new and changed
    /// records get the current moment as change time.
    bool updateAbsences(const QHash<uint, orvanta::_WORKER_ABSENCE_REASON>& absences, QString* error);

    bool normTime(const QDate& from, const QDate& to, const QList<uint>& employees,
                  QList<orvanta::WORKER_NORM_TIME>* out, QString* error);
    /// normCalcTimes maps a record's key to its norm calculation moment (only valid moments).
    bool syncTime(const QDate& from, const QDate& to, const QList<uint>& employees,
                  QList<orvanta::WORKER_SYNC_TIME>* out, QHash<qint64, QDateTime>* normCalcTimes, QString* error);
    bool salesPlan(const QList<uint>& departments, const QDate& from, const QDate& to,
                   QList<orvanta::SALES_PLAN>* out, QString* error);
    bool hoursBudget(const QList<uint>& departments, const QDate& from, const QDate& to,
                     QList<orvanta::HOURS_BUDGET>* out, QString* error);

    /// Days of schedules within [from, to]; every requested schedule has a key, maybe empty.
    bool calendarDays(const QList<int>& schedules, const QDate& from, const QDate& to,
                      QHash<int, QList<orvanta::SCHEDULE_CALENDAR_DAY>>* out, QString* error);
    /// Replaces the schedule's days within [from, to] by days; a day outside the range or a
    /// date given twice is refused.
    bool updateCalendarDays(int schedule, const QDate& from, const QDate& to,
                            const QList<orvanta::SCHEDULE_CALENDAR_DAY>& days, QString* error);

    /// Records the confirmation moment now of each employee's plan of month's month.
    bool updateSaveTime(const QDate& month, const QList<uint>& employees, const QDateTime& now, QString* error);
    /// Clears the synchronisation flag and moment of each employee's records in month's month.
    bool resetSyncTime(const QDate& month, const QList<uint>& employees, QString* error);

    /// Seeding and payroll imports; the records' own ids are ignored, new ones are given.
    bool insertNormTime(const QList<orvanta::WORKER_NORM_TIME>& records, QString* error);
    bool insertSyncTime(const QList<orvanta::WORKER_SYNC_TIME>& records, QString* error);
    bool insertSalesPlan(const QList<orvanta::SALES_PLAN>& records, QString* error);
    bool insertHoursBudget(const QList<orvanta::HOURS_BUDGET>& records, QString* error);

private:
    template<typename Record>
    bool readDepartmentFigures(const char* table, const QList<uint>& departments, const QDate& from,
                               const QDate& to, QList<Record>* out, QString* error);
    template<typename Record>
    bool insertDepartmentFigures(const char* table, const QList<Record>& records, QString* error);

    QSqlDatabase m_db;
    SqlDialect m_dialect;
};
