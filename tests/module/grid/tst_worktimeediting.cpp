#include "fatalwarnings.h"
#include "ovicontheme.h"
#include "planninggridfixture.h"
#include "worktimeeditactions.h"

#include <QAction>
#include <QClipboard>
#include <QSignalSpy>
#include <QTest>

using Model = WorkTimePlanningModel;

// Copy, paste, typing over a range, undo and redo on the shown grid, driven by the planner's keys.
class tst_WorkTimeEditing : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(OVIconTheme::install()); }
    void cleanup() { AuthData::clear(); }

    // Commands, "; " between them: "select FROM [TO]" (a rectangle, current at FROM), copy, paste, "clip TEXT",
    // "type TEXT" (then Enter), undo (Ctrl+Z), redo (Ctrl+Y), redo2 (Ctrl+Shift+Z), delete, save (as after
    // saving), "reset WHO" (the menu's drop of the employee's changes). Rows in the grid: gostev, ivanov,
    // pavlov, petrov, sidorov. Ivanov is on vacation on the 3rd and sees the doctor on the 4th and 7th.
    void edits_data()
    {
        QTest::addColumn<QString>("commands");
        QTest::addColumn<QString>("outcome");
        const QString block = "select ivanov:5; type 10:00-19:00; select ivanov:5 pavlov:7; copy; "
                              "select ivanov:15 sidorov:20; paste";
        const QString copied = "copied 10:00-19:00||Д/|| «Вставлено дней: 17, пропущено: 7» ";
        const QString range = "select ivanov:15 sidorov:16; type 09:00-18:00";
        const QString typed = "«Изменено дней: 6, пропущено: 2» ";
        QTest::addRow("2x3 copied, pasted tiled over 4x6, marks and locked days skipped")
            << block
            << "ivanov:15=10:00-19:00 ivanov:16=В ivanov:17=08:00-17:00 ivanov:18=10:00-19:00 pavlov:18=В "
               "petrov:18=10:00-19:00 sidorov:15=К sidorov:18=В " + copied + "undo:on redo:off changes:yes";
        QTest::addRow("paste and typing undone")
            << block + "; undo; undo"
            << "ivanov:5=08:00-17:00 ivanov:15=08:00-17:00 sidorov:18=08:00-17:00 " + copied
                + "undo:off redo:on changes:no";
        QTest::addRow("both redone, by either key")
            << block + "; undo; undo; redo2; redo"
            << "ivanov:5=10:00-19:00 ivanov:15=10:00-19:00 " + copied + "undo:on redo:off changes:yes";
        QTest::addRow("spreadsheet text")
            << "clip 10:00-19:00\t\r\nОТ\t11:00-20:00\r\n9.00 - 18.00\t9:00-18:00\r\n; select ivanov:3; paste"
            << "ivanov:3=- ivanov:4=Д pavlov:3=В pavlov:4=11:00-20:00 petrov:4=- «Вставлено дней: 2, пропущено: 4» "
               "undo:on redo:off changes:yes";
        QTest::addRow("typing over a range")
            << range << "ivanov:15=09:00-18:00 pavlov:16=09:00-18:00 petrov:16=09:00-18:00 sidorov:15=К " + typed
                + "undo:on redo:off changes:yes";
        QTest::addRow("typing over a range is one step")
            << range + "; undo"
            << "ivanov:15=08:00-17:00 pavlov:16=В petrov:16=08:00-17:00 " + typed + "undo:off redo:on changes:no";
        QTest::addRow("a new edit drops the redo side")
            << range + "; undo; select ivanov:8; delete"
            << "ivanov:8=В ivanov:15=08:00-17:00 " + typed + "undo:on redo:off changes:yes";
        QTest::addRow("history starts afresh after saving")
            << range + "; save; undo" << "ivanov:15=09:00-18:00 " + typed + "undo:off redo:off changes:no";
        QTest::addRow("dropping an employee's changes is undone too")
            << "select ivanov:8 ivanov:9; delete; reset ivanov; undo"
            << "ivanov:8=В ivanov:9=В undo:on redo:on changes:yes";
    }

    void edits()
    {
        QFETCH(QString, commands);
        QFETCH(QString, outcome);
        ShownPlanningGrid shown;
        shown.grid.addAbsences();
        WorkTimeTableView& view = shown.view;
        QVERIFY(QTest::qWaitForWindowActive(&view));
        QSignalSpy reports(&view, &WorkTimeTableView::editReported);
        for (const QString& command : commands.split(QStringLiteral("; "))) {
            const QString name = command.section(QLatin1Char(' '), 0, 0);
            const QString argument = command.section(QLatin1Char(' '), 1);
            if (name == "select") {
                const QModelIndex from = shown.at(argument.section(QLatin1Char(' '), 0, 0));
                const QModelIndex to = shown.at(argument.section(QLatin1Char(' '), -1));
                view.selectionModel()->select(QItemSelection(from, to), QItemSelectionModel::ClearAndSelect);
                view.selectionModel()->setCurrentIndex(from, QItemSelectionModel::NoUpdate);
            } else if (name == "clip") {
                QGuiApplication::clipboard()->setText(argument);
            } else if (name == "type") {
                for (const QChar& character : argument)
                    QTest::keyClick(QApplication::focusWidget(), character.toLatin1());
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            } else if (name == "save") {
                shown.grid.model.resetChangeFlag();
            } else if (name == "reset") {
                shown.grid.model.resetChanges({shown.grid.byName(argument)});
            } else {
                const QHash<QString, QKeySequence> keys{{"copy", QKeySequence::Copy},
                                                        {"paste", QKeySequence::Paste},
                                                        {"undo", Qt::CTRL + Qt::Key_Z},
                                                        {"redo", Qt::CTRL + Qt::Key_Y},
                                                        {"redo2", Qt::CTRL + Qt::SHIFT + Qt::Key_Z},
                                                        {"delete", Qt::Key_Delete}};
                QVERIFY2(keys.contains(name), qPrintable(name));
                QTest::keySequence(&view, keys.value(name));
            }
            // As between two keys of the planner: the edits of one turn of the event loop are one step.
            QCoreApplication::processEvents();
        }
        QStringList result;
        for (const QString& cell : outcome.split(QLatin1Char(' ')).filter(QStringLiteral("="))) {
            const QString who = cell.section(QLatin1Char('='), 0, 0);
            result.append(who + QLatin1Char('=') + shown.text(who));
        }
        if (commands.contains(QStringLiteral("copy")))
            result.append("copied " + QGuiApplication::clipboard()->text().replace('\t', '|').replace('\n', '/'));
        if (!reports.isEmpty())
            result.append("«" + reports.last().first().toString() + "»");
        const WorkTimeEditActions* actions = view.editActions();
        result.append(QStringLiteral("undo:%1 redo:%2 changes:%3")
                          .arg(actions->undoAction()->isEnabled() ? "on" : "off",
                               actions->redoAction()->isEnabled() ? "on" : "off",
                               shown.grid.model.hasChanges() ? "yes" : "no"));
        QCOMPARE(result.join(QLatin1Char(' ')), outcome);
    }
};

OV_TEST_WIDGETS_MAIN(tst_WorkTimeEditing)
#include "tst_worktimeediting.moc"
