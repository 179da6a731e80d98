#include "attachworkerregister.h"

#include "attachworkereditdialog.h"
#include "attachworkerfields.h"
#include "attachworkerinfowidget.h"
#include "attachworkeritemmodel.h"
#include "attachworkerproxymodel.h"
#include "attachworkerwizard.h"
#include "command.h"
#include "data.h"
#include "deleteobjectwizard.h"
#include "hiddenpanel.h"
#include "localstorage.h"
#include "ovdatastream.h"
#include "rolecontainer.h"
#include "streamhelpers.h"
#include "vocabulary.h"
#include "worktimeplanningmodel.h"
#include "worktimeutils.h"
#include "wtplanninglogging.h"

#include <QAction>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTableView>

using wtplanningview::RoleContainer;

namespace {

const QString& tripDataname()
{
    static const QString name = QString::fromLatin1(orvanta::ATTACHED_WORKER_DATANAME);
    return name;
}

} // namespace

AttachWorkerRegister::AttachWorkerRegister(QTableView* view, HiddenPanel* panel, const Actions& actions,
                                           QWidget* window)
    : QObject(window), m_view(view), m_panel(panel), m_actions(actions), m_window(window)
{
}

void AttachWorkerRegister::initModels()
{
    m_model = new AttachWorkerItemModel(this);
    m_model->setObjectName(QStringLiteral("attachedModel"));
    if (const orvanta::OBJECT_HASH* trips = orvanta::LocalStorage::instance()->constObjects(tripDataname()))
        m_model->setObjects(*trips);
    m_proxy = new AttachWorkerProxyModel(this);
    m_proxy->setObjectName(QStringLiteral("attachedProxy"));
    m_proxy->setSourceModel(m_model);
    m_view->setModel(m_proxy);
    m_view->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    m_view->verticalHeader()->hide();
    connect(m_view->selectionModel(), &QItemSelectionModel::selectionChanged, this, &AttachWorkerRegister::updateEnables);
    connect(m_view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &AttachWorkerRegister::selectionChanged);
    connect(m_view, &QTableView::doubleClicked, this, &AttachWorkerRegister::editWorker);
    m_view->sortByColumn(AttachWorkerItemModel::EmployeeColumn, Qt::AscendingOrder);
}

void AttachWorkerRegister::setPlanningModel(WorkTimePlanningModel* model)
{
    m_planning = model;
}

void AttachWorkerRegister::initPanel()
{
    m_panel->setTitle(tr("Свойства"));
    m_panel->setTitleVisible(false);
    m_infoWidget = new AttachWorkerInfoWidget(m_panel);
    m_infoWidget->setObjectName(QStringLiteral("attachedInfo"));
    m_panel->addWidget(m_infoWidget);
}

QModelIndexList AttachWorkerRegister::selectedRows() const
{
    return m_view->selectionModel() ? m_view->selectionModel()->selectedRows() : QModelIndexList();
}

QList<orvanta::TYPE_ID> AttachWorkerRegister::selectedIds() const
{
    QList<orvanta::TYPE_ID> ids;
    for (const QModelIndex& index : selectedRows()) {
        const auto id = orvanta::TYPE_ID(index.data(AttachWorkerItemModel::UidRole).toUInt());
        if (!ids.contains(id))
            ids.append(id);
    }
    return ids;
}

void AttachWorkerRegister::updateEnables()
{
    const int selected = selectedRows().size();
    m_actions.add->setEnabled(RoleContainer::canAddAttachWorker());
    m_actions.edit->setEnabled(RoleContainer::canEditAttachWorker() && selected == 1);
    m_actions.remove->setEnabled(RoleContainer::canDeleteAttachWorker() && selected > 0);
}

void AttachWorkerRegister::updateInfo()
{
    if (!m_infoWidget)
        return;
    const QModelIndexList rows = selectedRows();
    if (rows.isEmpty())
        m_infoWidget->clear();
    else if (rows.size() == 1) {
        m_infoWidget->showObjectInfo(rows.first());
        const auto id = orvanta::TYPE_ID(rows.first().data(AttachWorkerItemModel::UidRole).toUInt());
        requestPhoto(AttachWorkerItemModel::employeeOf(orvanta::LocalStorage::instance()->constObject(id, tripDataname())));
    } else
        m_infoWidget->showMultiObjectsInfo(rows);
}

