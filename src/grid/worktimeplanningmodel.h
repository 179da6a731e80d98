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

#include <QAbstractItemModel>
#include <QColor>
#include <QDate>
#include <QHash>
#include <QList>
#include <QSet>
#include <QStringList>
#include <QVector>

/// The planning grid: one WorkTimeData row per employee or attached worker, five fixed
/// columns and one column per date of the period.
class WorkTimePlanningModel : public QAbstractItemModel
{
    Q_OBJECT
public:
    enum Column {
        StateColumn = 0,
        NameColumn = 1,
        JobColumn = 2,
        HoursColumn = 3,
        BalanceColumn = 4,
        FirstDateColumn = 5
    };

    /// The numbers are shared with the delegate, the header and the dialogs.
    enum Role {
        DayStartRole = Qt::UserRole + 1,
        DayFinishRole = Qt::UserRole + 2,
        DayTimeRole = Qt::UserRole + 3,
        PartDayWorkReasonRole = Qt::UserRole + 4,
        IntervalRole = Qt::UserRole + 6,
        UidRole = Qt::UserRole + 7,
        AttachedRole = Qt::UserRole + 8,
        DateRole = Qt::UserRole + 9,
        DateEditableRole = Qt::UserRole + 10,
        MarksRole = Qt::UserRole + 11,
        DayColorRole = Qt::UserRole + 12,
        SalesPlanRole = Qt::UserRole + 13,
        HasChangesRole = Qt::UserRole + 14
    };

    using ScheduleHistoryHash = QHash<unsigned int, orvanta::WORKER_SCHEDULE_HISTORY_V2>;
    using AbsenceReasonHash = QHash<unsigned int, orvanta::_WORKER_ABSENCE_REASON>;
    using CalendarDayHash = QHash<int, QList<orvanta::SCHEDULE_CALENDAR_DAY>>;

    explicit WorkTimePlanningModel(QObject* parent = nullptr);
    ~WorkTimePlanningModel() override;

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    QDate dateStart() const { return m_dateStart; }
    QDate dateFinish() const { return m_dateFinish; }
    int daysCount() const;
    bool hasData() const { return !m_rows.isEmpty(); }
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    bool isReadOnly() const { return m_readOnly; }
    QList<unsigned int> objList() const { return m_objList; }
    QSet<unsigned int> reportUids() const { return m_reportUids; }

    int dateToColumn(const QDate& date) const;
    QDate columnToDate(int column) const;
    int dayIndexByDate(const QDate& date) const;
    int objectIdToRow(unsigned int uid) const;
    static bool isFixedColumn(int column) { return column < FirstDateColumn; }
    bool isVariableColumn(int column) const;
    bool isVariableStartFinishColumn(int column) const { return isVariableColumn(column); }

    WorkTimeData workTimeData(unsigned int uid) const;
    orvanta::WORKER_SCHEDULE_HISTORY_V2 objectScheduleHistory(unsigned int uid) const;
    orvanta::_WORKER_ABSENCE_REASON objectAbsenceReasons(unsigned int uid) const;
    bool containsEmployee(unsigned int uid) const { return m_emplSet.contains(uid); }
    bool containsDepartment(unsigned int uid) const { return m_departments.contains(uid); }
    bool isAttached(unsigned int uid) const;
    bool inAttachedRange(unsigned int uid, const QDate& date) const;
    /// The row follows a personal schedule at the period start, or one is about to be created.
    bool isPersonalSchedule(unsigned int uid) const;
    bool isDateEditable(unsigned int uid, const QDate& date) const;

    bool hasChanges() const;
    bool hasChanges(unsigned int uid) const;
    QList<unsigned int> changedUids() const;
    /// Some row of the period is not confirmed yet.
    bool isConfirmEnabled() const;
    QList<unsigned int> employeesForConfirm() const;

    QList<orvanta::TYPE_ID> fullDayReasons(int row, const QDate& date) const;
    QList<orvanta::TYPE_ID> partDayReasons(int row, const QDate& date) const;
    bool hasFullDayReason(int row, const QDate& date) const;
    bool hasPartDayReason(int row, const QDate& date) const;
    QStringList fullDayReasonMarks(int row, const QDate& date) const;
    QStringList partDayReasonMarks(int row, const QDate& date) const;
    QColor fullDayReasonColor(int row, const QDate& date) const;
    QColor partDayReasonColor(int row, const QDate& date) const;

