#include "fatalwarnings.h"
#include "ovicontheme.h"
#include "planninggridfixture.h"
#include "recordingpaintdevice.h"
#include "workerabsencereasondialog.h"
#include "worktimeheaderview.h"
#include "worktimerangedialog.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace orvanta;
using Fixture = PlanningGridFixture;
using Model = WorkTimePlanningModel;

namespace {

const QStringList allRoles = ShownPlanningGrid::allRoles();

// What the offscreen platform says whenever a menu pops up.
void expectPopup()
{
    ovtest::ignoreMessage(QtWarningMsg, "This plugin does not support raise()");
    ovtest::ignoreMessage(QtWarningMsg, "This plugin does not support grabbing the keyboard");
}

QMenu* shownMenu(const ShownPlanningGrid& shown)
{
    return shown.view.findChild<QMenu*>(QString(), Qt::FindDirectChildrenOnly);
}

// The context menu of the selection, opened anew.
QMenu* openMenu(ShownPlanningGrid& shown)
{
    delete shownMenu(shown);
    expectPopup();
    shown.view.showContextMenu(QPoint(10, 10));
    return shownMenu(shown);
}

QStringList entries(const QMenu* menu)
{
    QStringList result;
    for (const QAction* action : menu->actions()) {
        if (!action->isSeparator())
            result.append(action->text() + (action->isEnabled() ? QStringLiteral(":on") : QStringLiteral(":off")));
    }
    return result;
}

// Triggers the entry at the path of texts through the submenus, as a click on it does: the menu closes first.
void trigger(QMenu* menu, const QStringList& path)
{
    QAction* found = nullptr;
    for (const QString& text : path) {
        const QList<QAction*> actions = found ? found->menu()->actions() : menu->actions();
        const auto it =
            std::find_if(actions.cbegin(), actions.cend(), [&text](QAction* action) { return action->text() == text; });
        QVERIFY2(it != actions.cend(), qPrintable(text));
        found = *it;
    }
    menu->hide();
    found->trigger();
}

// Keys go where the focus is (into the editor once the first key has opened it); QTest's key helpers take
// Latin letters only.
void typeText(const QString& text)
{
    for (const QChar& character : text) {
        for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
            QKeyEvent event(type, Qt::Key_unknown, Qt::NoModifier, QString(character));
            QApplication::sendEvent(QApplication::focusWidget(), &event);
        }
    }
}

// Menu entries as "R+ D- ...": one letter per entry (texts in menuEntries), + when enabled.
struct MenuCase { QStringList roles; QStringList cells; bool edited; QDate editableFrom; const char* expected; };
// A key or typed text on a cell: the current cell afterwards and what came of it ("editor TEXT", "day dialog",
// "menu", or else the cell's text); day -1 is the first column.
struct KeyCase { const char* cell; const char* keys; const char* current; const char* result; };

} // namespace

Q_DECLARE_METATYPE(MenuCase)
Q_DECLARE_METATYPE(KeyCase)

