#include "workerhistorypanelwidget.h"

#include "objecttreeproxy.h"
#include "ovglobals.h"
#include "searchwidget.h"
#include "vocabulary.h"
#include "widgetslogging.h"
#include "workerhistoryproxymodel.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTreeView>
#include <QVBoxLayout>

WorkerHistoryPanelWidget::WorkerHistoryPanelWidget(QWidget* parent)
    : QWidget(parent)
    , m_searchWidget(new SearchWidget(this))
    , m_showDismissedBox(new QCheckBox(tr("Показывать уволенных"), this))
    , m_showAllBox(new QCheckBox(tr("Показать все"), this))
    , m_treeView(new QTreeView(this))
{
    m_searchWidget->setAdvancedButtonVisible(false);
    m_showAllBox->setChecked(true);

    m_treeView->setHeaderHidden(true);
    m_treeView->setUniformRowHeights(true);
    m_treeView->setSelectionMode(QAbstractItemView::SingleSelection);
    m_treeView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_treeView->installEventFilter(this);

    auto* switches = new QHBoxLayout;
    switches->setContentsMargins(0, 0, 0, 0);
    switches->addWidget(m_showDismissedBox);
    switches->addWidget(m_showAllBox);
    switches->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_searchWidget);
    layout->addLayout(switches);
    layout->addWidget(m_treeView, 1);

    connect(m_searchWidget, &SearchWidget::startSearch, this, &WorkerHistoryPanelWidget::startSearch);
    connect(m_showDismissedBox, &QCheckBox::toggled, this, &WorkerHistoryPanelWidget::applySwitches);
    connect(m_showAllBox, &QCheckBox::toggled, this, &WorkerHistoryPanelWidget::applySwitches);
}

void WorkerHistoryPanelWidget::setModel(ObjectTreeProxy* model)
{
    disconnect(m_checkedConnection);
    m_model = model;
    m_treeView->setModel(model);
    if (!model)
        return;
    for (int column = 1; column < model->columnCount(); ++column)
        m_treeView->hideColumn(column);
    m_checkedConnection =
        connect(model, &ObjectTreeProxy::checkedChanged, this, &WorkerHistoryPanelWidget::checkedChanged);
    applySwitches();
    startSearch();
}

ObjectTreeProxy* WorkerHistoryPanelWidget::model() const
{
    return m_model;
}

void WorkerHistoryPanelWidget::setItemDelegate(QAbstractItemDelegate* delegate)
{
    if (delegate && !delegate->parent())
        delegate->setParent(this);
    m_treeView->setItemDelegate(delegate);
}

void WorkerHistoryPanelWidget::setShowDismissedVisible(bool visible)
{
    m_showDismissedBox->setVisible(visible);
}

bool WorkerHistoryPanelWidget::isShowDismissedVisible() const
{
    return !m_showDismissedBox->isHidden();
}

void WorkerHistoryPanelWidget::setShowDismissed(bool show)
{
    m_showDismissedBox->setChecked(show);
}

bool WorkerHistoryPanelWidget::showDismissed() const
{
    return m_showDismissedBox->isChecked();
}

void WorkerHistoryPanelWidget::setShowAllVisible(bool visible)
{
    m_showAllBox->setVisible(visible);
}

bool WorkerHistoryPanelWidget::isShowAllVisible() const
{
    return !m_showAllBox->isHidden();
}

void WorkerHistoryPanelWidget::setShowAll(bool show)
{
    m_showAllBox->setChecked(show);
}

bool WorkerHistoryPanelWidget::showAll() const
{
    return m_showAllBox->isChecked();
}

QList<orvanta::TYPE_ID> WorkerHistoryPanelWidget::checked() const
{
    return m_model ? m_model->checked() : QList<orvanta::TYPE_ID>();
}

void WorkerHistoryPanelWidget::setChecked(const QList<orvanta::TYPE_ID>& uids)
{
    if (!m_model) {
        qCWarning(lcWidgets) << Q_FUNC_INFO << "no model, checks dropped" << uids;
        return;
    }
    m_model->setChecked(uids);
}

QStringList WorkerHistoryPanelWidget::departments() const
{
    QStringList names;
    if (!m_model)
        return names;
    for (orvanta::TYPE_ID uid : m_model->checked()) {
        const orvanta::ObjectInfo object = m_model->object(uid);
        if (object.type == QLatin1String(db::orgstructure::DEPARTMENT))
            names.append(OVGlobals::objectName(object));
    }
    return names;
}

void WorkerHistoryPanelWidget::startSearch()
{
    if (!m_model)
        return;
    const QString text = m_searchWidget->text();
    m_model->setSearchText(text);
    // Matches may sit deep in the tree; a collapsed branch would hide them.
    if (!text.trimmed().isEmpty())
        m_treeView->expandAll();
}

bool WorkerHistoryPanelWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_treeView || event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);

    const auto* keyEvent = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers modifiers = keyEvent->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier);
    if (modifiers != Qt::NoModifier)
        return false;
    if (keyEvent->key() == Qt::Key_Space)
        return toggleCurrentCheck();
    return forwardToSearch(keyEvent->text());
}

void WorkerHistoryPanelWidget::applySwitches()
{
    if (!m_model)
        return;
    if (auto* workerModel = qobject_cast<WorkerHistoryProxyModel*>(m_model.data()))
        workerModel->setShowDismissed(m_showDismissedBox->isChecked());
    m_model->setCheckedOnly(!m_showAllBox->isChecked());
}

bool WorkerHistoryPanelWidget::toggleCurrentCheck()
{
    const QModelIndex current = m_treeView->currentIndex().siblingAtColumn(0);
    if (!m_model || !current.isValid() || !(m_model->flags(current) & Qt::ItemIsUserCheckable))
        return false;
    const bool checked = m_model->checkState(current) != Qt::Checked;
    m_model->setData(current, checked ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole);
    return true;
}

bool WorkerHistoryPanelWidget::forwardToSearch(const QString& text)
{
    if (text.isEmpty() || !text.at(0).isPrint() || text.at(0).isSpace())
        return false;
    QLineEdit* lineEdit = m_searchWidget->lineEdit();
    lineEdit->setFocus(Qt::ShortcutFocusReason);
    lineEdit->insert(text);
    return true;
}
