#include "attachworkerproxymodel.h"

#include "attachworkeritemmodel.h"
#include "localstorage.h"
#include "vocabulary.h"

AttachWorkerProxyModel::AttachWorkerProxyModel(QObject* parent) : QSortFilterProxyModel(parent)
{
    // Rows changed by a store notification move to their place at once.
    setDynamicSortFilter(true);
}

bool AttachWorkerProxyModel::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const
{
    if (!QSortFilterProxyModel::filterAcceptsRow(sourceRow, sourceParent))
        return false;
    const auto id = sourceModel()->index(sourceRow, 0, sourceParent).data(AttachWorkerItemModel::UidRole).toUInt();
    if (id == 0)
        return false;
    const orvanta::LocalStorage* store = orvanta::LocalStorage::instance();
    const orvanta::ObjectInfo trip = store->constObject(id, QLatin1String(orvanta::ATTACHED_WORKER_DATANAME));
    if (!trip.isValid())
        return false;
    const orvanta::TYPE_ID employee = AttachWorkerItemModel::employeeOf(trip);
    return employee != 0 && store->constObject(employee, QLatin1String(orvanta::SUBJECT_DATANAME)).isValid();
}
