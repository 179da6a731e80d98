#include "workernormtime.h"

#include "streamhelpers.h"

namespace orvanta {

bool WORKER_NORM_TIME::operator==(const WORKER_NORM_TIME& other) const
{
    return id == other.id && date == other.date && worker == other.worker && time == other.time;
}

QDataStream& operator<<(QDataStream& stream, const WORKER_NORM_TIME& record)
{
    return stream << record.id << record.date << record.worker << qint32(record.time);
}

QDataStream& operator>>(QDataStream& stream, WORKER_NORM_TIME& record)
{
    WORKER_NORM_TIME read;
    readFields(stream, read.id, read.date, read.worker, read.time);
    return assignIfComplete(stream, record, read);
}

} // namespace orvanta
