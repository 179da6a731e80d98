#include "worktimetableview.h"

#include "authdata.h"
#include "localstorage.h"
#include "ovroledaterestrictions.h"
#include "rolecontainer.h"
#include "vocabulary.h"
#include "workerabsencereasondialog.h"
#include "workerschedulehistorybase.h"
#include "worktimechoicemenus.h"
#include "worktimeeditactions.h"
#include "worktimeheaderview.h"
#include "worktimeitemdelegate.h"
#include "worktimeplanningmodel.h"
#include "worktimeplanningproxy.h"
#include "worktimerangedialog.h"
#include "worktimeutils.h"
#include "wtplanninglogging.h"

#include <QCursor>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSortFilterProxyModel>
#include <QVariantMap>

#include <algorithm>

using namespace orvanta;
using wtplanningview::RoleContainer;

namespace {

// A day cell holds the interval above and the badge, the clock and the hours below.
constexpr int dayRowHeight = 52;
constexpr int minimumNameWidth = 180;
constexpr int minimumCompactNameWidth = 110;
constexpr int minimumDayWidth = 16;
constexpr int normalIconSize = 24;
constexpr int compactIconSize = 16;
// Rows sampled when sizing a column to its contents: names are capped in width anyway, and
// asking thousands of rows for their hints stalls the window for a noticeable moment.
constexpr int resizeRowsSampled = 64;
constexpr int secondsPerDay = 86400;
const char timeStartKey[] = "time_start";
const char timeFinishKey[] = "time_finish";

QString key(const char* name)
{
    return QLatin1String(name);
}

QList<unsigned int> sortedList(const QSet<unsigned int>& set)
{
    QList<unsigned int> list = set.values();
    std::sort(list.begin(), list.end());
    return list;
}

} // namespace

WorkTimeTableView::WorkTimeTableView(QWidget* parent)
    : QTableView(parent), m_frozenColumns(WorkTimePlanningModel::FirstDateColumn)
{
    m_header = new WorkTimeHeaderView(this);
    QTableView::setHorizontalHeader(m_header);
    // The leading sections lie under the frozen table; the planner may narrow the days.
    m_header->setSectionResizeMode(QHeaderView::Interactive);
    m_header->setMinimumSectionSize(minimumDayWidth);

    m_frozenTable = new QTableView(this);
    m_frozenTable->setFocusProxy(this);
    m_frozenTable->setFrameShape(QFrame::NoFrame);
    m_frozenHeader = new WorkTimeHeaderView(m_frozenTable);
    m_frozenTable->setHorizontalHeader(m_frozenHeader);
    m_frozenTable->setSortingEnabled(true);
    connect(m_frozenHeader, &QHeaderView::sectionResized, this, [this](int logicalIndex, int, int newSize) {
        if (logicalIndex >= m_frozenColumns)
            return;
        setColumnWidth(logicalIndex, newSize);
        updateFrozenTableGeometry();
    });

    for (QHeaderView* rows : rowHeaders())
        rows->setDefaultSectionSize(dayRowHeight);
    m_header->setResizeContentsPrecision(resizeRowsSampled);
    m_frozenHeader->setResizeContentsPrecision(resizeRowsSampled);
    initContextMenu();
    m_editActions = new WorkTimeEditActions(this);
    connect(m_editActions, &WorkTimeEditActions::reported, this, &WorkTimeTableView::editReported);
}

WorkTimeTableView::~WorkTimeTableView()
{
    // QTableView's destructor still makes our headers emit (geometriesChanged on the way out),
    // and the slots they reach use the frozen table.
    m_header->disconnect(this);
    verticalHeader()->disconnect(this);
    delete m_frozenTable;
    m_frozenTable = nullptr;
}