void AttachWorkerRegister::requestOrgstructure(QObject* guard, std::function<void(const orvanta::OBJECT_HASH&)> apply)
{
    if (!m_dataService) {
        // Without a server the local store's copy is the best there is.
        qCDebug(lcWtPlanning) << Q_FUNC_INFO << "no data service, local structure used";
        if (const orvanta::OBJECT_HASH* local =
                orvanta::LocalStorage::instance()->constObjects(QLatin1String(orvanta::ORGSTRUCTURE_DATANAME)))
            apply(*local);
        return;
    }
    QPointer<QObject> alive(guard);
    m_dataService->getObjects(QLatin1String(orvanta::ORGSTRUCTURE_DATANAME), [alive, apply](Command& reply) {
        if (!reply.isSuccess()) {
            qCWarning(lcWtPlanning) << Q_FUNC_INFO << "read orgstructure error" << reply.result;
            return;
        }
        orvanta::OBJECT_HASH objects;
        QString dataname;
        if (!ov5sdk::Data::unpackObjects(objects, dataname, reply.data)
            || dataname != QLatin1String(orvanta::ORGSTRUCTURE_DATANAME)) {
            qCWarning(lcWtPlanning) << Q_FUNC_INFO << "malformed payload" << dataname;
            return;
        }
        if (alive)
            apply(objects);
    });
}

void AttachWorkerRegister::requestPhoto(orvanta::TYPE_ID employee)
{
    if (!m_dataService || employee == 0)
        return;
    const QString name = QLatin1String(db::subject::PHOTO);
    // The server answers only when its photo differs from the one the store holds.
    const QByteArray md5 = orvanta::LocalStorage::instance()->blobMd5(employee, name);
    QPointer<AttachWorkerRegister> self(this);
    m_dataService->getBlobDataChange({{employee, name, md5}}, [self](Command& reply) {
        if (self)
            self->blobDataRead(reply);
    });
}

void AttachWorkerRegister::blobDataRead(Command& reply)
{
    if (!reply.isSuccess()) {
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "read photo error" << reply.result;
        return;
    }
    OVDataStream stream(reply.data);
    QHash<uint, QHash<QString, QByteArray>> blobs;
    orvanta::readFields(stream, blobs);
    if (stream.status() != QDataStream::Ok) {
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "malformed payload" << reply.data.size();
        return;
    }
    for (auto object = blobs.cbegin(); object != blobs.cend(); ++object) {
        for (auto blob = object->cbegin(); blob != object->cend(); ++blob)
            orvanta::LocalStorage::instance()->setBlob(object.key(), blob.key(), blob.value());
    }
    // An unchanged photo comes back as nothing, which ends the round.
    if (!blobs.isEmpty())
        emit selectionChanged();
}

void AttachWorkerRegister::addWorker()
{
    if (!RoleContainer::canAddAttachWorker())
        return;
    openWizard(0, QDate::currentDate(), QDate::currentDate());
}

void AttachWorkerRegister::showAttachWizard(orvanta::TYPE_ID employee, const QDate& start, const QDate& finish)
{
    if (!RoleContainer::canAddAttachWorker())
        return;
    openWizard(employee, start, finish);
}

void AttachWorkerRegister::openWizard(orvanta::TYPE_ID employee, const QDate& start, const QDate& finish)
{
    auto* wizard = new AttachWorkerWizard(m_window);
    wizard->setObjectName(QStringLiteral("attachWorkerWizard"));
    wizard->setAttribute(Qt::WA_DeleteOnClose);
    wizard->setModal(true);
    wizard->setPageListVisible(true);
    AttachWorkerFields* fields = wizard->fields();
    fields->setMinimumDate(WorkTimeUtils::startEditableDate());
    fields->setMaximumDate(WorkTimeUtils::finishEditableDate());
    fields->setStart(start);
    fields->setFinish(finish);
    if (employee != 0)
        wizard->setEmployeeUid(employee);
    connect(wizard, &AttachWorkerWizard::executeTask, this, &AttachWorkerRegister::executeTask);
    requestOrgstructure(wizard, [wizard](const orvanta::OBJECT_HASH& objects) { wizard->setOrgstructure(objects); });
    wizard->show();
}

