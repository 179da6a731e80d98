#include "attachworkeritemmodel.h"

#include "ovglobals.h"
#include "vocabulary.h"
#include "wtplanninglogging.h"

#include <QDate>
#include <QIcon>

namespace {

QDate dateProperty(const orvanta::ObjectInfo& object, const char* key)
{
    return QDate::fromString(object.property(QLatin1String(key)), Qt::ISODate);
}

orvanta::TYPE_ID firstChild(const orvanta::ObjectInfo& trip, orvanta::TYPE_ID inheritType)
{
    const auto link = trip.children.constFind(inheritType);
    return link == trip.children.cend() ? 0 : link->child;
}

} // namespace

AttachWorkerItemModel::AttachWorkerItemModel(QObject* parent) : QAbstractItemModel(parent) {}

orvanta::TYPE_ID AttachWorkerItemModel::employeeOf(const orvanta::ObjectInfo& trip)
{
    return firstChild(trip, orvanta::INHERIT_ATTACHED_WORKER);
}

orvanta::TYPE_ID AttachWorkerItemModel::departmentOf(const orvanta::ObjectInfo& trip)
{
    return firstChild(trip, orvanta::INHERIT_ATTACHED_WORKER_DEPARTMENT);
}

void AttachWorkerItemModel::setObjects(const OVHash<orvanta::TYPE_ID, orvanta::ObjectInfo>& objects)
{
    beginResetModel();
    m_objects.clear();
    for (const orvanta::ObjectInfo& object : objects)
        m_objects.append(object);
    endResetModel();
}

int AttachWorkerItemModel::addObject(const orvanta::ObjectInfo& object)
{
    const int existing = row(object.uid);
    if (existing >= 0)
        return updateObject(existing, object);
    const int last = m_objects.size();
    beginInsertRows(QModelIndex(), last, last);
    m_objects.append(object);
    endInsertRows();
    return last;
}

int AttachWorkerItemModel::updateObject(int row, const orvanta::ObjectInfo& object)
{
    if (row < 0 || row >= m_objects.size()) {
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "wrong row" << row << object.uid;
        return -1;
    }
    m_objects[row] = object;
    emit dataChanged(index(row, EmployeeColumn), index(row, ColumnCount - 1));
    return row;
}

void AttachWorkerItemModel::removeObject(int row)
{
    if (row < 0 || row >= m_objects.size())
        return;
    beginRemoveRows(QModelIndex(), row, row);
    m_objects.removeAt(row);
    endRemoveRows();
}

void AttachWorkerItemModel::removeObjectByUid(orvanta::TYPE_ID uid)
{
    removeObject(row(uid));
}

int AttachWorkerItemModel::row(orvanta::TYPE_ID uid) const
{
    for (int i = 0; i < m_objects.size(); ++i) {
        if (m_objects.at(i).uid == uid)
            return i;
    }
    return -1;
}

orvanta::TYPE_ID AttachWorkerItemModel::uid(int row) const
{
    return row >= 0 && row < m_objects.size() ? m_objects.at(row).uid : 0;
}

void AttachWorkerItemModel::clear()
{
    beginResetModel();
    m_objects.clear();
    endResetModel();
}

QModelIndex AttachWorkerItemModel::index(int row, int column, const QModelIndex& parent) const
{
    return hasIndex(row, column, parent) ? createIndex(row, column) : QModelIndex();
}

QModelIndex AttachWorkerItemModel::parent(const QModelIndex&) const
{
    return QModelIndex();
}

int AttachWorkerItemModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_objects.size();
}

int AttachWorkerItemModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

Qt::ItemFlags AttachWorkerItemModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled : Qt::NoItemFlags;
}

QVariant AttachWorkerItemModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_objects.size())
        return QVariant();
    const orvanta::ObjectInfo& object = m_objects.at(index.row());
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
        if (column == EmployeeColumn)
            return OVGlobals::objectName(object);
        if (column == DepartmentColumn)
            return object.property(QLatin1String(db::attached_worker::DEPARTNAME));
        return dateProperty(object, column == BeginColumn ? db::attached_worker::DATE_BEGIN : db::attached_worker::DATE_END);
    case Qt::DecorationRole:
        if (column == EmployeeColumn)
            return QIcon::fromTheme(QStringLiteral("object-OT_WORKER"));
        if (column == DepartmentColumn)
            return QIcon::fromTheme(QStringLiteral("object-OT_DEPARTMENT"));
        return QVariant();
    case Qt::TextAlignmentRole:
        return column >= BeginColumn ? QVariant(int(Qt::AlignCenter)) : QVariant();
    case UidRole:
        return object.uid;
    default:
        return QVariant();
    }
}

QVariant AttachWorkerItemModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractItemModel::headerData(section, orientation, role);
    switch (section) {
    case EmployeeColumn:
        return tr("Сотрудник");
    case DepartmentColumn:
        return tr("В подразделение");
    case BeginColumn:
        return tr("С");
    case EndColumn:
        return tr("По");
    default:
        return QAbstractItemModel::headerData(section, orientation, role);
    }
}
