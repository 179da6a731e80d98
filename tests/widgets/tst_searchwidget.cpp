#include "fatalwarnings.h"
#include "searchwidget.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

class tst_SearchWidget : public QObject
{
    Q_OBJECT

private slots:
    void burstOfTypingSearchesOnceAfterPause()
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
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toString(), QStringLiteral("ivan"));
    }

    void keySearchesAtOnce_data()
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

    void keySearchesAtOnce()
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
};

OV_TEST_WIDGETS_MAIN(tst_SearchWidget)
#include "tst_searchwidget.moc"
