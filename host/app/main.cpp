#include "clientsession.h"
#include "connectionkeeper.h"
#include "demoorganisationgenerator.h"
#include "demousers.h"
#include "embeddedserverconnection.h"
#include "hostlogging.h"
#include "localstorage.h"
#include "notificationpopup.h"
#include "ovicontheme.h"
#include "ovplugininterface.h"
#include "plannerwindow.h"
#include "pluginloader.h"
#include "pluginwidget.h"
#include "storagenotificationapplier.h"
#include "tcpserverconnection.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QEventLoop>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTimer>
#include <QTranslator>

#include <cstdio>
#include <memory>

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

QString lostText()
{
    return QObject::tr("Нет соединения с сервером");
}

void installQtTranslation(QApplication* app)
{
    auto* translator = new QTranslator(app);
    const QString folder = QLibraryInfo::location(QLibraryInfo::TranslationsPath);
    if (translator->load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"), folder))
        app->installTranslator(translator);
    else
        qCWarning(lcHost) << Q_FUNC_INFO << "no Qt translation in" << folder;
}

QString defaultDatabasePath()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(folder);
    return QDir(folder).filePath(QStringLiteral("planner.sqlite"));
}

struct Options
{
    QString server;
    QString databasePath;
    int demoSize = DemoOrganisationGenerator::DefaultEmployees;
    bool resetDemo = false;
    QString login;
    QString password;
    QString pluginDir;
    QString screenshot;
};

/// Fills options from the command line; false with error set when a value is wrong.
bool parseOptions(const QApplication& app, Options* options, QString* error)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QObject::tr("Планирование рабочего времени"));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption serverOption(QStringLiteral("server"),
                                          QStringLiteral("Connect to a running ovserver instead of the embedded one."),
                                          QStringLiteral("HOST:PORT"));
    const QCommandLineOption dbOption(QStringLiteral("db"), QStringLiteral("SQLite file of the embedded server."),
                                      QStringLiteral("PATH"));
    const QCommandLineOption resetDemoOption(QStringLiteral("reset-demo"),
                                             QStringLiteral("Seed the embedded server's demo organisation again."));
    const QCommandLineOption demoSizeOption(QStringLiteral("demo-size"),
                                            QStringLiteral("Employees of a newly seeded demo organisation."),
                                            QStringLiteral("N"), QString::number(options->demoSize));
    const QCommandLineOption userOption(QStringLiteral("user"),
                                        QStringLiteral("Login; demo users: %1.").arg(DemoUsers::logins().join(QStringLiteral(", "))),
                                        QStringLiteral("LOGIN"), DemoUsers::defaultLogin());
    const QCommandLineOption passwordOption(QStringLiteral("password"),
                                            QStringLiteral("Password (default: the demo user's known password)."),
                                            QStringLiteral("PASSWORD"));
    const QCommandLineOption pluginDirOption(QStringLiteral("plugin-dir"), QStringLiteral("Folder with the plug-ins."),
                                             QStringLiteral("DIR"), PluginLoader::defaultPluginDir());
    const QCommandLineOption screenshotOption(QStringLiteral("screenshot"),
                                              QStringLiteral("Save a picture of the settled window to FILE and exit."),
                                              QStringLiteral("FILE"));
    parser.addOptions({serverOption, dbOption, resetDemoOption, demoSizeOption, userOption, passwordOption,
                       pluginDirOption, screenshotOption});
    parser.process(app);

    options->server = parser.value(serverOption);
    options->databasePath = parser.isSet(dbOption) ? parser.value(dbOption) : QString();
    options->resetDemo = parser.isSet(resetDemoOption);
    options->login = parser.value(userOption);
    options->password = parser.isSet(passwordOption) ? parser.value(passwordOption) : DemoUsers::password(options->login);
    options->pluginDir = parser.value(pluginDirOption);
    options->screenshot = parser.value(screenshotOption);
    bool sizeOk = false;
    options->demoSize = parser.value(demoSizeOption).toInt(&sizeOk);
    if (!sizeOk || options->demoSize <= 0) {
        *error = QObject::tr("Неверное число сотрудников: «%1»").arg(parser.value(demoSizeOption));
        return false;
    }
    if (!options->server.isEmpty() && (parser.isSet(dbOption) || options->resetDemo || parser.isSet(demoSizeOption))) {
        *error = QObject::tr("Параметры --db, --reset-demo и --demo-size относятся к встроенному серверу, а не к --server");
        return false;
    }
    return true;
}

