#pragma once

#include "orvantatypes.h"
#include "pagelistwizard.h"
#include "taskinfo.h"

class BaseProgressWizardPage;
class DeleteObjectListPage;

/// Deletes server objects through the owner's task queue: lists them, then hands out one
/// "delete_object" task each through appendTask and follows the replies on its progress page.
class OVWIDGETS_EXPORT DeleteObjectWizard : public PageListWizard
{
    Q_OBJECT

public:
    explicit DeleteObjectWizard(QWidget* parent = nullptr);

    void setUids(const QList<orvanta::TYPE_ID>& uids);
    QList<orvanta::TYPE_ID> uids() const;
    /// On (the default) the user must tick a confirmation before deleting.
    void setNeedVerify(bool needVerify);
    bool needVerify() const;
    BaseProgressWizardPage* progressPage() const { return m_progressPage; }

    /// The task that deletes one object of the local store.
    static orvanta::TaskInfo deleteTask(orvanta::TYPE_ID uid);

signals:
    void appendTask(const orvanta::TaskInfo& task);

protected:
    bool validateCurrentPage() override;

private:
    DeleteObjectListPage* m_listPage = nullptr;
    BaseProgressWizardPage* m_progressPage = nullptr;
};
