#include "retablelayout.h"

#include "reportlogging.h"
#include "retable.h"
#include "retablegrid.h"
#include "retextmetrics.h"

#include <algorithm>

namespace {

struct SpanningCell
{
    int firstRow;
    int lastRow;
    qreal height;
};

} // namespace

RETableLayout::RETableLayout(const RETable& table, RETextMetrics* metrics, qreal bodyWidth)
    : m_rowTops(1, 0)
{
    QString error;
    if (!RETableGrid::cellColumns(table, &m_cellColumns, &error)) {
        qCWarning(lcReport) << Q_FUNC_INFO << "table not painted" << error;
        m_columnX.append(0);
        return;
    }
    m_valid = true;
    m_columnX.reserve(table.columnWidths.size() + 1);
    m_columnX.append(0);
    for (qreal width : table.columnWidths)
        m_columnX.append(m_columnX.last() + metrics->fromMM(width));
    if (m_columnX.last() > bodyWidth && bodyWidth > 0)
        m_scale = bodyWidth / m_columnX.last();
    m_headerRows = qBound(0, table.headerRows, table.rows.size());
    measureRows(table, metrics);
    findGroups(table);
}

// A row is as high as its highest cell; a cell spanning rows that are together lower than
// it makes the last of them higher.
void RETableLayout::measureRows(const RETable& table, RETextMetrics* metrics)
{
    const qreal padX = metrics->fromMM(PaddingXMM);
    const qreal padY = metrics->fromMM(PaddingYMM);
    const qreal emptyRow = metrics->lineHeight(RECellStyle()) + 2 * padY;
    QVector<qreal> heights(table.rows.size(), emptyRow);
    QVector<SpanningCell> spanning;
    for (int row = 0; row < table.rows.size(); ++row) {
        const QList<RECell>& cells = table.rows.at(row);
        for (int index = 0; index < cells.size(); ++index) {
            const RECell& cell = cells.at(index);
            const int column = m_cellColumns.at(row).at(index);
            const qreal width = m_columnX.at(column + cell.columnSpan) - m_columnX.at(column) - 2 * padX;
            const qreal height = metrics->textHeight(cell.text, cell.style, width) + 2 * padY;
            if (cell.rowSpan == 1)
                heights[row] = qMax(heights.at(row), height);
            else
                spanning.append({row, row + cell.rowSpan - 1, height});
        }
    }
    std::stable_sort(spanning.begin(), spanning.end(),
                     [](const SpanningCell& a, const SpanningCell& b) { return a.lastRow < b.lastRow; });
    for (const SpanningCell& cell : qAsConst(spanning)) {
        qreal spanned = 0;
        for (int row = cell.firstRow; row <= cell.lastRow; ++row)
            spanned += heights.at(row);
        if (cell.height > spanned)
            heights[cell.lastRow] += cell.height - spanned;
    }
    m_rowTops.reserve(heights.size() + 1);
    for (qreal height : qAsConst(heights))
        m_rowTops.append(m_rowTops.last() + height);
}

void RETableLayout::findGroups(const RETable& table)
{
    const int rows = table.rows.size();
    m_groupEnds.resize(rows);
    int start = 0;
    int lastTied = -1;
    for (int row = 0; row < rows; ++row) {
        if (row > lastTied)
            start = row;
        lastTied = qMax(lastTied, row);
        for (const RECell& cell : table.rows.at(row))
            lastTied = qMax(lastTied, row + cell.rowSpan - 1);
        if (lastTied == row) {
            for (int member = start; member <= row; ++member)
                m_groupEnds[member] = row + 1;
        }
    }
}
