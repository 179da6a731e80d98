#pragma once

#include <QWidget>

class QGridLayout;
class QLabel;

/// The period's totals of the side panel: hours budget, planned hours, their discrepancy,
/// sales plan, productivity and internal business trips, all in whole hours.
class WorkTimeTotalWidget : public QWidget
{
    Q_OBJECT
public:
    explicit WorkTimeTotalWidget(QWidget* parent = nullptr);

    void setHoursBudget(qint64 hours);
    /// Read back from the label, as the planner sees it.
    qint64 hoursBudget() const;
    void setFactValue(qint64 hours);
    qint64 factValue() const { return m_factValue; }
    void setReasonValue(qint64 hours);
    qint64 reasonValue() const { return m_reasonValue; }
    void setSalesPlanValue(qint64 value);
    qint64 salesPlanValue() const;
    void setAttachedValue(qint64 hours);
    qint64 attachedValue() const;

    /// Zero for everything but the business trips, which keep their last value.
    void clear();

private:
    QLabel* addRow(const QString& name, const QString& title, int titlePixelSize);
    void updatePlanned();
    void updateDiscrepancy();
    void updateProductivity();

    QGridLayout* m_layout = nullptr;
    QLabel* m_hoursBudgetLabel = nullptr;
    QLabel* m_factLabel = nullptr;
    QLabel* m_diffLabel = nullptr;
    QLabel* m_salesPlanLabel = nullptr;
    QLabel* m_perfLabel = nullptr;
    QLabel* m_attachedLabel = nullptr;
    qint64 m_factValue = 0;
    qint64 m_reasonValue = 0;
};
