#pragma once

#include <QModelIndexList>
#include <QRect>
#include <QStringList>
#include <QVector>

class QAbstractItemModel;
class WorkTimePlanningModel;

/// Days of the planning grid as text, one line per row and a tab between days: "09:00-18:00" for a day's
/// work, the absence marks of an absence day, nothing for a day off. Such text, copied here or from a
/// spreadsheet, goes back onto days as if typed; an empty cell makes the day a day off.
class WorkTimeClipboard
{
public:
    /// Lines of cells.
    using Block = QVector<QStringList>;

    /// Days a paste changed and days it had to leave as they were.
    struct Outcome
    {
        int pasted = 0;
        int skipped = 0;
    };

    /// The days in the rectangle around the selected ones (cells of the grid, the sort proxy's); empty
    /// without a selected day.
    static QString copyText(const QModelIndexList& selected);
    /// Accepts "\r\n" line ends and the final line end spreadsheets add.
    static Block parse(const QString& text);
    /// The grid rectangle a block goes to: from the selection's top-left day, or the current cell without
    /// one, over the whole selection where that is larger than the block.
    static QRect pasteArea(const QModelIndexList& selected, const QModelIndex& current, const Block& block);
    /// Writes the block over the area of the grid, repeated where the area is larger. Locked days, days
    /// of a full-day absence and cells holding absence marks are skipped.
    static Outcome paste(QAbstractItemModel* grid, WorkTimePlanningModel* planning, const Block& block,
                         const QRect& area);

    static bool isDay(const QModelIndex& cell);
    static bool isEditableDay(const QModelIndex& cell);

private:
    static QString dayText(const QModelIndex& day);
    static QRect dayBounds(const QModelIndexList& cells);
    /// False when the text is none a day takes (absence marks): the day is left alone.
    static bool pasteDay(QAbstractItemModel* grid, WorkTimePlanningModel* planning, const QModelIndex& day,
                         const QString& text);
};
