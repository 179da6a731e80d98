#pragma once

#include "ovreport_export.h"

#include <QDialog>

class QProgressBar;

/// Says a report is being made while the server builds it; the progress bar stays hidden until
/// the caller has progress to show.
class OVREPORT_EXPORT ReportWaitDialog : public QDialog
{
    Q_OBJECT

public:
    explicit ReportWaitDialog(QWidget* parent = nullptr);

    QProgressBar* progressBar() const { return m_progressBar; }
    /// A negative percent makes the bar busy (range 0..0); otherwise 0..100.
    void setProgress(int percent);

private:
    QProgressBar* m_progressBar = nullptr;
};
