#include "breakruleitemmodel.h"

#include "vocabulary.h"
#include "worktimeutils.h"
#include "wtplanninglogging.h"

namespace {

int seconds(const orvanta::ObjectInfo& object, const char* key)
{
    return object.property(QLatin1String(key)).toInt();
}

QDate validFrom(const orvanta::ObjectInfo& object)
{
    return QDate::fromString(object.property(QLatin1String(db::break_rule::DATE)), Qt::ISODate);
}

QString timeText(int seconds)
{
    return WorkTimeUtils::secondsToTime(seconds).toString(QStringLiteral("h:mm"));
}

} // namespace

BreakRuleItemModel::BreakRuleItemModel(QObject* parent) : QAbstractItemModel(parent) {}

void BreakRuleItemModel::setObjects(const OVHash<unsigned int, orvanta::ObjectInfo>& objects)
{
    beginResetModel();
    m_objects.clear();
    for (const orvanta::ObjectInfo& object : objects)
        m_objects.append(object);
    endResetModel();
}

int BreakRuleItemModel::addObject(const orvanta::ObjectInfo& object)
{
    const unsigned int existing = row(object.uid);
    if (existing != unsigned(-1)) {
        updateObject(int(existing), object);
        return int(existing);
    }
    const int last = m_objects.size();
    beginInsertRows(QModelIndex(), last, last);
    m_objects.append(object);
    endInsertRows();
    return last;
}

void BreakRuleItemModel::updateObject(int row, const orvanta::ObjectInfo& object)
{
    if (row < 0 || row >= m_objects.size()) {
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "wrong row" << row << object.uid;
        return;
    }
    m_objects[row] = object;
    emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

unsigned int BreakRuleItemModel::removeObject(int row)
{
    if (row < 0 || row >= m_objects.size())
        return unsigned(-1);
    beginRemoveRows(QModelIndex(), row, row);
    m_objects.removeAt(row);
    endRemoveRows();
    return unsigned(row);
}

void BreakRuleItemModel::removeObjectByUid(unsigned int uid)
{
    removeObject(int(row(uid)));
}

unsigned int BreakRuleItemModel::row(unsigned int uid) const
{
    for (int i = 0; i < m_objects.size(); ++i) {
        if (m_objects.at(i).uid == uid)
            return unsigned(i);
    }
    return unsigned(-1);
}

unsigned int BreakRuleItemModel::uid(int row) const
{
    return row >= 0 && row < m_objects.size() ? m_objects.at(row).uid : 0;
}

void BreakRuleItemModel::clear()
{
    beginResetModel();
    m_objects.clear();
    endResetModel();
}

QModelIndex BreakRuleItemModel::index(int row, int column, const QModelIndex& parent) const
{
    return hasIndex(row, column, parent) ? createIndex(row, column) : QModelIndex();
}

QModelIndex BreakRuleItemModel::parent(const QModelIndex&) const
{
    return QModelIndex();
}

int BreakRuleItemModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_objects.size();
}

int BreakRuleItemModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

Qt::ItemFlags BreakRuleItemModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled : Qt::NoItemFlags;
}

QVariant BreakRuleItemModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_objects.size())
        return QVariant();
    const orvanta::ObjectInfo& object = m_objects.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return display(object, index.column());
    case Qt::TextAlignmentRole:
        return int(Qt::AlignCenter);
    case UidRole:
        return object.uid;
    case SortRole:
        return sortValue(object, index.column());
    default:
        return QVariant();
    }
}

QVariant BreakRuleItemModel::display(const orvanta::ObjectInfo& object, int column) const
{
    switch (column) {
    case ShiftColumn:
        return QStringLiteral("%1-%2").arg(timeText(seconds(object, db::break_rule::TIME_FROM)),
                                           timeText(seconds(object, db::break_rule::TIME_TO)));
    case BreakColumn:
        return seconds(object, db::break_rule::BREAK_TIME);
    case DateColumn:
        return validFrom(object);
    default:
        return QVariant();
    }
}

QVariant BreakRuleItemModel::sortValue(const orvanta::ObjectInfo& object, int column) const
{
    if (column != ShiftColumn)
        return display(object, column);
    // Shorter shifts first; of the same lower bound, the narrower range first.
    return qint64(seconds(object, db::break_rule::TIME_FROM)) * 100000 + seconds(object, db::break_rule::TIME_TO);
}

QVariant BreakRuleItemModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractItemModel::headerData(section, orientation, role);
    switch (section) {
    case ShiftColumn:
        return tr("Продолжительность смены");
    case BreakColumn:
        return tr("Продолжительность перерыва");
    case DateColumn:
        return tr("Действует с");
    default:
        return QAbstractItemModel::headerData(section, orientation, role);
    }
}
