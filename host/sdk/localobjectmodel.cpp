#include "localobjectmodel.h"

#include "localstorage.h"
#include "ovglobals.h"
#include "sdklogging.h"
#include "vocabulary.h"

#include <algorithm>

namespace orvanta {

LocalObjectModel::LocalObjectModel(const LocalStorage* storage, const QString& dataname, QObject* parent)
    : QAbstractItemModel(parent)
    , m_storage(storage)
    , m_dataname(dataname)
    , m_tree(dataname == QLatin1String(ORGSTRUCTURE_DATANAME))
{
    // Employees live in their own table but hang under their departments.
    if (m_tree)
        m_sources = QStringList{QString::fromLatin1(ORGSTRUCTURE_DATANAME), QString::fromLatin1(SUBJECT_DATANAME)};
    else
        m_sources = QStringList{dataname};
    reload();
}

LocalObjectModel::~LocalObjectModel() = default;

QModelIndex LocalObjectModel::indexOf(TYPE_ID id) const
{
    const Node* node = findNode(id);
    return node ? indexOfNode(node) : QModelIndex();
}

void LocalObjectModel::reload()
{
    beginResetModel();
    clear();
    for (int source = 0; source < m_sources.size(); ++source) {
        const OBJECT_HASH* table = m_storage->constObjects(m_sources.at(source));
        if (!table)
            continue;
        m_nodes.reserve(m_nodes.size() + size_t(table->size()));
        for (auto it = table->constBegin(); it != table->constEnd(); ++it) {
            std::unique_ptr<Node>& slot = m_nodes[it.key()];
            if (slot) {
                qCDebug(lcLocalStorage) << Q_FUNC_INFO << "object in two tables, first kept" << it.key();
                continue;
            }
            slot = std::make_unique<Node>();
            slot->id = it.key();
            slot->declaredParent = m_tree ? it->parent : 0;
            slot->source = source;
            slot->type = it->type;
        }
    }

    // Attached only once every node exists, so the order of the tables does not matter;
    // resolveParent sees the partial tree and so refuses the link that would close a cycle.
    for (auto& entry : m_nodes) {
        Node* node = entry.second.get();
        Node* parent = resolveParent(node);
        node->parent = parent;
        parent->children.append(node);
    }
    const auto byId = [](const Node* left, const Node* right) { return left->id < right->id; };
    std::sort(m_root.children.begin(), m_root.children.end(), byId);
    for (auto& entry : m_nodes) {
        Node* node = entry.second.get();
        std::sort(node->children.begin(), node->children.end(), byId);
        registerOrphan(node);
    }
    endResetModel();
    qCDebug(lcLocalStorage) << Q_FUNC_INFO << "reloaded" << m_dataname << m_nodes.size();
}

void LocalObjectModel::objectsChanged(const QString& dataname, const QList<TYPE_ID>& ids)
{
    const int source = m_sources.indexOf(dataname);
    const OBJECT_HASH* table = m_storage->constObjects(dataname);
    if (source < 0 || !table)
        return;

    for (TYPE_ID id : ids) {
        const auto object = table->constFind(id);
        if (object == table->constEnd())
            continue;
        Node* node = findNode(id);
        if (node && node->source != source) {
            qCDebug(lcLocalStorage) << Q_FUNC_INFO << "object in two tables, first kept" << id;
            continue;
        }
        const TYPE_ID declaredParent = m_tree ? object->parent : 0;
        if (!node) {
            auto created = std::make_unique<Node>();
            node = created.get();
            node->id = id;
            node->declaredParent = declaredParent;
            node->source = source;
            node->type = object->type;
            m_nodes.emplace(id, std::move(created));
            insertNode(node, resolveParent(node));
        } else {
            unregisterOrphan(node);
            node->declaredParent = declaredParent;
            Node* parent = resolveParent(node);
            if (parent != node->parent)
                moveNode(node, parent);
            node->type = object->type;
            const QModelIndex first = indexOfNode(node);
            emit dataChanged(first, first.siblingAtColumn(columnCount() - 1));
        }
        registerOrphan(node);
        adoptOrphans(node);
    }
}

void LocalObjectModel::objectsRemoved(const QString& dataname, const QList<TYPE_ID>& ids)
{
    const int source = m_sources.indexOf(dataname);
    if (source < 0)
        return;

    for (TYPE_ID id : ids) {
        Node* node = findNode(id);
        if (!node || node->source != source)
            continue;
        // The children are still in the store: they wait at the top level for their parent to return.
        const QVector<Node*> children = node->children;
        for (Node* child : children) {
            moveNode(child, &m_root);
            registerOrphan(child);
        }
        unregisterOrphan(node);
        removeNode(node);
    }
}

QModelIndex LocalObjectModel::index(int row, int column, const QModelIndex& parent) const
{
    if (!hasIndex(row, column, parent))
        return QModelIndex();
    const Node* parentNode = parent.isValid() ? nodeOf(parent) : &m_root;
    return createIndex(row, column, parentNode->children.at(row));
}

QModelIndex LocalObjectModel::parent(const QModelIndex& child) const
{
    if (!child.isValid())
        return QModelIndex();
    return indexOfNode(nodeOf(child)->parent);
}

int LocalObjectModel::rowCount(const QModelIndex& parent) const
{
    if (parent.column() > 0)
        return 0;
    const Node* node = parent.isValid() ? nodeOf(parent) : &m_root;
    return node->children.size();
}

int LocalObjectModel::columnCount(const QModelIndex&) const
{
    return 2;
}

QVariant LocalObjectModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return QVariant();
    const Node* node = nodeOf(index);
    switch (role) {
    case Qt::DisplayRole:
        return index.column() == 0 ? QVariant(node->id) : QVariant(node->type);
    case IdRole:
        return index.column() == 0 ? QVariant(node->id) : QVariant();
    case TypeRole:
        return node->type;
    case NameRole: {
        const OBJECT_HASH* table = m_storage->constObjects(m_sources.at(node->source));
        return table ? OVGlobals::objectName(table->constValue(node->id)) : QString();
    }
    default:
        return QVariant();
    }
}

