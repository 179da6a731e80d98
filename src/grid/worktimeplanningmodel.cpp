#include "worktimeplanningmodel.h"

#include "localstorage.h"
#include "vocabulary.h"
#include "worktimedaylock.h"
#include "wtplanninglogging.h"

#include <QVariantMap>

#include <algorithm>

using namespace orvanta;

namespace {

constexpr int anyReason = WorkTimeData::AnyReasonTime;

} // namespace

WorkTimePlanningModel::WorkTimePlanningModel(QObject* parent) : QAbstractItemModel(parent)
{
    LocalStorage* store = LocalStorage::instance();
    connect(store, &LocalStorage::dataChanged, this, &WorkTimePlanningModel::reasonsChanged);
    connect(store, &LocalStorage::dataRemoved, this, &WorkTimePlanningModel::reasonsChanged);
    connect(store, &LocalStorage::cleared, this, [this] { m_looks.forgetReasons(); });
    // The tool tips name the schedules.
    connect(store, &LocalStorage::scheduleChanged, this, [this] { m_looks.forgetDayLooks(); });
    connect(store, &LocalStorage::scheduleRemoved, this, [this] { m_looks.forgetDayLooks(); });
}

WorkTimePlanningModel::~WorkTimePlanningModel() = default;

QModelIndex WorkTimePlanningModel::index(int row, int column, const QModelIndex& parent) const
{
    if (parent.isValid() || row < 0 || row >= m_store.rowCount() || column < 0 || column >= columnCount())
        return QModelIndex();
    return createIndex(row, column);
}

QModelIndex WorkTimePlanningModel::parent(const QModelIndex&) const
{
    return QModelIndex();
}

int WorkTimePlanningModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_store.rowCount();
}

int WorkTimePlanningModel::columnCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return FirstDateColumn + daysCount();
}

int WorkTimePlanningModel::dateToColumn(const QDate& date) const
{
    const int day = dayIndexByDate(date);
    return day < 0 ? -1 : day + FirstDateColumn;
}

QDate WorkTimePlanningModel::columnToDate(int column) const
{
    if (!isVariableColumn(column))
        return QDate();
    return dateStart().addDays(column - FirstDateColumn);
}

bool WorkTimePlanningModel::isVariableColumn(int column) const
{
    return column >= FirstDateColumn && column < columnCount();
}

const WorkTimeData* WorkTimePlanningModel::rowForUid(unsigned int uid, const char* function,
                                                     const char* phrase) const
{
    const int row = objectIdToRow(uid);
    if (row < 0) {
        qCWarning(lcWtPlanning) << function << phrase << uid;
        return nullptr;
    }
    return &m_store.row(row);
}

int WorkTimePlanningModel::rowIndexForUid(unsigned int uid, const char* function) const
{
    const int row = objectIdToRow(uid);
    if (row < 0)
        qCWarning(lcWtPlanning) << function << "employee not found" << uid;
    return row;
}

WorkTimeData WorkTimePlanningModel::workTimeData(unsigned int uid) const
{
    const WorkTimeData* row = rowForUid(uid, Q_FUNC_INFO, "employee not found");
    return row ? *row : WorkTimeData();
}

WORKER_SCHEDULE_HISTORY_V2 WorkTimePlanningModel::objectScheduleHistory(unsigned int uid) const
{
    const WorkTimeData* row = rowForUid(uid, Q_FUNC_INFO, "employee not found");
    return row ? row->scheduleHistory() : WORKER_SCHEDULE_HISTORY_V2();
}

_WORKER_ABSENCE_REASON WorkTimePlanningModel::objectAbsenceReasons(unsigned int uid) const
{
    const WorkTimeData* row = rowForUid(uid, Q_FUNC_INFO, "employee not found");
    return row ? row->absenceReasons() : _WORKER_ABSENCE_REASON();
}

bool WorkTimePlanningModel::isAttached(unsigned int uid) const
{
    const WorkTimeData* row = rowForUid(uid, Q_FUNC_INFO, "employee not found");
    return row && row->isAttached();
}

bool WorkTimePlanningModel::inAttachedRange(unsigned int uid, const QDate& date) const
{
    const WorkTimeData* row = rowForUid(uid, Q_FUNC_INFO, "employee not found");
    return row && row->inAttachedRange(date);
}

