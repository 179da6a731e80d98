#pragma once

#include "objectinfo.h"
#include "orvantatypes.h"
#include "ovwidgets_export.h"

#include <QAbstractItemModel>
#include <QHash>
#include <QIcon>
#include <QVector>

/// Tree over an object hash: every object under its parent, column 0 the id, column 1 the type.
///
/// Objects whose parent is missing (or whose parents form a cycle) are top-level rows.
/// Rows are ordered by id within their parent; sorting is left to a proxy.
class OVWIDGETS_EXPORT ObjectTreeModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    enum Role {
        IdRole = Qt::UserRole,
        TypeRole = Qt::UserRole + 1,
        NameRole = Qt::UserRole + 2,
    };

    explicit ObjectTreeModel(QObject* parent = nullptr);

    /// Adds the objects, replacing those already held under the same ids.
    void addObjects(const orvanta::OBJECT_HASH& objects);
    void clear();
    const orvanta::OBJECT_HASH& objects() const { return m_objects; }
    /// The object behind uid, an invalid one when the model does not hold it.
    orvanta::ObjectInfo info(orvanta::TYPE_ID uid) const { return m_objects.constValue(uid); }
    /// Column 0 of the object's row, invalid when unknown.
    QModelIndex indexOf(orvanta::TYPE_ID uid) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    void rebuild();
    orvanta::TYPE_ID placedParent(const orvanta::ObjectInfo& object) const;
    orvanta::TYPE_ID uidOf(const QModelIndex& index) const { return orvanta::TYPE_ID(index.internalId()); }
    QIcon typeIcon(const QString& type) const;

    orvanta::OBJECT_HASH m_objects;
    /// Where each object hangs; 0 is the top level.
    QHash<orvanta::TYPE_ID, orvanta::TYPE_ID> m_placedParent;
    /// Parent id (0: top level) -> child ids, ascending.
    QHash<orvanta::TYPE_ID, QVector<orvanta::TYPE_ID>> m_children;
    QHash<orvanta::TYPE_ID, int> m_row;
    mutable QHash<QString, QIcon> m_icons;
};
