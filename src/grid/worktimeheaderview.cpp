#include "worktimeheaderview.h"

#include "vocabulary.h"
#include "worktimecompacttexts.h"
#include "worktimedayshade.h"
#include "worktimeplanningmodel.h"
#include "worktimeplanningproxy.h"
#include "wtplanninglogging.h"

#include <QHelpEvent>
#include <QIcon>
#include <QItemSelectionModel>
#include <QFontMetrics>
#include <QLocale>
#include <QPainter>
#include <QToolTip>

namespace {

constexpr int clockSize = 16;
// Sales plans of up to this many digits are shown whole in a compact section.
constexpr int compactPlanDigits = 5;

QString hoursText(qint64 seconds, bool compact)
{
    return compact ? QString::number(qRound64(seconds / 3600.0)) : QString::number(double(seconds) / 3600.0, 'f', 2);
}

// The first of texts that fits width, else the last.
QString fitting(const QFontMetrics& metrics, int width, const QStringList& texts)
{
    for (const QString& text : texts) {
        if (metrics.horizontalAdvance(text) <= width)
            return text;
    }
    return texts.constLast();
}

} // namespace

WorkTimeHeaderView::WorkTimeHeaderView(QWidget* parent) : QHeaderView(Qt::Horizontal, parent)
{
    setHighlightSections(true);
    setSectionsClickable(true);
    // The slot shares the signal's name: take the signal by its base class.
    connect(this, &QHeaderView::sectionResized, this, &WorkTimeHeaderView::sectionResized);
}

QSize WorkTimeHeaderView::sizeHint() const
{
    // Only the height is asked for; the base class would lay out every section's texts to give the width, and it is
    // asked at every change of the header data.
    return QSize(defaultSectionSize(), m_heightHint >= 0 ? m_heightHint : daySectionsHeight());
}

void WorkTimeHeaderView::setHeightHint(int height)
{
    if (m_heightHint == height)
        return;
    m_heightHint = height;
    emit geometriesChanged();
}

void WorkTimeHeaderView::setCompact(bool compact)
{
    if (m_compact == compact)
        return;
    m_compact = compact;
    emit geometriesChanged();
    viewport()->update();
}

WorkTimePlanningModel* WorkTimeHeaderView::toWorkTimeModel(const QAbstractItemModel* model)
{
    const auto* proxy = qobject_cast<const WorkTimePlanningProxy*>(model);
    auto* planning = proxy ? qobject_cast<WorkTimePlanningModel*>(proxy->sourceModel()) : nullptr;
    if (!planning)
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "wrong model" << (model ? model->metaObject()->className() : "null");
    return planning;
}

void WorkTimeHeaderView::sectionResized(int logicalIndex, int, int newSize)
{
    viewport()->update(sectionViewportPosition(logicalIndex), 0, newSize, height());
}

QFont WorkTimeHeaderView::lineFont(bool figure, bool bold) const
{
    QFont font(this->font());
    font.setPixelSize((figure ? 12 : 11) - (m_compact ? 1 : 0));
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    return font;
}

int WorkTimeHeaderView::lineHeight(bool figure) const
{
    return QFontMetrics(lineFont(figure, true)).height();
}

int WorkTimeHeaderView::daySectionsHeight() const
{
    const int margin = style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, this);
    if (m_compact)
        return lineHeight(false) + 2 * lineHeight(true) + margin;
    return 2 * lineHeight(false) + lineHeight(true) + qMax(lineHeight(true), clockSize) + 2 * margin;
}

void WorkTimeHeaderView::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    if (!rect.isValid())
        return;
    const WorkTimePlanningModel* planning = toWorkTimeModel(model());
    if (planning && !planning->isFixedColumn(logicalIndex))
        paintDaySection(painter, rect, logicalIndex);
    else if (m_compact && (logicalIndex == WorkTimePlanningModel::HoursColumn
                           || logicalIndex == WorkTimePlanningModel::BalanceColumn))
        paintShortCaption(painter, rect, logicalIndex);
    else
        QHeaderView::paintSection(painter, rect, logicalIndex);
}

