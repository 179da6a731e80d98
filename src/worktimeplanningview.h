#pragma once

#include "ovplugininterface.h"
#include "pluginwidget.h"

#include <QHostAddress>
#include <QPointer>

#include <functional>

class HiddenPanel;
class OVStackedToolBars;
class QTimer;
class SearchWidget;
class Ui_WorkTimePlanningView;
class WorkTimePlanningModel;
class WorkTimePlanningProxy;

namespace ov5sdk {
class Data;
}

/// The work-time planning screen: the plug-in object the host loads, and the window
/// with the work-time, break-rule and attached-worker pages.
class WorkTimePlanningView : public PluginWidget, public OVPluginInterface
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "wtplanningview")
    Q_INTERFACES(OVPluginInterface)

public:
    using AddressSource = std::function<QList<QHostAddress>()>;

    explicit WorkTimePlanningView(QWidget* parent = nullptr);
    ~WorkTimePlanningView() override;

    // PluginWidget
    bool canShow() const override;
    void onTabActivated(int index) override;
    QList<PLUGIN_TAB> tabList() const override;

    // OVPluginInterface
    QList<CommandType> init(OVServerInterface* server, const QString& name) override;
    QString pluginName() const override;
    int pluginVersion() const override;
    QString pluginBuild() const override;
    QWidget* widget() override;

    QString clientIdentifier() const { return clientId; }
    /// Replaces where init reads the machine's network addresses (tests).
    static void setAddressSource(AddressSource source);

public slots:
    void insertedToInterface() override;

signals:
    /// The totals were recalculated from the grid model.
    void workTimeTotalsUpdated();

private slots:
    void ribbonTabActivated();
    void updateWorkTimeEnables();
    void updateWorkTimeStatictics();
    void updateWorkTimeTotalsLazy();
    void updateWorkTimeTotals();
    void updateAttachWorkerInfoDelayed();
    void restoreSettings();
    void startSearch();

private:
    void initWidgetContents();
    void followPanelCollapse(HiddenPanel* panel, QWidget* container);
    void initWorktimeModels();
    void initStatisticPanel();
    void initPluginActions();
    void reportAsyncReceived(Command& command);
    void dbresultAsyncResult(Command& command);
    int currentToolBarIndex() const;

    Ui_WorkTimePlanningView* ui = nullptr;
    QString clientId;
    ov5sdk::Data* dataService = nullptr;
    QStringList departmentNames;
    WorkTimePlanningModel* model = nullptr;
    WorkTimePlanningProxy* proxy = nullptr;

    QTimer* reportStatusTimer = nullptr;
    QTimer* totalsTimer = nullptr;
    QTimer* attachInfoTimer = nullptr;
    QTimer* reloadTimer = nullptr;

    QPointer<QWidget> toolBarContainer;
    QPointer<OVStackedToolBars> toolBars;
    QPointer<SearchWidget> nameSearchWidget;
};
