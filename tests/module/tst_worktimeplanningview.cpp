#include "authdata.h"
#include "clientidentity.h"
#include "fatalwarnings.h"
#include "ovicontheme.h"
#include "ovserverinterface.h"
#include "hiddenpanel.h"
#include "employeeinfo.h"
#include "organisationbuilder.h"
#include "worktimeplanningmodel.h"
#include "ovactionstoolbar.h"
#include "ovstackedtoolbars.h"
#include "searchwidget.h"
#include "settings.h"
#include "worktimeplanningview.h"

#include <QAction>
#include <QApplication>
#include <QHostInfo>
#include <QSettings>
#include <QSignalSpy>
#include <QSortFilterProxyModel>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
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
public:
    QList<Command> transmitted;
    void push(const Command& command) { deliverPushed(command); }

protected:
    void transmit(const Command& command) override { transmitted.append(command); }
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
        EmployeeInfo info;
        info.uid = employee;
        info.name = QStringLiteral("Иванов");
        model->refreshModel(QDate(2024, 7, 1), QDate(2024, 7, 7), {info}, {}, {});
        orvanta::WORKER_SCHEDULE_HISTORY_V2 history;
        history.uid = employee;
        orvanta::_WORKER_SCHEDULE_HISTORY_RECORD_V2 record;
        record.schedule = orvanta::TYPE_ID(daily);
        history.records.append(record);
        model->setScheduleHistory({{employee, history}});
    }
};