void WorkTimeTableView::setModel(QAbstractItemModel* model)
{
    QTableView::setModel(model);
    init();
    m_editActions->followModel();
    const auto unique = Qt::UniqueConnection;
    connect(m_header, &QHeaderView::sectionResized, this, &WorkTimeTableView::updateSectionWidth, unique);
    connect(m_header, &QHeaderView::sectionResized, this, &WorkTimeTableView::followDayWidth, unique);
    connect(verticalHeader(), &QHeaderView::sectionResized, this, &WorkTimeTableView::updateSectionHeight, unique);
    connect(m_frozenTable->verticalScrollBar(), &QAbstractSlider::valueChanged, verticalScrollBar(),
            &QAbstractSlider::setValue, unique);
    connect(verticalScrollBar(), &QAbstractSlider::valueChanged, m_frozenTable->verticalScrollBar(),
            &QAbstractSlider::setValue, unique);
    connect(m_header, &QHeaderView::geometriesChanged, this, &WorkTimeTableView::updateFrozenHeaderHeight, unique);
    connect(m_header, &QHeaderView::geometriesChanged, this, &WorkTimeTableView::updateFrozenTableGeometry, unique);
    // A reset model gives the headers fresh sections, shown all.
    if (model)
        connect(model, &QAbstractItemModel::modelReset, this, &WorkTimeTableView::hideCompactColumns, unique);
}

void WorkTimeTableView::init()
{
    if (!model())
        return;
    m_frozenTable->setModel(model());
    m_frozenTable->verticalHeader()->hide();
    m_frozenHeader->setSectionResizeMode(QHeaderView::Interactive);
    viewport()->stackUnder(m_frozenTable);
    // The overlay covers the leading sections of our own header; it must stay on top of it.
    m_header->stackUnder(m_frozenTable);

    QItemSelectionModel* ownSelection = m_frozenTable->selectionModel();
    m_frozenTable->setSelectionModel(selectionModel());
    if (ownSelection && ownSelection != selectionModel())
        ownSelection->deleteLater();

    setFrozenColumns(m_frozenColumns);
    m_frozenTable->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_frozenTable->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_frozenTable->show();
    updateFrozenHeaderHeight();
    updateFrozenTableGeometry();
    setHorizontalScrollMode(ScrollPerPixel);
    setVerticalScrollMode(ScrollPerPixel);
    m_frozenTable->setVerticalScrollMode(ScrollPerPixel);
}

WorkTimePlanningModel* WorkTimeTableView::workTimeModel() const
{
    const auto* proxy = qobject_cast<const WorkTimePlanningProxy*>(model());
    auto* planning = proxy ? qobject_cast<WorkTimePlanningModel*>(proxy->sourceModel()) : nullptr;
    if (!planning)
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "wrong model"
                                << (model() ? model()->metaObject()->className() : "null");
    return planning;
}

void WorkTimeTableView::setFrozenColumns(int count)
{
    m_frozenColumns = count;
    if (!model())
        return;
    for (int column = 0; column < model()->columnCount(); ++column)
        m_frozenTable->setColumnHidden(column, column >= m_frozenColumns);
    for (int column = 0; column < m_frozenColumns; ++column)
        m_frozenTable->setColumnWidth(column, columnWidth(column));
    hideCompactColumns();
}

int WorkTimeTableView::frozenWidth() const
{
    int width = 0;
    for (int column = 0; column < m_frozenColumns; ++column)
        width += columnWidth(column);
    return width;
}

void WorkTimeTableView::updateFrozenTableGeometry()
{
    const int width = frozenWidth();
    const int frame = frameShape() != QFrame::NoFrame ? frameWidth() : 0;
    const int rowsWidth = verticalHeader()->isHidden() ? 0 : verticalHeader()->width();
    m_frozenTable->setGeometry(rowsWidth + frame, frame, width, viewport()->height() + m_header->height());
    qCDebug(lcWtPlanning) << Q_FUNC_INFO << "frozen width" << width << "frame" << frame << frameWidth();
}

void WorkTimeTableView::updateFrozenHeaderHeight()
{
    m_frozenHeader->setHeightHint(m_header->sizeHint().height());
}

int WorkTimeTableView::sortIndicatorSection() const
{
    return m_frozenHeader->sortIndicatorSection();
}

