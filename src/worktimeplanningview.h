#pragma once

#include "objectinfo.h"
#include "ovplugininterface.h"
#include "pluginwidget.h"
#include "taskinfo.h"
#include "workerschedulehistory.h"
#include "worktimeplanningloader.h"
#include "worktimereportcontroller.h"

#include <QDate>
#include <QHash>
#include <QHostAddress>
#include <QMessageBox>
#include <QPointer>

#include <functional>
#include <memory>

class AttachWorkerRegister;
class BreakRuleRegister;
class HiddenPanel;
class OVStackedToolBars;
class QProgressBar;
class QTimer;
class SearchWidget;
class Ui_WorkTimePlanningView;
class WorkTimePlanningModel;
class WorkTimePlanningProxy;
class WorkTimePlanApproval;
class WorkTimeStatisticWidget;
class WorkTimeDepartmentChooser;
class WorkTimeTaskRunner;

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
    /// Asks the planner a question with the given buttons; the button chosen.
    using Question = std::function<QMessageBox::StandardButton(QWidget* parent, const QString& title,
                                                               const QString& text, QMessageBox::StandardButtons buttons)>;

    using ReportAction = WorkTimeReportController::ReportAction;

    explicit WorkTimePlanningView(QWidget* parent = nullptr);
    ~WorkTimePlanningView() override;

    // PluginWidget
    bool canShow() const override;
    void onTabActivated(int index) override;
    QList<PLUGIN_TAB> tabList() const override;
    /// With unsaved changes asks whether to save them; saving closes the host once it succeeded.
    bool canClose() override;
    /// Reopens the last applied filter; on the first start opens the filter on the current month.
    void activated() override;

    // OVPluginInterface
    QList<CommandType> init(OVServerInterface* server, const QString& name) override;
    QString pluginName() const override;
    int pluginVersion() const override;
    QString pluginBuild() const override;
    QWidget* widget() override;

    QString clientIdentifier() const { return clientId; }
    /// Replaces where init reads the machine's network addresses (tests).
    static void setAddressSource(AddressSource source);

    /// Replaces the question boxes of the screen (tests).
    void setQuestion(Question question);
    /// True while requests of a load are outstanding.
    bool isLoading() const { return loader && loader->isLoading(); }
    QString currentPlanningBalanceQueryId() const
    {
        return loader ? loader->currentPlanningBalanceQueryId() : QString();
    }
    WorkTimeReportController* reports() const { return reportController; }
    orvanta::TYPE_ID reportIdByName(const QString& name) const { return reportController->reportIdByName(name); }
    QString nextPlanningBalanceQueryId() const { return WorkTimePlanningLoader::nextPlanningBalanceQueryId(); }

public slots:
    void insertedToInterface() override;
    void saveWorkTime();
    void confirmWorkTime();
    void cancelWorkTime();
    void clearWorkTime();
    /// Queues a write; the register dialogs and wizards hand their tasks over here.
    void addTask(const orvanta::TaskInfo& task);
    void skipCurrentTask();
    // The planning report lives in its controller; the view keeps the names the actions call.
    void printReport() { reportController->printReport(); }
    void previewReport() { reportController->previewReport(); }
    void exportReport() { reportController->exportReport(); }
    void createReportAsync(orvanta::TYPE_ID reportId, ReportAction action)
    {
        reportController->createReportAsync(reportId, action);
    }
    void sendGetReportStatus() { reportController->sendGetReportStatus(); }
    void showReportWaitDialog(const QString& title) { reportController->showReportWaitDialog(title); }
    void closeReportWaitDialog() { reportController->closeReportWaitDialog(); }
    void reloadEmployeeDataDelayed(const QList<unsigned int>& uids)
    {
        if (loader)
            loader->reloadEmployeeDataDelayed(uids);
    }

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
    void startSearch();
    void editWorkTimeDay();
    void showFilterDialog();
    void restoreSettings();
    void saveSettings();
    void applyFilter(const QDate& start, const QDate& finish, const QList<orvanta::TYPE_ID>& dep_uids,
                     const QStringList& dep_names);
    void reloadEmployeeData() { loader->reloadEmployeeData(); }
    void localDataChanged(const QString& dataname, const QList<unsigned int>& uids);
    void localDataRemoved(const QString& dataname, const QList<unsigned int>& uids);
    void localScheduleChanged(const QList<unsigned int>& uids);
    void localScheduleBeforeRemoved(const QList<unsigned int>& uids);
    void localScheduleRemoved(const QList<unsigned int>& uids);
    void initBreakRulesModels();
    void initBreakRulePanel();
    void updateBreakRulesEnables();
    void updateBreakRulesInfo();
    void addBreakRule();
    void editBreakRule();
    void removeBreakRule();
    void initAttachWorkerModels();
    void initAttachWorkerPanel();
    void updateAttachWorkerEnables();
    void updateAttachWorkerInfo();
    void addAttachWorker();
    void editAttachWorker();
    void removeAttachWorker();
    void showAttachWorkerWizard(orvanta::TYPE_ID uid, const QDate& start, const QDate& finish);
    void showDetachWorkerWizard(orvanta::TYPE_ID uid, const QDate& start, const QDate& finish);