class tst_WorkTimeTableView : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(OVIconTheme::install());
        // The planner's locale and its font on a 1920x1080 screen.
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        QFont font = QApplication::font();
        font.setPixelSize(13);
        QApplication::setFont(font);
    }
    void cleanup() { AuthData::clear(); }

    void frozenTableKeepsInStep()
    {
        ShownPlanningGrid shown;
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

        view.resize(1000, 200);
        view.setRowHeight(1, 90);
        QCOMPARE(frozen->rowHeight(1), 90);
        view.verticalScrollBar()->setValue(40);
        QCOMPARE(frozen->verticalScrollBar()->value(), 40);

        // The overlay's header is as high as the grid's, and the overlay covers it and the viewport.
        QCOMPARE(view.frozenHorizontalHeader()->height(), view.horizontalHeader()->height());
        QCOMPARE(frozen->height(), view.viewport()->height() + view.horizontalHeader()->height());
    }

    // The compact mode shows a month of 31 days in 1880 pixels (1920 less the collapsed side panel and the scroll
    // bar) and a header with 30 rows in 930 (1080 less the window's title, tabs and tool bar); the job column is
    // left out of both tables.
    void compactModeFitsAMonth_data()
    {
        QTest::addColumn<bool>("compact");
        QTest::newRow("normal") << false;
        QTest::newRow("compact") << true;
    }

    void compactModeFitsAMonth()
    {
        QFETCH(bool, compact);
        ShownPlanningGrid shown;
        WorkTimeTableView& view = shown.view;
        view.setCompact(compact);
        QCOMPARE(view.isColumnHidden(Model::JobColumn), compact);
        QCOMPARE(view.frozenTableView()->isColumnHidden(Model::JobColumn), compact);
        int leadingWidth = 0;
        for (int column = 0; column < view.frozenColumns(); ++column)
            leadingWidth += view.isColumnHidden(column) ? 0 : view.columnWidth(column);
        QCOMPARE(view.frozenTableView()->width(), leadingWidth);
        QCOMPARE(view.frozenTableView()->rowHeight(0), view.rowHeight(0));
        const int monthWidth = leadingWidth + 31 * view.columnWidth(Model::FirstDateColumn);
        const int pageHeight = view.horizontalHeader()->sizeHint().height() + 30 * view.rowHeight(0);
        QCOMPARE(monthWidth <= 1880 && pageHeight <= 930, compact);
        // The mode survives a new load, whose reset gives the headers fresh sections.
        shown.grid.load(shown.grid.model);
        QCOMPARE(view.isColumnHidden(Model::JobColumn), compact);
        QCOMPARE(view.frozenTableView()->isColumnHidden(Model::JobColumn), compact);
    }

    // A day column the planner narrows narrows them all, stays so through a new load, and belongs to its mode.
    void plannerNarrowsTheDays()
    {
        ShownPlanningGrid shown;
        WorkTimeTableView& view = shown.view;
        const int nameWidth = view.columnWidth(Model::NameColumn);
        const auto dayWidths = [&view] {
            QSet<int> widths;
            for (int column = Model::FirstDateColumn; column < view.model()->columnCount(); ++column)
                widths.insert(view.columnWidth(column));
            return widths;
        };
        view.horizontalHeader()->resizeSection(Model::FirstDateColumn + 3, 30);
        view.resizeColumnsToContents();
        QCOMPARE(dayWidths(), QSet<int>{30});
        QCOMPARE(view.columnWidth(Model::NameColumn), nameWidth);
        view.setCompact(true);
        QVERIFY(dayWidths().size() == 1 && !dayWidths().contains(30));
        view.setCompact(false);
        QCOMPARE(dayWidths(), QSet<int>{30});
    }

    // A day section's lines, each in the longest form that fits, inside the section with the clock.
    void dayHeaderFits_data()
    {
        QTest::addColumn<bool>("compact");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("texts");
        QTest::addRow("normal") << false << 120 << "06.07.2024|суббота|0|0.00";
        QTest::addRow("narrowed") << false << 50 << "06.07|сб|0|0.00";
        QTest::addRow("compact") << true << 0 << "6 сб|0|0";
        QTest::addRow("compact, narrowed") << true << 20 << "6|0|0";
    }

    void dayHeaderFits()
    {
        QFETCH(bool, compact);
        QFETCH(int, width);
        QFETCH(QString, texts);
        struct OpenHeader : WorkTimeHeaderView
        {
            using WorkTimeHeaderView::paintSection;
            using WorkTimeHeaderView::sectionSizeFromContents;
        };
        Fixture grid;
        OpenHeader header;
        header.setModel(&grid.proxy);
        header.setCompact(compact);
        const int section = grid.model.dateToColumn(Fixture::july(6));
        const QRect rect(0, 0, width > 0 ? width : header.sectionSizeFromContents(section).width(),
                         header.sizeHint().height());
        RecordingPaintDevice device;
        QPainter painter(&device);
        header.paintSection(&painter, rect, section);
        QStringList painted;
        for (const RecordingPaintDevice::Text& text : device.engine.texts) {
            painted.append(text.text);
            QVERIFY2(QRectF(rect).contains(text.rect), qPrintable(text.text));
        }
        QCOMPARE(painted.join(QLatin1Char('|')), texts);
        for (const QRect& pixmap : device.engine.pixmaps)
            QVERIFY(rect.contains(pixmap));
    }

    void keysOnACell_data()
    {
        QTest::addColumn<KeyCase>("row");
        QTest::newRow("typing on a day opens the editor") << KeyCase{"ivanov:2", "09", "ivanov:2", "editor 09:00-00:00"};
        QTest::newRow("typing on a name searches") << KeyCase{"ivanov:0", "Сид", "sidorov:0", "Сидоров"};
        QTest::newRow("typing on a locked day neither edits nor searches") << KeyCase{"petrov:2", "Сид", "petrov:2", "-"};
        QTest::newRow("enter opens the day") << KeyCase{"ivanov:2", "Return", "ivanov:2", "day dialog"};
        QTest::newRow("delete makes a day off") << KeyCase{"ivanov:2", "Delete", "ivanov:2", "В"};
        QTest::newRow("delete leaves a locked day") << KeyCase{"sidorov:16", "Delete", "sidorov:16", "К"};
        QTest::newRow("menu key opens the menu") << KeyCase{"ivanov:2", "Menu", "ivanov:2", "menu"};
        QTest::newRow("home scrolls back to the first column") << KeyCase{"ivanov:20", "Home", "ivanov:-1", ""};
        QTest::newRow("left past the frozen block") << KeyCase{"ivanov:20", "Left", "ivanov:19", "08:00-17:00"};
        QTest::newRow("end") << KeyCase{"ivanov:20", "End", "ivanov:31", "08:00-17:00"};
    }

    void keysOnACell()
    {
        QFETCH(KeyCase, row);
        ShownPlanningGrid shown;
        WorkTimeTableView& view = shown.view;
        QVERIFY(QTest::qWaitForWindowActive(&view));
        QSignalSpy dayDialog(&view, &WorkTimeTableView::showDayEditDialog);
        shown.select({row.cell});
        view.setFocus();
        // A day starts at the left edge of the frozen block.
        const int frozenWidth = view.frozenTableView()->width();
        if (view.currentIndex().column() >= Model::FirstDateColumn)
            view.horizontalScrollBar()->setValue(view.horizontalScrollBar()->value()
                                                 + view.visualRect(view.currentIndex()).left() - frozenWidth);
        const QHash<QString, Qt::Key> keys{{"Return", Qt::Key_Return}, {"Delete", Qt::Key_Delete},
                                           {"Menu", Qt::Key_Menu},     {"Home", Qt::Key_Home},
                                           {"Left", Qt::Key_Left},     {"End", Qt::Key_End}};
        if (QLatin1String(row.keys) == QLatin1String("Menu"))
            expectPopup();
        if (keys.contains(QLatin1String(row.keys)))
            QTest::keyClick(&view, keys.value(QLatin1String(row.keys)));
        else
            typeText(QString::fromUtf8(row.keys));
        const auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        const QString result = editor ? QStringLiteral("editor ") + editor->displayText()
            : !dayDialog.isEmpty()    ? QStringLiteral("day dialog")
            : shownMenu(shown)        ? QStringLiteral("menu")
                                      : shown.text(QLatin1String(row.current));
        QCOMPARE(result, QString::fromUtf8(row.result));
        QCOMPARE(view.currentIndex(), shown.at(QLatin1String(row.current)));
        // The current day is never left under the frozen block or past the edge.
        const QRect cell = view.visualRect(view.currentIndex());
        if (view.currentIndex().column() >= Model::FirstDateColumn)
            QVERIFY(cell.left() >= frozenWidth && cell.right() < view.viewport()->width());
        else if (!view.currentIndex().column())
            QCOMPARE(view.horizontalScrollBar()->value(), 0);
    }

    void menuEntries_data()
    {
        QTest::addColumn<MenuCase>("row");
        const QStringList editOnly{allRoles.at(0), allRoles.at(1)};
        const QStringList one{"ivanov:2"};
        QTest::newRow("leading cells only")
            << MenuCase{allRoles, {"ivanov:0"}, false, {}, "R- D- F- S- C+ V+ Z- Y- U- P-"};
        QTest::newRow("one day") << MenuCase{allRoles, one, false, {}, "R+ D+ F+ S+ C+ V+ Z- Y- U- A+ P+"};
        QTest::newRow("two days of one employee")
            << MenuCase{allRoles, {"ivanov:8", "ivanov:9"}, false, {}, "R+ D+ S+ C+ V+ Z- Y- U- A+ P+"};
        QTest::newRow("personal schedule") << MenuCase{allRoles, {"pavlov:2"}, false, {}, "R+ S+ C+ V+ Z- Y- U- A+ P+"};
        QTest::newRow("two employees")
            << MenuCase{allRoles, {"ivanov:2", "petrov:8"}, false, {}, "R+ S+ C+ V+ Z- Y- U- P+"};
        QTest::newRow("day of a trip elsewhere")
            << MenuCase{allRoles, {"sidorov:16"}, false, {}, "R- D- F- S- C+ V+ Z- Y- U- X+ P-"};
        QTest::newRow("attached worker")
            << MenuCase{allRoles, {"gostev:12"}, false, {}, "R+ D+ F+ S+ C+ V+ Z- Y- U- P+"};
        // The edit is kept in a personal schedule to be created: no schedule menus any more.
        QTest::newRow("changed employee") << MenuCase{allRoles, one, true, {}, "R+ S+ C+ V+ Z+ Y- U+ A+ P+"};
        QTest::newRow("days before the editable dates")
            << MenuCase{allRoles, {"ivanov:8", "ivanov:12"}, false, Fixture::july(10), "R- D- S- C+ V+ Z- Y- U- A- P-"};
        QTest::newRow("without trip rights") << MenuCase{editOnly, one, false, {}, "R+ D+ F+ S+ C+ V+ Z- Y- U- A- P+"};
        QTest::newRow("without the edit right")
            << MenuCase{{allRoles.at(0)}, one, false, {}, "R- D- F- S- C+ V+ Z- Y- U- A- P-"};
    }

    void menuEntries()
    {
        QFETCH(MenuCase, row);
        const QHash<char, QString> texts{{'R', "Причина отсутствия"},
                                          {'D', "Задать график работы на выбранную дату"},
                                          {'F', "Задать график работы с выбранной даты"},
                                          {'S', "Выбрать смену"},
                                          {'C', "Копировать"}, {'V', "Вставить"},
                                          {'Z', "Отменить действие"}, {'Y', "Повторить действие"},
                                          {'U', "Отменить изменения"},
                                          {'A', "Запланировать внутреннюю командировку"},
                                          {'X', "Удалить внутреннюю командировку"},
                                          {'P', "Свойства"}};
        QStringList expected;
        for (const QString& code : QString::fromLatin1(row.expected).split(QLatin1Char(' ')))
            expected.append(texts.value(code.at(0).toLatin1()) + (code.endsWith(QLatin1Char('+')) ? ":on" : ":off"));
        ShownPlanningGrid shown;
        AuthData::setRoles(row.roles);
        _ROLE_DATE_RESTRICTIONS restrictions;
        restrictions.mode = row.editableFrom.isValid() ? _ROLE_DATE_RESTRICTIONS::FixedDates : restrictions.mode;
        restrictions.from = row.editableFrom;
        AuthData::setWorkTimePlanningRestrictions(restrictions);
        if (row.edited)
            shown.grid.model.setShiftForDate(shown.grid.ivanov, Fixture::july(2), shown.grid.morning);
        shown.select(row.cells);
        QMenu* menu = openMenu(shown);
        QCOMPARE(entries(menu), expected);
        // Without the edit right the whole menu is refused, not only its entries.
        QCOMPARE(menu->isEnabled(), row.roles.contains(allRoles.at(1)));
    }

    // A command of the menu on the selection and the answer to the dialog it opens; then what the dialog offered or
    // what the grid asked its window for (the day's dialog, a trip), and cells as "who:day=text". Petrov works the
    // morning shift on 8 July and the night one on the 9th, Sidorov the morning one on the 2nd, unsaved. Days of the
    // "Сутки" schedule show as days off; absence reasons may be set up to 9 July only.
    void menuCommands_data()
    {
        QTest::addColumn<QStringList>("cells");
        QTest::addColumn<QStringList>("entry");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("outcome");
        const QStringList properties{"Свойства"};
        QTest::addRow("shift for the selected days")
            << QStringList{"ivanov:0", "ivanov:2", "sidorov:8"} << QStringList{"Выбрать смену", "Утро (08:00-14:00)"}
            << "" << "ivanov:2=08:00-14:00 ivanov:3=08:00-17:00 sidorov:8=08:00-14:00";
        QTest::addRow("schedule for the selected dates")
            << QStringList{"ivanov:10", "ivanov:11"} << QStringList{"Задать график работы на выбранную дату", "Сутки"}
            << "" << "ivanov:9=08:00-17:00 ivanov:10=В ivanov:11=В ivanov:12=08:00-17:00";
        QTest::addRow("schedule from the selected date")
            << QStringList{"ivanov:10"} << QStringList{"Задать график работы с выбранной даты", "Сутки"} << ""
            << "ivanov:9=08:00-17:00 ivanov:10=В ivanov:12=В ivanov:31=В";
        QTest::addRow("absence reason for every employee, as far as allowed")
            << QStringList{"ivanov:8", "ivanov:12", "petrov:10"} << QStringList{"Причина отсутствия", "ОТ Отпуск"}
            << "OK"
            << "reason 08.07 00:00-09.07 23:59:59 ivanov:7=В ivanov:8=- ivanov:9=- ivanov:10=08:00-17:00 petrov:8=-";
        QTest::addRow("undo, answered yes") << QStringList{"petrov:0"} << QStringList{"Отменить изменения"} << "Yes"
                                            << "asked, no by default petrov:8=08:00-17:00 sidorov:2=08:00-14:00";
        QTest::addRow("undo, answered no") << QStringList{"petrov:0"} << QStringList{"Отменить изменения"} << "No"
                                           << "asked, no by default petrov:8=08:00-14:00";
        QTest::addRow("trip planned") << QStringList{"ivanov:8", "ivanov:11"}
                                      << QStringList{"Запланировать внутреннюю командировку"} << ""
                                      << "attach Иванов 08.07-11.07";
        QTest::addRow("trip removed") << QStringList{"sidorov:15", "sidorov:16"}
                                      << QStringList{"Удалить внутреннюю командировку"} << ""
                                      << "detach Сидоров 15.07-16.07";
        QTest::addRow("properties of one day") << QStringList{"ivanov:2"} << properties << ""
                                               << "day dialog ivanov:2=08:00-17:00";
        // The earliest start and the latest finish are offered, here the night shift's next morning.
        QTest::addRow("properties of several days: one range, locked days left")
            << QStringList{"ivanov:2", "petrov:9", "sidorov:16"} << properties << "09:00 18:00"
            << "range 08:00-06:00 ivanov:2=09:00-18:00 petrov:9=09:00-18:00 sidorov:16=К";
    }

    void menuCommands()
    {
        QFETCH(QStringList, cells);
        QFETCH(QStringList, entry);
        QFETCH(QString, answer);
        QFETCH(QString, outcome);
        ShownPlanningGrid shown;
        Fixture& grid = shown.grid;
        grid.model.setShiftForDate(grid.petrov, Fixture::july(8), grid.morning);
        grid.model.setShiftForDate(grid.petrov, Fixture::july(9), grid.night);
        grid.model.setShiftForDate(grid.sidorov, Fixture::july(2), grid.morning);
        _ROLE_DATE_RESTRICTIONS restrictions;
        restrictions.mode = _ROLE_DATE_RESTRICTIONS::FixedDates;
        restrictions.to = Fixture::july(9);
        AuthData::setAbsenceReasonsRestrictions(restrictions);
        QSignalSpy dayDialog(&shown.view, &WorkTimeTableView::showDayEditDialog);
        QSignalSpy attach(&shown.view, &WorkTimeTableView::attachWorker);
        QSignalSpy detach(&shown.view, &WorkTimeTableView::detachWorker);
        QStringList result;
        if (!answer.isEmpty()) {
            // The next modal dialog, once it is shown.
            QTimer::singleShot(0, [&answer, &result]() {
                QWidget* modal = QApplication::activeModalWidget();
                QVERIFY(modal);
                if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                    const bool noByDefault = box->defaultButton() == box->button(QMessageBox::No);
                    result.append(noByDefault ? "asked, no by default" : "asked");
                    box->button(answer == QLatin1String("Yes") ? QMessageBox::Yes : QMessageBox::No)->click();
                } else if (auto* range = qobject_cast<WorkTimeRangeDialog*>(modal)) {
                    result.append("range " + range->start().toString("hh:mm-") + range->finish().toString("hh:mm"));
                    // The start has the focus; Tab goes on to the finish, Enter is the dialog's OK.
                    QTest::keyClicks(QApplication::focusWidget(), answer.section(QLatin1Char(' '), 0, 0));
                    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                    QTest::keyClicks(QApplication::focusWidget(), answer.section(QLatin1Char(' '), 1));
                    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
                } else {
                    const auto offered = qobject_cast<WorkerAbsenceReasonDialog*>(modal)->workerReason();
                    result.append("reason " + offered.start.toString("dd.MM hh:mm-")
                                  + offered.end.toString("dd.MM hh:mm:ss"));
                    qobject_cast<QDialog*>(modal)->accept();
                }
            });
        }
        shown.select(cells);
        trigger(openMenu(shown), entry);
        if (!dayDialog.isEmpty())
            result.append(QStringLiteral("day dialog"));
        for (QSignalSpy* trips : {&attach, &detach}) {
            for (const QList<QVariant>& sent : qAsConst(*trips))
                result.append((trips == &attach ? "attach " : "detach ")
                              + grid.cell(sent.at(0).toUInt(), 0).data().toString()
                              + sent.at(1).toDate().toString(" dd.MM-") + sent.at(2).toDate().toString("dd.MM"));
        }
        for (const QString& cell : outcome.split(QLatin1Char(' ')).filter(QStringLiteral("="))) {
            const QString who = cell.section(QLatin1Char('='), 0, 0);
            result.append(who + QLatin1Char('=') + shown.text(who));
        }
        QCOMPARE(result.join(QLatin1Char(' ')), outcome);
    }
};

OV_TEST_WIDGETS_MAIN(tst_WorkTimeTableView)
#include "tst_worktimetableview.moc"
