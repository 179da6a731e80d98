#include "workersynctime.h"

#include "streamhelpers.h"

namespace orvanta {

bool WORKER_SYNC_TIME::operator==(const WORKER_SYNC_TIME& other) const
{
    return key == other.key && date == other.date && worker == other.worker && sync == other.sync
        && syncTime == other.syncTime && saveTime == other.saveTime && normCalcTime == other.normCalcTime;
}

QDataStream& operator<<(QDataStream& stream, const WORKER_SYNC_TIME& record)
{
    return stream << record.key << record.date << record.worker << record.sync << record.syncTime
                  << record.saveTime << record.normCalcTime;
}

QDataStream& operator>>(QDataStream& stream, WORKER_SYNC_TIME& record)
{
    WORKER_SYNC_TIME read;
    readFields(stream, read.key, read.date, read.worker, read.sync, read.syncTime, read.saveTime, read.normCalcTime);
    return assignIfComplete(stream, record, read);
}

} // namespace orvanta
