#include "authdata.h"
#include "fatalwarnings.h"
#include "ovicontheme.h"
#include "ovserverinterface.h"
#include "grid/planninggridfixture.h"
#include "settings.h"
#include "worktimedayeditdialog.h"
#include "worktimeplanningview.h"
#include "worktimestatisticwidget.h"

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

const QStringList allRoles = {"RL_WTPLANNINGVIEW_WORKTIME_SHOW",    "RL_WTPLANNINGVIEW_WORKTIME_SET",
                              "RL_WTPLANNINGVIEW_WORKTIME_APPROVE", "RL_WTPLANNINGVIEW_BREAKRULE_SHOW",
                              "RL_WTPLANNINGVIEW_ATTACHED_SHOW"};
const QStringList viewOnlyRoles = {"RL_WTPLANNINGVIEW_WORKTIME_SHOW"};
// The planned hours of PlanningGridFixture's July grid.
constexpr int kPlannedHours = 520;

class SilentServer : public OVServerInterface
{
protected:
    void transmit(const Command&) override {}
};

// The planning window after the host inserted it, with the shop's July grid of PlanningGridFixture loaded
// into the window's own model on demand.
struct PageFixture
{
    SilentServer server;
    PlanningGridFixture shop;
    std::unique_ptr<WorkTimePlanningView> view;
    WorkTimePlanningModel* model = nullptr;
    WorkTimeTableView* grid = nullptr;

    explicit PageFixture(const QStringList& roles)
    {
        AuthData::setRoles(roles);
        view = std::make_unique<WorkTimePlanningView>();
        view->init(&server, QStringLiteral("wtplanningview"));
        view->insertedToInterface();
        model = view->findChild<WorkTimePlanningModel*>(QStringLiteral("worktimeModel"));
        grid = view->findChild<WorkTimeTableView*>(QStringLiteral("worktimeView"));
    }

    void load()
    {
        using G = PlanningGridFixture;
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
        auto* proxy = grid->model();
        for (int row = 0; row < proxy->rowCount(); ++row) {
            const QModelIndex name = proxy->index(row, WorkTimePlanningModel::NameColumn);
            if (orvanta::TYPE_ID(name.data(WorkTimePlanningModel::UidRole).toLongLong()) != uid)
                continue;
            return day == 0 ? name : proxy->index(row, model->dateToColumn(PlanningGridFixture::july(day)));
        }
        return {};
    }

    WorkTimeDayEditDialog* openDay(orvanta::TYPE_ID uid, int day)
    {
        grid->setCurrentIndex(cell(uid, day));
        emit grid->showDayEditDialog();
        return view->findChild<WorkTimeDayEditDialog*>();
    }

    QString label(const char* name) const { return view->findChild<QLabel*>(QLatin1String(name))->text(); }

    void recalculateTotals()
    {
        QSignalSpy updated(view.get(), &WorkTimePlanningView::workTimeTotalsUpdated);
        QMetaObject::invokeMethod(view.get(), "updateWorkTimeTotalsLazy");
        QCOMPARE(updated.size(), 0);
        QVERIFY(updated.wait(2000));
    }
};

} // namespace

