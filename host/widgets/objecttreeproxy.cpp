#include "objecttreeproxy.h"

#include "localobjectmodel.h"
#include "localstorage.h"
#include "ovglobals.h"
#include "vocabulary.h"
#include "widgetslogging.h"

#include <algorithm>

using orvanta::TYPE_ID;

namespace {

QString key(const char* name)
{
    return QString::fromLatin1(name);
}

} // namespace

ObjectTreeProxy::ObjectTreeProxy(QObject* parent)
    : QSortFilterProxyModel(parent)
{
    setSortRole(NameRole);
    setSortLocaleAware(true);
    setSortCaseSensitivity(Qt::CaseInsensitive);
    setDynamicSortFilter(true);
}

void ObjectTreeProxy::setSourceModel(QAbstractItemModel* model)
{
    for (const QMetaObject::Connection& connection : qAsConst(m_sourceConnections))
        disconnect(connection);
    m_sourceConnections.clear();
    m_icons.clear();

    QSortFilterProxyModel::setSourceModel(model);
    if (model) {
        m_sourceConnections.append(connect(model, &QAbstractItemModel::rowsInserted, this,
                                           [this](const QModelIndex& parent) { sourceRowsInserted(parent); }));
        // Moved or changed objects may join a checked branch or leave the filters.
        m_sourceConnections.append(
            connect(model, &QAbstractItemModel::rowsMoved, this, &ObjectTreeProxy::normaliseChecks));
        m_sourceConnections.append(
            connect(model, &QAbstractItemModel::modelReset, this, &ObjectTreeProxy::normaliseChecks));
        m_sourceConnections.append(
            connect(model, &QAbstractItemModel::dataChanged, this, &ObjectTreeProxy::normaliseChecks));
        sort(0, Qt::AscendingOrder);
    }
    normaliseChecks();
}

void ObjectTreeProxy::setTypeFilter(const QStringList& types)
{
    if (types == m_typeFilter)
        return;
    m_typeFilter = types;
    itemFilterChanged();
}

void ObjectTreeProxy::setIdFilter(const QList<TYPE_ID>& ids)
{
    const QSet<TYPE_ID> filter(ids.cbegin(), ids.cend());
    if (filter == m_idFilter)
        return;
    m_idFilter = filter;
    invalidateFilter();
}

QList<TYPE_ID> ObjectTreeProxy::idFilter() const
{
    return QList<TYPE_ID>(m_idFilter.cbegin(), m_idFilter.cend());
}

void ObjectTreeProxy::setSearchEnabled(bool enabled)
{
    if (enabled == m_searchEnabled)
        return;
    m_searchEnabled = enabled;
    if (!m_searchText.isEmpty())
        invalidateFilter();
}

void ObjectTreeProxy::setSearchIndex(const QString& index)
{
    if (index == m_searchIndex)
        return;
    m_searchIndex = index;
    if (m_searchEnabled && !m_searchText.isEmpty())
        invalidateFilter();
}

void ObjectTreeProxy::setSearchText(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed == m_searchText)
        return;
    m_searchText = trimmed;
    if (m_searchEnabled)
        invalidateFilter();
}

void ObjectTreeProxy::setCheckedOnly(bool checkedOnly)
{
    if (checkedOnly == m_checkedOnly)
        return;
    m_checkedOnly = checkedOnly;
    invalidateFilter();
}

void ObjectTreeProxy::setCheckable(bool checkable)
{
    if (checkable == m_checkable)
        return;
    m_checkable = checkable;
    notifyCheckStates();
}

void ObjectTreeProxy::setReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
}

void ObjectTreeProxy::setUidEnabled(TYPE_ID uid, bool enabled)
{
    const bool changed = enabled ? m_disabled.remove(uid) : !m_disabled.contains(uid);
    if (!changed)
        return;
    if (!enabled)
        m_disabled.insert(uid);
    const QModelIndex index = indexForUid(uid);
    if (index.isValid())
        emit dataChanged(index, index.siblingAtColumn(columnCount(index.parent()) - 1));
}

QList<TYPE_ID> ObjectTreeProxy::checked() const
{
    QList<TYPE_ID> result;
    if (sourceModel() && !m_checked.isEmpty())
        collectChecked(QModelIndex(), result);
    return result;
}

