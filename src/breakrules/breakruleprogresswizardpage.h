#pragma once

#include "baseprogresswizardpage.h"

/// Last page of the break-rule wizard: the new rules being saved, one task each.
class BreakRuleProgressWizardPage : public BaseProgressWizardPage
{
    Q_OBJECT

public:
    explicit BreakRuleProgressWizardPage(QWidget* parent = nullptr);
};
