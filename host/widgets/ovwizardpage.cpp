#include "ovwizardpage.h"

OVWizardPage::OVWizardPage(QWidget* parent) : QWizardPage(parent) {}

void OVWizardPage::updateComplete()
{
    emit completeChanged();
}
