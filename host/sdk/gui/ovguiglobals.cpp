#include "ovguiglobals.h"

QColor OVGuiGlobals::lightYellow()
{
    return QColor(0xFF, 0xF8, 0xD6);
}

QColor OVGuiGlobals::lightRed()
{
    return QColor(0xFF, 0xD6, 0xD6);
}
