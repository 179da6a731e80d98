#include "worktimeitemdelegate.h"

#include "vocabulary.h"
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
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QStyleOptionViewItem>
#include <QVariantMap>

namespace {

constexpr int lockSize = 8;
constexpr int clockSize = 24;
constexpr int maxNameWidth = 160;
constexpr int secondsPerDay = 86400;
// Bounds the laid-out texts kept per font; a month shows far fewer distinct ones.
constexpr int maxCachedTexts = 512;
constexpr int nameColumn = WorkTimePlanningModel::NameColumn;
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

void WorkTimeItemDelegate::paintLeadingCell(QPainter* painter, const QStyleOptionViewItem& viewOption,
                                            const QModelIndex& index) const
{
    QStyleOptionViewItem option(viewOption);
    initStyleOption(&option, index);
    if (index.column() == nameColumn && index.data(WorkTimePlanningModel::HasChangesRole).toBool())
        option.text += QLatin1Char('*');
    const int cellMargin = margin(option);
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

    const QRect& cell = option.rect;
    const int cellMargin = margin(option);
    Metrics& fonts = metrics(option.font);
    const int work = index.data(WorkTimePlanningModel::DayTimeRole).toInt();
    const int part = index.data(WorkTimePlanningModel::PartDayWorkReasonRole).toInt();

    // The two ends come as plain numbers: the same values as the interval map, without building a map per paint.
    QString intervalText;
    QColor intervalColor;
    if (work != 0) {
        intervalText = intervalToString(index.data(WorkTimePlanningModel::DayStartRole).toInt(),
                                        index.data(WorkTimePlanningModel::DayFinishRole).toInt());
        intervalColor = option.palette.color(colorGroup(option), QPalette::ButtonText);
    } else {
        intervalText = QLatin1String(emptyInterval);
        intervalColor = paletteColor(orvanta::wt::color::DISABLED_TEXT);
    }
    // On the selection colour the grey texts would be unreadable: selected days take the highlighted text colour.
    const bool selected = option.state & QStyle::State_Selected;
    if (selected)
        intervalColor = option.palette.color(colorGroup(option), QPalette::HighlightedText);
    else if (!(option.state & QStyle::State_Enabled))
        intervalColor = option.palette.color(QPalette::Disabled, QPalette::ButtonText);
    painter->setPen(intervalColor);
    drawCentred(painter, QRect(cell.left(), cell.top(), cell.width(), cell.height() / 2 - cellMargin / 2),
                fonts.base, fonts.intervalTexts, intervalText);

    const QString marks = index.data(WorkTimePlanningModel::MarksRole).toString();
    if (!marks.isEmpty())
        paintMarks(painter, fonts, QPoint(cell.left() + cellMargin, cell.top() + cell.height() / 2 + cellMargin / 2),
                   cellMargin, marks, qvariant_cast<QColor>(index.data(WorkTimePlanningModel::DayColorRole)));

    const QPoint clockTopLeft(cell.left() + cell.width() / 2 - cellMargin, cell.top() + cell.height() / 2);
    painter->drawPixmap(clockTopLeft, clockPixmap());
    const int total = work + part;
    const bool bold = total > 0;
    const QFont& hoursFont = bold ? fonts.boldHours : fonts.hours;
    painter->setPen(selected ? option.palette.color(colorGroup(option), QPalette::HighlightedText)
                             : paletteColor(total != 0 ? orvanta::wt::color::ENABLED_TEXT
                                                       : orvanta::wt::color::DISABLED_TEXT));
    painter->setFont(hoursFont);
    const int baseline = clockTopLeft.y() + (2 * (clockSize - 1) + 2) / 3;
    painter->drawStaticText(QPointF(clockTopLeft.x() + clockSize, baseline - fonts.hoursAscent),
                            staticText(bold ? fonts.boldHoursTexts : fonts.hoursTexts, hoursFont,
                                       QString::number(total / 3600.0, 'f', 2)));

    const QVariant editable = index.data(WorkTimePlanningModel::DateEditableRole);
    if (editable.isValid() && !editable.toBool())
        painter->drawPixmap(cell.left() + 1, cell.top() + 1, m_lock);
}

void WorkTimeItemDelegate::paintMarks(QPainter* painter, Metrics& fonts, const QPoint& topLeft, int cellMargin,
                                      const QString& marks, const QColor& color) const
{
    auto width = fonts.marksWidths.find(marks);
    if (width == fonts.marksWidths.end()) {
        if (fonts.marksWidths.size() >= maxCachedTexts)
            fonts.marksWidths.clear();
        width = fonts.marksWidths.insert(marks, QFontMetrics(fonts.marks).boundingRect(marks).width());
    }
    const int boxWidth = qMax(*width, fonts.marksMinWidth);
    const QRect badge(topLeft, QSize(boxWidth + 2 * cellMargin, fonts.marksHeight + 6));
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(color);
    painter->setBrush(color);
    painter->drawRoundedRect(badge, 9.0, 9.0, Qt::AbsoluteSize);
    painter->setPen(paletteColor(orvanta::wt::color::WHITE));
    drawCentred(painter, badge, fonts.marks, fonts.marksTexts, marks);
    painter->restore();
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

WorkTimeItemDelegate::Metrics& WorkTimeItemDelegate::metrics(const QFont& font) const
{
    if (m_metricsValid && m_metrics.base == font)
        return m_metrics;
    m_metrics = Metrics();
    m_metrics.base = font;
    m_metrics.marks = resizedFont(font, 3, font.bold());
    m_metrics.hours = resizedFont(font, 2, false);
    m_metrics.boldHours = resizedFont(font, 2, true);
    const QFontMetrics marksMetrics(m_metrics.marks);
    m_metrics.marksMinWidth = marksMetrics.boundingRect(QStringLiteral("XXX")).width();
    m_metrics.marksHeight = marksMetrics.height();
    m_metrics.hoursAscent = QFontMetrics(m_metrics.hours).ascent();
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

QSize WorkTimeItemDelegate::sizeHint(const QStyleOptionViewItem& viewOption, const QModelIndex& index) const
{
    const WorkTimePlanningModel* planning = toWorkTimeModel(index.model());
    if (!planning)
        return QSize(-1, -1);
    QStyleOptionViewItem option(viewOption);
    initStyleOption(&option, index);
    if (planning->isVariableStartFinishColumn(index.column())) {
        option.text = intervalToString(0, 0);
        option.features |= QStyleOptionViewItem::HasDisplay;
    } else if (index.column() == nameColumn && index.data(WorkTimePlanningModel::HasChangesRole).toBool()) {
        option.text += QLatin1Char('*');
    }
    const QStyle* style = option.widget ? option.widget->style() : QApplication::style();
    const int cellMargin = margin(option);
    QSize size = style->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(-1, -1), option.widget);
    size += QSize(4 * cellMargin, 2 * cellMargin);
    if (index.column() == WorkTimePlanningModel::NameColumn || index.column() == WorkTimePlanningModel::JobColumn)
        size.setWidth(qMin(size.width(), maxNameWidth));
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
