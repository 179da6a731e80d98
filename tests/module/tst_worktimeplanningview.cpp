#include "authdata.h"
#include "fatalwarnings.h"
#include "grid/planninggridfixture.h"
#include "ovicontheme.h"
#include "ovserverinterface.h"
#include "rolecontainer.h"
#include "scriptedserver.h"
#include "settings.h"
#include "workerhistorypanelwidget.h"
#include "worktimecompactmode.h"
#include "worktimedayeditdialog.h"
#include "worktimefilterdialog.h"
#include "worktimefiltersettings.h"
#include "worktimeperiodwidget.h"
#include "worktimeplanningview.h"
#include "worktimestatisticwidget.h"
#include "worktimetaskrunner.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using wtplanningview::RoleContainer;
using G = PlanningGridFixture;

namespace {

const QStringList allRoles = {"RL_WTPLANNINGVIEW_WORKTIME_SHOW",    "RL_WTPLANNINGVIEW_WORKTIME_SET",
                              "RL_WTPLANNINGVIEW_WORKTIME_APPROVE", "RL_WTPLANNINGVIEW_BREAKRULE_SHOW",
                              "RL_WTPLANNINGVIEW_ATTACHED_SHOW"};

// The planning window after the host inserted it; load() puts the shop's July grid of PlanningGridFixture
// into the window's own model.
struct ViewFixture
{
    ScriptedServer server;
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

    void load() { shop.load(*model); }

    QModelIndex cell(orvanta::TYPE_ID uid, int day) const
    {
        const QModelIndex name = grid->model()->match(grid->model()->index(0, WorkTimePlanningModel::NameColumn),
                                                      WorkTimePlanningModel::UidRole, uid, 1, Qt::MatchExactly)
                                     .value(0);
        return day == 0 ? name : name.sibling(name.row(), model->dateToColumn(G::july(day)));
    }

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
        ScriptedServer server;
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
    }

    // In front of the planner the screen reopens the applied filter, a ready month moved on to today's, a custom one
    // where it was; the first time it opens the filter instead, and without the right to see, neither.
    void activatedReopensTheAppliedFilter_data()
    {
        QTest::addColumn<int>("applied"); // the period; -1: nothing applied yet
        QTest::addColumn<QStringList>("roles");
        QTest::addColumn<QDate>("month"); // of the grid
        const QDate next = QDate::currentDate().addMonths(1);
        QTest::addRow("first start") << -1 << allRoles << QDate();
        QTest::addRow("next month") << int(WorkTimePeriodWidget::NextMonth) << allRoles << QDate(next.year(), next.month(), 1);
        QTest::addRow("custom month") << int(WorkTimePeriodWidget::Custom) << allRoles << QDate(2025, 3, 1);
        QTest::addRow("no right to see") << -1 << QStringList{"RL_WTPLANNINGVIEW_BREAKRULE_SHOW"} << QDate();
    }

    void activatedReopensTheAppliedFilter()
    {
        QFETCH(int, applied);
        QFETCH(QStringList, roles);
        QFETCH(QDate, month);
        Settings::instance()->remove(QStringLiteral("wtplanningview"));
        ViewFixture fixture(roles);
        if (applied >= 0) {
            WorkTimeFilterDialog dialog;
            dialog.periodWidget()->setPeriod(WorkTimePeriodWidget::Period(applied));
            // A ready period takes its own dates back.
            dialog.periodWidget()->setStartFinish(QDate(2025, 3, 1).startOfDay(), QDate(2025, 3, 31).startOfDay());
            dialog.workerWidget()->setChecked({fixture.shop.shop});
            WorkTimeFilterSettings::saveApplied(dialog);
        }
        // The filter opens as F5 opens it; the dialog itself is not under test here.
        auto* filter = fixture.child<QAction>("actionFilter");
        QObject::disconnect(filter, &QAction::triggered, fixture.view.get(), nullptr);
        QSignalSpy triggered(filter, &QAction::triggered);
        fixture.view->activated();
        QCOMPARE(triggered.size(), applied < 0 && roles == allRoles ? 1 : 0);
        QCOMPARE(fixture.model->dateStart(), month);
    }

    // Enter in the filter's month list leads on to the year instead of applying the filter; in the year it applies.
    void enterInTheFilterPeriod_data()
    {
        QTest::addColumn<QString>("editor");
        QTest::addColumn<int>("applied");
        QTest::addRow("month list") << "monthSelector" << 0;
        QTest::addRow("year") << "yearEdit" << 1;
    }

