#include "roledaterestrictions.h"

#include "streamhelpers.h"

namespace orvanta {

bool _ROLE_DATE_RESTRICTIONS::operator==(const _ROLE_DATE_RESTRICTIONS& other) const
{
    return mode == other.mode && daysBack == other.daysBack && daysForward == other.daysForward
        && from == other.from && to == other.to;
}

QDataStream& operator<<(QDataStream& stream, const _ROLE_DATE_RESTRICTIONS& restrictions)
{
    return stream << qint32(restrictions.mode) << qint32(restrictions.daysBack) << qint32(restrictions.daysForward)
                  << restrictions.from << restrictions.to;
}

QDataStream& operator>>(QDataStream& stream, _ROLE_DATE_RESTRICTIONS& restrictions)
{
    _ROLE_DATE_RESTRICTIONS read;
    readFields(stream, read.mode, read.daysBack, read.daysForward, read.from, read.to);
    return assignIfComplete(stream, restrictions, read);
}

} // namespace orvanta
