#include "authdata.h"
#include "fatalwarnings.h"
#include "notificationpopup.h"
#include "ovicontheme.h"
#include "ovserverinterface.h"
#include "plannerwindow.h"
#include "settings.h"
#include "worktimeplanningview.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QStackedWidget>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

namespace {

// No server behind it: every request fails as it would with the connection gone.
class NotConnectedServer : public OVServerInterface
{
protected:
    void transmit(const Command& command) override
    {
        const Command reply = Command::errorReply(command, ResultNotConnected, QStringLiteral("нет соединения"));
        QMetaObject::invokeMethod(this, [this, reply] { deliverReply(reply); }, Qt::QueuedConnection);
    }
};

// Counts how often the host said it is in front of the planner.
struct CountingPlugin : PluginWidget, OVPluginInterface
{
    int activations = 0;
    void activated() override { ++activations; }
    QString pluginName() const override { return QStringLiteral("counting"); }
    int pluginVersion() const override { return 1; }
    QString pluginBuild() const override { return QString(); }
    QWidget* widget() override { return this; }
};

// The planning plug-in in the window, for a user with the roles RL_WTPLANNINGVIEW_<suffix>.
struct HostFixture
{
    NotConnectedServer server;
    PlannerWindow window;
    QPointer<WorkTimePlanningView> view;

    explicit HostFixture(const QStringList& roleSuffixes)
    {
        AuthData::setRoles(QStringList(roleSuffixes).replaceInStrings(QRegularExpression(QStringLiteral("^")),
                                                                      QStringLiteral("RL_WTPLANNINGVIEW_")));
        view = new WorkTimePlanningView;
        view->init(&server, QStringLiteral("wtplanningview"));
        view->insertedToInterface();
        window.setPlugin(view, view);
        window.show();
    }

    ~HostFixture()
    {
        // The window owns the embedded view only when it was shown.
        if (view && !view->parent())
            delete view;
        AuthData::clear();
    }

    QString currentPage() const
    {
        return view->findChild<QStackedWidget*>(QStringLiteral("stackedWidget"))->currentWidget()->objectName();
    }
};

} // namespace

class tst_PlannerWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir settingsDir;

private slots:
    void initTestCase()
    {
        OVIconTheme::install();
        QVERIFY(settingsDir.isValid());
        Settings::setFileName(settingsDir.filePath(QStringLiteral("settings.ini")));
    }

    // Closed and started again, the window is where the planner left it, and then the plug-in hears that it is
    // in front of the planner.
    void startsWhereItWasLeft()
    {
        const QRect placed(60, 40, 1000, 700);
        {
            PlannerWindow first;
            first.show();
            first.setGeometry(placed);
            QVERIFY(first.close());
        }
        PlannerWindow window;
        auto* plugin = new CountingPlugin;
        window.setPlugin(plugin, plugin);
        window.showRestored();
        QCOMPARE(window.geometry(), placed);
        QCOMPARE(plugin->activations, 0);
        QTRY_COMPARE(plugin->activations, 1);
    }

    void ribbonFollowsTheUsersRoles_data()
    {
        QTest::addColumn<QStringList>("roles");
        QTest::addColumn<QString>("enabled"); // per tab, 0/1
        QTest::addColumn<QString>("page");
        QTest::addRow("viewer") << QStringList{"WORKTIME_SHOW", "BREAKRULE_SHOW", "ATTACHED_SHOW"} << "111"
                                << "pageWorktime";
        QTest::addRow("hr: break rules and attached workers")
            << QStringList{"BREAKRULE_SHOW", "BREAKRULE_UPDATE", "ATTACHED_SHOW", "ATTACHED_DELETE"} << "011"
            << "pageDinner";
        QTest::addRow("no rights") << QStringList() << "" << "";
    }

    void ribbonFollowsTheUsersRoles()
    {
        QFETCH(QStringList, roles);
        QFETCH(QString, enabled);
        QFETCH(QString, page);
        HostFixture host(roles);
        QTabBar* ribbon = host.window.ribbon();
        QString tabs, enabledTabs;
        for (int i = 0; i < ribbon->count(); ++i) {
            tabs += ribbon->tabText(i) + ';';
            enabledTabs += ribbon->isTabEnabled(i) ? '1' : '0';
        }
        QCOMPARE(enabledTabs, enabled);
        if (page.isEmpty()) {
            // A message instead of the plug-in.
            QVERIFY(!host.view->isVisible());
            bool messageShown = false;
            for (const QLabel* label : host.window.findChildren<QLabel*>())
                messageShown |= label->isVisible() && label->text().contains(QStringLiteral("нет прав"));
            QVERIFY(messageShown);
            return;
        }
        QCOMPARE(tabs, QStringLiteral("Рабочие графики;Время обеда;Внутренние командировки;"));
        QCOMPARE(host.currentPage(), page);
        ribbon->setCurrentIndex(2);
        QCOMPARE(host.currentPage(), QStringLiteral("pageAttached"));
        ribbon->setCurrentIndex(1);
        QCOMPARE(host.currentPage(), QStringLiteral("pageDinner"));
    }

    void informationFadesCriticalStays()
    {
        HostFixture host({"WORKTIME_SHOW"});
        host.view->showPopupInformationMessage(QStringLiteral("Сохранено"), 50);
        host.view->showPopupCriticalMessage(QStringLiteral("Ошибка сохранения"), 50);
        // Reaching this line at all means no modal loop ran; the window stays usable.
        QVERIFY(!QApplication::activeModalWidget());
        QCOMPARE(host.window.notifications().size(), 2);
        QTRY_COMPARE_WITH_TIMEOUT(host.window.notifications().size(), 1, 3000);
        NotificationPopup* remaining = host.window.notifications().constFirst();
        QCOMPARE(remaining->level(), NotificationPopup::Critical);
        QCOMPARE(remaining->text(), QStringLiteral("Ошибка сохранения"));
        QTest::qWait(800);
        QCOMPARE(host.window.notifications().size(), 1);
        remaining->findChild<QToolButton*>()->click();
        QCOMPARE(host.window.notifications().size(), 0);
    }
};

OV_TEST_WIDGETS_MAIN(tst_PlannerWindow)
#include "tst_plannerwindow.moc"
