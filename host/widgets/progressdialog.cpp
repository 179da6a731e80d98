#include "progressdialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// Keeps a save of thousands of tasks cheap in memory and layout; the oldest lines go first.
constexpr int MaximumLogLines = 10000;

} // namespace

ProgressDialog::ProgressDialog(QWidget* parent)
    : QDialog(parent)
    , m_messageLabel(new QLabel(this))
    , m_progressBar(new QProgressBar(this))
    , m_logView(new QPlainTextEdit(this))
    , m_finishTimer(new QTimer(this))
{
    // The planning window behind must take no input while its data is being saved.
    setWindowModality(Qt::WindowModal);
    resize(480, 320);

    m_messageLabel->setObjectName(QStringLiteral("messageLabel"));
    m_messageLabel->setTextFormat(Qt::PlainText);
    m_messageLabel->setWordWrap(true);
    m_progressBar->setObjectName(QStringLiteral("progressBar"));

    m_logView->setObjectName(QStringLiteral("logView"));
    m_logView->setReadOnly(true);
    m_logView->setUndoRedoEnabled(false);
    m_logView->setMaximumBlockCount(MaximumLogLines);
    m_logView->hide();

    auto* buttonBox = new QDialogButtonBox(this);
    m_closeButton = buttonBox->addButton(tr("Закрыть"), QDialogButtonBox::RejectRole);
    m_closeButton->setObjectName(QStringLiteral("closeButton"));
    m_closeButton->setEnabled(false);
    connect(buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);

    // A run of thousands of short tasks would repaint per task: updates are gathered and shown
    // at most every 100 ms, and at once when the run ends.
    m_flushTimer = new QTimer(this);
    m_flushTimer->setSingleShot(true);
    m_flushTimer->setInterval(100);
    connect(m_flushTimer, &QTimer::timeout, this, &ProgressDialog::flush);
    m_finishTimer->setSingleShot(true);
    connect(m_finishTimer, &QTimer::timeout, this, &ProgressDialog::finish);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_messageLabel);
    layout->addWidget(m_progressBar);
    layout->addWidget(m_logView, 1);
    // Takes the height while the log is hidden, so the bar stays under the message.
    layout->addStretch(0);
    layout->addWidget(buttonBox);

    setRange(0, 0);
}

void ProgressDialog::setMessage(const QString& message)
{
    m_pendingMessage = message;
    m_messagePending = true;
    scheduleFlush();
}

void ProgressDialog::scheduleFlush()
{
    if (!m_flushTimer->isActive())
        m_flushTimer->start();
}

void ProgressDialog::flush()
{
    m_flushTimer->stop();
    if (m_messagePending)
        m_messageLabel->setText(m_pendingMessage);
    m_messagePending = false;
    if (m_pendingSteps > 0 && !m_rangeEmpty)
        m_progressBar->setValue(qMin(m_progressBar->value() + m_pendingSteps, m_progressBar->maximum()));
    m_pendingSteps = 0;
    if (!m_pendingLog.isEmpty()) {
        m_logView->appendPlainText(m_pendingLog.join(QLatin1Char('\n')));
        m_pendingLog.clear();
        QScrollBar* scrollBar = m_logView->verticalScrollBar();
        scrollBar->setValue(scrollBar->maximum());
    }
}

void ProgressDialog::setLogMessage(const QString& message)
{
    // A multi-line server error would otherwise take several blocks of the log's budget.
    QString line = message;
    for (QChar& character : line) {
        if (character == QLatin1Char('\n') || character == QLatin1Char('\r') || character == QChar::ParagraphSeparator)
            character = QLatin1Char(' ');
    }
    m_pendingLog.append(line);
    scheduleFlush();
}

void ProgressDialog::setLogVisible(bool visible)
{
    m_logView->setVisible(visible);
}

void ProgressDialog::setRange(int min, int max)
{
    flush();
    m_finishTimer->stop();
    m_rangeEmpty = max <= min;
    if (m_rangeEmpty) {
        showEmptyRange(0);
        return;
    }
    m_progressBar->setRange(min, max);
    m_progressBar->setValue(min);
}

void ProgressDialog::increase()
{
    if (!m_rangeEmpty) {
        ++m_pendingSteps;
        scheduleFlush();
    }
}

void ProgressDialog::startAnimation()
{
    m_finishTimer->stop();
    m_animating = true;
    if (m_rangeEmpty)
        showEmptyRange(0);
}

void ProgressDialog::stopAnimation()
{
    flush();
    m_animating = false;
    if (m_rangeEmpty)
        showEmptyRange(1);
}

void ProgressDialog::setCloseEnabled(bool enabled)
{
    // The end of a run, or its failure: what it says must show now, not at the next tick.
    if (enabled)
        flush();
    if (!enabled)
        m_finishTimer->stop();
    m_closeButton->setEnabled(enabled);
}

void ProgressDialog::finish()
{
    done(QDialog::Accepted);
}

void ProgressDialog::finishLater(int ms)
{
    m_finishTimer->start(qMax(0, ms));
}

void ProgressDialog::done(int result)
{
    flush();
    m_finishTimer->stop();
    QDialog::done(result);
}

// An empty range has no steps to count: 0..0 is the style's busy bar, otherwise one step shows
// whether the run is still ahead or over.
void ProgressDialog::showEmptyRange(int filled)
{
    m_progressBar->setRange(0, m_animating ? 0 : 1);
    m_progressBar->setValue(filled);
}
