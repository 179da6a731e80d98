#include "reportwaitdialog.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

ReportWaitDialog::ReportWaitDialog(QWidget* parent)
    : QDialog(parent)
    , m_progressBar(new QProgressBar(this))
{
    setWindowTitle(QStringLiteral("Формирование отчета"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Отчет формируется, подождите..."), this));
    layout->addWidget(m_progressBar);
    m_progressBar->setRange(0, 100);
    m_progressBar->setValue(0);
    m_progressBar->hide();
    setMinimumWidth(320);
}

void ReportWaitDialog::setProgress(int percent)
{
    if (percent < 0) {
        m_progressBar->setRange(0, 0);
        return;
    }
    m_progressBar->setRange(0, 100);
    m_progressBar->setValue(qMin(percent, 100));
}
