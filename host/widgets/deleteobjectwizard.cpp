#include "deleteobjectwizard.h"

#include "baseprogresswizardpage.h"
#include "deleteobjectlistpage.h"
#include "localstorage.h"
#include "ovglobals.h"

DeleteObjectWizard::DeleteObjectWizard(QWidget* parent)
    : PageListWizard(parent), m_listPage(new DeleteObjectListPage), m_progressPage(new BaseProgressWizardPage)
{
    setWindowTitle(tr("Удаление объектов"));
    m_listPage->setObjectName(QStringLiteral("listPage"));
    m_progressPage->setObjectName(QStringLiteral("progressPage"));
    m_progressPage->setTitle(tr("Удаление"));
    m_progressPage->setFinalPage(true);
    addPage(m_listPage);
    addPage(m_progressPage);
    setButtonText(QWizard::NextButton, tr("Удалить"));
    connect(m_progressPage, &BaseProgressWizardPage::executeTask, this, &DeleteObjectWizard::appendTask);
}

void DeleteObjectWizard::setUids(const QList<orvanta::TYPE_ID>& uids)
{
    m_listPage->setUids(uids);
}

QList<orvanta::TYPE_ID> DeleteObjectWizard::uids() const
{
    return m_listPage->uids();
}

void DeleteObjectWizard::setNeedVerify(bool needVerify)
{
    m_listPage->setNeedVerify(needVerify);
}

bool DeleteObjectWizard::needVerify() const
{
    return m_listPage->needVerify();
}

orvanta::TaskInfo DeleteObjectWizard::deleteTask(orvanta::TYPE_ID uid)
{
    const orvanta::ObjectInfo object = orvanta::LocalStorage::instance()->constObject(uid);
    const QString name = object.isValid() ? OVGlobals::objectName(object) : QStringLiteral("#%1").arg(uid);
    orvanta::TaskInfo task;
    task.type = QStringLiteral("delete_object");
    task.uid = uid;
    task.params.insert(QStringLiteral("object_type"), object.type);
    task.title = tr("Удаление объекта %1").arg(name);
    task.errorText = tr("Ошибка удаления объекта %1").arg(name);
    return task;
}

bool DeleteObjectWizard::validateCurrentPage()
{
    if (currentPage() != m_listPage)
        return PageListWizard::validateCurrentPage();
    if (!m_listPage->isComplete())
        return false;
    // Back from the progress page is impossible, so the tasks go out exactly once.
    for (orvanta::TYPE_ID uid : m_listPage->uids())
        m_progressPage->addTask(deleteTask(uid));
    return true;
}
