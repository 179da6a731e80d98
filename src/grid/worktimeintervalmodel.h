#pragma once

#include "schedulecalendarinterval.h"

#include <QAbstractItemModel>
#include <QList>

/// The work intervals of one day as a flat table: start, finish and hours, all in seconds.
class WorkTimeIntervalModel : public QAbstractItemModel
{
    Q_OBJECT
public:
    enum Column { StartColumn = 0, FinishColumn = 1, HoursColumn = 2, ColumnCount = 3 };
    using IntervalList = QList<orvanta::SCHEDULE_CALENDAR_INTERVAL>;

    explicit WorkTimeIntervalModel(QObject* parent = nullptr);

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    IntervalList intervals() const { return m_intervals; }
    /// Resets the model; intervalChanged() is not emitted.
    void setIntervals(const IntervalList& intervals);
    /// row is clamped to 0..rowCount().
    bool insertInterval(int row, const orvanta::SCHEDULE_CALENDAR_INTERVAL& interval);
    bool removeInterval(int row);
    bool updateInterval(int row, const orvanta::SCHEDULE_CALENDAR_INTERVAL& interval);

signals:
    /// The user or a caller changed the list (not emitted by setIntervals()).
    void intervalChanged();

private:
    bool isValidRow(int row) const { return row >= 0 && row < m_intervals.size(); }

    IntervalList m_intervals;
};
