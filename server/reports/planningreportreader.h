#pragma once

#include "planningreportdata.h"
#include "planningreportquery.h"
#include "sqldialect.h"

#include "objectinfo.h"

#include <QHash>
#include <QList>
#include <QPair>
#include <QSet>
#include <QSqlDatabase>
#include <QString>

#include <functional>

/// Reads what the planning report of a month needs: a row per employee, worker history or trip the
/// client names, selected and bounded as the planning grid selects its rows, with the days, absences,
/// norm and confirmation of each, and the reasons, jobs, balance and production calendar they use.
class PlanningReportReader
{
public:
    /// Told the share done (0..100) after each step; returning false stops the reading.
    using Progress = std::function<bool(int percent)>;

    PlanningReportReader(const QSqlDatabase& db, SqlDialect dialect);

    /// False with *error on an SQL failure, or with *error left empty when progress stopped it.
    bool read(const PlanningReportQuery& query, PlanningReportData* out, const Progress& progress, QString* error);

private:
    using Objects = QHash<orvanta::TYPE_ID, orvanta::ObjectInfo>;

    bool readObjects(const QList<orvanta::TYPE_ID>& ids, QString* error);
    bool readRelated(QString* error);
    bool buildRows(QString* error);
    void addEmployeeRow(const orvanta::ObjectInfo& employee);
    void addHistoryRow(const orvanta::ObjectInfo& history);
    void addTripRows(const QList<orvanta::ObjectInfo>& trips);
    void extendStart(PlanningReportData::Row& row) const;
    void extendContinuousStart(PlanningReportData::Row& row) const;
    void readTrips(PlanningReportData::Row& row) const;
    bool readDays(QString* error);
    bool readAbsences(QString* error);
    bool readReasons(QString* error);
    bool readNormAndSync(QString* error);
    bool readJobs(QString* error);
    bool forEachObject(const char* dataname, const std::function<void(const orvanta::ObjectInfo&)>& take,
                       QString* error);
    bool readBalance(QString* error);
    bool readDayKinds(QString* error);
    QList<orvanta::TYPE_ID> rowUids() const;
    PlanningReportData::Row* rowOf(orvanta::TYPE_ID uid, PlanningReportData::Row::Kind kind);
    PlanningReportData::Row* appendRow(const PlanningReportData::Row& row);
    /// False when the progress asks to stop; asks only every so many items of a long loop.
    bool keepGoing(int item) const;

    QSqlDatabase m_db;
    SqlDialect m_dialect;
    PlanningReportData* m_data = nullptr;
    const Progress* m_progress = nullptr;
    int m_percent = 0;
    /// The index in m_data->rows of each (uid, kind).
    QHash<QPair<orvanta::TYPE_ID, int>, int> m_rowIndex;
    /// What the query names, by data name; the employees include the owners of its histories and trips.
    QHash<QString, QList<orvanta::ObjectInfo>> m_requested;
    Objects m_employees;
    Objects m_histories;
    Objects m_trips;
    /// The departments of the named employees and histories.
    QSet<orvanta::TYPE_ID> m_departments;
};
