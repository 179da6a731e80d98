#pragma once

#include "ovserver_export.h"
#include "sqldialect.h"

#include "orvantatypes.h"
#include "schedulecalendarday.h"
#include "schedulecalendarinterval.h"
#include "scheduledata.h"

#include <QDate>
#include <QHash>
#include <QVariant>
#include <QList>
#include <QSqlDatabase>
#include <QString>

#include <functional>

/// The planned seconds of every employee and day, kept in the table "planned_time" so that
/// the planning balance is one SQL query. Rebuilt from the schedule histories, the schedules
/// and the calendar days in the database whenever one of them is saved.
///
/// A day's planned time is what the employee's schedule gives for that day. Absences do not
/// reduce it: the client adds absences itself, and the norm side stays the payroll's.
class OVSERVER_EXPORT PlannedTimeTable
{
public:
    using ScheduleLookup = std::function<orvanta::SCHEDULE_DATA(int scheduleId)>;
    /// The ids of the personal (kind 4) schedules an employee owns.
    using PersonalScheduleLookup = std::function<QList<int>(orvanta::TYPE_ID employee)>;
    /// The intervals of a shift object, in order; used for calendar days that name a shift.
    using ShiftLookup = std::function<QList<orvanta::SCHEDULE_CALENDAR_INTERVAL>(orvanta::TYPE_ID shift)>;

    PlannedTimeTable(const QSqlDatabase& db, SqlDialect dialect, ScheduleLookup lookup);

    /// Without it personal schedules are not seen: the histories alone decide.
    void setPersonalScheduleLookup(PersonalScheduleLookup lookup);
    /// Without it a calendar day naming a shift takes the intervals of the schedule's own
    /// shift with that uid, else its own intervals.
    void setShiftLookup(ShiftLookup lookup);

    /// Days outside the horizon are never stored; open history records end at its edges.
    /// Default: 1 January of last year to 31 December of next year.
    void setHorizon(const QDate& from, const QDate& to);
    QDate horizonStart() const { return m_horizonStart; }
    QDate horizonFinish() const { return m_horizonFinish; }

    /// Rebuilds the rows of employees within [from, to]; an invalid bound is the horizon's.
    bool recompute(const QList<orvanta::TYPE_ID>& employees, const QDate& from, const QDate& to, QString* error);
    /// Rebuilds every employee whose history uses the schedule (or who owns it, for a
    /// personal schedule), over the horizon.
    bool recomputeSchedule(int scheduleId, QString* error);
    /// The same, limited to [from, to]: after calendar days of the schedule were saved.
    bool recomputeSchedule(int scheduleId, const QDate& from, const QDate& to, QString* error);

private:
    bool loadCalendars(const QHash<int, orvanta::SCHEDULE_DATA>& schedules, const QDate& from, const QDate& to,
                       QHash<int, QHash<QDate, orvanta::SCHEDULE_CALENDAR_DAY>>* out, QString* error) const;
    bool replaceRows(const QList<orvanta::TYPE_ID>& employees, const QDate& from, const QDate& to,
                     const QList<QVariantList>& rows, QString* error);

    QSqlDatabase m_db;
    SqlDialect m_dialect;
    ScheduleLookup m_scheduleLookup;
    PersonalScheduleLookup m_personalScheduleLookup;
    ShiftLookup m_shiftLookup;
    QDate m_horizonStart;
    QDate m_horizonFinish;
};
