#include "worktimeplanningview.h"

#include "ui_worktimeplanningview.h"

#include "authdata.h"
#include "attachworkerregister.h"
#include "breakruleregister.h"
#include "clientidentity.h"
#include "data.h"
#include "hiddenpanel.h"
#include "localstorage.h"
#include "ovactionsinserthelper.h"
#include "ovstackedtoolbars.h"
#include "rolecontainer.h"
#include "searchwidget.h"
#include "settings.h"
#include "workerhistorypanelwidget.h"
#include "worktimecompactmode.h"
#include "worktimedayeditdialog.h"
#include "worktimedepartmentchooser.h"
#include "worktimeemptyhint.h"
#include "worktimefilterdialog.h"
#include "worktimefiltersettings.h"
#include "worktimeheaderview.h"
#include "worktimeitemdelegate.h"
#include "worktimeplanapproval.h"
#include "worktimesavetasks.h"
#include "worktimeplanningmodel.h"
#include "worktimeplanningproxy.h"
#include "worktimestatisticwidget.h"
#include "worktimetableview.h"
#include "worktimetaskrunner.h"
#include "worktimetotalwidget.h"
#include "wtplanninglogging.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QDateTime>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHostInfo>
#include <QLocale>
#include <QMessageBox>
#include <QNetworkInterface>
#include <QProgressBar>
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
    dataService = std::make_unique<ov5sdk::Data>(this, AuthData::sessionId());
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
    connect(totalsTimer, &QTimer::timeout, this, &WorkTimePlanningView::updateWorkTimeTotals);
    connect(attachInfoTimer, &QTimer::timeout, this, &WorkTimePlanningView::updateAttachWorkerInfo);

    ui->worktimeSearchWidget->hide();
    ui->breakRuleSearchWidget->hide();
    ui->attachedSearchWidget->hide();
    followPanelCollapse(ui->staticticPanel, ui->worktimeFilterPanel);
    followPanelCollapse(ui->dinnerPropertyPanel, ui->dinnerFilterPanel);
    followPanelCollapse(ui->attachedPropertyPanel, ui->attachedFilterPanel);

    initWorktimeModels();
    initBreakRulesModels();
    initAttachWorkerModels();
    initStatisticPanel();
    initBreakRulePanel();
    initAttachWorkerPanel();
    initPluginActions();
    initLoading();
    initSaving();
    initReports();

    updateWorkTimeEnables();
    updateBreakRulesEnables();
    updateBreakRulesInfo();
    updateAttachWorkerEnables();
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
    new WorkTimeCompactMode(ui->actionCompact, ui->worktimeView, this);
    departmentChooser = new WorkTimeDepartmentChooser(model, proxy, this);
    connect(departmentChooser, &WorkTimeDepartmentChooser::departmentChanged, this,
            &WorkTimePlanningView::updateWorkTimeTotalsLazy);
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
    connect(ui->worktimeView, &WorkTimeTableView::editReported, this,
            [this](const QString& text) { showPopupInformationMessage(text); });
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

void WorkTimePlanningView::initBreakRulesModels()
{
    breakRules = new BreakRuleRegister(ui->breakRulesView, ui->dinnerPropertyPanel,
                                       {ui->actionAddBreakRule, ui->actionEditBreakRule, ui->actionDelBreakRule}, this);
    breakRules->setObjectName(QStringLiteral("breakRules"));
    breakRules->initModels();
    breakRules->setPlanningModel(model);
    connect(breakRules, &BreakRuleRegister::executeTask, this, &WorkTimePlanningView::addTask);
    connect(ui->actionAddBreakRule, &QAction::triggered, this, &WorkTimePlanningView::addBreakRule);
    connect(ui->actionEditBreakRule, &QAction::triggered, this, &WorkTimePlanningView::editBreakRule);
    connect(ui->actionDelBreakRule, &QAction::triggered, this, &WorkTimePlanningView::removeBreakRule);
}

void WorkTimePlanningView::initBreakRulePanel() { breakRules->initPanel(); }
void WorkTimePlanningView::updateBreakRulesEnables() { breakRules->updateEnables(); }
void WorkTimePlanningView::updateBreakRulesInfo() { breakRules->updateInfo(); }
void WorkTimePlanningView::addBreakRule() { breakRules->addRule(); }
void WorkTimePlanningView::editBreakRule() { breakRules->editRule(); }
void WorkTimePlanningView::removeBreakRule() { breakRules->removeRules(); }

