#include "breakrulesettingswizardpage.h"

#include "breakrulefields.h"
#include "ovdateedit.h"
#include "ovguiglobals.h"
#include "timeintervaldelegate.h"
#include "vocabulary.h"
#include "worktimeutils.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

BreakRuleSettingsWizardPage::BreakRuleSettingsWizardPage(QWidget* parent)
    : OVWizardPage(parent)
    , m_dateEdit(new OVDateEdit(WorkTimeUtils::today(), this))
    , m_addButton(new QPushButton(QIcon::fromTheme(QStringLiteral("action-add")), tr("Добавить"), this))
    , m_delButton(new QPushButton(QIcon::fromTheme(QStringLiteral("action-remove")), tr("Удалить"), this))
    , m_ruleView(new QTableWidget(0, 3, this))
    , m_messageLabel(new QLabel(this))
{
    setTitle(tr("Параметры"));
    m_dateEdit->setObjectName(QStringLiteral("dateEdit"));
    m_dateEdit->setCalendarPopup(true);
    m_addButton->setObjectName(QStringLiteral("addButton"));
    m_delButton->setObjectName(QStringLiteral("delButton"));
    m_ruleView->setObjectName(QStringLiteral("ruleView"));
    m_ruleView->setHorizontalHeaderLabels(
        {tr("Продолжительность\nсмены от"), tr("Продолжительность\nсмены до"), tr("Время\nобеда")});
    m_ruleView->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    m_ruleView->setItemDelegate(new TimeIntervalDelegate(m_ruleView));
    m_messageLabel->setObjectName(QStringLiteral("messageLabel"));
    m_messageLabel->setWordWrap(true);
    m_messageLabel->setStyleSheet(QStringLiteral("color: #C00000;"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_addButton);
    buttons->addWidget(m_delButton);
    buttons->addStretch(1);
    auto* group = new QGroupBox(tr("Правила"), this);
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addLayout(buttons);
    groupLayout->addWidget(m_ruleView);
    auto* form = new QFormLayout;
    form->addRow(tr("Применить с"), m_dateEdit);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(group, 1);
    layout->addWidget(m_messageLabel);

    connect(m_addButton, &QPushButton::clicked, this, &BreakRuleSettingsWizardPage::addRow);
    connect(m_delButton, &QPushButton::clicked, this, &BreakRuleSettingsWizardPage::delRow);
    m_cellConnection = connect(m_ruleView, &QTableWidget::cellChanged, this, &BreakRuleSettingsWizardPage::cellChanged);
}

QDate BreakRuleSettingsWizardPage::dateStart() const
{
    return m_dateEdit->date();
}

void BreakRuleSettingsWizardPage::addRow()
{
    // The three cells are filled before the row is checked once.
    disconnect(m_cellConnection);
    const int row = m_ruleView->rowCount();
    m_ruleView->insertRow(row);
    for (int column = 0; column < m_ruleView->columnCount(); ++column) {
        auto* item = new QTableWidgetItem;
        item->setData(Qt::DisplayRole, 0);
        m_ruleView->setItem(row, column, item);
    }
    m_cellConnection = connect(m_ruleView, &QTableWidget::cellChanged, this, &BreakRuleSettingsWizardPage::cellChanged);
    m_ruleView->setCurrentCell(row, FromColumn);
    cellChanged(row, FromColumn);
    emit completeChanged();
}

void BreakRuleSettingsWizardPage::delRow()
{
    // The wizard needs at least one rule.
    if (m_ruleView->rowCount() < 2)
        return;
    m_ruleView->removeRow(qMax(0, m_ruleView->currentRow()));
    emit completeChanged();
}

int BreakRuleSettingsWizardPage::cellSeconds(int row, int column) const
{
    const QTableWidgetItem* item = m_ruleView->item(row, column);
    return item ? item->data(Qt::DisplayRole).toInt() : 0;
}

QString BreakRuleSettingsWizardPage::rowProblem(int row) const
{
    return BreakRuleFields::problem(cellSeconds(row, FromColumn), cellSeconds(row, ToColumn),
                                    cellSeconds(row, BreakColumn));
}

void BreakRuleSettingsWizardPage::cellChanged(int row, int column)
{
    Q_UNUSED(column)
    const QString problem = rowProblem(row);
    setRowBgColor(row, problem.isEmpty() ? QColor() : OVGuiGlobals::lightRed());
    m_messageLabel->setText(problem.isEmpty() ? QString() : tr("Строка %1: %2").arg(row + 1).arg(problem));
    emit completeChanged();
}

void BreakRuleSettingsWizardPage::setRowBgColor(int row, const QColor& color)
{
    // Painting the row must not look like an edit of it.
    const QSignalBlocker blocker(m_ruleView);
    for (int column = 0; column < m_ruleView->columnCount(); ++column) {
        if (QTableWidgetItem* item = m_ruleView->item(row, column))
            item->setData(Qt::BackgroundRole, color.isValid() ? QVariant(color) : QVariant());
    }
}

bool BreakRuleSettingsWizardPage::isComplete() const
{
    if (m_ruleView->rowCount() == 0)
        return false;
    for (int row = 0; row < m_ruleView->rowCount(); ++row) {
        if (!rowProblem(row).isEmpty())
            return false;
    }
    return true;
}

QList<orvanta::ObjectInfo> BreakRuleSettingsWizardPage::breakRules() const
{
    QList<orvanta::ObjectInfo> rules;
    for (int row = 0; row < m_ruleView->rowCount(); ++row) {
        const int from = cellSeconds(row, FromColumn);
        const int to = cellSeconds(row, ToColumn);
        const int breakTime = cellSeconds(row, BreakColumn);
        if (from <= 0 || to <= 0 || from > to)
            continue;
        orvanta::ObjectInfo rule;
        rule.type = QLatin1String(db::wt::BREAK_RULE);
        const auto set = [&rule](const char* key, const QString& value) { rule.properties.insert(QLatin1String(key), value); };
        set(db::break_rule::TIME_FROM, QString::number(from));
        set(db::break_rule::TIME_TO, QString::number(to));
        set(db::break_rule::BREAK_TIME, QString::number(breakTime));
        set(db::break_rule::DATE, dateStart().toString(Qt::ISODate));
        set(db::break_rule::NAME, BreakRuleFields::ruleName(from, to, breakTime));
        rules.append(rule);
    }
    return rules;
}
