#include "baseprogresswizardpage.h"

#include "widgetslogging.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QVBoxLayout>

BaseProgressWizardPage::BaseProgressWizardPage(QWidget* parent)
    : OVWizardPage(parent)
    , m_statusLabel(new QLabel(this))
    , m_progressBar(new QProgressBar(this))
    , m_log(new QPlainTextEdit(this))
{
    // The queue answers with a queued call that names this type.
    qRegisterMetaType<orvanta::TYPE_ID>("orvanta::TYPE_ID");
    m_statusLabel->setObjectName(QStringLiteral("statusLabel"));
    m_progressBar->setObjectName(QStringLiteral("progressBar"));
    m_log->setObjectName(QStringLiteral("log"));
    m_log->setReadOnly(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_statusLabel);
    layout->addWidget(m_progressBar);
    layout->addWidget(m_log, 1);
    showProgress();
}

bool BaseProgressWizardPage::isComplete() const
{
    return m_succeeded + m_failed >= m_titles.size();
}

void BaseProgressWizardPage::addTask(const orvanta::TaskInfo& task)
{
    orvanta::TaskInfo addressed = task;
    addressed.receiver = this;
    addressed.method = QStringLiteral("objectUpdated");
    m_titles.append(task.title);
    showProgress();
    emit completeChanged();
    emit executeTask(addressed);
}

void BaseProgressWizardPage::objectUpdated(orvanta::TYPE_ID id)
{
    const int index = m_succeeded + m_failed;
    if (index >= m_titles.size()) {
        qCWarning(lcWidgets) << Q_FUNC_INFO << "reply without task" << id;
        return;
    }
    const QString title = m_titles.at(index);
    if (id != 0) {
        ++m_succeeded;
        m_updatedIds.append(id);
        m_log->appendPlainText(tr("%1: выполнено").arg(title));
    } else {
        ++m_failed;
        m_log->appendPlainText(tr("%1: ошибка").arg(title));
        // A queue stops at a failure: the tasks behind it will not be answered.
        for (int rest = index + 1; rest < m_titles.size(); ++rest, ++m_failed)
            m_log->appendPlainText(tr("%1: не выполнено").arg(m_titles.at(rest)));
    }
    showProgress();
    emit completeChanged();
}

void BaseProgressWizardPage::showProgress()
{
    const int total = m_titles.size();
    const int done = m_succeeded + m_failed;
    m_progressBar->setRange(0, qMax(total, 1));
    m_progressBar->setValue(total == 0 ? 1 : done);
    QString status = tr("Выполнено %1 из %2").arg(done).arg(total);
    if (m_failed > 0)
        status += tr(", с ошибкой: %1").arg(m_failed);
    m_statusLabel->setText(status);
}
