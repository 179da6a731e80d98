#include "worktimeitemdelegate.h"

#include "vocabulary.h"
#include "worktimecompacttexts.h"
#include "worktimedayshade.h"
#include "worktimeintervaledit.h"
#include "worktimeplanningmodel.h"
#include "worktimeplanningproxy.h"
#include "wtplanninglogging.h"

#include <QApplication>
#include <QEvent>
#include <QFontInfo>
#include <QIcon>
#include <QKeyEvent>
#include <QPainter>
#include <QtMath>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QStyleOptionViewItem>
#include <QVariantMap>

namespace {

constexpr int lockSize = 8;
constexpr int clockSize = 16;
constexpr int compactMargin = 2;
constexpr int maxNameWidth = 160;
constexpr int maxCompactNameWidth = 150;
constexpr int secondsPerDay = 86400;
// Bounds the laid-out texts kept per font; a month shows far fewer distinct ones.
constexpr int maxCachedTexts = 512;
constexpr int nameColumn = WorkTimePlanningModel::NameColumn;
constexpr int hoursColumn = WorkTimePlanningModel::HoursColumn;
constexpr int lastLeadingColumn = WorkTimePlanningModel::BalanceColumn;
// Icons of a few kinds in a few sizes: the cache stays tiny, the bound only guards against surprises.
constexpr int maxCachedIcons = 64;
const char timeStartKey[] = "time_start";
const char timeFinishKey[] = "time_finish";
const char emptyInterval[] = "--:-- --:--";

QColor paletteColor(const char* name)
{
    return QColor(QLatin1String(name));
}

QPalette::ColorGroup colorGroup(const QStyleOptionViewItem& option)
{
    if (!(option.state & QStyle::State_Enabled))
        return QPalette::Disabled;
    return option.state & QStyle::State_Active ? QPalette::Normal : QPalette::Inactive;
}

int margin(const QStyleOptionViewItem& option)
{
    const QStyle* style = option.widget ? option.widget->style() : QApplication::style();
    return style->pixelMetric(QStyle::PM_HeaderMargin, &option, option.widget);
}

QFont resizedFont(const QFont& base, int pixelDelta, bool bold)
{
    QFont font(base);
    font.setPixelSize(qMax(1, QFontInfo(base).pixelSize() - pixelDelta));
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    return font;
}

// The text of QTime(0, 0).addSecs(seconds).toString("hh:mm"), without parsing a format for every cell.
QString hhmm(int seconds)
{
    const int ofDay = (seconds % secondsPerDay + secondsPerDay) % secondsPerDay;
    const int hours = ofDay / 3600;
    const int minutes = ofDay % 3600 / 60;
    const QChar text[5] = {QLatin1Char(char('0' + hours / 10)), QLatin1Char(char('0' + hours % 10)),
                           QLatin1Char(':'), QLatin1Char(char('0' + minutes / 10)),
                           QLatin1Char(char('0' + minutes % 10))};
    return QString(text, 5);
}

QIcon::Mode iconMode(const QStyleOptionViewItem& option)
{
    if (!(option.state & QStyle::State_Enabled))
        return QIcon::Disabled;
    return option.state & QStyle::State_Selected ? QIcon::Selected : QIcon::Normal;
}

} // namespace

WorkTimeItemDelegate::WorkTimeItemDelegate(QObject* parent) : QAbstractItemDelegate(parent)
{
    m_lock = QIcon::fromTheme(QStringLiteral("action-lock")).pixmap(lockSize, lockSize, QIcon::Normal, QIcon::Off);
}

WorkTimePlanningModel* WorkTimeItemDelegate::toWorkTimeModel(const QAbstractItemModel* model)
{
    const auto* proxy = qobject_cast<const WorkTimePlanningProxy*>(model);
    auto* planning = proxy ? qobject_cast<WorkTimePlanningModel*>(proxy->sourceModel()) : nullptr;
    if (!planning)
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "wrong model" << (model ? model->metaObject()->className() : "null");
    return planning;
}

QString WorkTimeItemDelegate::intervalPattern()
{
    return QStringLiteral("^(2[0-3]|[01]?[0-9]):([0-5]?[0-9])-(2[0-3]|[01]?[0-9]):([0-5]?[0-9])$");
}

QString WorkTimeItemDelegate::intervalToString(int start, int finish)
{
    return hhmm(start) % QLatin1Char('-') % hhmm(finish);
}

void WorkTimeItemDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QVariant value = index.data(Qt::FontRole);
    if (value.isValid() && !value.isNull()) {
        option->font = qvariant_cast<QFont>(value).resolve(option->font);
        option->fontMetrics = QFontMetrics(option->font);
    }
    value = index.data(Qt::TextAlignmentRole);
    if (value.isValid() && !value.isNull())
        option->displayAlignment = Qt::Alignment(value.toInt());
    value = index.data(Qt::ForegroundRole);
    if (value.canConvert<QBrush>()) {
        const QBrush brush = qvariant_cast<QBrush>(value);
        for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
            option->palette.setBrush(group, QPalette::Text, brush);
    }
    option->index = index;
    value = index.data(Qt::CheckStateRole);
    if (value.isValid() && !value.isNull()) {
        option->features |= QStyleOptionViewItem::HasCheckIndicator;
        option->checkState = Qt::CheckState(value.toInt());
    }
    value = index.data(Qt::DecorationRole);
    if (value.isValid() && !value.isNull()) {
        option->features |= QStyleOptionViewItem::HasDecoration;
        switch (value.userType()) {
        case QMetaType::QIcon: {
            option->icon = qvariant_cast<QIcon>(value);
            const QSize actual = option->icon.actualSize(option->decorationSize, iconMode(*option));
            option->decorationSize = option->decorationSize.boundedTo(actual);
            break;
        }
        case QMetaType::QColor: {
            QPixmap swatch(option->decorationSize);
            swatch.fill(qvariant_cast<QColor>(value));
            option->icon = QIcon(swatch);
            break;
        }
        case QMetaType::QImage: {
            const QImage image = qvariant_cast<QImage>(value);
            option->icon = QIcon(QPixmap::fromImage(image));
            option->decorationSize = image.size() / image.devicePixelRatio();
            break;
        }
        case QMetaType::QPixmap: {
            const QPixmap pixmap = qvariant_cast<QPixmap>(value);
            option->icon = QIcon(pixmap);
            option->decorationSize = pixmap.size() / pixmap.devicePixelRatio();
            break;
        }
        default:
            break;
        }
    }
    value = index.data(Qt::DisplayRole);
    if (value.isValid() && !value.isNull()) {
        option->features |= QStyleOptionViewItem::HasDisplay;
        option->text = value.toString();
    }
    option->backgroundBrush = qvariant_cast<QBrush>(index.data(Qt::BackgroundRole));
    option->styleObject = nullptr;
}

void WorkTimeItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const
{
    const WorkTimePlanningModel* planning = toWorkTimeModel(index.model());
    if (!planning)
        return;
    if (planning->isVariableStartFinishColumn(index.column()))
        paintDayCell(painter, option, index);
    else
        paintLeadingCell(painter, option, index);
}

void WorkTimeItemDelegate::paintPanel(QPainter* painter, const QStyleOptionViewItem& option) const
{
    const QPalette::ColorGroup group = colorGroup(option);
    if (option.state & QStyle::State_Selected)
        painter->fillRect(option.rect, option.palette.brush(group, QPalette::Highlight));
    else if (option.backgroundBrush.style() != Qt::NoBrush)
        painter->fillRect(option.rect, option.backgroundBrush);
    if (option.state & QStyle::State_HasFocus) {
        const QColor highlight = option.palette.color(group, QPalette::Highlight);
        painter->setPen(option.state & QStyle::State_Selected ? highlight.darker(150) : highlight);
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(option.rect.adjusted(0, 0, -1, -1));
    }
}

QString WorkTimeItemDelegate::leadingText(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QString text = option.text;
    if (m_compact && index.column() == nameColumn)
        text = WorkTimeCompactTexts::name(text);
    else if (m_compact && (index.column() == hoursColumn || index.column() == lastLeadingColumn))
        text = WorkTimeCompactTexts::figures(text);
    if (index.column() == nameColumn && index.data(WorkTimePlanningModel::HasChangesRole).toBool())
        text += QLatin1Char('*');
    return text;
}