// The compact hours and balance columns are narrower than their captions.
void WorkTimeHeaderView::paintShortCaption(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    QStyleOptionHeader option;
    initStyleOption(&option);
    option.rect = rect;
    option.section = logicalIndex;
    option.textAlignment = Qt::AlignCenter;
    option.text = logicalIndex == WorkTimePlanningModel::HoursColumn ? QStringLiteral("Часы") : QStringLiteral("Баланс");
    if (isSortIndicatorShown() && sortIndicatorSection() == logicalIndex)
        option.sortIndicator =
            sortIndicatorOrder() == Qt::AscendingOrder ? QStyleOptionHeader::SortDown : QStyleOptionHeader::SortUp;
    style()->drawControl(QStyle::CE_Header, &option, painter, this);
}

WorkTimeHeaderView::DayTexts WorkTimeHeaderView::dayTexts(int logicalIndex, int width) const
{
    const QAbstractItemModel* itemModel = model();
    const QDate date = itemModel->headerData(logicalIndex, Qt::Horizontal, WorkTimePlanningModel::DateRole).toDate();
    const qint64 plan =
        itemModel->headerData(logicalIndex, Qt::Horizontal, WorkTimePlanningModel::SalesPlanRole).toLongLong();
    const qint64 planned =
        itemModel->headerData(logicalIndex, Qt::Horizontal, WorkTimePlanningModel::DayTimeRole).toLongLong();
    const QLocale locale;
    const QFontMetrics dateMetrics(lineFont(false, true));
    const QString shortDay = locale.dayName(date.dayOfWeek(), QLocale::ShortFormat);
    DayTexts texts;
    if (m_compact) {
        texts.date = fitting(dateMetrics, width,
                             {QString::number(date.day()) + QLatin1Char(' ') + shortDay, QString::number(date.day())});
        texts.plan = WorkTimeCompactTexts::amount(plan, compactPlanDigits);
    } else {
        texts.date = fitting(dateMetrics, width,
                             {locale.toString(date, QLocale::ShortFormat), date.toString(QStringLiteral("dd.MM")),
                              QString::number(date.day())});
        texts.weekday =
            longWeekdaysWidth() <= width ? locale.dayName(date.dayOfWeek(), QLocale::LongFormat) : shortDay;
        texts.plan = QString::number(plan);
    }
    texts.hours = hoursText(planned, m_compact);
    return texts;
}

int WorkTimeHeaderView::longWeekdaysWidth() const
{
    const QFont font = lineFont(false, true);
    if (m_weekdaysFont == font)
        return m_weekdaysWidth;
    const QFontMetrics metrics(font);
    const QLocale locale;
    m_weekdaysWidth = 0;
    for (int day = Qt::Monday; day <= Qt::Sunday; ++day)
        m_weekdaysWidth = qMax(m_weekdaysWidth, metrics.horizontalAdvance(locale.dayName(day, QLocale::LongFormat)));
    m_weekdaysFont = font;
    return m_weekdaysWidth;
}

QSize WorkTimeHeaderView::sectionSizeFromContents(int logicalIndex) const
{
    const WorkTimePlanningModel* planning = toWorkTimeModel(model());
    if (!planning || planning->isFixedColumn(logicalIndex))
        return QHeaderView::sectionSizeFromContents(logicalIndex);
    const int margin = style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, this);
    const QFontMetrics dates(lineFont(false, true));
    const QFontMetrics figures(lineFont(true, true));
    const DayTexts texts = dayTexts(logicalIndex, QWIDGETSIZE_MAX);
    int width = qMax(figures.horizontalAdvance(texts.plan), figures.horizontalAdvance(texts.hours)
                                                                + (m_compact ? 0 : clockSize + margin));
    const QString widestDate = m_compact ? texts.date : QStringLiteral("00.00.0000");
    width = qMax(width, dates.horizontalAdvance(widestDate));
    return QSize(width + 2 * margin, daySectionsHeight());
}