QVariant LocalObjectModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    switch (section) {
    case 0:
        return QStringLiteral("id");
    case 1:
        return QStringLiteral("type");
    default:
        return QVariant();
    }
}

LocalObjectModel::Node* LocalObjectModel::nodeOf(const QModelIndex& index) const
{
    return static_cast<Node*>(index.internalPointer());
}

LocalObjectModel::Node* LocalObjectModel::findNode(TYPE_ID id) const
{
    const auto it = m_nodes.find(id);
    return it == m_nodes.end() ? nullptr : it->second.get();
}

QModelIndex LocalObjectModel::indexOfNode(const Node* node) const
{
    if (!node || node == &m_root)
        return QModelIndex();
    return createIndex(rowOf(node), 0, const_cast<Node*>(node));
}

int LocalObjectModel::positionFor(const Node* parent, TYPE_ID id)
{
    const auto position = std::lower_bound(parent->children.cbegin(), parent->children.cend(), id,
                                           [](const Node* node, TYPE_ID value) { return node->id < value; });
    return int(position - parent->children.cbegin());
}

int LocalObjectModel::rowOf(const Node* node) const
{
    return positionFor(node->parent, node->id);
}

LocalObjectModel::Node* LocalObjectModel::resolveParent(const Node* node) const
{
    Node* root = const_cast<Node*>(&m_root);
    if (!m_tree || node->declaredParent == 0)
        return root;
    Node* parent = findNode(node->declaredParent);
    if (!parent)
        return root;
    for (const Node* ancestor = parent; ancestor && ancestor != &m_root; ancestor = ancestor->parent) {
        if (ancestor == node) {
            qCDebug(lcLocalStorage) << Q_FUNC_INFO << "parent cycle, kept at top level" << node->id;
            return root;
        }
    }
    return parent;
}

void LocalObjectModel::insertNode(Node* node, Node* parent)
{
    const int row = positionFor(parent, node->id);
    beginInsertRows(indexOfNode(parent), row, row);
    parent->children.insert(row, node);
    node->parent = parent;
    endInsertRows();
}

void LocalObjectModel::moveNode(Node* node, Node* parent)
{
    Node* from = node->parent;
    if (from == parent)
        return;
    const int fromRow = rowOf(node);
    const int toRow = positionFor(parent, node->id);
    if (!beginMoveRows(indexOfNode(from), fromRow, fromRow, indexOfNode(parent), toRow)) {
        qCWarning(lcLocalStorage) << Q_FUNC_INFO << "move refused" << node->id << parent->id;
        return;
    }
    from->children.removeAt(fromRow);
    parent->children.insert(toRow, node);
    node->parent = parent;
    endMoveRows();
}

void LocalObjectModel::removeNode(Node* node)
{
    Node* parent = node->parent;
    const int row = rowOf(node);
    beginRemoveRows(indexOfNode(parent), row, row);
    parent->children.removeAt(row);
    endRemoveRows();
    m_nodes.erase(node->id);
}

void LocalObjectModel::adoptOrphans(const Node* node)
{
    const auto waiting = m_orphans.constFind(node->id);
    if (waiting == m_orphans.constEnd())
        return;
    // A copy: moving an orphan changes the registry.
    const QSet<TYPE_ID> orphanIds = waiting.value();
    for (TYPE_ID id : orphanIds) {
        Node* orphan = findNode(id);
        if (!orphan || orphan->parent != &m_root)
            continue;
        Node* parent = resolveParent(orphan);
        if (parent == &m_root)
            continue;
        unregisterOrphan(orphan);
        moveNode(orphan, parent);
    }
}

void LocalObjectModel::registerOrphan(const Node* node)
{
    if (m_tree && node->declaredParent != 0 && node->parent == &m_root)
        m_orphans[node->declaredParent].insert(node->id);
}

void LocalObjectModel::unregisterOrphan(const Node* node)
{
    const auto waiting = m_orphans.find(node->declaredParent);
    if (waiting == m_orphans.end())
        return;
    waiting->remove(node->id);
    if (waiting->isEmpty())
        m_orphans.erase(waiting);
}

void LocalObjectModel::clear()
{
    m_root.children.clear();
    m_orphans.clear();
    m_nodes.clear();
}

} // namespace orvanta