    void enterInTheFilterPeriod()
    {
        QFETCH(QString, editor);
        QFETCH(int, applied);
        G shop;
        WorkTimeFilterDialog dialog;
        dialog.workerWidget()->setChecked({shop.shop});
        QSignalSpy filterChanged(&dialog, &WorkTimeFilterDialog::filterChanged);
        ovtest::ignoreMessage(QtWarningMsg, "This plugin does not support raise()");
        ovtest::ignoreMessage(QtWarningMsg, "This plugin does not support grabbing the keyboard");
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* widget = dialog.findChild<QWidget*>(editor);
        widget->setFocus();
        QTest::keyClick(widget, Qt::Key_Down);
        QTest::keyClick(widget, Qt::Key_Return);
        QCOMPARE(filterChanged.size(), applied);
        QCOMPARE(dialog.focusWidget()->objectName(), QStringLiteral("yearEdit"));
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
            for (orvanta::TYPE_ID uid : fixture.model->objList())
                syncTimes.append({0, QDate(), uid, false, QDateTime(), QDateTime(G::july(1), QTime(9, 0)), {}});
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
        fixture.model->setHoursBudget({{0, G::july(1), 0, 2 * 3600 - 1}});
        fixture.model->setSalesPlan({{0, G::july(2), 0, 10000000}});
        fixture.recalculateTotals();
        const auto totals = [&fixture] {
            QStringList texts;
            for (const char* name : {"hoursBudget", "fact", "diff", "salesPlan", "perf", "attached"})
                texts.append(fixture.view->findChild<QLabel*>(QLatin1String(name) + "Label")->text());
            return texts.join(QLatin1Char(' '));
        };
        const qint64 fact = fixture.model->totalTime() / 3600;
        // The planned hours are the rows' hours column summed: a trip day counts once, where it is worked.
        const qint64 reason = fixture.model->totalPlannedTime() / 3600 - fact;
        const qint64 attached = fixture.model->totalAttachedTime() / 3600;
        QVERIFY(fact > 0 && reason >= 0 && attached > 0);
        // Budget, planned and absence hours, the budget less the hours of work, the sales plan, the plan per hour of
        // work, the trips.
        const auto expected = [&](qint64 worked) {
            return QStringLiteral("1 %1 %2 10000000 %3 %4").arg(worked + reason).arg(1 - worked).arg(10000000 / worked)
                .arg(attached);
        };
        QCOMPARE(totals(), expected(fact));

        QSignalSpy updated(fixture.view.get(), &WorkTimePlanningView::workTimeTotalsUpdated);
        // Weekend days of the five-day week become six-hour morning shifts; the burst outlasts the delay.
        for (int day : {6, 7, 13, 14}) {
            fixture.model->setShiftForDate(fixture.shop.ivanov, G::july(day), fixture.shop.morning);
            QTest::qWait(200);
        }
        QCOMPARE(updated.size(), 0);
        QVERIFY(updated.wait(1000));
        QCOMPARE(totals(), expected(fact + 24));
        QTest::qWait(600);
        QCOMPARE(updated.size(), 1);
    }

