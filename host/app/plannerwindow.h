#pragma once

#include <QList>
#include <QMainWindow>
#include <QPointer>

class NotificationPopup;
class OVPluginInterface;
class PluginWidget;
class QLabel;
class QTabBar;

/// The planner's main window: the ribbon tabs a plug-in asks for, the plug-in's
/// window under them, and the pop-up notifications over it.
class PlannerWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit PlannerWindow(QWidget* parent = nullptr);

    /// Embeds the plug-in's widget and builds the ribbon from its tab list. A plug-in
    /// that may not be shown to this user gets a message instead of its widget.
    void setPlugin(OVPluginInterface* plugin, PluginWidget* widget);
    void setUserName(const QString& name);
    /// Shows the window where the planner left it last time, then tells the plug-in it is in front of
    /// the planner (PluginWidget::activated).
    void showRestored();

    QTabBar* ribbon() const { return m_ribbon; }
    QList<NotificationPopup*> notifications() const;

public slots:
    void showNotification(int level, const QString& text, int timeout);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void rebuildRibbon();
    void onRibbonTabChanged(int position);
    void setRibbonTabEnabled(int pluginTabIndex, bool enabled);
    void layoutNotifications();
    int positionOfTab(int pluginTabIndex) const;

    QTabBar* m_ribbon = nullptr;
    QLabel* m_userLabel = nullptr;
    QPointer<PluginWidget> m_pluginWidget;
    OVPluginInterface* m_plugin = nullptr;
    QList<QPointer<NotificationPopup>> m_notifications;
    bool m_rebuilding = false;
};