private:
    void initWidgetContents();
    void followPanelCollapse(HiddenPanel* panel, QWidget* container);
    void initWorktimeModels();
    void initStatisticPanel();
    void initPluginActions();
    void reportAsyncReceived(Command& command)
    {
        // Registered at init, before the window and its controller exist.
        if (reportController)
            reportController->reportAsyncReceived(command);
    }
    void reportReceived(Command& reply) { reportController->reportReceived(reply); }
    void reportAsyncStatusReceived(Command& reply) { reportController->reportAsyncStatusReceived(reply); }
    void initReports();
    void dbresultAsyncResult(Command& command);
    int currentToolBarIndex() const;

    void initLoading();
    void initSaving();
    void saveCompleted();
    bool ask(const QString& title, const QString& text);
    QMessageBox::StandardButton ask(const QString& title, const QString& text, QMessageBox::StandardButtons buttons);
    bool askDiscardChanges();
    void resetGridView();
    void showLoadingBar(bool loading);
    void placeLoadingBar();

    // The loading road lives in the loader; the view keeps its names for the saving code to call.
    void sendGetScheduleHistory(const QList<unsigned int>& ids) { loader->sendGetScheduleHistory(ids); }
    void sendGetAbsenceReasons(const QList<unsigned int>& ids) { loader->sendGetAbsenceReasons(ids); }
    void sendGetEmployeeNormTime(const QDate& start, const QDate& finish, const QList<unsigned int>& ids)
    {
        loader->sendGetEmployeeNormTime(start, finish, ids);
    }
    void sendGetEmployeeSyncTime(const QDate& start, const QDate& finish, const QList<unsigned int>& ids)
    {
        loader->sendGetEmployeeSyncTime(start, finish, ids);
    }
    void sendGetSalesPlan(const QDate& start, const QDate& finish, const QList<unsigned int>& departmentIds)
    {
        loader->sendGetSalesPlan(start, finish, departmentIds);
    }
    void sendGetHoursBudget(const QDate& start, const QDate& finish, const QList<unsigned int>& departmentIds)
    {
        loader->sendGetHoursBudget(start, finish, departmentIds);
    }
    void sendGetFullOrgstructure() { loader->sendGetFullOrgstructure(); }
    void sendGetScheduleCalendar(const QList<int>& ids, const QDate& start, const QDate& finish)
    {
        loader->sendGetScheduleCalendar(ids, start, finish);
    }
    void sendGetPlanningBalanceAsync(const QDate& from, const QDate& to, const QList<orvanta::TYPE_ID>& workers)
    {
        loader->sendGetPlanningBalanceAsync(from, to, workers);
    }
    void scheduleHistoryRead(Command& reply) { loader->scheduleHistoryRead(reply); }
    void absenceReasonRead(Command& reply) { loader->absenceReasonRead(reply); }
    void calendarDaysReadResult(Command& reply) { loader->calendarDaysReadResult(reply); }
    void employeeNormTimeRead(Command& reply) { loader->employeeNormTimeRead(reply); }
    void employeeSyncTimeRead(Command& reply) { loader->employeeSyncTimeRead(reply); }
    void salesPlanRead(Command& reply) { loader->salesPlanRead(reply); }
    void hoursBudgetRead(Command& reply) { loader->hoursBudgetRead(reply); }
    void orgstructureRead(Command& reply) { loader->orgstructureRead(reply); }
    void unpackPlanningBalance(const QList<DbResult>& results) { loader->unpackPlanningBalance(results); }
    QList<int> calendarScheduleIds(const QHash<unsigned int, orvanta::WORKER_SCHEDULE_HISTORY_V2>& histories) const
    {
        return loader->calendarScheduleIds(histories);
    }
    bool eventFilter(QObject* watched, QEvent* event) override;

    Ui_WorkTimePlanningView* ui = nullptr;
    QString clientId;
    /// Owned here; the loader holding it too is a child, deleted later but never sending then.
    std::unique_ptr<ov5sdk::Data> dataService;
    QStringList departmentNames;
    WorkTimePlanningModel* model = nullptr;
    WorkTimePlanningProxy* proxy = nullptr;
    WorkTimeStatisticWidget* statisticWidget = nullptr;
    WorkTimeDepartmentChooser* departmentChooser = nullptr;

    QTimer* reportStatusTimer = nullptr;
    QTimer* totalsTimer = nullptr;
    QTimer* attachInfoTimer = nullptr;

    WorkTimePlanningLoader* loader = nullptr;
    Question question;
    QProgressBar* loadingBar = nullptr;

    WorkTimeTaskRunner* taskRunner = nullptr;
    BreakRuleRegister* breakRules = nullptr;
    AttachWorkerRegister* attachWorkers = nullptr;
    WorkTimePlanApproval* approval = nullptr;
    WorkTimeReportController* reportController = nullptr;
    /// The planner chose to save on closing: close once the save has gone through.
    bool closeAfterSave = false;

    QPointer<QWidget> toolBarContainer;
    QPointer<OVStackedToolBars> toolBars;
    QPointer<SearchWidget> nameSearchWidget;
};
