#pragma once

#include "ovreportcore_export.h"

#include <QString>
#include <QVector>

struct RETable;

/// Places a table's stored cells on its grid of rows and columns: a row lists only the cells
/// that start in it, so a cell's column follows from the spans to its left and above. The reader
/// feeds it cell by cell to refuse bad spans early; painters take the columns of a whole table.
class OVREPORTCORE_EXPORT RETableGrid
{
public:
    explicit RETableGrid(int columnCount);

    void startRow();
    /// The column the next cell of the current row starts in, or -1 with a Russian error when it
    /// runs past the last column or onto a cell spanning from above.
    int placeCell(int columnSpan, int rowSpan, QString* error);
    /// False with an error when a row span runs past the last of rowCount rows.
    bool finish(int rowCount, QString* error) const;

    /// Every stored cell's column, row by row; false with an error for a malformed table.
    static bool cellColumns(const RETable& table, QVector<QVector<int>>* columns, QString* error);

private:
    int m_columnCount = 0;
    int m_row = -1;
    int m_nextColumn = 0;
    int m_lastSpannedRow = -1;
    /// The last row each column is covered to by a row span from above.
    QVector<int> m_coveredTo;
};