void WorkTimePlanningView::initAttachWorkerModels()
{
    attachWorkers = new AttachWorkerRegister(ui->attachedView, ui->attachedPropertyPanel,
                                             {ui->actionAddAttached, ui->actionEditAttached, ui->actionDelAttached}, this);
    attachWorkers->setObjectName(QStringLiteral("attachWorkers"));
    attachWorkers->initModels();
    attachWorkers->setPlanningModel(model);
    attachWorkers->setDataService(dataService.get());
    connect(attachWorkers, &AttachWorkerRegister::executeTask, this, &WorkTimePlanningView::addTask);
    connect(attachWorkers, &AttachWorkerRegister::selectionChanged, this, &WorkTimePlanningView::updateAttachWorkerInfoDelayed);
    connect(ui->actionAddAttached, &QAction::triggered, this, &WorkTimePlanningView::addAttachWorker);
    connect(ui->actionEditAttached, &QAction::triggered, this, &WorkTimePlanningView::editAttachWorker);
    connect(ui->actionDelAttached, &QAction::triggered, this, &WorkTimePlanningView::removeAttachWorker);
    connect(ui->worktimeView, &WorkTimeTableView::attachWorker, this, &WorkTimePlanningView::showAttachWorkerWizard);
    connect(ui->worktimeView, &WorkTimeTableView::detachWorker, this, &WorkTimePlanningView::showDetachWorkerWizard);
}

void WorkTimePlanningView::initAttachWorkerPanel() { attachWorkers->initPanel(); }
void WorkTimePlanningView::updateAttachWorkerEnables() { attachWorkers->updateEnables(); }
void WorkTimePlanningView::updateAttachWorkerInfo() { attachWorkers->updateInfo(); }
void WorkTimePlanningView::addAttachWorker() { attachWorkers->addWorker(); }
void WorkTimePlanningView::editAttachWorker() { attachWorkers->editWorker(); }
void WorkTimePlanningView::removeAttachWorker() { attachWorkers->removeWorkers(); }
void WorkTimePlanningView::showAttachWorkerWizard(orvanta::TYPE_ID uid, const QDate& start, const QDate& finish)
{
    attachWorkers->showAttachWizard(uid, start, finish);
}
void WorkTimePlanningView::showDetachWorkerWizard(orvanta::TYPE_ID uid, const QDate& start, const QDate& finish)
{
    attachWorkers->showDetachWizard(uid, start, finish);
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
                    {ui->actionPrint, ui->actionPreview, ui->actionExport},
                    {ui->actionCompact, departmentChooser}},
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
    // «Запланировано» (fact plus reason) is the rows' hours column summed, truncated once. A trip counts once,
    // where it is worked; the attached workers' part of the worked hours is also shown on its own.
    const qint64 workedHours = model->totalTime() / 3600;
    totals->setFactValue(workedHours);
    totals->setReasonValue(model->totalPlannedTime() / 3600 - workedHours);
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

void WorkTimePlanningView::activated()
{
    // In front of the planner: the last applied filter again, or, the first time, the filter to apply.
    if (!RoleContainer::canShowWorkTime())
        return;
    WorkTimeFilterDialog saved(this);
    if (WorkTimeFilterSettings::restoreApplied(&saved) && !saved.checked().isEmpty())
        applyFilter(saved.dateStart(), saved.dateFinish(), saved.checked(), saved.workerWidget()->departments());
    else
        ui->actionFilter->trigger();
}

void WorkTimePlanningView::initReports()
{
    reportController = new WorkTimeReportController(this, this, model, reportStatusTimer, clientId,
                                                    [this] { return departmentNames; });
    connect(reportController, &WorkTimeReportController::failed, this,
            [this](const QString& message) { showPopupCriticalMessage(message); });
    connect(reportController, &WorkTimeReportController::informed, this,
            [this](const QString& message) { showPopupInformationMessage(message); });
    connect(ui->actionPrint, &QAction::triggered, this, &WorkTimePlanningView::printReport);
    connect(ui->actionPreview, &QAction::triggered, this, &WorkTimePlanningView::previewReport);
    connect(ui->actionExport, &QAction::triggered, this, &WorkTimePlanningView::exportReport);
}

void WorkTimePlanningView::setQuestion(Question replacement)
{
    question = std::move(replacement);
}

