#pragma once

#include "ovsdk_export.h"

#include <QVariant>

class QSettings;

/// The planner's persistent settings, an INI file in the user's config folder.
class OVSDK_EXPORT Settings
{
public:
    Settings() = delete;

    static QVariant value(const QString& key, const QVariant& defaultValue = QVariant());
    static void setValue(const QString& key, const QVariant& value);
    static QSettings* instance();
    /// Keeps the settings in fileName from now on (tests use a temporary file).
    static void setFileName(const QString& fileName);
};