void ObjectTreeProxy::setChecked(const QList<TYPE_ID>& uids)
{
    const QSet<TYPE_ID> before = m_checked;
    m_checked.clear();
    for (TYPE_ID uid : uids) {
        const QModelIndex sourceIndex = sourceIndexForUid(uid);
        if (sourceIndex.isValid()) {
            setBranchChecked(sourceIndex, true);
            updateAncestors(sourceIndex.parent());
        } else
            qCDebug(lcWidgets) << Q_FUNC_INFO << "unknown object not checked" << uid;
    }
    m_checked = normalisedChecks();
    checksChanged(before);
}

Qt::CheckState ObjectTreeProxy::checkState(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::Unchecked;
    const QModelIndex sourceIndex = mapToSource(index.siblingAtColumn(0));
    if (m_checked.contains(sourceUid(sourceIndex)))
        return Qt::Checked;
    return hasCheckedDescendant(sourceIndex) ? Qt::PartiallyChecked : Qt::Unchecked;
}

TYPE_ID ObjectTreeProxy::uid(const QModelIndex& index) const
{
    return index.isValid() ? sourceUid(mapToSource(index)) : 0;
}

QString ObjectTreeProxy::type(const QModelIndex& index) const
{
    return index.isValid() ? sourceType(mapToSource(index)) : QString();
}

QModelIndex ObjectTreeProxy::indexForUid(TYPE_ID uid) const
{
    return mapFromSource(sourceIndexForUid(uid));
}

QList<TYPE_ID> ObjectTreeProxy::childKeys(TYPE_ID uid) const
{
    QList<TYPE_ID> keys;
    const QModelIndex sourceIndex = sourceIndexForUid(uid);
    if (!sourceIndex.isValid())
        return keys;
    for (const QModelIndex& child : acceptedChildren(sourceIndex))
        keys.append(sourceUid(child));
    return keys;
}

orvanta::ObjectInfo ObjectTreeProxy::object(TYPE_ID uid) const
{
    return orvanta::LocalStorage::instance()->constObject(uid);
}

QVariant ObjectTreeProxy::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.column() != 0)
        return QSortFilterProxyModel::data(index, role);

    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole: {
        const QString name = OVGlobals::objectName(object(uid(index)));
        return name.isEmpty() ? QSortFilterProxyModel::data(index, role) : name;
    }
    case Qt::DecorationRole:
        return typeIcon(type(index));
    case Qt::CheckStateRole:
        return m_checkable ? QVariant(int(checkState(index))) : QVariant();
    default:
        return QSortFilterProxyModel::data(index, role);
    }
}

bool ObjectTreeProxy::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid())
        return false;
    if (role != Qt::CheckStateRole)
        return !m_readOnly && QSortFilterProxyModel::setData(index, value, role);

    if (!m_checkable || index.column() != 0 || !(flags(index) & Qt::ItemIsEnabled))
        return false;
    const bool checked = value.toInt() != Qt::Unchecked;
    const QModelIndex sourceIndex = mapToSource(index);
    const TYPE_ID uid = sourceUid(sourceIndex);
    if (checkState(index) == (checked ? Qt::Checked : Qt::Unchecked))
        return true;

    const QSet<TYPE_ID> before = m_checked;
    setBranchChecked(sourceIndex, checked);
    updateAncestors(sourceIndex.parent());
    qCDebug(lcWidgets) << Q_FUNC_INFO << "check" << uid << checked;
    emit changeCheckedStateUid(uid, checked);
    checksChanged(before);
    return true;
}

