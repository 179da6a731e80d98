#pragma once

#include "baseprogresswizardpage.h"

/// Last page of the trip wizard: the new trip being saved.
class AttachWorkerProgressWizardPage : public BaseProgressWizardPage
{
    Q_OBJECT

public:
    explicit AttachWorkerProgressWizardPage(QWidget* parent = nullptr);
};
