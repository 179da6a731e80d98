#pragma once

#include "ovreport_export.h"

#include <QVector>

struct RETable;
class RETextMetrics;

/// The geometry of one report table in layout units: column edges, row heights from their
/// wrapped text, the groups of rows that row spans tie together, and the scale that fits a table
/// wider than the page body.
class OVREPORT_EXPORT RETableLayout
{
public:
    RETableLayout(const RETable& table, RETextMetrics* metrics, qreal bodyWidth);

    /// False for a table whose spans do not fit its grid: it is not painted.
    bool isValid() const { return m_valid; }
    int rowCount() const { return m_rowTops.size() - 1; }
    /// The table's header rows, no more than it has rows.
    int headerRows() const { return m_headerRows; }
    qreal scale() const { return m_scale; }
    /// Unscaled; columnX(columnCount) is the table's width.
    qreal columnX(int column) const { return m_columnX.at(column); }
    /// Unscaled; rowTop(rowCount) is the table's height.
    qreal rowTop(int row) const { return m_rowTops.at(row); }
    int cellColumn(int row, int index) const { return m_cellColumns.at(row).at(index); }
    /// The row after the group that starts at row: rows a span ties together stay on one page.
    int groupEnd(int row) const { return m_groupEnds.at(row); }

    /// Space around a cell's text, in millimetres.
    static constexpr qreal PaddingXMM = 0.6;
    static constexpr qreal PaddingYMM = 0.3;

private:
    void measureRows(const RETable& table, RETextMetrics* metrics);
    void findGroups(const RETable& table);

    bool m_valid = false;
    int m_headerRows = 0;
    qreal m_scale = 1;
    QVector<qreal> m_columnX;
    QVector<qreal> m_rowTops;
    QVector<QVector<int>> m_cellColumns;
    QVector<int> m_groupEnds;
};
