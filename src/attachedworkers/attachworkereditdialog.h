#pragma once

#include "objectinfo.h"
#include "taskinfo.h"

#include <QDialog>

class AttachWorkerFields;
class QDialogButtonBox;

/// Changes the dates and the host department of a trip; OK hands one "save_object" task over
/// through executeTask unless the employee has another trip on those dates.
class AttachWorkerEditDialog : public QDialog
{
    Q_OBJECT

public:
    explicit AttachWorkerEditDialog(QWidget* parent = nullptr);

    void setInfo(const orvanta::ObjectInfo& trip);
    orvanta::ObjectInfo info() const { return m_trip; }
    AttachWorkerFields* fields() const { return m_fields; }
    bool isOkEnabled() const;

public slots:
    void accept() override;
    void updateButtonsEnabled();
    /// Fills the department tree and enables the dialog, which waits for it disabled.
    void setOrgstructure(const orvanta::OBJECT_HASH& objects);

signals:
    void executeTask(const orvanta::TaskInfo& task);

private:
    AttachWorkerFields* m_fields;
    QDialogButtonBox* m_buttonBox;
    orvanta::ObjectInfo m_trip;
};
