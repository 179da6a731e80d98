#include "schedulecalendarinterval.h"

#include "streamhelpers.h"

namespace orvanta {

bool SCHEDULE_CALENDAR_INTERVAL::operator==(const SCHEDULE_CALENDAR_INTERVAL& other) const
{
    return id == other.id && dayId == other.dayId && type == other.type && start == other.start
        && finish == other.finish && order == other.order;
}

QDataStream& operator<<(QDataStream& stream, const SCHEDULE_CALENDAR_INTERVAL& interval)
{
    return stream << interval.id << interval.dayId << qint32(interval.type) << qint32(interval.start)
                  << qint32(interval.finish) << qint32(interval.order);
}

QDataStream& operator>>(QDataStream& stream, SCHEDULE_CALENDAR_INTERVAL& interval)
{
    SCHEDULE_CALENDAR_INTERVAL read;
    readFields(stream, read.id, read.dayId, read.type, read.start, read.finish, read.order);
    return assignIfComplete(stream, interval, read);
}

} // namespace orvanta
