#include "fatalwarnings.h"
#include "repagelayout.h"
#include "reportpreviewdialog.h"
#include "reportsamples.h"
#include "repreviewview.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace {

// The sample report with just enough employees for pages pages.
QString reportOfPages(int pages)
{
    int employees = 1;
    while (REPageLayout(sampleReport(employees)).pageCount() < pages)
        employees += 5;
    while (REPageLayout(sampleReport(employees)).pageCount() > pages)
        --employees;
    return sampleReport(employees).toXML();
}

struct Key
{
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
};

} // namespace

Q_DECLARE_METATYPE(QList<Key>)

class tst_ReportPreviewDialog : public QObject
{
    Q_OBJECT

private slots:
    void pageKeys_data();
    void pageKeys();
    void zoomKeys();
    void refusedReportShowsWhy();
    void drawsOnlyVisiblePages();
};

void tst_ReportPreviewDialog::pageKeys_data()
{
    QTest::addColumn<QList<Key>>("keys");
    QTest::addColumn<QString>("indicator");

    const Qt::KeyboardModifiers none = Qt::NoModifier;
    QTest::addRow("opened") << QList<Key>() << QStringLiteral("Страница 1 из 3");
    QTest::addRow("PgDn") << QList<Key>{{Qt::Key_PageDown, none}} << QStringLiteral("Страница 2 из 3");
    QTest::addRow("PgDn past the end") << QVector<Key>(4, {Qt::Key_PageDown, none}).toList() << QStringLiteral("Страница 3 из 3");
    QTest::addRow("End") << QList<Key>{{Qt::Key_End, none}} << QStringLiteral("Страница 3 из 3");
    QTest::addRow("End, PgUp") << QList<Key>{{Qt::Key_End, none}, {Qt::Key_PageUp, none}}
                               << QStringLiteral("Страница 2 из 3");
    QTest::addRow("End, Home") << QList<Key>{{Qt::Key_End, none}, {Qt::Key_Home, none}}
                               << QStringLiteral("Страница 1 из 3");
    QTest::addRow("Ctrl+End, Ctrl+Home, PgDn")
        << QList<Key>{{Qt::Key_End, Qt::ControlModifier}, {Qt::Key_Home, Qt::ControlModifier}, {Qt::Key_PageDown, none}}
        << QStringLiteral("Страница 2 из 3");
}

void tst_ReportPreviewDialog::pageKeys()
{
    QFETCH(QList<Key>, keys);
    QFETCH(QString, indicator);

    ReportPreviewDialog dialog;
    dialog.setReportText(reportOfPages(3));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    for (const Key& key : keys)
        QTest::keyClick(&dialog, key.key, key.modifiers);
    QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("pageLabel"))->text(), indicator);
}

void tst_ReportPreviewDialog::zoomKeys()
{
    ReportPreviewDialog dialog;
    dialog.setReportText(reportOfPages(2));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* view = dialog.findChild<REPreviewView*>();
    const qreal fitted = view->zoom();
    QTest::keyClick(&dialog, Qt::Key_Plus, Qt::ControlModifier);
    QVERIFY(view->zoom() > fitted * 1.2);
    QTest::keyClick(&dialog, Qt::Key_Minus, Qt::ControlModifier);
    QTest::keyClick(&dialog, Qt::Key_Minus, Qt::ControlModifier);
    QVERIFY(view->zoom() < fitted * 0.9);
    dialog.resize(dialog.width() + 200, dialog.height());
    QTest::keyClick(&dialog, Qt::Key_0, Qt::ControlModifier);
    QVERIFY(view->zoom() > fitted);
}

void tst_ReportPreviewDialog::refusedReportShowsWhy()
{
    ReportPreviewDialog dialog;
    dialog.setReportText(reportOfPages(1));
    ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("report refused")));
    dialog.setReportText(QStringLiteral("<report version=\"1\"><body><image/></body></report>"));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QVERIFY(dialog.errorString().contains(QStringLiteral("«image»")));
    bool errorShown = false;
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        errorShown = errorShown || (label->isVisible() && label->text().contains(dialog.errorString()));
    QVERIFY(errorShown);
    QCOMPARE(dialog.pageCount(), 0);
    for (const QPushButton* button : dialog.findChildren<QPushButton*>())
        QVERIFY(!button->isEnabled());
}

void tst_ReportPreviewDialog::drawsOnlyVisiblePages()
{
    ReportPreviewDialog dialog;
    dialog.setReportText(sampleReport(2000).toXML());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QVERIFY(dialog.pageCount() > 50);
    QTest::keyClick(&dialog, Qt::Key_End);
    auto* view = dialog.findChild<REPreviewView*>();
    QTRY_VERIFY(view->renderedPageCount() >= 2);
    QVERIFY(view->renderedPageCount() <= 4);
    QCOMPARE(dialog.currentPage(), dialog.pageCount());
}

OV_TEST_WIDGETS_MAIN(tst_ReportPreviewDialog)

#include "tst_reportpreviewdialog.moc"
