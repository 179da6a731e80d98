#include "attachworkersettingswizardpage.h"

#include "attachworkerfields.h"
#include "wtplanninglogging.h"

#include <QMessageBox>
#include <QVBoxLayout>

AttachWorkerSettingsWizardPage::AttachWorkerSettingsWizardPage(QWidget* parent)
    : QWizardPage(parent), m_fields(new AttachWorkerFields(this))
{
    setTitle(tr("Параметры"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_fields);
    connect(m_fields, &AttachWorkerFields::changed, this, &QWizardPage::completeChanged);
}

bool AttachWorkerSettingsWizardPage::isComplete() const
{
    return m_fields->isComplete();
}

bool AttachWorkerSettingsWizardPage::validatePage()
{
    if (AttachWorkerFields::overlapsOtherTrip(m_fields->employeeUid(), m_fields->start(), m_fields->finish(), 0)) {
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "trips overlap" << m_fields->employeeUid() << m_fields->start()
                                << m_fields->finish();
        QMessageBox::warning(this, tr("Мастер создания внутренней командировки"),
                             tr("У сотрудника уже присутствует внутренняя командировка на указанные даты"));
        return false;
    }
    emit readyTask();
    return true;
}
