#pragma once

#include "objectinfo.h"
#include "orvantatypes.h"
#include "pagelistwizard.h"
#include "taskinfo.h"

class AttachWorkerFields;
class AttachWorkerProgressWizardPage;
class AttachWorkerSelectWizardPage;
class AttachWorkerSettingsWizardPage;

/// Creates an internal business trip: the employee (skipped when known), the dates and the host
/// department, then one "save_object" task handed over through executeTask.
class AttachWorkerWizard : public PageListWizard
{
    Q_OBJECT

public:
    enum PageId { EmployeePage = 0, SettingsPage = 1, ProgressPage = 2 };

    explicit AttachWorkerWizard(QWidget* parent = nullptr);

    /// Starts the wizard on the settings page for this employee.
    void setEmployeeUid(orvanta::TYPE_ID employee);
    orvanta::TYPE_ID employeeUid() const;
    void setOrgstructure(const orvanta::OBJECT_HASH& objects);
    AttachWorkerFields* fields() const;
    AttachWorkerSelectWizardPage* employeePage() const { return m_employeePage; }
    AttachWorkerSettingsWizardPage* settingsPage() const { return m_settingsPage; }
    AttachWorkerProgressWizardPage* progressPage() const { return m_progressPage; }

public slots:
    void pageChanged(int id);
    void prepareTask();

signals:
    void executeTask(const orvanta::TaskInfo& task);

private:
    AttachWorkerSelectWizardPage* m_employeePage;
    AttachWorkerSettingsWizardPage* m_settingsPage;
    AttachWorkerProgressWizardPage* m_progressPage;
};
