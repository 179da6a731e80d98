#include "worktimeperiodwidget.h"

#include "ovdateedit.h"
#include "ovtimeedit.h"
#include "wtplanninglogging.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

struct PeriodItem
{
    const char* text;
    WorkTimePeriodWidget::Period period;
};

QList<PeriodItem> periodItems(WorkTimePeriodWidget::Mode mode)
{
    using W = WorkTimePeriodWidget;
    switch (mode) {
    case W::ModePeriod:
        return {{QT_TRANSLATE_NOOP("WorkTimePeriodWidget", "Текущий месяц"), W::CurrentMonth},
                {QT_TRANSLATE_NOOP("WorkTimePeriodWidget", "Следующий месяц"), W::NextMonth},
                {QT_TRANSLATE_NOOP("WorkTimePeriodWidget", "Предыдущий месяц"), W::PreviousMonth},
                {QT_TRANSLATE_NOOP("WorkTimePeriodWidget", "Сегодня"), W::Today},
                {QT_TRANSLATE_NOOP("WorkTimePeriodWidget", "Вчера"), W::Yesterday},
                {QT_TRANSLATE_NOOP("WorkTimePeriodWidget", "Произвольный период"), W::Custom}};
    case W::ModeDateTime:
        return {{QT_TRANSLATE_NOOP("WorkTimePeriodWidget", "Сейчас"), W::Now},
                {QT_TRANSLATE_NOOP("WorkTimePeriodWidget", "Произвольное время"), W::Custom}};
    case W::ModeDate:
        return {{QT_TRANSLATE_NOOP("WorkTimePeriodWidget", "Сегодня"), W::Today},
                {QT_TRANSLATE_NOOP("WorkTimePeriodWidget", "Вчера"), W::Yesterday},
                {QT_TRANSLATE_NOOP("WorkTimePeriodWidget", "Произвольная дата"), W::Custom}};
    case W::ModeMonth:
        return {{QT_TRANSLATE_NOOP("WorkTimePeriodWidget", "Текущий месяц"), W::CurrentMonth},
                {QT_TRANSLATE_NOOP("WorkTimePeriodWidget", "Следующий месяц"), W::NextMonth},
                {QT_TRANSLATE_NOOP("WorkTimePeriodWidget", "Предыдущий месяц"), W::PreviousMonth},
                {QT_TRANSLATE_NOOP("WorkTimePeriodWidget", "Произвольный месяц"), W::Custom}};
    }
    return {};
}

constexpr int kMaximumYear = 9999;

QDate firstOfMonth(const QDate& date)
{
    return QDate(date.year(), date.month(), 1);
}

QDate lastOfMonth(const QDate& date)
{
    return QDate(date.year(), date.month(), date.daysInMonth());
}

// A label and an editor (or two) in one row of a page.
QWidget* editorRow(QWidget* parent, const QString& label, QWidget* first, QWidget* second = nullptr)
{
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* caption = new QLabel(label, row);
    caption->setMinimumWidth(40);
    caption->setBuddy(first);
    layout->addWidget(caption);
    layout->addWidget(first, 1);
    if (second)
        layout->addWidget(second);
    return row;
}

} // namespace

WorkTimePeriodWidget::WorkTimePeriodWidget(QWidget* parent)
    : QWidget(parent)
    , m_clock([] { return QDateTime::currentDateTime(); })
{
    buildForm();
    const QLocale locale;
    for (int month = 1; month <= 12; ++month)
        m_monthSelector->addItem(locale.standaloneMonthName(month, QLocale::LongFormat));
    const QDate now = today();
    m_monthSelector->setCurrentIndex(now.month() - 1);
    m_yearEdit->setValue(now.year());
    connect(m_cbPeriod, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &WorkTimePeriodWidget::periodChanged);
    connectEditors();
}

void WorkTimePeriodWidget::buildForm()
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_cbPeriod = new QComboBox(this);
    m_cbPeriod->setObjectName(QStringLiteral("cbPeriod"));
    layout->addWidget(m_cbPeriod);
    m_pages = new QStackedWidget(this);
    m_pages->addWidget(buildPeriodPage());
    m_pages->addWidget(buildDateTimePage());
    m_pages->addWidget(buildDatePage());
    m_pages->addWidget(buildMonthPage());
    layout->addWidget(m_pages);
}

