#include "worktimeclipboard.h"

#include "worktimeintervaltext.h"
#include "worktimeitemdelegate.h"
#include "worktimeplanningmodel.h"
#include "wtplanninglogging.h"

#include <QVariantMap>

bool WorkTimeClipboard::isDay(const QModelIndex& cell)
{
    return cell.data(WorkTimePlanningModel::DateRole).toDate().isValid();
}

bool WorkTimeClipboard::isEditableDay(const QModelIndex& cell)
{
    return isDay(cell) && cell.flags().testFlag(Qt::ItemIsEditable);
}

QRect WorkTimeClipboard::dayBounds(const QModelIndexList& cells)
{
    QRect bounds;
    for (const QModelIndex& cell : cells) {
        if (isDay(cell))
            bounds |= QRect(cell.column(), cell.row(), 1, 1);
    }
    return bounds;
}

QString WorkTimeClipboard::dayText(const QModelIndex& day)
{
    if (day.data(WorkTimePlanningModel::DayTimeRole).toInt() > 0)
        return WorkTimeItemDelegate::intervalToString(day.data(WorkTimePlanningModel::DayStartRole).toInt(),
                                                      day.data(WorkTimePlanningModel::DayFinishRole).toInt());
    // A day off shows its own mark, which a copy leaves out; a day outside the employment or the trip has
    // none and copies as its "-", which no paste takes.
    const QString marks = day.data(WorkTimePlanningModel::MarksRole).toString();
    if (marks.isEmpty())
        return day.data(Qt::DisplayRole).toString();
    return marks == QStringLiteral("В") ? QString() : marks;
}

QString WorkTimeClipboard::copyText(const QModelIndexList& selected)
{
    const QRect bounds = dayBounds(selected);
    if (bounds.isEmpty())
        return QString();
    const QAbstractItemModel* grid = selected.first().model();
    QStringList lines;
    for (int row = bounds.top(); row <= bounds.bottom(); ++row) {
        QStringList days;
        for (int column = bounds.left(); column <= bounds.right(); ++column)
            days.append(dayText(grid->index(row, column)));
        lines.append(days.join(QLatin1Char('\t')));
    }
    return lines.join(QLatin1Char('\n'));
}

WorkTimeClipboard::Block WorkTimeClipboard::parse(const QString& text)
{
    QString lines = text;
    lines.remove(QLatin1Char('\r'));
    if (lines.endsWith(QLatin1Char('\n')))
        lines.chop(1);
    Block block;
    if (lines.isEmpty())
        return block;
    for (const QString& line : lines.split(QLatin1Char('\n')))
        block.append(line.split(QLatin1Char('\t')));
    return block;
}

QRect WorkTimeClipboard::pasteArea(const QModelIndexList& selected, const QModelIndex& current, const Block& block)
{
    int width = 0;
    for (const QStringList& line : block)
        width = qMax(width, line.size());
    QRect selection = dayBounds(selected);
    // From a leading cell the block starts at the row's first day.
    if (selection.isEmpty() && current.isValid())
        selection = QRect(qMax(current.column(), int(WorkTimePlanningModel::FirstDateColumn)), current.row(), 1, 1);
    if (selection.isEmpty() || block.isEmpty())
        return QRect();
    return QRect(selection.topLeft(), QSize(qMax(width, selection.width()), qMax(block.size(), selection.height())));
}

WorkTimeClipboard::Outcome WorkTimeClipboard::paste(QAbstractItemModel* grid, WorkTimePlanningModel* planning,
                                                    const Block& block, const QRect& area)
{
    Outcome outcome;
    if (!grid || !planning || block.isEmpty())
        return outcome;
    const int lastRow = qMin(area.bottom(), grid->rowCount() - 1);
    const int lastColumn = qMin(area.right(), grid->columnCount() - 1);
    for (int row = area.top(); row <= lastRow; ++row) {
        const QStringList& line = block.at((row - area.top()) % block.size());
        for (int column = area.left(); column <= lastColumn; ++column) {
            const int inLine = (column - area.left()) % qMax(1, line.size());
            const QModelIndex day = grid->index(row, column);
            // A line shorter than the others leaves the rest of its days alone.
            if (inLine >= line.size() || !isDay(day))
                continue;
            if (isEditableDay(day) && pasteDay(grid, planning, day, line.at(inLine).trimmed()))
                ++outcome.pasted;
            else
                ++outcome.skipped;
        }
    }
    qCDebug(lcWtPlanning) << Q_FUNC_INFO << "pasted" << outcome.pasted << "skipped" << outcome.skipped << area;
    return outcome;
}

bool WorkTimeClipboard::pasteDay(QAbstractItemModel* grid, WorkTimePlanningModel* planning, const QModelIndex& day,
                                 const QString& text)
{
    if (text.isEmpty()) {
        const auto uid = static_cast<unsigned int>(day.data(WorkTimePlanningModel::UidRole).toLongLong());
        planning->setShiftForDate(uid, day.data(WorkTimePlanningModel::DateRole).toDate(), 0);
        return true;
    }
    // Pasted text is read as typed text is, so "8-17" pastes as it types.
    const std::optional<WorkTimeIntervalText::Interval> parsed = WorkTimeIntervalText::parse(text);
    if (!parsed)
        return false;
    const QVariantMap interval{{QStringLiteral("time_start"), parsed->start},
                               {QStringLiteral("time_finish"), parsed->finish}};
    return grid->setData(day, interval, WorkTimePlanningModel::IntervalRole);
}

