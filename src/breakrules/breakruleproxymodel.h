#pragma once

#include <QSortFilterProxyModel>

/// Sorts the register by the rules' numbers (shift range, break, date) rather than their texts.
class BreakRuleProxyModel : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    explicit BreakRuleProxyModel(QObject* parent = nullptr);
};