Qt::SortOrder WorkTimeTableView::sortIndicatorOrder() const
{
    return m_frozenHeader->sortIndicatorOrder();
}

void WorkTimeTableView::setAlternatingRowColors(bool enable)
{
    QTableView::setAlternatingRowColors(enable);
    m_frozenTable->setAlternatingRowColors(enable);
}

void WorkTimeTableView::setIconSize(const QSize& size)
{
    QTableView::setIconSize(size);
    m_frozenTable->setIconSize(size);
}

void WorkTimeTableView::setItemDelegate(QAbstractItemDelegate* delegate)
{
    QTableView::setItemDelegate(delegate);
    m_frozenTable->setItemDelegate(delegate);
    if (auto* cells = qobject_cast<WorkTimeItemDelegate*>(delegate))
        cells->setCompact(m_compact);
}

void WorkTimeTableView::setCompact(bool compact)
{
    m_compact = compact;
    if (auto* cells = qobject_cast<WorkTimeItemDelegate*>(itemDelegate()))
        cells->setCompact(compact);
    m_header->setCompact(compact);
    m_frozenHeader->setCompact(compact);
    setIconSize(compact ? QSize(compactIconSize, compactIconSize) : QSize(normalIconSize, normalIconSize));
    hideCompactColumns();
    updateFrozenHeaderHeight();
    resizeColumnsToContents();
    resizeRowsToContents();
    viewport()->update();
    m_frozenTable->viewport()->update();
}

void WorkTimeTableView::hideCompactColumns()
{
    setColumnHidden(WorkTimePlanningModel::JobColumn, m_compact);
    m_frozenTable->setColumnHidden(WorkTimePlanningModel::JobColumn, m_compact);
    updateFrozenTableGeometry();
}

QList<QHeaderView*> WorkTimeTableView::rowHeaders() const
{
    return {verticalHeader(), m_frozenTable->verticalHeader()};
}

void WorkTimeTableView::followDayWidth(int logicalIndex, int, int newSize)
{
    if (m_sizingDays || logicalIndex < m_frozenColumns)
        return;
    m_plannerDayWidth[m_compact ? 1 : 0] = newSize;
    setDayColumnsWidth(newSize);
}

void WorkTimeTableView::setDayColumnsWidth(int width)
{
    if (!model())
        return;
    const QScopedValueRollback<bool> sizing(m_sizingDays, true);
    for (int column = m_frozenColumns; column < model()->columnCount(); ++column)
        m_header->resizeSection(column, width);
}

void WorkTimeTableView::setShowGrid(bool show)
{
    QTableView::setShowGrid(show);
    m_frozenTable->setShowGrid(show);
}

void WorkTimeTableView::setFrameShape(QFrame::Shape shape)
{
    QTableView::setFrameShape(shape);
    updateFrozenTableGeometry();
}

void WorkTimeTableView::sortByColumn(int column, Qt::SortOrder order)
{
    // The proxy keeps its order through a reload; sorting thousands of names again costs a noticeable moment.
    const auto* proxy = qobject_cast<const QSortFilterProxyModel*>(model());
    if (proxy && proxy->dynamicSortFilter() && proxy->sortColumn() == column && proxy->sortOrder() == order) {
        WorkTimeHeaderView* header = column < m_frozenColumns ? m_frozenHeader : m_header;
        const QSignalBlocker blocker(header);
        header->setSortIndicator(column, order);
        return;
    }
    if (column < m_frozenColumns)
        m_frozenTable->sortByColumn(column, order);
    else
        QTableView::sortByColumn(column, order);
}

void WorkTimeTableView::resizeColumnToContents(int column)
{
    QTableView::resizeColumnToContents(column);
    m_frozenTable->resizeColumnToContents(column);
    for (int frozen = 0; frozen < m_frozenColumns; ++frozen)
        m_frozenTable->setColumnWidth(frozen, columnWidth(frozen));
    updateFrozenTableGeometry();
}

