#include "authdata.h"
#include "fatalwarnings.h"
#include "grid/planninggridfixture.h"
#include "hiddenpanel.h"
#include "ovicontheme.h"
#include "ovserverinterface.h"
#include "ovstackedtoolbars.h"
#include "rolecontainer.h"
#include "searchwidget.h"
#include "settings.h"
#include "worktimedayeditdialog.h"
#include "worktimeplanningview.h"
#include "worktimestatisticwidget.h"

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSortFilterProxyModel>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using wtplanningview::RoleContainer;
using G = PlanningGridFixture;

namespace {

const QStringList allRoles = {"RL_WTPLANNINGVIEW_WORKTIME_SHOW",    "RL_WTPLANNINGVIEW_WORKTIME_SET",
                              "RL_WTPLANNINGVIEW_WORKTIME_APPROVE", "RL_WTPLANNINGVIEW_BREAKRULE_SHOW",
                              "RL_WTPLANNINGVIEW_ATTACHED_SHOW"};

// Answers nothing; the view only needs somewhere to register its handlers.
class SilentServer : public OVServerInterface
{
protected:
    void transmit(const Command&) override {}
};

// The planning window after the host inserted it; load() puts the shop's July grid of PlanningGridFixture
// into the window's own model.
struct ViewFixture
{
    SilentServer server;
    PlanningGridFixture shop;
    std::unique_ptr<WorkTimePlanningView> view;
    WorkTimePlanningModel* model = nullptr;
    WorkTimeTableView* grid = nullptr;

    explicit ViewFixture(const QStringList& roles = allRoles)
    {
        AuthData::setRoles(roles);
        view = std::make_unique<WorkTimePlanningView>();
        view->init(&server, QStringLiteral("wtplanningview"));
        view->insertedToInterface();
        model = child<WorkTimePlanningModel>("worktimeModel");
        grid = child<WorkTimeTableView>("worktimeView");
    }

    template<typename T>
    T* child(const char* name) const
    {
        return view->findChild<T*>(QLatin1String(name));
    }

    void load()
    {
        model->refreshModel(G::july(1), G::july(31),
                            {G::employee(shop.ivanov, QStringLiteral("Иванов")),
                             G::employee(shop.petrov, QStringLiteral("Петров"), G::july(5)),
                             G::employee(shop.sidorov, QStringLiteral("Сидоров")),
                             G::employee(shop.pavlov, QStringLiteral("Павлов"))},
                            {shop.gostev}, {shop.shop});
        WorkTimePlanningModel::ScheduleHistoryHash histories;
        for (orvanta::TYPE_ID uid : {shop.ivanov, shop.petrov, shop.sidorov, shop.gostev})
            histories.insert(uid, G::follows(uid, shop.week));
        histories.insert(shop.pavlov, G::follows(shop.pavlov, shop.personal));
        model->setScheduleHistory(histories);
    }

    QModelIndex cell(orvanta::TYPE_ID uid, int day) const
    {
        const QModelIndex name = grid->model()->match(grid->model()->index(0, WorkTimePlanningModel::NameColumn),
                                                      WorkTimePlanningModel::UidRole, uid, 1, Qt::MatchExactly)
                                     .value(0);
        return day == 0 ? name : name.sibling(name.row(), model->dateToColumn(G::july(day)));
    }

    QString label(const char* name) const { return child<QLabel>(name)->text(); }

    bool enabled(const char* action) const { return child<QAction>(action)->isEnabled(); }

    void recalculateTotals()
    {
        QSignalSpy updated(view.get(), &WorkTimePlanningView::workTimeTotalsUpdated);
        QMetaObject::invokeMethod(view.get(), "updateWorkTimeTotalsLazy");
        QCOMPARE(updated.size(), 0);
        QVERIFY(updated.wait(2000));
    }
};

} // namespace

