#pragma once

#include "orvantatypes.h"

#include <QDate>
#include <QSet>
#include <QTableView>

class QMenu;
class WorkTimeEditActions;
class WorkTimeHeaderView;
class WorkTimePlanningModel;

/// The planning grid: a table whose leading (employee) columns stay in place while the
/// day columns scroll, with the context menu of the selected cells.
class WorkTimeTableView : public QTableView
{
    Q_OBJECT
public:
    explicit WorkTimeTableView(QWidget* parent = nullptr);
    ~WorkTimeTableView() override;

    void setModel(QAbstractItemModel* model) override;
    /// The planning model behind the sort proxy; null (and a warning) for any other model.
    WorkTimePlanningModel* workTimeModel() const;

    void setFrozenColumns(int count);
    int frozenColumns() const { return m_frozenColumns; }
    QTableView* frozenTableView() const { return m_frozenTable; }

    WorkTimeHeaderView* horizontalHeader() const { return m_header; }
    WorkTimeHeaderView* frozenHorizontalHeader() const { return m_frozenHeader; }
    int sortIndicatorSection() const;
    Qt::SortOrder sortIndicatorOrder() const;

    // Both tables look alike: these apply to the frozen one too.
    void setAlternatingRowColors(bool enable);
    void setIconSize(const QSize& size);
    /// One delegate serves both tables.
    void setItemDelegate(QAbstractItemDelegate* delegate);
    void setShowGrid(bool show);
    void setFrameShape(QFrame::Shape shape);

    void sortByColumn(int column, Qt::SortOrder order);

    /// Short texts, small fonts and low rows: a whole month and thirty employees on one screen. The job
    /// column is left out (the name's tool tip has it); the day columns take the narrower width.
    void setCompact(bool compact);
    bool isCompact() const { return m_compact; }

    /// Copy, paste, undo and redo of the grid's days, for menus and tool bars too.
    WorkTimeEditActions* editActions() const { return m_editActions; }

public slots:
    void updateFrozenTableGeometry();
    void updateFrozenHeaderHeight();
    void resizeColumnToContents(int column);
    void resizeColumnsToContents();
    /// Every row of the grid has the same height, so one row's hint sizes them all.
    void resizeRowsToContents();
    void updateSectionWidth(int logicalIndex, int oldSize, int newSize);
    /// A day column the planner resized gives its width to every day column, in this mode, until the next one.
    void followDayWidth(int logicalIndex, int oldSize, int newSize);
    /// The compact mode leaves the job column out of both tables.
    void hideCompactColumns();
    void updateSectionHeight(int logicalIndex, int oldSize, int newSize);

    void showContextMenu(const QPoint& point);
    void scheduleActionTriggered(QAction* action);
    void scheduleFromActionTriggered(QAction* action);
    void absenceReasonActionTriggered(QAction* action);
    void shiftActionTriggered(QAction* action);
    void undoActionTriggered();
    void propertyActionTriggered();
    void attachWorkerTriggered();
    void detachWorkerTriggered();

signals:
    void attachWorker(unsigned int employeeId, const QDate& from, const QDate& to);
    void detachWorker(unsigned int employeeId, const QDate& from, const QDate& to);
    void showDayEditDialog();
    /// A Russian sentence for the planner, e.g. how many days a paste skipped.
    void editReported(const QString& text);

protected:
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    void keyboardSearch(const QString& search) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void commitData(QWidget* editor) override;

private:
    /// The employees and the date range of the selected cells.
    struct SelectionData
    {
        QSet<unsigned int> employees;
        QDate minDate;
        QDate maxDate;
    };

    /// What the menu's enable rules are computed from.
    struct MenuState : SelectionData
    {
        bool editRight = false;
        bool cellEditable = false;
        bool dateEditable = false;
        bool base() const { return editRight && minDate.isValid() && maxDate.isValid(); }
        bool allowed() const { return base() && cellEditable; }
    };

    void init();
    void initContextMenu();
    int frozenWidth() const;
    void extractSelectionData(const QModelIndexList& indexes, QSet<unsigned int>& employees, QDate& minDate,
                              QDate& maxDate) const;
    SelectionData currentSelectionData() const;
    MenuState menuState(const WorkTimePlanningModel* planning) const;
    /// The context menu of the current selection, not shown yet; null without a planning model.
    QMenu* buildContextMenu();
    void addTripAction(QMenu* menu, const WorkTimePlanningModel* planning, const MenuState& state);
    QMenu* initShiftMenu(QMenu* parent);
    QList<QMenu*> initSelectScheduleMenuList(QMenu* parent, bool withFromDate);
    QMenu* initSelectLackReasonMenu(QMenu* parent);
    QAction* initUndoAction(QMenu* parent, const WorkTimePlanningModel* planning, const QSet<unsigned int>& employees);
    QAction* initPropertyAction(QMenu* parent);
    void addScheduleRecord(QAction* action, bool openEnd);
    void setShiftForSelection(orvanta::TYPE_ID shift);
    void editSelectionRange();
    void showMenuAtCurrentCell();
    void setDayColumnsWidth(int width);
    QList<QHeaderView*> rowHeaders() const;

    QTableView* m_frozenTable = nullptr;
    WorkTimeHeaderView* m_frozenHeader = nullptr;
    WorkTimeHeaderView* m_header = nullptr;
    WorkTimeEditActions* m_editActions = nullptr;
    /// The employee columns, up to the first day.
    int m_frozenColumns = 0;
    bool m_compact = false;
    /// Set while the view itself sizes the day columns, so the planner's width is not taken from it.
    bool m_sizingDays = false;
    /// The day width the planner chose, per mode (normal, compact); 0 to size the days to their contents.
    int m_plannerDayWidth[2] = {0, 0};
};
