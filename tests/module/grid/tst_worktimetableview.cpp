#include "authdata.h"
#include "fatalwarnings.h"
#include "ovicontheme.h"
#include "planninggridfixture.h"
#include "recordingpaintdevice.h"
#include "salesplan.h"
#include "vocabulary.h"
#include "workerabsencereasondialog.h"
#include "worktimeheaderview.h"
#include "worktimerangedialog.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace orvanta;
using Fixture = PlanningGridFixture;
using Model = WorkTimePlanningModel;

namespace {

const QStringList allRoles{QStringLiteral("RL_WTPLANNINGVIEW_WORKTIME_SHOW"), QStringLiteral("RL_WTPLANNINGVIEW_WORKTIME_SET"),
                           QStringLiteral("RL_WTPLANNINGVIEW_ATTACHED_CREATE"),
                           QStringLiteral("RL_WTPLANNINGVIEW_ATTACHED_DELETE")};

// What the offscreen platform says whenever a menu pops up.
void expectPopup()
{
    ovtest::ignoreMessage(QtWarningMsg, "This plugin does not support raise()");
    ovtest::ignoreMessage(QtWarningMsg, "This plugin does not support grabbing the keyboard");
}

// A grid in a shown window, with every right unless a test takes some away.
struct ShownGrid
{
    Fixture grid;
    // Every edit made through the grid below also runs past the model checks.
    QAbstractItemModelTester tester{&grid.proxy, QAbstractItemModelTester::FailureReportingMode::QtTest};
    WorkTimeTableView view;

    ShownGrid()
    {
        AuthData::setRoles(allRoles);
        grid.setUpView(view);
        view.resize(1000, 500);
        view.show();
        QApplication::setActiveWindow(&view);
    }

    // Cells as "who:day"; day 0 is the name column.
    QModelIndex at(const QString& cell) const
    {
        return grid.cell(grid.byName(cell.section(QLatin1Char(':'), 0, 0)), cell.section(QLatin1Char(':'), 1).toInt());
    }

    QString text(const QString& cell) const { return at(cell).data(Qt::DisplayRole).toString(); }

    void select(const QStringList& cells)
    {
        view.selectionModel()->clearSelection();
        for (const QString& cell : cells) {
            const QModelIndex index = at(cell);
            view.selectionModel()->select(index, QItemSelectionModel::Select);
            view.selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
        }
    }

    QMenu* openMenu()
    {
        expectPopup();
        view.showContextMenu(QPoint(10, 10));
        return view.findChild<QMenu*>(QString(), Qt::FindDirectChildrenOnly);
    }
};

QStringList entries(const QMenu* menu)
{
    QStringList result;
    for (const QAction* action : menu->actions()) {
        if (!action->isSeparator())
            result.append(action->text() + (action->isEnabled() ? QStringLiteral(":on") : QStringLiteral(":off")));
    }
    return result;
}

QAction* actionWithData(QObject* parent, const QVariant& data)
{
    auto* action = new QAction(parent);
    action->setData(data);
    return action;
}

// Runs handle on the next modal dialog once it is shown.
void whenModal(std::function<void(QWidget*)> handle)
{
    QTimer::singleShot(0, [handle]() {
        QWidget* modal = QApplication::activeModalWidget();
        QVERIFY(modal);
        handle(modal);
    });
}

// Keys go where the focus is (into the editor once the first key has opened it); QTest's key helpers take
// Latin letters only.
void typeText(const QString& text)
{
    for (const QChar& character : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(character));
        QApplication::sendEvent(QApplication::focusWidget(), &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(character));
        QApplication::sendEvent(QApplication::focusWidget(), &release);
    }
}

// Paints single sections, as the header's paint event does.
class SectionPainter : public WorkTimeHeaderView
{
public:
    void paintOn(RecordingPaintDevice& device, int section) const
    {
        QPainter painter(&device);
        paintSection(&painter, QRect(0, 0, 120, 72), section);
    }
};

} // namespace