bool WorkTimePlanningModel::isPersonalSchedule(unsigned int uid) const
{
    const int row = rowIndexForUid(uid, Q_FUNC_INFO);
    return row >= 0 && m_store.isPersonalSchedule(row);
}

bool WorkTimePlanningModel::isDateEditable(unsigned int uid, const QDate& date) const
{
    const WorkTimeData* row = rowForUid(uid, Q_FUNC_INFO, "employee not found");
    return row && dateEditable(*row, date);
}

bool WorkTimePlanningModel::dateEditable(const WorkTimeData& row, const QDate& date) const
{
    return dayIndexByDate(date) >= 0 && WorkTimeDayLock::reason(row, date, m_readOnly) == WorkTimeDayLock::Unlocked;
}

bool WorkTimePlanningModel::hasChanges() const
{
    return m_store.hasChangedRows();
}

bool WorkTimePlanningModel::hasChanges(unsigned int uid) const
{
    const WorkTimeData* row = rowForUid(uid, Q_FUNC_INFO, "unknown employee");
    return row && row->hasChanges();
}

QList<unsigned int> WorkTimePlanningModel::changedUids() const
{
    QList<unsigned int> uids;
    for (const WorkTimeData& row : m_store.rows()) {
        if (row.hasChanges())
            uids.append(row.uid());
    }
    // Saved by id, whatever order the rows come in.
    std::sort(uids.begin(), uids.end());
    return uids;
}

bool WorkTimePlanningModel::isConfirmEnabled() const
{
    return m_store.hasUnapprovedRows();
}

QList<unsigned int> WorkTimePlanningModel::employeesForConfirm() const
{
    QList<unsigned int> uids;
    for (const WorkTimeData& row : m_store.rows()) {
        if (!row.saveTime().isValid())
            uids.append(row.uid());
    }
    return uids;
}

QList<TYPE_ID> WorkTimePlanningModel::fullDayReasons(int row, const QDate& date) const
{
    return m_looks.fullDayReasons(row, date);
}

QList<TYPE_ID> WorkTimePlanningModel::partDayReasons(int row, const QDate& date) const
{
    return m_looks.partDayReasons(row, date);
}

bool WorkTimePlanningModel::hasFullDayReason(int row, const QDate& date) const
{
    return row >= 0 && row < m_store.rowCount() && m_store.row(row).hasFullDayReason(date, anyReason);
}

bool WorkTimePlanningModel::hasPartDayReason(int row, const QDate& date) const
{
    return !partDayReasons(row, date).isEmpty();
}

QStringList WorkTimePlanningModel::fullDayReasonMarks(int row, const QDate& date) const
{
    return m_looks.reasonMarks(fullDayReasons(row, date));
}

QStringList WorkTimePlanningModel::partDayReasonMarks(int row, const QDate& date) const
{
    return m_looks.reasonMarks(partDayReasons(row, date));
}

QColor WorkTimePlanningModel::fullDayReasonColor(int row, const QDate& date) const
{
    return m_looks.reasonColor(fullDayReasons(row, date));
}

QColor WorkTimePlanningModel::partDayReasonColor(int row, const QDate& date) const
{
    return m_looks.reasonColor(partDayReasons(row, date));
}

void WorkTimePlanningModel::reasonsChanged(const QString& dataname, const QList<TYPE_ID>& ids)
{
    if (dataname != QLatin1String(REASON_DATANAME))
        return;
    m_looks.forgetReasons();
    // The rows keep each reason's kind and norm method for their figures.
    const QList<int> rows = m_store.rereadReasons(ids);
    if (rows.isEmpty())
        return;
    emit dataChanged(index(rows.first(), HoursColumn), index(rows.last(), columnCount() - 1));
    emitDateHeadersChanged();
    emit workTimeEdited();
}

qint64 WorkTimePlanningModel::totalTimeForDate(const QDate& date) const
{
    return m_figures.totalTimeForDate(date);
}

qint64 WorkTimePlanningModel::totalReasonForDate(const QDate& date, int mask) const
{
    return m_figures.totalReasonForDate(date, mask);
}

qint64 WorkTimePlanningModel::totalTime() const
{
    return m_figures.totalTime();
}

qint64 WorkTimePlanningModel::totalReasonWorkTime() const
{
    return m_figures.totalReasonWorkTime();
}

qint64 WorkTimePlanningModel::totalAttachedTime() const
{
    return m_figures.totalAttachedTime();
}