void WorkTimeTableView::resizeColumnsToContents()
{
    {
        const QScopedValueRollback<bool> sizing(m_sizingDays, true);
        QTableView::resizeColumnsToContents();
    }
    if (const int chosen = m_plannerDayWidth[m_compact ? 1 : 0])
        setDayColumnsWidth(chosen);
    // Only the frozen table's own columns: sizing its hidden days would read thousands of rows for nothing.
    for (int frozen = 0; frozen < m_frozenColumns; ++frozen)
        m_frozenTable->resizeColumnToContents(frozen);
    // The frozen header also draws the sort arrow, and an empty grid still needs room for names.
    for (int frozen = 0; frozen < m_frozenColumns; ++frozen) {
        int width = qMax(columnWidth(frozen), m_frozenTable->columnWidth(frozen));
        if (frozen == WorkTimePlanningModel::NameColumn)
            width = qMax(width, m_compact ? minimumCompactNameWidth : minimumNameWidth);
        setColumnWidth(frozen, width);
        m_frozenTable->setColumnWidth(frozen, width);
    }
    updateFrozenTableGeometry();
}

void WorkTimeTableView::resizeRowsToContents()
{
    if (!model() || model()->rowCount() == 0)
        return;
    // The compact rows are as low as their two lines allow; normal ones keep room for the badge's pill.
    const int height = m_compact ? sizeHintForRow(0) : qMax(dayRowHeight, sizeHintForRow(0));
    // The frozen rows first: each row the grid resizes is copied to them, a slow walk when they differ.
    for (QHeaderView* rows : {m_frozenTable->verticalHeader(), verticalHeader()}) {
        rows->setMinimumSectionSize(qMin(height, rows->minimumSectionSize()));
        rows->setDefaultSectionSize(height);
    }
}

void WorkTimeTableView::updateSectionWidth(int logicalIndex, int, int newSize)
{
    if (logicalIndex >= m_frozenColumns)
        return;
    m_frozenTable->setColumnWidth(logicalIndex, newSize);
    updateFrozenTableGeometry();
}

void WorkTimeTableView::updateSectionHeight(int logicalIndex, int, int newSize)
{
    m_frozenTable->setRowHeight(logicalIndex, newSize);
}

void WorkTimeTableView::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
    updateFrozenTableGeometry();
}

QModelIndex WorkTimeTableView::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers)
{
    const QModelIndex current = QTableView::moveCursor(cursorAction, modifiers);
    QScrollBar* scrollBar = horizontalScrollBar();
    if (cursorAction == MoveLeft && current.column() >= m_frozenColumns) {
        const int left = visualRect(current).left();
        if (left < frozenWidth())
            scrollBar->setValue(scrollBar->value() + left - frozenWidth());
    } else if (cursorAction == MoveHome && current.column() == 0) {
        scrollBar->setValue(0);
    }
    return current;
}

void WorkTimeTableView::scrollTo(const QModelIndex& index, ScrollHint hint)
{
    if (index.column() < m_frozenColumns)
        return;
    QTableView::scrollTo(index, hint);
    // The base class counts a cell under the frozen block as visible; bring it out.
    const int left = visualRect(index).left();
    if (left < frozenWidth())
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() + left - frozenWidth());
}

void WorkTimeTableView::keyboardSearch(const QString& search)
{
    if (currentIndex().column() < m_frozenColumns)
        QTableView::keyboardSearch(search);
}

