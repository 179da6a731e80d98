#pragma once

#include "objectinfo.h"
#include "orvantatypes.h"
#include "taskinfo.h"

#include <QDate>
#include <QWidget>

class AttachWorkerDepartmentSelector;
class OVDateEdit;
class QLabel;

/// The fields of a trip shared by the edit dialog and the wizard: the employee, the first and
/// last day and the host department; and the "save_object" task they make.
class AttachWorkerFields : public QWidget
{
    Q_OBJECT

public:
    explicit AttachWorkerFields(QWidget* parent = nullptr);

    /// Whether another trip of the employee (not skippedTrip) shares a day with start to finish.
    static bool overlapsOtherTrip(orvanta::TYPE_ID employee, const QDate& start, const QDate& finish,
                                  orvanta::TYPE_ID skippedTrip);

    void setEmployeeUid(orvanta::TYPE_ID employee);
    void setOrgstructure(const orvanta::OBJECT_HASH& objects);
    orvanta::TYPE_ID employeeUid() const { return m_employee; }
    /// An invalid date lifts the limit.
    void setMinimumDate(const QDate& date);
    QDate minimumDate() const { return m_minimumDate; }
    void setMaximumDate(const QDate& date);
    QDate maximumDate() const { return m_maximumDate; }
    void setStart(const QDate& date);
    QDate start() const;
    void setFinish(const QDate& date);
    QDate finish() const;
    orvanta::TYPE_ID departmentUid() const;
    orvanta::ObjectInfo depinfo() const;
    AttachWorkerDepartmentSelector* selector() const { return m_selector; }

    /// The dates are in order and the employee and the department are chosen.
    bool isComplete() const;
    /// Saves trip (uid 0: a new one) with the fields' values.
    orvanta::TaskInfo saveTask(const orvanta::ObjectInfo& trip) const;

signals:
    void changed();

private:
    QLabel* m_name;
    OVDateEdit* m_start;
    OVDateEdit* m_finish;
    AttachWorkerDepartmentSelector* m_selector;
    orvanta::TYPE_ID m_employee = 0;
    QDate m_minimumDate;
    QDate m_maximumDate;
};
