#pragma once

#include "employeeinfo.h"
#include "hoursbudget.h"
#include "planningbalance.h"
#include "salesplan.h"
#include "schedulecalendarday.h"
#include "workerabsencereason.h"
#include "workernormtime.h"
#include "workerschedulehistory.h"
#include "workersynctime.h"
#include "worktimedata.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QSet>
#include <QVector>

/// The rows of the planning grid and the server data they are built from; every change of a row goes through it.
class WorkTimeRowStore
{
public:
    using ScheduleHistoryHash = QHash<unsigned int, orvanta::WORKER_SCHEDULE_HISTORY_V2>;
    using AbsenceReasonHash = QHash<unsigned int, orvanta::_WORKER_ABSENCE_REASON>;
    using CalendarDayHash = QHash<int, QList<orvanta::SCHEDULE_CALENDAR_DAY>>;

    QDate dateStart() const { return m_dateStart; }
    QDate dateFinish() const { return m_dateFinish; }
    int daysCount() const;
    int dayIndexByDate(const QDate& date) const;

    int rowCount() const { return m_rows.size(); }
    const QList<WorkTimeData>& rows() const { return m_rows; }
    const WorkTimeData& row(int row) const { return m_rows.at(row); }
    /// First row of uid, -1 for none.
    int rowOf(unsigned int uid) const { return m_rowByUid.value(uid, -1); }
    /// Grows with every change of any row; what is computed from the rows is kept until it moves.
    quint64 revision() const { return m_revision; }
    /// The revision of the last change of the row.
    quint64 rowRevision(int row) const { return m_rowRevisions.at(row); }
    /// The revision of the last refresh or clear: what is kept per row is to be dropped when it moves.
    quint64 layoutRevision() const { return m_layoutRevision; }
    /// Whether a row carries unsaved edits; whether a row's plan is not approved yet. Counted again only
    /// for the rows edited since the last question: every change of the grid asks both.
    bool hasChangedRows() const;
    bool hasUnapprovedRows() const;

    QList<unsigned int> objList() const { return m_objList; }
    QSet<unsigned int> reportUids() const { return m_reportUids; }
    bool containsEmployee(unsigned int uid) const { return m_emplSet.contains(uid); }
    bool containsDepartment(unsigned int uid) const { return m_departments.contains(uid); }
    /// The server's histories, also of rows that keep changes of their own.
    const ScheduleHistoryHash& scheduleHistory() const { return m_scheduleHistory; }
    const QHash<unsigned int, orvanta::PLANNING_BALANCE>& planningBalance() const { return m_planningBalance; }
    /// Of the department shown, or of all of them.
    const QHash<QDate, qint64>& salesPlan() const { return m_salesPlan; }
    const QHash<QDate, qint64>& hoursBudget() const { return m_hoursBudget; }
    /// The department of the filter a row belongs to: an employee's own, an attached worker's host.
    orvanta::TYPE_ID rowDepartment(int row) const { return m_rowDepartments.value(row); }
    QString departmentName(orvanta::TYPE_ID department) const { return m_departmentNames.value(department); }
    /// The departments of the rows with their names, ordered by name.
    QList<QPair<orvanta::TYPE_ID, QString>> departments() const;
    /// The production calendar's wt::DayKind of a day of the period; -1 when the server sent none.
    int dayKind(int day) const { return m_dayKinds.value(day, -1); }
    /// The department the planner narrowed the grid to; 0 for all. The totals, the sales plan and the hours
    /// budget are of its rows only.
    void setShownDepartment(orvanta::TYPE_ID department);
    bool isShown(int row) const { return m_shownDepartment == 0 || rowDepartment(row) == m_shownDepartment; }

    /// The row follows a personal schedule at the period start, or one is about to be created.
    bool isPersonalSchedule(int row) const;
    QSet<unsigned int> changedUids() const;

    void refresh(const QDate& start, const QDate& finish, const QList<EmployeeInfo>& employees,
                 const QList<unsigned int>& attached, const QList<unsigned int>& departments);
    void clear();

