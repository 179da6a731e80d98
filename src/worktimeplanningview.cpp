#include "worktimeplanningview.h"

#include "ui_worktimeplanningview.h"

#include "authdata.h"
#include "clientidentity.h"
#include "data.h"
#include "hiddenpanel.h"
#include "ovactionsinserthelper.h"
#include "ovstackedtoolbars.h"
#include "rolecontainer.h"
#include "searchwidget.h"
#include "settings.h"
#include "worktimeplanningmodel.h"
#include "worktimeplanningproxy.h"
#include "wtplanninglogging.h"

#include <QAbstractItemView>
#include <QDateTime>
#include <QHBoxLayout>
#include <QHostInfo>
#include <QNetworkInterface>
#include <QSortFilterProxyModel>
#include <QTimer>

using wtplanningview::RoleContainer;

namespace {

constexpr int kPluginVersion = 1;
constexpr int kPageWorktime = 0;
constexpr int kPageDinner = 1;
constexpr int kPageAttached = 2;

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

    connect(model, &WorkTimePlanningModel::dataChanged, this, &WorkTimePlanningView::updateWorkTimeEnables);
    connect(model, &WorkTimePlanningModel::workTimeEdited, this, &WorkTimePlanningView::updateWorkTimeStatictics);
    connect(model, &WorkTimePlanningModel::workTimeEdited, this, &WorkTimePlanningView::updateWorkTimeTotalsLazy);
}

void WorkTimePlanningView::initStatisticPanel()
{
    ui->staticticPanel->setTitle(tr("Свойства"));
    ui->staticticPanel->setTitleVisible(false);
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
    // The totals widgets of the side panel take these figures once they exist.
    const qint64 hoursBudget = model->totalHoursBudget() / 3600;
    const qint64 fact = model->totalTime() / 3600;
    const qint64 reason = (model->totalReasonWorkTime() + model->totalDetachedTime()) / 3600;
    const qint64 salesPlan = model->totalSalesPlan();
    const qint64 attached = model->totalAttachedTime() / 3600;
    qCDebug(lcWtPlanning) << Q_FUNC_INFO << "totals" << hoursBudget << fact << reason << salesPlan << attached
                          << model->isConfirmEnabled();
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

void WorkTimePlanningView::dbresultAsyncResult(Command& command)
{
    qCDebug(lcWtPlanning) << Q_FUNC_INFO << "query result not handled" << command.name;
}
