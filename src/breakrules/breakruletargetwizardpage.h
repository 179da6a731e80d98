#pragma once

#include "breakrulefields.h"
#include "ovwizardpage.h"

class BreakRuleTargetPicker;
class QComboBox;
class QLabel;
class QTimer;
class WorkerHistoryPanelWidget;

/// Second page of the break-rule wizard: the departments or employees the new rules apply to,
/// and what the rules would change in the loaded plan. Leaving it forward queues the rules.
class BreakRuleTargetWizardPage : public OVWizardPage
{
    Q_OBJECT

public:
    explicit BreakRuleTargetWizardPage(QWidget* parent = nullptr);

    int targetType() const;
    QList<unsigned int> selectedObjects() const;
    bool isComplete() const override;
    bool validatePage() override;
    /// The rules the wizard is about to create, for the preview; they get the checked targets.
    void setPreview(BreakRuleFields::Preview preview, std::function<QList<orvanta::ObjectInfo>()> rules);
    BreakRuleTargetPicker* picker() const { return m_picker; }

public slots:
    void updateModelType();
    void updatePreview();

signals:
    void readyTask();

private:
    QComboBox* m_typeBox = nullptr;
    WorkerHistoryPanelWidget* m_targetWidget = nullptr;
    QLabel* m_previewLabel = nullptr;
    QTimer* m_previewTimer = nullptr;
    BreakRuleTargetPicker* m_picker = nullptr;
    BreakRuleFields::Preview m_preview;
    std::function<QList<orvanta::ObjectInfo>()> m_rules;
};
