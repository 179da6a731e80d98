#pragma once

#include "worktimedata.h"

#include <QHash>
#include <QObject>
#include <QVector>

class WorkTimeRowStore;

/// The planner's grid edits since the last load or save, kept as snapshots of the rows each step
/// changed, to be stepped back and forth through.
///
/// The model reports a row before it changes it. Reports between beginStep and endStep make one step;
/// a report outside them opens a step that takes in the reports of the same event-loop turn, so one
/// user action (a menu command over several rows, the day dialog's row and reasons) is one step.
class WorkTimeEditHistory : public QObject
{
    Q_OBJECT
public:
    /// Rows by their index in the store.
    using RowSnapshots = QHash<int, WorkTimeData>;

    explicit WorkTimeEditHistory(const WorkTimeRowStore& store, QObject* parent = nullptr);

    /// Steps nest: the outermost pair makes the step.
    void beginStep();
    void endStep();
    bool isStepOpen() const { return m_depth > 0; }
    /// Before the store changes the row.
    void aboutToEditRow(int row);

    bool canUndo() const;
    bool canRedo() const;
    /// The rows as they were before the last step, which moves to the redo side; empty when there is none.
    RowSnapshots takeUndo();
    /// The rows as the last undone step left them, which moves back to the undo side.
    RowSnapshots takeRedo();
    /// Forgets every step, the open one too (the rows were loaded or saved).
    void clear();

signals:
    /// canUndo() or canRedo() may have changed.
    void stateChanged();

private:
    struct Step
    {
        RowSnapshots before;
        RowSnapshots after;
    };

    void closeTurnStep();
    /// Only the open step's rows whose edits differ from their snapshots make the step.
    void commitOpenStep();
    /// False when an explicit step is still open: stepping through the history then would split it.
    bool settle(const char* function);
    /// The part of a row the planner edits; what the server sends for it is left as it is now.
    static bool sameEdits(const WorkTimeData& left, const WorkTimeData& right);

    const WorkTimeRowStore& m_store;
    QVector<Step> m_undo;
    QVector<Step> m_redo;
    Step m_open;
    int m_depth = 0;
    bool m_turnStepOpen = false;
};
