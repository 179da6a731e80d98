#include "worktimeplanningview.h"

#include "ui_worktimeplanningview.h"

#include "authdata.h"
#include "clientidentity.h"
#include "data.h"
#include "dbresult.h"
#include "employeeselection.h"
#include "hoursbudget.h"
#include "localstorage.h"
#include "ovdatastream.h"
#include "salesplan.h"
#include "vocabulary.h"
#include "workernormtime.h"
#include "workersynctime.h"
#include "workerhistorypanelwidget.h"
#include "worktimefilterdialog.h"
#include "worktimeperiodwidget.h"
#include "worktimestatisticwidget.h"
#include "worktimeutils.h"
#include "hiddenpanel.h"
#include "ovactionsinserthelper.h"
#include "ovstackedtoolbars.h"
#include "rolecontainer.h"
#include "searchwidget.h"
#include "settings.h"
#include "worktimeplanningmodel.h"
#include "worktimeplanningproxy.h"
#include "worktimedayeditdialog.h"
#include "worktimeemptyhint.h"
#include "worktimeheaderview.h"
#include "worktimeitemdelegate.h"
#include "worktimetableview.h"
#include "worktimetotalwidget.h"
#include "wtplanninglogging.h"

#include <QAbstractItemView>
#include <QAction>
#include <QEvent>
#include <QLocale>
#include <QMessageBox>
#include <QProgressBar>
#include <QDateTime>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHostInfo>
#include <QNetworkInterface>
#include <QSortFilterProxyModel>
#include <QTimer>

using orvanta::LocalStorage;
using wtplanningview::RoleContainer;

namespace {

constexpr int kPluginVersion = 1;
constexpr int kPageWorktime = 0;
constexpr int kPageDinner = 1;
constexpr int kPageAttached = 2;
constexpr int kLoadingBarHeight = 4;
// The server still runs the query; its rows come in a later result.
constexpr qint32 kStatusPending = 14;

constexpr char kPeriodKey[] = "wtplanningview/periodpanel/period";
constexpr char kStartKey[] = "wtplanningview/periodpanel/start";
constexpr char kFinishKey[] = "wtplanningview/periodpanel/finish";
constexpr char kCheckedKey[] = "wtplanningview/employeepanel/checked";

constexpr char kBalanceQueryTag[] = "planning_balance_query";
constexpr char kBalanceSql[] = "SELECT worker_id,   SUM(norm_time) AS norm_time,   SUM(plan_time) AS plan_time "
                               "FROM get_planning_balance(:start, :finish, :workers::BIGINT[]) GROUP BY worker_id;";

int balanceQueryCounter = 0;

// Reads one container of a reply payload; a truncated or corrupt one reads as empty.
template<typename T>
T readPayload(QDataStream& stream, const char* function)
{
    T value;
    stream >> value;
    if (stream.status() == QDataStream::Ok)
        return value;
    qCWarning(lcWtPlanning) << function << "malformed payload";
    return T();
}

WorkTimePlanningView::AddressSource& addressSource()
{
    static WorkTimePlanningView::AddressSource source = [] { return QNetworkInterface::allAddresses(); };
    return source;
}

} // namespace

WorkTimePlanningView::WorkTimePlanningView(QWidget* parent)
    : PluginWidget(parent), ui(new Ui_WorkTimePlanningView)
{
    setWindowTitle(tr("Планирование"));
    setWindowIcon(QIcon::fromTheme(QStringLiteral("object-OT_REPORT")));
}

WorkTimePlanningView::~WorkTimePlanningView()
{
    delete ui;
}

void WorkTimePlanningView::setAddressSource(AddressSource source)
{
    addressSource() = source ? std::move(source) : [] { return QNetworkInterface::allAddresses(); };
}

QList<CommandType> WorkTimePlanningView::init(OVServerInterface* server, const QString& name)
{
    const QString suffix = Settings::value(QStringLiteral("wtplanning/id"), QStringLiteral("1")).toString();
    const QString host = ClientIdentity::hostPart(addressSource()(), QHostInfo::localHostName());
    clientId = ClientIdentity::build(pluginName(), suffix, host, QDateTime::currentSecsSinceEpoch());

    QList<CommandType> commands = OVPluginInterface::init(server, name);

    const CommandType reportResult{1, QStringLiteral("report_async_result:%1").arg(clientId)};
    commands.append(reportResult);
    registerCommandHandler(reportResult, [this](Command& command) { reportAsyncReceived(command); });

    const CommandType queryResult{1, QStringLiteral("datamanager.async_result:%1").arg(clientId)};
    commands.append(queryResult);
    registerCommandHandler(queryResult, [this](Command& command) { dbresultAsyncResult(command); });

    qCDebug(lcWtPlanning) << Q_FUNC_INFO << "client id" << clientId;
    return commands;
}

QString WorkTimePlanningView::pluginName() const
{
    return QStringLiteral("wtplanningview");
}

int WorkTimePlanningView::pluginVersion() const
{
    return kPluginVersion;
}

QString WorkTimePlanningView::pluginBuild() const
{
    return QStringLiteral("%1.%2").arg(pluginVersion() >> 16).arg(QStringLiteral(WTPLANNINGVIEW_BUILD_STAMP));
}

QWidget* WorkTimePlanningView::widget()
{
    return this;
}

bool WorkTimePlanningView::canShow() const
{
    return RoleContainer::canShow();
}

