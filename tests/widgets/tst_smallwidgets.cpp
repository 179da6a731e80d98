#include "fatalwarnings.h"
#include "hiddenpanel.h"
#include "ovactionsinserthelper.h"
#include "ovactionstoolbar.h"
#include "ovdateedit.h"
#include "ovicontheme.h"
#include "ovstackedtoolbars.h"
#include "ovtimeedit.h"
#include "progressdialog.h"
#include "searchwidget.h"
#include "timeintervaldelegate.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QSignalSpy>
#include <QSplitter>
#include <QStandardItemModel>
#include <QSvgRenderer>
#include <QTest>
#include <QTextEdit>

#include <memory>

namespace {

// One new action per letter of each group, owned by owner; '0' stands for a null action.
QList<QList<QAction*>> groups(QObject* owner, const QStringList& names)
{
    QList<QList<QAction*>> result;
    for (const QString& group : names) {
        result.append(QList<QAction*>());
        for (const QChar name : group)
            result.last().append(name == QLatin1Char('0') ? nullptr : new QAction(QString(name), owner));
    }
    return result;
}

// The bar's actions as letters, '|' for a separator.
QString layoutOf(const QWidget* toolBar)
{
    QString result;
    for (const QAction* action : toolBar->actions())
        result += action->isSeparator() ? QStringLiteral("|") : action->text();
    return result;
}

} // namespace

using DialogCall = void (*)(ProgressDialog*);
Q_DECLARE_METATYPE(DialogCall)

// The small shared widgets: date and time editors, the search field, the time-interval delegate,
// tool bars, the hidden panel, the progress dialog and the icon theme.
class tst_SmallWidgets : public QObject
{
    Q_OBJECT

private slots:
    void dateTimeKeyboard_data()
    {
        QTest::addColumn<bool>("time");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<QString>("typed"); // text, or "key " and a key sequence
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("calendarOpens");
        const auto row = [](const char* tag, const char* typed, const char* shown, bool opens = false,
                            bool readOnly = false, bool time = false) {
            QTest::newRow(tag) << time << readOnly << QString::fromLatin1(typed) << QString::fromLatin1(shown) << opens;
        };
        row("F4 opens the calendar", "key F4", "05.03.2026", true);
        row("Alt+Down opens the calendar", "key Alt+Down", "05.03.2026", true);
        row("Down steps the date instead", "key Down", "04.03.2026");
        row("F4 on a read-only field", "key F4", "05.03.2026", false, true);
        row("date with separators", "17.11.2025", "17.11.2025");
        row("date digits only", "17112025", "17.11.2025");
        row("single-digit day closed by a separator", "5.11.2025", "05.11.2025");
        row("time with separator", "14:15", "14:15", false, false, true);
        row("time digits only", "0030", "00:30", false, false, true);
    }

    void dateTimeKeyboard()
    {
        QFETCH(bool, time);
        QFETCH(bool, readOnly);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(bool, calendarOpens);
        std::unique_ptr<QDateTimeEdit> edit;
        if (time)
            edit = std::make_unique<OVTimeEdit>(QTime(8, 30, 45));
        else
            edit = std::make_unique<OVDateEdit>(QDate(2026, 3, 5));
        edit->setReadOnly(readOnly);
        edit->show();
        QVERIFY(QTest::qWaitForWindowExposed(edit.get()));
        edit->setFocus(Qt::TabFocusReason);
        if (calendarOpens) {
            // The offscreen platform cannot raise the pop-up or give it the keyboard.
            ovtest::ignoreMessage(QtWarningMsg, "This plugin does not support raise()");
            ovtest::ignoreMessage(QtWarningMsg, "This plugin does not support grabbing the keyboard");
        }
        if (typed.startsWith(QLatin1String("key ")))
            QTest::keySequence(edit.get(), QKeySequence(typed.mid(4)));
        else
            QTest::keyClicks(edit.get(), typed);
        QCOMPARE(edit->text(), shown);
        if (!time) {
            QCOMPARE(edit->calendarWidget()->isVisible(), calendarOpens);
            QCOMPARE(edit->calendarWidget()->firstDayOfWeek(), Qt::Monday);
        }
    }

