#include "deleteobjectlistpage.h"

#include "localstorage.h"
#include "ovglobals.h"
#include "widgetslogging.h"

#include <QCheckBox>
#include <QListWidget>
#include <QVBoxLayout>

DeleteObjectListPage::DeleteObjectListPage(QWidget* parent)
    : OVWizardPage(parent), m_list(new QListWidget(this)), m_verifyBox(new QCheckBox(this))
{
    setTitle(tr("Объекты"));
    setSubTitle(tr("Будут удалены следующие объекты:"));
    m_list->setObjectName(QStringLiteral("objectList"));
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    m_verifyBox->setObjectName(QStringLiteral("verifyBox"));
    m_verifyBox->setText(tr("Подтверждаю удаление, отменить его будет нельзя"));
    connect(m_verifyBox, &QCheckBox::toggled, this, &OVWizardPage::updateComplete);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_verifyBox);
}

void DeleteObjectListPage::setUids(const QList<orvanta::TYPE_ID>& uids)
{
    m_uids = uids;
    m_list->clear();
    const orvanta::LocalStorage* store = orvanta::LocalStorage::instance();
    for (orvanta::TYPE_ID uid : uids) {
        const orvanta::ObjectInfo object = store->constObject(uid);
        if (!object.isValid())
            qCWarning(lcWidgets) << Q_FUNC_INFO << "object not found" << uid;
        const QString name = object.isValid() ? OVGlobals::objectName(object) : QStringLiteral("#%1").arg(uid);
        new QListWidgetItem(QIcon::fromTheme(QLatin1String("object-") + object.type), name, m_list);
    }
    emit completeChanged();
}

void DeleteObjectListPage::setNeedVerify(bool needVerify)
{
    m_needVerify = needVerify;
    m_verifyBox->setVisible(needVerify);
    emit completeChanged();
}

bool DeleteObjectListPage::isComplete() const
{
    return !m_uids.isEmpty() && (!m_needVerify || m_verifyBox->isChecked());
}
