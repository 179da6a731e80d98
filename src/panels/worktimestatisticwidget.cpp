#include "worktimestatisticwidget.h"

#include "ovdateedit.h"
#include "worktimetotalwidget.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

constexpr char kStyleSheet[] = "#monthLabel, #statLabel{\nfont-style: normal;\nfont-weight: normal;\nfont-size: 16px;\n}\n\n"
                               "#confirmLabel {\nfont-style: normal;\nfont-weight: normal;\nfont-size: 9px;\n}";
constexpr int kConfirmIconSize = 16;

} // namespace

WorkTimeStatisticWidget::WorkTimeStatisticWidget(QWidget* parent)
    : QWidget(parent)
{
    setStyleSheet(QLatin1String(kStyleSheet));
    auto* layout = new QVBoxLayout(this);

    m_monthLabel = new QLabel(this);
    m_monthLabel->setObjectName(QStringLiteral("monthLabel"));
    layout->addWidget(m_monthLabel);

    m_scheduleConfirmWidget = new QWidget(this);
    m_scheduleConfirmWidget->setObjectName(QStringLiteral("scheduleConfirmWidget"));
    auto* confirmLayout = new QHBoxLayout(m_scheduleConfirmWidget);
    confirmLayout->setContentsMargins(0, 0, 0, 0);
    auto* confirmIcon = new QLabel(m_scheduleConfirmWidget);
    confirmIcon->setObjectName(QStringLiteral("confirmIcon"));
    confirmIcon->setPixmap(QIcon::fromTheme(QStringLiteral("common-warning")).pixmap(kConfirmIconSize));
    auto* confirmLabel = new QLabel(tr("График работ не утвержден"), m_scheduleConfirmWidget);
    confirmLabel->setObjectName(QStringLiteral("confirmLabel"));
    confirmLayout->addWidget(confirmIcon);
    confirmLayout->addWidget(confirmLabel, 1);
    layout->addWidget(m_scheduleConfirmWidget);

    m_totalWidget = new WorkTimeTotalWidget(this);
    m_totalWidget->setObjectName(QStringLiteral("totalWidget"));
    layout->addWidget(m_totalWidget);

    buildCoverageArea(layout);
    layout->addStretch(1);
    clear();
}

void WorkTimeStatisticWidget::buildCoverageArea(QVBoxLayout* layout)
{
    m_coverageWidget = new QWidget(this);
    m_coverageWidget->setObjectName(QStringLiteral("widget"));
    auto* coverageLayout = new QVBoxLayout(m_coverageWidget);
    auto* statLabel = new QLabel(tr("Покрытие рабочего дня"), m_coverageWidget);
    statLabel->setObjectName(QStringLiteral("statLabel"));
    m_dateEdit = new OVDateEdit(m_coverageWidget);
    m_dateEdit->setObjectName(QStringLiteral("dateEdit"));
    m_dateEdit->setCalendarPopup(true);
    auto* contentLayout = new QVBoxLayout;
    contentLayout->setObjectName(QStringLiteral("contentLayout"));
    coverageLayout->addWidget(statLabel);
    coverageLayout->addWidget(m_dateEdit);
    coverageLayout->addLayout(contentLayout);
    layout->addWidget(m_coverageWidget);
    connect(m_dateEdit, &QDateEdit::dateChanged, this, &WorkTimeStatisticWidget::dateChanged);
    m_coverageWidget->hide();
}

void WorkTimeStatisticWidget::setMonthTitle(const QString& title)
{
    m_monthLabel->setText(title);
}

QString WorkTimeStatisticWidget::monthTitle() const
{
    return m_monthLabel->text();
}

void WorkTimeStatisticWidget::setConfirmMessageVisible(bool visible)
{
    m_scheduleConfirmWidget->setVisible(visible);
}

bool WorkTimeStatisticWidget::isConfirmMessageVisible() const
{
    return !m_scheduleConfirmWidget->isHidden();
}

void WorkTimeStatisticWidget::setChartDate(const QDate& date)
{
    const QSignalBlocker blocker(m_dateEdit);
    m_dateEdit->setDate(date);
}

QDate WorkTimeStatisticWidget::chartDate() const
{
    return m_dateEdit->date();
}

void WorkTimeStatisticWidget::setChartData(const QDate&, const QMap<int, double>&)
{
}

void WorkTimeStatisticWidget::clear()
{
    setConfirmMessageVisible(false);
    m_totalWidget->clear();
}
