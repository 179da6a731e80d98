#pragma once

#include "ovreportcore_export.h"
#include "recell.h"

#include <QList>
#include <QtGlobal>

/// A report table: column widths in millimetres, rows of cells; the first headerRows rows are
/// repeated at the top of every page the table runs over.
struct OVREPORTCORE_EXPORT RETable
{
    QList<qreal> columnWidths;
    int headerRows = 0;
    QList<QList<RECell>> rows;

    bool operator==(const RETable& other) const;
};
