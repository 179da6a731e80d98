#pragma once

#include "ovwidgets_export.h"

#include <QStringList>

/// Our own icon theme, shipped as SVGs in the library's resource so that icons look
/// the same offscreen, under Xvfb and on any desktop.
class OVWIDGETS_EXPORT OVIconTheme
{
public:
    OVIconTheme() = delete;

    /// Makes the theme current for QIcon::fromTheme; the desktop's theme, if any,
    /// becomes the fallback for names we do not ship. Call after the QApplication is
    /// created; calling again does nothing. Returns false (and logs why) when the
    /// icons cannot load.
    static bool install();

    /// Names of the icons the theme provides, sorted.
    static QStringList iconNames();

    static QString themeName();
};