void WorkTimeTableView::keyPressEvent(QKeyEvent* event)
{
    const QModelIndex current = currentIndex();
    const bool inDays = current.isValid() && current.column() >= m_frozenColumns;
    const int key = event->key();
    if (key == Qt::Key_Menu || (key == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier)) {
        showMenuAtCurrentCell();
        event->accept();
        return;
    }
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && inDays && state() != EditingState) {
        emit showDayEditDialog();
        event->accept();
        return;
    }
    if (key == Qt::Key_Delete && inDays && event->modifiers() == Qt::NoModifier) {
        // Delete makes the selected days days off, as the shift menu's first entry does.
        if (const WorkTimePlanningModel* planning = workTimeModel()) {
            if (menuState(planning).allowed())
                setShiftForSelection(0);
        }
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void WorkTimeTableView::commitData(QWidget* editor)
{
    // The typed day and the rest of the selection it goes to are one undo step.
    const WorkTimePlanningModel::EditStep step(workTimeModel());
    QTableView::commitData(editor);
    m_editActions->spreadTypedDay(editor);
}

void WorkTimeTableView::extractSelectionData(const QModelIndexList& indexes, QSet<unsigned int>& employees,
                                             QDate& minDate, QDate& maxDate) const
{
    employees.clear();
    minDate = QDate();
    maxDate = QDate();
    for (const QModelIndex& index : indexes) {
        employees.insert(static_cast<unsigned int>(index.data(WorkTimePlanningModel::UidRole).toLongLong()));
        const QDate date = index.data(WorkTimePlanningModel::DateRole).toDate();
        if (!date.isValid())
            continue;
        if (!minDate.isValid() || date < minDate)
            minDate = date;
        if (!maxDate.isValid() || date > maxDate)
            maxDate = date;
    }
}

WorkTimeTableView::SelectionData WorkTimeTableView::currentSelectionData() const
{
    SelectionData selection;
    if (selectionModel())
        extractSelectionData(selectionModel()->selectedIndexes(), selection.employees, selection.minDate,
                             selection.maxDate);
    return selection;
}

WorkTimeTableView::MenuState WorkTimeTableView::menuState(const WorkTimePlanningModel* planning) const
{
    MenuState state;
    const QModelIndexList indexes = selectionModel() ? selectionModel()->selectedIndexes() : QModelIndexList();
    extractSelectionData(indexes, state.employees, state.minDate, state.maxDate);
    state.editRight = RoleContainer::canEditWorkTime() && state.minDate >= WorkTimeUtils::startEditableDate()
        && state.maxDate <= WorkTimeUtils::finishEditableDate();
    state.cellEditable = std::any_of(indexes.cbegin(), indexes.cend(), [this](const QModelIndex& index) {
        return model()->flags(index).testFlag(Qt::ItemIsEditable);
    });
    state.dateEditable = state.cellEditable
        || std::any_of(indexes.cbegin(), indexes.cend(), [planning](const QModelIndex& index) {
               const QDate date = planning->columnToDate(index.column());
               const auto uid = static_cast<unsigned int>(index.data(WorkTimePlanningModel::UidRole).toLongLong());
               return date.isValid() && planning->isDateEditable(uid, date);
           });
    return state;
}

void WorkTimeTableView::initContextMenu()
{
    for (QWidget* widget : {static_cast<QWidget*>(this), static_cast<QWidget*>(m_frozenTable)}) {
        widget->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(widget, &QWidget::customContextMenuRequested, this, &WorkTimeTableView::showContextMenu,
                Qt::UniqueConnection);
    }
}

void WorkTimeTableView::showContextMenu(const QPoint& point)
{
    qCDebug(lcWtPlanning) << Q_FUNC_INFO << "show menu" << point;
    if (QMenu* menu = buildContextMenu())
        menu->popup(QCursor::pos());
}

void WorkTimeTableView::showMenuAtCurrentCell()
{
    QMenu* menu = buildContextMenu();
    if (!menu)
        return;
    QRect cell = visualRect(currentIndex());
    if (currentIndex().column() < m_frozenColumns)
        cell = m_frozenTable->visualRect(currentIndex()).translated(m_frozenTable->viewport()->pos()
                                                                    - viewport()->pos());
    const QPoint point = cell.isValid() ? cell.center() : QPoint(0, 0);
    menu->popup(viewport()->mapToGlobal(point));
}

QMenu* WorkTimeTableView::buildContextMenu()
{
    const WorkTimePlanningModel* planning = workTimeModel();
    if (!planning || planning->rowCount() == 0) {
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "wrong model";
        return nullptr;
    }
    const MenuState state = menuState(planning);
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);

    QMenu* reasons = initSelectLackReasonMenu(menu);
    reasons->setEnabled(state.allowed() && !reasons->isEmpty());
    menu->addMenu(reasons);

    if (state.employees.size() == 1 && !planning->isPersonalSchedule(*state.employees.cbegin())) {
        const bool singleIndex = selectionModel()->selectedIndexes().size() == 1;
        for (QMenu* schedules : initSelectScheduleMenuList(menu, singleIndex)) {
            schedules->setEnabled(state.allowed());
            menu->addMenu(schedules);
        }
    }

    QMenu* shifts = initShiftMenu(menu);
    shifts->setEnabled(state.allowed() && !shifts->isEmpty());
    menu->addMenu(shifts);

    menu->addSeparator();
    menu->addActions({m_editActions->copyAction(), m_editActions->pasteAction(), m_editActions->undoAction(),
                      m_editActions->redoAction()});
    menu->addSeparator();
    menu->addAction(initUndoAction(menu, planning, state.employees));
    addTripAction(menu, planning, state);

    menu->addSeparator();
    QAction* property = initPropertyAction(menu);
    property->setEnabled(state.base() && state.dateEditable);
    menu->addAction(property);

    if (!RoleContainer::canEditWorkTime())
        menu->setEnabled(false);
    return menu;
}

