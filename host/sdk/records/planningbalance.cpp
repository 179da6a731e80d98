#include "planningbalance.h"

#include "streamhelpers.h"

namespace orvanta {

QDataStream& operator<<(QDataStream& stream, const PLANNING_BALANCE& balance)
{
    return stream << qint32(balance.norm) << qint32(balance.time);
}

QDataStream& operator>>(QDataStream& stream, PLANNING_BALANCE& balance)
{
    PLANNING_BALANCE read;
    readFields(stream, read.norm, read.time);
    return assignIfComplete(stream, balance, read);
}

} // namespace orvanta