    // Server data: each returns the uids of the rows without changes, which are to be rebuilt from it.
    QList<unsigned int> mergeScheduleHistory(const ScheduleHistoryHash& histories);
    QList<unsigned int> mergeAbsenceReasons(const AbsenceReasonHash& reasons);
    QList<unsigned int> mergeCalendarDays(const CalendarDayHash& days);
    void setEmployeeNormTime(const QList<orvanta::WORKER_NORM_TIME>& norms);
    void setSyncTime(int row, const orvanta::WORKER_SYNC_TIME& sync);
    void setPlanningBalance(const QHash<unsigned int, orvanta::PLANNING_BALANCE>& balance);
    void setSalesPlan(const QList<orvanta::SALES_PLAN>& plan);
    void setHoursBudget(const QList<orvanta::HOURS_BUDGET>& budget);
    void setDayKinds(const QHash<QDate, int>& kinds);

    /// The row's days from its schedules between from and to.
    void rebuild(int row, const QDate& from, const QDate& to);
    /// Drops the row's changes: the server's history and reasons, and the days built from them.
    void restore(int row);
    /// The working copy becomes the accepted state (after saving).
    void acceptChanges();

    /// The planner's shift start..finish (seconds of the day; a finish below the start ends next day) with
    /// the break the rules give.
    void setDayInterval(int row, const QDate& date, int start, int finish, bool personal);
    void setDayShift(int row, const QDate& date, orvanta::TYPE_ID shift, bool personal);
    void setAbsenceReasons(int row, const orvanta::_WORKER_ABSENCE_REASON& reasons);
    void setScheduleHistory(int row, const orvanta::WORKER_SCHEDULE_HISTORY_V2& history);
    void replaceRow(int row, const WorkTimeData& data);
    /// Puts back what the planner edits of a row (days, change bits, history, reasons) as a snapshot had it.
    void restoreEdits(int row, const WorkTimeData& snapshot);
    void reloadAttached(int row);
    /// The rows that use one of the reasons read their kind, norm method and order again; returns them, ascending.
    QList<int> rereadReasons(const QList<orvanta::TYPE_ID>& reasons);

private:
    /// The only way to change a row: moves its revision.
    WorkTimeData& editRow(int row);
    void indexRows();
    void rebuildDays(WorkTimeData& row, const QDate& from, const QDate& to) const;
    /// The change bits of a day edit: a personal schedule gets its calendar days, otherwise one is created.
    static int dayEditChanges(bool personal, int changes, bool dropPendingDeletion);
    QList<unsigned int> unchangedRowsOfCalendars(const CalendarDayHash& days, const QSet<unsigned int>& changed) const;
    /// The grid department an attached row's trip goes to; 0 for none.
    orvanta::TYPE_ID hostDepartment(const WorkTimeData& row) const;
    void nameDepartments();
    /// The sales plan and the hours budget of the department shown, from the records of each department.
    void sumFigures();

    QList<WorkTimeData> m_rows;
    QVector<quint64> m_rowRevisions;
    struct RowFlags
    {
        bool changed = false;
        bool unapproved = false;
    };
    void countFlags() const;
    mutable QVector<RowFlags> m_rowFlags;
    /// Rows edited since the flags were last counted; m_countAll after a refresh or too many edits.
    mutable QVector<int> m_editedRows;
    mutable bool m_countAll = true;
    mutable int m_changedRows = 0;
    mutable int m_unapprovedRows = 0;
    quint64 m_revision = 0;
    quint64 m_layoutRevision = 0;
    QDate m_dateStart;
    QDate m_dateFinish;
    QSet<unsigned int> m_emplSet;
    QSet<unsigned int> m_reportUids;
    QList<unsigned int> m_attachedUids;
    QList<unsigned int> m_objList;
    QList<unsigned int> m_departments;
    ScheduleHistoryHash m_scheduleHistory;
    AbsenceReasonHash m_absenceReasons;
    CalendarDayHash m_calendarDays;
    QHash<QDate, qint64> m_salesPlan;
    QHash<QDate, qint64> m_hoursBudget;
    QList<orvanta::SALES_PLAN> m_salesPlanRecords;
    QList<orvanta::HOURS_BUDGET> m_hoursBudgetRecords;
    orvanta::TYPE_ID m_shownDepartment = 0;
    QHash<unsigned int, orvanta::PLANNING_BALANCE> m_planningBalance;
    QVector<orvanta::TYPE_ID> m_rowDepartments;
    QHash<orvanta::TYPE_ID, QString> m_departmentNames;
    QVector<int> m_dayKinds;
    /// First row of each uid.
    QHash<unsigned int, int> m_rowByUid;
};
