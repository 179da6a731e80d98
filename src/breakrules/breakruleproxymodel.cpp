#include "breakruleproxymodel.h"

#include "breakruleitemmodel.h"

BreakRuleProxyModel::BreakRuleProxyModel(QObject* parent) : QSortFilterProxyModel(parent)
{
    setSortRole(BreakRuleItemModel::SortRole);
    // Rows changed by a store notification move to their place at once.
    setDynamicSortFilter(true);
}
