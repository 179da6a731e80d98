#pragma once

#include "ovreportcore_export.h"
#include "recellstyle.h"

#include <QString>

/// One cell of a report table. A number cell keeps its value, so a spreadsheet gets a number;
/// text is what paper shows. A cell covered by another's span is not stored: a row lists only
/// the cells that start in it, left to right, skipping columns covered from the left or above.
struct OVREPORTCORE_EXPORT RECell
{
    QString text;
    int columnSpan = 1;
    int rowSpan = 1;
    bool isNumber = false;
    double number = 0;
    RECellStyle style;

    static RECell textCell(const QString& text, const RECellStyle& style = RECellStyle());
    /// text is the number as printed (for example "8.00"); number is what a spreadsheet gets.
    static RECell numberCell(double number, const QString& text, const RECellStyle& style = RECellStyle());

    bool operator==(const RECell& other) const;
};
