#include "authdata.h"
#include "clientidentity.h"
#include "fatalwarnings.h"
#include "ovicontheme.h"
#include "ovserverinterface.h"
#include "hiddenpanel.h"
#include "grid/planninggridfixture.h"
#include "ovactionstoolbar.h"
#include "ovstackedtoolbars.h"
#include "searchwidget.h"
#include "settings.h"
#include "worktimeplanningview.h"

#include <QAction>
#include <QHostInfo>
#include <QSettings>
#include <QSignalSpy>
#include <QSortFilterProxyModel>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

#include <memory>

namespace {

const QStringList allRoles = {
    "RL_WTPLANNINGVIEW_WORKTIME_SHOW",   "RL_WTPLANNINGVIEW_WORKTIME_SET",    "RL_WTPLANNINGVIEW_WORKTIME_APPROVE",
    "RL_WTPLANNINGVIEW_BREAKRULE_SHOW",  "RL_WTPLANNINGVIEW_BREAKRULE_CREATE", "RL_WTPLANNINGVIEW_BREAKRULE_UPDATE",
    "RL_WTPLANNINGVIEW_BREAKRULE_DELETE", "RL_WTPLANNINGVIEW_ATTACHED_SHOW",  "RL_WTPLANNINGVIEW_ATTACHED_CREATE",
    "RL_WTPLANNINGVIEW_ATTACHED_UPDATE", "RL_WTPLANNINGVIEW_ATTACHED_DELETE"};

// Answers nothing; the view only needs somewhere to register its handlers.
class SilentServer : public OVServerInterface
{
protected:
    void transmit(const Command&) override {}
};

struct ViewFixture
{
    SilentServer server;
    std::unique_ptr<WorkTimePlanningView> view;

    explicit ViewFixture(const QStringList& roles)
    {
        AuthData::setRoles(roles);
        view = std::make_unique<WorkTimePlanningView>();
        view->init(&server, QStringLiteral("wtplanningview"));
        view->insertedToInterface();
    }

    template<typename T>
    T* child(const char* name) const
    {
        return view->findChild<T*>(QLatin1String(name));
    }
};

// One employee on a daily 08:00-12:00 schedule over the first week of July 2024, loaded into the view's grid.
struct LoadedGrid
{
    ovtest::OrganisationBuilder org;
    orvanta::TYPE_ID employee = 0;
    orvanta::TYPE_ID shift = 0;
    WorkTimePlanningModel* model = nullptr;

    explicit LoadedGrid(const ViewFixture& fixture)
    {
        model = fixture.view->findChild<WorkTimePlanningModel*>(QStringLiteral("worktimeModel"));
        employee = org.employee(QStringLiteral("Иванов"), org.department(QStringLiteral("Магазин"), 0));
        shift = org.shift(QStringLiteral("Утро"), {{QTime(8, 0), QTime(14, 0)}});
        const int daily =
            org.cycleSchedule(QStringLiteral("Каждый день"), QDate(2024, 7, 1), {0}, {{{QTime(8, 0), QTime(12, 0)}}});
        model->refreshModel(QDate(2024, 7, 1), QDate(2024, 7, 7),
                            {PlanningGridFixture::employee(employee, QStringLiteral("Иванов"))}, {}, {});
        model->setScheduleHistory({{employee, PlanningGridFixture::follows(employee, daily)}});
    }
};

// A toolbar as "objectName text" entries, with " (tool tip)" where it differs, " off" when disabled, "|" between groups.
QStringList describe(const QToolBar* toolBar)
{
    QStringList entries;
    const QList<QAction*> actions = toolBar->actions();
    for (const QAction* action : actions) {
        QString entry = action->isSeparator() ? QStringLiteral("|") : action->objectName() + ' ' + action->text();
        if (action->toolTip() != action->text() && !action->isSeparator())
            entry += " (" + action->toolTip() + ')';
        if (!action->isEnabled())
            entry += " off";
        if (action->icon().isNull() && !action->isSeparator())
            entry += " without icon";
        entries.append(entry);
    }
    return entries;
}

} // namespace

class tst_WorkTimePlanningView : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir settingsDir;

