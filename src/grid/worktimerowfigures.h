#pragma once

#include <QVector>
#include <QtGlobal>

class QDate;
class WorkTimeData;
class WorkTimeRowStore;

/// The sums of each row of the planning grid and the per-date totals of its header, in seconds; computed
/// once per change of a row rather than on every paint. The totals are of the department shown, when one is.
class WorkTimeRowFigures
{
public:
    struct Row
    {
        /// The store's revision of the row these figures were computed from; 0 for none yet.
        quint64 revision = 0;
        int plan = 0;
        int planContinuous = 0;
        /// Of the days the row shows; the continuous figures are of the whole plan.
        int time = 0;
        int timeContinuous = 0;
        int reasonTime = 0;
        int reasonTimeContinuous = 0;
        int workReasonTime = 0;
        int balance = 0;
        int attachedTime = 0;
        int detachedTime = 0;
        /// Per day, what the cell shows: timeForDate(date, true) and partDayReasonTime(date, work time).
        QVector<int> dayTime;
        QVector<int> dayWorkReason;
    };

    explicit WorkTimeRowFigures(const WorkTimeRowStore& store) : m_store(store) {}

    const Row& row(int row) const;
    /// Planned plus work-reason seconds of all rows on a day of the period.
    qint64 dateTotal(int day) const;

    qint64 totalTimeForDate(const QDate& date) const;
    qint64 totalReasonForDate(const QDate& date, int mask) const;
    /// Worked seconds of the days the rows show, attached workers' included.
    qint64 totalTime() const;
    /// What the rows' hours column adds up to: worked plus absence seconds of the days shown.
    qint64 totalPlannedTime() const;
    qint64 totalReasonWorkTime() const;
    qint64 totalAttachedTime() const;
    qint64 totalDetachedTime() const;

private:
    /// A refresh or clear drops the figures of the rows before it.
    void followLayout() const;
    /// The figures of every row, brought up to date.
    const QVector<Row>& rows() const;
    /// The sum of a figure over the rows of the department shown (WorkTimeRowStore::isShown).
    template<typename Figure>
    qint64 sumShown(Figure figure) const;
    void compute(const WorkTimeData& row, Row& figures) const;

    const WorkTimeRowStore& m_store;
    mutable QVector<Row> m_rows;
    mutable quint64 m_layoutRevision = 0;
    /// The store's revision when every row was last brought up to date.
    mutable quint64 m_rowsRevision = 0;
    mutable QVector<qint64> m_dateTotals;
    mutable quint64 m_dateTotalsRevision = 0;
};
