#pragma once

#include "objecttreeproxy.h"

/// Organisation tree proxy limited to the objects granted to the user, each with its branch.
///
/// The ancestors of a granted object stay as its path but cannot be chosen. Over an
/// ObjectTreeModel the names come from the model's objects, else from the local store.
class OVWIDGETS_EXPORT GrantedProxyModel : public ObjectTreeProxy
{
    Q_OBJECT

public:
    explicit GrantedProxyModel(QObject* parent = nullptr);

    /// Empty grants everything.
    void setGrantedIds(const QList<orvanta::TYPE_ID>& ids);
    QList<orvanta::TYPE_ID> grantedIds() const;

    orvanta::ObjectInfo object(orvanta::TYPE_ID uid) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

protected:
    bool acceptsItem(const QModelIndex& sourceIndex) const override;

private:
    bool isGranted(QModelIndex sourceIndex) const;
    bool grantsBelow(const QModelIndex& sourceIndex) const;

    QSet<orvanta::TYPE_ID> m_granted;
};