    // Totals, in seconds.
    qint64 totalTimeForDate(const QDate& date) const;
    qint64 totalReasonForDate(const QDate& date, int mask) const;
    qint64 totalTime() const;
    qint64 totalReasonWorkTime() const;
    qint64 totalAttachedTime() const;
    qint64 totalDetachedTime() const;
    qint64 totalSalesPlan() const;
    qint64 totalHoursBudget() const;

    void refreshModel(const QDate& start, const QDate& finish, const QList<EmployeeInfo>& employees,
                      const QList<unsigned int>& attached, const QList<unsigned int>& departments);
    void clear();

    void setScheduleHistory(const ScheduleHistoryHash& histories);
    void setAbsenceReasons(const AbsenceReasonHash& reasons);
    void setCalendarDays(const CalendarDayHash& days);
    void setEmployeeNormTime(const QList<orvanta::WORKER_NORM_TIME>& norms);
    void setEmployeeSyncTime(const QList<orvanta::WORKER_SYNC_TIME>& syncTimes);
    void setPlanningBalance(const QHash<unsigned int, orvanta::PLANNING_BALANCE>& balance);
    void setSalesPlan(const QList<orvanta::SALES_PLAN>& plan);
    void setHoursBudget(const QList<orvanta::HOURS_BUDGET>& budget);

    void setShiftForDate(unsigned int uid, const QDate& date, orvanta::TYPE_ID shift);
    void setObjectAbsenceReason(unsigned int uid, const orvanta::_WORKER_ABSENCE_REASON_RECORD& record);
    void setObjectAbsenceReasons(unsigned int uid, const orvanta::_WORKER_ABSENCE_REASON& reasons);
    void setObjectScheduleHistory(unsigned int uid, const orvanta::WORKER_SCHEDULE_HISTORY_V2& history);
    void setWorkTimeData(unsigned int uid, const WorkTimeData& data);

    void rebuild(int row, const QDate& from, const QDate& to);
    void rebuildSelected(const QList<unsigned int>& uids);
    void rebuildAll();
    /// Drops every change: all rows are rebuilt from the server's last data.
    void resetChanges();
    void resetChanges(const QList<unsigned int>& uids);
    /// The working copy becomes the accepted state (after saving).
    void resetChangeFlag();

    void reloadAttached(unsigned int uid);
    QList<orvanta::ObjectInfo> attachedWorkers(unsigned int uid, const QDate& from, const QDate& to) const;

signals:
    void workTimeEdited();

private:
    /// Per-row figures; the rows change only through this model, so they are computed
    /// once per change of a row rather than on every paint.
    struct RowFigures
    {
        bool valid = false;
        int plan = 0;
        int planContinuous = 0;
        int time = 0;
        int timeContinuous = 0;
        int reasonTime = 0;
        int reasonTimeContinuous = 0;
        int workReasonTime = 0;
        int balance = 0;
        int attachedTime = 0;
        int detachedTime = 0;
        /// Per day: timeForDate(date, true) and partDayReasonTime(date, work time).
        QVector<int> dayTime;
        QVector<int> dayWorkReason;
    };

    /// How a date cell of a row is shown.
    struct DayState
    {
        bool outside = false;
        bool attachedElsewhere = false;
        bool fullDay = false;
        bool shown() const { return !outside && !attachedElsewhere; }
    };

    /// Everything the date cell of a row shows, worked out once for all roles of the day.
    struct DayLook
    {
        DayState state;
        bool validDate = false;
        bool partDay = false;
        int time = 0;
        int start = 0;
        int finish = 0;
        int workReason = 0;
        /// Full-day plus part-day reason seconds of any kind.
        int absence = 0;
        QString display;
        QString fullMarks;
        QString partMarks;
        QColor fullColor;
        QColor partColor;
        /// Looked up on the first tool tip only: painting must not search schedules.
        mutable bool scheduleKnown = false;
        mutable bool scheduleLooked = false;
        mutable QString scheduleName;
    };

