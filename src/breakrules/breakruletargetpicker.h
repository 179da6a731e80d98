#pragma once

#include <QList>
#include <QObject>
#include <QSet>

#include "orvantatypes.h"

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
    /// The objects the rule is for. Untouched ticks give back what setChecked was given; otherwise,
    /// for departments, the ticked ones whose parent is not ticked (the tree ticks a whole branch
    /// below a ticked department and a parent whose children are all ticked), and for employees
    /// the ticked employees.
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
    /// What setChecked was given, and the ticks it led to: a rule edited only in its break keeps its targets.
    QList<unsigned int> m_given;
    QSet<orvanta::TYPE_ID> m_givenTicks;
};
