#pragma once

#include "demonames.h"
#include "orvantatypes.h"

#include <QDate>

/// An employee of the demo organisation as its builders plan it.
struct DemoEmployee
{
    // Every twentieth employee tells the same story, so every size from 20 up shows all of them.
    enum Slot {
        VacationFromLastMonth = 1,
        DaysOff = 2,
        TransferredThisYear = 3,
        ScheduleChanged = 5,
        SickIntoNextMonth = 6,
        StartsThisMonth = 7,
        OwnBreakRule = 8,
        PersonalSchedule = 9,
        MedicalCheck = 10,
        TransferredThisMonth = 11,
        StudyLeave = 12,
        LeavesThisMonth = 13,
        BusinessTrip = 14,
        AttachedElsewhere = 15,
        LastMonthUnsynced = 16,
        PlanningDisabled = 17,
        CivicDuty = 18,
        Truancy = 19,
        SlotCount = 20
    };

    orvanta::TYPE_ID uid = 0;
    int slot = 0;
    /// Index into the draft's departments.
    int department = 0;
    /// The department of a worker history before a transfer, -1 without one.
    int previousDepartment = -1;
    DemoNames::Person person;
    QString number;
    orvanta::TYPE_ID job = 0;
    orvanta::TYPE_ID previousJob = 0;
    /// First day in the firm, first day in the current department, last day (invalid: employed).
    QDate hired;
    QDate begin;
    QDate end;
    int schedule = 0;
    /// The schedule followed before scheduleFrom, 0 when the employee always had one.
    int previousSchedule = 0;
    QDate scheduleFrom;

    bool employedOn(const QDate& date) const { return hired <= date && (!end.isValid() || date <= end); }
};
