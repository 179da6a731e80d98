#include "retablegrid.h"

#include "retable.h"

#include <limits>

RETableGrid::RETableGrid(int columnCount)
    : m_columnCount(columnCount)
    , m_coveredTo(columnCount, -1)
{
}

void RETableGrid::startRow()
{
    ++m_row;
    m_nextColumn = 0;
}

int RETableGrid::placeCell(int columnSpan, int rowSpan, QString* error)
{
    int column = m_nextColumn;
    while (column < m_columnCount && m_coveredTo[column] >= m_row)
        ++column;
    if (columnSpan < 1 || rowSpan < 1 || column >= m_columnCount || columnSpan > m_columnCount - column) {
        *error = QStringLiteral("ячейка выходит за последний столбец таблицы (столбцов в таблице: %1)").arg(m_columnCount);
        return -1;
    }
    const int lastRow = int(qMin<qint64>(qint64(m_row) + rowSpan - 1, std::numeric_limits<int>::max()));
    for (int spanned = column; spanned < column + columnSpan; ++spanned) {
        if (m_coveredTo[spanned] >= m_row) {
            *error = QStringLiteral("ячейка накрывает ячейку, объединенную со строкой выше");
            return -1;
        }
        m_coveredTo[spanned] = lastRow;
    }
    m_lastSpannedRow = qMax(m_lastSpannedRow, lastRow);
    m_nextColumn = column + columnSpan;
    return column;
}

bool RETableGrid::finish(int rowCount, QString* error) const
{
    if (m_lastSpannedRow < rowCount)
        return true;
    *error = QStringLiteral("объединение ячеек выходит за последнюю строку таблицы (строк в таблице: %1)").arg(rowCount);
    return false;
}

bool RETableGrid::cellColumns(const RETable& table, QVector<QVector<int>>* columns, QString* error)
{
    RETableGrid grid(table.columnWidths.size());
    columns->clear();
    columns->reserve(table.rows.size());
    for (const QList<RECell>& row : table.rows) {
        grid.startRow();
        QVector<int> rowColumns;
        rowColumns.reserve(row.size());
        for (const RECell& cell : row) {
            const int column = grid.placeCell(cell.columnSpan, cell.rowSpan, error);
            if (column < 0)
                return false;
            rowColumns.append(column);
        }
        columns->append(rowColumns);
    }
    return grid.finish(table.rows.size(), error);
}
