#pragma once

#include <QPointF>

/// A piece of one report block on one page: lines of a text block, or rows of a table (its
/// header rows, when it has them, drawn first, then count rows from first).
struct REPageItem
{
    enum Kind { TextLines, TableRows };

    Kind kind = TextLines;
    int block = 0;
    /// The piece's top-left corner on the page, in layout units.
    QPointF origin;
    int first = 0;
    int count = 0;
};
