#include "ovicontheme.h"

#include "widgetslogging.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QIcon>

namespace {

const QString ThemeSearchPath = QStringLiteral(":/icons");
const QString ThemeDirectory = QStringLiteral(":/icons/orvanta");
const QString IconDirectory = QStringLiteral(":/icons/orvanta/scalable");
const QString SvgSuffix = QStringLiteral(".svg");

} // namespace

QString OVIconTheme::themeName()
{
    return QStringLiteral("orvanta");
}

bool OVIconTheme::install()
{
    // The theme machinery asks the platform plug-in for the desktop theme.
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        qCWarning(lcWidgets) << Q_FUNC_INFO << "no QGuiApplication yet, theme not installed";
        return false;
    }
    if (!QFile::exists(ThemeDirectory + QStringLiteral("/index.theme"))) {
        qCWarning(lcWidgets) << Q_FUNC_INFO << "icon resource not linked:" << ThemeDirectory;
        return false;
    }

    QStringList searchPaths = QIcon::themeSearchPaths();
    if (!searchPaths.contains(ThemeSearchPath)) {
        searchPaths.prepend(ThemeSearchPath);
        QIcon::setThemeSearchPaths(searchPaths);
    }
    const QString desktopTheme = QIcon::themeName();
    if (desktopTheme != themeName()) {
        if (!desktopTheme.isEmpty())
            QIcon::setFallbackThemeName(desktopTheme);
        QIcon::setThemeName(themeName());
    }

    // SVG entries are skipped silently when the svg icon engine plug-in is missing.
    const QString probe = QStringLiteral("common-save");
    if (!QIcon::hasThemeIcon(probe)) {
        qCWarning(lcWidgets) << Q_FUNC_INFO << "theme icons do not load, is the svg icon engine"
                             << "plug-in (iconengines/libqsvgicon.so) installed? probe:" << probe;
        return false;
    }
    return true;
}

QStringList OVIconTheme::iconNames()
{
    QStringList names = QDir(IconDirectory).entryList({QLatin1Char('*') + SvgSuffix}, QDir::Files, QDir::Name);
    for (QString& name : names)
        name.chop(SvgSuffix.size());
    return names;
}
