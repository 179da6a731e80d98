#include "schedulecalendarday.h"

#include "streamhelpers.h"

namespace orvanta {

bool SCHEDULE_CALENDAR_DAY::operator==(const SCHEDULE_CALENDAR_DAY& other) const
{
    return id == other.id && date == other.date && shift == other.shift && start == other.start
        && finish == other.finish && time == other.time && nightTime == other.nightTime && state == other.state
        && intervals == other.intervals;
}

QDataStream& operator<<(QDataStream& stream, const SCHEDULE_CALENDAR_DAY& day)
{
    return stream << day.id << day.date << day.shift << qint32(day.start) << qint32(day.finish) << qint32(day.time)
                  << qint32(day.nightTime) << qint32(day.state) << day.intervals;
}

QDataStream& operator>>(QDataStream& stream, SCHEDULE_CALENDAR_DAY& day)
{
    SCHEDULE_CALENDAR_DAY read;
    readFields(stream, read.id, read.date, read.shift, read.start, read.finish, read.time, read.nightTime,
               read.state, read.intervals);
    return assignIfComplete(stream, day, read);
}

} // namespace orvanta
