#pragma once

#include "ovwizardpage.h"
#include "orvantatypes.h"
#include "taskinfo.h"

class QLabel;
class QPlainTextEdit;
class QProgressBar;

/// Last page of a wizard that writes through a task queue: hands each task out through
/// executeTask and counts the replies the queue sends back to objectUpdated (an id, 0 for a
/// failure). A failure also ends the tasks behind it, which a stopped queue never runs. The page is
/// complete once every task is ended; no tasks counts as complete.
class OVWIDGETS_EXPORT BaseProgressWizardPage : public OVWizardPage
{
    Q_OBJECT

public:
    explicit BaseProgressWizardPage(QWidget* parent = nullptr);

    int taskCount() const { return m_titles.size(); }
    int succeededCount() const { return m_succeeded; }
    int failedCount() const { return m_failed; }
    /// Ids reported by successful tasks, in reply order.
    QList<orvanta::TYPE_ID> updatedIds() const { return m_updatedIds; }
    bool isComplete() const override;

public slots:
    /// Addresses the task's reply to this page and hands the task out.
    void addTask(const orvanta::TaskInfo& task);
    /// The queue's reply for the oldest task without one.
    void objectUpdated(orvanta::TYPE_ID id);

signals:
    void executeTask(const orvanta::TaskInfo& task);

private:
    void showProgress();

    QLabel* m_statusLabel = nullptr;
    QProgressBar* m_progressBar = nullptr;
    QPlainTextEdit* m_log = nullptr;
    QStringList m_titles;
    int m_succeeded = 0;
    int m_failed = 0;
    QList<orvanta::TYPE_ID> m_updatedIds;
};