qint64 WorkTimePlanningModel::totalDetachedTime() const
{
    return m_figures.totalDetachedTime();
}

qint64 WorkTimePlanningModel::totalSalesPlan() const
{
    qint64 total = 0;
    for (qint64 value : m_store.salesPlan())
        total += value;
    return total;
}

qint64 WorkTimePlanningModel::totalHoursBudget() const
{
    qint64 total = 0;
    for (qint64 value : m_store.hoursBudget())
        total += value;
    return total;
}

QVariant WorkTimePlanningModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() < 0 || index.row() >= m_store.rowCount())
        return QVariant();
    const WorkTimeData& row = m_store.row(index.row());
    switch (role) {
    case UidRole:
        return row.uid();
    case AttachedRole:
        return row.isAttached();
    case HasChangesRole:
        return row.hasChanges();
    case DateRole:
        return columnToDate(index.column());
    case DepartmentRole:
        return m_store.rowDepartment(index.row());
    default:
        break;
    }
    if (index.column() == DepartmentColumn)
        return departmentData(index.row(), role);
    if (isFixedColumn(index.column()))
        return m_looks.fixedColumnData(index.row(), index.column(), role);
    const QDate date = columnToDate(index.column());
    if (!date.isValid())
        return QVariant();
    if (role == DateEditableRole)
        return dateEditable(row, date);
    if (role == Qt::ToolTipRole)
        return m_looks.dayToolTip(index.row(), date, WorkTimeDayLock::reason(row, date, m_readOnly));
    if (role == DayKindRole)
        return dayKindData(date);
    return m_looks.dateColumnData(index.row(), date, role);
}

QVariant WorkTimePlanningModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return QVariant();
    const QDate date = columnToDate(section);
    switch (role) {
    case Qt::DisplayRole:
        switch (section) {
        case NameColumn:
            return QStringLiteral("ФИО");
        case DepartmentColumn:
            return QStringLiteral("Подразделение");
        case JobColumn:
            return QStringLiteral("Должность");
        case HoursColumn:
            return QStringLiteral("Кол-во часов");
        case BalanceColumn:
            return QStringLiteral("Баланс часов");
        default:
            return date.isValid() ? QVariant(m_store.salesPlan().value(date, 0)) : QVariant();
        }
    case Qt::ToolTipRole:
        if (section == HoursColumn)
            return QStringLiteral("Норма по графику 1С / Запланировано часов");
        if (section == BalanceColumn)
            return QStringLiteral("Баланс часов / Баланс нарастающим итогом");
        return date.isValid() ? QVariant(date) : QVariant();
    case DayTimeRole:
        return date.isValid() ? QVariant(m_figures.dateTotal(dayIndexByDate(date))) : QVariant();
    case DateRole:
        return date.isValid() ? QVariant(date) : QVariant();
    case SalesPlanRole:
        return date.isValid() ? QVariant(m_store.salesPlan().value(date, 0)) : QVariant();
    case DayKindRole:
        return date.isValid() ? dayKindData(date) : QVariant();
    default:
        return QVariant();
    }
}

QVariant WorkTimePlanningModel::dayKindData(const QDate& date) const
{
    const int kind = m_store.dayKind(dayIndexByDate(date));
    return kind < 0 ? QVariant() : QVariant(kind);
}

QVariant WorkTimePlanningModel::departmentData(int row, int role) const
{
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return m_store.departmentName(m_store.rowDepartment(row));
    case Qt::TextAlignmentRole:
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    default:
        return QVariant();
    }
}

Qt::ItemFlags WorkTimePlanningModel::flags(const QModelIndex& index) const
{
    if (!index.isValid() || index.row() < 0 || index.row() >= m_store.rowCount())
        return Qt::NoItemFlags;
    if (isFixedColumn(index.column()))
        return Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    const QDate date = columnToDate(index.column());
    if (!date.isValid())
        return Qt::ItemIsEnabled;
    const WorkTimeData& row = m_store.row(index.row());
    if (row.isAttached() && !row.inAttachedRange(date))
        return Qt::ItemIsEnabled;
    if (!dateEditable(row, date) || row.hasFullDayReason(date, anyReason))
        return Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    return Qt::ItemIsSelectable | Qt::ItemIsEditable | Qt::ItemIsEnabled;
}

