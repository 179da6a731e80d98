#pragma once

#include "employeeinfo.h"
#include "worktimecelllooks.h"
#include "worktimedata.h"
#include "worktimeedithistory.h"
#include "worktimerowfigures.h"
#include "worktimerowstore.h"

#include <QAbstractItemModel>
#include <QColor>
#include <QDate>
#include <QHash>
#include <QList>
#include <QSet>
#include <QStringList>

/// The planning grid: one WorkTimeData row per employee or attached worker, five fixed
/// columns and one column per date of the period.
///
/// The rows and the server data live in a WorkTimeRowStore, their sums in WorkTimeRowFigures and
/// what the cells show in WorkTimeCellLooks; the model answers the views and tells them of changes.
class WorkTimePlanningModel : public QAbstractItemModel
{
    Q_OBJECT
public:
    enum Column {
        StateColumn = 0,
        NameColumn = 1,
        DepartmentColumn = 2,
        JobColumn = 3,
        HoursColumn = 4,
        BalanceColumn = 5,
        FirstDateColumn = 6
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
        HasChangesRole = Qt::UserRole + 14,
        /// The production calendar's wt::DayKind of a date cell or day section; none when the server sent none.
        DayKindRole = Qt::UserRole + 15,
        /// The uid of the row's department, on every cell of the row.
        DepartmentRole = Qt::UserRole + 16
    };

    /// The planner's one action: every edit made while it lives is one undo step.
    class EditStep
    {
    public:
        explicit EditStep(WorkTimePlanningModel* model) : m_model(model)
        {
            if (m_model)
                m_model->beginEditStep();
        }
        ~EditStep()
        {
            if (m_model)
                m_model->endEditStep();
        }
        Q_DISABLE_COPY(EditStep)

    private:
        WorkTimePlanningModel* m_model;
    };

    using ScheduleHistoryHash = WorkTimeRowStore::ScheduleHistoryHash;
    using AbsenceReasonHash = WorkTimeRowStore::AbsenceReasonHash;
    using CalendarDayHash = WorkTimeRowStore::CalendarDayHash;

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

    QDate dateStart() const { return m_store.dateStart(); }
    QDate dateFinish() const { return m_store.dateFinish(); }
    int daysCount() const { return m_store.daysCount(); }
    bool hasData() const { return m_store.rowCount() > 0; }
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    bool isReadOnly() const { return m_readOnly; }
    QList<unsigned int> objList() const { return m_store.objList(); }
    QSet<unsigned int> reportUids() const { return m_store.reportUids(); }

    int dateToColumn(const QDate& date) const;
    QDate columnToDate(int column) const;
    int dayIndexByDate(const QDate& date) const { return m_store.dayIndexByDate(date); }
    int objectIdToRow(unsigned int uid) const { return m_store.rowOf(uid); }
    static bool isFixedColumn(int column) { return column < FirstDateColumn; }
    bool isVariableColumn(int column) const;
    bool isVariableStartFinishColumn(int column) const { return isVariableColumn(column); }

    WorkTimeData workTimeData(unsigned int uid) const;
    orvanta::WORKER_SCHEDULE_HISTORY_V2 objectScheduleHistory(unsigned int uid) const;
    orvanta::_WORKER_ABSENCE_REASON objectAbsenceReasons(unsigned int uid) const;
    bool containsEmployee(unsigned int uid) const { return m_store.containsEmployee(uid); }
    bool containsDepartment(unsigned int uid) const { return m_store.containsDepartment(uid); }
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

    // Totals, in seconds, of the days the rows show: a trip counts in the department where it is worked.
    qint64 totalTimeForDate(const QDate& date) const;
    qint64 totalReasonForDate(const QDate& date, int mask) const;
    qint64 totalTime() const;
    /// The sum of the rows' planned hours (worked plus absences), as the hours column shows them.
    qint64 totalPlannedTime() const { return m_figures.totalPlannedTime(); }
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
    // The same without rebuilding the rows: they return the uids to rebuild (rebuildSelected), which a load of
    // thousands of employees does a slice at a time.
    QList<unsigned int> mergeScheduleHistory(const ScheduleHistoryHash& histories)
    {
        return m_store.mergeScheduleHistory(histories);
    }
    QList<unsigned int> mergeAbsenceReasons(const AbsenceReasonHash& reasons)
    {
        return m_store.mergeAbsenceReasons(reasons);
    }
    QList<unsigned int> mergeCalendarDays(const CalendarDayHash& days) { return m_store.mergeCalendarDays(days); }
    void setEmployeeNormTime(const QList<orvanta::WORKER_NORM_TIME>& norms);
    void setEmployeeSyncTime(const QList<orvanta::WORKER_SYNC_TIME>& syncTimes);
    void setPlanningBalance(const QHash<unsigned int, orvanta::PLANNING_BALANCE>& balance);
    void setSalesPlan(const QList<orvanta::SALES_PLAN>& plan);
    void setHoursBudget(const QList<orvanta::HOURS_BUDGET>& budget);
    void setDayKinds(const QHash<QDate, int>& kinds);
    QList<QPair<orvanta::TYPE_ID, QString>> rowDepartments() const { return m_store.departments(); }
    /// Narrows the totals of the header and of the side panel to the rows of one department; 0 for all.
    void setShownDepartment(orvanta::TYPE_ID department)
    {
        m_store.setShownDepartment(department);
        emitDateHeadersChanged();
    }

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

    // The planner's edits since the last load or save; see WorkTimeEditHistory for what makes a step.
    void beginEditStep();
    /// The views hear of the days a step edited at its end.
    void endEditStep();
    const WorkTimeEditHistory* editHistory() const { return &m_history; }
    bool undoEdit();
    bool redoEdit();

    void reloadAttached(unsigned int uid);
    /// The same for many rows, announced as one change: a save reports every employee it touched.
    void reloadAttached(const QList<unsigned int>& uids);
    QList<orvanta::ObjectInfo> attachedWorkers(unsigned int uid, const QDate& from, const QDate& to) const;

signals:
    void workTimeEdited();

private:
    const WorkTimeData* rowForUid(unsigned int uid, const char* function, const char* phrase) const;
    int rowIndexForUid(unsigned int uid, const char* function) const;
    bool dateEditable(const WorkTimeData& row, const QDate& date) const;
    /// A reason's kind, norm method, mark or colour may have changed in the local store.
    void reasonsChanged(const QString& dataname, const QList<orvanta::TYPE_ID>& ids);
    void emitRowChanged(int row, int firstColumn = 0);
    /// Reads the attached-worker objects of the rows again and announces them as one change.
    void reloadAttachedRows(const QList<int>& rows);
    void emitDayEdited(int row, int column);
    /// One signal per run of neighbouring rows.
    void emitRowsChanged(QList<int> rows, int firstColumn = 0);
    /// False when there was nothing to put back.
    bool restoreEdits(const WorkTimeEditHistory::RowSnapshots& rows);
    void emitDateHeadersChanged();
    QVariant dayKindData(const QDate& date) const;
    QVariant departmentData(int row, int role) const;

    WorkTimeRowStore m_store;
    WorkTimeRowFigures m_figures{m_store};
    WorkTimeCellLooks m_looks{m_store, m_figures};
    WorkTimeEditHistory m_history{m_store};
    int m_stepDepth = 0;
    QSet<int> m_stepRows;
    bool m_readOnly = false;
};
