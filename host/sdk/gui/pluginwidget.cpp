#include "pluginwidget.h"

PluginWidget::PluginWidget(QWidget* parent) : QMainWindow(parent) {}

PluginWidget::~PluginWidget() = default;

void PluginWidget::requestTabEnabled(int index, bool enabled)
{
    emit tabEnabledRequested(index, enabled);
}

void PluginWidget::showPopupCriticalMessage(const QString& text, int timeout)
{
    emit popupRequested(PopupCritical, text, timeout);
}

void PluginWidget::showPopupInformationMessage(const QString& text, int timeout)
{
    emit popupRequested(PopupInformation, text, timeout);
}

bool PluginWidget::canShow() const
{
    return true;
}

bool PluginWidget::canClose()
{
    return true;
}

QString PluginWidget::defaultHelpContext() const
{
    return QString();
}

void PluginWidget::activated() {}

void PluginWidget::onTabActivated(int) {}

QList<PLUGIN_TAB> PluginWidget::tabList() const
{
    return {};
}

void PluginWidget::insertedToInterface() {}