class tst_WorkTimePlanningView : public QObject
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

    void cleanup()
    {
        AuthData::clear();
        WorkTimePlanningView::setAddressSource(nullptr);
    }

    // Each right is granted by its own role alone, spelled exactly; the screen shows when some page may be seen.
    void eachCheckGrantsOnlyItsOwnRole_data()
    {
        QTest::addColumn<QString>("role");
        QTest::addColumn<QString>("granted"); // the checks below, then canShow
        const char* roles[] = {"WORKTIME_SHOW",   "WORKTIME_SET",     "WORKTIME_APPROVE", "BREAKRULE_SHOW",
                               "BREAKRULE_CREATE", "BREAKRULE_UPDATE", "BREAKRULE_DELETE", "ATTACHED_SHOW",
                               "ATTACHED_CREATE",  "ATTACHED_UPDATE",  "ATTACHED_DELETE"};
        for (int check = 0; check < 11; ++check) {
            const QString role = QLatin1String("RL_WTPLANNINGVIEW_") + QLatin1String(roles[check]);
            QTest::addRow("%s", qPrintable(role))
                << role << QString(11, '0').replace(check, 1, '1') + (role.endsWith("_SHOW") ? '1' : '0');
        }
        QTest::addRow("lower-case role") << "rl_wtplanningview_worktime_show" << "000000000000";
        QTest::addRow("role with a trailing blank") << "RL_WTPLANNINGVIEW_WORKTIME_SHOW " << "000000000000";
    }

    void eachCheckGrantsOnlyItsOwnRole()
    {
        QFETCH(QString, role);
        QFETCH(QString, granted);
        using R = RoleContainer;
        const auto checks = [] {
            QString result;
            for (bool check : {R::canShowWorkTime(), R::canEditWorkTime(), R::canApproveWorkTime(),
                               R::canShowBreakRule(), R::canAddBreakRule(), R::canEditBreakRule(),
                               R::canDeleteBreakRule(), R::canShowAttachWorker(), R::canAddAttachWorker(),
                               R::canEditAttachWorker(), R::canDeleteAttachWorker(), R::canShow()})
                result += check ? '1' : '0';
            return result;
        };
        QCOMPARE(checks(), QStringLiteral("000000000000"));
        // Roles are read on every check, never kept from an earlier one.
        AuthData::setRoles({role});
        QCOMPARE(checks(), granted);
    }

    void initBuildsClientIdAndRegistersHandlers()
    {
        // The host part is the first address that is not a loopback one.
        WorkTimePlanningView::setAddressSource([] {
            return QList<QHostAddress>{QHostAddress(QHostAddress::LocalHost), QHostAddress(QHostAddress::LocalHostIPv6),
                                       QHostAddress(QStringLiteral("192.168.10.7"))};
        });
        Settings::setValue(QStringLiteral("wtplanning/id"), QStringLiteral("7"));
        SilentServer server;
        WorkTimePlanningView view;
        const qint64 before = QDateTime::currentSecsSinceEpoch();
        const QList<CommandType> commands = view.init(&server, QStringLiteral("wtplanningview"));
        Settings::instance()->remove(QStringLiteral("wtplanning/id"));

        const QStringList parts = view.clientIdentifier().split(QLatin1Char(' '));
        QCOMPARE(parts.mid(0, 3), (QStringList{"wtplanningview", "7", "192.168.10.7"}));
        QVERIFY(parts.value(3).toLongLong() >= before);
        QStringList registered;
        for (const CommandType& command : commands)
            registered.append(QString::number(command.kind) + ' ' + command.name);
        QCOMPARE(registered, (QStringList{"1 report_async_result:" + view.clientIdentifier(),
                                          "1 datamanager.async_result:" + view.clientIdentifier()}));
        QVERIFY2(QRegularExpression(QStringLiteral("^0\\.\\d+$")).match(view.pluginBuild()).hasMatch(),
                 qPrintable(view.pluginBuild()));
    }

    // A ribbon tab brings its page and tool bar; the trips page alone shows the name filter, which filters it.
    void ribbonTabShowsPageAndNameFilter()
    {
        ViewFixture fixture;
        QStandardItemModel trips;
        for (const char* name : {"Иванов", "Петров", "Сидоров"})
            trips.appendRow(new QStandardItem(QString::fromUtf8(name)));
        QSortFilterProxyModel proxy;
        proxy.setSourceModel(&trips);
        fixture.child<QTableView>("attachedView")->setModel(&proxy);
        fixture.view->show();
        auto* search = fixture.child<SearchWidget>("nameSearchWidget");
        QString shown;
        for (int tab : {0, 1, 2}) {
            fixture.view->onTabActivated(tab);
            shown += fixture.child<QStackedWidget>("stackedWidget")->currentWidget()->objectName()
                + QString::number(fixture.child<OVStackedToolBars>("toolBars")->currentIndex())
                + (search->isVisible() ? "+filter " : " ");
        }
        QCOMPARE(shown, QStringLiteral("pageWorktime0 pageDinner1 pageAttached2+filter "));
        search->setText(QStringLiteral("Петр"));
        emit search->startSearch(search->text());
        QCOMPARE(proxy.rowCount(), 1);
        fixture.child<QTableView>("attachedView")->setModel(nullptr);
    }

    // Actions and the confirmation warning follow the grid's state and the planner's rights.
    void workTimeEnablesFollowTheGrid_data()
    {
        QTest::addColumn<QStringList>("roles");
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("enabled"); // save, cancel, confirm, print, preview, export, clear, then the warning
        QStringList noApprove = allRoles;
        noApprove.removeAll(QStringLiteral("RL_WTPLANNINGVIEW_WORKTIME_APPROVE"));
        QTest::addRow("loaded, not confirmed") << allRoles << "loaded" << "00111111";
        QTest::addRow("unsaved changes") << allRoles << "changed" << "11000011";
        QTest::addRow("already confirmed") << allRoles << "confirmed" << "00011110";
        QTest::addRow("no right to approve") << noApprove << "loaded" << "00011111";
        QTest::addRow("cleared") << allRoles << "cleared" << "00000000";
    }

    void workTimeEnablesFollowTheGrid()
    {
        QFETCH(QStringList, roles);
        QFETCH(QString, state);
        QFETCH(QString, enabled);
        ViewFixture fixture(roles);
        fixture.load();
        if (state == QLatin1String("changed")) {
            fixture.model->setShiftForDate(fixture.shop.ivanov, G::july(2), fixture.shop.morning);
        } else if (state == QLatin1String("confirmed")) {
            QList<orvanta::WORKER_SYNC_TIME> syncTimes;
            for (orvanta::TYPE_ID uid : fixture.model->objList()) {
                orvanta::WORKER_SYNC_TIME sync;
                sync.worker = uid;
                sync.saveTime = QDateTime(G::july(1), QTime(9, 0));
                syncTimes.append(sync);
            }
            fixture.model->setEmployeeSyncTime(syncTimes);
        } else if (state == QLatin1String("cleared")) {
            fixture.model->clear();
            QMetaObject::invokeMethod(fixture.view.get(), "updateWorkTimeEnables");
        }
        fixture.recalculateTotals();
        QString actual;
        for (const char* action : {"actionSave", "actionCancel", "actionConfirm", "actionPrint", "actionPreview",
                                   "actionExport", "actionClear"})
            actual += fixture.enabled(action) ? '1' : '0';
        actual += fixture.child<WorkTimeStatisticWidget>("statisticWidget")->isConfirmMessageVisible() ? '1' : '0';
        QCOMPARE(actual, enabled);
    }

    // The model's sums reach the labels in whole hours, and a burst of edits is counted once, after the delay.
    void totalsFollowTheModel()
    {
        ViewFixture fixture;
        fixture.load();
        orvanta::HOURS_BUDGET budget;
        budget.date = G::july(1);
        budget.value = 2 * 3600 - 1;
        fixture.model->setHoursBudget({budget});
        orvanta::SALES_PLAN plan;
        plan.date = G::july(2);
        plan.value = 10000000;
        fixture.model->setSalesPlan({plan});
        fixture.recalculateTotals();
        const auto totals = [&fixture] {
            return QStringList{fixture.label("hoursBudgetLabel"), fixture.label("factLabel"),
                               fixture.label("salesPlanLabel"), fixture.label("attachedLabel")};
        };
        const qint64 fact = fixture.model->totalTime() / 3600;
        const qint64 reason = (fixture.model->totalReasonWorkTime() + fixture.model->totalDetachedTime()) / 3600;
        const QString attached = QString::number(fixture.model->totalAttachedTime() / 3600);
        QVERIFY(fact > 0 && attached != QLatin1String("0"));
        QCOMPARE(totals(), (QStringList{"1", QString::number(fact + reason), "10000000", attached}));

        QSignalSpy updated(fixture.view.get(), &WorkTimePlanningView::workTimeTotalsUpdated);
        // Weekend days of the five-day week become six-hour morning shifts; the burst outlasts the delay.
        for (int day : {6, 7, 13, 14}) {
            fixture.model->setShiftForDate(fixture.shop.ivanov, G::july(day), fixture.shop.morning);
            QTest::qWait(200);
        }
        QCOMPARE(updated.size(), 0);
        QVERIFY(updated.wait(1000));
        QCOMPARE(totals(), (QStringList{"1", QString::number(fact + reason + 24), "10000000", attached}));
        QTest::qWait(600);
        QCOMPARE(updated.size(), 1);
    }

    // The shown window, step by step: the hint over the empty grid, the filter panel folding away, keys going to
    // the grid while F5 still reaches the filter, the loaded grid sorted by name, a double click editing a day.
    void shownWindow()
    {
        ViewFixture fixture;
        auto* filter = fixture.child<QAction>("actionFilter");
        // Only the shortcut is under test, not the dialog behind it.
        QObject::disconnect(filter, &QAction::triggered, fixture.view.get(), nullptr);
        QSignalSpy triggered(filter, &QAction::triggered);
        fixture.view->resize(1400, 800);
        fixture.view->show();
        QVERIFY(QTest::qWaitForWindowActive(fixture.view.get()));
        auto* hint = fixture.grid->findChild<QLabel*>(QStringLiteral("emptyHint"));
        QCOMPARE(hint->text(), QStringLiteral("Выберите период и подразделения: нажмите F5 или «Фильтр»"));
        QVERIFY(hint->isVisible());
        QCOMPARE(hint->geometry(), fixture.grid->viewport()->geometry());
        // Above the frozen columns, which would otherwise hide its left part.
        const QObjectList layers = fixture.grid->children();
        QVERIFY(layers.indexOf(hint) > layers.indexOf(fixture.grid->frozenTableView()));

        auto* container = fixture.child<QWidget>("worktimeFilterPanel");
        QVERIFY(container->width() >= 400);
        fixture.child<HiddenPanel>("staticticPanel")->setCollapsed(true);
        QTRY_VERIFY(container->width() < 100);
        fixture.child<HiddenPanel>("staticticPanel")->setCollapsed(false);
        QTRY_VERIFY(container->width() >= 400);

        QTRY_VERIFY(fixture.grid->hasFocus());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F5);
        QCOMPARE(triggered.size(), 1);

        fixture.load();
        QVERIFY(!hint->isVisible());
        QVERIFY(qobject_cast<WorkTimeItemDelegate*>(fixture.grid->frozenTableView()->itemDelegate()));
        QStringList names;
        for (int row = 0; row < fixture.grid->model()->rowCount(); ++row)
            names.append(fixture.grid->model()->index(row, WorkTimePlanningModel::NameColumn).data().toString());
        QCOMPARE(names, (QStringList{"Гостев", "Иванов", "Павлов", "Петров", "Сидоров"}));

        const QPoint centre = fixture.grid->visualRect(fixture.cell(fixture.shop.ivanov, 3)).center();
        QTest::mouseClick(fixture.grid->viewport(), Qt::LeftButton, {}, centre);
        QTest::mouseDClick(fixture.grid->viewport(), Qt::LeftButton, {}, centre);
        auto* dialog = fixture.view->findChild<WorkTimeDayEditDialog*>();
        QVERIFY(dialog);
        QAction morning;
        morning.setData(fixture.shop.morning);
        dialog->shiftActionTriggered(&morning);
        QTest::mouseClick(dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok), Qt::LeftButton);
        const QModelIndex edited = fixture.cell(fixture.shop.ivanov, 3);
        QCOMPARE(edited.data(WorkTimePlanningModel::DayFinishRole).toInt(), G::seconds(14));
        QVERIFY(fixture.enabled("actionSave"));

        fixture.model->clear();
        QVERIFY(hint->isVisible());
        fixture.view->resize(1000, 600);
        QTRY_COMPARE(hint->geometry(), fixture.grid->viewport()->geometry());
    }

    void dayDialogOpensForTheCurrentCell_data()
    {
        QTest::addColumn<QStringList>("roles");
        QTest::addColumn<QString>("who");
        QTest::addColumn<int>("day");
        QTest::addColumn<bool>("readOnly");
        QTest::addRow("editable day") << allRoles << "ivanov" << 3 << false;
        QTest::addRow("no edit right") << QStringList{"RL_WTPLANNINGVIEW_WORKTIME_SHOW"} << "ivanov" << 3 << true;
        QTest::addRow("before employment") << allRoles << "petrov" << 2 << true;
        QTest::addRow("name column") << allRoles << "ivanov" << 0 << false;
    }

    void dayDialogOpensForTheCurrentCell()
    {
        QFETCH(QStringList, roles);
        QFETCH(QString, who);
        QFETCH(int, day);
        QFETCH(bool, readOnly);
        ViewFixture fixture(roles);
        fixture.load();
        fixture.grid->setCurrentIndex(fixture.cell(fixture.shop.byName(who), day));
        emit fixture.grid->showDayEditDialog();
        auto* dialog = fixture.view->findChild<WorkTimeDayEditDialog*>();
        QCOMPARE(dialog != nullptr, day != 0);
        if (!dialog)
            return;
        QCOMPARE(dialog->isReadOnly(), readOnly);
        QVERIFY(dialog->isModal());
        QCOMPARE(dialog->windowTitle(), QLocale().toString(G::july(day), QLocale::ShortFormat) + " - "
                                            + fixture.cell(fixture.shop.byName(who), 0).data().toString());
        QPointer<WorkTimeDayEditDialog> guard(dialog);
        dialog->reject();
        QTRY_VERIFY(guard.isNull());
    }
};

OV_TEST_WIDGETS_MAIN(tst_WorkTimePlanningView)
#include "tst_worktimeplanningview.moc"
