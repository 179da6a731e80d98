#include "attachworkereditdialog.h"

#include "attachworkerdepartmentselector.h"
#include "attachworkerfields.h"
#include "attachworkeritemmodel.h"
#include "vocabulary.h"
#include "wtplanninglogging.h"

#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

AttachWorkerEditDialog::AttachWorkerEditDialog(QWidget* parent)
    : QDialog(parent)
    , m_fields(new AttachWorkerFields(this))
    , m_buttonBox(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this))
{
    setWindowTitle(tr("Редактирование внутренней командировки"));
    m_buttonBox->setObjectName(QStringLiteral("buttonBox"));
    m_buttonBox->button(QDialogButtonBox::Ok)->setText(tr("Сохранить"));
    m_buttonBox->button(QDialogButtonBox::Cancel)->setText(tr("Отмена"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_fields);
    layout->addWidget(m_buttonBox);
    connect(m_buttonBox, &QDialogButtonBox::accepted, this, &AttachWorkerEditDialog::accept);
    connect(m_buttonBox, &QDialogButtonBox::rejected, this, &AttachWorkerEditDialog::reject);
    connect(m_fields, &AttachWorkerFields::changed, this, &AttachWorkerEditDialog::updateButtonsEnabled);
    updateButtonsEnabled();
    setEnabled(false);
}

void AttachWorkerEditDialog::setInfo(const orvanta::ObjectInfo& trip)
{
    m_trip = trip;
    const auto date = [&trip](const char* key) {
        return QDate::fromString(trip.property(QLatin1String(key)), Qt::ISODate);
    };
    m_fields->setEmployeeUid(AttachWorkerItemModel::employeeOf(trip));
    m_fields->setStart(date(db::attached_worker::DATE_BEGIN));
    m_fields->setFinish(date(db::attached_worker::DATE_END));
    m_fields->selector()->selectDepartment(AttachWorkerItemModel::departmentOf(trip));
    // Saving the trip unchanged would only cost a write.
    m_buttonBox->button(QDialogButtonBox::Ok)->setEnabled(false);
}

void AttachWorkerEditDialog::setOrgstructure(const orvanta::OBJECT_HASH& objects)
{
    m_fields->setOrgstructure(objects);
    setEnabled(true);
    m_buttonBox->button(QDialogButtonBox::Ok)->setEnabled(false);
}

bool AttachWorkerEditDialog::isOkEnabled() const
{
    return m_buttonBox->button(QDialogButtonBox::Ok)->isEnabled();
}

void AttachWorkerEditDialog::updateButtonsEnabled()
{
    m_buttonBox->button(QDialogButtonBox::Ok)->setEnabled(m_fields->isComplete());
}

void AttachWorkerEditDialog::accept()
{
    if (!m_fields->isComplete())
        return;
    if (AttachWorkerFields::overlapsOtherTrip(m_fields->employeeUid(), m_fields->start(), m_fields->finish(), m_trip.uid)) {
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "trips overlap" << m_trip.uid << m_fields->start() << m_fields->finish();
        QMessageBox::warning(this, tr("Редактирование внутренней командировки"),
                             tr("У сотрудника уже присутствует внутренняя командировка на указанные даты"));
        return;
    }
    const orvanta::TaskInfo task = m_fields->saveTask(m_trip);
    qCDebug(lcWtPlanning) << Q_FUNC_INFO << "save attached worker" << m_trip.uid << task.params;
    emit executeTask(task);
    QDialog::accept();
}