bool WorkTimePlanningModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    const QDate date = columnToDate(index.column());
    if (!index.isValid() || !date.isValid() || index.row() >= m_store.rowCount() || m_readOnly || role != IntervalRole)
        return false;
    const WorkTimeData& edited = m_store.row(index.row());
    // A full-day absence leaves nothing to plan on that day.
    if (!dateEditable(edited, date) || edited.hasFullDayReason(date, anyReason))
        return false;
    if (dayIndexByDate(date) >= edited.days().size()) {
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "wrong date" << edited.uid() << date;
        return false;
    }

    const QVariantMap map = value.toMap();
    const bool personal = isPersonalSchedule(edited.uid());
    m_history.aboutToEditRow(index.row());
    m_store.setDayInterval(index.row(), date, map.value(QStringLiteral("time_start")).toInt(),
                           map.value(QStringLiteral("time_finish")).toInt(), personal);

    emitDayEdited(index.row(), index.column());
    return true;
}

void WorkTimePlanningModel::refreshModel(const QDate& start, const QDate& finish,
                                         const QList<EmployeeInfo>& employees, const QList<unsigned int>& attached,
                                         const QList<unsigned int>& departments)
{
    beginResetModel();
    m_store.refresh(start, finish, employees, attached, departments);
    m_history.clear();
    m_stepRows.clear();
    endResetModel();
}

void WorkTimePlanningModel::clear()
{
    beginResetModel();
    m_store.clear();
    m_history.clear();
    m_stepRows.clear();
    endResetModel();
}

void WorkTimePlanningModel::setScheduleHistory(const ScheduleHistoryHash& histories)
{
    rebuildSelected(m_store.mergeScheduleHistory(histories));
}

void WorkTimePlanningModel::setAbsenceReasons(const AbsenceReasonHash& reasons)
{
    rebuildSelected(m_store.mergeAbsenceReasons(reasons));
}

void WorkTimePlanningModel::setCalendarDays(const CalendarDayHash& days)
{
    rebuildSelected(m_store.mergeCalendarDays(days));
}

void WorkTimePlanningModel::setEmployeeNormTime(const QList<WORKER_NORM_TIME>& norms)
{
    m_store.setEmployeeNormTime(norms);
    if (hasData())
        emit dataChanged(index(0, HoursColumn), index(rowCount() - 1, HoursColumn));
}

void WorkTimePlanningModel::setEmployeeSyncTime(const QList<WORKER_SYNC_TIME>& syncTimes)
{
    for (const WORKER_SYNC_TIME& sync : syncTimes) {
        const int row = objectIdToRow(sync.worker);
        if (row < 0) {
            qCWarning(lcWtPlanning) << Q_FUNC_INFO << "employee not found" << sync.worker;
            continue;
        }
        m_store.setSyncTime(row, sync);
        emit dataChanged(index(row, StateColumn), index(row, StateColumn));
    }
}

void WorkTimePlanningModel::setPlanningBalance(const QHash<unsigned int, PLANNING_BALANCE>& balance)
{
    m_store.setPlanningBalance(balance);
    if (hasData())
        emit dataChanged(index(0, BalanceColumn), index(rowCount() - 1, BalanceColumn));
}

void WorkTimePlanningModel::setSalesPlan(const QList<SALES_PLAN>& plan)
{
    m_store.setSalesPlan(plan);
    emitDateHeadersChanged();
}

void WorkTimePlanningModel::setHoursBudget(const QList<HOURS_BUDGET>& budget)
{
    m_store.setHoursBudget(budget);
}

void WorkTimePlanningModel::setDayKinds(const QHash<QDate, int>& kinds)
{
    m_store.setDayKinds(kinds);
    emitDateHeadersChanged();
    if (hasData() && daysCount() > 0)
        emit dataChanged(index(0, FirstDateColumn), index(rowCount() - 1, columnCount() - 1), {DayKindRole});
}

void WorkTimePlanningModel::rebuild(int row, const QDate& from, const QDate& to)
{
    if (row < 0 || row >= m_store.rowCount()) {
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "wrong row" << row;
        return;
    }
    m_store.rebuild(row, from, to);
}

