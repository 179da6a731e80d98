#pragma once

#include "orvantatypes.h"

#include <QWizardPage>

class GrantedProxyModel;
class QTreeView;
class SearchWidget;

/// First page of the trip wizard: the employee, picked in the organisation tree.
class AttachWorkerSelectWizardPage : public QWizardPage
{
    Q_OBJECT

public:
    explicit AttachWorkerSelectWizardPage(QWidget* parent = nullptr);

    /// The current employee, 0 when the current item is none or not an employee.
    orvanta::TYPE_ID uid() const;
    void setUid(orvanta::TYPE_ID uid);
    bool isComplete() const override;
    QTreeView* employeeView() const { return m_view; }

private:
    void search(const QString& text);

    SearchWidget* m_searchWidget;
    QTreeView* m_view;
    GrantedProxyModel* m_proxy;
};
