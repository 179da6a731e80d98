#pragma once

#include <QDate>
#include <QMap>
#include <QWidget>

class OVDateEdit;
class QLabel;
class QVBoxLayout;
class WorkTimeTotalWidget;

/// The right-hand panel of the planning page: the loaded month, the warning while the plan is
/// not confirmed, and the period's totals.
class WorkTimeStatisticWidget : public QWidget
{
    Q_OBJECT
public:
    explicit WorkTimeStatisticWidget(QWidget* parent = nullptr);

    void setMonthTitle(const QString& title);
    QString monthTitle() const;
    void setConfirmMessageVisible(bool visible);
    bool isConfirmMessageVisible() const;
    /// Sets the coverage date without emitting dateChanged.
    void setChartDate(const QDate& date);
    QDate chartDate() const;
    WorkTimeTotalWidget* totalWidget() const { return m_totalWidget; }

    void clear();

public slots:
    /// The coverage area is kept hidden, so its data is not drawn.
    void setChartData(const QDate& date, const QMap<int, double>& data);

signals:
    void dateChanged(const QDate& date);

private:
    void buildCoverageArea(QVBoxLayout* layout);

    QLabel* m_monthLabel = nullptr;
    QWidget* m_scheduleConfirmWidget = nullptr;
    WorkTimeTotalWidget* m_totalWidget = nullptr;
    QWidget* m_coverageWidget = nullptr;
    OVDateEdit* m_dateEdit = nullptr;
};