void WorkTimePlanningModel::rebuildSelected(const QList<unsigned int>& uids)
{
    qCDebug(lcWtPlanning) << Q_FUNC_INFO << "reload" << uids;
    QList<int> rows;
    rows.reserve(uids.size());
    for (unsigned int uid : uids) {
        const int row = objectIdToRow(uid);
        if (row < 0) {
            qCWarning(lcWtPlanning) << Q_FUNC_INFO << "employee not exists" << uid;
            continue;
        }
        m_store.restore(row);
        rows.append(row);
    }
    // A reply rebuilds thousands of rows: the views and the proxy hear of runs of rows, not of each.
    emitRowsChanged(rows, HoursColumn);
    emitDateHeadersChanged();
}

void WorkTimePlanningModel::rebuildAll()
{
    for (int row = 0; row < m_store.rowCount(); ++row)
        m_store.restore(row);
    if (hasData())
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    emitDateHeadersChanged();
}

void WorkTimePlanningModel::resetChanges()
{
    for (int row = 0; row < m_store.rowCount(); ++row) {
        if (m_store.row(row).hasChanges())
            m_history.aboutToEditRow(row);
    }
    rebuildAll();
}

void WorkTimePlanningModel::resetChanges(const QList<unsigned int>& uids)
{
    for (unsigned int uid : uids) {
        const int row = rowIndexForUid(uid, Q_FUNC_INFO);
        if (row < 0)
            continue;
        m_history.aboutToEditRow(row);
        m_store.restore(row);
        emitRowChanged(row);
    }
    emitDateHeadersChanged();
    emit workTimeEdited();
}

void WorkTimePlanningModel::resetChangeFlag()
{
    m_store.acceptChanges();
    m_history.clear();
    if (hasData())
        emit dataChanged(index(0, StateColumn), index(rowCount() - 1, NameColumn));
}

void WorkTimePlanningModel::setShiftForDate(unsigned int uid, const QDate& date, TYPE_ID shift)
{
    const int row = rowIndexForUid(uid, Q_FUNC_INFO);
    if (row < 0)
        return;
    if (m_store.row(row).hasFullDayReason(date, anyReason)) {
        qCDebug(lcWtPlanning) << Q_FUNC_INFO << "skip date by full reason" << uid << date;
        return;
    }
    if (!isDateEditable(uid, date)) {
        qCDebug(lcWtPlanning) << Q_FUNC_INFO << "skip date by not editable" << uid << date;
        return;
    }
    const int dayIndex = dayIndexByDate(date);
    if (dayIndex < 0 || dayIndex >= m_store.row(row).days().size()) {
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "wrong date" << uid << date;
        return;
    }

    const bool personal = isPersonalSchedule(uid);
    m_history.aboutToEditRow(row);
    m_store.setDayShift(row, date, shift, personal);
    qCDebug(lcWtPlanning) << Q_FUNC_INFO << "days" << uid << (personal ? "true" : "false")
                          << m_store.row(row).changes();

    emitDayEdited(row, dateToColumn(date));
}

void WorkTimePlanningModel::setObjectAbsenceReason(unsigned int uid, const _WORKER_ABSENCE_REASON_RECORD& record)
{
    const int row = rowIndexForUid(uid, Q_FUNC_INFO);
    if (row < 0)
        return;
    _WORKER_ABSENCE_REASON reasons = m_store.row(row).absenceReasons();
    reasons.records.append(record);
    setObjectAbsenceReasons(uid, reasons);
}

void WorkTimePlanningModel::setObjectAbsenceReasons(unsigned int uid, const _WORKER_ABSENCE_REASON& reasons)
{
    const int row = rowIndexForUid(uid, Q_FUNC_INFO);
    if (row < 0)
        return;
    m_history.aboutToEditRow(row);
    m_store.setAbsenceReasons(row, reasons);
    emitRowChanged(row);
    emitDateHeadersChanged();
    emit workTimeEdited();
}

void WorkTimePlanningModel::setObjectScheduleHistory(unsigned int uid, const WORKER_SCHEDULE_HISTORY_V2& history)
{
    const int row = rowIndexForUid(uid, Q_FUNC_INFO);
    if (row < 0)
        return;
    m_history.aboutToEditRow(row);
    m_store.setScheduleHistory(row, history);
    emitRowChanged(row);
    emitDateHeadersChanged();
    emit workTimeEdited();
}

void WorkTimePlanningModel::setWorkTimeData(unsigned int uid, const WorkTimeData& data)
{
    const int row = rowIndexForUid(uid, Q_FUNC_INFO);
    if (row < 0)
        return;
    m_history.aboutToEditRow(row);
    m_store.replaceRow(row, data);
    emitRowChanged(row);
    emitDateHeadersChanged();
    emit workTimeEdited();
}

