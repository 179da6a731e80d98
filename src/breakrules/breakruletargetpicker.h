#pragma once

#include <QList>
#include <QObject>

class QComboBox;
class WorkerHistoryPanelWidget;
class WorkerHistoryProxyModel;

/// The "Применить к" choice of the edit dialog and the wizard: the target type box and the checkable
/// organisation tree showing departments, or departments and employees.
class BreakRuleTargetPicker : public QObject
{
    Q_OBJECT

public:
    BreakRuleTargetPicker(QComboBox* typeBox, WorkerHistoryPanelWidget* tree, QObject* parent);

    /// db::break_rule::TYPE_DEPARTMENTS or TYPE_EMPLOYEES.
    int targetType() const;
    void setTargetType(int type);
    /// The checked objects; for employees only the employees among them, in the order checked.
    QList<unsigned int> selectedObjects() const;
    void setChecked(const QList<unsigned int>& ids);
    WorkerHistoryProxyModel* proxy() const { return m_proxy; }

public slots:
    void updateModelType();

signals:
    /// The type or a check changed: what selectedObjects() returns may have changed.
    void targetsChanged();

private:
    QComboBox* m_typeBox;
    WorkerHistoryPanelWidget* m_tree;
    WorkerHistoryProxyModel* m_proxy;
};
