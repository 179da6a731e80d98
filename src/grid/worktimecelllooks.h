#pragma once

#include "orvantatypes.h"
#include "worktimedaylock.h"

#include <QColor>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

class QDate;
class WorkTimeData;
class WorkTimeRowFigures;
class WorkTimeRowStore;

/// What the cells of the planning grid show: texts, marks, colours and tool tips of each role, worked out
/// once per change of a row.
class WorkTimeCellLooks
{
public:
    WorkTimeCellLooks(const WorkTimeRowStore& store, const WorkTimeRowFigures& figures);

    QVariant fixedColumnData(int row, int column, int role) const;
    /// Every role of a date cell but the date, its editability and its tool tip.
    QVariant dateColumnData(int row, const QDate& date, int role) const;
    /// The schedule, why the day is locked, the shift, each absence reason with its hours and the totals.
    QString dayToolTip(int row, const QDate& date, WorkTimeDayLock::Reason lock) const;

    QList<orvanta::TYPE_ID> fullDayReasons(int row, const QDate& date) const;
    QList<orvanta::TYPE_ID> partDayReasons(int row, const QDate& date) const;
    /// The distinct marks of the reasons; a reason without one has nothing to show.
    QStringList reasonMarks(const QList<orvanta::TYPE_ID>& reasons) const;
    /// The first reason's colour, orange when it has none.
    QColor reasonColor(const QList<orvanta::TYPE_ID>& reasons) const;

    /// Marks and colours of the reasons are read from the local store again.
    void forgetReasons();
    /// The tool tips name schedules; they are looked up again.
    void forgetDayLooks();

private:
    /// How a date cell of a row is shown.
    struct DayState
    {
        bool outside = false;
        bool attachedElsewhere = false;
        bool fullDay = false;
        bool shown() const { return !outside && !attachedElsewhere; }
    };

    /// Everything the date cell of a row shows, worked out once for all roles of the day.
    struct DayLook
    {
        DayState state;
        bool validDate = false;
        bool partDay = false;
        int time = 0;
        int start = 0;
        int finish = 0;
        int workReason = 0;
        /// Full-day plus part-day reason seconds of any kind.
        int absence = 0;
        QString display;
        QString fullMarks;
        QString partMarks;
        QColor fullColor;
        QColor partColor;
        /// Looked up on the first tool tip only: painting must not search schedules.
        mutable bool scheduleKnown = false;
        mutable bool scheduleLooked = false;
        mutable QString scheduleName;
    };

    struct RowLooks
    {
        /// The store's revision of the row the days were worked out from; 0 for none yet.
        quint64 revision = 0;
        QVector<DayLook> days;
    };

    struct ReasonLook
    {
        QString mark;
        QString color;
        QString name;
    };

    const DayLook& dayLook(int row, int day) const;
    void computeDayLooks(int row, QVector<DayLook>& looks) const;
    DayState dayState(const WorkTimeData& row, const QDate& date) const;
    static QString dayDisplay(const DayLook& look);
    static QVariant dayMarks(const DayLook& look);
    static QVariant dayColor(const DayLook& look);
    void lookUpSchedule(const WorkTimeData& row, const DayLook& look, const QDate& date) const;
    QString absenceLines(const WorkTimeData& row, const QDate& date) const;
    static QString stateToolTip(const WorkTimeData& row);
    static QString nameToolTip(const WorkTimeData& row);
    QString balanceToolTip(int row) const;
    QString balanceDisplay(const WorkTimeData& row, int rowIndex) const;
    QString hoursDisplay(int row) const;
    const ReasonLook& reasonLook(orvanta::TYPE_ID reason) const;

    const WorkTimeRowStore& m_store;
    const WorkTimeRowFigures& m_figures;
    /// Per row, per day of the period; empty until the row is first shown.
    mutable QVector<RowLooks> m_rows;
    mutable quint64 m_layoutRevision = 0;
    mutable QHash<orvanta::TYPE_ID, ReasonLook> m_reasonLooks;
};
