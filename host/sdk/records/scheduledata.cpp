#include "scheduledata.h"

#include "streamhelpers.h"

namespace orvanta {

bool SCHEDULE_DATA::operator==(const SCHEDULE_DATA& other) const
{
    return id == other.id && name == other.name && active == other.active && kind == other.kind
        && color == other.color && date == other.date && comment == other.comment && cycle == other.cycle
        && shifts == other.shifts && worker == other.worker;
}

QDataStream& operator<<(QDataStream& stream, const SCHEDULE_DATA::CycleDay& day)
{
    return stream << qint32(day.shift);
}

QDataStream& operator>>(QDataStream& stream, SCHEDULE_DATA::CycleDay& day)
{
    SCHEDULE_DATA::CycleDay read;
    readFields(stream, read.shift);
    return assignIfComplete(stream, day, read);
}

QDataStream& operator<<(QDataStream& stream, const SCHEDULE_DATA::Shift& shift)
{
    return stream << shift.shiftUid << shift.intervals;
}

QDataStream& operator>>(QDataStream& stream, SCHEDULE_DATA::Shift& shift)
{
    SCHEDULE_DATA::Shift read;
    readFields(stream, read.shiftUid, read.intervals);
    return assignIfComplete(stream, shift, read);
}

QDataStream& operator<<(QDataStream& stream, const SCHEDULE_DATA& schedule)
{
    return stream << qint32(schedule.id) << schedule.name << qint32(schedule.active) << qint32(schedule.kind)
                  << schedule.color << schedule.date << schedule.comment << schedule.cycle << schedule.shifts
                  << schedule.worker;
}

QDataStream& operator>>(QDataStream& stream, SCHEDULE_DATA& schedule)
{
    SCHEDULE_DATA read;
    readFields(stream, read.id, read.name, read.active, read.kind, read.color, read.date, read.comment, read.cycle,
               read.shifts, read.worker);
    return assignIfComplete(stream, schedule, read);
}

} // namespace orvanta
