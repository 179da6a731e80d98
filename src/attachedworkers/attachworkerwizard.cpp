#include "attachworkerwizard.h"

#include "attachworkerfields.h"
#include "attachworkerprogresswizardpage.h"
#include "attachworkerselectwizardpage.h"
#include "attachworkersettingswizardpage.h"
#include "wtplanninglogging.h"

AttachWorkerWizard::AttachWorkerWizard(QWidget* parent)
    : PageListWizard(parent)
    , m_employeePage(new AttachWorkerSelectWizardPage)
    , m_settingsPage(new AttachWorkerSettingsWizardPage)
    , m_progressPage(new AttachWorkerProgressWizardPage)
{
    setWindowTitle(tr("Мастер создания внутренней командировки"));
    m_employeePage->setObjectName(QStringLiteral("employeePage"));
    m_settingsPage->setObjectName(QStringLiteral("settingsPage"));
    m_progressPage->setObjectName(QStringLiteral("progressPage"));
    setPage(EmployeePage, m_employeePage);
    setPage(SettingsPage, m_settingsPage);
    setPage(ProgressPage, m_progressPage);
    resize(720, 560);
    connect(this, &QWizard::currentIdChanged, this, &AttachWorkerWizard::pageChanged);
    connect(m_settingsPage, &AttachWorkerSettingsWizardPage::readyTask, this, &AttachWorkerWizard::prepareTask);
    connect(m_progressPage, &AttachWorkerProgressWizardPage::executeTask, this, &AttachWorkerWizard::executeTask);
}

void AttachWorkerWizard::setEmployeeUid(orvanta::TYPE_ID employee)
{
    m_settingsPage->fields()->setEmployeeUid(employee);
    setStartId(SettingsPage);
}

orvanta::TYPE_ID AttachWorkerWizard::employeeUid() const
{
    return m_settingsPage->fields()->employeeUid();
}

void AttachWorkerWizard::setOrgstructure(const orvanta::OBJECT_HASH& objects)
{
    m_settingsPage->fields()->setOrgstructure(objects);
}

AttachWorkerFields* AttachWorkerWizard::fields() const
{
    return m_settingsPage->fields();
}

void AttachWorkerWizard::pageChanged(int id)
{
    if (id == SettingsPage && startId() == EmployeePage)
        m_settingsPage->fields()->setEmployeeUid(m_employeePage->uid());
    // Leaving the settings page saves: its Next button says so.
    setButtonText(QWizard::NextButton, id == SettingsPage ? tr("Сохранить") : tr("Далее >"));
}

void AttachWorkerWizard::prepareTask()
{
    const orvanta::TaskInfo task = m_settingsPage->fields()->saveTask(orvanta::ObjectInfo());
    qCDebug(lcWtPlanning) << Q_FUNC_INFO << "prepare task" << task.params;
    m_progressPage->addTask(task);
}