/// The server connection the options ask for, connected or started; nullptr with error set.
std::unique_ptr<OVServerInterface> openConnection(const Options& options, QString* error)
{
    if (!options.server.isEmpty()) {
        const int colon = options.server.lastIndexOf(QLatin1Char(':'));
        bool portOk = false;
        const uint port = options.server.mid(colon + 1).toUInt(&portOk);
        if (colon <= 0 || !portOk || port == 0 || port > 65535) {
            *error = QObject::tr("Неверный адрес сервера «%1», нужен ХОСТ:ПОРТ").arg(options.server);
            return nullptr;
        }
        auto connection = std::make_unique<TcpServerConnection>();
        if (!connection->connectToServer(options.server.left(colon), quint16(port))) {
            *error = QObject::tr("Нет соединения с сервером %1: %2").arg(options.server, connection->errorString());
            return nullptr;
        }
        return connection;
    }
    const QString path = options.databasePath.isEmpty() ? defaultDatabasePath() : options.databasePath;
    auto embedded = std::make_unique<EmbeddedServerConnection>();
    if (!embedded->start(QStringLiteral("sqlite:") + path, options.demoSize, options.resetDemo)) {
        *error = QObject::tr("Не удалось открыть базу данных %1: %2").arg(path, embedded->errorString());
        return nullptr;
    }
    return embedded;
}

/// Logs in and loads the local store, waiting for the end; the Russian failure message otherwise.
QString logIn(OVServerInterface* connection, const Options& options)
{
    ClientSession session(connection, orvanta::LocalStorage::instance());
    QEventLoop loop;
    QString failure;
    QObject::connect(&session, &ClientSession::finished, &loop, [&](bool success, const QString& message) {
        failure = success ? QString() : message;
        loop.quit();
    });
    session.start(options.login, options.password);
    if (session.isRunning())
        loop.exec();
    return failure;
}

} // namespace

int main(int argc, char* argv[])
{
    // Unset, glibc reads /etc/localtime again for every local-time conversion.
    if (qEnvironmentVariableIsEmpty("TZ"))
        qputenv("TZ", ":/etc/localtime");
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Orvanta"));
    QApplication::setApplicationName(QStringLiteral("planner"));
    QApplication::setApplicationVersion(QStringLiteral("1.0"));
    OVIconTheme::install();
    // The planner speaks Russian whatever the machine's locale: month and weekday names, dates,
    // and the standard buttons and dialogs of Qt itself.
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    installQtTranslation(&app);

    Options options;
    QString error;
    if (!parseOptions(app, &options, &error)) {
        reportError(error, false);
        return 2;
    }
    const bool interactive = options.screenshot.isEmpty();

    std::unique_ptr<OVServerInterface> connection = openConnection(options, &error);
    if (!connection) {
        reportError(error, interactive);
        return 1;
    }
    // The plug-in reads roles, restrictions and objects as soon as it is inserted.
    const QString loginFailure = logIn(connection.get(), options);
    if (!loginFailure.isEmpty()) {
        reportError(loginFailure, interactive);
        return 1;
    }
    StorageNotificationApplier notifications(connection.get(), orvanta::LocalStorage::instance());
    // Made before the plug-in loads, so a loss at any time after the login is recovered from.
    auto* tcp = qobject_cast<TcpServerConnection*>(connection.get());
    std::unique_ptr<ConnectionKeeper> keeper;
    if (tcp) {
        keeper = std::make_unique<ConnectionKeeper>(tcp, orvanta::LocalStorage::instance(), options.login,
                                                    options.password);
    }

    PluginLoader loader;
    if (!loader.load(PluginLoader::pluginPath(options.pluginDir, QLatin1String(kPluginName)))) {
        reportError(loader.errorString(), interactive);
        return 1;
    }

    // The order every plug-in relies on: init, then insertion, then the questions.
    OVPluginInterface* plugin = loader.plugin();
    PluginWidget* pluginWidget = loader.pluginWidget();
    plugin->init(connection.get(), QLatin1String(kPluginName));
    pluginWidget->insertedToInterface();

    PlannerWindow window;
    window.setUserName(options.login);
    window.setPlugin(plugin, pluginWidget);
    window.showRestored();
    if (keeper) {
        QObject::connect(tcp, &TcpServerConnection::connectionLost, &window,
                         [&window] { window.showNotification(NotificationPopup::Critical, lostText(), 0); });
        QObject::connect(keeper.get(), &ConnectionKeeper::restored, &window, [&window] {
            // The loss is over: its messages would only contradict the new one.
            for (NotificationPopup* popup : window.notifications()) {
                if (popup->level() == NotificationPopup::Critical && popup->text() == lostText()) {
                    popup->hide();
                    popup->deleteLater();
                }
            }
            window.showNotification(NotificationPopup::Information, QObject::tr("Соединение с сервером восстановлено"), 0);
        });
        QObject::connect(keeper.get(), &ConnectionKeeper::loginRefused, &window, [&window](const QString& message) {
            window.showNotification(NotificationPopup::Critical, message, 0);
        });
    }

    if (!interactive) {
        const QString fileName = options.screenshot;
        QTimer::singleShot(kScreenshotSettleMs, &window, [&window, fileName] {
            QApplication::exit(saveScreenshot(&window, fileName) ? 0 : 1);
        });
    }
    const int status = app.exec();
    plugin->uninit();
    return status;
}
