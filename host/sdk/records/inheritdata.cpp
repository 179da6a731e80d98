#include "inheritdata.h"

#include "streamhelpers.h"

namespace orvanta {

bool _INHERIT_DATA::operator==(const _INHERIT_DATA& other) const
{
    return parent == other.parent && child == other.child && refType == other.refType && start == other.start
        && finish == other.finish;
}

QDataStream& operator<<(QDataStream& stream, const _INHERIT_DATA& link)
{
    return stream << link.parent << link.child << qint32(link.refType) << link.start << link.finish;
}

QDataStream& operator>>(QDataStream& stream, _INHERIT_DATA& link)
{
    _INHERIT_DATA read;
    readFields(stream, read.parent, read.child, read.refType, read.start, read.finish);
    return assignIfComplete(stream, link, read);
}

} // namespace orvanta
