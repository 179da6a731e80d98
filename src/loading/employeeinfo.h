#pragma once

#include "orvantatypes.h"

#include <QDate>
#include <QString>

/// One employee row to show: who, and the employment bounds in the filtered department.
struct EmployeeInfo
{
    orvanta::TYPE_ID uid = 0;
    orvanta::TYPE_ID jobUid = 0;
    /// The worker-history object through which the employee belongs to the department; 0 for a direct member.
    orvanta::TYPE_ID reportUid = 0;
    /// The department of the filter the employee was found in.
    orvanta::TYPE_ID department = 0;
    QString number;
    QString name;
    /// Invalid dates mean no bound.
    QDate emplStart;
    /// Earlier than emplStart when contiguous histories precede it.
    QDate emplContStart;
    QDate emplFinish;
    bool reserved = false;
};
