#include "attachworkerdepartmentselector.h"

#include "localstorage.h"
#include "grantedproxymodel.h"
#include "objecttreemodel.h"
#include "searchwidget.h"
#include "styleditemdelegate.h"
#include "vocabulary.h"
#include "wtplanninglogging.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTreeView>
#include <QVBoxLayout>

AttachWorkerDepartmentSelector::AttachWorkerDepartmentSelector(QWidget* parent)
    : QGroupBox(tr("Место командировки"), parent)
    , m_searchWidget(new SearchWidget(this))
    , m_view(new QTreeView(this))
    , m_model(new ObjectTreeModel(this))
    , m_proxy(new GrantedProxyModel(this))
{
    setObjectName(QStringLiteral("gbDep"));
    m_searchWidget->setObjectName(QStringLiteral("searchWidget"));
    m_searchWidget->setAdvancedButtonVisible(false);
    m_searchWidget->setPlaceholderText(tr("Фильтр по названию подразделения"));
    m_view->setObjectName(QStringLiteral("depView"));
    m_view->setMinimumSize(360, 240);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_searchWidget);
    layout->addWidget(m_view);

    m_proxy->setSourceModel(m_model);
    m_proxy->setCheckable(false);
    m_proxy->setReadOnly(true);
    m_proxy->setSortRole(Qt::UserRole + 2);
    m_proxy->setSearchEnabled(true);
    m_proxy->setSearchIndex(QLatin1String(orvanta::ORGSTRUCTURE_DATANAME));
    m_proxy->setTypeFilter({QLatin1String(db::orgstructure::SUBJECTROOT), QLatin1String(db::orgstructure::FIRM),
                            QLatin1String(db::orgstructure::DEPARTMENT)});
    m_view->setModel(m_proxy);
    m_view->setItemDelegate(new StyledItemDelegate(m_view));
    m_view->header()->hide();
    m_view->hideColumn(1);
    m_view->setSortingEnabled(true);
    m_view->sortByColumn(0, Qt::AscendingOrder);
    setEnabled(false);

    connect(m_searchWidget, &SearchWidget::startSearch, this, &AttachWorkerDepartmentSelector::search);
    connect(m_view->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &AttachWorkerDepartmentSelector::departmentChanged);
    connect(m_view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &AttachWorkerDepartmentSelector::departmentChanged);
}

QSet<orvanta::TYPE_ID> AttachWorkerDepartmentSelector::disabledDepartments(orvanta::TYPE_ID employee,
                                                                          const orvanta::OBJECT_HASH& structure)
{
    const orvanta::TYPE_ID own = orvanta::LocalStorage::instance()
                                     ->constObject(employee, QLatin1String(orvanta::SUBJECT_DATANAME))
                                     .parent;
    if (own == 0)
        return {};
    QSet<orvanta::TYPE_ID> disabled{own};
    for (const orvanta::ObjectInfo& object : structure) {
        if (object.type != QLatin1String(db::orgstructure::DEPARTMENT))
            continue;
        // Walks up to the firm; the step limit guards against a parent cycle in bad data.
        orvanta::TYPE_ID ancestor = object.parent;
        for (int step = 0; ancestor != 0 && step < structure.size(); ++step) {
            if (ancestor == own) {
                disabled.insert(object.uid);
                break;
            }
            ancestor = structure.constValue(ancestor).parent;
        }
    }
    return disabled;
}

void AttachWorkerDepartmentSelector::setOrgstructure(const orvanta::OBJECT_HASH& objects)
{
    qCDebug(lcWtPlanning) << Q_FUNC_INFO << "set orgstructure" << objects.size();
    m_model->addObjects(objects);
    updateRootIndex();
    m_view->sortByColumn(0, Qt::AscendingOrder);
    m_view->expandToDepth(0);
    setEnabled(true);
    updateDisabledItems();
    selectDepartment(m_department);
}

void AttachWorkerDepartmentSelector::setEmployeeUid(orvanta::TYPE_ID employee)
{
    m_employee = employee;
    updateDisabledItems();
}

orvanta::TYPE_ID AttachWorkerDepartmentSelector::departmentUid() const
{
    const QModelIndex current = m_view->currentIndex();
    if (!current.isValid()) {
        qCDebug(lcWtPlanning) << Q_FUNC_INFO << "invalid index";
        return 0;
    }
    const QString type = m_proxy->type(current);
    if (type != QLatin1String(db::orgstructure::FIRM) && type != QLatin1String(db::orgstructure::DEPARTMENT)) {
        qCDebug(lcWtPlanning) << Q_FUNC_INFO << "wrong type" << type;
        return 0;
    }
    const orvanta::TYPE_ID uid = m_proxy->uid(current);
    return m_disabled.contains(uid) ? 0 : uid;
}

orvanta::ObjectInfo AttachWorkerDepartmentSelector::depinfo() const
{
    return m_model->info(departmentUid());
}

void AttachWorkerDepartmentSelector::selectDepartment(orvanta::TYPE_ID department)
{
    m_department = department;
    const QModelIndex index = department ? m_proxy->indexForUid(department) : QModelIndex();
    if (!index.isValid()) {
        m_view->selectionModel()->clear();
        return;
    }
    for (QModelIndex ancestor = index.parent(); ancestor.isValid(); ancestor = ancestor.parent())
        m_view->expand(ancestor);
    m_view->selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Current | QItemSelectionModel::Rows);
    m_view->scrollTo(index);
}

void AttachWorkerDepartmentSelector::search(const QString& text)
{
    m_proxy->setSearchText(text);
    updateRootIndex();
    if (!text.isEmpty())
        m_view->expandAll();
}

void AttachWorkerDepartmentSelector::updateDisabledItems()
{
    for (orvanta::TYPE_ID uid : qAsConst(m_disabled))
        m_proxy->setUidEnabled(uid, true);
    m_disabled = disabledDepartments(m_employee, m_model->objects());
    for (orvanta::TYPE_ID uid : qAsConst(m_disabled))
        m_proxy->setUidEnabled(uid, false);
    emit departmentChanged();
}

void AttachWorkerDepartmentSelector::updateRootIndex()
{
    // The organisation's invisible root row is not a choice: the firms are the top of the tree.
    for (int row = 0; row < m_proxy->rowCount(); ++row) {
        const QModelIndex index = m_proxy->index(row, 0);
        if (m_proxy->type(index) == QLatin1String(db::orgstructure::SUBJECTROOT)) {
            m_view->setRootIndex(index);
            return;
        }
    }
}