void WorkTimeTableView::addTripAction(QMenu* menu, const WorkTimePlanningModel* planning, const MenuState& state)
{
    if (state.employees.size() != 1 || !state.minDate.isValid() || !state.maxDate.isValid())
        return;
    const unsigned int employee = *state.employees.cbegin();
    if (planning->isAttached(employee))
        return;
    bool inRange = false;
    for (QDate date = state.minDate; date <= state.maxDate && !inRange; date = date.addDays(1))
        inRange = planning->inAttachedRange(employee, date);
    qCDebug(lcWtPlanning) << Q_FUNC_INFO << "in attached range" << state.employees << state.minDate << state.maxDate
                          << inRange;
    menu->addSeparator();
    QAction* action = nullptr;
    if (!inRange) {
        action = new QAction(tr("Запланировать внутреннюю командировку"), menu);
        action->setEnabled(state.editRight && state.cellEditable && RoleContainer::canAddAttachWorker());
        connect(action, &QAction::triggered, this, &WorkTimeTableView::attachWorkerTriggered);
    } else {
        action = new QAction(tr("Удалить внутреннюю командировку"), menu);
        action->setEnabled(state.editRight && RoleContainer::canDeleteAttachWorker());
        connect(action, &QAction::triggered, this, &WorkTimeTableView::detachWorkerTriggered);
    }
    menu->addAction(action);
}

QMenu* WorkTimeTableView::initShiftMenu(QMenu* parent)
{
    QMenu* menu = WorkTimeChoiceMenus::shiftMenu(parent);
    connect(menu, &QMenu::triggered, this, &WorkTimeTableView::shiftActionTriggered);
    return menu;
}

QList<QMenu*> WorkTimeTableView::initSelectScheduleMenuList(QMenu* parent, bool withFromDate)
{
    QMenu* forDate = WorkTimeChoiceMenus::scheduleMenu(tr("Задать график работы на выбранную дату"), parent);
    connect(forDate, &QMenu::triggered, this, &WorkTimeTableView::scheduleActionTriggered);
    if (!withFromDate)
        return {forDate};
    QMenu* fromDate = WorkTimeChoiceMenus::scheduleMenu(tr("Задать график работы с выбранной даты"), parent);
    connect(fromDate, &QMenu::triggered, this, &WorkTimeTableView::scheduleFromActionTriggered);
    return {forDate, fromDate};
}

QMenu* WorkTimeTableView::initSelectLackReasonMenu(QMenu* parent)
{
    QMenu* menu = WorkTimeChoiceMenus::absenceReasonMenu(parent);
    connect(menu, &QMenu::triggered, this, &WorkTimeTableView::absenceReasonActionTriggered);
    return menu;
}

