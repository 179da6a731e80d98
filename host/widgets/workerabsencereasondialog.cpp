#include "workerabsencereasondialog.h"

#include "workerabsencereasonwidget.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

using namespace orvanta;

WorkerAbsenceReasonDialog::WorkerAbsenceReasonDialog(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Причина отсутствия"));
    m_widget = new WorkerAbsenceReasonWidget(this);
    m_widget->setObjectName(QStringLiteral("reasonWidget"));
    m_buttonBox = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_buttonBox->setObjectName(QStringLiteral("buttonBox"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_widget);
    layout->addWidget(m_buttonBox);

    connect(m_buttonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_widget, &WorkerAbsenceReasonWidget::dataEdited, this, &WorkerAbsenceReasonDialog::updateOkEnabled);
    updateOkEnabled();
}

void WorkerAbsenceReasonDialog::setCheckPlanningAllow(bool check)
{
    m_widget->setCheckPlanningAllow(check);
}

void WorkerAbsenceReasonDialog::setAbsenceReasons(const QList<ObjectInfo>& reasons)
{
    m_widget->setAbsenceReasons(reasons);
    updateOkEnabled();
}

void WorkerAbsenceReasonDialog::setMinDate(const QDate& date)
{
    m_widget->setMinEditableDate(date);
}

void WorkerAbsenceReasonDialog::setMaxDate(const QDate& date)
{
    m_widget->setMaxEditableDate(date);
}

void WorkerAbsenceReasonDialog::setWorkerReason(const _WORKER_ABSENCE_REASON_RECORD& record)
{
    m_widget->setListVisible(false);
    m_widget->setDefaultDate(record.start.date());
    m_widget->setWorkerReasons({0, {record}});
    updateOkEnabled();
}

_WORKER_ABSENCE_REASON_RECORD WorkerAbsenceReasonDialog::workerReason() const
{
    const _WORKER_ABSENCE_REASON reasons = m_widget->workerReasons();
    return reasons.records.value(0);
}

void WorkerAbsenceReasonDialog::setWorkerReasons(const _WORKER_ABSENCE_REASON& reasons)
{
    m_widget->setListVisible(true);
    m_widget->setWorkerReasons(reasons);
    updateOkEnabled();
}

_WORKER_ABSENCE_REASON WorkerAbsenceReasonDialog::workerReasons() const
{
    return m_widget->workerReasons();
}

void WorkerAbsenceReasonDialog::updateOkEnabled()
{
    // A record without a reason cannot be saved.
    const QList<_WORKER_ABSENCE_REASON_RECORD> records = m_widget->workerReasons().records;
    const bool valid = std::all_of(records.cbegin(), records.cend(),
                                   [](const _WORKER_ABSENCE_REASON_RECORD& record) { return record.reason != 0; });
    m_buttonBox->button(QDialogButtonBox::Ok)->setEnabled(valid);
}
