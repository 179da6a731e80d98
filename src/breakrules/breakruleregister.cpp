#include "breakruleregister.h"

#include "breakruleeditdialog.h"
#include "breakruleimpact.h"
#include "breakruleinfowidget.h"
#include "breakruleitemmodel.h"
#include "breakruleproxymodel.h"
#include "breakrulewizard.h"
#include "deleteobjectwizard.h"
#include "hiddenpanel.h"
#include "localstorage.h"
#include "rolecontainer.h"
#include "timeintervaldelegate.h"
#include "vocabulary.h"
#include "wtplanninglogging.h"

#include <QAction>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTableView>

using wtplanningview::RoleContainer;

namespace {

const QString& breakRuleDataname()
{
    static const QString name = QString::fromLatin1(orvanta::BREAK_RULE_DATANAME);
    return name;
}

} // namespace

BreakRuleRegister::BreakRuleRegister(QTableView* view, HiddenPanel* panel, const Actions& actions, QWidget* window)
    : QObject(window), m_view(view), m_panel(panel), m_actions(actions), m_window(window)
{
}

void BreakRuleRegister::initModels()
{
    m_model = new BreakRuleItemModel(this);
    m_model->setObjectName(QStringLiteral("breakRuleModel"));
    if (const orvanta::OBJECT_HASH* rules = orvanta::LocalStorage::instance()->constObjects(breakRuleDataname()))
        m_model->setObjects(*rules);
    m_proxy = new BreakRuleProxyModel(this);
    m_proxy->setSourceModel(m_model);
    m_view->setModel(m_proxy);
    m_view->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    // Sorted, the source row numbers would only confuse.
    m_view->verticalHeader()->hide();
    m_view->setItemDelegateForColumn(BreakRuleItemModel::BreakColumn, new TimeIntervalDelegate(m_view));
    connect(m_view->selectionModel(), &QItemSelectionModel::selectionChanged, this, &BreakRuleRegister::updateEnables);
    connect(m_view->selectionModel(), &QItemSelectionModel::selectionChanged, this, &BreakRuleRegister::updateInfo);
    connect(m_view, &QTableView::doubleClicked, this, &BreakRuleRegister::editRule);
    m_view->sortByColumn(BreakRuleItemModel::ShiftColumn, Qt::AscendingOrder);
}

void BreakRuleRegister::initPanel()
{
    m_panel->setTitle(tr("Свойства"));
    m_panel->setTitleVisible(false);
    m_infoWidget = new BreakRuleInfoWidget(m_panel);
    m_infoWidget->setObjectName(QStringLiteral("breakRuleInfo"));
    m_panel->addWidget(m_infoWidget);
}

void BreakRuleRegister::setPlanningModel(WorkTimePlanningModel* model)
{
    setPreview(BreakRuleImpact::preview(model));
}

QModelIndexList BreakRuleRegister::selectedRows() const
{
    return m_view->selectionModel() ? m_view->selectionModel()->selectedRows() : QModelIndexList();
}

QList<unsigned int> BreakRuleRegister::selectedIds() const
{
    QList<unsigned int> ids;
    for (const QModelIndex& index : selectedRows()) {
        const unsigned int id = index.data(BreakRuleItemModel::UidRole).toUInt();
        if (!ids.contains(id))
            ids.append(id);
    }
    return ids;
}

void BreakRuleRegister::updateEnables()
{
    const int selected = selectedRows().size();
    m_actions.add->setEnabled(RoleContainer::canAddBreakRule());
    m_actions.edit->setEnabled(RoleContainer::canEditBreakRule() && selected == 1);
    m_actions.remove->setEnabled(RoleContainer::canDeleteBreakRule() && selected > 0);
}

void BreakRuleRegister::updateInfo()
{
    if (!m_infoWidget)
        return;
    const QModelIndexList rows = selectedRows();
    if (rows.isEmpty())
        m_infoWidget->clear();
    else if (rows.size() == 1)
        m_infoWidget->showObjectInfo(rows.first());
    else
        m_infoWidget->showMultiObjectsInfo(rows);
}

void BreakRuleRegister::addRule()
{
    if (!RoleContainer::canAddBreakRule())
        return;
    auto* wizard = new BreakRuleWizard(m_window);
    wizard->setObjectName(QStringLiteral("breakRuleWizard"));
    wizard->setAttribute(Qt::WA_DeleteOnClose);
    wizard->setModal(true);
    wizard->setPageListVisible(true);
    wizard->setPreview(m_preview);
    connect(wizard, &BreakRuleWizard::executeTask, this, &BreakRuleRegister::executeTask);
    wizard->show();
}

void BreakRuleRegister::editRule()
{
    if (!RoleContainer::canEditBreakRule())
        return;
    const QList<unsigned int> ids = selectedIds();
    if (ids.size() != 1)
        return;
    const orvanta::ObjectInfo rule = orvanta::LocalStorage::instance()->constObject(ids.first(), breakRuleDataname());
    if (!rule.isValid()) {
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "break rule not exists" << ids.first();
        return;
    }
    auto* dialog = new BreakRuleEditDialog(m_window);
    dialog->setObjectName(QStringLiteral("breakRuleEditDialog"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setModal(true);
    dialog->setPreview(m_preview);
    dialog->setInfo(rule);
    connect(dialog, &BreakRuleEditDialog::executeTask, this, &BreakRuleRegister::executeTask);
    dialog->exec();
}

void BreakRuleRegister::removeRules()
{
    if (!RoleContainer::canDeleteBreakRule())
        return;
    const QList<unsigned int> ids = selectedIds();
    if (ids.isEmpty())
        return;
    auto* wizard = new DeleteObjectWizard(m_window);
    wizard->setObjectName(QStringLiteral("deleteBreakRuleWizard"));
    wizard->setAttribute(Qt::WA_DeleteOnClose);
    wizard->setModal(true);
    wizard->setUids(ids);
    wizard->setNeedVerify(false);
    // Queued: the wizard shows its progress page before the first task runs.
    connect(wizard, &DeleteObjectWizard::appendTask, this, &BreakRuleRegister::executeTask, Qt::QueuedConnection);
    wizard->setEnabled(true);
    wizard->show();
}

void BreakRuleRegister::localDataChanged(const QString& dataname, const QList<unsigned int>& ids)
{
    if (dataname != breakRuleDataname())
        return;
    const orvanta::LocalStorage* store = orvanta::LocalStorage::instance();
    for (unsigned int id : ids)
        m_model->addObject(store->constObject(id, breakRuleDataname()));
    // The panel shows the store's object, which may be the one that changed.
    updateInfo();
}

void BreakRuleRegister::localDataRemoved(const QString& dataname, const QList<unsigned int>& ids)
{
    if (dataname != breakRuleDataname())
        return;
    for (unsigned int id : ids)
        m_model->removeObjectByUid(id);
    updateEnables();
    updateInfo();
}