QAction* WorkTimeTableView::initUndoAction(QMenu* parent, const WorkTimePlanningModel* planning,
                                           const QSet<unsigned int>& employees)
{
    auto* action = new QAction(tr("Отменить изменения"), parent);
    action->setEnabled(std::any_of(employees.cbegin(), employees.cend(),
                                   [planning](unsigned int uid) { return planning->hasChanges(uid); }));
    connect(action, &QAction::triggered, this, &WorkTimeTableView::undoActionTriggered);
    return action;
}

QAction* WorkTimeTableView::initPropertyAction(QMenu* parent)
{
    auto* action = new QAction(tr("Свойства"), parent);
    action->setEnabled(false);
    connect(action, &QAction::triggered, this, &WorkTimeTableView::propertyActionTriggered);
    return action;
}

void WorkTimeTableView::shiftActionTriggered(QAction* action)
{
    if (action)
        setShiftForSelection(action->data().toUInt());
}

void WorkTimeTableView::setShiftForSelection(TYPE_ID shift)
{
    WorkTimePlanningModel* planning = workTimeModel();
    if (!planning)
        return;
    const WorkTimePlanningModel::EditStep step(planning);
    for (const QModelIndex& index : selectionModel()->selectedIndexes()) {
        const QDate date = index.data(WorkTimePlanningModel::DateRole).toDate();
        if (date.isValid())
            planning->setShiftForDate(static_cast<unsigned int>(index.data(WorkTimePlanningModel::UidRole).toLongLong()),
                                      date, shift);
    }
}

void WorkTimeTableView::scheduleActionTriggered(QAction* action)
{
    addScheduleRecord(action, false);
}

void WorkTimeTableView::scheduleFromActionTriggered(QAction* action)
{
    addScheduleRecord(action, true);
}

void WorkTimeTableView::addScheduleRecord(QAction* action, bool openEnd)
{
    WorkTimePlanningModel* planning = workTimeModel();
    if (!planning || !action)
        return;
    const SelectionData selection = currentSelectionData();
    if (selection.employees.size() != 1 || !selection.minDate.isValid())
        return;
    const unsigned int employee = *selection.employees.cbegin();
    WORKER_SCHEDULE_HISTORY_V2 history = planning->objectScheduleHistory(employee);
    _WORKER_SCHEDULE_HISTORY_RECORD_V2 record;
    record.id = 0;
    record.schedule = action->data().toUInt();
    record.from = selection.minDate;
    record.to = openEnd ? QDate() : selection.maxDate;
    record.state = 1;
    record.date = selection.minDate;
    _WORKER_SCHEDULE_HISTORY_BASE::addRecord(history.records, record);
    planning->setObjectScheduleHistory(employee, history);
}

void WorkTimeTableView::absenceReasonActionTriggered(QAction* action)
{
    WorkTimePlanningModel* planning = workTimeModel();
    if (!planning || !action)
        return;
    const SelectionData selection = currentSelectionData();
    QDate minDate = selection.minDate.isValid() ? selection.minDate : planning->dateStart();
    QDate maxDate = selection.maxDate.isValid() ? selection.maxDate : planning->dateFinish();
    const QPair<QDate, QDate> range =
        OVRoleDateRestrictions::restrictionsRange(AuthData::absenceReasonsRestrictions());
    minDate = qMax(minDate, range.first);
    maxDate = qMin(maxDate, range.second);

    _WORKER_ABSENCE_REASON_RECORD record;
    record.id = _WORKER_ABSENCE_REASON_RECORD::NEW_RECORD_ID;
    record.reason = action->data().toUInt();
    record.start = QDateTime(minDate, QTime(0, 0));
    record.end = QDateTime(maxDate, QTime(23, 59, 59));

    QList<ObjectInfo> reasons;
    if (const OBJECT_HASH* objects = LocalStorage::instance()->constObjects(key(REASON_DATANAME)))
        reasons = objects->values();
    WorkerAbsenceReasonDialog dialog(this);
    dialog.setCheckPlanningAllow(true);
    dialog.setAbsenceReasons(reasons);
    dialog.setMinDate(qMax(planning->dateStart(), range.first));
    dialog.setMaxDate(qMin(planning->dateFinish(), range.second));
    dialog.setWorkerReason(record);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const _WORKER_ABSENCE_REASON_RECORD accepted = dialog.workerReason();
    const WorkTimePlanningModel::EditStep step(planning);
    for (unsigned int employee : sortedList(selection.employees))
        planning->setObjectAbsenceReason(employee, accepted);
}

