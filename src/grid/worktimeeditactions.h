#pragma once

#include <QObject>
#include <QPointer>
#include <QVariant>

class QAbstractItemView;
class QAction;
class WorkTimePlanningModel;

/// The planning grid's everyday editing: copy, paste, undo and redo as actions with their keys, and
/// typing over a selected range. Tells the planner how many days an edit had to leave alone.
class WorkTimeEditActions : public QObject
{
    Q_OBJECT
public:
    /// Adds the actions to the view, whose keys they take while the grid has the focus.
    explicit WorkTimeEditActions(QAbstractItemView* view);

    QAction* copyAction() const { return m_copy; }
    QAction* pasteAction() const { return m_paste; }
    QAction* undoAction() const { return m_undo; }
    QAction* redoAction() const { return m_redo; }

    /// The view has a new model: undo and redo follow its history.
    void followModel();
    /// The in-place editor committed the current day: every other selected day takes the editor's text too.
    void spreadTypedDay(QWidget* editor);

public slots:
    void copy();
    void paste();
    void undo();
    void redo();

signals:
    /// A Russian sentence for the planner.
    void reported(const QString& text);

private:
    QAction* addAction(const QString& text, const QString& toolTip, const QList<QKeySequence>& keys);
    WorkTimePlanningModel* planning() const;
    void updateUndoRedo();

    QAbstractItemView* m_view;
    QPointer<WorkTimePlanningModel> m_planning;
    QAction* m_copy = nullptr;
    QAction* m_paste = nullptr;
    QAction* m_undo = nullptr;
    QAction* m_redo = nullptr;
    // Closing the editor by moving away commits it twice; the second commit is no new edit.
    QPointer<QWidget> m_spreadEditor;
    QVariant m_spreadValue;
};
