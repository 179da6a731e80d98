#pragma once

#include "orvantatypes.h"

#include <QWidgetAction>

class QComboBox;
class QSortFilterProxyModel;
class WorkTimePlanningModel;

/// The tool bar's department list: narrows the planning grid to the rows of one of its departments
/// through the sort proxy's filter, and its totals to theirs, without loading anything again.
class WorkTimeDepartmentChooser : public QWidgetAction
{
    Q_OBJECT
public:
    WorkTimeDepartmentChooser(WorkTimePlanningModel* model, QSortFilterProxyModel* proxy, QObject* parent = nullptr);

    /// The department the grid is narrowed to; 0 for all of them.
    orvanta::TYPE_ID department() const;
    /// Narrows the grid to department's rows; 0, or a department without rows, shows them all.
    void setDepartment(orvanta::TYPE_ID department);
    QComboBox* comboBox() const { return m_combo; }

signals:
    /// The grid, its header and its totals show another department now (0 for all).
    void departmentChanged(orvanta::TYPE_ID department);

private:
    /// The departments of the newly loaded rows; the chosen one stays chosen while it has rows.
    void refill();
    void narrow(int index);

    WorkTimePlanningModel* m_model;
    QSortFilterProxyModel* m_proxy;
    QComboBox* m_combo;
};
