#pragma once

#include "ovdatastream.h"
#include "payload.h"
#include "scheduledata.h"
#include "schedulecalendarday.h"
#include "workerabsencereason.h"
#include "workerschedulehistory.h"

#include <QDateTime>

// The records and payloads the server tests build, in the few shapes they need.
namespace servertest {

constexpr int Hour = 3600;
using HistoryRecords = QList<orvanta::_WORKER_SCHEDULE_HISTORY_RECORD_V2>;
using AbsenceRecords = QList<orvanta::_WORKER_ABSENCE_REASON_RECORD>;
using CalendarDays = QList<orvanta::SCHEDULE_CALENDAR_DAY>;

using ovtest::pack;

// True when payload decodes to exactly values, nothing left over.
template<typename... Args>
bool unpack(const QByteArray& payload, Args&... values)
{
    OVDataStream stream(payload);
    if constexpr (sizeof...(values) > 0)
        (stream >> ... >> values);
    return stream.status() == QDataStream::Ok && stream.atEnd();
}

inline orvanta::SCHEDULE_CALENDAR_INTERVAL interval(int startHour, int finishHour)
{
    orvanta::SCHEDULE_CALENDAR_INTERVAL result;
    result.start = startHour * Hour;
    result.finish = finishHour * Hour;
    return result;
}

inline orvanta::SCHEDULE_CALENDAR_DAY calendarDay(const QDate& date,
                                                  const QList<orvanta::SCHEDULE_CALENDAR_INTERVAL>& intervals,
                                                  orvanta::TYPE_ID shift = 0)
{
    orvanta::SCHEDULE_CALENDAR_DAY day;
    day.date = date;
    day.shift = shift;
    day.intervals = intervals;
    for (int i = 0; i < intervals.size(); ++i)
        day.intervals[i].order = i;
    day.start = intervals.isEmpty() ? 0 : intervals.first().start;
    day.finish = intervals.isEmpty() ? 0 : intervals.last().finish;
    return day;
}

// Day shift 09-13 + 14-18 (index 0) and night shift 22-06 (index 1), both 8 h.
inline orvanta::SCHEDULE_DATA cycleSchedule(int id, const QDate& base, const QList<int>& cycle)
{
    orvanta::SCHEDULE_DATA schedule;
    schedule.id = id;
    schedule.kind = orvanta::SCHEDULE_DATA::KindCycle;
    schedule.date = base;
    for (const int index : cycle)
        schedule.cycle.append({index});
    schedule.shifts = {{701, {interval(9, 13), interval(14, 18)}}, {702, {interval(22, 6)}}};
    return schedule;
}

inline orvanta::_WORKER_SCHEDULE_HISTORY_RECORD_V2 historyRecord(orvanta::TYPE_ID schedule, const QDate& from,
                                                                 const QDate& to, int state = 1,
                                                                 orvanta::TYPE_ID id = 0)
{
    orvanta::_WORKER_SCHEDULE_HISTORY_RECORD_V2 record;
    record.id = id;
    record.schedule = schedule;
    record.from = from;
    record.to = to;
    record.state = state;
    record.date = from.isValid() ? from : QDate(2024, 1, 1);
    return record;
}

inline orvanta::_WORKER_ABSENCE_REASON_RECORD absence(
    orvanta::TYPE_ID reason, const QDateTime& start, const QDateTime& end, const QString& comment = QString(),
    orvanta::TYPE_ID id = orvanta::_WORKER_ABSENCE_REASON_RECORD::NEW_RECORD_ID)
{
    orvanta::_WORKER_ABSENCE_REASON_RECORD record;
    record.id = id;
    record.reason = reason;
    record.start = start;
    record.end = end;
    record.timed = start.time() != QTime(0, 0);
    record.comment = comment;
    return record;
}

} // namespace servertest
