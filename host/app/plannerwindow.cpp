#include "plannerwindow.h"

#include "notificationpopup.h"
#include "ovplugininterface.h"
#include "pluginwidget.h"
#include "settings.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QTabBar>
#include <QVariant>
#include <QWindow>
#include <QVBoxLayout>

namespace {
constexpr int kNotificationMargin = 12;
constexpr char kGeometryKey[] = "planner/window/geometry";
}

PlannerWindow::PlannerWindow(QWidget* parent) : QMainWindow(parent)
{
    setWindowTitle(tr("Планировщик рабочего времени"));
    resize(1440, 860);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* ribbonRow = new QWidget(central);
    ribbonRow->setObjectName(QStringLiteral("ribbonRow"));
    ribbonRow->setStyleSheet(QStringLiteral("#ribbonRow { background: #F2F2F2; border-bottom: 1px solid #E2E2E2; }"));
    auto* ribbonLayout = new QHBoxLayout(ribbonRow);
    ribbonLayout->setContentsMargins(6, 4, 10, 0);
    m_ribbon = new QTabBar(ribbonRow);
    m_ribbon->setObjectName(QStringLiteral("ribbon"));
    m_ribbon->setDrawBase(false);
    m_ribbon->setExpanding(false);
    m_ribbon->setIconSize(QSize(20, 20));
    ribbonLayout->addWidget(m_ribbon);
    ribbonLayout->addStretch(1);
    m_userLabel = new QLabel(ribbonRow);
    ribbonLayout->addWidget(m_userLabel);
    layout->addWidget(ribbonRow);
    setCentralWidget(central);

    connect(m_ribbon, &QTabBar::currentChanged, this, &PlannerWindow::onRibbonTabChanged);
}

void PlannerWindow::setUserName(const QString& name)
{
    m_userLabel->setText(tr("Пользователь: %1").arg(name));
}

void PlannerWindow::setPlugin(OVPluginInterface* plugin, PluginWidget* widget)
{
    m_plugin = plugin;
    m_pluginWidget = widget;
    auto* layout = static_cast<QVBoxLayout*>(centralWidget()->layout());
    if (!plugin || !widget)
        return;
    connect(widget, &PluginWidget::tabEnabledRequested, this, &PlannerWindow::setRibbonTabEnabled);
    connect(widget, &PluginWidget::popupRequested, this, &PlannerWindow::showNotification);
    if (!widget->canShow()) {
        auto* denied = new QLabel(tr("У пользователя нет прав на просмотр планирования рабочего времени."),
                                  centralWidget());
        denied->setAlignment(Qt::AlignCenter);
        layout->addWidget(denied, 1);
        widget->hide();
        return;
    }
    // The plug-in's main window becomes an ordinary child widget of ours.
    widget->setWindowFlags(Qt::Widget);
    layout->addWidget(widget, 1);
    widget->show();
    setWindowTitle(widget->windowTitle() + QStringLiteral(" — ") + windowTitle());
    if (!widget->windowIcon().isNull())
        setWindowIcon(widget->windowIcon());
    rebuildRibbon();
}

void PlannerWindow::showRestored()
{
    // Saved by an earlier close; a screen that is gone since is handled by restoreGeometry itself.
    restoreGeometry(Settings::value(QLatin1String(kGeometryKey)).toByteArray());
    show();
    // The plug-in hears of it once the window is on the screen, where the window manager put it: a pop-up
    // it opens then is placed against the window, not against where the window was asked for.
    windowHandle()->installEventFilter(this);
}

bool PlannerWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == windowHandle() && event->type() == QEvent::Expose && windowHandle()->isExposed()) {
        windowHandle()->removeEventFilter(this);
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (m_pluginWidget && m_pluginWidget->isVisible())
                    m_pluginWidget->activated();
            },
            Qt::QueuedConnection);
    }
    return QMainWindow::eventFilter(watched, event);
}

void PlannerWindow::rebuildRibbon()
{
    m_rebuilding = true;
    while (m_ribbon->count() > 0)
        m_ribbon->removeTab(0);
    const QList<PLUGIN_TAB> tabs = m_pluginWidget ? m_pluginWidget->tabList() : QList<PLUGIN_TAB>();
    int current = -1;
    for (const PLUGIN_TAB& tab : tabs) {
        const int position = m_ribbon->addTab(tab.icon, tab.title);
        m_ribbon->setTabData(position, tab.index);
        m_ribbon->setTabEnabled(position, !tab.disabled);
        if (!tab.disabled && (current < 0 || tab.current))
            current = position;
    }
    m_rebuilding = false;
    if (current >= 0) {
        m_ribbon->setCurrentIndex(current);
        onRibbonTabChanged(current);
    }
}

void PlannerWindow::onRibbonTabChanged(int position)
{
    if (m_rebuilding || position < 0 || !m_pluginWidget)
        return;
    m_pluginWidget->onTabActivated(m_ribbon->tabData(position).toInt());
}

int PlannerWindow::positionOfTab(int pluginTabIndex) const
{
    for (int position = 0; position < m_ribbon->count(); ++position) {
        if (m_ribbon->tabData(position).toInt() == pluginTabIndex)
            return position;
    }
    return -1;
}

void PlannerWindow::setRibbonTabEnabled(int pluginTabIndex, bool enabled)
{
    const int position = positionOfTab(pluginTabIndex);
    if (position >= 0)
        m_ribbon->setTabEnabled(position, enabled);
}

void PlannerWindow::showNotification(int level, const QString& text, int timeout)
{
    const auto popupLevel = level == PluginWidget::PopupCritical ? NotificationPopup::Critical
                                                                 : NotificationPopup::Information;
    auto* popup = new NotificationPopup(popupLevel, text, timeout, this);
    connect(popup, &NotificationPopup::dismissed, this, [this] { layoutNotifications(); });
    m_notifications.append(popup);
    popup->show();
    popup->raise();
    layoutNotifications();
}

QList<NotificationPopup*> PlannerWindow::notifications() const
{
    QList<NotificationPopup*> alive;
    for (const QPointer<NotificationPopup>& popup : m_notifications) {
        if (popup && popup->isVisible())
            alive.append(popup);
    }
    return alive;
}

void PlannerWindow::layoutNotifications()
{
    // Newest at the bottom right, older ones stacked above it.
    int bottom = height() - kNotificationMargin;
    const QList<NotificationPopup*> alive = notifications();
    for (auto it = alive.crbegin(); it != alive.crend(); ++it) {
        NotificationPopup* popup = *it;
        popup->adjustSize();
        bottom -= popup->height();
        popup->move(width() - popup->width() - kNotificationMargin, bottom);
        bottom -= kNotificationMargin / 2;
    }
    m_notifications.removeAll(nullptr);
}

void PlannerWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    layoutNotifications();
}

void PlannerWindow::closeEvent(QCloseEvent* event)
{
    // The plug-in decides whether its unsaved work may go.
    if (m_pluginWidget && !m_pluginWidget->canClose()) {
        event->ignore();
        return;
    }
    Settings::setValue(QLatin1String(kGeometryKey), saveGeometry());
    QMainWindow::closeEvent(event);
}