void WorkTimePlanningModel::beginEditStep()
{
    ++m_stepDepth;
    m_history.beginStep();
}

void WorkTimePlanningModel::endEditStep()
{
    m_history.endStep();
    if (m_stepDepth == 0 || --m_stepDepth > 0 || m_stepRows.isEmpty())
        return;
    const QList<int> rows = m_stepRows.values();
    m_stepRows.clear();
    emitRowsChanged(rows);
    emitDateHeadersChanged();
    emit workTimeEdited();
}

bool WorkTimePlanningModel::undoEdit()
{
    return restoreEdits(m_history.takeUndo());
}

bool WorkTimePlanningModel::redoEdit()
{
    return restoreEdits(m_history.takeRedo());
}

bool WorkTimePlanningModel::restoreEdits(const WorkTimeEditHistory::RowSnapshots& rows)
{
    if (rows.isEmpty())
        return false;
    for (auto it = rows.cbegin(); it != rows.cend(); ++it)
        m_store.restoreEdits(it.key(), it.value());
    emitRowsChanged(rows.keys());
    emitDateHeadersChanged();
    emit workTimeEdited();
    return true;
}

void WorkTimePlanningModel::reloadAttached(unsigned int uid)
{
    // A department of the grid changed: the trips to it may have; its attached rows are read again.
    // By row, not by uid: an attached row carries the uid of the employee's home row.
    if (containsDepartment(uid) && !containsEmployee(uid)) {
        QList<int> attached;
        for (int row = 0; row < m_store.rowCount(); ++row) {
            if (m_store.row(row).isAttached())
                attached.append(row);
        }
        reloadAttachedRows(attached);
        return;
    }
    const int row = rowIndexForUid(uid, Q_FUNC_INFO);
    if (row >= 0)
        reloadAttachedRows({row});
}

void WorkTimePlanningModel::reloadAttached(const QList<unsigned int>& uids)
{
    QList<int> rows;
    for (unsigned int uid : uids) {
        const int row = objectIdToRow(uid);
        if (row >= 0)
            rows.append(row);
    }
    reloadAttachedRows(rows);
}

void WorkTimePlanningModel::reloadAttachedRows(const QList<int>& rows)
{
    if (rows.isEmpty())
        return;
    for (int row : rows)
        m_store.reloadAttached(row);
    const auto [first, last] = std::minmax_element(rows.cbegin(), rows.cend());
    emit dataChanged(index(*first, 0), index(*last, columnCount() - 1));
}

QList<ObjectInfo> WorkTimePlanningModel::attachedWorkers(unsigned int uid, const QDate& from, const QDate& to) const
{
    const WorkTimeData* row = rowForUid(uid, Q_FUNC_INFO, "employee not found");
    return row ? row->attachedWorkers(from, to) : QList<ObjectInfo>();
}

void WorkTimePlanningModel::emitRowChanged(int row, int firstColumn)
{
    emit dataChanged(index(row, firstColumn), index(row, columnCount() - 1));
}

void WorkTimePlanningModel::emitDayEdited(int row, int column)
{
    // Inside a step the views hear of its rows once, at its end: a month's paste edits thousands of days.
    if (m_stepDepth > 0) {
        m_stepRows.insert(row);
        return;
    }
    emit dataChanged(index(row, column), index(row, column));
    emit dataChanged(index(row, HoursColumn), index(row, HoursColumn));
    emit dataChanged(index(row, NameColumn), index(row, NameColumn));
    emit headerDataChanged(Qt::Horizontal, column, column);
    emit workTimeEdited();
}

void WorkTimePlanningModel::emitRowsChanged(QList<int> rows, int firstColumn)
{
    std::sort(rows.begin(), rows.end());
    for (int first = 0; first < rows.size();) {
        int last = first;
        while (last + 1 < rows.size() && rows.at(last + 1) <= rows.at(last) + 1)
            ++last;
        emit dataChanged(index(rows.at(first), firstColumn), index(rows.at(last), columnCount() - 1));
        first = last + 1;
    }
}

void WorkTimePlanningModel::emitDateHeadersChanged()
{
    if (daysCount() > 0)
        emit headerDataChanged(Qt::Horizontal, FirstDateColumn, columnCount() - 1);
}
