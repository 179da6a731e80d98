#include "attachworkerfields.h"

#include "attachworkerdepartmentselector.h"
#include "attachworkeritemmodel.h"
#include "authdata.h"
#include "localstorage.h"
#include "ovdateedit.h"
#include "ovglobals.h"
#include "vocabulary.h"

#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

QDate dateProperty(const orvanta::ObjectInfo& object, const char* key)
{
    return QDate::fromString(object.property(QLatin1String(key)), Qt::ISODate);
}

QString propertyKey(const char* key)
{
    return QStringLiteral("property-%1").arg(QLatin1String(key));
}

} // namespace

AttachWorkerFields::AttachWorkerFields(QWidget* parent)
    : QWidget(parent)
    , m_name(new QLabel(this))
    , m_start(new OVDateEdit(this))
    , m_finish(new OVDateEdit(this))
    , m_selector(new AttachWorkerDepartmentSelector(this))
{
    m_name->setObjectName(QStringLiteral("lbName"));
    m_start->setObjectName(QStringLiteral("deStart"));
    m_finish->setObjectName(QStringLiteral("deFinish"));
    for (OVDateEdit* edit : {m_start, m_finish})
        edit->setCalendarPopup(true);
    auto* form = new QFormLayout;
    form->addRow(tr("Сотрудник"), m_name);
    form->addRow(tr("Дата начала"), m_start);
    form->addRow(tr("Дата окончания"), m_finish);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(form);
    layout->addWidget(m_selector);
    connect(m_start, &OVDateEdit::dateChanged, this, &AttachWorkerFields::changed);
    connect(m_finish, &OVDateEdit::dateChanged, this, &AttachWorkerFields::changed);
    connect(m_selector, &AttachWorkerDepartmentSelector::departmentChanged, this, &AttachWorkerFields::changed);
}

bool AttachWorkerFields::overlapsOtherTrip(orvanta::TYPE_ID employee, const QDate& start, const QDate& finish,
                                           orvanta::TYPE_ID skippedTrip)
{
    const orvanta::OBJECT_HASH* trips =
        orvanta::LocalStorage::instance()->constObjects(QLatin1String(orvanta::ATTACHED_WORKER_DATANAME));
    if (!trips)
        return false;
    for (const orvanta::ObjectInfo& trip : *trips) {
        if (trip.uid == skippedTrip || AttachWorkerItemModel::employeeOf(trip) != employee)
            continue;
        // Both ends count: a trip ending on the first day collides.
        if (dateProperty(trip, db::attached_worker::DATE_END) >= start
            && dateProperty(trip, db::attached_worker::DATE_BEGIN) <= finish)
            return true;
    }
    return false;
}

void AttachWorkerFields::setEmployeeUid(orvanta::TYPE_ID employee)
{
    m_employee = employee;
    m_name->setText(OVGlobals::objectName(
        orvanta::LocalStorage::instance()->constObject(employee, QLatin1String(orvanta::SUBJECT_DATANAME))));
    m_selector->setEmployeeUid(employee);
    emit changed();
}

void AttachWorkerFields::setMinimumDate(const QDate& date)
{
    m_minimumDate = date;
    for (OVDateEdit* edit : {m_start, m_finish}) {
        if (date.isValid())
            edit->setMinimumDate(date);
        else
            edit->clearMinimumDate();
    }
}

void AttachWorkerFields::setMaximumDate(const QDate& date)
{
    m_maximumDate = date;
    for (OVDateEdit* edit : {m_start, m_finish}) {
        if (date.isValid())
            edit->setMaximumDate(date);
        else
            edit->clearMaximumDate();
    }
}

void AttachWorkerFields::setStart(const QDate& date)
{
    m_start->setDate(date);
}

QDate AttachWorkerFields::start() const
{
    return m_start->date();
}

void AttachWorkerFields::setFinish(const QDate& date)
{
    m_finish->setDate(date);
}

QDate AttachWorkerFields::finish() const
{
    return m_finish->date();
}

void AttachWorkerFields::setOrgstructure(const orvanta::OBJECT_HASH& objects)
{
    m_selector->setOrgstructure(objects);
}

orvanta::TYPE_ID AttachWorkerFields::departmentUid() const
{
    return m_selector->departmentUid();
}

orvanta::ObjectInfo AttachWorkerFields::depinfo() const
{
    return m_selector->depinfo();
}

bool AttachWorkerFields::isComplete() const
{
    return start() <= finish() && m_employee != 0 && departmentUid() != 0;
}

orvanta::TaskInfo AttachWorkerFields::saveTask(const orvanta::ObjectInfo& trip) const
{
    const orvanta::ObjectInfo department = depinfo();
    const QString name = OVGlobals::objectName(
        orvanta::LocalStorage::instance()->constObject(m_employee, QLatin1String(orvanta::SUBJECT_DATANAME)));
    QVariantList inherits;
    for (const auto& [child, type] : {std::pair{m_employee, orvanta::INHERIT_ATTACHED_WORKER},
                                      std::pair{department.uid, orvanta::INHERIT_ATTACHED_WORKER_DEPARTMENT}}) {
        QVariantMap link{{QStringLiteral("child_id"), child},
                         {QStringLiteral("ref_type"), type},
                         {QStringLiteral("start"), start()},
                         {QStringLiteral("finish"), finish()}};
        // A new trip is the parent of its links once it exists.
        if (trip.uid != 0)
            link.insert(QStringLiteral("parent_id"), trip.uid);
        inherits.append(link);
    }
    orvanta::TaskInfo task;
    task.uid = trip.uid;
    task.type = QStringLiteral("save_object");
    task.params.insert(QStringLiteral("object_type"),
                       trip.type.isEmpty() ? QLatin1String(db::wt::ATTACHED_WORKER) : trip.type);
    // A new trip lives under the department it goes to, as the server's own trips do; an edited one stays put.
    task.params.insert(QStringLiteral("parent"), trip.uid != 0 ? trip.parent : department.uid);
    task.params.insert(propertyKey(db::attached_worker::NAME), name);
    task.params.insert(propertyKey(db::attached_worker::DATE_BEGIN), start().toString(Qt::ISODate));
    task.params.insert(propertyKey(db::attached_worker::DATE_END), finish().toString(Qt::ISODate));
    task.params.insert(propertyKey(db::attached_worker::DEPARTNAME), OVGlobals::objectName(department));
    task.params.insert(propertyKey(db::attached_worker::DEPARTNUM),
                       department.property(QLatin1String(db::department::DEPARTNUM)));
    task.params.insert(propertyKey(db::attached_worker::CREATOR), QString::number(AuthData::userId()));
    task.params.insert(QStringLiteral("inherits"), inherits);
    task.title = tr("Сохранение внутренней командировки %1").arg(name);
    task.errorText = tr("Ошибка сохранения внутренней командировки %1").arg(name);
    return task;
}
