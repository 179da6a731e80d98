#include "worktimeheaderview.h"

#include "vocabulary.h"
#include "worktimeplanningmodel.h"
#include "worktimeplanningproxy.h"
#include "wtplanninglogging.h"

#include <QIcon>
#include <QItemSelectionModel>
#include <QFontMetrics>
#include <QLocale>
#include <QPainter>

namespace {

constexpr int clockSize = 24;

QFont bandFont(const QFont& base, int pixelSize, bool bold)
{
    QFont font(base);
    font.setPixelSize(pixelSize);
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    return font;
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
    QSize size = QHeaderView::sizeHint();
    size.setHeight(m_heightHint >= 0 ? m_heightHint : size.height() * 3);
    return size;
}

void WorkTimeHeaderView::setHeightHint(int height)
{
    if (m_heightHint == height)
        return;
    m_heightHint = height;
    emit geometriesChanged();
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

void WorkTimeHeaderView::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    if (!rect.isValid())
        return;
    const WorkTimePlanningModel* planning = toWorkTimeModel(model());
    if (!planning || planning->isFixedColumn(logicalIndex)) {
        QHeaderView::paintSection(painter, rect, logicalIndex);
        return;
    }
    paintDaySection(painter, rect, logicalIndex);
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

    const QAbstractItemModel* itemModel = model();
    const QDate date = itemModel->headerData(logicalIndex, Qt::Horizontal, WorkTimePlanningModel::DateRole).toDate();
    const qint64 salesPlan =
        itemModel->headerData(logicalIndex, Qt::Horizontal, WorkTimePlanningModel::SalesPlanRole).toLongLong();
    const qint64 planned =
        itemModel->headerData(logicalIndex, Qt::Horizontal, WorkTimePlanningModel::DayTimeRole).toLongLong();

    const int top = rect.top();
    const int height = rect.height();
    painter->save();

    painter->setFont(bandFont(painter->font(), 11, selected));
    painter->setPen(QColor(QLatin1String(orvanta::wt::color::ENABLED_TEXT)));
    const QLocale locale;
    const QString dateText = locale.toString(date, QLocale::ShortFormat) + QLatin1Char('\n')
        + locale.dayName(date.dayOfWeek(), QLocale::LongFormat);
    painter->drawText(QRect(rect.left(), top, rect.width(), height / 2 - margin / 2), Qt::AlignCenter, dateText);

    const QFont figureFont = bandFont(painter->font(), 12, selected);
    painter->setFont(figureFont);
    painter->setPen(QColor(QLatin1String(orvanta::wt::color::GREEN)));
    const QRect planBand(QPoint(rect.left(), top + height / 2 + margin / 2),
                         QPoint(rect.right(), top + height / 2 + height / 4 - 1));
    painter->drawText(planBand, Qt::AlignCenter, QString::number(salesPlan));

    const QString hoursText = QString::number(double(planned) / 3600.0, 'f', 2);
    const QPixmap& clock = clockPixmap();
    const int textWidth = QFontMetrics(figureFont).horizontalAdvance(hoursText);
    const int groupWidth = clockSize + margin + textWidth;
    const int iconLeft = rect.left() + (rect.width() - groupWidth) / 2;
    painter->drawPixmap(iconLeft, top + (2 * (height - 1) + 2) / 3 + margin / 2, clock);
    painter->setPen(QColor(QLatin1String(orvanta::wt::color::BLACK)));
    painter->drawText(QRect(iconLeft + clockSize + margin, top + (2 * height) / 3 + margin / 2, textWidth, height / 4),
                      Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip, hoursText);

    painter->restore();
}

const QPixmap& WorkTimeHeaderView::clockPixmap() const
{
    // Made on first use: the icon theme is installed after the application starts.
    if (m_clock.isNull())
        m_clock = QIcon::fromTheme(QStringLiteral("common-clock")).pixmap(clockSize, clockSize, QIcon::Disabled);
    return m_clock;
}