void WorkTimeTableView::undoActionTriggered()
{
    WorkTimePlanningModel* planning = workTimeModel();
    if (!planning)
        return;
    const SelectionData selection = currentSelectionData();
    if (selection.employees.isEmpty())
        return;
    const auto answer = QMessageBox::question(this, tr("Отмена изменений"),
                                              tr("Изменения по выделенным сотрудникам будут потеряны. Продолжить?"),
                                              QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer == QMessageBox::Yes)
        planning->resetChanges(sortedList(selection.employees));
}

void WorkTimeTableView::propertyActionTriggered()
{
    WorkTimePlanningModel* planning = workTimeModel();
    if (!planning)
        return;
    const SelectionData selection = currentSelectionData();
    if (selection.employees.isEmpty())
        return;
    if (selection.employees.size() == 1 && selection.minDate == selection.maxDate) {
        emit showDayEditDialog();
        return;
    }
    editSelectionRange();
}

void WorkTimeTableView::editSelectionRange()
{
    const QModelIndexList indexes = selectionModel()->selectedIndexes();
    bool found = false;
    int start = 0;
    int finish = 0;
    for (const QModelIndex& index : indexes) {
        const QVariant value = index.data(WorkTimePlanningModel::IntervalRole);
        if (value.type() != QVariant::Map)
            continue;
        const QVariantMap interval = value.toMap();
        const int cellStart = interval.value(key(timeStartKey)).toInt();
        int cellFinish = interval.value(key(timeFinishKey)).toInt();
        if (cellFinish < cellStart)
            cellFinish += secondsPerDay;
        start = found ? qMin(start, cellStart) : cellStart;
        finish = found ? qMax(finish, cellFinish) : cellFinish;
        found = true;
    }
    WorkTimeRangeDialog dialog(this);
    dialog.setStart(WorkTimeUtils::secondsToTime(start));
    dialog.setFinish(WorkTimeUtils::secondsToTime(finish));
    if (dialog.exec() != QDialog::Accepted)
        return;
    QVariantMap interval;
    interval.insert(key(timeStartKey), WorkTimeUtils::timeToSeconds(dialog.start()));
    interval.insert(key(timeFinishKey), WorkTimeUtils::timeToSeconds(dialog.finish()));
    const WorkTimePlanningModel::EditStep step(workTimeModel());
    for (const QModelIndex& index : indexes) {
        if (model()->flags(index).testFlag(Qt::ItemIsEditable))
            model()->setData(index, interval, WorkTimePlanningModel::IntervalRole);
    }
}

void WorkTimeTableView::attachWorkerTriggered()
{
    const SelectionData selection = currentSelectionData();
    qCDebug(lcWtPlanning) << Q_FUNC_INFO << selection.employees << selection.minDate << selection.maxDate;
    if (selection.employees.size() == 1)
        emit attachWorker(*selection.employees.cbegin(), selection.minDate, selection.maxDate);
}

void WorkTimeTableView::detachWorkerTriggered()
{
    const SelectionData selection = currentSelectionData();
    qCDebug(lcWtPlanning) << Q_FUNC_INFO << selection.employees << selection.minDate << selection.maxDate;
    if (selection.employees.size() == 1)
        emit detachWorker(*selection.employees.cbegin(), selection.minDate, selection.maxDate);
}