    void timeInterval_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QTime>("shown"); // in the editor; invalid: not edited
        QTest::addColumn<QTime>("typed");
        QTest::addColumn<int>("written");
        const auto row = [](const char* tag, const QVariant& stored, const char* text, const QTime& shown = {},
                            const QTime& typed = {}, int written = 0) {
            QTest::newRow(tag) << stored << QString::fromUtf8(text) << shown << typed << written;
        };
        row("seconds are dropped", 5459, "01:30");
        row("negative", -1800, "-00:30");
        row("unsigned", 7200u, "02:00");
        row("text stays text", QStringLiteral("нет"), "нет");
        row("day time edited", 9 * 3600, "09:00", QTime(9, 0), QTime(17, 30), 17 * 3600 + 1800);
        row("duration past a day left alone", 25 * 3600, "25:00", QTime(1, 0), QTime(1, 0), 25 * 3600);
        row("duration past a day retyped", 25 * 3600, "25:00", QTime(1, 0), QTime(2, 0), 7200);
    }

    void timeInterval()
    {
        QFETCH(QVariant, stored);
        QFETCH(QString, text);
        QFETCH(QTime, shown);
        QFETCH(QTime, typed);
        QFETCH(int, written);
        TimeIntervalDelegate delegate;
        QCOMPARE(delegate.displayText(stored, QLocale::c()), text);
        if (!shown.isValid())
            return;
        QStandardItemModel model(1, 1);
        const QModelIndex index = model.index(0, 0);
        model.setData(index, stored, Qt::DisplayRole);
        QWidget parent;
        auto* timeEdit = qobject_cast<OVTimeEdit*>(delegate.createEditor(&parent, QStyleOptionViewItem(), index));
        QVERIFY(timeEdit);
        delegate.setEditorData(timeEdit, index);
        QCOMPARE(timeEdit->time(), shown);
        timeEdit->setTime(typed);
        delegate.setModelData(timeEdit, &model, index);
        QCOMPARE(index.data(), QVariant(written));
    }

    void searchAfterPauseInTyping()
    {
        SearchWidget widget;
        widget.show();
        QVERIFY(QTest::qWaitForWindowExposed(&widget));
        QSignalSpy spy(&widget, &SearchWidget::startSearch);
        // Four keys over more than the delay: a timer that is not restarted fires early.
        QElapsedTimer sinceLastKey;
        for (const char key : {'i', 'v', 'a', 'n'}) {
            QTest::keyClick(widget.lineEdit(), key);
            sinceLastKey.start();
            QTest::qWait(SearchWidget::SearchDelayMs / 3);
            QVERIFY(spy.isEmpty());
        }
        QVERIFY(spy.wait(SearchWidget::SearchDelayMs * 5));
        // Coarse timers may fire up to 5 % early.
        QVERIFY(sinceLastKey.elapsed() >= SearchWidget::SearchDelayMs * 9 / 10);
        QCOMPARE(QList<QVariantList>(spy), (QList<QVariantList>{{QStringLiteral("ivan")}}));
    }

    void searchKeys_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("key");
        QTest::addColumn<QStringList>("searches");
        QTest::addColumn<bool>("keyConsumed");
        // Return stops at the field: a dialog's default button must not take it.
        QTest::addRow("return") << "Иванов" << int(Qt::Key_Return) << QStringList{"Иванов"} << true;
        QTest::addRow("enter") << "Иванов" << int(Qt::Key_Enter) << QStringList{"Иванов"} << true;
        QTest::addRow("escape clears") << "Иванов" << int(Qt::Key_Escape) << QStringList{""} << true;
        // An empty field lets Escape reach the dialog, which closes.
        QTest::addRow("escape on empty field") << "" << int(Qt::Key_Escape) << QStringList() << false;
    }

    void searchKeys()
    {
        QFETCH(QString, typed);
        QFETCH(int, key);
        QFETCH(QStringList, searches);
        QFETCH(bool, keyConsumed);
        SearchWidget widget;
        widget.setText(typed);
        QSignalSpy spy(&widget, &SearchWidget::startSearch);
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(widget.lineEdit(), &press);
        QCOMPARE(press.isAccepted(), keyConsumed);
        // The delayed search of the typed text was cancelled, not just overtaken.
        QTest::qWait(SearchWidget::SearchDelayMs * 2);
        QStringList emitted;
        for (const QList<QVariant>& arguments : qAsConst(spy))
            emitted.append(arguments.at(0).toString());
        QCOMPARE(emitted, searches);
    }

    void progressDialogEnds_data()
    {
        QTest::addColumn<DialogCall>("call"); // made while the previous run's finishLater() is pending
        QTest::addColumn<QString>("outcome");
        QTest::addRow("finish later fires") << DialogCall([](ProgressDialog*) {}) << "deleted";
        QTest::addRow("title bar") << DialogCall([](ProgressDialog* dialog) { dialog->close(); }) << "deleted, rejected";
        QTest::addRow("escape, button disabled")
            << DialogCall([](ProgressDialog* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); }) << "deleted, rejected";
        QTest::addRow("close button")
            << DialogCall([](ProgressDialog* dialog) { dialog->setCloseEnabled(true); }) << "deleted, rejected";
        // A new run reusing the window must outlive the pending close.
        QTest::addRow("new animation") << DialogCall([](ProgressDialog* dialog) { dialog->startAnimation(); }) << "open";
        QTest::addRow("new range") << DialogCall([](ProgressDialog* dialog) { dialog->setRange(0, 9); }) << "open";
        QTest::addRow("close disabled") << DialogCall([](ProgressDialog* dialog) { dialog->setCloseEnabled(false); }) << "open";
    }

    void progressDialogEnds()
    {
        QFETCH(DialogCall, call);
        QWidget window;
        auto* dialog = new ProgressDialog(&window);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->show();
        QSignalSpy rejected(dialog, &QDialog::rejected);
        dialog->finishLater(50);
        call(dialog);
        // Does nothing unless the row enabled the button: it starts disabled.
        dialog->findChild<QAbstractButton*>(QStringLiteral("closeButton"))->click();
        QTest::qWait(150);
        const QString state = window.findChild<ProgressDialog*>() ? QStringLiteral("open") : QStringLiteral("deleted");
        QTEST(QString(state + QStringLiteral(", rejected").repeated(rejected.count())), "outcome");
    }

    void progressDialogBarAndLog()
    {
        ProgressDialog dialog;
        dialog.setRange(3, 5);
        for (int step = 0; step < 4; ++step)
            dialog.increase();
        dialog.setLogMessage(QStringLiteral("Смена 1 сохранена"));
        dialog.setLogMessage(QStringLiteral("Смена 2:\nошибка"));
        // Shown together at the next tick.
        QTRY_COMPARE(dialog.findChild<QProgressBar*>()->value(), 5);
        QCOMPARE(dialog.findChild<QPlainTextEdit*>()->toPlainText(), QStringLiteral("Смена 1 сохранена\nСмена 2: ошибка"));
    }

    void everyIconRenders()
    {
        // Registered when the shared library loads: no Q_INIT_RESOURCE anywhere; a second install changes nothing.
        QVERIFY(OVIconTheme::install());
        QVERIFY(OVIconTheme::install());
        QCOMPARE(QIcon::themeName(), OVIconTheme::themeName());
        QCOMPARE(QIcon::themeSearchPaths().count(QStringLiteral(":/icons")), 1);
        const QStringList names = OVIconTheme::iconNames();
        QVERIFY(names.contains(QStringLiteral("common-save")));
        for (const QString& name : names) {
            // A file the renderer half understands still draws something; catch it here.
            QVERIFY2(QSvgRenderer(QStringLiteral(":/icons/orvanta/scalable/%1.svg").arg(name)).isValid(), qPrintable(name));
            // Null when the svg icon engine plug-in is missing.
            const QImage image = QIcon::fromTheme(name).pixmap(16, 16).toImage();
            QCOMPARE(image.size(), QSize(16, 16));
            int painted = 0;
            for (int pixel = 0; pixel < 256; ++pixel)
                painted += qAlpha(image.pixel(pixel % 16, pixel / 16)) > 0;
            QVERIFY2(painted >= 25, qPrintable(QStringLiteral("%1: %2 pixels painted").arg(name).arg(painted)));
        }
    }

    void addActionGroups_data()
    {
        QTest::addColumn<QStringList>("names"); // the first group is on the bar already
        QTest::addColumn<QString>("expected");
        QTest::addRow("[a][][b]") << QStringList{"", "a", "", "b"} << "a|b";
        QTest::addRow("[][a][]") << QStringList{"", "", "a", ""} << "a";
        QTest::addRow("null actions skipped") << QStringList{"", "0a0", "0", "b"} << "a|b";
        QTest::addRow("appended after x") << QStringList{"x", "a", "b"} << "x|a|b";
        QTest::addRow("empty groups after x") << QStringList{"x", "", "0"} << "x";
    }

    void addActionGroups()
    {
        QFETCH(QStringList, names);
        QFETCH(QString, expected);
        QObject owner;
        OVActionsToolBar toolBar(QStringLiteral("toolBar"));
        toolBar.addActions(groups(&owner, {names.takeFirst()}).first());
        toolBar.addActionGroups(groups(&owner, names));
        QCOMPARE(layoutOf(&toolBar), expected);
    }

    void stackSizeFollowsCurrentPage()
    {
        QObject owner;
        QWidget window;
        auto* layout = new QHBoxLayout(&window);
        auto* stack = new OVStackedToolBars(&window);
        layout->addWidget(stack);
        layout->addStretch();
        // A null stack is refused; pages become bars in order.
        ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("null tool-bar stack")));
        OVActionsInsertHelper::fillStackedWidget(nullptr, {groups(&owner, {"a"})});
        OVActionsInsertHelper::fillStackedWidget(stack, {groups(&owner, {"a"}), groups(&owner, {"bcd", "efg", "hij"})});
        OVActionsToolBar* shortBar = stack->toolBar(0);
        OVActionsToolBar* longBar = stack->toolBar(1);
        QCOMPARE(layoutOf(shortBar) + ' ' + layoutOf(longBar), QStringLiteral("a bcd|efg|hij"));
        window.resize(1500, 60);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(shortBar->sizeHint().width() < longBar->sizeHint().width());
        QTRY_COMPARE(stack->width(), shortBar->sizeHint().width());
        stack->setCurrentIndex(1);
        QCOMPARE(stack->minimumSizeHint(), longBar->minimumSizeHint());
        QTRY_COMPARE(stack->width(), longBar->sizeHint().width());
        // Back to the short bar: the stack has to give the width back.
        stack->setCurrentIndex(0);
        QTRY_COMPARE(stack->width(), shortBar->sizeHint().width());
    }

    void collapsedPanelGivesSpaceToSplitterNeighbour()
    {
        QSplitter splitter;
        auto* table = new QTextEdit(&splitter);
        auto* panel = new HiddenPanel(&splitter);
        auto* content = new QTextEdit;
        panel->addWidget(content);
        panel->setTitle(QStringLiteral("Статистика"));
        // A minimum wider than the strip must not keep the splitter from taking the space.
        panel->setMinimumWidth(250);
        panel->setMaximumWidth(600);
        splitter.resize(800, 400);
        splitter.setSizes({500, 300});
        splitter.show();
        QVERIFY(QTest::qWaitForWindowExposed(&splitter));
        auto* title = panel->findChild<QLabel*>();
        const int tableWidthExpanded = table->width();
        QSignalSpy spy(panel, &HiddenPanel::collapsedChanged);
        panel->setCollapsed(true);
        panel->setCollapsed(true);
        // A strip is too thin for the title.
        QVERIFY(!content->isVisible() && !title->isVisible());
        QTRY_VERIFY(table->width() > tableWidthExpanded + 200);
        QTest::mouseClick(panel->findChild<QAbstractButton*>(), Qt::LeftButton);
        QCOMPARE(QList<QVariantList>(spy), (QList<QVariantList>{{true}, {false}}));
        QVERIFY(content->isVisible() && title->isVisible());
        QCOMPARE(QSize(panel->minimumWidth(), panel->maximumWidth()), QSize(250, 600));
        panel->setTitleVisible(false);
        QVERIFY(!title->isVisible());
    }
};

OV_TEST_WIDGETS_MAIN(tst_SmallWidgets)
#include "tst_smallwidgets.moc"
