#pragma once

#include <QSortFilterProxyModel>

/// The register's name filter; it also hides trips the local store does not hold and trips of
/// employees the user cannot see.
class AttachWorkerProxyModel : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    explicit AttachWorkerProxyModel(QObject* parent = nullptr);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
};
