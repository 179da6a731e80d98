#pragma once

#include "breakrulefields.h"
#include "taskinfo.h"

#include <QModelIndexList>
#include <QObject>
#include <QPointer>

class BreakRuleInfoWidget;
class BreakRuleItemModel;
class BreakRuleProxyModel;
class HiddenPanel;
class QAction;
class QTableView;
class WorkTimePlanningModel;

/// The «Время обеда» page: the rule list following the local store, its property panel, and
/// the add, edit and delete actions, gated by the user's roles. Writes leave through executeTask.
class BreakRuleRegister : public QObject
{
    Q_OBJECT

public:
    struct Actions
    {
        QAction* add = nullptr;
        QAction* edit = nullptr;
        QAction* remove = nullptr;
    };

    BreakRuleRegister(QTableView* view, HiddenPanel* panel, const Actions& actions, QWidget* window);

    BreakRuleItemModel* model() const { return m_model; }
    BreakRuleProxyModel* proxy() const { return m_proxy; }
    BreakRuleInfoWidget* infoWidget() const { return m_infoWidget; }
    /// How the edit dialog and the wizard describe a change's effect on the loaded plan.
    void setPreview(BreakRuleFields::Preview preview) { m_preview = std::move(preview); }
    /// The dialog and the wizard show what a change does to the month this grid holds.
    void setPlanningModel(WorkTimePlanningModel* model);
    /// Distinct ids of the selected rows, in selection order.
    QList<unsigned int> selectedIds() const;

public slots:
    void initModels();
    void initPanel();
    void updateEnables();
    void updateInfo();
    void addRule();
    void editRule();
    void removeRules();
    void localDataChanged(const QString& dataname, const QList<unsigned int>& ids);
    void localDataRemoved(const QString& dataname, const QList<unsigned int>& ids);

signals:
    void executeTask(const orvanta::TaskInfo& task);

private:
    QModelIndexList selectedRows() const;

    QTableView* m_view;
    HiddenPanel* m_panel;
    Actions m_actions;
    QPointer<QWidget> m_window;
    BreakRuleItemModel* m_model = nullptr;
    BreakRuleProxyModel* m_proxy = nullptr;
    BreakRuleInfoWidget* m_infoWidget = nullptr;
    BreakRuleFields::Preview m_preview;
};
