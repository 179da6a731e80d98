#pragma once

#include "orvantatypes.h"

/// Uids and schedule ids of the demo organisation, kept in one place so the ranges stay apart.
namespace DemoIds {

// Uid ranges per kind, wide enough that no size makes two kinds meet.
constexpr orvanta::TYPE_ID FirmUid = 1000; // the departments follow it
constexpr orvanta::TYPE_ID FirstJobUid = 2000;
constexpr orvanta::TYPE_ID FirstReasonUid = 3000;
constexpr orvanta::TYPE_ID FirstShiftUid = 4000;
constexpr orvanta::TYPE_ID FirstShiftIntervalUid = 4100;
constexpr orvanta::TYPE_ID ReportUid = 5000;
constexpr orvanta::TYPE_ID FirstBreakRuleUid = 6000;
constexpr orvanta::TYPE_ID FirstEmployeeUid = 100000;
constexpr orvanta::TYPE_ID FirstWorkerHistoryUid = 1000000;
constexpr orvanta::TYPE_ID FirstAttachedWorkerUid = 2000000;

enum ScheduleId {
    FiveDaySchedule = 1,
    MorningTwoTwoSchedule,
    EveningTwoTwoSchedule,
    NightTwoTwoSchedule,
    WarehouseMorningSchedule,
    ShopCalendarSchedule,
    // Copies of the shared schedules drawn with another lunch.
    FirstRedrawnScheduleId = 101,
    FirstPersonalScheduleId = 1001
};

} // namespace DemoIds