QWidget* WorkTimePeriodWidget::buildPeriodPage()
{
    auto* page = new QWidget(this);
    page->setObjectName(QStringLiteral("periodPage"));
    m_deBeg = new OVDateEdit(page);
    m_deBeg->setObjectName(QStringLiteral("deBeg"));
    m_teBeg = new OVTimeEdit(page);
    m_teBeg->setObjectName(QStringLiteral("teBeg"));
    m_deEnd = new OVDateEdit(page);
    m_deEnd->setObjectName(QStringLiteral("deEnd"));
    m_teEnd = new OVTimeEdit(page);
    m_teEnd->setObjectName(QStringLiteral("teEnd"));
    // Seconds matter here: the finish of a day is 23:59:59.
    m_teBeg->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    m_teEnd->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(editorRow(page, tr("С"), m_deBeg, m_teBeg));
    layout->addWidget(editorRow(page, tr("по"), m_deEnd, m_teEnd));
    return page;
}

QWidget* WorkTimePeriodWidget::buildDateTimePage()
{
    auto* page = new QWidget(this);
    page->setObjectName(QStringLiteral("datetimePage"));
    m_datePartEdit = new OVDateEdit(page);
    m_datePartEdit->setObjectName(QStringLiteral("datePartEdit"));
    m_timePartEdit = new OVTimeEdit(page);
    m_timePartEdit->setObjectName(QStringLiteral("timePartEdit"));
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(editorRow(page, tr("Дата"), m_datePartEdit));
    layout->addWidget(editorRow(page, tr("Время"), m_timePartEdit));
    return page;
}

QWidget* WorkTimePeriodWidget::buildDatePage()
{
    auto* page = new QWidget(this);
    page->setObjectName(QStringLiteral("datePage"));
    m_dateEdit = new OVDateEdit(page);
    m_dateEdit->setObjectName(QStringLiteral("dateEdit"));
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(editorRow(page, tr("За"), m_dateEdit));
    return page;
}

QWidget* WorkTimePeriodWidget::buildMonthPage()
{
    auto* page = new QWidget(this);
    page->setObjectName(QStringLiteral("monthPage"));
    m_monthSelector = new QComboBox(page);
    m_monthSelector->setObjectName(QStringLiteral("monthSelector"));
    m_yearEdit = new QSpinBox(page);
    m_yearEdit->setObjectName(QStringLiteral("yearEdit"));
    m_yearEdit->setRange(1, kMaximumYear);
    m_monthSelector->installEventFilter(this);
    auto* row = editorRow(page, tr("Месяц"), m_monthSelector);
    auto* yearLabel = new QLabel(tr("год"), row);
    yearLabel->setBuddy(m_yearEdit);
    row->layout()->addWidget(yearLabel);
    row->layout()->addWidget(m_yearEdit);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(row);
    return page;
}

void WorkTimePeriodWidget::connectEditors()
{
    for (OVDateEdit* edit : {m_deBeg, m_deEnd, m_datePartEdit, m_dateEdit})
        connect(edit, &QDateEdit::dateChanged, this, &WorkTimePeriodWidget::setCustomPeriod);
    for (OVTimeEdit* edit : {m_teBeg, m_teEnd, m_timePartEdit})
        connect(edit, &QTimeEdit::timeChanged, this, &WorkTimePeriodWidget::setCustomPeriod);
    connect(m_monthSelector, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &WorkTimePeriodWidget::setCustomPeriod);
    connect(m_yearEdit, QOverload<int>::of(&QSpinBox::valueChanged), this, &WorkTimePeriodWidget::setCustomPeriod);
}

void WorkTimePeriodWidget::setClock(std::function<QDateTime()> clock)
{
    m_clock = std::move(clock);
}

