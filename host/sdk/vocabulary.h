#pragma once

#include "orvantatypes.h"

// Names of the server's vocabulary: object types, data names, inherit types and
// property keys, shared by the client and the server.

namespace db {

namespace orgstructure {
inline constexpr char WORKER[] = "OT_WORKER";
inline constexpr char DEPARTMENT[] = "OT_DEPARTMENT";
inline constexpr char FIRM[] = "OT_FIRM";
inline constexpr char SUBJECTROOT[] = "OT_SUBJECTROOT";
} // namespace orgstructure

namespace wt {
inline constexpr char SHIFT[] = "OT_SCHEDULE_SHIFT";
inline constexpr char SHIFT_INTERVAL[] = "OT_SHIFT_INTERVAL";
inline constexpr char BREAK_RULE[] = "OT_BREAK_RULE";
inline constexpr char ATTACHED_WORKER[] = "OT_ATTACHED_WORKER";
inline constexpr char REASON[] = "OT_REASON";
inline constexpr char JOB[] = "OT_JOB";
inline constexpr char WORKER_HISTORY[] = "OT_WORKER_HISTORY";
} // namespace wt

namespace common {
inline constexpr char NAME[] = "PT_NAME";
} // namespace common

namespace shift {
inline constexpr char HIDDEN[] = "PT_HIDDEN";
} // namespace shift

namespace shift_interval {
inline constexpr char START[] = "PT_START";
inline constexpr char FINISH[] = "PT_FINISH";
inline constexpr char ORDER[] = "PT_ORDER";
} // namespace shift_interval

namespace reason {
inline constexpr char NAME[] = "PT_NAME";
inline constexpr char MARK[] = "PT_MARK";
inline constexpr char ORDER[] = "PT_ORDER";
inline constexpr char PLANNING_COLOR[] = "PT_PLANNING_COLOR";
inline constexpr char NORMTIME[] = "PT_NORMTIME";
inline constexpr char WORKTIME[] = "PT_WORKTIME";
inline constexpr char CALC_NORM_METHOD[] = "PT_CALC_NORM_METHOD";
inline constexpr char ALLOW_PLANNING[] = "PT_ALLOW_PLANNING";
} // namespace reason

namespace break_rule {
inline constexpr char NAME[] = "PT_NAME";
inline constexpr char TYPE[] = "PT_TYPE";
inline constexpr char TIME_FROM[] = "PT_TIME_FROM";
inline constexpr char TIME_TO[] = "PT_TIME_TO";
inline constexpr char BREAK_TIME[] = "PT_BREAK_TIME";
inline constexpr char DATE[] = "PT_DATE";
/// Values of TYPE: what kind of objects the rule is attached to.
inline constexpr int TYPE_DEPARTMENTS = 0;
inline constexpr int TYPE_EMPLOYEES = 1;
} // namespace break_rule

namespace attached_worker {
inline constexpr char NAME[] = "PT_NAME";
inline constexpr char DATE_BEGIN[] = "PT_DATE_BEGIN";
inline constexpr char DATE_END[] = "PT_DATE_END";
inline constexpr char JOBLINK[] = "PT_JOBLINK";
inline constexpr char WORKERNUM[] = "PT_WORKERNUM";
inline constexpr char DEPARTNAME[] = "PT_DEPARTNAME";
inline constexpr char DEPARTNUM[] = "PT_DEPARTNUM";
inline constexpr char CREATOR[] = "PT_CREATOR";
} // namespace attached_worker

namespace subject {
inline constexpr char JOBLINK[] = "PT_JOBLINK";
inline constexpr char WORKERNUM[] = "PT_WORKERNUM";
inline constexpr char DISABLE_PLANNING[] = "PT_DISABLE_PLANNING";
/// Employment dates, ISO 8601; empty is no bound.
inline constexpr char DATE_BEGIN[] = "PT_DATE_BEGIN";
inline constexpr char DATE_END[] = "PT_DATE_END";
inline constexpr char PHOTO[] = "PT_PHOTO";
inline constexpr char LASTNAME[] = "PT_LASTNAME";
inline constexpr char FIRSTNAME[] = "PT_FIRSTNAME";
inline constexpr char MIDDLENAME[] = "PT_MIDDLENAME";
} // namespace subject

namespace department {
inline constexpr char DEPARTNUM[] = "PT_DEPARTNUM";
} // namespace department

namespace worker_history {
inline constexpr char DATE_BEGIN[] = "PT_DATE_BEGIN";
inline constexpr char DATE_END[] = "PT_DATE_END";
inline constexpr char JOBLINK[] = "PT_JOBLINK";
} // namespace worker_history

} // namespace db

namespace orvanta {

inline constexpr char SUBJECT_DATANAME[] = "subject";
inline constexpr char ORGSTRUCTURE_DATANAME[] = "orgstructure";
inline constexpr char JOB_DATANAME[] = "job";
inline constexpr char REASON_DATANAME[] = "reason";
inline constexpr char SCHEDULE_SHIFT_DATANAME[] = "schedule_shift";
inline constexpr char SHIFT_INTERVAL_DATANAME[] = "shift_interval";
inline constexpr char BREAK_RULE_DATANAME[] = "break_rule";
inline constexpr char ATTACHED_WORKER_DATANAME[] = "attached_worker";
inline constexpr char WORKER_HISTORY_DATANAME[] = "worker_history";
inline constexpr char REPORT_DATANAME[] = "report";
/// The name (PT_NAME) of the planning report's object among the reports.
inline constexpr char REPORT_PLANNING_SCHEDULE_NAME[] = "REPORT_PLANNING_SCHEDULE";

inline constexpr TYPE_ID INHERIT_PARENT_CHILD = 0;
inline constexpr TYPE_ID INHERIT_WORKER_HISTORY = 32;
inline constexpr TYPE_ID INHERIT_WORKER_HISTORY_DEPARTMENT = 33;
inline constexpr TYPE_ID INHERIT_BREAK_RULE_OBJECT = 53;
inline constexpr TYPE_ID INHERIT_ATTACHED_WORKER = 56;
inline constexpr TYPE_ID INHERIT_ATTACHED_WORKER_DEPARTMENT = 57;

namespace wt::color {
// Colour names of the planning screens, for QColor(name).
inline constexpr char GREEN[] = "#22B1A9";
inline constexpr char ORANGE[] = "#F38300";
inline constexpr char BLUE[] = "#008DF3";
inline constexpr char BLACK[] = "#000000";
inline constexpr char WHITE[] = "#FFFFFF";
inline constexpr char LIGHTGRAY[] = "#E2E2E2";
inline constexpr char ENABLED_TEXT[] = "#626262";
inline constexpr char DISABLED_TEXT[] = "#C4C4C4";
inline constexpr char BORDER[] = "#F2F2F2";
} // namespace wt::color

namespace wt {
/// What a date is in the production calendar the server keeps; the norm-time reply carries it per date.
enum DayKind { WorkingDay = 0, ShortenedDay = 1, DayOff = 2, Holiday = 3 };
} // namespace wt

} // namespace orvanta
