#pragma once

#include "ovreportcore_export.h"

#include <QColor>
#include <QtGlobal>

/// How a text block or a table cell is drawn. A font size of 0 takes the document's.
struct OVREPORTCORE_EXPORT RECellStyle
{
    qreal fontSize = 0;
    bool bold = false;
    bool italic = false;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    /// Invalid: no fill (white paper).
    QColor fill;
    /// Invalid: black.
    QColor color;
    /// A thin frame on all four sides.
    bool border = true;

    bool operator==(const RECellStyle& other) const;
};
