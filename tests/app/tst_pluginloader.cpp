#include "fatalwarnings.h"
#include "ovplugininterface.h"
#include "pluginloader.h"
#include "pluginwidget.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

class tst_PluginLoader : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void loadsThePlanningPlugin()
    {
        PluginLoader loader;
        QVERIFY2(loader.load(QStringLiteral(PLANNING_PLUGIN_PATH)), qPrintable(loader.errorString()));
        QCOMPARE(loader.plugin()->pluginName(), QStringLiteral("wtplanningview"));
        QCOMPARE(static_cast<QObject*>(loader.pluginWidget()), loader.plugin()->object());
    }

    void refusesWhatIsNotThePlugin_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("message");
        QFile fake(PluginLoader::pluginPath(m_dir.path(), QStringLiteral("wtplanningview")));
        QVERIFY(fake.open(QIODevice::WriteOnly) && fake.write("not a library") > 0);
        QTest::addRow("missing file") << "/nonexistent/libwtplanningview.so" << "Модуль не найден";
        QTest::addRow("text file named like the plug-in") << fake.fileName() << "не является модулем Qt";
        QTest::addRow("library without plug-in metadata") << NON_PLUGIN_LIBRARY_PATH << "не является модулем Qt";
        QTest::addRow("plug-in of another application") << FOREIGN_PLUGIN_PATH << "не является модулем планировщика";
    }

    void refusesWhatIsNotThePlugin()
    {
        QFETCH(QString, path);
        QFETCH(QString, message);
        PluginLoader loader;
        ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("plugin not loaded")));
        QVERIFY(!loader.load(path));
        QVERIFY2(loader.errorString().contains(message) && loader.errorString().contains(path),
                 qPrintable(loader.errorString()));
        QVERIFY(!loader.plugin() && !loader.pluginWidget());
    }
};

OV_TEST_WIDGETS_MAIN(tst_PluginLoader)
#include "tst_pluginloader.moc"
