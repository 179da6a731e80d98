#include "worktimeeditactions.h"

#include "worktimeclipboard.h"
#include "worktimeplanningmodel.h"
#include "worktimeplanningproxy.h"
#include "wtplanninglogging.h"

#include <QAbstractItemView>
#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMetaProperty>

WorkTimeEditActions::WorkTimeEditActions(QAbstractItemView* view) : QObject(view), m_view(view)
{
    m_copy = addAction(tr("Копировать"), tr("Копировать выделенные дни"),
                       QKeySequence::keyBindings(QKeySequence::Copy));
    m_paste = addAction(tr("Вставить"), tr("Вставить дни с текущей ячейки или на все выделенные"),
                        QKeySequence::keyBindings(QKeySequence::Paste));
    m_undo = addAction(tr("Отменить действие"), tr("Отменить последнее изменение в таблице"),
                       {QKeySequence(Qt::CTRL + Qt::Key_Z)});
    m_redo = addAction(tr("Повторить действие"), tr("Повторить отменённое изменение"),
                       {QKeySequence(Qt::CTRL + Qt::Key_Y), QKeySequence(Qt::CTRL + Qt::SHIFT + Qt::Key_Z)});
    connect(m_copy, &QAction::triggered, this, &WorkTimeEditActions::copy);
    connect(m_paste, &QAction::triggered, this, &WorkTimeEditActions::paste);
    connect(m_undo, &QAction::triggered, this, &WorkTimeEditActions::undo);
    connect(m_redo, &QAction::triggered, this, &WorkTimeEditActions::redo);
    updateUndoRedo();
}

QAction* WorkTimeEditActions::addAction(const QString& text, const QString& toolTip, const QList<QKeySequence>& keys)
{
    auto* action = new QAction(text, this);
    action->setToolTip(QStringLiteral("%1 (%2)").arg(toolTip, keys.first().toString(QKeySequence::NativeText)));
    action->setShortcuts(keys);
    // The in-place editor keeps these keys for its own text.
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    m_view->addAction(action);
    return action;
}

WorkTimePlanningModel* WorkTimeEditActions::planning() const
{
    const auto* proxy = qobject_cast<const WorkTimePlanningProxy*>(m_view->model());
    return proxy ? qobject_cast<WorkTimePlanningModel*>(proxy->sourceModel()) : nullptr;
}

void WorkTimeEditActions::followModel()
{
    if (m_planning)
        disconnect(m_planning->editHistory(), nullptr, this, nullptr);
    m_planning = planning();
    if (m_planning)
        connect(m_planning->editHistory(), &WorkTimeEditHistory::stateChanged, this,
                &WorkTimeEditActions::updateUndoRedo);
    updateUndoRedo();
}

void WorkTimeEditActions::updateUndoRedo()
{
    m_undo->setEnabled(m_planning && m_planning->editHistory()->canUndo());
    m_redo->setEnabled(m_planning && m_planning->editHistory()->canRedo());
}

void WorkTimeEditActions::copy()
{
    const QString text = WorkTimeClipboard::copyText(m_view->selectionModel()->selectedIndexes());
    if (text.isEmpty())
        return;
    QGuiApplication::clipboard()->setText(text);
}

void WorkTimeEditActions::paste()
{
    if (!m_planning)
        return;
    const WorkTimeClipboard::Block block = WorkTimeClipboard::parse(QGuiApplication::clipboard()->text());
    const QRect area =
        WorkTimeClipboard::pasteArea(m_view->selectionModel()->selectedIndexes(), m_view->currentIndex(), block);
    if (area.isEmpty()) {
        qCDebug(lcWtPlanning) << Q_FUNC_INFO << "nothing to paste" << block.size();
        return;
    }
    const WorkTimePlanningModel::EditStep step(m_planning);
    const WorkTimeClipboard::Outcome outcome = WorkTimeClipboard::paste(m_view->model(), m_planning, block, area);
    if (outcome.skipped > 0)
        emit reported(tr("Вставлено дней: %1, пропущено: %2").arg(outcome.pasted).arg(outcome.skipped));
}

void WorkTimeEditActions::spreadTypedDay(QWidget* editor)
{
    const QItemSelectionModel* selection = m_view->selectionModel();
    if (!m_planning || !editor || !selection || !selection->isSelected(m_view->currentIndex()))
        return;
    const QModelIndexList selected = selection->selectedIndexes();
    if (selected.size() < 2)
        return;
    const QVariant value = editor->metaObject()->userProperty().read(editor);
    if (editor == m_spreadEditor && value == m_spreadValue)
        return;
    m_spreadEditor = editor;
    m_spreadValue = value;

    const WorkTimePlanningModel::EditStep step(m_planning);
    WorkTimeClipboard::Outcome outcome;
    for (const QModelIndex& day : selected) {
        if (!WorkTimeClipboard::isDay(day))
            continue;
        if (!WorkTimeClipboard::isEditableDay(day)) {
            ++outcome.skipped;
            continue;
        }
        // Each day as if the text were typed there: the delegate reads the editor as it does on Enter.
        m_view->itemDelegate(day)->setModelData(editor, m_view->model(), day);
        ++outcome.pasted;
    }
    if (outcome.skipped > 0)
        emit reported(tr("Изменено дней: %1, пропущено: %2").arg(outcome.pasted).arg(outcome.skipped));
}

void WorkTimeEditActions::undo()
{
    if (m_planning)
        m_planning->undoEdit();
}

void WorkTimeEditActions::redo()
{
    if (m_planning)
        m_planning->redoEdit();
}
