#include "fatalwarnings.h"
#include "hiddenpanel.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QSignalSpy>
#include <QSplitter>
#include <QTest>
#include <QTextEdit>

class tst_HiddenPanel : public QObject
{
    Q_OBJECT

private slots:
    void collapseGivesSpaceToSplitterNeighbour();
    void titleVisibility_data();
    void titleVisibility();
};

void tst_HiddenPanel::collapseGivesSpaceToSplitterNeighbour()
{
    QSplitter splitter;
    auto* table = new QTextEdit(&splitter);
    auto* panel = new HiddenPanel(&splitter);
    auto* content = new QTextEdit;
    panel->addWidget(content);
    // A minimum wider than the strip must not keep the splitter from taking the space.
    panel->setMinimumWidth(250);
    panel->setMaximumWidth(600);
    splitter.resize(800, 400);
    splitter.setSizes({500, 300});
    splitter.show();
    QVERIFY(QTest::qWaitForWindowExposed(&splitter));
    const int tableWidthExpanded = table->width();
    QSignalSpy spy(panel, &HiddenPanel::collapsedChanged);

    panel->setCollapsed(true);
    panel->setCollapsed(true);
    QCOMPARE(spy.count(), 1);
    QVERIFY(!content->isVisible());
    QTRY_VERIFY(table->width() > tableWidthExpanded + 200);

    QTest::mouseClick(panel->findChild<QAbstractButton*>(), Qt::LeftButton);
    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy.at(1).at(0).toBool(), false);
    QVERIFY(content->isVisible());
    QCOMPARE(panel->minimumWidth(), 250);
    QCOMPARE(panel->maximumWidth(), 600);
}

void tst_HiddenPanel::titleVisibility_data()
{
    QTest::addColumn<bool>("titleVisible");
    QTest::addColumn<bool>("collapsed");
    QTest::addColumn<bool>("labelShown");

    QTest::addRow("title shown, expanded") << true << false << true;
    QTest::addRow("title hidden, expanded") << false << false << false;
    QTest::addRow("title shown, collapsed") << true << true << false;
    QTest::addRow("title hidden, collapsed") << false << true << false;
}

void tst_HiddenPanel::titleVisibility()
{
    QFETCH(bool, titleVisible);
    QFETCH(bool, collapsed);
    QFETCH(bool, labelShown);

    HiddenPanel panel;
    panel.setTitle(QStringLiteral("Статистика"));
    panel.setTitleVisible(titleVisible);
    panel.setCollapsed(!collapsed);
    panel.setCollapsed(collapsed);
    panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel));

    QCOMPARE(panel.findChild<QLabel*>()->isVisible(), labelShown);
    QVERIFY(panel.findChild<QAbstractButton*>()->isVisible());
}

OV_TEST_WIDGETS_MAIN(tst_HiddenPanel)
#include "tst_hiddenpanel.moc"