void WorkTimeItemDelegate::paintLeadingCell(QPainter* painter, const QStyleOptionViewItem& viewOption,
                                            const QModelIndex& index) const
{
    QStyleOptionViewItem option(viewOption);
    initStyleOption(&option, index);
    option.text = leadingText(option, index);
    const Metrics& fonts = metrics(viewOption.font);
    if (m_compact)
        option.font.setPixelSize(fonts.text.pixelSize());
    const int cellMargin = fonts.margin;
    paintPanel(painter, option);

    QRect content = option.rect.adjusted(cellMargin, 0, -cellMargin, 0);
    if (option.features & QStyleOptionViewItem::HasCheckIndicator) {
        const QStyle* style = option.widget ? option.widget->style() : QApplication::style();
        QStyleOptionViewItem check(option);
        const int size = style->pixelMetric(QStyle::PM_IndicatorWidth, &option, option.widget);
        check.rect = QRect(content.left(), content.top() + (content.height() - size) / 2, size, size);
        check.state = check.state & ~QStyle::State_HasFocus;
        check.state |= option.checkState == Qt::Checked ? QStyle::State_On
            : option.checkState == Qt::PartiallyChecked   ? QStyle::State_NoChange
                                                          : QStyle::State_Off;
        style->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &check, painter, option.widget);
        content.setLeft(content.left() + size + cellMargin);
    }
    if (option.features & QStyleOptionViewItem::HasDecoration) {
        const QPixmap pixmap = iconPixmap(option.icon, option.decorationSize, !(option.state & QStyle::State_Enabled));
        const QSize size = pixmap.size() / pixmap.devicePixelRatio();
        const int left = option.text.isEmpty() ? content.left() + (content.width() - size.width()) / 2 : content.left();
        painter->drawPixmap(left, content.top() + (content.height() - size.height()) / 2, pixmap);
        content.setLeft(left + size.width() + cellMargin);
    }
    if (!option.text.isEmpty()) {
        const QPalette::ColorGroup group = colorGroup(option);
        painter->setPen(option.palette.color(
            group, option.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text));
        painter->setFont(option.font);
        const QFontMetrics fontMetrics(option.font);
        const QString text = fontMetrics.horizontalAdvance(option.text) > content.width()
            ? fontMetrics.elidedText(option.text, Qt::ElideRight, content.width())
            : option.text;
        painter->drawText(content, int(QStyle::visualAlignment(option.direction, option.displayAlignment)), text);
    }
    if (index.column() == lastLeadingColumn) {
        painter->setPen(paletteColor(orvanta::wt::color::BORDER));
        painter->drawLine(option.rect.topRight(), option.rect.bottomRight());
    }
}

void WorkTimeItemDelegate::paintDayCell(QPainter* painter, const QStyleOptionViewItem& viewOption,
                                        const QModelIndex& index) const
{
    QStyleOptionViewItem option(viewOption);
    option.backgroundBrush = qvariant_cast<QBrush>(index.data(Qt::BackgroundRole));
    paintPanel(painter, option);
    const bool selected = option.state & QStyle::State_Selected;
    if (!selected)
        WorkTimeDayShade::paint(painter, option.rect, index.data(WorkTimePlanningModel::DayKindRole));

    const QRect& cell = option.rect;
    Metrics& fonts = metrics(option.font);
    const int work = index.data(WorkTimePlanningModel::DayTimeRole).toInt();
    QColor intervalColor = work != 0 ? option.palette.color(colorGroup(option), QPalette::ButtonText)
                                     : paletteColor(orvanta::wt::color::DISABLED_TEXT);
    // On the selection colour the grey texts would be unreadable: selected days take the highlighted text colour.
    if (selected)
        intervalColor = option.palette.color(colorGroup(option), QPalette::HighlightedText);
    else if (!(option.state & QStyle::State_Enabled))
        intervalColor = option.palette.color(QPalette::Disabled, QPalette::ButtonText);
    const int intervalHeight = m_compact ? QFontMetrics(fonts.text).height() : cell.height() / 2 - fonts.margin / 2;
    const QString intervalText = dayInterval(fonts, work, index, cell.width() - 2);
    if (!intervalText.isEmpty()) {
        painter->setPen(intervalColor);
        drawCentred(painter, QRect(cell.left(), cell.top(), cell.width(), intervalHeight), fonts.text,
                    fonts.intervalTexts, intervalText);
    }
    const int bandTop = m_compact ? cell.top() + intervalHeight : cell.top() + cell.height() / 2 + fonts.margin / 2;
    paintDayBand(painter, fonts, QRect(cell.left(), bandTop, cell.width(), cell.bottom() + 1 - bandTop), option,
                 index);

    const QVariant editable = index.data(WorkTimePlanningModel::DateEditableRole);
    if (editable.isValid() && !editable.toBool())
        painter->drawPixmap(cell.left() + 1, cell.top() + 1, m_lock);
}

