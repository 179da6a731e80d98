#include "authdata.h"
#include "demousers.h"
#include "hostlogging.h"
#include "notificationpopup.h"
#include "offlineserverconnection.h"
#include "ovicontheme.h"
#include "ovplugininterface.h"
#include "plannerwindow.h"
#include "pluginloader.h"
#include "pluginwidget.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>
#include <QTimer>
#include <QUuid>

#include <cstdio>

namespace {

constexpr char kPluginName[] = "wtplanningview";
// Long enough for queued start-up work, the first layout and icon loading.
constexpr int kScreenshotSettleMs = 1500;

void reportError(const QString& message, bool interactive)
{
    std::fprintf(stderr, "planner: %s\n", qPrintable(message));
    if (interactive)
        QMessageBox::critical(nullptr, QObject::tr("Планировщик"), message);
}

bool saveScreenshot(QWidget* window, const QString& fileName)
{
    if (!window->grab().save(fileName)) {
        std::fprintf(stderr, "planner: cannot save the screenshot to %s\n", qPrintable(fileName));
        return false;
    }
    std::printf("planner: screenshot saved to %s\n", qPrintable(fileName));
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Orvanta"));
    QApplication::setApplicationName(QStringLiteral("planner"));
    QApplication::setApplicationVersion(QStringLiteral("1.0"));
    OVIconTheme::install();

    QCommandLineParser parser;
    parser.setApplicationDescription(QObject::tr("Планирование рабочего времени"));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption userOption(QStringLiteral("user"),
                                        QStringLiteral("Demo user: %1.").arg(DemoUsers::logins().join(QStringLiteral(", "))),
                                        QStringLiteral("LOGIN"), DemoUsers::defaultLogin());
    const QCommandLineOption pluginDirOption(QStringLiteral("plugin-dir"), QStringLiteral("Folder with the plug-ins."),
                                             QStringLiteral("DIR"), PluginLoader::defaultPluginDir());
    const QCommandLineOption screenshotOption(QStringLiteral("screenshot"),
                                              QStringLiteral("Save a picture of the settled window to FILE and exit."),
                                              QStringLiteral("FILE"));
    parser.addOptions({userOption, pluginDirOption, screenshotOption});
    parser.process(app);

    const bool interactive = !parser.isSet(screenshotOption);
    const QString login = parser.value(userOption);
    if (!DemoUsers::isKnown(login)) {
        reportError(QObject::tr("Неизвестный пользователь «%1». Доступны: %2")
                        .arg(login, DemoUsers::logins().join(QStringLiteral(", "))),
                    false);
        return 2;
    }
    AuthData::setRoles(DemoUsers::roles(login));
    AuthData::setUserId(1);
    AuthData::setSessionId(QUuid::createUuid().toByteArray(QUuid::WithoutBraces));

    OfflineServerConnection connection;
    PluginLoader loader;
    if (!loader.load(PluginLoader::pluginPath(parser.value(pluginDirOption), QLatin1String(kPluginName)))) {
        reportError(loader.errorString(), interactive);
        return 1;
    }

    // The order every plug-in relies on: init, then insertion, then the questions.
    OVPluginInterface* plugin = loader.plugin();
    PluginWidget* pluginWidget = loader.pluginWidget();
    plugin->init(&connection, QLatin1String(kPluginName));
    pluginWidget->insertedToInterface();

    PlannerWindow window;
    window.setUserName(login);
    window.setPlugin(plugin, pluginWidget);
    window.show();
    window.showNotification(NotificationPopup::Information,
                            QObject::tr("Нет соединения с сервером: данные организации недоступны."), 0);

    if (!interactive) {
        const QString fileName = parser.value(screenshotOption);
        QTimer::singleShot(kScreenshotSettleMs, &window, [&window, fileName] {
            QApplication::exit(saveScreenshot(&window, fileName) ? 0 : 1);
        });
    }
    const int status = app.exec();
    plugin->uninit();
    return status;
}