QStringList actionTexts(const QToolBar* toolBar)
{
    QStringList texts;
    const QList<QAction*> actions = toolBar->actions();
    for (const QAction* action : actions)
        texts.append(action->isSeparator() ? QStringLiteral("|") : action->objectName());
    return texts;
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
        QTest::addColumn<bool>("canShow");
        QTest::addRow("all rights") << allRoles << QList<bool>{false, false, false} << true;
        QTest::addRow("no roles") << QStringList() << QList<bool>{true, true, true} << false;
        QTest::addRow("break rules only")
            << QStringList{"RL_WTPLANNINGVIEW_BREAKRULE_SHOW"} << QList<bool>{true, false, true} << true;
        QTest::addRow("attached only")
            << QStringList{"RL_WTPLANNINGVIEW_ATTACHED_SHOW"} << QList<bool>{true, true, false} << true;
    }

    void tabListFollowsRoles()
    {
        QFETCH(QStringList, roles);
        QFETCH(QList<bool>, disabled);
        QFETCH(bool, canShow);
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
        QCOMPARE(view.canShow(), canShow);
    }

    void hostPart_data()
    {
        QTest::addColumn<QStringList>("addresses");
        QTest::addColumn<QString>("expected");
        QTest::addRow("no addresses") << QStringList{} << "host-name";
        QTest::addRow("loopbacks only") << QStringList{"127.0.0.1", "::1"} << "host-name";
        QTest::addRow("address after loopbacks") << QStringList{"127.0.0.1", "::1", "192.168.10.7"} << "192.168.10.7";
        QTest::addRow("address first") << QStringList{"192.168.10.7", "127.0.0.1"} << "192.168.10.7";
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

    void metacastAnswers()
    {
        WorkTimePlanningView view;
        QCOMPARE(view.qt_metacast("WorkTimePlanningView"), static_cast<void*>(&view));
        void* pluginInterface = static_cast<OVPluginInterface*>(&view);
        QCOMPARE(view.qt_metacast("OVPluginInterface"), pluginInterface);
        QCOMPARE(view.qt_metacast("orvanta.ovservice.OVPluginInterface/1.0"), pluginInterface);
        QCOMPARE(view.qt_metacast("PluginWidget"), static_cast<void*>(static_cast<PluginWidget*>(&view)));
        QCOMPARE(view.qt_metacast("SomethingElse"), nullptr);
    }

    void buildStampIsVersionDotNumber()
    {
        WorkTimePlanningView view;
        QVERIFY2(QRegularExpression(QStringLiteral("^0\\.\\d+$")).match(view.pluginBuild()).hasMatch(),
                 qPrintable(view.pluginBuild()));
    }

    void toolBarsPerPage()
    {
        ViewFixture fixture(allRoles);
        auto* toolBars = fixture.child<OVStackedToolBars>("toolBars");
        QVERIFY(toolBars);
        QCOMPARE(toolBars->count(), 3);
        QCOMPARE(actionTexts(toolBars->toolBar(0)),
                 (QStringList{"actionFilter", "|", "actionSave", "actionCancel", "actionConfirm", "|",
                              "actionPrint", "actionPreview", "actionExport"}));
        QCOMPARE(actionTexts(toolBars->toolBar(1)),
                 (QStringList{"actionFilter", "|", "actionAddBreakRule", "actionEditBreakRule",
                              "actionDelBreakRule"}));
        QCOMPARE(actionTexts(toolBars->toolBar(2)),
                 (QStringList{"actionFilter", "|", "actionAddAttached", "actionEditAttached", "actionDelAttached"}));
    }

    void actionsHaveTextsIconsAndStartStates_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("toolTip");
        QTest::addColumn<bool>("enabled");
        QTest::addRow("save") << "actionSave" << "Сохранить" << "Сохранить" << false;
        QTest::addRow("cancel") << "actionCancel" << "Отменить" << "Отменить" << false;
        QTest::addRow("confirm") << "actionConfirm" << "Утвердить" << "Утвердить" << false;
        QTest::addRow("clear") << "actionClear" << "Очистить" << "Очистить" << false;
        QTest::addRow("print") << "actionPrint" << "Печать" << "Печать" << false;
        QTest::addRow("preview") << "actionPreview" << "Просмотр" << "Просмотр" << false;
        QTest::addRow("export") << "actionExport" << "Экспорт" << "Экспорт" << false;
        QTest::addRow("add rule") << "actionAddBreakRule" << "Добавить" << "Добавить правило обеда" << true;
        QTest::addRow("edit rule") << "actionEditBreakRule" << "Редактировать правило обеда" << "Редактировать"
                                   << true;
        QTest::addRow("delete rule") << "actionDelBreakRule" << "Удалить" << "Удалить" << true;
        QTest::addRow("add trip") << "actionAddAttached" << "Добавить" << "Добавить внутреннюю командировку"
                                  << true;
        QTest::addRow("edit trip") << "actionEditAttached" << "Редактировать" << "Редактировать" << true;
        QTest::addRow("delete trip") << "actionDelAttached" << "Удалить" << "Удалить" << true;
        QTest::addRow("filter") << "actionFilter" << "Фильтр" << "Фильтр" << true;
    }

    void actionsHaveTextsIconsAndStartStates()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(QString, toolTip);
        QFETCH(bool, enabled);
        ViewFixture fixture(allRoles);
        auto* action = fixture.view->findChild<QAction*>(name);
        QVERIFY(action);
        QCOMPARE(action->text(), text);
        QCOMPARE(action->toolTip(), toolTip);
        QVERIFY(!action->icon().isNull());
        QCOMPARE(action->isEnabled(), enabled);
        QCOMPARE(action->shortcut(), name == QLatin1String("actionFilter") ? QKeySequence(Qt::Key_F5) : QKeySequence());
    }

    void ribbonTabShowsPageAndNameFilter_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("page");
        QTest::addColumn<bool>("nameFilterVisible");
        QTest::addRow("work time") << 0 << "pageWorktime" << false;
        QTest::addRow("break rules") << 1 << "pageDinner" << false;
        QTest::addRow("business trips") << 2 << "pageAttached" << true;
    }

    void ribbonTabShowsPageAndNameFilter()
    {
        QFETCH(int, tab);
        QFETCH(QString, page);
        QFETCH(bool, nameFilterVisible);
        ViewFixture fixture(allRoles);
        fixture.view->show();
        fixture.view->onTabActivated(tab);
        QCOMPARE(fixture.child<QStackedWidget>("stackedWidget")->currentWidget()->objectName(), page);
        QCOMPARE(fixture.child<OVStackedToolBars>("toolBars")->currentIndex(), tab);
        QCOMPARE(fixture.child<SearchWidget>("nameSearchWidget")->isVisible(), nameFilterVisible);
        QCOMPARE(fixture.view->tabList().at(tab).current, true);
    }

    void nameFilterAppliesOnlyOnTripsPage_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<int>("visibleRows");
        QTest::addRow("work time page ignores it") << 0 << 3;
        QTest::addRow("break rule page ignores it") << 1 << 3;
        QTest::addRow("trips page filters") << 2 << 1;
    }

    void nameFilterAppliesOnlyOnTripsPage()
    {
        QFETCH(int, tab);
        QFETCH(int, visibleRows);
        ViewFixture fixture(allRoles);
        QStandardItemModel trips;
        for (const char* name : {"Иванов", "Петров", "Сидоров"})
            trips.appendRow(new QStandardItem(QString::fromUtf8(name)));
        QSortFilterProxyModel proxy;
        proxy.setSourceModel(&trips);
        fixture.child<QTableView>("attachedView")->setModel(&proxy);

        fixture.view->onTabActivated(tab);
        auto* search = fixture.child<SearchWidget>("nameSearchWidget");
        search->setText(QStringLiteral("Петр"));
        emit search->startSearch(search->text());
        QCOMPARE(proxy.rowCount(), visibleRows);
        fixture.child<QTableView>("attachedView")->setModel(nullptr);
    }

    void burstOfEditsRecalculatesOnce()
    {
        ViewFixture fixture(allRoles);
        auto* totalsTimer = fixture.child<QTimer>("totalsTimer");
        QVERIFY(totalsTimer);
        QSignalSpy fired(totalsTimer, &QTimer::timeout);
        for (int edit = 0; edit < 5; ++edit) {
            QMetaObject::invokeMethod(fixture.view.get(), "updateWorkTimeTotalsLazy");
            QTest::qWait(50);
        }
        QCOMPARE(fired.size(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(fired.size(), 1, 2000);
        QTest::qWait(600);
        QCOMPARE(fired.size(), 1);
    }

    void workTimeEnablesFollowTheGrid_data()
    {
        QTest::addColumn<QStringList>("roles");
        QTest::addColumn<QString>("state");
        QTest::addColumn<bool>("save");
        QTest::addColumn<bool>("confirm");
        QTest::addColumn<bool>("report");
        QTest::addColumn<bool>("clear");
        QStringList noApprove = allRoles;
        noApprove.removeAll(QStringLiteral("RL_WTPLANNINGVIEW_WORKTIME_APPROVE"));
        QTest::addRow("loaded, not confirmed") << allRoles << "loaded" << false << true << true << true;
        QTest::addRow("unsaved changes") << allRoles << "changed" << true << false << false << true;
        QTest::addRow("already confirmed") << allRoles << "confirmed" << false << false << true << true;
        QTest::addRow("no right to approve") << noApprove << "loaded" << false << false << true << true;
        QTest::addRow("cleared") << allRoles << "cleared" << false << false << false << false;
    }

    void workTimeEnablesFollowTheGrid()
    {
        QFETCH(QStringList, roles);
        QFETCH(QString, state);
        QFETCH(bool, save);
        QFETCH(bool, confirm);
        QFETCH(bool, report);
        QFETCH(bool, clear);
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
        QCOMPARE(enabled("actionClear"), clear);
    }

    void burstOfGridEditsUpdatesTotalsOnce()
    {
        ViewFixture fixture(allRoles);
        LoadedGrid grid(fixture);
        QSignalSpy totals(fixture.view.get(), &WorkTimePlanningView::workTimeTotalsUpdated);
        for (int day = 1; day <= 5; ++day) {
            grid.model->setShiftForDate(grid.employee, QDate(2024, 7, day), grid.shift);
            QTest::qWait(50);
        }
        QCOMPARE(totals.size(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(totals.size(), 1, 2000);
        QTest::qWait(600);
        QCOMPARE(totals.size(), 1);
    }

    void gridShowsTheModelThroughTheProxy()
    {
        ViewFixture fixture(allRoles);
        LoadedGrid grid(fixture);
        auto* proxy = qobject_cast<QSortFilterProxyModel*>(fixture.child<QTableView>("worktimeView")->model());
        QVERIFY(proxy);
        QCOMPARE(proxy->sourceModel(), grid.model);
        QCOMPARE(proxy->rowCount(), 1);
        QCOMPARE(proxy->columnCount(), 12);
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

    void searchWidgetsOfPagesStartHidden()
    {
        ViewFixture fixture(allRoles);
        fixture.view->show();
        for (const char* name : {"worktimeSearchWidget", "breakRuleSearchWidget", "attachedSearchWidget"})
            QVERIFY2(!fixture.child<SearchWidget>(name)->isVisible(), name);
    }
};

OV_TEST_WIDGETS_MAIN(tst_WorkTimePlanningView)
#include "tst_worktimeplanningview.moc"
