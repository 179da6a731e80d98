#include "attachworkerprogresswizardpage.h"

AttachWorkerProgressWizardPage::AttachWorkerProgressWizardPage(QWidget* parent) : BaseProgressWizardPage(parent)
{
    setTitle(tr("Сохранение"));
    setFinalPage(true);
}
