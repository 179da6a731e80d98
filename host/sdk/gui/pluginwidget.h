#pragma once

#include "ovsdkgui_export.h"
#include "plugintab.h"

#include <QList>
#include <QMainWindow>

/// The main window a plug-in gives the host; talks to the host through signals.
class OVSDKGUI_EXPORT PluginWidget : public QMainWindow
{
    Q_OBJECT
public:
    enum PopupLevel { PopupInformation = 0, PopupCritical = 1 };

    explicit PluginWidget(QWidget* parent = nullptr);
    ~PluginWidget() override;

    /// Asks the host to enable or disable the ribbon tab index.
    void requestTabEnabled(int index, bool enabled);
    /// Non-blocking pop-ups; timeout in milliseconds, 0 for the host's default.
    void showPopupCriticalMessage(const QString& text, int timeout = 0);
    void showPopupInformationMessage(const QString& text, int timeout = 0);

    virtual bool canShow() const;
    virtual QString defaultHelpContext() const;
    virtual void activated();
    virtual void onTabActivated(int index);
    virtual QList<PLUGIN_TAB> tabList() const;
    /// Asked before the host closes; false keeps the host open (the plug-in may close it later
    /// itself, e.g. once its unsaved work is saved).
    virtual bool canClose();

public slots:
    virtual void insertedToInterface();

signals:
    void tabEnabledRequested(int index, bool enabled);
    void popupRequested(int level, const QString& text, int timeout);
};
