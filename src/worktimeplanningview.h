#pragma once

#include "objectinfo.h"
#include "ovplugininterface.h"
#include "planningbalance.h"
#include "pluginwidget.h"
#include "workerschedulehistory.h"

#include <QDate>
#include <QHash>
#include <QHostAddress>
#include <QPointer>
#include <QSet>

#include <functional>

class HiddenPanel;
class DbResult;
class OVStackedToolBars;
class QProgressBar;
class QTimer;
class SearchWidget;
class Ui_WorkTimePlanningView;
class WorkTimePlanningModel;
class WorkTimePlanningProxy;
class WorkTimeStatisticWidget;

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
    /// Asks whether unsaved changes may be discarded; true means yes.
    using DiscardQuestion = std::function<bool(QWidget* parent)>;

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

    /// Replaces the question box applyFilter shows before discarding changes (tests).
    void setDiscardQuestion(DiscardQuestion question);
    /// True while requests of a load are outstanding.
    bool isLoading() const { return outstandingRequests > 0; }
    QString currentPlanningBalanceQueryId() const { return currentBalanceQueryId; }
    QString nextPlanningBalanceQueryId() const;

public slots:
    void insertedToInterface() override;
    void reloadEmployeeDataDelayed(const QList<unsigned int>& uids);

signals:
    /// The full organisation structure arrived.
    void orgstructureReceived(const orvanta::OBJECT_HASH& list);
    /// The first request of a load went out (true) or the last one was answered (false).
    void loadingChanged(bool loading);
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
    void editWorkTimeDay();
    void showFilterDialog();
    void saveSettings();
    void applyFilter(const QDate& start, const QDate& finish, const QList<orvanta::TYPE_ID>& dep_uids,
                     const QStringList& dep_names);
    void reloadEmployeeData();
    void localDataChanged(const QString& dataname, const QList<unsigned int>& uids);
    void localDataRemoved(const QString& dataname, const QList<unsigned int>& uids);
    void localScheduleChanged(const QList<unsigned int>& uids);
    void localScheduleBeforeRemoved(const QList<unsigned int>& uids);
    void localScheduleRemoved(const QList<unsigned int>& uids);

private:
    void initWidgetContents();
    void followPanelCollapse(HiddenPanel* panel, QWidget* container);
    void initWorktimeModels();
    void initStatisticPanel();
    void initPluginActions();
    void reportAsyncReceived(Command& command);
    void dbresultAsyncResult(Command& command);
    int currentToolBarIndex() const;

    void initLoading();
    bool askDiscardChanges();
    void resetGridView();
    void sendGetScheduleHistory(const QList<unsigned int>& ids);
    void sendGetAbsenceReasons(const QList<unsigned int>& ids);
    void sendGetEmployeeNormTime(const QDate& start, const QDate& finish, const QList<unsigned int>& ids);
    void sendGetEmployeeSyncTime(const QDate& start, const QDate& finish, const QList<unsigned int>& ids);
    void sendGetSalesPlan(const QDate& start, const QDate& finish, const QList<unsigned int>& departmentIds);
    void sendGetHoursBudget(const QDate& start, const QDate& finish, const QList<unsigned int>& departmentIds);
    void sendGetFullOrgstructure();
    void sendGetScheduleCalendar(const QList<int>& ids, const QDate& start, const QDate& finish);
    void sendGetPlanningBalanceAsync(const QDate& from, const QDate& to, const QList<orvanta::TYPE_ID>& workers);
    void scheduleHistoryRead(Command& reply);
    void absenceReasonRead(Command& reply);
    void calendarDaysReadResult(Command& reply);
    void employeeNormTimeRead(Command& reply);
    void employeeSyncTimeRead(Command& reply);
    void salesPlanRead(Command& reply);
    void hoursBudgetRead(Command& reply);
    void orgstructureRead(Command& reply);
    void emptyHandler(Command& reply);
    void unpackPlanningBalance(const QList<DbResult>& results);
    QList<int> calendarScheduleIds(const QHash<unsigned int, orvanta::WORKER_SCHEDULE_HISTORY_V2>& histories) const;
    void releaseWaitingReplies(QHash<unsigned int, Command>& waiting, const QList<unsigned int>& uids,
                               const char* phrase);
    void reloadPersonalScheduleOwners(const QList<unsigned int>& uids, const char* phrase);
    /// Counts an outstanding request of a load and wraps its reply handler to uncount it.
    std::function<void(Command&)> trackedReply(void (WorkTimePlanningView::*handler)(Command&));
    void beginRequest();
    void endRequest();
    void setBalanceQueryBusy(bool busy);
    void placeLoadingBar();
    bool eventFilter(QObject* watched, QEvent* event) override;

    Ui_WorkTimePlanningView* ui = nullptr;
    QString clientId;
    ov5sdk::Data* dataService = nullptr;
    QStringList departmentNames;
    WorkTimePlanningModel* model = nullptr;
    WorkTimePlanningProxy* proxy = nullptr;
    WorkTimeStatisticWidget* statisticWidget = nullptr;

    QTimer* reportStatusTimer = nullptr;
    QTimer* totalsTimer = nullptr;
    QTimer* attachInfoTimer = nullptr;
    QTimer* reloadTimer = nullptr;

    QSet<unsigned int> pendingReloadUids;
    QString currentBalanceQueryId;
    QList<orvanta::TYPE_ID> balanceEmployees;
    DiscardQuestion discardQuestion;
    int outstandingRequests = 0;
    bool balanceQueryBusy = false;
    QProgressBar* loadingBar = nullptr;

    // The task queue parks replies here until the store reports the object or schedule.
    QHash<unsigned int, Command> waitingObjects;
    QHash<unsigned int, Command> waitingSchedules;
    QPointer<QWidget> progressWindow;

    QPointer<QWidget> toolBarContainer;
    QPointer<OVStackedToolBars> toolBars;
    QPointer<SearchWidget> nameSearchWidget;
};
