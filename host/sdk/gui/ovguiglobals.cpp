#include "ovguiglobals.h"

QColor OVGuiGlobals::lightYellow()
{
    return QColor(0xFF, 0xF8, 0xD6);
}
