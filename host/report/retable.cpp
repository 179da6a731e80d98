#include "retable.h"

bool RETable::operator==(const RETable& other) const
{
    return columnWidths == other.columnWidths && headerRows == other.headerRows && rows == other.rows;
}
