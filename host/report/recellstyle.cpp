#include "recellstyle.h"

bool RECellStyle::operator==(const RECellStyle& other) const
{
    return qFuzzyCompare(fontSize + 1, other.fontSize + 1) && bold == other.bold && italic == other.italic
           && alignment == other.alignment && fill == other.fill && color == other.color && border == other.border;
}