Qt::ItemFlags ObjectTreeProxy::flags(const QModelIndex& index) const
{
    Qt::ItemFlags result = QSortFilterProxyModel::flags(index);
    if (!index.isValid())
        return result;
    if (m_readOnly)
        result &= ~Qt::ItemIsEditable;
    if (m_disabled.contains(uid(index)))
        result &= ~(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    if (m_checkable && index.column() == 0)
        result |= Qt::ItemIsUserCheckable;
    return result;
}

bool ObjectTreeProxy::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const
{
    const QModelIndex sourceIndex = sourceModel()->index(sourceRow, 0, sourceParent);
    if (!acceptsItem(sourceIndex))
        return false;
    return !hasSelectionFilter() || matchesInBranch(sourceIndex);
}

bool ObjectTreeProxy::lessThan(const QModelIndex& left, const QModelIndex& right) const
{
    // Departments come before the employees of the same level, as in the org chart.
    const QString worker = key(db::orgstructure::WORKER);
    const bool leftWorker = sourceType(left) == worker;
    const bool rightWorker = sourceType(right) == worker;
    if (leftWorker != rightWorker)
        return rightWorker;
    return QSortFilterProxyModel::lessThan(left, right);
}

bool ObjectTreeProxy::acceptsItem(const QModelIndex& sourceIndex) const
{
    return m_typeFilter.isEmpty() || m_typeFilter.contains(sourceType(sourceIndex));
}

void ObjectTreeProxy::itemFilterChanged()
{
    normaliseChecks();
    invalidateFilter();
}

TYPE_ID ObjectTreeProxy::sourceUid(const QModelIndex& sourceIndex) const
{
    const QModelIndex first = sourceIndex.siblingAtColumn(0);
    const QVariant id = first.data(IdRole);
    return (id.isValid() ? id : first.data(Qt::DisplayRole)).toUInt();
}

QString ObjectTreeProxy::sourceType(const QModelIndex& sourceIndex) const
{
    const QVariant type = sourceIndex.siblingAtColumn(0).data(TypeRole);
    return type.isValid() ? type.toString() : sourceIndex.siblingAtColumn(1).data().toString();
}

QModelIndex ObjectTreeProxy::sourceIndexForUid(TYPE_ID uid) const
{
    if (!sourceModel() || uid == 0)
        return QModelIndex();
    if (const auto* localModel = qobject_cast<const orvanta::LocalObjectModel*>(sourceModel()))
        return localModel->indexOf(uid);
    const QModelIndexList found = sourceModel()->match(sourceModel()->index(0, 0), IdRole, uid, 1,
                                                       Qt::MatchExactly | Qt::MatchRecursive);
    return found.value(0);
}

QList<QModelIndex> ObjectTreeProxy::acceptedChildren(const QModelIndex& sourceParent) const
{
    QList<QModelIndex> children;
    const int rows = sourceModel()->rowCount(sourceParent);
    for (int row = 0; row < rows; ++row) {
        const QModelIndex child = sourceModel()->index(row, 0, sourceParent);
        if (acceptsItem(child))
            children.append(child);
    }
    return children;
}

bool ObjectTreeProxy::hasSelectionFilter() const
{
    return !m_idFilter.isEmpty() || (m_searchEnabled && !m_searchText.isEmpty()) || m_checkedOnly;
}

bool ObjectTreeProxy::matchesItem(const QModelIndex& sourceIndex) const
{
    const TYPE_ID uid = sourceUid(sourceIndex);
    if (!m_idFilter.isEmpty() && !m_idFilter.contains(uid))
        return false;
    if (m_checkedOnly && !m_checked.contains(uid))
        return false;
    return !m_searchEnabled || m_searchText.isEmpty() || matchesSearch(uid);
}

bool ObjectTreeProxy::matchesSearch(TYPE_ID uid) const
{
    const orvanta::ObjectInfo info = object(uid);
    if (OVGlobals::objectName(info).contains(m_searchText, Qt::CaseInsensitive))
        return true;
    if (m_searchIndex != QLatin1String(orvanta::ORGSTRUCTURE_DATANAME))
        return false;
    // Planners often know a person or a department by number rather than by name.
    for (const char* number : {db::subject::WORKERNUM, db::department::DEPARTNUM}) {
        if (info.property(key(number)).contains(m_searchText, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

bool ObjectTreeProxy::matchesInBranch(const QModelIndex& sourceIndex) const
{
    if (matchesItem(sourceIndex))
        return true;
    for (const QModelIndex& child : acceptedChildren(sourceIndex)) {
        if (matchesInBranch(child))
            return true;
    }
    return false;
}

bool ObjectTreeProxy::hasCheckedDescendant(const QModelIndex& sourceIndex) const
{
    if (m_checked.isEmpty())
        return false;
    for (const QModelIndex& child : acceptedChildren(sourceIndex)) {
        if (m_checked.contains(sourceUid(child)) || hasCheckedDescendant(child))
            return true;
    }
    return false;
}

QIcon ObjectTreeProxy::typeIcon(const QString& type) const
{
    if (type.isEmpty())
        return QIcon();
    auto cached = m_icons.find(type);
    if (cached == m_icons.end())
        cached = m_icons.insert(type, QIcon::fromTheme(QStringLiteral("object-") + type));
    return *cached;
}

void ObjectTreeProxy::setBranchChecked(const QModelIndex& sourceIndex, bool checked)
{
    const TYPE_ID uid = sourceUid(sourceIndex);
    if (checked)
        m_checked.insert(uid);
    else
        m_checked.remove(uid);
    for (const QModelIndex& child : acceptedChildren(sourceIndex))
        setBranchChecked(child, checked);
}

void ObjectTreeProxy::updateAncestors(QModelIndex sourceIndex)
{
    for (; sourceIndex.isValid(); sourceIndex = sourceIndex.parent()) {
        bool allChecked = true;
        for (const QModelIndex& child : acceptedChildren(sourceIndex))
            allChecked = allChecked && m_checked.contains(sourceUid(child));
        if (allChecked)
            m_checked.insert(sourceUid(sourceIndex));
        else
            m_checked.remove(sourceUid(sourceIndex));
    }
}

// A checked item spreads to its branch. Parents are not completed here: a department the
// user never checked as a whole stays partially checked when its other members go.
void ObjectTreeProxy::normaliseBranch(const QModelIndex& sourceIndex, bool forced, QSet<TYPE_ID>& result) const
{
    const TYPE_ID uid = sourceUid(sourceIndex);
    const bool checked = forced || m_checked.contains(uid);
    if (checked)
        result.insert(uid);
    for (const QModelIndex& child : acceptedChildren(sourceIndex))
        normaliseBranch(child, checked, result);
}

QSet<TYPE_ID> ObjectTreeProxy::normalisedChecks() const
{
    if (!sourceModel() || m_checked.isEmpty())
        return m_checked;
    // Ids the tree does not hold (yet) are kept: a store reload must not lose them.
    QSet<TYPE_ID> result = m_checked;
    QList<QModelIndex> pending{QModelIndex()};
    while (!pending.isEmpty()) {
        const QModelIndex parent = pending.takeLast();
        const int rows = sourceModel()->rowCount(parent);
        for (int row = 0; row < rows; ++row) {
            const QModelIndex child = sourceModel()->index(row, 0, parent);
            result.remove(sourceUid(child));
            pending.append(child);
        }
    }
    for (const QModelIndex& top : acceptedChildren(QModelIndex()))
        normaliseBranch(top, false, result);
    return result;
}

void ObjectTreeProxy::normaliseChecks()
{
    const QSet<TYPE_ID> before = m_checked;
    m_checked = normalisedChecks();
    checksChanged(before);
}

void ObjectTreeProxy::checksChanged(const QSet<TYPE_ID>& before)
{
    if (before == m_checked)
        return;
    if (m_checkedOnly)
        invalidateFilter();
    notifyCheckStates();
    emit checkedChanged();
}

void ObjectTreeProxy::notifyCheckStates(const QModelIndex& parent)
{
    const int rows = rowCount(parent);
    if (rows == 0)
        return;
    emit dataChanged(index(0, 0, parent), index(rows - 1, 0, parent), {Qt::CheckStateRole});
    for (int row = 0; row < rows; ++row)
        notifyCheckStates(index(row, 0, parent));
}

void ObjectTreeProxy::collectChecked(const QModelIndex& sourceParent, QList<TYPE_ID>& result) const
{
    // In the order the user sees, also for branches a search keeps hidden.
    QList<QModelIndex> children = acceptedChildren(sourceParent);
    if (sortColumn() == 0) {
        const bool ascending = sortOrder() == Qt::AscendingOrder;
        std::stable_sort(children.begin(), children.end(), [this, ascending](const QModelIndex& left,
                                                                             const QModelIndex& right) {
            return ascending ? lessThan(left, right) : lessThan(right, left);
        });
    }
    for (const QModelIndex& child : qAsConst(children)) {
        const TYPE_ID uid = sourceUid(child);
        if (m_checked.contains(uid))
            result.append(uid);
        collectChecked(child, result);
    }
}

void ObjectTreeProxy::sourceRowsInserted(const QModelIndex& sourceParent)
{
    // New employees of a checked department join its check.
    if (sourceParent.isValid() && m_checked.contains(sourceUid(sourceParent)))
        normaliseChecks();
}
