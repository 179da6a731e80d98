#pragma once

#include "objectinfo.h"
#include "orvantatypes.h"
#include "ovwidgets_export.h"

#include <QHash>
#include <QIcon>
#include <QList>
#include <QSet>
#include <QSortFilterProxyModel>
#include <QStringList>

/// Proxy over an organisation tree: object names and type icons instead of ids, filters, checks.
///
/// The source gives the object id on column 0 (Qt::UserRole, else the display value) and
/// the type under Qt::UserRole + 1 (else column 1). Checking an item checks everything
/// under it; an item whose children are all checked is checked, one with only some
/// checked shows as partially checked. Search and id filters keep the ancestors of
/// matching items; item filters (types) hide an item with its whole branch.
class OVWIDGETS_EXPORT ObjectTreeProxy : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    enum Role {
        IdRole = Qt::UserRole,
        TypeRole = Qt::UserRole + 1,
        NameRole = Qt::UserRole + 2,
    };

    explicit ObjectTreeProxy(QObject* parent = nullptr);

    void setSourceModel(QAbstractItemModel* sourceModel) override;

    /// Object types shown; empty shows every type.
    void setTypeFilter(const QStringList& types);
    QStringList typeFilter() const { return m_typeFilter; }
    /// Shows only these objects and their ancestors; empty shows everything.
    void setIdFilter(const QList<orvanta::TYPE_ID>& ids);
    QList<orvanta::TYPE_ID> idFilter() const;

    void setSearchEnabled(bool enabled);
    bool isSearchEnabled() const { return m_searchEnabled; }
    /// Which fields are searched: the name always, for "orgstructure" also the personnel
    /// and department numbers.
    void setSearchIndex(const QString& index);
    QString searchIndex() const { return m_searchIndex; }
    /// Case-insensitive part of a searched field; empty shows everything.
    void setSearchText(const QString& text);
    QString searchText() const { return m_searchText; }

    /// Shows only checked items and the branches leading to them.
    void setCheckedOnly(bool checkedOnly);
    bool isCheckedOnly() const { return m_checkedOnly; }

    void setCheckable(bool checkable);
    bool isCheckable() const { return m_checkable; }
    /// Refuses edits of the items; checking stays possible.
    void setReadOnly(bool readOnly);
    bool isReadOnly() const { return m_readOnly; }
    /// A disabled object is shown but can be neither selected nor checked.
    void setUidEnabled(orvanta::TYPE_ID uid, bool enabled);
    bool isUidEnabled(orvanta::TYPE_ID uid) const { return !m_disabled.contains(uid); }

    /// Checked objects present in the tree, in display order (parents before children).
    QList<orvanta::TYPE_ID> checked() const;
    /// Replaces the checked set as if the user checked uids one by one;
    /// emits checkedChanged when the set changed, never changeCheckedStateUid.
    void setChecked(const QList<orvanta::TYPE_ID>& uids);
    bool isChecked(orvanta::TYPE_ID uid) const { return m_checked.contains(uid); }
    Qt::CheckState checkState(const QModelIndex& index) const;

    orvanta::TYPE_ID uid(const QModelIndex& index) const;
    QString type(const QModelIndex& index) const;
    /// Column 0 of the object's row, invalid when the object is filtered out or unknown.
    QModelIndex indexForUid(orvanta::TYPE_ID uid) const;
    /// Ids of the object's children that the item filters let through, in source order.
    QList<orvanta::TYPE_ID> childKeys(orvanta::TYPE_ID uid) const;
    /// The object behind a row; the local store's by default.
    virtual orvanta::ObjectInfo object(orvanta::TYPE_ID uid) const;

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    /// The user checked or unchecked uid (one signal per action, not per spread item).
    void changeCheckedStateUid(unsigned int uid, bool checked);
    /// The checked set changed, whatever the reason.
    void checkedChanged();

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

    /// Whether the item filters let the source item through; a refused item hides its branch.
    virtual bool acceptsItem(const QModelIndex& sourceIndex) const;
    /// Call when the outcome of acceptsItem changes: refilters and re-spreads the checks.
    void itemFilterChanged();

    orvanta::TYPE_ID sourceUid(const QModelIndex& sourceIndex) const;
    QString sourceType(const QModelIndex& sourceIndex) const;

private:
    QModelIndex sourceIndexForUid(orvanta::TYPE_ID uid) const;
    QList<QModelIndex> acceptedChildren(const QModelIndex& sourceParent) const;
    bool hasSelectionFilter() const;
    bool matchesItem(const QModelIndex& sourceIndex) const;
    bool matchesSearch(orvanta::TYPE_ID uid) const;
    bool matchesInBranch(const QModelIndex& sourceIndex) const;
    bool hasCheckedDescendant(const QModelIndex& sourceIndex) const;
    QIcon typeIcon(const QString& type) const;

    void setBranchChecked(const QModelIndex& sourceIndex, bool checked);
    void updateAncestors(QModelIndex sourceIndex);
    void normaliseBranch(const QModelIndex& sourceIndex, bool forced, QSet<orvanta::TYPE_ID>& result) const;
    QSet<orvanta::TYPE_ID> normalisedChecks() const;
    void normaliseChecks();
    void checksChanged(const QSet<orvanta::TYPE_ID>& before);
    void notifyCheckStates(const QModelIndex& parent = QModelIndex());
    void collectChecked(const QModelIndex& sourceParent, QList<orvanta::TYPE_ID>& result) const;
    void sourceRowsInserted(const QModelIndex& sourceParent);

    QStringList m_typeFilter;
    QSet<orvanta::TYPE_ID> m_idFilter;
    bool m_searchEnabled = false;
    QString m_searchIndex;
    QString m_searchText;
    bool m_checkedOnly = false;
    bool m_checkable = false;
    bool m_readOnly = false;
    QSet<orvanta::TYPE_ID> m_disabled;
    QSet<orvanta::TYPE_ID> m_checked;
    mutable QHash<QString, QIcon> m_icons;
    QList<QMetaObject::Connection> m_sourceConnections;
};