// The interval in full, or short ("9-18") in the compact mode and where the planner narrowed the column.
QString WorkTimeItemDelegate::dayInterval(Metrics& fonts, int work, const QModelIndex& index, int width) const
{
    if (work == 0) {
        const QString empty = QLatin1String(emptyInterval);
        return !m_compact && textWidth(fonts.intervalTexts, fonts.text, empty) <= width ? empty : QString();
    }
    const int start = index.data(WorkTimePlanningModel::DayStartRole).toInt();
    const int finish = index.data(WorkTimePlanningModel::DayFinishRole).toInt();
    if (!m_compact) {
        const QString full = intervalToString(start, finish);
        if (textWidth(fonts.intervalTexts, fonts.text, full) <= width)
            return full;
    }
    return WorkTimeCompactTexts::interval(start, finish);
}

void WorkTimeItemDelegate::paintDayBand(QPainter* painter, Metrics& fonts, const QRect& band,
                                        const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    int left = band.left() + fonts.margin;
    const QString marks = index.data(WorkTimePlanningModel::MarksRole).toString();
    if (!marks.isEmpty())
        left = paintMarks(painter, fonts, QRect(left, band.top(), band.right() - left, band.height()), marks,
                          qvariant_cast<QColor>(index.data(WorkTimePlanningModel::DayColorRole)))
            + fonts.margin;

    const int total = index.data(WorkTimePlanningModel::DayTimeRole).toInt()
        + index.data(WorkTimePlanningModel::PartDayWorkReasonRole).toInt();
    if (m_compact && total == 0)
        return;
    const bool bold = total > 0;
    const QFont& hoursFont = bold ? fonts.boldHours : fonts.hours;
    TextCache& cache = bold ? fonts.boldHoursTexts : fonts.hoursTexts;
    const QString text = m_compact ? WorkTimeCompactTexts::hours(total) : QString::number(total / 3600.0, 'f', 2);
    const int width = textWidth(cache, hoursFont, text);
    const int right = band.right() + 1 - fonts.margin;
    // The hours keep to the right edge; without room beside the badge they are left to the tool tip.
    if (right - width < left)
        return;
    const bool selected = option.state & QStyle::State_Selected;
    if (fonts.clockSize > 0 && right - width - fonts.clockSize - 1 >= left)
        painter->drawPixmap(right - width - fonts.clockSize - 1, band.top() + (band.height() - fonts.clockSize) / 2,
                            clockPixmap());
    painter->setPen(selected ? option.palette.color(colorGroup(option), QPalette::HighlightedText)
                             : paletteColor(total != 0 ? orvanta::wt::color::ENABLED_TEXT
                                                       : orvanta::wt::color::DISABLED_TEXT));
    drawCentred(painter, QRect(right - width, band.top(), width, band.height()), hoursFont, cache, text);
}

int WorkTimeItemDelegate::paintMarks(QPainter* painter, Metrics& fonts, const QRect& band, const QString& marks,
                                     const QColor& color) const
{
    auto width = fonts.marksWidths.find(marks);
    if (width == fonts.marksWidths.end()) {
        if (fonts.marksWidths.size() >= maxCachedTexts)
            fonts.marksWidths.clear();
        width = fonts.marksWidths.insert(marks, QFontMetrics(fonts.marks).boundingRect(marks).width());
    }
    const int boxWidth = qMin(qMax(*width, fonts.marksMinWidth) + 2 * fonts.badgePadding, band.width());
    const int boxHeight = fonts.badgeHeight;
    const QRect badge(band.left(), band.top() + (band.height() - boxHeight) / 2, boxWidth, boxHeight);
    const qreal radius = boxHeight / 2.0;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(color);
    painter->setBrush(color);
    painter->drawRoundedRect(badge, radius, radius, Qt::AbsoluteSize);
    painter->setPen(paletteColor(orvanta::wt::color::WHITE));
    drawCentred(painter, badge, fonts.marks, fonts.marksTexts, marks);
    painter->restore();
    return badge.right() + 1;
}

void WorkTimeItemDelegate::drawCentred(QPainter* painter, const QRect& rect, const QFont& font, TextCache& cache,
                                       const QString& text)
{
    const QStaticText& laidOut = staticText(cache, font, text);
    const QSizeF size = laidOut.size();
    painter->setFont(font);
    painter->drawStaticText(QPointF(rect.left() + qRound((rect.width() - size.width()) / 2),
                                    rect.top() + qRound((rect.height() - size.height()) / 2)),
                            laidOut);
}

