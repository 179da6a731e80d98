#pragma once

#include <QWizardPage>

class AttachWorkerFields;

/// Second page of the trip wizard: the dates and the host department. Leaving it checks the
/// employee's other trips and asks for the task (readyTask).
class AttachWorkerSettingsWizardPage : public QWizardPage
{
    Q_OBJECT

public:
    explicit AttachWorkerSettingsWizardPage(QWidget* parent = nullptr);

    AttachWorkerFields* fields() const { return m_fields; }
    bool isComplete() const override;
    bool validatePage() override;

signals:
    void readyTask();

private:
    AttachWorkerFields* m_fields;
};