class tst_WorkTimePlanningPage : public QObject
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

    void cleanup() { AuthData::clear(); }

    void gridShowsTheModelSortedByName()
    {
        PageFixture page(allRoles);
        page.load();
        QVERIFY(qobject_cast<WorkTimeItemDelegate*>(page.grid->itemDelegate()));
        QCOMPARE(page.grid->frozenTableView()->itemDelegate(), page.grid->itemDelegate());
        QCOMPARE(page.grid->workTimeModel(), page.model);
        QCOMPARE(page.grid->frozenTableView()->model(), page.grid->model());
        QCOMPARE(page.grid->sortIndicatorSection(), int(WorkTimePlanningModel::NameColumn));
        QCOMPARE(page.grid->sortIndicatorOrder(), Qt::AscendingOrder);
        QStringList names;
        for (int row = 0; row < page.grid->model()->rowCount(); ++row)
            names.append(page.grid->model()->index(row, WorkTimePlanningModel::NameColumn).data().toString());
        QCOMPARE(names.size(), 5);
        QStringList sorted = names;
        std::sort(sorted.begin(), sorted.end());
        QCOMPARE(names, sorted);
    }

    void totalsReachTheLabels_data()
    {
        QTest::addColumn<int>("budgetSeconds");
        QTest::addColumn<qint64>("salesPlan");
        QTest::addColumn<qint64>("budgetHours");
        QTest::addRow("budget above plan") << 1000 * 3600 << qint64(0) << qint64(1000);
        QTest::addRow("one second short of two hours") << 2 * 3600 - 1 << qint64(0) << qint64(1);
        QTest::addRow("sales plan") << 0 << qint64(10000000) << qint64(0);
    }

    void totalsReachTheLabels()
    {
        QFETCH(int, budgetSeconds);
        QFETCH(qint64, salesPlan);
        QFETCH(qint64, budgetHours);
        PageFixture page(allRoles);
        page.load();
        orvanta::HOURS_BUDGET budget;
        budget.date = PlanningGridFixture::july(1);
        budget.value = budgetSeconds;
        page.model->setHoursBudget({budget});
        orvanta::SALES_PLAN plan;
        plan.date = PlanningGridFixture::july(2);
        plan.value = salesPlan;
        page.model->setSalesPlan({plan});
        page.recalculateTotals();

        const qint64 fact = page.model->totalTime() / 3600;
        QCOMPARE(fact, qint64(kPlannedHours));
        const qint64 reason = (page.model->totalReasonWorkTime() + page.model->totalDetachedTime()) / 3600;
        QCOMPARE(page.label("hoursBudgetLabel"), QString::number(budgetHours));
        QCOMPARE(page.label("factLabel"), QString::number(fact + reason));
        QCOMPARE(page.label("diffLabel"), QString::number(budgetHours - fact));
        QCOMPARE(page.label("salesPlanLabel"), QString::number(salesPlan));
        QCOMPARE(page.label("perfLabel"), QString::number(salesPlan / fact));
        QCOMPARE(page.label("attachedLabel"), QString::number(page.model->totalAttachedTime() / 3600));
        QVERIFY(page.model->totalAttachedTime() > 0);
    }

    // A burst of edits is counted once, after the delay.
    void editsUpdateTheTotalsOnceAfterTheDelay()
    {
        PageFixture page(allRoles);
        page.load();
        page.recalculateTotals();
        const QString before = page.label("factLabel");
        QSignalSpy updated(page.view.get(), &WorkTimePlanningView::workTimeTotalsUpdated);
        // Weekend days of the five-day week become six-hour morning shifts; the burst outlasts the delay.
        for (int day : {6, 7, 13, 14}) {
            page.model->setShiftForDate(page.shop.ivanov, PlanningGridFixture::july(day), page.shop.morning);
            QTest::qWait(200);
        }
        QCOMPARE(page.label("factLabel"), before);
        QVERIFY(updated.wait(1000));
        QCOMPARE(page.label("factLabel").toLongLong(), before.toLongLong() + 24);
        QTest::qWait(600);
        QCOMPARE(updated.size(), 1);
    }

    void confirmWarningFollowsTheModel_data()
    {
        QTest::addColumn<bool>("confirmed");
        QTest::addColumn<bool>("visible");
        QTest::addRow("plan not confirmed") << false << true;
        QTest::addRow("plan confirmed") << true << false;
    }

    void confirmWarningFollowsTheModel()
    {
        QFETCH(bool, confirmed);
        QFETCH(bool, visible);
        PageFixture page(allRoles);
        page.load();
        if (confirmed) {
            QList<orvanta::WORKER_SYNC_TIME> syncTimes;
            for (orvanta::TYPE_ID uid : {page.shop.ivanov, page.shop.petrov, page.shop.sidorov, page.shop.pavlov,
                                         page.shop.gostev}) {
                orvanta::WORKER_SYNC_TIME sync;
                sync.worker = uid;
                sync.saveTime = QDateTime(PlanningGridFixture::july(1), QTime(9, 0));
                syncTimes.append(sync);
            }
            page.model->setEmployeeSyncTime(syncTimes);
        }
        QCOMPARE(page.model->isConfirmEnabled(), visible);
        page.recalculateTotals();
        QCOMPARE(page.view->findChild<WorkTimeStatisticWidget*>()->isConfirmMessageVisible(), visible);
    }

    void emptyHintShowsWithoutRows()
    {
        PageFixture page(allRoles);
        page.view->resize(1400, 800);
        page.view->show();
        QVERIFY(QTest::qWaitForWindowExposed(page.view.get()));
        auto* hint = page.grid->findChild<QLabel*>(QStringLiteral("emptyHint"));
        QVERIFY(hint);
        QCOMPARE(hint->text(), QStringLiteral("Выберите период и подразделения: нажмите F5 или «Фильтр»"));
        QVERIFY(hint->isVisible());
        QCOMPARE(hint->geometry(), page.grid->viewport()->geometry());
        // Above the frozen columns, which would otherwise hide its left part.
        QVERIFY(page.grid->children().indexOf(hint) > page.grid->children().indexOf(page.grid->frozenTableView()));

        page.load();
        QVERIFY(!hint->isVisible());
        page.model->clear();
        QVERIFY(hint->isVisible());
        page.view->resize(1000, 600);
        QTRY_COMPARE(hint->geometry(), page.grid->viewport()->geometry());
    }

    void gridTakesTheFocusAndF5StaysTheFilter()
    {
        PageFixture page(allRoles);
        auto* filter = page.view->findChild<QAction*>(QStringLiteral("actionFilter"));
        // Only the shortcut is under test, not the dialog behind it.
        QObject::disconnect(filter, &QAction::triggered, page.view.get(), nullptr);
        QSignalSpy triggered(filter, &QAction::triggered);
        page.view->show();
        QVERIFY(QTest::qWaitForWindowActive(page.view.get()));
        QTRY_VERIFY(page.grid->hasFocus());

        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F5);
        QCOMPARE(triggered.size(), 1);
    }

    void dayDialogOpensForTheCurrentCell_data()
    {
        QTest::addColumn<QStringList>("roles");
        QTest::addColumn<QString>("who");
        QTest::addColumn<int>("day");
        QTest::addColumn<bool>("readOnly");
        QTest::addRow("editable day") << allRoles << "ivanov" << 3 << false;
        QTest::addRow("no edit right") << viewOnlyRoles << "ivanov" << 3 << true;
        QTest::addRow("before employment") << allRoles << "petrov" << 2 << true;
        QTest::addRow("own employee away on a trip") << allRoles << "sidorov" << 16 << true;
        QTest::addRow("name column") << allRoles << "ivanov" << 0 << false;
    }

    void dayDialogOpensForTheCurrentCell()
    {
        QFETCH(QStringList, roles);
        QFETCH(QString, who);
        QFETCH(int, day);
        QFETCH(bool, readOnly);
        PageFixture page(roles);
        page.load();
        WorkTimeDayEditDialog* dialog = page.openDay(page.shop.byName(who), day);
        QCOMPARE(dialog != nullptr, day != 0);
        if (!dialog)
            return;
        QCOMPARE(dialog->isReadOnly(), readOnly);
        QVERIFY(dialog->isModal());
        const QModelIndex name = page.cell(page.shop.byName(who), 0);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("%1 - %2").arg(
                                            QLocale().toString(PlanningGridFixture::july(day), QLocale::ShortFormat),
                                            name.data().toString()));
        QPointer<WorkTimeDayEditDialog> guard(dialog);
        dialog->reject();
        QTRY_VERIFY(guard.isNull());
    }

    void doubleClickOpensTheDay()
    {
        PageFixture page(allRoles);
        page.load();
        page.view->resize(1400, 800);
        page.view->show();
        QVERIFY(QTest::qWaitForWindowExposed(page.view.get()));
        const QModelIndex day = page.cell(page.shop.ivanov, 3);
        const QPoint centre = page.grid->visualRect(day).center();
        QTest::mouseClick(page.grid->viewport(), Qt::LeftButton, {}, centre);
        QTest::mouseDClick(page.grid->viewport(), Qt::LeftButton, {}, centre);
        auto* dialog = page.view->findChild<WorkTimeDayEditDialog*>();
        QVERIFY(dialog);
        dialog->reject();
    }

    void dayDialogResultGoesBackToTheGrid_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::addRow("OK writes the row back") << true;
        QTest::addRow("Cancel changes nothing") << false;
    }

    void dayDialogResultGoesBackToTheGrid()
    {
        QFETCH(bool, accept);
        PageFixture page(allRoles);
        page.load();
        const QModelIndex day = page.cell(page.shop.ivanov, 3);
        QCOMPARE(day.data(WorkTimePlanningModel::DayStartRole).toInt(), PlanningGridFixture::seconds(8));
        WorkTimeDayEditDialog* dialog = page.openDay(page.shop.ivanov, 3);
        QVERIFY(dialog);
        QAction morning;
        morning.setData(page.shop.morning);
        dialog->shiftActionTriggered(&morning);
        QSignalSpy edited(page.model, &WorkTimePlanningModel::workTimeEdited);
        auto* buttons = dialog->findChild<QDialogButtonBox*>();
        QTest::mouseClick(buttons->button(accept ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel), Qt::LeftButton);

        QCOMPARE(page.model->hasChanges(page.shop.ivanov), accept);
        QCOMPARE(edited.isEmpty(), !accept);
        QCOMPARE(day.data(WorkTimePlanningModel::DayFinishRole).toInt(),
                 PlanningGridFixture::seconds(accept ? 14 : 17));
        QCOMPARE(page.view->findChild<QAction*>(QStringLiteral("actionSave"))->isEnabled(), accept);
    }
};

OV_TEST_WIDGETS_MAIN(tst_WorkTimePlanningPage)
#include "tst_worktimeplanningpage.moc"
