#include "settings.h"

#include <QSettings>

#include <memory>

namespace {

std::unique_ptr<QSettings>& store()
{
    static std::unique_ptr<QSettings> settings;
    return settings;
}

} // namespace

QSettings* Settings::instance()
{
    if (!store())
        store().reset(new QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Orvanta"),
                                    QStringLiteral("planner")));
    return store().get();
}

void Settings::setFileName(const QString& fileName)
{
    store().reset(new QSettings(fileName, QSettings::IniFormat));
}

QVariant Settings::value(const QString& key, const QVariant& defaultValue)
{
    return instance()->value(key, defaultValue);
}

void Settings::setValue(const QString& key, const QVariant& value)
{
    instance()->setValue(key, value);
}
