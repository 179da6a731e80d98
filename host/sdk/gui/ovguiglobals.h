#pragma once

#include "ovsdkgui_export.h"

#include <QColor>

/// Colours shared by the host's widgets and its plug-ins.
class OVSDKGUI_EXPORT OVGuiGlobals
{
public:
    OVGuiGlobals() = delete;

    /// Background of planned (working) cells: soft enough to keep dark text readable.
    static QColor lightYellow();
    /// Background of rows and fields holding invalid input.
    static QColor lightRed();
};
