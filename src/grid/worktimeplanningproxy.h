#pragma once

#include <QSortFilterProxyModel>

/// Sorts the planning grid; equal values fall back to the name, then the uid, so
/// the order never depends on the order of intake.
class WorkTimePlanningProxy : public QSortFilterProxyModel
{
    Q_OBJECT
public:
    explicit WorkTimePlanningProxy(QObject* parent = nullptr);

protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;
};