void WorkTimePeriodWidget::setMode(Mode mode)
{
    if (mode == m_mode)
        return;
    {
        const QSignalBlocker blocker(m_cbPeriod);
        const QVariant remembered = m_cbPeriod->currentData();
        m_mode = mode;
        fillPeriods(mode);
        m_pages->setCurrentIndex(mode);
        const int index = m_cbPeriod->findData(remembered);
        if (index >= 0)
            m_cbPeriod->setCurrentIndex(index);
    }
    updatePeriod();
}

void WorkTimePeriodWidget::fillPeriods(Mode mode)
{
    m_cbPeriod->clear();
    const QList<PeriodItem> items = periodItems(mode);
    for (const PeriodItem& item : items)
        m_cbPeriod->addItem(tr(item.text), int(item.period));
}

void WorkTimePeriodWidget::setPeriod(Period period)
{
    const int index = m_cbPeriod->findData(int(period));
    if (index >= 0)
        m_cbPeriod->setCurrentIndex(index);
}

WorkTimePeriodWidget::Period WorkTimePeriodWidget::period() const
{
    return Period(m_cbPeriod->currentData().toInt());
}

void WorkTimePeriodWidget::updatePeriod()
{
    periodChanged(m_cbPeriod->currentIndex());
}

void WorkTimePeriodWidget::periodChanged(int index)
{
    if (index >= 0)
        applyPeriod(m_cbPeriod->itemData(index).toInt());
    reportPeriod();
}

void WorkTimePeriodWidget::applyPeriod(int period)
{
    const QSignalBlocker blockers[] = {QSignalBlocker(m_deBeg), QSignalBlocker(m_teBeg),
                                       QSignalBlocker(m_deEnd), QSignalBlocker(m_teEnd),
                                       QSignalBlocker(m_datePartEdit), QSignalBlocker(m_timePartEdit),
                                       QSignalBlocker(m_dateEdit), QSignalBlocker(m_monthSelector),
                                       QSignalBlocker(m_yearEdit)};
    Q_UNUSED(blockers)
    const QDateTime now = m_clock();
    const QDate current = now.date();
    switch (m_mode) {
    case ModePeriod:
        m_teBeg->setTime(QTime(0, 0, 0));
        m_teEnd->setTime(QTime(23, 59, 59));
        if (period == CurrentMonth) {
            m_deBeg->setDate(firstOfMonth(current));
            m_deEnd->setDate(current);
        } else if (period == PreviousMonth || period == NextMonth) {
            const QDate month = current.addMonths(period == PreviousMonth ? -1 : 1);
            m_deBeg->setDate(firstOfMonth(month));
            m_deEnd->setDate(lastOfMonth(month));
        } else if (period == Today || period == Yesterday) {
            const QDate day = period == Today ? current : current.addDays(-1);
            m_deBeg->setDate(day);
            m_deEnd->setDate(day);
        }
        break;
    case ModeDate:
        if (period == Today || period == Yesterday)
            m_dateEdit->setDate(period == Today ? current : current.addDays(-1));
        break;
    case ModeDateTime:
        if (period == Now) {
            m_datePartEdit->setDate(current);
            m_timePartEdit->setTime(QTime(now.time().hour(), now.time().minute(), 0));
        }
        break;
    case ModeMonth:
        if (period == CurrentMonth || period == PreviousMonth || period == NextMonth) {
            const QDate month = current.addMonths(period == PreviousMonth ? -1 : period == NextMonth ? 1 : 0);
            m_monthSelector->setCurrentIndex(month.month() - 1);
            m_yearEdit->setValue(month.year());
        }
        break;
    }
}

void WorkTimePeriodWidget::setCustomPeriod()
{
    {
        const QSignalBlocker blocker(m_cbPeriod);
        const int index = m_cbPeriod->findData(int(Custom));
        if (index >= 0)
            m_cbPeriod->setCurrentIndex(index);
    }
    reportPeriod();
}

void WorkTimePeriodWidget::reportPeriod()
{
    const QDate start = dateStart().date();
    const QDate finish = dateFinish().date();
    qCDebug(lcWtPlanning) << Q_FUNC_INFO << "period changed" << start << finish;
    emit reportPeriodChanged(start, finish);
    emit settingsChanged();
}