const QStaticText& WorkTimeItemDelegate::staticText(TextCache& cache, const QFont& font, const QString& text)
{
    auto found = cache.find(text);
    if (found != cache.end())
        return *found;
    if (cache.size() >= maxCachedTexts)
        cache.clear();
    QStaticText laidOut(text);
    laidOut.setTextFormat(Qt::PlainText);
    laidOut.setPerformanceHint(QStaticText::AggressiveCaching);
    laidOut.prepare(QTransform(), font);
    return *cache.insert(text, laidOut);
}

int WorkTimeItemDelegate::textWidth(TextCache& cache, const QFont& font, const QString& text)
{
    return qCeil(staticText(cache, font, text).size().width());
}

void WorkTimeItemDelegate::setCompact(bool compact)
{
    m_compact = compact;
    m_metricsValid = false;
}

WorkTimeItemDelegate::Metrics& WorkTimeItemDelegate::metrics(const QFont& font) const
{
    if (m_metricsValid && m_metrics.base == font)
        return m_metrics;
    m_metrics = Metrics();
    m_metrics.base = font;
    // Compact: smaller fonts, a thinner badge and no clock, so two lines fill a low row.
    const int shrink = m_compact ? 1 : 0;
    m_metrics.text = resizedFont(font, 2 * shrink, font.bold());
    m_metrics.marks = resizedFont(font, 3 + shrink, font.bold());
    m_metrics.hours = resizedFont(font, 2 + shrink, false);
    m_metrics.boldHours = resizedFont(font, 2 + shrink, true);
    m_metrics.margin = m_compact ? compactMargin : margin(QStyleOptionViewItem());
    m_metrics.badgePadding = m_compact ? 2 : m_metrics.margin;
    m_metrics.clockSize = m_compact ? 0 : clockSize;
    const QFontMetrics marksMetrics(m_metrics.marks);
    m_metrics.marksMinWidth = marksMetrics.boundingRect(m_compact ? QStringLiteral("X") : QStringLiteral("XXX")).width();
    m_metrics.marksHeight = marksMetrics.height();
    m_metrics.badgeHeight = m_metrics.marksHeight + (m_compact ? 1 : 6);
    const int bandHeight = qMax(qMax(m_metrics.badgeHeight, m_metrics.clockSize),
                                QFontMetrics(m_metrics.boldHours).height());
    m_metrics.rowHeight = m_compact ? QFontMetrics(m_metrics.text).height() + bandHeight + 1 : 0;
    m_metricsValid = true;
    return m_metrics;
}

QPixmap WorkTimeItemDelegate::iconPixmap(const QIcon& icon, const QSize& size, bool disabled) const
{
    const QPair<qint64, int> key(icon.cacheKey(), (size.width() << 16 | size.height()) << 1 | int(disabled));
    const auto cached = m_iconCache.constFind(key);
    if (cached != m_iconCache.constEnd())
        return *cached;
    if (m_iconCache.size() >= maxCachedIcons)
        m_iconCache.clear();
    const QPixmap pixmap = icon.pixmap(size, disabled ? QIcon::Disabled : QIcon::Normal);
    m_iconCache.insert(key, pixmap);
    return pixmap;
}

const QPixmap& WorkTimeItemDelegate::clockPixmap() const
{
    if (m_clock.isNull())
        m_clock = QIcon::fromTheme(QStringLiteral("common-clock")).pixmap(clockSize, clockSize, QIcon::Disabled);
    return m_clock;
}

QSize WorkTimeItemDelegate::daySizeHint(const QStyleOptionViewItem& option) const
{
    Metrics& fonts = metrics(option.font);
    const int interval = m_compact ? textWidth(fonts.intervalTexts, fonts.text, QStringLiteral("20-20"))
                                   : textWidth(fonts.intervalTexts, fonts.text, intervalToString(0, 0));
    const int hours = textWidth(fonts.boldHoursTexts, fonts.boldHours,
                                m_compact ? QStringLiteral("8.25") : QStringLiteral("10.00"));
    const int badge = fonts.marksMinWidth + 2 * fonts.badgePadding;
    const int clock = fonts.clockSize > 0 ? fonts.clockSize + 1 : 0;
    // The normal interval gets the room around it that a plain cell's text has.
    const int width = qMax(interval + (m_compact ? 2 : 4) * fonts.margin, badge + clock + hours + 3 * fonts.margin);
    return QSize(width, m_compact ? fonts.rowHeight : -1);
}

