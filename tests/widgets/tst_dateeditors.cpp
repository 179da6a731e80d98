#include "fatalwarnings.h"
#include "ovdateedit.h"
#include "ovtimeedit.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QTest>

#include <memory>

class tst_DateEditors : public QObject
{
    Q_OBJECT

private slots:
    void keyboardOpensCalendar_data()
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

    void keyboardOpensCalendar()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, readOnly);
        QFETCH(bool, opens);
        OVDateEdit edit(QDate(2026, 3, 5));
        QCOMPARE(edit.text(), QStringLiteral("05.03.2026"));
        QCOMPARE(edit.calendarWidget()->firstDayOfWeek(), Qt::Monday);
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
    }

    void typedDigitsFillSections_data()
    {
        QTest::addColumn<bool>("time");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addRow("date with separators") << false << "17.11.2025" << "17.11.2025";
        QTest::addRow("date digits only") << false << "17112025" << "17.11.2025";
        QTest::addRow("single-digit day closed by a separator") << false << "5.11.2025" << "05.11.2025";
        QTest::addRow("time with separator") << true << "14:15" << "14:15";
    }

    void typedDigitsFillSections()
    {
        QFETCH(bool, time);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        std::unique_ptr<QDateTimeEdit> edit;
        if (time)
            edit = std::make_unique<OVTimeEdit>(QTime(8, 30, 45));
        else
            edit = std::make_unique<OVDateEdit>(QDate(2026, 3, 5));
        edit->show();
        QVERIFY(QTest::qWaitForWindowExposed(edit.get()));
        edit->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(edit.get(), typed);
        QCOMPARE(edit->text(), shown);
    }
};

OV_TEST_WIDGETS_MAIN(tst_DateEditors)
#include "tst_dateeditors.moc"