class tst_WorkTimeTableView : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(OVIconTheme::install()); }
    void cleanup() { AuthData::clear(); }

    void frozenTableKeepsInStep()
    {
        ShownGrid shown;
        WorkTimeTableView& view = shown.view;
        QTableView* frozen = view.frozenTableView();
        QVERIFY(!frozen->isColumnHidden(Model::BalanceColumn));
        QVERIFY(frozen->isColumnHidden(Model::FirstDateColumn));

        view.frozenHorizontalHeader()->resizeSection(Model::NameColumn, 250);
        QCOMPARE(view.columnWidth(Model::NameColumn), 250);
        view.setColumnWidth(Model::JobColumn, 123);
        QCOMPARE(frozen->columnWidth(Model::JobColumn), 123);
        int leadingWidth = 0;
        for (int column = 0; column < view.frozenColumns(); ++column)
            leadingWidth += view.columnWidth(column);
        QCOMPARE(frozen->width(), leadingWidth);

        // Day columns keep their width: the grid's header does not let the user drag them.
        QCOMPARE(view.horizontalHeader()->sectionResizeMode(Model::FirstDateColumn), QHeaderView::Fixed);
        QCOMPARE(view.frozenHorizontalHeader()->sectionResizeMode(Model::NameColumn), QHeaderView::Interactive);
        view.frozenHorizontalHeader()->resizeSection(Model::FirstDateColumn, 300);
        QVERIFY(view.columnWidth(Model::FirstDateColumn) != 300);

        view.resize(1000, 200);
        QCOMPARE(frozen->rowHeight(1), view.rowHeight(1));
        view.setRowHeight(1, 90);
        QCOMPARE(frozen->rowHeight(1), 90);

        QVERIFY(view.verticalScrollBar()->maximum() > 40);
        view.verticalScrollBar()->setValue(40);
        QCOMPARE(frozen->verticalScrollBar()->value(), 40);
        frozen->verticalScrollBar()->setValue(10);
        QCOMPARE(view.verticalScrollBar()->value(), 10);

        QCOMPARE(view.frozenHorizontalHeader()->height(), view.horizontalHeader()->height());
        QCOMPARE(frozen->height(), view.viewport()->height() + view.horizontalHeader()->height());
    }

    void headerIsThreeTimesAsHigh()
    {
        ShownGrid shown;
        QHeaderView plain(Qt::Horizontal);
        plain.setModel(&shown.grid.proxy);
        QCOMPARE(shown.view.horizontalHeader()->sizeHint().height(), 3 * plain.sizeHint().height());
        QSignalSpy relayout(shown.view.frozenHorizontalHeader(), &QHeaderView::geometriesChanged);
        shown.view.frozenHorizontalHeader()->setHeightHint(99);
        QCOMPARE(shown.view.frozenHorizontalHeader()->sizeHint().height(), 99);
        QVERIFY(relayout.count() > 0);
    }

    void headerSections_data()
    {
        QTest::addColumn<int>("day");
        QTest::addColumn<bool>("columnSelected");
        QTest::addColumn<QString>("plan");
        QTest::addColumn<QString>("hours");
        QTest::addRow("leading column") << 0 << false << "" << "";
        QTest::addRow("day with a sales plan") << 11 << false << "1500" << "32.00";
        QTest::addRow("day without plan or time") << 6 << false << "0" << "0.00";
        QTest::addRow("selected day column") << 11 << true << "1500" << "32.00";
    }

    void headerSections()
    {
        QFETCH(int, day);
        QFETCH(bool, columnSelected);
        QFETCH(QString, plan);
        QFETCH(QString, hours);
        Fixture grid;
        grid.model.setSalesPlan({SALES_PLAN{1, Fixture::july(11), qint64(grid.shop), 1500}});
        WorkTimeTableView view;
        grid.setUpView(view);
        const int section = day == 0 ? int(Model::NameColumn) : grid.model.dateToColumn(Fixture::july(day));
        if (columnSelected)
            view.selectColumn(section);
        SectionPainter header;
        header.setModel(&grid.proxy);
        header.setSelectionModel(view.selectionModel());
        RecordingPaintDevice device;
        header.paintOn(device, section);
        if (day == 0) {
            QCOMPARE(device.engine.texts.size(), 1);
            QCOMPARE(device.engine.texts.first().text, QStringLiteral("ФИО"));
            return;
        }
        const QDate date = Fixture::july(day);
        const RecordingPaintDevice::Text* dateText = device.findText(QLocale().toString(date, QLocale::ShortFormat));
        QVERIFY(dateText);
        QCOMPARE(dateText->weight == QFont::Bold, columnSelected);
        QVERIFY(device.findText(QLocale().dayName(date.dayOfWeek(), QLocale::LongFormat)));
        QVERIFY(device.findText(plan));
        QCOMPARE(device.findText(plan)->pen, QColor(QLatin1String(wt::color::GREEN)));
        QVERIFY(device.findText(hours));
        QCOMPARE(device.findText(hours)->pen, QColor(QLatin1String(wt::color::BLACK)));
    }

    // Start on a day, scroll the grid so that the day sits at the left edge of the frozen block, press a key.
    void keysKeepTheCellInSight_data()
    {
        QTest::addColumn<int>("day");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("column");
        const int firstDay = Model::FirstDateColumn;
        QTest::addRow("home in a day column") << 20 << int(Qt::Key_Home) << 0;
        QTest::addRow("left under the frozen block") << 20 << int(Qt::Key_Left) << firstDay + 18;
        QTest::addRow("end") << 20 << int(Qt::Key_End) << firstDay + 30;
        QTest::addRow("right out of the leading block") << 0 << int(Qt::Key_Right) << int(Model::JobColumn);
    }

    void keysKeepTheCellInSight()
    {
        QFETCH(int, day);
        QFETCH(int, key);
        QFETCH(int, column);
        ShownGrid shown;
        WorkTimeTableView& view = shown.view;
        const QModelIndex start = shown.grid.cell(shown.grid.ivanov, day);
        view.setCurrentIndex(start);
        if (day > 0) {
            const int frozenWidth = view.frozenTableView()->width();
            const int scrolled = view.horizontalScrollBar()->value();
            view.horizontalScrollBar()->setValue(scrolled + view.visualRect(start).left() - frozenWidth);
            QCOMPARE(view.visualRect(start).left(), frozenWidth);
        }
        QTest::keyClick(&view, Qt::Key(key));

        QCOMPARE(view.currentIndex().column(), column);
        if (key == Qt::Key_Home)
            QCOMPARE(view.horizontalScrollBar()->value(), 0);
        if (column >= Model::FirstDateColumn) {
            const QRect cell = view.visualRect(view.currentIndex());
            QVERIFY(cell.left() >= view.frozenTableView()->width());
            QVERIFY(cell.right() < view.viewport()->width());
        }
    }

    void typing_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<bool>("editor");
        QTest::addColumn<QString>("current");
        QTest::addRow("day cell opens the editor") << "ivanov:2" << "09" << true << "ivanov:2";
        QTest::addRow("name column searches") << "ivanov:0" << "Сид" << false << "sidorov:0";
        QTest::addRow("locked day neither edits nor searches") << "petrov:2" << "Сид" << false << "petrov:2";
    }

    void typing()
    {
        QFETCH(QString, start);
        QFETCH(QString, keys);
        QFETCH(bool, editor);
        QFETCH(QString, current);
        ShownGrid shown;
        QVERIFY(QTest::qWaitForWindowActive(&shown.view));
        shown.select({start});
        shown.view.setFocus();
        typeText(keys);
        QCOMPARE(qobject_cast<QLineEdit*>(QApplication::focusWidget()) != nullptr, editor);
        if (editor)
            QCOMPARE(qobject_cast<QLineEdit*>(QApplication::focusWidget())->displayText(), QStringLiteral("09:00-00:00"));
        QCOMPARE(shown.view.currentIndex(), shown.at(current));
    }

    // Entries as "R+ D- ...": one letter per entry (texts in menuEntries), + when enabled.
    void menuEntries_data()
    {
        QTest::addColumn<QStringList>("roles");
        QTest::addColumn<QStringList>("cells");
        QTest::addColumn<bool>("edited");
        QTest::addColumn<QString>("expected");
        const QStringList editOnly{allRoles.at(0), allRoles.at(1)};
        QTest::addRow("leading cells only") << allRoles << QStringList{"ivanov:0"} << false << "R- D- F- S- U- P-";
        QTest::addRow("one day") << allRoles << QStringList{"ivanov:2"} << false << "R+ D+ F+ S+ U- A+ P+";
        QTest::addRow("two days of one employee")
            << allRoles << QStringList{"ivanov:8", "ivanov:9"} << false << "R+ D+ S+ U- A+ P+";
        QTest::addRow("personal schedule") << allRoles << QStringList{"pavlov:2"} << false << "R+ S+ U- A+ P+";
        QTest::addRow("two employees") << allRoles << QStringList{"ivanov:2", "petrov:8"} << false << "R+ S+ U- P+";
        QTest::addRow("day of a trip elsewhere")
            << allRoles << QStringList{"sidorov:16"} << false << "R- D- F- S- U- X+ P-";
        QTest::addRow("attached worker") << allRoles << QStringList{"gostev:12"} << false << "R+ D+ F+ S+ U- P+";
        // The edit is kept in a personal schedule to be created: no schedule menus any more.
        QTest::addRow("changed employee") << allRoles << QStringList{"ivanov:2"} << true << "R+ S+ U+ A+ P+";
        QTest::addRow("without trip rights") << editOnly << QStringList{"ivanov:2"} << false << "R+ D+ F+ S+ U- A- P+";
        QTest::addRow("without the edit right")
            << QStringList{allRoles.at(0)} << QStringList{"ivanov:2"} << false << "R- D- F- S- U- A- P-";
    }

    void menuEntries()
    {
        QFETCH(QStringList, roles);
        QFETCH(QStringList, cells);
        QFETCH(bool, edited);
        QFETCH(QString, expected);
        const QHash<char, QString> texts{{'R', "Причина отсутствия"},
                                          {'D', "Задать график работы на выбранную дату"},
                                          {'F', "Задать график работы с выбранной даты"},
                                          {'S', "Выбрать смену"},
                                          {'U', "Отменить изменения"},
                                          {'A', "Запланировать внутреннюю командировку"},
                                          {'X', "Удалить внутреннюю командировку"},
                                          {'P', "Свойства"}};
        QStringList expectedEntries;
        for (const QString& code : expected.split(QLatin1Char(' ')))
            expectedEntries.append(texts.value(code.at(0).toLatin1())
                                   + (code.endsWith(QLatin1Char('+')) ? ":on" : ":off"));
        ShownGrid shown;
        AuthData::setRoles(roles);
        if (edited)
            shown.grid.model.setShiftForDate(shown.grid.ivanov, Fixture::july(2), shown.grid.morning);
        shown.select(cells);
        QMenu* menu = shown.openMenu();
        QVERIFY(menu);
        QCOMPARE(entries(menu), expectedEntries);
        // Without the edit right the whole menu is refused, not only its entries.
        QCOMPARE(menu->isEnabled(), roles.contains(allRoles.at(1)));
    }

    void menuOutsideTheEditableDates()
    {
        ShownGrid shown;
        _ROLE_DATE_RESTRICTIONS restrictions;
        restrictions.mode = _ROLE_DATE_RESTRICTIONS::FixedDates;
        restrictions.from = Fixture::july(10);
        AuthData::setWorkTimePlanningRestrictions(restrictions);
        shown.select({"ivanov:8", "ivanov:12"});
        const QStringList entryStates = entries(shown.openMenu());
        QVERIFY2(entryStates.filter(QStringLiteral(":on")).isEmpty(), qPrintable(entryStates.join(QLatin1Char(','))));
    }

    void submenuEntries()
    {
        ShownGrid shown;
        shown.grid.org.absenceReason(QStringLiteral("Очень длинное название причины отсутствия на работе"),
                                     QStringLiteral("ДЛ"));
        shown.select({"ivanov:2"});
        const QList<QAction*> actions = shown.openMenu()->actions();
        QCOMPARE(entries(actions.at(0)->menu()),
                 (QStringList{"Д Врач:on", "ДЛ Очень длинное название причины отсутс...:on", "ОТ Отпуск:on"}));
        QCOMPARE(actions.at(0)->menu()->actions().at(1)->toolTip(),
                 QStringLiteral("ДЛ Очень длинное название причины отсутствия на работе"));
        QCOMPARE(entries(actions.at(1)->menu()), (QStringList{"<Не задан>:on", "Пятидневка:on", "Сутки:on"}));
        QCOMPARE(entries(actions.at(3)->menu()),
                 (QStringList{"Выходной:on", "Ночь (22:00-06:00):on", "Утро (08:00-14:00):on"}));
    }

    void shiftAppliesToSelectedDays_data()
    {
        QTest::addColumn<bool>("dayOff");
        QTest::addColumn<QString>("shown");
        QTest::addRow("morning shift") << false << "08:00-14:00";
        QTest::addRow("day off") << true << "В";
    }

    void shiftAppliesToSelectedDays()
    {
        QFETCH(bool, dayOff);
        QFETCH(QString, shown);
        ShownGrid grid;
        grid.select({"ivanov:0", "ivanov:2", "petrov:8"});
        grid.view.shiftActionTriggered(actionWithData(&grid.view, dayOff ? 0 : grid.grid.morning));
        QCOMPARE(grid.text("ivanov:2"), shown);
        QCOMPARE(grid.text("petrov:8"), shown);
        QCOMPARE(grid.text("ivanov:3"), QStringLiteral("08:00-17:00"));
    }

    void scheduleRecord_data()
    {
        QTest::addColumn<QStringList>("cells");
        QTest::addColumn<bool>("fromDate");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<QString>("day23");
        QTest::addRow("for the selected dates")
            << QStringList{"ivanov:8", "ivanov:9"} << false << Fixture::july(9) << "08:00-17:00";
        QTest::addRow("from the selected date") << QStringList{"ivanov:8"} << true << QDate() << "В";
        QTest::addRow("two employees change nothing")
            << QStringList{"ivanov:8", "petrov:8"} << false << QDate() << "08:00-17:00";
    }

    void scheduleRecord()
    {
        QFETCH(QStringList, cells);
        QFETCH(bool, fromDate);
        QFETCH(QDate, to);
        QFETCH(QString, day23);
        ShownGrid shown;
        Fixture& grid = shown.grid;
        shown.select(cells);
        QAction* action = actionWithData(&shown.view, grid.fullDays);
        fromDate ? shown.view.scheduleFromActionTriggered(action) : shown.view.scheduleActionTriggered(action);

        const bool applied = !cells.last().startsWith(QLatin1String("petrov"));
        const QList<_WORKER_SCHEDULE_HISTORY_RECORD_V2> records = grid.model.objectScheduleHistory(grid.ivanov).records;
        const auto added = std::find_if(records.cbegin(), records.cend(), [&grid](const auto& record) {
            return record.schedule == TYPE_ID(grid.fullDays);
        });
        QCOMPARE(added != records.cend(), applied);
        if (applied) {
            QCOMPARE(added->from, Fixture::july(8));
            QCOMPARE(added->to, to);
            QCOMPARE(added->date, Fixture::july(8));
            QCOMPARE(added->state, 1);
        }
        QCOMPARE(grid.model.hasChanges(grid.ivanov), applied);
        QCOMPARE(shown.text("ivanov:23"), day23);
    }

    void undoAsksFirst_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addRow("yes drops the changes") << int(QMessageBox::Yes);
        QTest::addRow("no keeps them") << int(QMessageBox::No);
    }

    void undoAsksFirst()
    {
        QFETCH(int, answer);
        ShownGrid shown;
        Fixture& grid = shown.grid;
        grid.model.setShiftForDate(grid.ivanov, Fixture::july(2), grid.morning);
        grid.model.setShiftForDate(grid.petrov, Fixture::july(8), grid.morning);
        shown.select({"ivanov:0"});
        whenModal([answer](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            QVERIFY(box);
            QCOMPARE(box->windowTitle(), QStringLiteral("Отмена изменений"));
            QCOMPARE(box->text(), QStringLiteral("Изменения по выделенным сотрудникам будут потеряны. Продолжить?"));
            QCOMPARE(box->defaultButton(), box->button(QMessageBox::No));
            box->button(QMessageBox::StandardButton(answer))->click();
        });
        shown.view.undoActionTriggered();
        const bool changesKept = answer == QMessageBox::No;
        QCOMPARE(grid.model.hasChanges(grid.ivanov), changesKept);
        QCOMPARE(shown.text("ivanov:2"), changesKept ? QStringLiteral("08:00-14:00") : QStringLiteral("08:00-17:00"));
        QVERIFY(grid.model.hasChanges(grid.petrov));
    }

    // One day opens the day dialog; several days go through the range dialog, locked ones staying as they are.
    void propertiesOpenTheDayOrTheRange()
    {
        ShownGrid shown;
        Fixture& grid = shown.grid;
        QSignalSpy dayDialog(&shown.view, &WorkTimeTableView::showDayEditDialog);
        shown.select({"ivanov:2"});
        shown.view.propertyActionTriggered();
        QCOMPARE(dayDialog.count(), 1);

        QVERIFY(grid.model.setData(grid.model.index(grid.model.objectIdToRow(grid.petrov),
                                                    grid.model.dateToColumn(Fixture::july(9))),
                                   Fixture::interval(Fixture::seconds(22), Fixture::seconds(6)), Model::IntervalRole));
        shown.select({"ivanov:2", "petrov:9", "sidorov:16"});
        QTime shownStart;
        QTime shownFinish;
        whenModal([&shownStart, &shownFinish](QWidget* modal) {
            auto* dialog = qobject_cast<WorkTimeRangeDialog*>(modal);
            QVERIFY(dialog);
            shownStart = dialog->start();
            shownFinish = dialog->finish();
            dialog->setStart(QTime(9, 0));
            dialog->setFinish(QTime(18, 0));
            dialog->accept();
        });
        shown.view.propertyActionTriggered();
        QCOMPARE(dayDialog.count(), 1);
        QCOMPARE(shownStart, QTime(8, 0));
        QCOMPARE(shownFinish, QTime(6, 0));
        QCOMPARE(shown.text("ivanov:2"), QStringLiteral("09:00-18:00"));
        QCOMPARE(shown.text("petrov:9"), QStringLiteral("09:00-18:00"));
        QCOMPARE(shown.text("sidorov:16"), QStringLiteral("К"));
    }

    void absenceReasonForTheSelection()
    {
        ShownGrid shown;
        Fixture& grid = shown.grid;
        _ROLE_DATE_RESTRICTIONS restrictions;
        restrictions.mode = _ROLE_DATE_RESTRICTIONS::FixedDates;
        restrictions.to = Fixture::july(9);
        AuthData::setAbsenceReasonsRestrictions(restrictions);
        shown.select({"ivanov:8", "ivanov:12", "petrov:10"});
        _WORKER_ABSENCE_REASON_RECORD offered;
        whenModal([&offered](QWidget* modal) {
            auto* dialog = qobject_cast<WorkerAbsenceReasonDialog*>(modal);
            QVERIFY(dialog);
            offered = dialog->workerReason();
            dialog->accept();
        });
        shown.view.absenceReasonActionTriggered(actionWithData(&shown.view, grid.vacation));
        QCOMPARE(offered.reason, grid.vacation);
        QCOMPARE(offered.start, QDateTime(Fixture::july(8), QTime(0, 0)));
        QCOMPARE(offered.end, QDateTime(Fixture::july(9), QTime(23, 59, 59)));
        for (TYPE_ID uid : {grid.ivanov, grid.petrov}) {
            QCOMPARE(grid.model.objectAbsenceReasons(uid).records.size(), 1);
            QCOMPARE(grid.model.objectAbsenceReasons(uid).records.first().reason, grid.vacation);
        }
        QCOMPARE(shown.text("ivanov:9"), QStringLiteral("-"));
    }

    void tripSignals_data()
    {
        QTest::addColumn<bool>("attach");
        QTest::addColumn<QStringList>("cells");
        QTest::addRow("attach one employee") << true << QStringList{"ivanov:8", "ivanov:11"};
        QTest::addRow("detach one employee") << false << QStringList{"sidorov:15", "sidorov:16"};
        QTest::addRow("two employees send nothing") << true << QStringList{"ivanov:8", "petrov:8"};
    }

    void tripSignals()
    {
        QFETCH(bool, attach);
        QFETCH(QStringList, cells);
        ShownGrid shown;
        QSignalSpy attachSpy(&shown.view, &WorkTimeTableView::attachWorker);
        QSignalSpy detachSpy(&shown.view, &WorkTimeTableView::detachWorker);
        shown.select(cells);
        attach ? shown.view.attachWorkerTriggered() : shown.view.detachWorkerTriggered();
        QSignalSpy& spy = attach ? attachSpy : detachSpy;
        const auto who = [](const QString& cell) { return cell.section(QLatin1Char(':'), 0, 0); };
        const int emitted = who(cells.first()) == who(cells.last());
        QCOMPARE(spy.count(), emitted);
        QCOMPARE(attachSpy.count() + detachSpy.count(), emitted);
        if (emitted == 0)
            return;
        const auto day = [](const QString& cell) { return Fixture::july(cell.section(QLatin1Char(':'), 1).toInt()); };
        QCOMPARE(spy.first().at(0).toUInt(), shown.grid.byName(who(cells.first())));
        QCOMPARE(spy.first().at(1).toDate(), day(cells.first()));
        QCOMPARE(spy.first().at(2).toDate(), day(cells.last()));
    }

    void gridKeys_data()
    {
        QTest::addColumn<QString>("cell");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("shown");
        QTest::addRow("enter opens the day") << "ivanov:2" << int(Qt::Key_Return) << "08:00-17:00";
        QTest::addRow("delete makes a day off") << "ivanov:2" << int(Qt::Key_Delete) << "В";
        QTest::addRow("delete leaves a locked day") << "sidorov:16" << int(Qt::Key_Delete) << "К";
        QTest::addRow("menu key opens the menu") << "ivanov:2" << int(Qt::Key_Menu) << "08:00-17:00";
    }

    void gridKeys()
    {
        QFETCH(QString, cell);
        QFETCH(int, key);
        QFETCH(QString, shown);
        ShownGrid grid;
        QSignalSpy dayDialog(&grid.view, &WorkTimeTableView::showDayEditDialog);
        grid.select({cell});
        if (key == Qt::Key_Menu)
            expectPopup();
        QTest::keyClick(&grid.view, Qt::Key(key));
        QCOMPARE(dayDialog.count(), int(key == Qt::Key_Return));
        QCOMPARE(grid.text(cell), shown);
        QCOMPARE(grid.view.findChild<QMenu*>(QString(), Qt::FindDirectChildrenOnly) != nullptr, key == Qt::Key_Menu);
    }

    // Over another model the grid neither decorates its header nor offers a menu.
    void wrongModelIsRefused()
    {
        AuthData::setRoles(allRoles);
        QStandardItemModel model(2, 8);
        model.setHorizontalHeaderLabels({"0", "1", "2", "3", "4", "5", "день"});
        const QRegularExpression wrongModel(QStringLiteral("wrong model"));
        SectionPainter header;
        header.setModel(&model);
        RecordingPaintDevice device;
        ovtest::ignoreMessage(QtWarningMsg, wrongModel);
        header.paintOn(device, 6);
        QCOMPARE(device.engine.texts.size(), 1);
        QCOMPARE(device.engine.texts.first().text, QStringLiteral("день"));

        WorkTimeTableView view;
        view.setModel(&model);
        view.selectionModel()->select(model.index(0, 6), QItemSelectionModel::Select);
        ovtest::ignoreMessage(QtWarningMsg, wrongModel);
        ovtest::ignoreMessage(QtWarningMsg, wrongModel);
        view.showContextMenu(QPoint(5, 5));
        QVERIFY(!view.findChild<QMenu*>(QString(), Qt::FindDirectChildrenOnly));
    }
};

OV_TEST_WIDGETS_MAIN(tst_WorkTimeTableView)
#include "tst_worktimetableview.moc"