void AttachWorkerRegister::editWorker()
{
    if (!RoleContainer::canEditAttachWorker())
        return;
    const QList<orvanta::TYPE_ID> ids = selectedIds();
    if (ids.size() != 1)
        return;
    const orvanta::ObjectInfo trip = orvanta::LocalStorage::instance()->constObject(ids.first(), tripDataname());
    if (!trip.isValid()) {
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "attached worker not exists" << ids.first();
        return;
    }
    auto* dialog = new AttachWorkerEditDialog(m_window);
    dialog->setObjectName(QStringLiteral("attachWorkerEditDialog"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setModal(true);
    dialog->fields()->setMinimumDate(WorkTimeUtils::startEditableDate());
    dialog->fields()->setMaximumDate(WorkTimeUtils::finishEditableDate());
    dialog->setInfo(trip);
    connect(dialog, &AttachWorkerEditDialog::executeTask, this, &AttachWorkerRegister::executeTask);
    requestOrgstructure(dialog, [dialog](const orvanta::OBJECT_HASH& objects) { dialog->setOrgstructure(objects); });
    dialog->show();
}

void AttachWorkerRegister::removeWorkers()
{
    if (!RoleContainer::canDeleteAttachWorker())
        return;
    deleteTrips(selectedIds());
}

void AttachWorkerRegister::showDetachWizard(orvanta::TYPE_ID employee, const QDate& start, const QDate& finish)
{
    if (!RoleContainer::canDeleteAttachWorker() || !m_planning)
        return;
    QList<orvanta::TYPE_ID> ids;
    for (const orvanta::ObjectInfo& trip : m_planning->attachedWorkers(employee, start, finish))
        ids.append(trip.uid);
    qCDebug(lcWtPlanning) << Q_FUNC_INFO << "detach" << employee << start << finish << ids;
    deleteTrips(ids);
}

void AttachWorkerRegister::deleteTrips(const QList<orvanta::TYPE_ID>& ids)
{
    if (ids.isEmpty())
        return;
    auto* wizard = new DeleteObjectWizard(m_window);
    wizard->setObjectName(QStringLiteral("deleteAttachedWizard"));
    wizard->setAttribute(Qt::WA_DeleteOnClose);
    wizard->setModal(true);
    wizard->setUids(ids);
    wizard->setNeedVerify(false);
    // Queued: the wizard shows its progress page before the first task runs.
    connect(wizard, &DeleteObjectWizard::appendTask, this, &AttachWorkerRegister::executeTask, Qt::QueuedConnection);
    wizard->setEnabled(true);
    wizard->show();
}

void AttachWorkerRegister::localDataChanged(const QString& dataname, const QList<unsigned int>& ids)
{
    // An employee's change may show or hide his trips.
    if (dataname == QLatin1String(orvanta::SUBJECT_DATANAME)) {
        m_proxy->invalidate();
        return;
    }
    if (dataname != tripDataname())
        return;
    const orvanta::LocalStorage* store = orvanta::LocalStorage::instance();
    for (unsigned int id : ids)
        m_model->addObject(store->constObject(id, tripDataname()));
    emit selectionChanged();
}

void AttachWorkerRegister::localDataRemoved(const QString& dataname, const QList<unsigned int>& ids)
{
    if (dataname == QLatin1String(orvanta::SUBJECT_DATANAME)) {
        m_proxy->invalidate();
        return;
    }
    if (dataname != tripDataname())
        return;
    for (unsigned int id : ids)
        m_model->removeObjectByUid(id);
    updateEnables();
    emit selectionChanged();
}