QList<PLUGIN_TAB> WorkTimePlanningView::tabList() const
{
    const int current = currentToolBarIndex();
    const auto tab = [current](const QString& title, const char* icon, int index, bool enabled) {
        PLUGIN_TAB result;
        result.title = title;
        result.icon = QIcon::fromTheme(QLatin1String(icon));
        result.index = index;
        result.current = current == index;
        result.disabled = !enabled;
        return result;
    };
    return {tab(tr("Рабочие графики"), "wtplanningview", kPageWorktime, RoleContainer::canShowWorkTime()),
            tab(tr("Время обеда"), "object-OT_BREAK_RULE", kPageDinner, RoleContainer::canShowBreakRule()),
            tab(tr("Внутренние командировки"), "object-OT_WORKER", kPageAttached,
                RoleContainer::canShowAttachWorker())};
}

void WorkTimePlanningView::onTabActivated(int index)
{
    if (toolBars)
        toolBars->setCurrentIndex(index);
    ribbonTabActivated();
}

void WorkTimePlanningView::insertedToInterface()
{
    qCDebug(lcWtPlanning) << Q_FUNC_INFO << "inserted";
    dataService = new ov5sdk::Data(this, AuthData::sessionId());
    initWidgetContents();
}

void WorkTimePlanningView::initWidgetContents()
{
    ui->setupUi(this);

    const auto singleShot = [this](const char* name, int interval) {
        auto* timer = new QTimer(this);
        timer->setObjectName(QLatin1String(name));
        timer->setSingleShot(true);
        timer->setInterval(interval);
        return timer;
    };
    reportStatusTimer = singleShot("reportStatusTimer", 1000);
    totalsTimer = singleShot("totalsTimer", 500);
    attachInfoTimer = singleShot("attachInfoTimer", 500);
    reloadTimer = singleShot("reloadTimer", 1000);
    connect(totalsTimer, &QTimer::timeout, this, &WorkTimePlanningView::updateWorkTimeTotals);

    ui->worktimeSearchWidget->hide();
    ui->breakRuleSearchWidget->hide();
    ui->attachedSearchWidget->hide();
    followPanelCollapse(ui->staticticPanel, ui->worktimeFilterPanel);
    followPanelCollapse(ui->dinnerPropertyPanel, ui->dinnerFilterPanel);
    followPanelCollapse(ui->attachedPropertyPanel, ui->attachedFilterPanel);

    initWorktimeModels();
    initStatisticPanel();
    initPluginActions();
    initLoading();

    updateWorkTimeEnables();
    updateAttachWorkerInfoDelayed();
    ribbonTabActivated();

    // Runs once control is back in the event loop, after the host has placed the widget.
    QMetaObject::invokeMethod(this, "restoreSettings", Qt::QueuedConnection);
}

void WorkTimePlanningView::followPanelCollapse(HiddenPanel* panel, QWidget* container)
{
    // The container's minimum width would otherwise keep the splitter space of a collapsed panel.
    const int expandedMinimumWidth = container->minimumWidth();
    connect(panel, &HiddenPanel::collapsedChanged, container, [container, expandedMinimumWidth](bool collapsed) {
        container->setMinimumWidth(collapsed ? 0 : expandedMinimumWidth);
        container->setMaximumWidth(collapsed ? container->sizeHint().width() : QWIDGETSIZE_MAX);
    });
}

void WorkTimePlanningView::initWorktimeModels()
{
    model = new WorkTimePlanningModel(this);
    model->setObjectName(QStringLiteral("worktimeModel"));
    proxy = new WorkTimePlanningProxy(this);
    proxy->setObjectName(QStringLiteral("worktimeProxy"));
    proxy->setSourceModel(model);
    ui->worktimeView->setModel(proxy);
    ui->worktimeView->setItemDelegate(new WorkTimeItemDelegate(ui->worktimeView));
    ui->worktimeView->sortByColumn(WorkTimePlanningModel::NameColumn, Qt::AscendingOrder);
    // Before the first load the header captions alone decide the widths; the default cuts them off.
    ui->worktimeView->resizeColumnsToContents();

    auto* emptyHint = new WorkTimeEmptyHint(tr("Выберите период и подразделения: нажмите F5 или «Фильтр»"),
                                            ui->worktimeView, model);
    emptyHint->setObjectName(QStringLiteral("emptyHint"));

    connect(model, &WorkTimePlanningModel::dataChanged, this, &WorkTimePlanningView::updateWorkTimeEnables);
    connect(model, &WorkTimePlanningModel::workTimeEdited, this, &WorkTimePlanningView::updateWorkTimeStatictics);
    connect(model, &WorkTimePlanningModel::workTimeEdited, this, &WorkTimePlanningView::updateWorkTimeTotalsLazy);
    connect(ui->worktimeView, &WorkTimeTableView::doubleClicked, this, &WorkTimePlanningView::editWorkTimeDay);
    connect(ui->worktimeView, &WorkTimeTableView::showDayEditDialog, this, &WorkTimePlanningView::editWorkTimeDay);
}