private slots:
    void initTestCase()
    {
        OVIconTheme::install();
        QVERIFY(settingsDir.isValid());
        Settings::setFileName(settingsDir.filePath(QStringLiteral("settings.ini")));
    }

    void cleanup()
    {
        AuthData::clear();
        WorkTimePlanningView::setAddressSource(nullptr);
    }

    void tabListFollowsRoles_data()
    {
        QTest::addColumn<QStringList>("roles");
        QTest::addColumn<QList<bool>>("disabled");
        QTest::addRow("all rights") << allRoles << QList<bool>{false, false, false};
        QTest::addRow("no roles") << QStringList() << QList<bool>{true, true, true};
        QTest::addRow("break rules only")
            << QStringList{"RL_WTPLANNINGVIEW_BREAKRULE_SHOW"} << QList<bool>{true, false, true};
        QTest::addRow("attached only")
            << QStringList{"RL_WTPLANNINGVIEW_ATTACHED_SHOW"} << QList<bool>{true, true, false};
    }

    void tabListFollowsRoles()
    {
        QFETCH(QStringList, roles);
        QFETCH(QList<bool>, disabled);
        AuthData::setRoles(roles);
        SilentServer server;
        WorkTimePlanningView view;
        view.init(&server, QStringLiteral("wtplanningview"));
        QSignalSpy requests(&view, &PluginWidget::tabEnabledRequested);
        view.insertedToInterface();
        const QList<PLUGIN_TAB> tabs = view.tabList();
        QCOMPARE(tabs.size(), 3);
        const QStringList titles = {QStringLiteral("Рабочие графики"), QStringLiteral("Время обеда"),
                                    QStringLiteral("Внутренние командировки")};
        for (int i = 0; i < tabs.size(); ++i) {
            QCOMPARE(tabs.at(i).title, titles.at(i));
            QCOMPARE(tabs.at(i).index, i);
            QCOMPARE(tabs.at(i).disabled, disabled.at(i));
            QCOMPARE(tabs.at(i).current, i == 0);
            QVERIFY(!tabs.at(i).icon.isNull());
            QCOMPARE(requests.at(i), (QVariantList{i, !disabled.at(i)}));
        }
        QCOMPARE(view.canShow(), disabled.contains(false));
    }

    void hostPart_data()
    {
        QTest::addColumn<QStringList>("addresses");
        QTest::addColumn<QString>("expected");
        QTest::addRow("no addresses") << QStringList{} << "host-name";
        QTest::addRow("loopbacks only") << QStringList{"127.0.0.1", "::1"} << "host-name";
        QTest::addRow("address after loopbacks") << QStringList{"127.0.0.1", "::1", "192.168.10.7"} << "192.168.10.7";
        QTest::addRow("IPv6 address kept") << QStringList{"::1", "fe80::1"} << "fe80::1";
        QTest::addRow("second IPv4 loopback stays") << QStringList{"127.0.0.1", "127.0.0.1"} << "127.0.0.1";
    }

    void hostPart()
    {
        QFETCH(QStringList, addresses);
        QFETCH(QString, expected);
        QList<QHostAddress> hostAddresses;
        for (const QString& address : addresses)
            hostAddresses.append(QHostAddress(address));
        QCOMPARE(ClientIdentity::hostPart(hostAddresses, QStringLiteral("host-name")), expected);
    }

    void initBuildsClientIdAndRegistersHandlers()
    {
        WorkTimePlanningView::setAddressSource(
            [] { return QList<QHostAddress>{QHostAddress(QHostAddress::LocalHost)}; });
        Settings::setValue(QStringLiteral("wtplanning/id"), QStringLiteral("7"));
        SilentServer server;
        WorkTimePlanningView view;
        const qint64 before = QDateTime::currentSecsSinceEpoch();
        const QList<CommandType> commands = view.init(&server, QStringLiteral("wtplanningview"));
        Settings::instance()->remove(QStringLiteral("wtplanning/id"));

        const QStringList parts = view.clientIdentifier().split(QLatin1Char(' '));
        QCOMPARE(parts.size(), 4);
        QCOMPARE(parts.at(0), QStringLiteral("wtplanningview"));
        QCOMPARE(parts.at(1), QStringLiteral("7"));
        QCOMPARE(parts.at(2), QHostInfo::localHostName());
        QVERIFY(parts.at(3).toLongLong() >= before);

        QCOMPARE(commands.size(), 2);
        QCOMPARE(commands.at(0).name, QStringLiteral("report_async_result:") + view.clientIdentifier());
        QCOMPARE(commands.at(1).name, QStringLiteral("datamanager.async_result:") + view.clientIdentifier());
        QCOMPARE(commands.at(0).kind, 1);
        QCOMPARE(commands.at(1).kind, 1);
    }

    // What the host asks of a plugin before loading it.
    void pluginIdentity()
    {
        WorkTimePlanningView view;
        void* pluginInterface = static_cast<OVPluginInterface*>(&view);
        QCOMPARE(view.qt_metacast("OVPluginInterface"), pluginInterface);
        QCOMPARE(view.qt_metacast("orvanta.ovservice.OVPluginInterface/1.0"), pluginInterface);
        QCOMPARE(view.qt_metacast("SomethingElse"), nullptr);
        QVERIFY2(QRegularExpression(QStringLiteral("^0\\.\\d+$")).match(view.pluginBuild()).hasMatch(),
                 qPrintable(view.pluginBuild()));
    }

    void toolBarsPerPage()
    {
        ViewFixture fixture(allRoles);
        auto* toolBars = fixture.child<OVStackedToolBars>("toolBars");
        QVERIFY(toolBars);
        QCOMPARE(toolBars->count(), 3);
        const QString filter = QStringLiteral("actionFilter Фильтр");
        QCOMPARE(describe(toolBars->toolBar(0)),
                 (QStringList{filter, "|", "actionSave Сохранить off", "actionCancel Отменить off",
                              "actionConfirm Утвердить off", "|", "actionPrint Печать off", "actionPreview Просмотр off",
                              "actionExport Экспорт off"}));
        QCOMPARE(describe(toolBars->toolBar(1)),
                 (QStringList{filter, "|", "actionAddBreakRule Добавить (Добавить правило обеда)",
                              "actionEditBreakRule Редактировать правило обеда (Редактировать)",
                              "actionDelBreakRule Удалить"}));
        QCOMPARE(describe(toolBars->toolBar(2)),
                 (QStringList{filter, "|", "actionAddAttached Добавить (Добавить внутреннюю командировку)",
                              "actionEditAttached Редактировать", "actionDelAttached Удалить"}));
        auto* clear = fixture.child<QAction>("actionClear");
        QCOMPARE(clear->text() + clear->toolTip(), QStringLiteral("ОчиститьОчистить"));
        QVERIFY(!clear->isEnabled());
        QVERIFY(!clear->icon().isNull());
        QCOMPARE(fixture.child<QAction>("actionFilter")->shortcut(), QKeySequence(Qt::Key_F5));
        QCOMPARE(fixture.child<QAction>("actionSave")->shortcut(), QKeySequence());
    }

    // The trips page alone shows the name filter and applies it.
    void ribbonTabShowsPageAndNameFilter_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("page");
        QTest::addColumn<bool>("filtered");
        QTest::addRow("work time") << 0 << "pageWorktime" << false;
        QTest::addRow("break rules") << 1 << "pageDinner" << false;
        QTest::addRow("business trips") << 2 << "pageAttached" << true;
    }

    void ribbonTabShowsPageAndNameFilter()
    {
        QFETCH(int, tab);
        QFETCH(QString, page);
        QFETCH(bool, filtered);
        ViewFixture fixture(allRoles);
        QStandardItemModel trips;
        for (const char* name : {"Иванов", "Петров", "Сидоров"})
            trips.appendRow(new QStandardItem(QString::fromUtf8(name)));
        QSortFilterProxyModel proxy;
        proxy.setSourceModel(&trips);
        fixture.child<QTableView>("attachedView")->setModel(&proxy);
        fixture.view->show();
        fixture.view->onTabActivated(tab);
        QCOMPARE(fixture.child<QStackedWidget>("stackedWidget")->currentWidget()->objectName(), page);
        QCOMPARE(fixture.child<OVStackedToolBars>("toolBars")->currentIndex(), tab);
        QVERIFY(fixture.view->tabList().at(tab).current);
        for (const char* name : {"worktimeSearchWidget", "breakRuleSearchWidget", "attachedSearchWidget"})
            QVERIFY2(!fixture.child<SearchWidget>(name)->isVisible(), name);
        auto* search = fixture.child<SearchWidget>("nameSearchWidget");
        QCOMPARE(search->isVisible(), filtered);
        search->setText(QStringLiteral("Петр"));
        emit search->startSearch(search->text());
        QCOMPARE(proxy.rowCount(), filtered ? 1 : 3);
        fixture.child<QTableView>("attachedView")->setModel(nullptr);
    }

    void workTimeEnablesFollowTheGrid_data()
    {
        QTest::addColumn<QStringList>("roles");
        QTest::addColumn<QString>("state");
        QTest::addColumn<bool>("save");
        QTest::addColumn<bool>("confirm");
        QTest::addColumn<bool>("report");
        QStringList noApprove = allRoles;
        noApprove.removeAll(QStringLiteral("RL_WTPLANNINGVIEW_WORKTIME_APPROVE"));
        QTest::addRow("loaded, not confirmed") << allRoles << "loaded" << false << true << true;
        QTest::addRow("unsaved changes") << allRoles << "changed" << true << false << false;
        QTest::addRow("already confirmed") << allRoles << "confirmed" << false << false << true;
        QTest::addRow("no right to approve") << noApprove << "loaded" << false << false << true;
        QTest::addRow("cleared") << allRoles << "cleared" << false << false << false;
    }

    void workTimeEnablesFollowTheGrid()
    {
        QFETCH(QStringList, roles);
        QFETCH(QString, state);
        QFETCH(bool, save);
        QFETCH(bool, confirm);
        QFETCH(bool, report);
        ViewFixture fixture(roles);
        LoadedGrid grid(fixture);
        if (state == QLatin1String("changed")) {
            grid.model->setShiftForDate(grid.employee, QDate(2024, 7, 2), grid.shift);
        } else if (state == QLatin1String("confirmed")) {
            orvanta::WORKER_SYNC_TIME sync;
            sync.worker = grid.employee;
            sync.saveTime = QDateTime(QDate(2024, 7, 1), QTime(9, 0));
            grid.model->setEmployeeSyncTime({sync});
        } else if (state == QLatin1String("cleared")) {
            grid.model->clear();
            QMetaObject::invokeMethod(fixture.view.get(), "updateWorkTimeEnables");
        }
        const auto enabled = [&fixture](const char* name) {
            return fixture.view->findChild<QAction*>(QLatin1String(name))->isEnabled();
        };
        QCOMPARE(enabled("actionSave"), save);
        QCOMPARE(enabled("actionCancel"), save);
        QCOMPARE(enabled("actionConfirm"), confirm);
        QCOMPARE(enabled("actionPrint"), report);
        QCOMPARE(enabled("actionPreview"), report);
        QCOMPARE(enabled("actionExport"), report);
        QCOMPARE(enabled("actionClear"), state != QLatin1String("cleared"));
    }

    void collapsedPanelGivesItsSpaceBack()
    {
        ViewFixture fixture(allRoles);
        fixture.view->resize(1400, 800);
        fixture.view->show();
        auto* container = fixture.child<QWidget>("worktimeFilterPanel");
        QVERIFY(QTest::qWaitForWindowExposed(fixture.view.get()));
        QVERIFY(container->width() >= 400);
        fixture.child<HiddenPanel>("staticticPanel")->setCollapsed(true);
        QTRY_VERIFY(container->width() < 100);
        fixture.child<HiddenPanel>("staticticPanel")->setCollapsed(false);
        QTRY_VERIFY(container->width() >= 400);
    }
};

OV_TEST_WIDGETS_MAIN(tst_WorkTimePlanningView)
#include "tst_worktimeplanningview.moc"
