#include "grantedproxymodel.h"

#include "objecttreemodel.h"

using orvanta::TYPE_ID;

GrantedProxyModel::GrantedProxyModel(QObject* parent)
    : ObjectTreeProxy(parent)
{
}

void GrantedProxyModel::setGrantedIds(const QList<TYPE_ID>& ids)
{
    const QSet<TYPE_ID> granted(ids.cbegin(), ids.cend());
    if (granted == m_granted)
        return;
    m_granted = granted;
    itemFilterChanged();
}

QList<TYPE_ID> GrantedProxyModel::grantedIds() const
{
    return QList<TYPE_ID>(m_granted.cbegin(), m_granted.cend());
}

orvanta::ObjectInfo GrantedProxyModel::object(TYPE_ID uid) const
{
    if (const auto* tree = qobject_cast<const ObjectTreeModel*>(sourceModel()))
        return tree->info(uid);
    return ObjectTreeProxy::object(uid);
}

Qt::ItemFlags GrantedProxyModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags result = ObjectTreeProxy::flags(index);
    if (index.isValid() && !m_granted.isEmpty() && !isGranted(mapToSource(index)))
        result &= ~(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return result;
}

bool GrantedProxyModel::acceptsItem(const QModelIndex& sourceIndex) const
{
    if (!ObjectTreeProxy::acceptsItem(sourceIndex))
        return false;
    return m_granted.isEmpty() || isGranted(sourceIndex) || grantsBelow(sourceIndex);
}

bool GrantedProxyModel::isGranted(QModelIndex sourceIndex) const
{
    for (; sourceIndex.isValid(); sourceIndex = sourceIndex.parent()) {
        if (m_granted.contains(sourceUid(sourceIndex)))
            return true;
    }
    return false;
}

bool GrantedProxyModel::grantsBelow(const QModelIndex& sourceIndex) const
{
    const QAbstractItemModel* model = sourceIndex.model();
    const int rows = model->rowCount(sourceIndex.siblingAtColumn(0));
    for (int row = 0; row < rows; ++row) {
        const QModelIndex child = model->index(row, 0, sourceIndex.siblingAtColumn(0));
        // A path that leads only to filtered-out objects offers nothing to choose.
        if (ObjectTreeProxy::acceptsItem(child) && (m_granted.contains(sourceUid(child)) || grantsBelow(child)))
            return true;
    }
    return false;
}
