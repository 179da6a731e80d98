#pragma once

#include "ovwidgets_export.h"

#include <QWizardPage>

/// Page of the host's wizards; the fields a page checks report through updateComplete().
class OVWIDGETS_EXPORT OVWizardPage : public QWizardPage
{
    Q_OBJECT

public:
    explicit OVWizardPage(QWidget* parent = nullptr);

public slots:
    /// Makes the wizard ask isComplete() again; connect the signals of the fields it reads.
    void updateComplete();
};
