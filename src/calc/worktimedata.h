#pragma once

#include "objectinfo.h"
#include "orvantatypes.h"
#include "schedulecalendarinterval.h"
#include "workerabsencereason.h"
#include "workerschedulehistory.h"
#include "workersynctime.h"

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QVector>

struct EmployeeInfo;

/// One row of the planning grid: an employee, or an attached worker in a host department,
/// over the planning period, with every per-row figure the grid, the totals and saving need.
class WorkTimeData
{
public:
    /// One date of the period: a chosen shift or the day's own intervals.
    struct Day
    {
        orvanta::TYPE_ID shift = 0;
        /// Edited since the last reset.
        bool changed = false;
        QList<orvanta::SCHEDULE_CALENDAR_INTERVAL> intervals;

        void clear();
        int start() const;
        int finish() const;
        int time() const;
        int breakTime() const;
        bool hasChanges() const { return changed; }
    };

    /// Pending changes; each bit names the save task the row needs.
    enum Change {
        AbsenceReasonsChanged = 1,
        ScheduleHistoryChanged = 2,
        CreatePersonalSchedule = 4,
        CalendarDaysChanged = 8,
        DeletePersonalSchedule = 16
    };

    enum RowType { NoRow = 0, EmployeeRow = 1, AttachedRow = 2 };

    /// How an absence reason counts; callers pass masks of these bits.
    enum ReasonTimeType { AbsenceTime = 1, WorkTime = 2, NormTime = 4 };
    static constexpr int AnyReasonTime = AbsenceTime | WorkTime | NormTime;

    void setEmpoyeeInfo(const EmployeeInfo& info);
    /// Makes this an attached row of employee uid in the given host departments; set the period first.
    /// The row's name, number and job come from the attached-worker object, else from the employee.
    void setAttachedUid(orvanta::TYPE_ID uid, const QList<unsigned int>& departments);
    /// Only the period: the grid model sizes days().
    void setPeriodRange(const QDate& start, const QDate& finish);
    void setSyncTime(const orvanta::WORKER_SYNC_TIME& value);
    /// Keeps the records sorted, the one that decides a date first.
    void setAbsenceReasons(const orvanta::_WORKER_ABSENCE_REASON& value);
    void setScheduleHistory(const orvanta::WORKER_SCHEDULE_HISTORY_V2& value);
    /// Replaces the whole bit set of Change values.
    void setChanged(int changes) { m_changes = changes; }
    void resetChanges() { m_changes = 0; }
    /// Re-reads the attached-worker objects of an employee row from the local store.
    void reloadAttached();

    orvanta::TYPE_ID uid() const { return m_uid; }
    int type() const { return m_type; }
    bool isAttached() const { return m_type == AttachedRow; }
    int changes() const { return m_changes; }
    bool hasChanges() const { return m_changes != 0; }
    QString name() const { return m_name; }
    QString number() const { return m_number; }
    orvanta::TYPE_ID jobUid() const { return m_jobUid; }
    QDate emplStart() const { return m_emplStart; }
    QDate emplContStart() const { return m_emplContStart; }
    QDate emplFinish() const { return m_emplFinish; }
    QDate periodStart() const { return m_periodStart; }
    QDate periodFinish() const { return m_periodFinish; }
    const orvanta::_WORKER_ABSENCE_REASON& absenceReasons() const { return m_absenceReasons; }
    const orvanta::WORKER_SCHEDULE_HISTORY_V2& scheduleHistory() const { return m_scheduleHistory; }
    const orvanta::WORKER_SYNC_TIME& syncInfo() const { return m_syncInfo; }
    QDateTime syncTime() const { return m_syncInfo.syncTime; }
    QDateTime saveTime() const { return m_syncInfo.saveTime; }
    bool isSync() const { return m_syncInfo.sync; }
    const QList<orvanta::ObjectInfo>& attached() const { return m_attached; }

    const QList<Day>& days() const { return m_days; }
    void setDays(const QList<Day>& days) { m_days = days; }
    /// The day of date; an empty day outside the days held.
    Day day(const QDate& date) const;
    /// False, with a warning, for a date outside the days held.
    bool setDay(const QDate& date, const Day& day);
    /// Index of date in days(); -1 outside them.
    int dayIndex(const QDate& date) const;

    const QHash<QDate, int>& plan() const { return m_plan; }
    void setPlan(const QHash<QDate, int>& plan) { m_plan = plan; }
    void setPlanForDate(const QDate& date, int seconds) { m_plan.insert(date, seconds); }
    void clearPlan() { m_plan.clear(); }

    // Figures, in seconds.
    int planForDate(const QDate& date) const;
    int timeForDate(const QDate& date, bool skipFullDay) const;
    int totalTime(bool continuous) const;
    int totalPlan(bool continuous) const;
    int partDayReasonTime(const QDate& date, int mask) const;
    int fullDayReasonTime(const QDate& date, int mask) const;
    int totalPartDayReasonTime(const QDate& from, const QDate& to, int mask, bool continuous) const;
    int totalFullDayReasonTime(const QDate& from, const QDate& to, int mask, bool continuous) const;
    /// Norm minus planned time minus absence time over the employment in the period.
    int planningBalance(const QDate& from, const QDate& to) const;
    /// Planned time of an attached row inside its attachments; days of a full-day absence are not worked.
    int attachedTime() const;
    /// Planned time of an employee row while attached elsewhere; days of a full-day absence are not worked.
    int detachedTime(bool continuous) const;
    /// The day belongs to the grid's department: an attached row inside its trip, an employee row outside his
    /// trips elsewhere.
    bool isWorkedHere(const QDate& date) const;

    bool isValidDate(const QDate& date, bool continuous) const;
    bool hasFullDayReason(const QDate& date, int mask) const;
    bool inAttachedRange(const QDate& date) const;
    bool containsAttached(orvanta::TYPE_ID uid) const;
    QList<orvanta::ObjectInfo> attachedWorkers(const QDate& from, const QDate& to) const;

private:
    template<typename PerDate>
    int sumOverValidDates(const QDate& from, const QDate& to, bool continuous, PerDate perDate) const;
    /// What the figures need of one absence reason, read from the store once per setAbsenceReasons.
    struct ReasonInfo
    {
        int order = 0;
        int timeType = AbsenceTime;
        int calcNormMethod = 0;
    };

    /// The dates of one attached-worker object; invalid when its text is not an ISO date.
    struct AttachedRange
    {
        QDate begin;
        QDate end;
    };

    ReasonInfo reasonInfo(orvanta::TYPE_ID reason) const;
    void setAttached(const QList<orvanta::ObjectInfo>& attached);
    void readAttachedPerson();
    bool withinEmployment(const QDate& date, bool continuous) const;

    QList<orvanta::ObjectInfo> m_attached;
    QVector<AttachedRange> m_attachedRanges;
    QHash<QDate, int> m_plan;
    QList<Day> m_days;
    orvanta::TYPE_ID m_uid = 0;
    int m_type = NoRow;
    int m_changes = 0;
    orvanta::WORKER_SYNC_TIME m_syncInfo;
    QDate m_periodStart;
    QDate m_periodFinish;
    QString m_name;
    QString m_number;
    QDate m_emplStart;
    QDate m_emplFinish;
    QDate m_emplContStart;
    orvanta::TYPE_ID m_jobUid = 0;
    orvanta::_WORKER_ABSENCE_REASON m_absenceReasons;
    orvanta::WORKER_SCHEDULE_HISTORY_V2 m_scheduleHistory;
    QHash<orvanta::TYPE_ID, ReasonInfo> m_reasonInfo;
};
