#include "fatalwarnings.h"
#include "ovicontheme.h"

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QSvgRenderer>
#include <QTest>

class tst_IconTheme : public QObject
{
    Q_OBJECT

private slots:
    void installsOnce()
    {
        // Registered when the shared library loads: no Q_INIT_RESOURCE anywhere.
        QVERIFY(OVIconTheme::install());
        const QStringList searchPaths = QIcon::themeSearchPaths();
        QVERIFY(OVIconTheme::install());
        QCOMPARE(QIcon::themeName(), OVIconTheme::themeName());
        QCOMPARE(QIcon::themeSearchPaths(), searchPaths);
        QCOMPARE(searchPaths.count(QStringLiteral(":/icons")), 1);
    }

    void everyIconRenders()
    {
        QVERIFY(OVIconTheme::install());
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
};

OV_TEST_WIDGETS_MAIN(tst_IconTheme)
#include "tst_icontheme.moc"
