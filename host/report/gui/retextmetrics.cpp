#include "retextmetrics.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>

namespace {

constexpr int MaxKeptLayouts = 20000;

QString withLineSeparators(const QString& text)
{
    if (!text.contains(QLatin1Char('\n')))
        return text;
    QString laid = text;
    laid.replace(QLatin1Char('\n'), QChar::LineSeparator);
    return laid;
}

} // namespace

RETextMetrics::RETextMetrics(const REPageSetup& page, int dpi)
    : m_family(page.fontFamily)
    , m_fontSize(page.fontSize)
    , m_dpi(dpi)
{
}

int RETextMetrics::pixelSize(const RECellStyle& style) const
{
    const qreal points = style.fontSize > 0 ? style.fontSize : m_fontSize;
    return qMax(1, qRound(points * m_dpi / 72));
}

// The horizontal alignment is part of the key: a cached layout places its lines by it.
quint32 RETextMetrics::fontKey(const RECellStyle& style) const
{
    const quint32 horizontal = style.alignment & Qt::AlignHCenter ? 1 : style.alignment & Qt::AlignRight ? 2 : 0;
    return quint32(pixelSize(style)) << 4 | horizontal << 2 | quint32(style.bold) << 1 | quint32(style.italic);
}

QFont RETextMetrics::font(const RECellStyle& style) const
{
    const quint32 key = fontKey(style);
    auto cached = m_fonts.constFind(key);
    if (cached != m_fonts.constEnd())
        return *cached;
    QFont font(m_family);
    font.setPixelSize(pixelSize(style));
    font.setBold(style.bold);
    font.setItalic(style.italic);
    // Hinting would fit glyphs to the layout's pixels, not to the device's.
    font.setHintingPreference(QFont::PreferNoHinting);
    m_fonts.insert(key, font);
    return font;
}

qreal RETextMetrics::lineHeight(const RECellStyle& style) const
{
    return QFontMetricsF(font(style)).height();
}

const RETextMetrics::LaidText& RETextMetrics::laidText(const QString& text, const RECellStyle& style, qreal width)
{
    QHash<QString, LaidText>& texts = m_texts[quint64(fontKey(style)) << 32 | quint32(qMax(0, qRound(width)))];
    auto cached = texts.constFind(text);
    if (cached != texts.constEnd())
        return *cached;
    auto layout = std::make_shared<QTextLayout>();
    layout->setCacheEnabled(true);
    layoutText(layout.get(), text, style, width);
    LaidText laid;
    laid.height = lineHeight(style);
    if (layout->lineCount() > 0) {
        const QTextLine last = layout->lineAt(layout->lineCount() - 1);
        laid.height = qMax(laid.height, last.y() + last.height());
    }
    if (m_keptLayouts < MaxKeptLayouts) {
        laid.layout = layout;
        ++m_keptLayouts;
    }
    return *texts.insert(text, laid);
}

qreal RETextMetrics::textHeight(const QString& text, const RECellStyle& style, qreal width)
{
    return laidText(text, style, width).height;
}

void RETextMetrics::layoutText(QTextLayout* layout, const QString& text, const RECellStyle& style, qreal width) const
{
    layout->setText(withLineSeparators(text));
    layout->setFont(font(style));
    QTextOption option(style.alignment & Qt::AlignHorizontal_Mask);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout->setTextOption(option);
    layout->beginLayout();
    qreal y = 0;
    for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
        line.setLineWidth(qMax<qreal>(0, width));
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    layout->endLayout();
}

void RETextMetrics::drawText(QPainter* painter, const QRectF& rect, const QString& text, const RECellStyle& style)
{
    if (text.isEmpty())
        return;
    const LaidText& laid = laidText(text, style, rect.width());
    qreal top = rect.top();
    if (style.alignment & Qt::AlignVCenter)
        top += (rect.height() - laid.height) / 2;
    else if (style.alignment & Qt::AlignBottom)
        top += rect.height() - laid.height;
    painter->setPen(style.color.isValid() ? style.color : QColor(Qt::black));
    if (laid.layout) {
        laid.layout->draw(painter, QPointF(rect.left(), top));
        return;
    }
    QTextLayout layout;
    layoutText(&layout, text, style, rect.width());
    layout.draw(painter, QPointF(rect.left(), top));
}