bool WorkTimePeriodWidget::eventFilter(QObject* watched, QEvent* event)
{
    // A month chosen from the closed list is half a period: Enter goes on to its year, as Tab would.
    if (watched == m_monthSelector && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            m_yearEdit->setFocus(Qt::TabFocusReason);
            m_yearEdit->selectAll();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

QDate WorkTimePeriodWidget::monthStart() const
{
    return QDate(m_yearEdit->value(), m_monthSelector->currentIndex() + 1, 1);
}

QDateTime WorkTimePeriodWidget::dateStart() const
{
    switch (m_mode) {
    case ModePeriod:
        return QDateTime(m_deBeg->date(), isStartTimeVisible() ? m_teBeg->time() : QTime(0, 0));
    case ModeDateTime:
        return QDateTime(m_datePartEdit->date(), m_timePartEdit->time());
    case ModeDate:
        return QDateTime(m_dateEdit->date(), QTime(0, 0));
    case ModeMonth:
        return QDateTime(monthStart(), QTime(0, 0));
    }
    return {};
}

QDateTime WorkTimePeriodWidget::dateFinish() const
{
    switch (m_mode) {
    case ModePeriod:
        return QDateTime(m_deEnd->date(), isFinishTimeVisible() ? m_teEnd->time() : QTime(23, 59, 59));
    case ModeDateTime:
        return QDateTime(m_datePartEdit->date(), m_timePartEdit->time());
    case ModeDate:
        return QDateTime(m_dateEdit->date(), QTime(23, 59, 59));
    case ModeMonth:
        return QDateTime(lastOfMonth(monthStart()), QTime(0, 0));
    }
    return {};
}

qint64 WorkTimePeriodWidget::time_tStart() const
{
    const QDateTime start = dateStart();
    return QDateTime(start.date(), start.time(), Qt::UTC).toSecsSinceEpoch();
}

qint64 WorkTimePeriodWidget::time_tFinish() const
{
    const QDateTime finish = dateFinish();
    return QDateTime(finish.date(), finish.time(), Qt::UTC).toSecsSinceEpoch();
}

void WorkTimePeriodWidget::setStartFinish(const QDateTime& start, const QDateTime& finish)
{
    {
        const QSignalBlocker blockers[] = {QSignalBlocker(m_deBeg), QSignalBlocker(m_teBeg),
                                           QSignalBlocker(m_deEnd), QSignalBlocker(m_teEnd),
                                           QSignalBlocker(m_datePartEdit), QSignalBlocker(m_timePartEdit),
                                           QSignalBlocker(m_dateEdit), QSignalBlocker(m_monthSelector),
                                           QSignalBlocker(m_yearEdit)};
        Q_UNUSED(blockers)
        switch (m_mode) {
        case ModeDateTime:
            m_datePartEdit->setDate(start.date());
            m_timePartEdit->setTime(start.time());
            break;
        case ModeDate:
            m_dateEdit->setDate(start.date());
            break;
        case ModePeriod:
            m_deBeg->setDate(start.date());
            m_teBeg->setTime(start.time());
            m_deEnd->setDate(finish.date());
            m_teEnd->setTime(finish.time());
            break;
        case ModeMonth:
            m_yearEdit->setValue(start.date().year());
            m_monthSelector->setCurrentIndex(start.date().month() - 1);
            break;
        }
    }
    updatePeriod();
}

void WorkTimePeriodWidget::setPeriodVisible(bool visible)
{
    m_cbPeriod->setVisible(visible);
}

bool WorkTimePeriodWidget::isPeriodVisible() const
{
    return !m_cbPeriod->isHidden();
}

void WorkTimePeriodWidget::setStartTimeVisible(bool visible)
{
    m_teBeg->setVisible(visible);
}

bool WorkTimePeriodWidget::isStartTimeVisible() const
{
    return !m_teBeg->isHidden();
}

void WorkTimePeriodWidget::setFinishTimeVisible(bool visible)
{
    m_teEnd->setVisible(visible);
}

bool WorkTimePeriodWidget::isFinishTimeVisible() const
{
    return !m_teEnd->isHidden();
}
