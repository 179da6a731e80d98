#pragma once

#include "scheduleexpander.h"
#include "sqldialect.h"

#include "orvantatypes.h"
#include "scheduledata.h"
#include "workerschedulehistory.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QSqlDatabase>

/// The intervals of each day of a month as the planning grid builds them for an employee: the
/// personal schedule of the month, else the schedule of the history record in force; a cycle counted
/// from its base date, or the schedule's calendar day, whose shift object gives the intervals.
class PlanningReportSchedules
{
public:
    using Intervals = QList<orvanta::SCHEDULE_CALENDAR_INTERVAL>;

    PlanningReportSchedules(const QSqlDatabase& db, SqlDialect dialect);

    /// Reads the schedules, the employees' histories, the calendar days of [from, to] they follow and
    /// the shifts; false with *error on an SQL failure.
    bool load(const QList<orvanta::TYPE_ID>& employees, const QDate& from, const QDate& to, QString* error);
    /// The intervals of every day of [from, to], in order.
    QList<Intervals> days(orvanta::TYPE_ID employee) const;

private:
    /// The schedule the employee follows on date, 0 for none; base is where a cycle counts from.
    int scheduleOn(orvanta::TYPE_ID employee, const QDate& date, QDate* base) const;
    QList<int> calendarSchedules(const QList<orvanta::TYPE_ID>& employees) const;
    bool loadShifts(QString* error);

    QSqlDatabase m_db;
    SqlDialect m_dialect;
    QDate m_from;
    QDate m_to;
    QHash<int, orvanta::SCHEDULE_DATA> m_schedules;
    /// The personal schedules of each owner, by ascending id.
    QHash<orvanta::TYPE_ID, QList<int>> m_personal;
    QHash<uint, orvanta::WORKER_SCHEDULE_HISTORY_V2> m_histories;
    QHash<int, ScheduleExpander::CalendarDays> m_calendars;
    QHash<orvanta::TYPE_ID, Intervals> m_shifts;
};
