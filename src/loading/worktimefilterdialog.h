#pragma once

#include "orvantatypes.h"

#include <QDate>
#include <QDialog>
#include <QList>
#include <QStringList>

class QPushButton;
class WorkerHistoryPanelWidget;
class WorkerHistoryProxyModel;
class WorkTimePeriodWidget;

/// Where a planning pass begins: a month and the departments to plan, applied with one button.
class WorkTimeFilterDialog : public QDialog
{
    Q_OBJECT
public:
    explicit WorkTimeFilterDialog(QWidget* parent = nullptr);

    WorkTimePeriodWidget* periodWidget() const { return m_periodWidget; }
    WorkerHistoryPanelWidget* workerWidget() const { return m_workerWidget; }
    QDate dateStart() const;
    QDate dateFinish() const;
    /// The checked departments.
    QList<orvanta::TYPE_ID> checked() const;

public slots:
    void accept() override;
    void updateButtonEnabled();

signals:
    void settingsChanged();
    void filterChanged(const QDate& start, const QDate& finish, const QList<orvanta::TYPE_ID>& dep_uids,
                       const QStringList& dep_names);

private:
    void buildDepartmentTree();

    WorkTimePeriodWidget* m_periodWidget = nullptr;
    WorkerHistoryPanelWidget* m_workerWidget = nullptr;
    WorkerHistoryProxyModel* m_departmentProxy = nullptr;
    QPushButton* m_applyButton = nullptr;
};