void WorkTimePlanningView::editWorkTimeDay()
{
    const QModelIndex current = ui->worktimeView->currentIndex();
    if (current.row() < 0 || current.column() < 0 || !current.model())
        return;
    const QDate date = model->columnToDate(proxy->mapToSource(current).column());
    if (!date.isValid())
        return;
    const auto employee = orvanta::TYPE_ID(current.data(WorkTimePlanningModel::UidRole).toLongLong());
    const QString name = current.sibling(current.row(), WorkTimePlanningModel::NameColumn).data().toString();
    const bool editable = RoleContainer::canEditWorkTime() && model->isDateEditable(employee, date);
    qCDebug(lcWtPlanning) << Q_FUNC_INFO << "edit day" << employee << date << editable;

    auto* dialog = new WorkTimeDayEditDialog(this);
    dialog->setObjectName(QStringLiteral("dayEditDialog"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setModal(true);
    dialog->setReadOnly(!editable);
    dialog->setWindowTitle(QStringLiteral("%1 - %2").arg(QLocale().toString(date, QLocale::ShortFormat), name));
    // The dialog writes its copy of the row back to the model itself, on OK only.
    dialog->setData(model, employee, date);
    dialog->show();
}

void WorkTimePlanningView::initStatisticPanel()
{
    ui->staticticPanel->setTitle(tr("Свойства"));
    ui->staticticPanel->setTitleVisible(false);
    statisticWidget = new WorkTimeStatisticWidget(this);
    statisticWidget->setObjectName(QStringLiteral("statisticWidget"));
    connect(statisticWidget, &WorkTimeStatisticWidget::dateChanged, this,
            &WorkTimePlanningView::updateWorkTimeStatictics);
    ui->staticticPanel->addWidget(statisticWidget);
}

void WorkTimePlanningView::initPluginActions()
{
    toolBarContainer = new QWidget(this);
    auto* layout = new QHBoxLayout(toolBarContainer);
    layout->setSpacing(0);
    layout->setContentsMargins(0, 0, 0, 0);

    toolBars = new OVStackedToolBars(toolBarContainer);
    toolBars->setObjectName(QStringLiteral("toolBars"));
    layout->addWidget(toolBars);
    OVActionsInsertHelper::fillStackedWidget(
        toolBars, {{{ui->actionFilter},
                    {ui->actionSave, ui->actionCancel, ui->actionConfirm},
                    {ui->actionPrint, ui->actionPreview, ui->actionExport}},
                   {{ui->actionFilter}, {ui->actionAddBreakRule, ui->actionEditBreakRule, ui->actionDelBreakRule}},
                   {{ui->actionFilter}, {ui->actionAddAttached, ui->actionEditAttached, ui->actionDelAttached}}});

    nameSearchWidget = new SearchWidget(toolBarContainer);
    nameSearchWidget->setObjectName(QStringLiteral("nameSearchWidget"));
    nameSearchWidget->setMaximumWidth(400);
    nameSearchWidget->setPlaceholderText(tr("Фильтр по наименованию"));
    nameSearchWidget->setAdvancedButtonVisible(false);
    connect(nameSearchWidget, &SearchWidget::startSearch, this, &WorkTimePlanningView::startSearch);
    layout->addWidget(nameSearchWidget);

    ui->mainToolBar->addWidget(toolBarContainer);

    requestTabEnabled(kPageWorktime, RoleContainer::canShowWorkTime());
    requestTabEnabled(kPageDinner, RoleContainer::canShowBreakRule());
    requestTabEnabled(kPageAttached, RoleContainer::canShowAttachWorker());
}

int WorkTimePlanningView::currentToolBarIndex() const
{
    return toolBars ? toolBars->currentIndex() : kPageWorktime;
}

void WorkTimePlanningView::ribbonTabActivated()
{
    const int index = currentToolBarIndex();
    QWidget* pages[] = {ui->pageWorktime, ui->pageDinner, ui->pageAttached};
    if (index >= kPageWorktime && index <= kPageAttached && pages[index])
        ui->stackedWidget->setCurrentWidget(pages[index]);
    if (nameSearchWidget)
        nameSearchWidget->setVisible(index == kPageAttached);
    // Arrow keys and typing go straight to the grid; F5 still reaches the filter as a window shortcut.
    if (index == kPageWorktime)
        ui->worktimeView->setFocus();
}

void WorkTimePlanningView::startSearch()
{
    if (ui->stackedWidget->currentWidget() != ui->pageAttached || !nameSearchWidget)
        return;
    // The attached-worker page filters through the proxy installed on its view.
    if (auto* proxy = qobject_cast<QSortFilterProxyModel*>(ui->attachedView->model()))
        proxy->setFilterFixedString(nameSearchWidget->text());
}

void WorkTimePlanningView::updateWorkTimeEnables()
{
    const bool changes = model->hasChanges();
    const bool data = model->hasData();
    ui->actionSave->setEnabled(changes);
    ui->actionCancel->setEnabled(changes);
    ui->actionConfirm->setEnabled(RoleContainer::canApproveWorkTime() && !changes && model->isConfirmEnabled());
    ui->actionPrint->setEnabled(data && !changes);
    ui->actionPreview->setEnabled(data && !changes);
    ui->actionExport->setEnabled(data && !changes);
    ui->actionClear->setEnabled(data);
}

void WorkTimePlanningView::updateWorkTimeStatictics()
{
    // The coverage chart of the statistic panel is never shown, so there is nothing to update.
}

void WorkTimePlanningView::updateWorkTimeTotalsLazy()
{
    totalsTimer->start();
}

void WorkTimePlanningView::updateWorkTimeTotals()
{
    WorkTimeTotalWidget* totals = statisticWidget->totalWidget();
    totals->setHoursBudget(model->totalHoursBudget() / 3600);
    totals->setFactValue(model->totalTime() / 3600);
    totals->setReasonValue((model->totalReasonWorkTime() + model->totalDetachedTime()) / 3600);
    totals->setSalesPlanValue(model->totalSalesPlan());
    totals->setAttachedValue(model->totalAttachedTime() / 3600);
    statisticWidget->setConfirmMessageVisible(model->isConfirmEnabled());
    qCDebug(lcWtPlanning) << Q_FUNC_INFO << "totals" << totals->hoursBudget() << totals->factValue()
                          << totals->reasonValue() << totals->salesPlanValue() << totals->attachedValue();
    emit workTimeTotalsUpdated();
}

void WorkTimePlanningView::updateAttachWorkerInfoDelayed()
{
    attachInfoTimer->start();
}

void WorkTimePlanningView::restoreSettings()
{
    // The saved filter is read when the filter dialog opens, not at start-up.
}

void WorkTimePlanningView::reportAsyncReceived(Command& command)
{
    qCDebug(lcWtPlanning) << Q_FUNC_INFO << "report result not handled" << command.name;
}

void WorkTimePlanningView::setDiscardQuestion(DiscardQuestion question)
{
    discardQuestion = std::move(question);
}

void WorkTimePlanningView::initLoading()
{
    connect(reloadTimer, &QTimer::timeout, this, &WorkTimePlanningView::reloadEmployeeData);
    connect(ui->actionFilter, &QAction::triggered, this, &WorkTimePlanningView::showFilterDialog);

    auto* store = LocalStorage::instance();
    connect(store, &LocalStorage::dataChanged, this, &WorkTimePlanningView::localDataChanged);
    connect(store, &LocalStorage::dataRemoved, this, &WorkTimePlanningView::localDataRemoved);
    connect(store, &LocalStorage::scheduleChanged, this, &WorkTimePlanningView::localScheduleChanged);
    connect(store, &LocalStorage::scheduleBeforeRemove, this, &WorkTimePlanningView::localScheduleBeforeRemoved);
    connect(store, &LocalStorage::scheduleRemoved, this, &WorkTimePlanningView::localScheduleRemoved);

    // The form belongs to the grid layout; the bar floats over it instead of taking a place in it.
    loadingBar = new QProgressBar(ui->pageWorktime);
    loadingBar->setObjectName(QStringLiteral("loadingBar"));
    loadingBar->setRange(0, 0);
    loadingBar->setTextVisible(false);
    loadingBar->setFixedHeight(kLoadingBarHeight);
    loadingBar->hide();
    ui->pageWorktime->installEventFilter(this);
}

bool WorkTimePlanningView::eventFilter(QObject* watched, QEvent* event)
{
    if (loadingBar && watched == ui->pageWorktime && event->type() == QEvent::Resize)
        placeLoadingBar();
    return PluginWidget::eventFilter(watched, event);
}

void WorkTimePlanningView::placeLoadingBar()
{
    const QRect grid(ui->worktimeView->mapTo(ui->pageWorktime, QPoint(0, 0)), ui->worktimeView->size());
    loadingBar->setGeometry(grid.left(), grid.top(), grid.width(), kLoadingBarHeight);
    loadingBar->raise();
}

void WorkTimePlanningView::beginRequest()
{
    if (++outstandingRequests != 1)
        return;
    if (loadingBar) {
        placeLoadingBar();
        loadingBar->show();
    }
    emit loadingChanged(true);
}

void WorkTimePlanningView::endRequest()
{
    if (outstandingRequests == 0 || --outstandingRequests != 0)
        return;
    if (loadingBar)
        loadingBar->hide();
    emit loadingChanged(false);
}

std::function<void(Command&)> WorkTimePlanningView::trackedReply(void (WorkTimePlanningView::*handler)(Command&))
{
    beginRequest();
    QPointer<WorkTimePlanningView> self(this);
    return [self, handler](Command& reply) {
        if (!self)
            return;
        (self->*handler)(reply);
        self->endRequest();
    };
}

void WorkTimePlanningView::setBalanceQueryBusy(bool busy)
{
    if (busy == balanceQueryBusy)
        return;
    balanceQueryBusy = busy;
    if (busy)
        beginRequest();
    else
        endRequest();
}

bool WorkTimePlanningView::askDiscardChanges()
{
    if (discardQuestion)
        return discardQuestion(this);
    return QMessageBox::question(this, tr("Отмена изменений"), tr("Все внесенные изменения будут потеряны. Продолжить?"),
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        == QMessageBox::Yes;
}

void WorkTimePlanningView::resetGridView()
{
    WorkTimeTableView* grid = ui->worktimeView;
    grid->setModel(proxy);
    grid->resizeColumnsToContents();
    grid->resizeRowsToContents();
    grid->sortByColumn(grid->sortIndicatorSection(), grid->sortIndicatorOrder());
    // The state column holds only an icon; the planner never needs to widen it.
    grid->frozenHorizontalHeader()->setSectionResizeMode(0, QHeaderView::Fixed);
}

void WorkTimePlanningView::showFilterDialog()
{
    auto* dialog = new WorkTimeFilterDialog(this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);

    const int period = Settings::value(QLatin1String(kPeriodKey), 0).toInt();
    dialog->periodWidget()->setPeriod(WorkTimePeriodWidget::Period(period));
    if (period == WorkTimePeriodWidget::Custom) {
        const QDateTime now = QDateTime::currentDateTime();
        dialog->periodWidget()->setStartFinish(Settings::value(QLatin1String(kStartKey), now).toDateTime(),
                                               Settings::value(QLatin1String(kFinishKey), now).toDateTime());
    }

    QList<orvanta::TYPE_ID> checked;
    const QStringList parts =
        Settings::value(QLatin1String(kCheckedKey)).toString().split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString& part : parts)
        checked.append(part.toUInt());
    dialog->workerWidget()->setChecked(checked);

    const QPoint origin = mapToGlobal(pos());
    const int toolBarHeight = ui->mainToolBar->height();
    QRect geometry = dialog->geometry();
    geometry.setTopLeft(QPoint(origin.x() + toolBarHeight / 2, origin.y() + int(1.5 * toolBarHeight)));
    dialog->setGeometry(geometry);

    connect(dialog, &WorkTimeFilterDialog::settingsChanged, this, &WorkTimePlanningView::saveSettings);
    connect(dialog, &WorkTimeFilterDialog::filterChanged, this, &WorkTimePlanningView::applyFilter);
    dialog->show();
}

void WorkTimePlanningView::saveSettings()
{
    qCDebug(lcWtPlanning) << Q_FUNC_INFO << "save settings" << sender();
    auto* dialog = qobject_cast<WorkTimeFilterDialog*>(sender());
    if (!dialog)
        return;
    Settings::setValue(QLatin1String(kPeriodKey), int(dialog->periodWidget()->period()));
    Settings::setValue(QLatin1String(kStartKey), dialog->periodWidget()->dateStart());
    Settings::setValue(QLatin1String(kFinishKey), dialog->periodWidget()->dateFinish());
    QStringList ids;
    const QList<orvanta::TYPE_ID> checked = dialog->workerWidget()->checked();
    for (orvanta::TYPE_ID id : checked)
        ids.append(QString::number(id));
    Settings::setValue(QLatin1String(kCheckedKey), ids.join(QLatin1Char(',')));
}

void WorkTimePlanningView::applyFilter(const QDate& start, const QDate& finish,
                                       const QList<orvanta::TYPE_ID>& dep_uids, const QStringList& dep_names)
{
    if (model->hasChanges() && !askDiscardChanges())
        return;
    qCDebug(lcWtPlanning) << Q_FUNC_INFO << "set filter" << start << finish << dep_uids;

    departmentNames = dep_names;
    waitingObjects.clear();
    waitingSchedules.clear();

    statisticWidget->clear();
    statisticWidget->setMonthTitle(
        QStringLiteral("%1 %2").arg(QLocale().standaloneMonthName(start.month(), QLocale::LongFormat)).arg(start.year()));

    EmployeeSelection selection(start, finish, dep_uids);
    selection.select();
    const QList<unsigned int> departments = selection.departments();
    qCDebug(lcWtPlanning) << Q_FUNC_INFO << "update model" << start << finish << selection.employeeIds().size()
                          << selection.employeeIds();
    model->setReadOnly(!RoleContainer::canEditWorkTime());
    model->refreshModel(start, finish, selection.employees(), selection.attached(), departments);
    const QList<unsigned int> objList = model->objList();

    resetGridView();
    statisticWidget->setChartDate(start);
    updateWorkTimeTotalsLazy();

    sendGetScheduleHistory(objList);
    sendGetAbsenceReasons(objList);
    sendGetEmployeeNormTime(start, finish, objList);
    sendGetEmployeeSyncTime(start, finish, objList);
    sendGetSalesPlan(start, finish, departments);
    sendGetHoursBudget(start, finish, departments);
    sendGetPlanningBalanceAsync(WorkTimeUtils::startYearDate(start), WorkTimeUtils::endMonthDate(finish.addMonths(-1)),
                                objList);
}

void WorkTimePlanningView::reloadEmployeeData()
{
    QStringList text;
    for (unsigned int uid : qAsConst(pendingReloadUids))
        text.append(QString::number(uid));
    qCDebug(lcWtPlanning) << Q_FUNC_INFO << "reload employee data" << "QSet" << text.join(QStringLiteral(", "));
    const QList<unsigned int> ids = pendingReloadUids.values();
    pendingReloadUids.clear();
    sendGetScheduleHistory(ids);
    sendGetAbsenceReasons(ids);
}

void WorkTimePlanningView::sendGetScheduleHistory(const QList<unsigned int>& ids)
{
    dataService->getWorkerSchedules(ids, trackedReply(&WorkTimePlanningView::scheduleHistoryRead));
}

void WorkTimePlanningView::sendGetAbsenceReasons(const QList<unsigned int>& ids)
{
    dataService->getWorkerAbsenceReasons(ids, trackedReply(&WorkTimePlanningView::absenceReasonRead));
}

void WorkTimePlanningView::sendGetEmployeeNormTime(const QDate& start, const QDate& finish,
                                                   const QList<unsigned int>& ids)
{
    dataService->getWorkerNormTime(start, finish, ids, trackedReply(&WorkTimePlanningView::employeeNormTimeRead));
}

void WorkTimePlanningView::sendGetEmployeeSyncTime(const QDate& start, const QDate& finish,
                                                   const QList<unsigned int>& ids)
{
    dataService->getWorkerSyncTime(start, finish, ids, trackedReply(&WorkTimePlanningView::employeeSyncTimeRead));
}

void WorkTimePlanningView::sendGetSalesPlan(const QDate& start, const QDate& finish,
                                            const QList<unsigned int>& departmentIds)
{
    dataService->getWorkTimeBudgets(departmentIds, start, finish, trackedReply(&WorkTimePlanningView::salesPlanRead));
}

void WorkTimePlanningView::sendGetHoursBudget(const QDate& start, const QDate& finish,
                                              const QList<unsigned int>& departmentIds)
{
    dataService->getWorkTimeHours(departmentIds, start, finish, trackedReply(&WorkTimePlanningView::hoursBudgetRead));
}

void WorkTimePlanningView::sendGetFullOrgstructure()
{
    dataService->getObjects(QLatin1String(orvanta::ORGSTRUCTURE_DATANAME),
                            [this](Command& reply) { orgstructureRead(reply); });
}

void WorkTimePlanningView::sendGetScheduleCalendar(const QList<int>& ids, const QDate& start, const QDate& finish)
{
    dataService->getScheduleCalendar(ids, start, finish, trackedReply(&WorkTimePlanningView::calendarDaysReadResult));
}

void WorkTimePlanningView::scheduleHistoryRead(Command& reply)
{
    if (!reply.isSuccess()) {
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << reply.errorMessage();
        showPopupCriticalMessage(tr("Ошибка чтения истории графиков работ"));
        return;
    }
    OVDataStream stream(reply.data);
    const auto histories = readPayload<WorkTimePlanningModel::ScheduleHistoryHash>(stream, Q_FUNC_INFO);
    qCDebug(lcWtPlanning) << Q_FUNC_INFO << "read" << histories.size();
    model->setScheduleHistory(histories);
    updateWorkTimeTotalsLazy();

    const QList<int> calendars = calendarScheduleIds(histories);
    if (!calendars.isEmpty())
        sendGetScheduleCalendar(calendars, model->dateStart(), model->dateFinish());
}

QList<int> WorkTimePlanningView::calendarScheduleIds(
    const QHash<unsigned int, orvanta::WORKER_SCHEDULE_HISTORY_V2>& histories) const
{
    const QDate start = model->dateStart();
    const QDate finish = model->dateFinish();
    const LocalStorage* store = LocalStorage::instance();
    const orvanta::SCHEDULE_HASH& schedules = store->schedules();
    QSet<int> ids;
    const QList<unsigned int> employees = model->objList();
    for (unsigned int employee : employees) {
        const QList<int> personal = store->personalSchedules(employee);
        for (int id : personal) {
            const orvanta::SCHEDULE_DATA schedule = schedules.value(id);
            if (schedule.kind == orvanta::SCHEDULE_DATA::KindPersonal && schedule.date.year() == start.year()
                && schedule.date.month() == start.month())
                ids.insert(id);
        }
    }
    for (const orvanta::WORKER_SCHEDULE_HISTORY_V2& history : histories) {
        for (const auto& record : history.records) {
            if (record.state != 1 || (record.from.isValid() && record.from > finish)
                || (record.to.isValid() && record.to < start))
                continue;
            const orvanta::SCHEDULE_DATA schedule = schedules.value(int(record.schedule));
            if (schedule.keepsCalendarDays())
                ids.insert(int(record.schedule));
        }
    }
    QList<int> sorted = ids.values();
    std::sort(sorted.begin(), sorted.end());
    return sorted;
}

void WorkTimePlanningView::absenceReasonRead(Command& reply)
{
    if (!reply.isSuccess()) {
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << reply.errorMessage();
        showPopupCriticalMessage(tr("Ошибка чтения причин отстутствия"));
        return;
    }
    OVDataStream stream(reply.data);
    auto reasons = readPayload<WorkTimePlanningModel::AbsenceReasonHash>(stream, Q_FUNC_INFO);
    const auto changeTimes = readPayload<QHash<unsigned int, QDateTime>>(stream, Q_FUNC_INFO);
    qCDebug(lcWtPlanning) << Q_FUNC_INFO << "read" << reasons.size() << changeTimes.size();
    for (auto& absences : reasons) {
        for (auto& record : absences.records) {
            record.changeTime = changeTimes.value(record.id);
            if (!record.changeTime.isValid())
                record.changeTime = record.start;
        }
    }
    model->setAbsenceReasons(reasons);
    updateWorkTimeStatictics();
    updateWorkTimeTotalsLazy();
}

void WorkTimePlanningView::calendarDaysReadResult(Command& reply)
{
    if (!reply.isSuccess()) {
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "read calendar days error" << reply.result;
        showPopupCriticalMessage(tr("Ошибка чтения расписания графика работ"));
        return;
    }
    OVDataStream stream(reply.data);
    QList<int> echoedIds;
    QDate echoedStart;
    QDate echoedFinish;
    stream >> echoedIds >> echoedStart >> echoedFinish;
    const auto days = readPayload<WorkTimePlanningModel::CalendarDayHash>(stream, Q_FUNC_INFO);
    qCDebug(lcWtPlanning) << Q_FUNC_INFO << "read" << days.size();
    model->setCalendarDays(days);
    updateWorkTimeStatictics();
    updateWorkTimeTotalsLazy();
}

void WorkTimePlanningView::employeeNormTimeRead(Command& reply)
{
    if (!reply.isSuccess()) {
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "read employee norm time error" << reply.result;
        showPopupCriticalMessage(tr("Ошибка чтения планового времени"));
        return;
    }
    OVDataStream stream(reply.data);
    model->setEmployeeNormTime(readPayload<QList<orvanta::WORKER_NORM_TIME>>(stream, Q_FUNC_INFO));
    updateWorkTimeTotalsLazy();
}

void WorkTimePlanningView::employeeSyncTimeRead(Command& reply)
{
    if (!reply.isSuccess()) {
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "read employee sync time error" << reply.result;
        showPopupCriticalMessage(tr("Ошибка чтения статуса синхронизации"));
        return;
    }
    OVDataStream stream(reply.data);
    auto syncTimes = readPayload<QList<orvanta::WORKER_SYNC_TIME>>(stream, Q_FUNC_INFO);
    const auto normCalcTimes = readPayload<QHash<qint64, QDateTime>>(stream, Q_FUNC_INFO);
    for (auto& syncTime : syncTimes) {
        syncTime.normCalcTime = normCalcTimes.value(syncTime.key);
        if (!syncTime.normCalcTime.isValid())
            syncTime.normCalcTime = syncTime.date.startOfDay();
    }
    model->setEmployeeSyncTime(syncTimes);
    updateWorkTimeEnables();
    updateWorkTimeTotalsLazy();
}

void WorkTimePlanningView::salesPlanRead(Command& reply)
{
    if (!reply.isSuccess()) {
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "read work time budget error" << reply.result;
        showPopupCriticalMessage(tr("Ошибка чтения плана продаж"));
        return;
    }
    OVDataStream stream(reply.data);
    model->setSalesPlan(readPayload<QList<orvanta::SALES_PLAN>>(stream, Q_FUNC_INFO));
    updateWorkTimeTotalsLazy();
}

void WorkTimePlanningView::hoursBudgetRead(Command& reply)
{
    if (!reply.isSuccess()) {
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "read work time budget error" << reply.result;
        showPopupCriticalMessage(tr("Ошибка чтения бюджета часов"));
        return;
    }
    OVDataStream stream(reply.data);
    model->setHoursBudget(readPayload<QList<orvanta::HOURS_BUDGET>>(stream, Q_FUNC_INFO));
    updateWorkTimeTotalsLazy();
}

void WorkTimePlanningView::orgstructureRead(Command& reply)
{
    if (!reply.isSuccess()) {
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "read orgsturcrure error" << reply.result;
        showPopupCriticalMessage(tr("Ошибка чтения структуру предприятия"));
        return;
    }
    orvanta::OBJECT_HASH objects;
    QString dataname;
    if (!ov5sdk::Data::unpackObjects(objects, dataname, reply.data))
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "malformed payload";
    if (dataname == QLatin1String(orvanta::ORGSTRUCTURE_DATANAME))
        emit orgstructureReceived(objects);
}

QString WorkTimePlanningView::nextPlanningBalanceQueryId() const
{
    return QStringLiteral("%1_%2").arg(QLatin1String(kBalanceQueryTag)).arg(balanceQueryCounter++);
}

void WorkTimePlanningView::sendGetPlanningBalanceAsync(const QDate& from, const QDate& to,
                                                       const QList<orvanta::TYPE_ID>& workers)
{
    if (!currentBalanceQueryId.isEmpty()) {
        qCDebug(lcWtPlanning) << Q_FUNC_INFO << "canceling old request" << currentBalanceQueryId;
        dataService->cancelAsyncSql(clientId, currentBalanceQueryId, [this](Command& reply) { emptyHandler(reply); });
        currentBalanceQueryId.clear();
    }

    DbQuery query{QLatin1String(kBalanceSql)};
    query.bindValue(QStringLiteral(":start"), from, DbQuery::In);
    query.bindValue(QStringLiteral(":finish"), to, DbQuery::In);
    QStringList ids;
    for (orvanta::TYPE_ID id : workers)
        ids.append(QString::number(id));
    query.bindValue(QStringLiteral(":workers"),
                    workers.isEmpty() ? QVariant(QVariant::List)
                                      : QVariant(QStringLiteral("{%1}").arg(ids.join(QLatin1Char(',')))),
                    DbQuery::In);

    qCDebug(lcWtPlanning) << Q_FUNC_INFO << query.sql();
    const QList<DbQuery::Binding> bindings = query.bindings();
    for (const DbQuery::Binding& binding : bindings)
        qCDebug(lcWtPlanning) << Q_FUNC_INFO << "\t" << binding.name << binding.value;

    currentBalanceQueryId = nextPlanningBalanceQueryId();
    balanceEmployees = workers;
    // The load stays busy until the rows of this query arrive; a cancelled query's never come.
    setBalanceQueryBusy(true);
    const QString queryId = currentBalanceQueryId;
    dataService->execAsyncSql(clientId, queryId, query, [this, queryId](Command& reply) {
        emptyHandler(reply);
        if (!reply.isSuccess() && queryId == currentBalanceQueryId) {
            currentBalanceQueryId.clear();
            setBalanceQueryBusy(false);
        }
    });
}

void WorkTimePlanningView::emptyHandler(Command& reply)
{
    if (!reply.isSuccess())
        qCWarning(lcWtPlanning) << Q_FUNC_INFO
                                << QStringLiteral("cmd error object:%1 status:%2").arg(reply.name).arg(reply.result);
}

void WorkTimePlanningView::dbresultAsyncResult(Command& command)
{
    command.result = 1;
    OVDataStream stream(command.data);
    QString queryId;
    qint32 status = 0;
    QString message;
    stream >> queryId >> status >> message;
    const auto results = readPayload<QList<DbResult>>(stream, Q_FUNC_INFO);

    const bool current = queryId.contains(QLatin1String(kBalanceQueryTag)) && queryId == currentBalanceQueryId;
    if (!current)
        return;
    // A pending status keeps the query current, but the planner need not watch it.
    setBalanceQueryBusy(false);
    if (status == kStatusPending)
        return;
    currentBalanceQueryId.clear();
    if (status == 1) {
        unpackPlanningBalance(results);
    } else {
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "read planning balance error" << status << message;
        showPopupCriticalMessage(tr("Ошибка получения баланса часов"));
    }
}

void WorkTimePlanningView::unpackPlanningBalance(const QList<DbResult>& results)
{
    if (results.isEmpty()) {
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "empty result list";
        return;
    }
    QHash<unsigned int, orvanta::PLANNING_BALANCE> balance;
    const DbResult& rows = results.constFirst();
    for (int row = 0; row < rows.rowCount(); ++row) {
        orvanta::PLANNING_BALANCE entry;
        entry.norm = rows.value(row, QStringLiteral("norm_time")).toInt();
        entry.time = rows.value(row, QStringLiteral("plan_time")).toInt();
        balance.insert(orvanta::TYPE_ID(rows.value(row, QStringLiteral("worker_id")).toLongLong()), entry);
    }
    for (orvanta::TYPE_ID id : qAsConst(balanceEmployees)) {
        if (!balance.contains(id))
            balance.insert(id, orvanta::PLANNING_BALANCE());
    }
    qCDebug(lcWtPlanning) << Q_FUNC_INFO << "planning balance received" << balance.size();
    for (auto it = balance.cbegin(); it != balance.cend(); ++it)
        qCDebug(lcWtPlanning) << Q_FUNC_INFO << "\tuid =" << it.key() << "norm =" << it->norm << "plan =" << it->time
                              << "balance =" << (it->norm - it->time) / 3600.0;
    model->setPlanningBalance(balance);
}

void WorkTimePlanningView::reloadEmployeeDataDelayed(const QList<unsigned int>& uids)
{
    for (unsigned int uid : uids)
        pendingReloadUids.insert(uid);
    if (reloadTimer)
        reloadTimer->start();
}

void WorkTimePlanningView::localDataChanged(const QString& dataname, const QList<unsigned int>& uids)
{
    const LocalStorage* store = LocalStorage::instance();
    if (dataname == QLatin1String(orvanta::ATTACHED_WORKER_DATANAME)) {
        // The attached-worker register page refreshes its own list from the same signal.
        for (unsigned int uid : uids) {
            const orvanta::ObjectInfo attached = store->constObject(uid, dataname);
            const auto link = attached.children.constFind(orvanta::INHERIT_ATTACHED_WORKER);
            const unsigned int employee = link == attached.children.cend() ? 0 : link->child;
            if (model->containsEmployee(employee))
                model->reloadAttached(employee);
        }
    } else if (dataname == QLatin1String(orvanta::SUBJECT_DATANAME)) {
        for (unsigned int uid : uids) {
            if (model->containsEmployee(uid))
                model->reloadAttached(uid);
        }
        reloadEmployeeDataDelayed(uids);
    } else if (dataname == QLatin1String(orvanta::ORGSTRUCTURE_DATANAME)) {
        for (unsigned int uid : uids) {
            if (model->containsDepartment(uid))
                model->reloadAttached(uid);
        }
    }
    releaseWaitingReplies(waitingObjects, uids, "object loaded, process next task");
}

void WorkTimePlanningView::localDataRemoved(const QString& dataname, const QList<unsigned int>& uids)
{
    Q_UNUSED(dataname)
    // The break-rule and attached-worker register pages drop their rows from the same signal.
    releaseWaitingReplies(waitingObjects, uids, "object removed, process next task");
}

void WorkTimePlanningView::localScheduleChanged(const QList<unsigned int>& uids)
{
    releaseWaitingReplies(waitingSchedules, uids, "schedule loaded, process next task");
    reloadPersonalScheduleOwners(uids, "schedule changed");
}

void WorkTimePlanningView::localScheduleBeforeRemoved(const QList<unsigned int>& uids)
{
    reloadPersonalScheduleOwners(uids, "schedule removed");
}

void WorkTimePlanningView::localScheduleRemoved(const QList<unsigned int>& uids)
{
    releaseWaitingReplies(waitingSchedules, uids, "schedule removed, process next task");
}

void WorkTimePlanningView::reloadPersonalScheduleOwners(const QList<unsigned int>& uids, const char* phrase)
{
    const orvanta::SCHEDULE_HASH& schedules = LocalStorage::instance()->schedules();
    for (unsigned int uid : uids) {
        const orvanta::SCHEDULE_DATA schedule = schedules.value(int(uid));
        if (schedule.kind != orvanta::SCHEDULE_DATA::KindPersonal || !model->containsEmployee(schedule.worker))
            continue;
        qCDebug(lcWtPlanning) << Q_FUNC_INFO << phrase << uid << schedule.worker;
        reloadEmployeeDataDelayed({schedule.worker});
    }
}

void WorkTimePlanningView::releaseWaitingReplies(QHash<unsigned int, Command>& waiting,
                                                 const QList<unsigned int>& uids, const char* phrase)
{
    // Replies are parked only while a save runs with its progress window open.
    if (!progressWindow)
        return;
    for (unsigned int uid : uids) {
        if (!waiting.contains(uid))
            continue;
        qCDebug(lcWtPlanning) << Q_FUNC_INFO << phrase << uid;
        Command reply = waiting.take(uid);
        // The task queue's taskHandler continues with this reply.
        Q_UNUSED(reply)
    }
}
