#include "retext.h"

bool REText::operator==(const REText& other) const
{
    return text == other.text && style == other.style;
}