void WorkTimeHeaderView::paintDaySection(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    QStyleOptionHeader option;
    initStyleOption(&option);
    option.section = logicalIndex;
    option.textAlignment = Qt::AlignCenter;
    option.position = QStyleOptionHeader::OnlyOneSection;
    option.orientation = Qt::Horizontal;
    option.rect = rect;
    bool selected = false;
    if (highlightSections() && selectionModel()) {
        selected = selectionModel()->columnIntersectsSelection(logicalIndex, rootIndex());
        if (selected) {
            option.state |= QStyle::State_On;
            if (selectionModel()->isColumnSelected(logicalIndex, rootIndex()))
                option.state |= QStyle::State_Sunken;
        }
    }
    const int margin = style()->pixelMetric(QStyle::PM_HeaderMargin, &option, this);
    style()->drawControl(QStyle::CE_HeaderSection, &option, painter, this);
    const QVariant kind = model()->headerData(logicalIndex, Qt::Horizontal, WorkTimePlanningModel::DayKindRole);
    WorkTimeDayShade::paint(painter, rect, kind);

    const DayTexts texts = dayTexts(logicalIndex, rect.width() - 2);
    const int dateHeight = lineHeight(false);
    const int figureHeight = lineHeight(true);
    int top = rect.top() + (m_compact ? margin / 2 : margin);
    painter->save();
    painter->setFont(lineFont(false, selected));
    painter->setPen(WorkTimeDayShade::dateColor(kind, QColor(QLatin1String(orvanta::wt::color::ENABLED_TEXT))));
    for (const QString& line : {texts.date, texts.weekday}) {
        if (line.isEmpty())
            continue;
        painter->drawText(QRect(rect.left(), top, rect.width(), dateHeight), Qt::AlignCenter, line);
        top += dateHeight;
    }

    const QFont figureFont = lineFont(true, selected);
    painter->setFont(figureFont);
    painter->setPen(QColor(QLatin1String(orvanta::wt::color::GREEN)));
    painter->drawText(QRect(rect.left(), top, rect.width(), figureHeight), Qt::AlignCenter, texts.plan);
    top += figureHeight;

    // The hours with the clock before them where both fit, centred together.
    const int textWidth = QFontMetrics(figureFont).horizontalAdvance(texts.hours);
    const bool clock = !m_compact && clockSize + margin + textWidth <= rect.width() - 2;
    const int groupWidth = clock ? clockSize + margin + textWidth : textWidth;
    const int left = rect.left() + (rect.width() - groupWidth) / 2;
    const int bandHeight = clock ? qMax(figureHeight, clockSize) : figureHeight;
    if (clock)
        painter->drawPixmap(left, top + (bandHeight - clockSize) / 2, clockPixmap());
    painter->setPen(QColor(QLatin1String(orvanta::wt::color::BLACK)));
    painter->drawText(QRect(left + groupWidth - textWidth, top, textWidth, bandHeight), Qt::AlignCenter, texts.hours);
    painter->restore();
}

bool WorkTimeHeaderView::viewportEvent(QEvent* event)
{
    if (event->type() != QEvent::ToolTip)
        return QHeaderView::viewportEvent(event);
    auto* help = static_cast<QHelpEvent*>(event);
    const int section = logicalIndexAt(help->pos());
    const WorkTimePlanningModel* planning = toWorkTimeModel(model());
    if (section < 0 || !planning || planning->isFixedColumn(section))
        return QHeaderView::viewportEvent(event);
    QToolTip::showText(help->globalPos(), dayToolTip(section), this);
    return true;
}

QString WorkTimeHeaderView::dayToolTip(int logicalIndex) const
{
    const QAbstractItemModel* itemModel = model();
    const QDate date = itemModel->headerData(logicalIndex, Qt::Horizontal, WorkTimePlanningModel::DateRole).toDate();
    const QLocale locale;
    QStringList lines{locale.toString(date, QStringLiteral("dddd, d MMMM yyyy"))};
    const QString kind =
        WorkTimeDayShade::describe(itemModel->headerData(logicalIndex, Qt::Horizontal, WorkTimePlanningModel::DayKindRole));
    if (!kind.isEmpty())
        lines.append(kind);
    const qint64 plan =
        itemModel->headerData(logicalIndex, Qt::Horizontal, WorkTimePlanningModel::SalesPlanRole).toLongLong();
    const qint64 planned =
        itemModel->headerData(logicalIndex, Qt::Horizontal, WorkTimePlanningModel::DayTimeRole).toLongLong();
    lines.append(QStringLiteral("План продаж: %1").arg(locale.toString(plan)));
    lines.append(QStringLiteral("Запланировано часов: %1").arg(hoursText(planned, false)));
    return lines.join(QLatin1Char('\n'));
}

const QPixmap& WorkTimeHeaderView::clockPixmap() const
{
    // Made on first use: the icon theme is installed after the application starts.
    if (m_clock.isNull())
        m_clock = QIcon::fromTheme(QStringLiteral("common-clock")).pixmap(clockSize, clockSize, QIcon::Disabled);
    return m_clock;
}