QSize WorkTimeItemDelegate::sizeHint(const QStyleOptionViewItem& viewOption, const QModelIndex& index) const
{
    const WorkTimePlanningModel* planning = toWorkTimeModel(index.model());
    if (!planning)
        return QSize(-1, -1);
    if (planning->isVariableStartFinishColumn(index.column()))
        return daySizeHint(viewOption);
    QStyleOptionViewItem option(viewOption);
    initStyleOption(&option, index);
    option.text = leadingText(option, index);
    const Metrics& fonts = metrics(viewOption.font);
    if (m_compact)
        option.font.setPixelSize(fonts.text.pixelSize());
    const QStyle* style = option.widget ? option.widget->style() : QApplication::style();
    QSize size = style->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(-1, -1), option.widget);
    size += QSize(4 * fonts.margin, 2 * fonts.margin);
    const bool named = index.column() == nameColumn || index.column() == WorkTimePlanningModel::JobColumn
        || index.column() == WorkTimePlanningModel::DepartmentColumn;
    if (named)
        size.setWidth(qMin(size.width(), m_compact ? maxCompactNameWidth : maxNameWidth));
    if (m_compact)
        size.setHeight(fonts.rowHeight);
    return size;
}

QWidget* WorkTimeItemDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                            const QModelIndex& index) const
{
    const WorkTimePlanningModel* planning = toWorkTimeModel(index.model());
    if (!planning || !planning->isVariableStartFinishColumn(index.column()))
        return nullptr;
    auto* editor = new WorkTimeIntervalEdit(parent);
    editor->setInputMask(QStringLiteral("99:99-99:99;0"));
    editor->setValidator(new QRegularExpressionValidator(QRegularExpression(intervalPattern()), editor));
    editor->installEventFilter(const_cast<WorkTimeItemDelegate*>(this));
    return editor;
}

void WorkTimeItemDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    auto* intervalEdit = qobject_cast<WorkTimeIntervalEdit*>(editor);
    if (!intervalEdit)
        return;
    const QVariantMap interval = index.data(WorkTimePlanningModel::IntervalRole).toMap();
    intervalEdit->setIntervalText(intervalToString(interval.value(QLatin1String(timeStartKey)).toInt(),
                                                   interval.value(QLatin1String(timeFinishKey)).toInt()));
}

void WorkTimeItemDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    const auto* intervalEdit = qobject_cast<const WorkTimeIntervalEdit*>(editor);
    // An editor left without typing writes nothing, so the day gets no change mark.
    if (!intervalEdit || !model || !intervalEdit->isEdited())
        return;
    const std::optional<WorkTimeIntervalText::Interval> typed = intervalEdit->interval();
    if (!typed) {
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "parse error" << intervalEdit->typedText();
        return;
    }
    QVariantMap interval;
    interval.insert(QLatin1String(timeStartKey), typed->start);
    interval.insert(QLatin1String(timeFinishKey), typed->finish);
    model->setData(index, interval, WorkTimePlanningModel::IntervalRole);
    qCDebug(lcWtPlanning) << Q_FUNC_INFO << "set data" << intervalEdit->typedText() << typed->start << typed->finish;
}

void WorkTimeItemDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                                const QModelIndex&) const
{
    editor->setGeometry(option.rect);
}

bool WorkTimeItemDelegate::eventFilter(QObject* object, QEvent* event)
{
    auto* editor = qobject_cast<QWidget*>(object);
    if (!editor)
        return QAbstractItemDelegate::eventFilter(object, event);
    if (event->type() == QEvent::FocusOut) {
        emit commitData(editor);
        return false;
    }
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            qCDebug(lcWtPlanning) << Q_FUNC_INFO << "key pressed" << key;
            // Closing would drop the typing unnoticed: the editor stays open and says how to type the time.
            auto* intervalEdit = qobject_cast<WorkTimeIntervalEdit*>(editor);
            if (intervalEdit && intervalEdit->isEdited() && !intervalEdit->interval()) {
                qCDebug(lcWtPlanning) << Q_FUNC_INFO << "unreadable interval" << intervalEdit->typedText();
                intervalEdit->showRejected();
                return true;
            }
            emit commitData(editor);
            emit closeEditor(editor, QAbstractItemDelegate::SubmitModelCache);
            return true;
        }
        if (key == Qt::Key_Escape) {
            emit closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
            return false;
        }
    }
    return QAbstractItemDelegate::eventFilter(object, event);
}
