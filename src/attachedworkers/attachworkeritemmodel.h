#pragma once

#include "objectinfo.h"
#include "ovhash.h"

#include <QAbstractItemModel>
#include <QList>

/// The internal business trips of the register, one row each in insertion order: the employee,
/// the host department and the first and last day.
class AttachWorkerItemModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    enum Column { EmployeeColumn = 0, DepartmentColumn = 1, BeginColumn = 2, EndColumn = 3, ColumnCount = 4 };
    enum Role { UidRole = Qt::UserRole + 1 };

    explicit AttachWorkerItemModel(QObject* parent = nullptr);

    void setObjects(const OVHash<orvanta::TYPE_ID, orvanta::ObjectInfo>& objects);
    /// Replaces the row of the same id, else appends; the row.
    int addObject(const orvanta::ObjectInfo& object);
    /// The row, or -1 when it is out of range.
    int updateObject(int row, const orvanta::ObjectInfo& object);
    void removeObject(int row);
    void removeObjectByUid(orvanta::TYPE_ID uid);
    /// The row of uid, or -1.
    int row(orvanta::TYPE_ID uid) const;
    /// The id of the row, 0 for an invalid row.
    orvanta::TYPE_ID uid(int row) const;
    orvanta::ObjectInfo object(int row) const { return m_objects.value(row); }
    void clear();

    /// The employee a trip sends, 0 when it has no such link.
    static orvanta::TYPE_ID employeeOf(const orvanta::ObjectInfo& trip);
    /// The department a trip goes to, 0 when it has no such link.
    static orvanta::TYPE_ID departmentOf(const orvanta::ObjectInfo& trip);

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QList<orvanta::ObjectInfo> m_objects;
};