    struct ReasonLook
    {
        QString mark;
        QString color;
    };

    const WorkTimeData* rowForUid(unsigned int uid, const char* function, const char* phrase) const;
    int rowIndexForUid(unsigned int uid, const char* function) const;
    /// The only way to change a row: forgets what was computed from it.
    WorkTimeData& editRow(int row);
    void forgetFigures();
    const RowFigures& figures(int row) const;
    void computeFigures(const WorkTimeData& row, RowFigures& figures) const;
    /// The row's day takes part in the per-date totals of the header.
    static bool countsInDateTotals(const WorkTimeData& row, const QDate& date);
    /// Per day of the period: planned plus work-reason seconds of all rows.
    const QVector<qint64>& dateTotals() const;

    bool dateEditable(const WorkTimeData& row, const QDate& date) const;
    DayState dayState(const WorkTimeData& row, const QDate& date) const;
    const WorkTimeData::Day* dayAt(const WorkTimeData& row, const QDate& date) const;
    QVariant fixedColumnData(const WorkTimeData& row, int rowIndex, int column, int role) const;
    QVariant dateColumnData(const WorkTimeData& row, int rowIndex, const QDate& date, int role) const;
    const DayLook& dayLook(int rowIndex, int dayIndex) const;
    void computeDayLooks(int rowIndex, QVector<DayLook>& looks) const;
    void forgetDayLooks();
    static QString dayDisplay(const DayLook& look);
    static QVariant dayMarks(const DayLook& look);
    static QVariant dayColor(const DayLook& look);
    QString dayToolTip(const WorkTimeData& row, const DayLook& look, const QDate& date) const;
    QString stateToolTip(const WorkTimeData& row) const;
    QString nameToolTip(const WorkTimeData& row) const;
    QString balanceToolTip(int rowIndex) const;
    QString balanceDisplay(const WorkTimeData& row, int rowIndex) const;
    QString hoursDisplay(int rowIndex) const;

    const ReasonLook& reasonLook(orvanta::TYPE_ID reason) const;
    QStringList reasonMarks(const QList<orvanta::TYPE_ID>& reasons) const;
    QColor reasonColor(const QList<orvanta::TYPE_ID>& reasons) const;
    void forgetReasons(const QString& dataname);

    void applyServerState(int row);
    void rebuildDays(WorkTimeData& row, const QDate& from, const QDate& to) const;
    void emitRowChanged(int row, int firstColumn = 0);
    void emitDateHeadersChanged();
    /// The change bits of a day edit: a personal schedule gets its calendar days, otherwise one is created.
    static int dayEditChanges(bool personal, int changes, bool dropPendingDeletion);
    QList<unsigned int> unchangedRowsOfCalendars(const CalendarDayHash& days, const QSet<unsigned int>& changed) const;
    QSet<unsigned int> changedUidSet() const;

    QList<WorkTimeData> m_rows;
    QDate m_dateStart;
    QDate m_dateFinish;
    QSet<unsigned int> m_emplSet;
    QSet<unsigned int> m_reportUids;
    QList<unsigned int> m_attachedUids;
    QList<unsigned int> m_objList;
    QList<unsigned int> m_departments;
    bool m_readOnly = false;
    ScheduleHistoryHash m_scheduleHistory;
    AbsenceReasonHash m_absenceReasons;
    CalendarDayHash m_calendarDays;
    QHash<QDate, qint64> m_salesPlan;
    QHash<QDate, qint64> m_hoursBudget;
    QHash<unsigned int, orvanta::PLANNING_BALANCE> m_planningBalance;

    /// First row of each uid.
    QHash<unsigned int, int> m_rowByUid;
    mutable QVector<RowFigures> m_figures;
    /// Per row, per day of the period; empty until the row is first shown.
    mutable QVector<QVector<DayLook>> m_dayLooks;
    mutable QVector<qint64> m_dateTotals;
    mutable QHash<orvanta::TYPE_ID, ReasonLook> m_reasonLooks;
};
