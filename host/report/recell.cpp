#include "recell.h"

RECell RECell::textCell(const QString& text, const RECellStyle& style)
{
    RECell cell;
    cell.text = text;
    cell.style = style;
    return cell;
}

RECell RECell::numberCell(double number, const QString& text, const RECellStyle& style)
{
    RECell cell = textCell(text, style);
    cell.isNumber = true;
    cell.number = number;
    return cell;
}

bool RECell::operator==(const RECell& other) const
{
    return text == other.text && columnSpan == other.columnSpan && rowSpan == other.rowSpan
           && isNumber == other.isNumber && number == other.number && style == other.style;
}
