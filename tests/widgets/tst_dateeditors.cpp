#include "fatalwarnings.h"
#include "ovdateedit.h"
#include "ovtimeedit.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QLineEdit>
#include <QTest>

class tst_DateEditors : public QObject
{
    Q_OBJECT

private slots:
    void dateShowsRussianFormat();
    void keyboardOpensCalendar_data();
    void keyboardOpensCalendar();
    void typedDigitsFillSections_data();
    void typedDigitsFillSections();
    void timeShowsHoursAndMinutes();
};

void tst_DateEditors::dateShowsRussianFormat()
{
    OVDateEdit edit(QDate(2026, 3, 5));
    QVERIFY(edit.calendarPopup());
    QCOMPARE(edit.text(), QStringLiteral("05.03.2026"));
    QCOMPARE(edit.calendarWidget()->firstDayOfWeek(), Qt::Monday);
}

void tst_DateEditors::keyboardOpensCalendar_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<bool>("opens");

    QTest::addRow("F4") << int(Qt::Key_F4) << int(Qt::NoModifier) << false << true;
    QTest::addRow("Alt+Down") << int(Qt::Key_Down) << int(Qt::AltModifier) << false << true;
    QTest::addRow("Down steps the date instead") << int(Qt::Key_Down) << int(Qt::NoModifier) << false << false;
    QTest::addRow("F4 on a read-only field") << int(Qt::Key_F4) << int(Qt::NoModifier) << true << false;
}

void tst_DateEditors::keyboardOpensCalendar()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, readOnly);
    QFETCH(bool, opens);

    OVDateEdit edit(QDate(2026, 3, 5));
    edit.setReadOnly(readOnly);
    edit.show();
    QVERIFY(QTest::qWaitForWindowExposed(&edit));
    if (opens) {
        // The offscreen platform cannot raise the pop-up or give it the keyboard.
        ovtest::ignoreMessage(QtWarningMsg, "This plugin does not support raise()");
        ovtest::ignoreMessage(QtWarningMsg, "This plugin does not support grabbing the keyboard");
    }
    QTest::keyClick(&edit, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(edit.calendarWidget()->isVisible(), opens);
    if (opens) {
        // The calendar opens on the field's date, and picking a day comes back.
        QCOMPARE(edit.calendarWidget()->selectedDate(), QDate(2026, 3, 5));
        QTest::keyClick(edit.calendarWidget()->focusWidget() ? edit.calendarWidget()->focusWidget()
                                                             : edit.calendarWidget(),
                        Qt::Key_Right);
        QTest::keyClick(edit.calendarWidget()->focusWidget() ? edit.calendarWidget()->focusWidget()
                                                             : edit.calendarWidget(),
                        Qt::Key_Return);
        QTRY_COMPARE(edit.date(), QDate(2026, 3, 6));
    }
}

void tst_DateEditors::typedDigitsFillSections_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QDate>("date");

    QTest::addRow("with separators") << "17.11.2025" << QDate(2025, 11, 17);
    QTest::addRow("digits only") << "17112025" << QDate(2025, 11, 17);
    QTest::addRow("single-digit day closed by a separator") << "5.11.2025" << QDate(2025, 11, 5);
}

void tst_DateEditors::typedDigitsFillSections()
{
    QFETCH(QString, typed);
    QFETCH(QDate, date);

    OVDateEdit edit(QDate(2026, 3, 5));
    edit.show();
    QVERIFY(QTest::qWaitForWindowExposed(&edit));
    edit.setFocus(Qt::TabFocusReason);
    QTest::keyClicks(&edit, typed);
    QCOMPARE(edit.date(), date);
}

void tst_DateEditors::timeShowsHoursAndMinutes()
{
    OVTimeEdit edit(QTime(8, 30, 45));
    QCOMPARE(edit.text(), QStringLiteral("08:30"));
    edit.show();
    QVERIFY(QTest::qWaitForWindowExposed(&edit));
    edit.setFocus(Qt::TabFocusReason);
    QTest::keyClicks(&edit, QStringLiteral("14:15"));
    QCOMPARE(edit.time().hour(), 14);
    QCOMPARE(edit.time().minute(), 15);
}

OV_TEST_WIDGETS_MAIN(tst_DateEditors)
#include "tst_dateeditors.moc"
