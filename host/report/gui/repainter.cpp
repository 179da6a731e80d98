#include "repainter.h"

#include "repagelayout.h"

#include <QPainter>
#include <QTextLayout>

namespace {

constexpr qreal BorderMM = 0.15;

} // namespace

REPainter::REPainter(const REPageLayout& layout)
    : m_layout(layout)
{
}

void REPainter::paintPage(QPainter* painter, int page) const
{
    if (page < 0 || page >= m_layout.pageCount())
        return;
    painter->save();
    for (const REPageItem& item : m_layout.pageItems(page)) {
        if (item.kind == REPageItem::TextLines)
            paintText(painter, item);
        else
            paintTable(painter, item);
    }
    const QString footer = m_layout.footerText(page);
    if (!footer.isEmpty()) {
        RECellStyle style;
        style.alignment = Qt::AlignHCenter | Qt::AlignBottom;
        m_layout.metrics()->drawText(painter, m_layout.footerRect(), footer, style);
    }
    painter->restore();
}

void REPainter::paintText(QPainter* painter, const REPageItem& item) const
{
    const REText& text = m_layout.document().blocks().at(item.block).text;
    QTextLayout lines;
    m_layout.metrics()->layoutText(&lines, text.text, text.style, m_layout.bodyRect().width());
    if (item.first + item.count > lines.lineCount())
        return;
    const qreal shift = item.origin.y() - lines.lineAt(item.first).y();
    const qreal bottom = item.origin.y() + lines.lineAt(item.first + item.count - 1).y() - lines.lineAt(item.first).y()
                         + lines.lineAt(item.first + item.count - 1).height();
    if (text.style.fill.isValid())
        painter->fillRect(QRectF(item.origin, QPointF(m_layout.bodyRect().right(), bottom)), text.style.fill);
    painter->setPen(text.style.color.isValid() ? text.style.color : QColor(Qt::black));
    for (int line = item.first; line < item.first + item.count; ++line)
        lines.lineAt(line).draw(painter, QPointF(item.origin.x(), shift));
}

void REPainter::paintTable(QPainter* painter, const REPageItem& item) const
{
    const RETable& table = m_layout.document().blocks().at(item.block).table;
    const RETableLayout* geometry = m_layout.tableLayout(item.block);
    if (!geometry || !geometry->isValid())
        return;
    painter->save();
    painter->translate(item.origin);
    painter->scale(geometry->scale(), geometry->scale());
    paintRows(painter, table, *geometry, 0, geometry->headerRows(), 0);
    paintRows(painter, table, *geometry, item.first, item.count, geometry->rowTop(geometry->headerRows()));
    painter->restore();
}

// Rows first..first+count-1 from top down; a span's rows are all among them, since the layout
// never splits the rows a span ties together.
void REPainter::paintRows(QPainter* painter, const RETable& table, const RETableLayout& geometry, int first,
                          int count, qreal top) const
{
    const qreal shift = top - geometry.rowTop(first);
    for (int row = first; row < first + count; ++row) {
        const QList<RECell>& cells = table.rows.at(row);
        for (int index = 0; index < cells.size(); ++index) {
            const RECell& cell = cells.at(index);
            const int column = geometry.cellColumn(row, index);
            const int lastRow = qMin(row + cell.rowSpan, first + count);
            const QRectF rect(QPointF(geometry.columnX(column), geometry.rowTop(row) + shift),
                              QPointF(geometry.columnX(column + cell.columnSpan), geometry.rowTop(lastRow) + shift));
            paintCell(painter, cell, rect);
        }
    }
}

void REPainter::paintCell(QPainter* painter, const RECell& cell, const QRectF& rect) const
{
    RETextMetrics* metrics = m_layout.metrics();
    if (cell.style.fill.isValid())
        painter->fillRect(rect, cell.style.fill);
    const qreal padX = metrics->fromMM(RETableLayout::PaddingXMM);
    const qreal padY = metrics->fromMM(RETableLayout::PaddingYMM);
    metrics->drawText(painter, rect.adjusted(padX, padY, -padX, -padY), cell.text, cell.style);
    if (cell.style.border) {
        painter->setPen(QPen(Qt::black, metrics->fromMM(BorderMM)));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(rect);
    }
}
