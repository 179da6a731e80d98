#include "breakruleprogresswizardpage.h"

BreakRuleProgressWizardPage::BreakRuleProgressWizardPage(QWidget* parent) : BaseProgressWizardPage(parent)
{
    setTitle(tr("Сохранение"));
    setFinalPage(true);
}
