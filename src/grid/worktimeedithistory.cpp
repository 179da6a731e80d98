#include "worktimeedithistory.h"

#include "worktimerowstore.h"
#include "wtplanninglogging.h"

#include <QTimer>

namespace {

// Each step holds cheap shared copies of the rows it touched, but a long session of whole-month pastes
// still adds up.
constexpr int maxSteps = 100;

bool sameDays(const QList<WorkTimeData::Day>& left, const QList<WorkTimeData::Day>& right)
{
    if (left.size() != right.size())
        return false;
    for (int i = 0; i < left.size(); ++i) {
        const WorkTimeData::Day& a = left.at(i);
        const WorkTimeData::Day& b = right.at(i);
        if (a.shift != b.shift || a.changed != b.changed || a.intervals != b.intervals)
            return false;
    }
    return true;
}

} // namespace

WorkTimeEditHistory::WorkTimeEditHistory(const WorkTimeRowStore& store, QObject* parent)
    : QObject(parent), m_store(store)
{
}

void WorkTimeEditHistory::beginStep()
{
    // A new action begins: the edits of the turn so far were another one.
    closeTurnStep();
    ++m_depth;
}

void WorkTimeEditHistory::endStep()
{
    if (m_depth == 0) {
        qCWarning(lcWtPlanning) << Q_FUNC_INFO << "no step open";
        return;
    }
    if (--m_depth == 0)
        commitOpenStep();
}

void WorkTimeEditHistory::aboutToEditRow(int row)
{
    if (m_depth == 0) {
        m_turnStepOpen = true;
        m_depth = 1;
        QTimer::singleShot(0, this, &WorkTimeEditHistory::closeTurnStep);
    }
    if (m_open.before.contains(row))
        return;
    m_open.before.insert(row, m_store.row(row));
    // The undo key works at once, before the turn ends.
    if (m_turnStepOpen && m_open.before.size() == 1)
        emit stateChanged();
}

void WorkTimeEditHistory::closeTurnStep()
{
    if (!m_turnStepOpen)
        return;
    m_turnStepOpen = false;
    endStep();
}

void WorkTimeEditHistory::commitOpenStep()
{
    Step step;
    step.before.reserve(m_open.before.size());
    step.after.reserve(m_open.before.size());
    for (auto it = m_open.before.cbegin(); it != m_open.before.cend(); ++it) {
        if (it.key() >= m_store.rowCount())
            continue;
        const WorkTimeData& now = m_store.row(it.key());
        if (sameEdits(it.value(), now))
            continue;
        step.before.insert(it.key(), it.value());
        step.after.insert(it.key(), now);
    }
    m_open = Step();
    if (!step.before.isEmpty()) {
        if (m_undo.size() >= maxSteps)
            m_undo.removeFirst();
        m_undo.append(step);
        m_redo.clear();
    }
    emit stateChanged();
}

bool WorkTimeEditHistory::settle(const char* function)
{
    closeTurnStep();
    if (m_depth > 0) {
        qCWarning(lcWtPlanning) << function << "a step is still open" << m_depth;
        return false;
    }
    return true;
}

bool WorkTimeEditHistory::canUndo() const
{
    return !m_undo.isEmpty() || (m_turnStepOpen && !m_open.before.isEmpty());
}

bool WorkTimeEditHistory::canRedo() const
{
    return !m_redo.isEmpty();
}

WorkTimeEditHistory::RowSnapshots WorkTimeEditHistory::takeUndo()
{
    if (!settle(Q_FUNC_INFO) || m_undo.isEmpty())
        return RowSnapshots();
    m_redo.append(m_undo.takeLast());
    emit stateChanged();
    return m_redo.last().before;
}

WorkTimeEditHistory::RowSnapshots WorkTimeEditHistory::takeRedo()
{
    if (!settle(Q_FUNC_INFO) || m_redo.isEmpty())
        return RowSnapshots();
    m_undo.append(m_redo.takeLast());
    emit stateChanged();
    return m_undo.last().after;
}

void WorkTimeEditHistory::clear()
{
    m_open = Step();
    const bool hadSteps = !m_undo.isEmpty() || !m_redo.isEmpty();
    m_undo.clear();
    m_redo.clear();
    if (hadSteps)
        emit stateChanged();
}

bool WorkTimeEditHistory::sameEdits(const WorkTimeData& left, const WorkTimeData& right)
{
    return left.changes() == right.changes() && sameDays(left.days(), right.days())
        && left.absenceReasons() == right.absenceReasons() && left.scheduleHistory() == right.scheduleHistory();
}
