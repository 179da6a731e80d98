#include "attachworkerselectwizardpage.h"

#include "localstorage.h"
#include "grantedproxymodel.h"
#include "searchwidget.h"
#include "styleditemdelegate.h"
#include "vocabulary.h"
#include "wtplanninglogging.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTreeView>
#include <QVBoxLayout>

AttachWorkerSelectWizardPage::AttachWorkerSelectWizardPage(QWidget* parent)
    : QWizardPage(parent)
    , m_searchWidget(new SearchWidget(this))
    , m_view(new QTreeView(this))
    , m_proxy(new GrantedProxyModel(this))
{
    setTitle(tr("Сотрудник"));
    m_searchWidget->setObjectName(QStringLiteral("searchWidget"));
    m_searchWidget->setAdvancedButtonVisible(false);
    m_searchWidget->setPlaceholderText(tr("Фильтр по названию подразделения"));
    m_view->setObjectName(QStringLiteral("employeeView"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_searchWidget);
    layout->addWidget(m_view);

    m_proxy->setSourceModel(orvanta::LocalStorage::instance()->model(QLatin1String(orvanta::ORGSTRUCTURE_DATANAME)));
    m_proxy->setCheckable(false);
    m_proxy->setReadOnly(true);
    m_proxy->setSortRole(Qt::UserRole + 2);
    m_proxy->setSearchEnabled(true);
    m_proxy->setSearchIndex(QLatin1String(orvanta::ORGSTRUCTURE_DATANAME));
    m_proxy->setTypeFilter({QLatin1String(db::orgstructure::SUBJECTROOT), QLatin1String(db::orgstructure::FIRM),
                            QLatin1String(db::orgstructure::DEPARTMENT), QLatin1String(db::orgstructure::WORKER)});
    m_view->setModel(m_proxy);
    m_view->setItemDelegate(new StyledItemDelegate(m_view));
    m_view->header()->hide();
    m_view->hideColumn(1);
    m_view->setSortingEnabled(true);
    m_view->sortByColumn(0, Qt::AscendingOrder);
    for (int row = 0; row < m_proxy->rowCount(); ++row) {
        if (m_proxy->type(m_proxy->index(row, 0)) == QLatin1String(db::orgstructure::SUBJECTROOT)) {
            m_view->setRootIndex(m_proxy->index(row, 0));
            break;
        }
    }
    m_view->expandToDepth(0);

    connect(m_searchWidget, &SearchWidget::startSearch, this, &AttachWorkerSelectWizardPage::search);
    connect(m_view->selectionModel(), &QItemSelectionModel::currentChanged, this, &QWizardPage::completeChanged);
    connect(m_view->selectionModel(), &QItemSelectionModel::selectionChanged, this, &QWizardPage::completeChanged);
}

orvanta::TYPE_ID AttachWorkerSelectWizardPage::uid() const
{
    const QModelIndex current = m_view->currentIndex();
    if (!current.isValid()) {
        qCDebug(lcWtPlanning) << Q_FUNC_INFO << "invalid index";
        return 0;
    }
    const QString type = m_proxy->type(current);
    if (type != QLatin1String(db::orgstructure::WORKER)) {
        qCDebug(lcWtPlanning) << Q_FUNC_INFO << "wrong type" << type;
        return 0;
    }
    return m_proxy->uid(current);
}

void AttachWorkerSelectWizardPage::setUid(orvanta::TYPE_ID uid)
{
    const QModelIndex index = m_proxy->indexForUid(uid);
    for (QModelIndex ancestor = index.parent(); ancestor.isValid(); ancestor = ancestor.parent())
        m_view->expand(ancestor);
    m_view->selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Current | QItemSelectionModel::Rows);
}

bool AttachWorkerSelectWizardPage::isComplete() const
{
    return uid() != 0;
}

void AttachWorkerSelectWizardPage::search(const QString& text)
{
    m_proxy->setSearchText(text);
    if (!text.isEmpty())
        m_view->expandAll();
}
