#pragma once

#include "ovwidgets_export.h"

#include <QDialog>
#include <QStringList>

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTimer;

/// Window-modal dialog of a long run of tasks: a message, a progress bar and an optional log.
///
/// «Закрыть», Escape and the title bar reject the dialog, which is how the owner cancels the
/// remaining work; finish() closes it as accepted. Escape and the title bar always work, so a
/// task that hangs never traps the planner.
class OVWIDGETS_EXPORT ProgressDialog : public QDialog
{
    Q_OBJECT

public:
    explicit ProgressDialog(QWidget* parent = nullptr);

    void setMessage(const QString& message);
    /// Appends one line to the log; line breaks inside the message become spaces.
    void setLogMessage(const QString& message);
    void setLogVisible(bool visible);

    /// Sets the bar to min; an empty range (max <= min) shows busy while animating.
    void setRange(int min, int max);
    /// Advances the bar by one step, never beyond the maximum.
    void increase();
    void startAnimation();
    /// Stops the busy look of an empty range, leaving a full bar; a counted bar keeps its value.
    void stopAnimation();

    /// The button is disabled at construction; disabling it cancels a pending finishLater().
    void setCloseEnabled(bool enabled);

    /// Closes the dialog as accepted: rejected() is not emitted.
    void finish();
    /// Calls finish() after ms milliseconds unless startAnimation(), setRange() or
    /// setCloseEnabled(false) comes first: a new run reusing the window must not be closed
    /// by the previous run's pending close.
    void finishLater(int ms);

    /// Also drops a pending finishLater(), so a rejected dialog is not finished afterwards.
    void done(int result) override;

private:
    void showEmptyRange(int filled);
    void scheduleFlush();
    void flush();

    QString m_pendingMessage;
    bool m_messagePending = false;
    QStringList m_pendingLog;
    int m_pendingSteps = 0;
    QTimer* m_flushTimer = nullptr;

    QLabel* m_messageLabel = nullptr;
    QProgressBar* m_progressBar = nullptr;
    QPlainTextEdit* m_logView = nullptr;
    QPushButton* m_closeButton = nullptr;
    QTimer* m_finishTimer = nullptr;
    bool m_rangeEmpty = true;
    bool m_animating = false;
};
