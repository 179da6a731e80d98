#include "worktimetotalwidget.h"

#include <QGridLayout>
#include <QLabel>

namespace {

constexpr char kValueStyle[] = "font-size: 12px; font-weight: 500; color: #626262;";
constexpr char kBudgetStyle[] = "font-size: 24px; font-weight: 500; color: #22B1A9;";

QString titleStyle(int pixelSize)
{
    return QStringLiteral("font-size: %1px; font-weight: 500;").arg(pixelSize);
}

} // namespace

WorkTimeTotalWidget::WorkTimeTotalWidget(QWidget* parent)
    : QWidget(parent)
    , m_layout(new QGridLayout(this))
{
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_hoursBudgetLabel = addRow(QStringLiteral("hoursBudget"), tr("Бюджет часов:"), 10);
    m_hoursBudgetLabel->setStyleSheet(QLatin1String(kBudgetStyle));
    m_factLabel = addRow(QStringLiteral("fact"), tr("Запланировано:"), 12);
    m_diffLabel = addRow(QStringLiteral("diff"), tr("Расхождение:"), 12);
    m_salesPlanLabel = addRow(QStringLiteral("salePlan"), tr("План продаж"), 12);
    m_salesPlanLabel->setObjectName(QStringLiteral("salesPlanLabel"));
    m_perfLabel = addRow(QStringLiteral("perf"), tr("Производительность"), 12);
    m_attachedLabel = addRow(QStringLiteral("attached"), tr("Внутренние командировки:"), 12);
}

QLabel* WorkTimeTotalWidget::addRow(const QString& name, const QString& title, int titlePixelSize)
{
    const int row = m_layout->rowCount();
    auto* titleLabel = new QLabel(title, this);
    titleLabel->setObjectName(name + QStringLiteral("TitleLabel"));
    titleLabel->setStyleSheet(titleStyle(titlePixelSize));
    auto* valueLabel = new QLabel(QStringLiteral("0"), this);
    valueLabel->setObjectName(name + QStringLiteral("Label"));
    valueLabel->setStyleSheet(QLatin1String(kValueStyle));
    valueLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    valueLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_layout->addWidget(titleLabel, row, 0);
    m_layout->addWidget(valueLabel, row, 1);
    return valueLabel;
}

void WorkTimeTotalWidget::setHoursBudget(qint64 hours)
{
    m_hoursBudgetLabel->setText(QString::number(hours));
    updateDiscrepancy();
}

qint64 WorkTimeTotalWidget::hoursBudget() const
{
    return m_hoursBudgetLabel->text().toLongLong();
}

void WorkTimeTotalWidget::setFactValue(qint64 hours)
{
    m_factValue = hours;
    updatePlanned();
    updateDiscrepancy();
    updateProductivity();
}

void WorkTimeTotalWidget::setReasonValue(qint64 hours)
{
    m_reasonValue = hours;
    updatePlanned();
    updateDiscrepancy();
    updateProductivity();
}

void WorkTimeTotalWidget::setSalesPlanValue(qint64 value)
{
    m_salesPlanLabel->setText(QString::number(value));
    updateProductivity();
}

qint64 WorkTimeTotalWidget::salesPlanValue() const
{
    return m_salesPlanLabel->text().toLongLong();
}

void WorkTimeTotalWidget::setAttachedValue(qint64 hours)
{
    m_attachedLabel->setText(QString::number(hours));
}

qint64 WorkTimeTotalWidget::attachedValue() const
{
    return m_attachedLabel->text().toLongLong();
}

void WorkTimeTotalWidget::clear()
{
    m_hoursBudgetLabel->setText(QStringLiteral("0"));
    m_salesPlanLabel->setText(QStringLiteral("0"));
    m_reasonValue = 0;
    m_factValue = 0;
    updatePlanned();
    updateDiscrepancy();
    updateProductivity();
}

void WorkTimeTotalWidget::updatePlanned()
{
    m_factLabel->setText(QString::number(m_factValue + m_reasonValue));
}

void WorkTimeTotalWidget::updateDiscrepancy()
{
    // The discrepancy compares the budget with worked hours only; absences are not work.
    m_diffLabel->setText(QString::number(hoursBudget() - m_factValue));
}

void WorkTimeTotalWidget::updateProductivity()
{
    const qint64 productivity = m_factValue > 0 ? salesPlanValue() / m_factValue : 0;
    m_perfLabel->setText(QString::number(productivity));
}