    // The shown window: a hint over the empty grid and its frozen columns; keys go to the grid while F5 still
    // reaches the filter; the loaded grid is sorted by name.
    void shownWindow()
    {
        ViewFixture fixture;
        auto* filter = fixture.child<QAction>("actionFilter");
        // Only the shortcut is under test, not the dialog behind it.
        QObject::disconnect(filter, &QAction::triggered, fixture.view.get(), nullptr);
        QSignalSpy triggered(filter, &QAction::triggered);
        fixture.view->show();
        QVERIFY(QTest::qWaitForWindowActive(fixture.view.get()));
        auto* hint = fixture.grid->findChild<QLabel*>(QStringLiteral("emptyHint"));
        QCOMPARE(hint->text(), QStringLiteral("Выберите период и подразделения: нажмите F5 или «Фильтр»"));
        QVERIFY(hint->isVisible());
        QCOMPARE(hint->geometry(), fixture.grid->viewport()->geometry());
        // Above the frozen columns, which would otherwise hide its left part.
        const QObjectList layers = fixture.grid->children();
        QVERIFY(layers.indexOf(hint) > layers.indexOf(fixture.grid->frozenTableView()));
        QTRY_VERIFY(fixture.grid->hasFocus());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F5);
        QCOMPARE(triggered.size(), 1);
        fixture.load();
        QVERIFY(!hint->isVisible());
        // Gostev, the last row of the model, comes first by name.
        QCOMPARE(fixture.cell(fixture.shop.gostev, 0).row(), 0);
    }

    // The tool bar's compact toggle switches the grid and is remembered for the next window.
    void compactModeIsRemembered()
    {
        Settings::setValue(WorkTimeCompactMode::settingsKey(), false);
        {
            ViewFixture fixture;
            QVERIFY(!fixture.grid->isCompact());
            fixture.child<QAction>("actionCompact")->trigger();
            QVERIFY(fixture.grid->isCompact());
        }
        ViewFixture next;
        QVERIFY(next.grid->isCompact() && next.child<QAction>("actionCompact")->isChecked());
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
    }

    // Closing, cancelling and clearing over unsaved changes ask first and do only what the planner chose; saving
    // on closing closes once the save went through.
    void unsavedChangesAsk_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("edited");
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("reply"); // the server's result for every request, 0 for no answer
        QTest::addColumn<QString>("after"); // questions asked, window, changes, rows
        QTest::newRow("close, nothing to save") << "close" << false << 0 << 0 << "0 closed clean rows";
        QTest::newRow("close, do not save") << "close" << true << int(QMessageBox::Discard) << 0 << "1 closed changes rows";
        QTest::newRow("close, cancel") << "close" << true << int(QMessageBox::Cancel) << 0 << "1 open changes rows";
        QTest::newRow("close, save") << "close" << true << int(QMessageBox::Save) << 1 << "1 closed clean rows";
        QTest::newRow("close, save refused") << "close" << true << int(QMessageBox::Save) << 403 << "1 open changes rows";
        QTest::newRow("cancel, yes") << "cancel" << true << int(QMessageBox::Yes) << 0 << "1 open clean rows";
        QTest::newRow("cancel, no") << "cancel" << true << int(QMessageBox::No) << 0 << "1 open changes rows";
        QTest::newRow("clear, no") << "clear" << true << int(QMessageBox::No) << 0 << "1 open changes rows";
        QTest::newRow("clear, yes") << "clear" << true << int(QMessageBox::Yes) << 0 << "1 open clean empty";
        QTest::newRow("clear, nothing to lose") << "clear" << false << 0 << 0 << "0 open clean empty";
    }

    void unsavedChangesAsk()
    {
        QFETCH(QString, action);
        QFETCH(bool, edited);
        QFETCH(int, answer);
        QFETCH(int, reply);
        ViewFixture fixture;
        fixture.load();
        fixture.view->show();
        int asked = 0;
        fixture.view->setQuestion([&](QWidget*, const QString&, const QString&, QMessageBox::StandardButtons) {
            ++asked;
            return QMessageBox::StandardButton(answer);
        });
        orvanta::_WORKER_ABSENCE_REASON_RECORD vacation;
        vacation.id = orvanta::_WORKER_ABSENCE_REASON_RECORD::NEW_RECORD_ID;
        vacation.reason = fixture.shop.vacation;
        vacation.start = G::july(8).startOfDay();
        vacation.end = G::july(9).endOfDay();
        if (edited)
            fixture.model->setObjectAbsenceReason(fixture.shop.ivanov, vacation);
        if (reply == 403)
            ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("task error")));
        if (action == QLatin1String("close") && fixture.view->canClose())
            fixture.view->close();
        else if (action == QLatin1String("cancel"))
            fixture.view->cancelWorkTime();
        else if (action == QLatin1String("clear"))
            fixture.view->clearWorkTime();
        // Only the save is answered; the reading that follows it is not what this test follows.
        const auto* runner = fixture.child<WorkTimeTaskRunner>("taskRunner");
        while (reply != 0 && runner->isBusy() && fixture.server.answer(nullptr, reply)) {
        }
        QTest::qWait(50);
        const QString after = QStringLiteral("%1 %2 %3 %4")
                                  .arg(asked)
                                  .arg(fixture.view->isVisible() ? "open" : "closed",
                                       fixture.model->hasChanges() ? "changes" : "clean",
                                       fixture.model->hasData() ? "rows" : "empty");
        QTEST(after, "after");
    }
};

OV_TEST_WIDGETS_MAIN(tst_WorkTimePlanningView)
#include "tst_worktimeplanningview.moc"