void WorkTimePlanningView::initLoading()
{
    loader = new WorkTimePlanningLoader(dataService.get(), model, clientId, this);
    loader->setObjectName(QStringLiteral("loader"));
    // Connected first, so the bar is up before a listener of loadingChanged hears of the load.
    connect(loader, &WorkTimePlanningLoader::loadingChanged, this, &WorkTimePlanningView::showLoadingBar);
    connect(loader, &WorkTimePlanningLoader::loadingChanged, this, &WorkTimePlanningView::loadingChanged);
    connect(loader, &WorkTimePlanningLoader::orgstructureReceived, this, &WorkTimePlanningView::orgstructureReceived);
    connect(loader, &WorkTimePlanningLoader::readFailed, this,
            [this](const QString& message) { showPopupCriticalMessage(message); });
    connect(loader, &WorkTimePlanningLoader::statisticsOutdated, this, &WorkTimePlanningView::updateWorkTimeStatictics);
    connect(loader, &WorkTimePlanningLoader::totalsOutdated, this, &WorkTimePlanningView::updateWorkTimeTotalsLazy);
    connect(loader, &WorkTimePlanningLoader::confirmStateChanged, this, &WorkTimePlanningView::updateWorkTimeEnables);

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

void WorkTimePlanningView::showLoadingBar(bool loading)
{
    if (loading)
        placeLoadingBar();
    loadingBar->setVisible(loading);
}

bool WorkTimePlanningView::ask(const QString& title, const QString& text)
{
    return ask(title, text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

QMessageBox::StandardButton WorkTimePlanningView::ask(const QString& title, const QString& text,
                                                      QMessageBox::StandardButtons buttons)
{
    if (question)
        return question(this, title, text, buttons);
    // The safe answer is the default: No, or Cancel where there is one.
    const QMessageBox::StandardButton safe = buttons & QMessageBox::Cancel ? QMessageBox::Cancel : QMessageBox::No;
    QMessageBox box(QMessageBox::Question, title, text, buttons, this);
    box.setDefaultButton(safe);
    if (QAbstractButton* save = box.button(QMessageBox::Save))
        save->setText(tr("Сохранить"));
    if (QAbstractButton* discard = box.button(QMessageBox::Discard))
        discard->setText(tr("Не сохранять"));
    return QMessageBox::StandardButton(box.exec());
}

bool WorkTimePlanningView::canClose()
{
    if (!model || !model->hasChanges())
        return true;
    const QMessageBox::StandardButton answer = ask(tr("Закрытие"), tr("Сохранить изменения?"),
                                                   QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    if (answer == QMessageBox::Discard)
        return true;
    if (answer == QMessageBox::Save) {
        closeAfterSave = true;
        saveWorkTime();
    }
    return false;
}

bool WorkTimePlanningView::askDiscardChanges()
{
    return ask(tr("Отмена изменений"), tr("Все внесенные изменения будут потеряны. Продолжить?"));
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
    WorkTimeFilterSettings::restore(dialog);

    const QPoint origin = mapToGlobal(pos());
    const int toolBarHeight = ui->mainToolBar->height();
    QRect geometry = dialog->geometry();
    geometry.setTopLeft(QPoint(origin.x() + toolBarHeight / 2, origin.y() + int(1.5 * toolBarHeight)));
    dialog->setGeometry(geometry);

    connect(dialog, &WorkTimeFilterDialog::settingsChanged, this, &WorkTimePlanningView::saveSettings);
    connect(dialog, &WorkTimeFilterDialog::filterChanged, this, &WorkTimePlanningView::applyFilter);
    dialog->show();
}

void WorkTimePlanningView::restoreSettings()
{
    // The dialog's settings are read when it opens; the applied filter is reopened on activation.
}

void WorkTimePlanningView::saveSettings()
{
    qCDebug(lcWtPlanning) << Q_FUNC_INFO << "save settings" << sender();
    if (auto* dialog = qobject_cast<WorkTimeFilterDialog*>(sender()))
        WorkTimeFilterSettings::save(*dialog);
}

void WorkTimePlanningView::applyFilter(const QDate& start, const QDate& finish,
                                       const QList<orvanta::TYPE_ID>& dep_uids, const QStringList& dep_names)
{
    if (model->hasChanges() && !askDiscardChanges())
        return;
    qCDebug(lcWtPlanning) << Q_FUNC_INFO << "set filter" << start << finish << dep_uids;
    if (auto* dialog = qobject_cast<WorkTimeFilterDialog*>(sender()))
        WorkTimeFilterSettings::saveApplied(*dialog);

    departmentNames = dep_names;

    statisticWidget->clear();
    statisticWidget->setMonthTitle(
        QStringLiteral("%1 %2").arg(QLocale().standaloneMonthName(start.month(), QLocale::LongFormat)).arg(start.year()));

    model->setReadOnly(!RoleContainer::canEditWorkTime());
    loader->load(start, finish, dep_uids);

    resetGridView();
    statisticWidget->setChartDate(start);
    updateWorkTimeTotalsLazy();
}

void WorkTimePlanningView::dbresultAsyncResult(Command& command)
{
    command.result = 1;
    if (loader)
        loader->dbresultAsyncResult(command);
}

void WorkTimePlanningView::localDataChanged(const QString& dataname, const QList<unsigned int>& uids)
{
    breakRules->localDataChanged(dataname, uids);
    attachWorkers->localDataChanged(dataname, uids);
    loader->localDataChanged(dataname, uids);
    taskRunner->releaseObjects(uids, "object loaded, process next task");
}

void WorkTimePlanningView::localDataRemoved(const QString& dataname, const QList<unsigned int>& uids)
{
    breakRules->localDataRemoved(dataname, uids);
    attachWorkers->localDataRemoved(dataname, uids);
    taskRunner->releaseObjects(uids, "object removed, process next task");
}

void WorkTimePlanningView::localScheduleChanged(const QList<unsigned int>& uids)
{
    taskRunner->releaseSchedules(uids, "schedule loaded, process next task");
    loader->reloadPersonalScheduleOwners(uids, "schedule changed");
}

void WorkTimePlanningView::localScheduleBeforeRemoved(const QList<unsigned int>& uids)
{
    loader->reloadPersonalScheduleOwners(uids, "schedule removed");
}

void WorkTimePlanningView::localScheduleRemoved(const QList<unsigned int>& uids)
{
    taskRunner->releaseSchedules(uids, "schedule removed, process next task");
}

void WorkTimePlanningView::initSaving()
{
    taskRunner = new WorkTimeTaskRunner(dataService.get(), model, this, this);
    taskRunner->setObjectName(QStringLiteral("taskRunner"));
    connect(taskRunner, &WorkTimeTaskRunner::taskFailed, this, [this](const QString& text) {
        closeAfterSave = false;
        showPopupCriticalMessage(text, 0);
    });
    connect(taskRunner, &WorkTimeTaskRunner::saveCompleted, this, &WorkTimePlanningView::saveCompleted);

    approval = new WorkTimePlanApproval(
        dataService.get(), model, [this](const QString& title, const QString& text) { return ask(title, text); },
        this);
    connect(approval, &WorkTimePlanApproval::failed, this,
            [this](const QString& text) { showPopupCriticalMessage(text, 0); });
    connect(approval, &WorkTimePlanApproval::approved, this, [this](const QString& text) {
        showPopupInformationMessage(text, 0);
        sendGetEmployeeSyncTime(model->dateStart(), model->dateFinish(), model->objList());
    });

    connect(ui->actionSave, &QAction::triggered, this, &WorkTimePlanningView::saveWorkTime);
    connect(ui->actionCancel, &QAction::triggered, this, &WorkTimePlanningView::cancelWorkTime);
    connect(ui->actionConfirm, &QAction::triggered, this, &WorkTimePlanningView::confirmWorkTime);
    connect(ui->actionClear, &QAction::triggered, this, &WorkTimePlanningView::clearWorkTime);
}

void WorkTimePlanningView::saveWorkTime()
{
    auto tasks = std::make_shared<WorkTimeSaveTasks>(model);
    const int total = tasks->taskCount();
    if (total == 0) {
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "no date for save";
        return;
    }
    // Batches of about a frame's time keep the window responsive while thousands of tasks are built.
    taskRunner->runSave(total, [tasks] { return tasks->takeBatch(16); });
}

void WorkTimePlanningView::saveCompleted()
{
    model->resetChangeFlag();
    const QList<unsigned int> employees = model->objList();
    sendGetScheduleHistory(employees);
    sendGetAbsenceReasons(employees);
    updateWorkTimeEnables();
    if (closeAfterSave) {
        closeAfterSave = false;
        QMetaObject::invokeMethod(window(), &QWidget::close, Qt::QueuedConnection);
    }
}

void WorkTimePlanningView::addTask(const orvanta::TaskInfo& task)
{
    taskRunner->addTask(task);
}

void WorkTimePlanningView::skipCurrentTask()
{
    taskRunner->skipCurrentTask();
}

void WorkTimePlanningView::confirmWorkTime()
{
    approval->confirmWorkTime();
}

void WorkTimePlanningView::cancelWorkTime()
{
    if (!model->hasChanges() || !askDiscardChanges())
        return;
    model->resetChanges();
    updateWorkTimeTotalsLazy();
    updateWorkTimeEnables();
}

void WorkTimePlanningView::clearWorkTime()
{
    if (model->hasChanges() && !askDiscardChanges())
        return;
    model->clear();
    statisticWidget->clear();
    updateWorkTimeEnables();
}
