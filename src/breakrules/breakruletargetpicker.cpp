#include "breakruletargetpicker.h"

#include "breakrulefields.h"
#include "localstorage.h"
#include "vocabulary.h"
#include "workerhistoryitemdelegate.h"
#include "workerhistorypanelwidget.h"
#include "workerhistoryproxymodel.h"

#include <QComboBox>
#include <QTreeView>

BreakRuleTargetPicker::BreakRuleTargetPicker(QComboBox* typeBox, WorkerHistoryPanelWidget* tree, QObject* parent)
    : QObject(parent), m_typeBox(typeBox), m_tree(tree), m_proxy(new WorkerHistoryProxyModel(this))
{
    BreakRuleFields::fillTargetTypes(typeBox);
    m_proxy->setSourceModel(orvanta::LocalStorage::instance()->model(QLatin1String(orvanta::ORGSTRUCTURE_DATANAME)));
    m_proxy->setSearchIndex(QStringLiteral("orgstructure"));
    m_proxy->setSortRole(Qt::UserRole + 2);
    m_proxy->setCheckable(true);
    m_proxy->setReadOnly(true);
    m_proxy->setSearchEnabled(true);
    m_proxy->sort(0);
    tree->setShowDismissedVisible(false);
    tree->setShowDismissed(false);
    tree->setModel(m_proxy);
    tree->setItemDelegate(new WorkerHistoryItemDelegate(tree));
    updateModelType();
    tree->treeView()->expandToDepth(1);

    connect(typeBox, QOverload<int>::of(&QComboBox::currentIndexChanged), this, [this] {
        updateModelType();
        emit targetsChanged();
    });
    connect(m_proxy, &WorkerHistoryProxyModel::changeCheckedStateUid, this, &BreakRuleTargetPicker::targetsChanged);
}

int BreakRuleTargetPicker::targetType() const
{
    return m_typeBox->currentData().toInt();
}

void BreakRuleTargetPicker::setTargetType(int type)
{
    const int index = m_typeBox->findData(type);
    m_typeBox->setCurrentIndex(index >= 0 ? index : 0);
    updateModelType();
}

QList<unsigned int> BreakRuleTargetPicker::selectedObjects() const
{
    const QList<orvanta::TYPE_ID> checked = m_tree->checked();
    const QSet<orvanta::TYPE_ID> ticks(checked.cbegin(), checked.cend());
    const bool untouched = !m_given.isEmpty() && ticks == m_givenTicks;
    const orvanta::LocalStorage* store = orvanta::LocalStorage::instance();
    const bool employees = targetType() == db::break_rule::TYPE_EMPLOYEES;
    QList<unsigned int> selected;
    for (orvanta::TYPE_ID id : untouched ? m_given : checked) {
        const orvanta::ObjectInfo object = store->constObject(id);
        // A checked department stands for its employees in the tree, not for a target of its own.
        const bool worker = object.type == QLatin1String(db::orgstructure::WORKER);
        if (employees ? worker : untouched || !ticks.contains(object.parent))
            selected.append(id);
    }
    return selected;
}

void BreakRuleTargetPicker::setChecked(const QList<unsigned int>& ids)
{
    m_tree->setChecked(ids);
    m_given = ids;
    const QList<orvanta::TYPE_ID> checked = m_tree->checked();
    m_givenTicks = QSet<orvanta::TYPE_ID>(checked.cbegin(), checked.cend());
}

void BreakRuleTargetPicker::updateModelType()
{
    m_proxy->setModelType(targetType());
}
