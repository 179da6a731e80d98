#include "fatalwarnings.h"
#include "ovplugininterface.h"
#include "pluginloader.h"
#include "pluginwidget.h"

#include <QApplication>
#include <QJsonObject>
#include <QPluginLoader>
#include <QTemporaryDir>
#include <QTest>

class tst_PluginLoader : public QObject
{
    Q_OBJECT

private slots:
    void loadsThePlanningPlugin()
    {
        PluginLoader loader;
        QVERIFY2(loader.load(QStringLiteral(PLANNING_PLUGIN_PATH)), qPrintable(loader.errorString()));
        QVERIFY(loader.plugin());
        QCOMPARE(loader.plugin()->pluginName(), QStringLiteral("wtplanningview"));
        QCOMPARE(static_cast<QObject*>(loader.pluginWidget()), loader.plugin()->object());
    }

    void metadataNamesTheModule()
    {
        QPluginLoader loader(QStringLiteral(PLANNING_PLUGIN_PATH));
        const QJsonObject metaData = loader.metaData();
        QCOMPARE(metaData.value(QStringLiteral("IID")).toString(), QStringLiteral("wtplanningview"));
        QCOMPARE(metaData.value(QStringLiteral("className")).toString(), QStringLiteral("WorkTimePlanningView"));
        QVERIFY(metaData.value(QStringLiteral("MetaData")).toObject().isEmpty());
    }

    void instanceIsSingle()
    {
        QPluginLoader loader(QStringLiteral(PLANNING_PLUGIN_PATH));
        QObject* first = loader.instance();
        QVERIFY(first);
        QCOMPARE(loader.instance(), first);
        QCOMPARE(QPluginLoader(QStringLiteral(PLANNING_PLUGIN_PATH)).instance(), first);
        QVERIFY(!first->parent());
    }

    void refusesWhatIsNotThePlugin_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("message");
        QTest::addRow("missing file") << QStringLiteral("/nonexistent/libwtplanningview.so")
                                      << QStringLiteral("Модуль не найден");
        QTest::addRow("library without plug-in metadata") << QStringLiteral(NON_PLUGIN_LIBRARY_PATH)
                                                          << QStringLiteral("не является модулем Qt");
        QTest::addRow("plug-in of another application") << QStringLiteral(FOREIGN_PLUGIN_PATH)
                                                        << QStringLiteral("не является модулем планировщика");
    }

    void refusesWhatIsNotThePlugin()
    {
        QFETCH(QString, path);
        QFETCH(QString, message);
        PluginLoader loader;
        ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("plugin not loaded")));
        QVERIFY(!loader.load(path));
        QVERIFY2(loader.errorString().contains(message), qPrintable(loader.errorString()));
        QVERIFY(loader.errorString().contains(path));
        QVERIFY(!loader.plugin());
        QVERIFY(!loader.pluginWidget());
    }

    void refusesATextFileNamedLikeThePlugin()
    {
        QTemporaryDir dir;
        QFile fake(PluginLoader::pluginPath(dir.path(), QStringLiteral("wtplanningview")));
        QVERIFY(fake.open(QIODevice::WriteOnly));
        fake.write("not a library");
        fake.close();
        PluginLoader loader;
        ovtest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("plugin not loaded")));
        QVERIFY(!loader.load(fake.fileName()));
        QVERIFY(loader.errorString().contains(QStringLiteral("не является модулем Qt")));
    }
};

OV_TEST_WIDGETS_MAIN(tst_PluginLoader)
#include "tst_pluginloader.moc"
