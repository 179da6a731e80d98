#include "workerschedulehistory.h"

#include "streamhelpers.h"

namespace orvanta {

bool _WORKER_SCHEDULE_HISTORY_RECORD_V2::operator==(const _WORKER_SCHEDULE_HISTORY_RECORD_V2& other) const
{
    return id == other.id && schedule == other.schedule && from == other.from && to == other.to
        && state == other.state && date == other.date;
}

bool WORKER_SCHEDULE_HISTORY_V2::operator==(const WORKER_SCHEDULE_HISTORY_V2& other) const
{
    return uid == other.uid && records == other.records;
}

QDataStream& operator<<(QDataStream& stream, const _WORKER_SCHEDULE_HISTORY_RECORD_V2& record)
{
    return stream << record.id << record.schedule << record.from << record.to << qint32(record.state)
                  << record.date;
}

QDataStream& operator>>(QDataStream& stream, _WORKER_SCHEDULE_HISTORY_RECORD_V2& record)
{
    _WORKER_SCHEDULE_HISTORY_RECORD_V2 read;
    readFields(stream, read.id, read.schedule, read.from, read.to, read.state, read.date);
    return assignIfComplete(stream, record, read);
}

QDataStream& operator<<(QDataStream& stream, const WORKER_SCHEDULE_HISTORY_V2& history)
{
    return stream << history.uid << history.records;
}

QDataStream& operator>>(QDataStream& stream, WORKER_SCHEDULE_HISTORY_V2& history)
{
    WORKER_SCHEDULE_HISTORY_V2 read;
    readFields(stream, read.uid, read.records);
    return assignIfComplete(stream, history, read);
}

} // namespace orvanta
