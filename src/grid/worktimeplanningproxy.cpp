#include "worktimeplanningproxy.h"

#include "worktimeplanningmodel.h"

WorkTimePlanningProxy::WorkTimePlanningProxy(QObject* parent) : QSortFilterProxyModel(parent) {}

bool WorkTimePlanningProxy::lessThan(const QModelIndex& left, const QModelIndex& right) const
{
    const QVariant leftValue = left.data(sortRole());
    const QVariant rightValue = right.data(sortRole());
    if (leftValue != rightValue)
        return QSortFilterProxyModel::lessThan(left, right);

    if (left.column() != WorkTimePlanningModel::NameColumn) {
        const QString leftName = left.sibling(left.row(), WorkTimePlanningModel::NameColumn).data().toString();
        const QString rightName = right.sibling(right.row(), WorkTimePlanningModel::NameColumn).data().toString();
        const int order = isSortLocaleAware() ? leftName.localeAwareCompare(rightName)
                                              : leftName.compare(rightName, sortCaseSensitivity());
        if (order != 0)
            return order < 0;
    }
    return left.data(WorkTimePlanningModel::UidRole).toUInt() < right.data(WorkTimePlanningModel::UidRole).toUInt();
}
