#include "pluginloader.h"

#include "hostlogging.h"
#include "ovplugininterface.h"
#include "pluginwidget.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonObject>

QString PluginLoader::defaultPluginDir()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("plugins"));
}

QString PluginLoader::pluginPath(const QString& dir, const QString& name)
{
    return QDir(dir).filePath(QStringLiteral("lib%1.so").arg(name));
}

bool PluginLoader::load(const QString& path)
{
    m_plugin = nullptr;
    m_widget = nullptr;
    m_error.clear();
    if (!QFileInfo::exists(path))
        return fail(QCoreApplication::translate("PluginLoader", "Модуль не найден: %1").arg(path));

    m_loader.setFileName(path);
    const QJsonObject metaData = m_loader.metaData();
    if (metaData.isEmpty())
        return fail(QCoreApplication::translate("PluginLoader", "Файл %1 не является модулем Qt: %2")
                        .arg(path, m_loader.errorString()));

    QObject* instance = m_loader.instance();
    if (!instance)
        return fail(QCoreApplication::translate("PluginLoader", "Не удалось загрузить модуль %1: %2")
                        .arg(path, m_loader.errorString()));

    m_plugin = qobject_cast<OVPluginInterface*>(instance);
    m_widget = qobject_cast<PluginWidget*>(instance);
    if (!m_plugin || !m_widget) {
        m_plugin = nullptr;
        m_widget = nullptr;
        return fail(QCoreApplication::translate("PluginLoader", "Модуль %1 не является модулем планировщика").arg(path));
    }
    qCDebug(lcHost) << Q_FUNC_INFO << "loaded" << path << m_plugin->pluginName() << m_plugin->pluginBuild();
    return true;
}

bool PluginLoader::fail(const QString& message)
{
    m_error = message;
    qCWarning(lcHost).noquote() << Q_FUNC_INFO << "plugin not loaded:" << message;
    return false;
}
