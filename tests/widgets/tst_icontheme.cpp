#include "fatalwarnings.h"
#include "ovicontheme.h"

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QSvgRenderer>
#include <QTest>

class tst_IconTheme : public QObject
{
    Q_OBJECT

private slots:
    void installsFromLinkedResource();
    void providesNamesInUse();
    void iconRenders_data();
    void iconRenders();
};

void tst_IconTheme::installsFromLinkedResource()
{
    // Registered when the shared library loads: no Q_INIT_RESOURCE anywhere.
    QVERIFY(QFile::exists(QStringLiteral(":/icons/orvanta/index.theme")));

    QVERIFY(OVIconTheme::install());
    const QStringList searchPaths = QIcon::themeSearchPaths();
    QVERIFY(OVIconTheme::install());
    QCOMPARE(QIcon::themeName(), OVIconTheme::themeName());
    QCOMPARE(QIcon::themeSearchPaths(), searchPaths);
    QCOMPARE(searchPaths.count(QStringLiteral(":/icons")), 1);
}

void tst_IconTheme::providesNamesInUse()
{
    // Names the planning module and the shared widgets ask for.
    const QStringList inUse = {"common-save", "common-online", "common-cancel", "common-filter",
        "common-clock", "common-search", "common-warning", "action-add", "action-edit",
        "action-remove", "action-lock", "action-print", "action-preview", "action-export",
        "action-move-up", "action-move-down", "object-OT_WORKER", "object-OT_BREAK_RULE",
        "object-OT_REPORT", "object-OT_FIRM", "object-OT_DEPARTMENT", "object-OT_SCHEDULE_SHIFT",
        "object-OT_SCHEDULE", "object-OT_ATTACHED_WORKER", "wtplanningview", "dialog-information",
        "dialog-warning", "dialog-error", "window-close", "go-previous", "go-next",
        "panel-collapse", "panel-expand"};
    const QStringList provided = OVIconTheme::iconNames();
    QStringList missing;
    for (const QString& name : inUse) {
        if (!provided.contains(name))
            missing.append(name);
    }
    QCOMPARE(missing, QStringList());
}

void tst_IconTheme::iconRenders_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("size");

    const QStringList names = OVIconTheme::iconNames();
    for (const QString& name : names) {
        QTest::addRow("%s 24px", qPrintable(name)) << name << 24;
        QTest::addRow("%s 16px", qPrintable(name)) << name << 16;
    }
    // The planning grid draws the lock this small.
    QTest::addRow("action-lock 8px") << QStringLiteral("action-lock") << 8;
}

void tst_IconTheme::iconRenders()
{
    QFETCH(QString, name);
    QFETCH(int, size);
    QVERIFY(OVIconTheme::install());

    // A file the renderer half understands still draws something; catch it here.
    QSvgRenderer renderer(QStringLiteral(":/icons/orvanta/scalable/%1.svg").arg(name));
    QVERIFY(renderer.isValid());

    // Null when the svg icon engine plug-in is missing.
    const QImage image = QIcon::fromTheme(name).pixmap(size, size).toImage();
    QCOMPARE(image.size(), QSize(size, size));
    int painted = 0;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x)
            painted += qAlpha(image.pixel(x, y)) > 0;
    }
    QVERIFY2(painted >= size * size / 10, qPrintable(QStringLiteral("%1 pixels painted").arg(painted)));
}

OV_TEST_WIDGETS_MAIN(tst_IconTheme)
#include "tst_icontheme.moc"
