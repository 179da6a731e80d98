#pragma once

#include "orvantatypes.h"
#include "ovsdk_export.h"

#include <QAbstractItemModel>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>

#include <memory>
#include <unordered_map>

namespace orvanta {

class LocalStorage;

/// Item model over the local store's objects: the organisation as a tree, other data names flat.
///
/// Column 0 shows the object id, column 1 its type; rows are ordered by id within their parent.
/// The store keeps it current through objectsChanged, objectsRemoved and reload.
class OVSDK_EXPORT LocalObjectModel : public QAbstractItemModel
{
    Q_OBJECT
public:
    enum Role {
        /// The object id on column 0 (Qt::UserRole).
        IdRole = Qt::UserRole,
        TypeRole = Qt::UserRole + 1,
        /// The object's display name, for sorting proxies.
        NameRole = Qt::UserRole + 2,
    };

    LocalObjectModel(const LocalStorage* storage, const QString& dataname, QObject* parent = nullptr);
    ~LocalObjectModel() override;

    QString dataname() const { return m_dataname; }
    bool isTree() const { return m_tree; }
    /// Whether changes of the table dataname concern this model.
    bool follows(const QString& dataname) const { return m_sources.contains(dataname); }
    /// Column 0 of the row of object id, invalid when the model has no such row.
    QModelIndex indexOf(TYPE_ID id) const;

    /// Rebuilds every row from the store (a model reset).
    void reload();
    /// The objects ids of table dataname were inserted or replaced in the store.
    void objectsChanged(const QString& dataname, const QList<TYPE_ID>& ids);
    /// The objects ids were removed from table dataname of the store.
    void objectsRemoved(const QString& dataname, const QList<TYPE_ID>& ids);

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    struct Node
    {
        TYPE_ID id = 0;
        /// The parent the object names; 0 in a flat model.
        TYPE_ID declaredParent = 0;
        /// Index into m_sources of the table the object comes from.
        int source = 0;
        QString type;
        Node* parent = nullptr;
        /// Ascending by id.
        QVector<Node*> children;
    };

    Node* nodeOf(const QModelIndex& index) const;
    Node* findNode(TYPE_ID id) const;
    QModelIndex indexOfNode(const Node* node) const;
    int rowOf(const Node* node) const;
    static int positionFor(const Node* parent, TYPE_ID id);
    Node* resolveParent(const Node* node) const;
    void insertNode(Node* node, Node* parent);
    void moveNode(Node* node, Node* parent);
    void removeNode(Node* node);
    void adoptOrphans(const Node* node);
    void registerOrphan(const Node* node);
    void unregisterOrphan(const Node* node);
    void clear();

    const LocalStorage* m_storage;
    QString m_dataname;
    QStringList m_sources;
    bool m_tree = false;
    Node m_root;
    std::unordered_map<TYPE_ID, std::unique_ptr<Node>> m_nodes;
    /// Missing (or cyclic) parent id -> ids of the top-level rows waiting for it.
    QHash<TYPE_ID, QSet<TYPE_ID>> m_orphans;
};

} // namespace orvanta
