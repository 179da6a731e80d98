#include "worktimedepartmentchooser.h"

#include "worktimeplanningmodel.h"
#include "wtplanninglogging.h"

#include <QComboBox>
#include <QHash>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QSortFilterProxyModel>

namespace {

constexpr int chooserCharacters = 26;

} // namespace

WorkTimeDepartmentChooser::WorkTimeDepartmentChooser(WorkTimePlanningModel* model, QSortFilterProxyModel* proxy,
                                                     QObject* parent)
    : QWidgetAction(parent), m_model(model), m_proxy(proxy), m_combo(new QComboBox)
{
    m_combo->setObjectName(QStringLiteral("departmentChooser"));
    m_combo->setToolTip(tr("Показать строки одного подразделения"));
    // A width of its own: one that followed the names would have the window laid out anew at every load.
    m_combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_combo->setMinimumContentsLength(chooserCharacters);
    setDefaultWidget(m_combo);
    m_proxy->setFilterKeyColumn(WorkTimePlanningModel::DepartmentColumn);
    m_proxy->setFilterRole(WorkTimePlanningModel::DepartmentRole);
    connect(m_model, &QAbstractItemModel::modelReset, this, &WorkTimeDepartmentChooser::refill);
    connect(m_combo, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &WorkTimeDepartmentChooser::narrow);
    refill();
}

orvanta::TYPE_ID WorkTimeDepartmentChooser::department() const
{
    return m_combo->currentData().toUInt();
}

void WorkTimeDepartmentChooser::setDepartment(orvanta::TYPE_ID department)
{
    m_combo->setCurrentIndex(qMax(0, m_combo->findData(department)));
}

void WorkTimeDepartmentChooser::refill()
{
    const orvanta::TYPE_ID chosen = department();
    QHash<orvanta::TYPE_ID, int> rows;
    for (int row = 0; row < m_model->rowCount(); ++row)
        ++rows[m_model->index(row, 0).data(WorkTimePlanningModel::DepartmentRole).toUInt()];
    {
        const QSignalBlocker blocker(m_combo);
        m_combo->clear();
        m_combo->addItem(tr("Все подразделения (%1)").arg(m_model->rowCount()), 0u);
        const QList<QPair<orvanta::TYPE_ID, QString>> departments = m_model->rowDepartments();
        for (const auto& [uid, name] : departments)
            m_combo->addItem(QStringLiteral("%1 (%2)").arg(name).arg(rows.value(uid)), uid);
    }
    // Only a single department is worth narrowing to.
    m_combo->setEnabled(m_combo->count() > 2);
    setDepartment(chosen);
    narrow(m_combo->currentIndex());
}

void WorkTimeDepartmentChooser::narrow(int index)
{
    const orvanta::TYPE_ID uid = m_combo->itemData(index).toUInt();
    qCDebug(lcWtPlanning) << Q_FUNC_INFO << "department" << uid;
    const QString pattern = uid == 0 ? QString() : QStringLiteral("^%1$").arg(uid);
    if (m_proxy->filterRegularExpression().pattern() != pattern)
        m_proxy->setFilterRegularExpression(pattern);
    m_model->setShownDepartment(uid);
    emit departmentChanged(uid);
}
