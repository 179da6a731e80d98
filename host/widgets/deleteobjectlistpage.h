#pragma once

#include "orvantatypes.h"
#include "ovwizardpage.h"

class QCheckBox;
class QListWidget;

/// First page of DeleteObjectWizard: the objects to delete with their names and type icons,
/// and, when verification is asked for, a box the user must tick.
class OVWIDGETS_EXPORT DeleteObjectListPage : public OVWizardPage
{
    Q_OBJECT

public:
    explicit DeleteObjectListPage(QWidget* parent = nullptr);

    void setUids(const QList<orvanta::TYPE_ID>& uids);
    QList<orvanta::TYPE_ID> uids() const { return m_uids; }
    void setNeedVerify(bool needVerify);
    bool needVerify() const { return m_needVerify; }
    bool isComplete() const override;

private:
    QList<orvanta::TYPE_ID> m_uids;
    bool m_needVerify = true;
    QListWidget* m_list = nullptr;
    QCheckBox* m_verifyBox = nullptr;
};
