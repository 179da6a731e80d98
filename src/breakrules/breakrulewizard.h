#pragma once

#include "breakrulefields.h"
#include "pagelistwizard.h"
#include "taskinfo.h"

class BreakRuleProgressWizardPage;
class BreakRuleSettingsWizardPage;
class BreakRuleTargetWizardPage;

/// Creates break rules: their shift ranges and breaks, then their targets, then one "save_object"
/// task per rule handed over through executeTask, with the progress page counting the replies.
class BreakRuleWizard : public PageListWizard
{
    Q_OBJECT

public:
    explicit BreakRuleWizard(QWidget* parent = nullptr);

    void setPreview(BreakRuleFields::Preview preview);
    BreakRuleSettingsWizardPage* settingsPage() const { return m_settingsPage; }
    BreakRuleTargetWizardPage* targetPage() const { return m_targetPage; }
    BreakRuleProgressWizardPage* progressPage() const { return m_progressPage; }
    /// The tasks prepareTask hands over for the pages' current input.
    QList<orvanta::TaskInfo> buildTasks() const;

public slots:
    void prepareTask();

signals:
    void executeTask(const orvanta::TaskInfo& task);

private:
    BreakRuleSettingsWizardPage* m_settingsPage;
    BreakRuleTargetWizardPage* m_targetPage;
    BreakRuleProgressWizardPage* m_progressPage;
};
