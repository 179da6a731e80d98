#include "worktimeplanningproxy.h"

#include "worktimeplanningmodel.h"

#include <limits>

namespace {

bool showsFigures(int column)
{
    return column == WorkTimePlanningModel::HoursColumn || column == WorkTimePlanningModel::BalanceColumn;
}

// The figures of a cell such as "176.00 / 72.00", left to right; one not known yet ("???") is the lowest.
QVector<double> figures(const QString& text)
{
    QVector<double> result;
    const QVector<QStringRef> parts = text.splitRef(QLatin1Char('/'));
    for (const QStringRef& part : parts) {
        bool ok = false;
        const double value = part.trimmed().toDouble(&ok);
        result.append(ok ? value : -std::numeric_limits<double>::infinity());
    }
    return result;
}

} // namespace

WorkTimePlanningProxy::WorkTimePlanningProxy(QObject* parent) : QSortFilterProxyModel(parent) {}

void WorkTimePlanningProxy::sort(int column, Qt::SortOrder order)
{
    // A sort compares each row about log2(rows) times: the text of its figures is read and parsed once.
    if (showsFigures(column) && sourceModel()) {
        m_sortFigures.resize(sourceModel()->rowCount());
        for (int row = 0; row < m_sortFigures.size(); ++row)
            m_sortFigures[row] = figures(sourceModel()->index(row, column).data(sortRole()).toString());
    }
    QSortFilterProxyModel::sort(column, order);
    m_sortFigures.clear();
}

QVector<double> WorkTimePlanningProxy::figuresOf(const QModelIndex& sourceIndex) const
{
    if (sourceIndex.row() < m_sortFigures.size())
        return m_sortFigures.at(sourceIndex.row());
    return figures(sourceIndex.data(sortRole()).toString());
}

bool WorkTimePlanningProxy::lessThan(const QModelIndex& left, const QModelIndex& right) const
{
    if (showsFigures(left.column())) {
        // As text "72.00" would follow "176.00".
        const QVector<double> leftFigures = figuresOf(left);
        const QVector<double> rightFigures = figuresOf(right);
        if (leftFigures != rightFigures)
            return leftFigures < rightFigures;
    } else {
        // Each side fetched once: sorting 10,000 rows by name runs this some 140,000 times.
        const QVariant leftValue = left.data(sortRole());
        const QVariant rightValue = right.data(sortRole());
        if (leftValue.userType() == QMetaType::QString && rightValue.userType() == QMetaType::QString) {
            const int order = compareNames(leftValue.toString(), rightValue.toString());
            if (order != 0)
                return order < 0;
        } else if (leftValue != rightValue) {
            return QSortFilterProxyModel::lessThan(left, right);
        }
    }

    if (left.column() != WorkTimePlanningModel::NameColumn) {
        const QString leftName = left.sibling(left.row(), WorkTimePlanningModel::NameColumn).data().toString();
        const QString rightName = right.sibling(right.row(), WorkTimePlanningModel::NameColumn).data().toString();
        const int order = compareNames(leftName, rightName);
        if (order != 0)
            return order < 0;
    }
    return left.data(WorkTimePlanningModel::UidRole).toUInt() < right.data(WorkTimePlanningModel::UidRole).toUInt();
}

int WorkTimePlanningProxy::compareNames(const QString& left, const QString& right) const
{
    return isSortLocaleAware() ? left.localeAwareCompare(right) : left.compare(right, sortCaseSensitivity());
}
