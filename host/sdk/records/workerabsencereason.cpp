#include "workerabsencereason.h"

#include "streamhelpers.h"

namespace orvanta {

bool _WORKER_ABSENCE_REASON_RECORD::operator==(const _WORKER_ABSENCE_REASON_RECORD& other) const
{
    return id == other.id && reason == other.reason && start == other.start && end == other.end
        && timed == other.timed && comment == other.comment && changeTime == other.changeTime;
}

bool _WORKER_ABSENCE_REASON::operator==(const _WORKER_ABSENCE_REASON& other) const
{
    return uid == other.uid && records == other.records;
}

QDataStream& operator<<(QDataStream& stream, const _WORKER_ABSENCE_REASON_RECORD& record)
{
    return stream << record.id << record.reason << record.start << record.end << record.timed << record.comment
                  << record.changeTime;
}

QDataStream& operator>>(QDataStream& stream, _WORKER_ABSENCE_REASON_RECORD& record)
{
    _WORKER_ABSENCE_REASON_RECORD read;
    readFields(stream, read.id, read.reason, read.start, read.end, read.timed, read.comment, read.changeTime);
    return assignIfComplete(stream, record, read);
}

QDataStream& operator<<(QDataStream& stream, const _WORKER_ABSENCE_REASON& reasons)
{
    return stream << reasons.uid << reasons.records;
}

QDataStream& operator>>(QDataStream& stream, _WORKER_ABSENCE_REASON& reasons)
{
    _WORKER_ABSENCE_REASON read;
    readFields(stream, read.uid, read.records);
    return assignIfComplete(stream, reasons, read);
}

} // namespace orvanta
