#pragma once

#include "objectinfo.h"
#include "ovhash.h"

#include <QAbstractItemModel>
#include <QList>

/// The break rules of the register, one row each in insertion order: the shift lengths, the break
/// (seconds, drawn as a duration) and the first day of validity.
class BreakRuleItemModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    enum Column { ShiftColumn = 0, BreakColumn = 1, DateColumn = 2, ColumnCount = 3 };
    enum Role {
        UidRole = Qt::UserRole + 1,
        /// Numbers the register sorts by: the shift range "4:00-8:00" must not sort as text.
        SortRole = Qt::UserRole + 2,
    };

    explicit BreakRuleItemModel(QObject* parent = nullptr);

    void setObjects(const OVHash<unsigned int, orvanta::ObjectInfo>& objects);
    /// Replaces the row of the same id, else appends; the row.
    int addObject(const orvanta::ObjectInfo& object);
    void updateObject(int row, const orvanta::ObjectInfo& object);
    /// The row removed, or unsigned -1 for an invalid row.
    unsigned int removeObject(int row);
    void removeObjectByUid(unsigned int uid);
    /// The row of uid, or unsigned -1.
    unsigned int row(unsigned int uid) const;
    /// The id of the row, 0 for an invalid row.
    unsigned int uid(int row) const;
    orvanta::ObjectInfo object(int row) const { return m_objects.value(row); }
    void clear();

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QVariant display(const orvanta::ObjectInfo& object, int column) const;
    QVariant sortValue(const orvanta::ObjectInfo& object, int column) const;

    QList<orvanta::ObjectInfo> m_objects;
};
