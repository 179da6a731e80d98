#pragma once

#include <QPluginLoader>
#include <QString>

class OVPluginInterface;
class PluginWidget;

/// Loads a planner plug-in and checks that it is one before the host touches it.
class PluginLoader
{
public:
    /// The default plug-in folder: "plugins" next to the executable.
    static QString defaultPluginDir();
    /// The file of the named plug-in in dir ("lib<name>.so" on Linux).
    static QString pluginPath(const QString& dir, const QString& name);

    /// Loads the library at path; on failure errorString() says why, in Russian.
    bool load(const QString& path);
    QString errorString() const { return m_error; }
    OVPluginInterface* plugin() const { return m_plugin; }
    PluginWidget* pluginWidget() const { return m_widget; }

private:
    bool fail(const QString& message);

    QPluginLoader m_loader;
    OVPluginInterface* m_plugin = nullptr;
    PluginWidget* m_widget = nullptr;
    QString m_error;
};
