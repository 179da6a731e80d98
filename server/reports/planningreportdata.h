#pragma once

#include "orvantatypes.h"
#include "planningbalance.h"
#include "schedulecalendarinterval.h"
#include "workerabsencereason.h"
#include "workersynctime.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QPair>
#include <QString>

/// What the planning report of one month is made of, read from the database: its rows as the
/// planning grid holds them, and the names and figures the rows refer to.
struct PlanningReportData
{
    /// How an absence reason counts and what it shows.
    struct Reason
    {
        int order = 0;
        int calcNormMethod = 0;
        QString mark;
    };

    /// An employee of the reported departments, or his trips into them from elsewhere.
    struct Row
    {
        enum Kind { Employee, Trip };

        Kind kind = Employee;
        orvanta::TYPE_ID uid = 0;
        QString name;
        QString number;
        orvanta::TYPE_ID jobUid = 0;
        /// Employment in the departments; an invalid date is open. A trip row has none.
        QDate emplStart;
        /// Earlier than emplStart when contiguous worker histories precede it: the balance counts from it.
        QDate emplContStart;
        QDate emplFinish;
        /// First and last days of the trips: an employee row is away on them, a trip row works only on them.
        QList<QPair<QDate, QDate>> trips;
        /// The intervals of each day of the month.
        QList<QList<orvanta::SCHEDULE_CALENDAR_INTERVAL>> days;
        QList<orvanta::_WORKER_ABSENCE_REASON_RECORD> absences;
        /// The payroll norm per date, in seconds.
        QHash<QDate, int> norm;
        /// The employee's last confirmation record of the month.
        orvanta::WORKER_SYNC_TIME sync;
    };

    QDate start;
    QDate finish;
    QString departments;
    QList<Row> rows;
    QHash<orvanta::TYPE_ID, Reason> reasons;
    QHash<orvanta::TYPE_ID, QString> jobNames;
    /// Norm and planned seconds from the start of the year to the end of the month before, per employee.
    QHash<orvanta::TYPE_ID, orvanta::PLANNING_BALANCE> brought;
    /// The production calendar's wt::DayKind of the month's dates it holds.
    QHash<QDate, int> dayKinds;
};
