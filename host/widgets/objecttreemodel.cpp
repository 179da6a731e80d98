#include "objecttreemodel.h"

#include "ovglobals.h"
#include "widgetslogging.h"

#include <algorithm>

using orvanta::TYPE_ID;

ObjectTreeModel::ObjectTreeModel(QObject* parent)
    : QAbstractItemModel(parent)
{
}

void ObjectTreeModel::addObjects(const orvanta::OBJECT_HASH& objects)
{
    beginResetModel();
    for (auto it = objects.constBegin(); it != objects.constEnd(); ++it) {
        // Id 0 is the invisible root of every index, never an object.
        if (it.key() == 0)
            continue;
        orvanta::ObjectInfo& object = m_objects[it.key()];
        object = it.value();
        object.uid = it.key();
    }
    rebuild();
    endResetModel();
    qCDebug(lcWidgets) << Q_FUNC_INFO << "added" << objects.size() << "held" << m_objects.size();
}

void ObjectTreeModel::clear()
{
    beginResetModel();
    m_objects.clear();
    rebuild();
    endResetModel();
}

QModelIndex ObjectTreeModel::indexOf(TYPE_ID uid) const
{
    const auto row = m_row.constFind(uid);
    return row == m_row.constEnd() ? QModelIndex() : createIndex(row.value(), 0, quintptr(uid));
}

QModelIndex ObjectTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    if (!hasIndex(row, column, parent))
        return QModelIndex();
    return createIndex(row, column, quintptr(m_children.value(uidOf(parent)).at(row)));
}

QModelIndex ObjectTreeModel::parent(const QModelIndex& child) const
{
    return child.isValid() ? indexOf(m_placedParent.value(uidOf(child))) : QModelIndex();
}

int ObjectTreeModel::rowCount(const QModelIndex& parent) const
{
    if (parent.column() > 0)
        return 0;
    return m_children.value(parent.isValid() ? uidOf(parent) : 0).size();
}

int ObjectTreeModel::columnCount(const QModelIndex&) const
{
    return 2;
}

QVariant ObjectTreeModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return QVariant();
    const orvanta::ObjectInfo& object = m_objects.constValue(uidOf(index));
    switch (role) {
    case Qt::DisplayRole:
        return index.column() == 0 ? QVariant(object.uid) : QVariant(object.type);
    case IdRole:
        return index.column() == 0 ? QVariant(object.uid) : QVariant();
    case TypeRole:
        return object.type;
    case NameRole:
    case Qt::ToolTipRole:
        return OVGlobals::objectName(object);
    case Qt::DecorationRole:
        return index.column() == 0 ? QVariant(typeIcon(object.type)) : QVariant();
    default:
        return QVariant();
    }
}

QVariant ObjectTreeModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    if (section == 0)
        return QStringLiteral("id");
    return section == 1 ? QVariant(QStringLiteral("type")) : QVariant();
}

void ObjectTreeModel::rebuild()
{
    m_placedParent.clear();
    m_children.clear();
    m_row.clear();
    for (const orvanta::ObjectInfo& object : qAsConst(m_objects)) {
        const TYPE_ID parent = placedParent(object);
        m_placedParent.insert(object.uid, parent);
        m_children[parent].append(object.uid);
    }
    for (auto it = m_children.begin(); it != m_children.end(); ++it) {
        std::sort(it->begin(), it->end());
        for (int row = 0; row < it->size(); ++row)
            m_row.insert(it->at(row), row);
    }
}

TYPE_ID ObjectTreeModel::placedParent(const orvanta::ObjectInfo& object) const
{
    if (!m_objects.contains(object.parent))
        return 0;
    // The step limit ends the walk on a cycle that does not pass through this object.
    TYPE_ID ancestor = object.parent;
    for (int step = 0; ancestor != 0 && step <= m_objects.size(); ++step) {
        if (ancestor == object.uid) {
            qCDebug(lcWidgets) << Q_FUNC_INFO << "parent cycle, kept at top level" << object.uid;
            return 0;
        }
        ancestor = m_objects.constValue(ancestor).parent;
    }
    return ancestor == 0 ? object.parent : 0;
}

QIcon ObjectTreeModel::typeIcon(const QString& type) const
{
    if (type.isEmpty())
        return QIcon();
    auto cached = m_icons.find(type);
    if (cached == m_icons.end())
        cached = m_icons.insert(type, QIcon::fromTheme(QStringLiteral("object-") + type));
    return *cached;
}
