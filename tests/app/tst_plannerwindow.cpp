#include "authdata.h"
#include "fatalwarnings.h"
#include "notificationpopup.h"
#include "ovserverinterface.h"
#include "ovicontheme.h"
#include "plannerwindow.h"
#include "worktimeplanningview.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QStackedWidget>
#include <QTabBar>
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

// The roles the server gives the demo users.
QStringList rolesOf(const QString& login)
{
    const QStringList show{"WORKTIME_SHOW", "BREAKRULE_SHOW", "ATTACHED_SHOW"};
    const QStringList breakRules{"BREAKRULE_SHOW", "BREAKRULE_CREATE", "BREAKRULE_UPDATE", "BREAKRULE_DELETE"};
    const QStringList attached{"ATTACHED_SHOW", "ATTACHED_CREATE", "ATTACHED_UPDATE", "ATTACHED_DELETE"};
    QStringList suffixes;
    if (login == QLatin1String("planner"))
        suffixes = QStringList{"WORKTIME_SHOW", "WORKTIME_SET", "WORKTIME_APPROVE"} + breakRules + attached;
    else if (login == QLatin1String("viewer"))
        suffixes = show;
    else if (login == QLatin1String("hr"))
        suffixes = breakRules + attached;
    QStringList roles;
    for (const QString& suffix : qAsConst(suffixes))
        roles.append(QStringLiteral("RL_WTPLANNINGVIEW_") + suffix);
    return roles;
}

struct HostFixture
{
    NotConnectedServer server;
    PlannerWindow window;
    QPointer<WorkTimePlanningView> view;

    explicit HostFixture(const QString& login)
    {
        AuthData::setRoles(rolesOf(login));
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

private slots:
    void initTestCase() { OVIconTheme::install(); }

    void ribbonFollowsTheUsersRoles_data()
    {
        QTest::addColumn<QString>("login");
        QTest::addColumn<QList<bool>>("enabled");
        QTest::addColumn<QString>("page");
        QTest::addRow("planner") << "planner" << QList<bool>{true, true, true} << "pageWorktime";
        QTest::addRow("viewer") << "viewer" << QList<bool>{true, true, true} << "pageWorktime";
        QTest::addRow("hr: break rules and attached workers") << "hr" << QList<bool>{false, true, true} << "pageDinner";
    }

    void ribbonFollowsTheUsersRoles()
    {
        QFETCH(QString, login);
        QFETCH(QList<bool>, enabled);
        QFETCH(QString, page);
        HostFixture host(login);
        QTabBar* ribbon = host.window.ribbon();
        QCOMPARE(ribbon->count(), 3);
        QCOMPARE(ribbon->tabText(0), QStringLiteral("Рабочие графики"));
        QCOMPARE(ribbon->tabText(1), QStringLiteral("Время обеда"));
        QCOMPARE(ribbon->tabText(2), QStringLiteral("Внутренние командировки"));
        for (int i = 0; i < 3; ++i)
            QCOMPARE(ribbon->isTabEnabled(i), enabled.at(i));
        QCOMPARE(host.currentPage(), page);
    }

    void ribbonSwitchesPages()
    {
        HostFixture host(QStringLiteral("planner"));
        host.window.ribbon()->setCurrentIndex(2);
        QCOMPARE(host.currentPage(), QStringLiteral("pageAttached"));
        host.window.ribbon()->setCurrentIndex(1);
        QCOMPARE(host.currentPage(), QStringLiteral("pageDinner"));
    }

    void userWithoutRightsSeesAMessage()
    {
        AuthData::setRoles({});
        NotConnectedServer server;
        PlannerWindow window;
        auto* view = new WorkTimePlanningView(&window);
        view->init(&server, QStringLiteral("wtplanningview"));
        view->insertedToInterface();
        window.setPlugin(view, view);
        window.show();
        QVERIFY(!view->isVisible());
        QCOMPARE(window.ribbon()->count(), 0);
        bool messageShown = false;
        const QList<QLabel*> labels = window.findChildren<QLabel*>();
        for (const QLabel* label : labels)
            messageShown |= label->isVisible() && label->text().contains(QStringLiteral("нет прав"));
        QVERIFY(messageShown);
    }

    void informationFadesCriticalStays()
    {
        HostFixture host(QStringLiteral("planner"));
        host.view->showPopupInformationMessage(QStringLiteral("Сохранено"), 50);
        host.view->showPopupCriticalMessage(QStringLiteral("Ошибка сохранения"), 50);
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

    void popupsDoNotBlock()
    {
        HostFixture host(QStringLiteral("planner"));
        host.view->showPopupCriticalMessage(QStringLiteral("Ошибка"), 0);
        // Reaching this line at all means no modal loop ran; the window stays usable.
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(host.window.isEnabled());
    }
};

OV_TEST_WIDGETS_MAIN(tst_PlannerWindow)
#include "tst_plannerwindow.moc"
