#pragma once

#include <QString>

class QDate;
class WorkTimeData;

/// Why a day of a grid row may not be changed: the cell's orange lock, and the line of its tool tip that
/// tells the planner why.
class WorkTimeDayLock
{
public:
    enum Reason {
        Unlocked,
        OutsidePeriod,
        BeforeEmployment,
        AfterDismissal,
        OnTripElsewhere,
        OutsideTrip,
        RoleRestriction,
        ReadOnly
    };

    WorkTimeDayLock() = delete;

    /// The first reason that locks date of row; Unlocked when the planner may change it.
    static Reason reason(const WorkTimeData& row, const QDate& date, bool readOnly);
    /// What the tool tip says of reason; empty for Unlocked.
    static QString text(Reason reason, const WorkTimeData& row, const QDate& date);
};
