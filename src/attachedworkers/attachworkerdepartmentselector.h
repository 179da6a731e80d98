#pragma once

#include "objectinfo.h"
#include "orvantatypes.h"

#include <QGroupBox>
#include <QSet>

class GrantedProxyModel;
class ObjectTreeModel;
class QTreeView;
class SearchWidget;

/// "Место командировки": the organisation's firms and departments with a search, where the trip's
/// department is chosen. The employee's own department and those below it are disabled.
class AttachWorkerDepartmentSelector : public QGroupBox
{
    Q_OBJECT

public:
    explicit AttachWorkerDepartmentSelector(QWidget* parent = nullptr);

    /// The departments of structure an employee cannot be sent to: his own and every one below it.
    static QSet<orvanta::TYPE_ID> disabledDepartments(orvanta::TYPE_ID employee, const orvanta::OBJECT_HASH& structure);

    /// Shows the organisation structure; the selector stays disabled until it arrives.
    void setOrgstructure(const orvanta::OBJECT_HASH& objects);
    void setEmployeeUid(orvanta::TYPE_ID employee);
    /// The current firm or department, 0 when none (or a disabled one) is current.
    orvanta::TYPE_ID departmentUid() const;
    /// The organisation structure's object of departmentUid().
    orvanta::ObjectInfo depinfo() const;
    /// Makes the department current and scrolls to it, once the structure is there; 0 clears the selection.
    void selectDepartment(orvanta::TYPE_ID department);

    GrantedProxyModel* proxy() const { return m_proxy; }
    QTreeView* view() const { return m_view; }

signals:
    void departmentChanged();

private:
    void search(const QString& text);
    void updateDisabledItems();
    void updateRootIndex();

    SearchWidget* m_searchWidget;
    QTreeView* m_view;
    ObjectTreeModel* m_model;
    GrantedProxyModel* m_proxy;
    orvanta::TYPE_ID m_employee = 0;
    orvanta::TYPE_ID m_department = 0;
    QSet<orvanta::TYPE_ID> m_disabled;
};
