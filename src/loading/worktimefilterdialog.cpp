#include "worktimefilterdialog.h"

#include "localobjectmodel.h"
#include "localstorage.h"
#include "vocabulary.h"
#include "workerhistoryitemdelegate.h"
#include "workerhistorypanelwidget.h"
#include "workerhistoryproxymodel.h"
#include "worktimeperiodwidget.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

constexpr char kStyleSheet[] = "QDialog {\n    border: 1px solid #E5E5E5;\n\tborder-radius: 4px;\n}\n";
constexpr int kWidth = 360;
constexpr int kMinimumHeight = 600;
constexpr int kSortRole = Qt::UserRole + 2;

} // namespace

WorkTimeFilterDialog::WorkTimeFilterDialog(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Фильтр"));
    setStyleSheet(QLatin1String(kStyleSheet));
    setFixedWidth(kWidth);
    setMinimumHeight(kMinimumHeight);
    setWindowFlags(Qt::Popup | Qt::FramelessWindowHint);

    auto* layout = new QVBoxLayout(this);
    m_periodWidget = new WorkTimePeriodWidget(this);
    m_periodWidget->setObjectName(QStringLiteral("periodWidget"));
    m_workerWidget = new WorkerHistoryPanelWidget(this);
    m_workerWidget->setObjectName(QStringLiteral("workerWidget"));
    m_applyButton = new QPushButton(tr("Применить"), this);
    m_applyButton->setObjectName(QStringLiteral("applyButton"));
    m_applyButton->setDefault(true);
    m_applyButton->setMinimumSize(200, 42);
    layout->addWidget(m_periodWidget);
    layout->addWidget(m_workerWidget, 1);
    layout->addWidget(m_applyButton, 0, Qt::AlignHCenter);

    m_periodWidget->setMode(WorkTimePeriodWidget::ModeMonth);
    m_periodWidget->setPeriod(WorkTimePeriodWidget::CurrentMonth);
    connect(m_periodWidget, &WorkTimePeriodWidget::settingsChanged, this, &WorkTimeFilterDialog::settingsChanged);

    buildDepartmentTree();
    connect(m_applyButton, &QPushButton::clicked, this, &WorkTimeFilterDialog::accept);
    updateButtonEnabled();
}

void WorkTimeFilterDialog::buildDepartmentTree()
{
    m_departmentProxy = new WorkerHistoryProxyModel(this);
    m_departmentProxy->setSourceModel(
        orvanta::LocalStorage::instance()->model(QLatin1String(orvanta::ORGSTRUCTURE_DATANAME)));
    m_departmentProxy->setSortRole(kSortRole);
    m_departmentProxy->setCheckable(true);
    m_departmentProxy->setReadOnly(true);
    m_departmentProxy->setSearchEnabled(true);

    m_workerWidget->treeView()->setFrameShape(QFrame::NoFrame);
    m_workerWidget->setShowDismissedVisible(false);
    m_workerWidget->setShowAllVisible(true);
    m_workerWidget->setModel(m_departmentProxy);
    m_workerWidget->setItemDelegate(new WorkerHistoryItemDelegate(m_workerWidget));
    m_workerWidget->treeView()->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_workerWidget->treeView()->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_workerWidget->treeView()->header()->setStretchLastSection(false);
    connect(m_workerWidget, &WorkerHistoryPanelWidget::checkedChanged, this, &WorkTimeFilterDialog::settingsChanged);
    connect(m_workerWidget, &WorkerHistoryPanelWidget::checkedChanged, this,
            &WorkTimeFilterDialog::updateButtonEnabled);
}

QDate WorkTimeFilterDialog::dateStart() const
{
    return m_periodWidget->dateStart().date();
}

QDate WorkTimeFilterDialog::dateFinish() const
{
    return m_periodWidget->dateFinish().date();
}

QList<orvanta::TYPE_ID> WorkTimeFilterDialog::checked() const
{
    // A fully checked firm shows as checked too; only departments hold employees to plan.
    QList<orvanta::TYPE_ID> departments;
    const QList<orvanta::TYPE_ID> checkedIds = m_workerWidget->checked();
    const auto* store = orvanta::LocalStorage::instance();
    for (orvanta::TYPE_ID id : checkedIds) {
        const orvanta::ObjectInfo object = store->constObject(id, QLatin1String(orvanta::ORGSTRUCTURE_DATANAME));
        if (object.type == QLatin1String(db::orgstructure::DEPARTMENT))
            departments.append(id);
    }
    return departments;
}

void WorkTimeFilterDialog::updateButtonEnabled()
{
    m_applyButton->setEnabled(!checked().isEmpty());
}

void WorkTimeFilterDialog::accept()
{
    emit filterChanged(dateStart(), dateFinish(), checked(), m_workerWidget->departments());
    QDialog::accept();
}
