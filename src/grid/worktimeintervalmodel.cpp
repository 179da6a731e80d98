#include "worktimeintervalmodel.h"

#include "wtplanninglogging.h"

using orvanta::SCHEDULE_CALENDAR_INTERVAL;

namespace {

constexpr int secondsPerDay = 86400;

} // namespace

WorkTimeIntervalModel::WorkTimeIntervalModel(QObject* parent)
    : QAbstractItemModel(parent)
{
}

QModelIndex WorkTimeIntervalModel::index(int row, int column, const QModelIndex& parent) const
{
    if (parent.isValid() || !isValidRow(row) || column < 0 || column >= ColumnCount)
        return QModelIndex();
    return createIndex(row, column);
}

QModelIndex WorkTimeIntervalModel::parent(const QModelIndex&) const
{
    return QModelIndex();
}

int WorkTimeIntervalModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_intervals.size();
}

int WorkTimeIntervalModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant WorkTimeIntervalModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || role != Qt::DisplayRole || !isValidRow(index.row()))
        return QVariant();
    const SCHEDULE_CALENDAR_INTERVAL& interval = m_intervals.at(index.row());
    switch (index.column()) {
    case StartColumn:
        return interval.start;
    case FinishColumn:
        return interval.finish;
    case HoursColumn:
        return interval.finish - interval.start + (interval.start > interval.finish ? secondsPerDay : 0);
    default:
        return QVariant();
    }
}

QVariant WorkTimeIntervalModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractItemModel::headerData(section, orientation, role);
    switch (section) {
    case StartColumn:
        return tr("Начало");
    case FinishColumn:
        return tr("Окончание");
    case HoursColumn:
        return tr("Часы");
    default:
        return QVariant();
    }
}

Qt::ItemFlags WorkTimeIntervalModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    const Qt::ItemFlags base = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    return index.column() == HoursColumn ? base : base | Qt::ItemIsEditable;
}

bool WorkTimeIntervalModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole || !isValidRow(index.row()) || index.column() == HoursColumn)
        return false;
    bool ok = false;
    const int seconds = value.toInt(&ok);
    if (!ok) {
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "wrong value" << value;
        return false;
    }
    SCHEDULE_CALENDAR_INTERVAL& interval = m_intervals[index.row()];
    if (index.column() == StartColumn)
        interval.start = seconds;
    else
        interval.finish = seconds;
    emit dataChanged(index, this->index(index.row(), HoursColumn), {Qt::DisplayRole});
    emit intervalChanged();
    return true;
}

void WorkTimeIntervalModel::setIntervals(const IntervalList& intervals)
{
    beginResetModel();
    m_intervals = intervals;
    endResetModel();
}

bool WorkTimeIntervalModel::insertInterval(int row, const SCHEDULE_CALENDAR_INTERVAL& interval)
{
    const int position = qBound(0, row, int(m_intervals.size()));
    beginInsertRows(QModelIndex(), position, position);
    SCHEDULE_CALENDAR_INTERVAL inserted = interval;
    inserted.order = position;
    m_intervals.insert(position, inserted);
    endInsertRows();
    emit intervalChanged();
    return true;
}

bool WorkTimeIntervalModel::removeInterval(int row)
{
    if (!isValidRow(row))
        return false;
    beginRemoveRows(QModelIndex(), row, row);
    m_intervals.removeAt(row);
    endRemoveRows();
    emit intervalChanged();
    return true;
}

bool WorkTimeIntervalModel::updateInterval(int row, const SCHEDULE_CALENDAR_INTERVAL& interval)
{
    if (!isValidRow(row))
        return false;
    m_intervals[row] = interval;
    m_intervals[row].order = row;
    emit dataChanged(index(row, StartColumn), index(row, HoursColumn), {Qt::DisplayRole});
    emit intervalChanged();
    return true;
}
