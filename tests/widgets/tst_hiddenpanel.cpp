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
    void collapseGivesSpaceToSplitterNeighbour()
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
        QVERIFY(title->isVisible());
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

OV_TEST_WIDGETS_MAIN(tst_HiddenPanel)
#include "tst_hiddenpanel.moc"
