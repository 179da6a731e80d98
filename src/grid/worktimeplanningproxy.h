#pragma once

#include <QSortFilterProxyModel>
#include <QVector>

/// Sorts the planning grid; the hours and balance columns by their figures, not their text. Equal values
/// fall back to the name, then the uid, so the order never depends on the order of intake.
class WorkTimePlanningProxy : public QSortFilterProxyModel
{
    Q_OBJECT
public:
    explicit WorkTimePlanningProxy(QObject* parent = nullptr);

    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

protected:
    int compareNames(const QString& left, const QString& right) const;
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    QVector<double> figuresOf(const QModelIndex& sourceIndex) const;

    /// While a sort by a figures column runs: the figures of each source row, read once.
    QVector<QVector<double>> m_sortFigures;
};
