#include "createresult.h"

#include "streamhelpers.h"

#include <QDataStream>

namespace report {

bool RawData::operator==(const RawData& other) const
{
    return format == other.format && data == other.data;
}

bool CreateResult::operator==(const CreateResult& other) const
{
    return items == other.items;
}

QDataStream& operator<<(QDataStream& stream, const RawData& item)
{
    return stream << item.format << item.data;
}

QDataStream& operator>>(QDataStream& stream, RawData& item)
{
    RawData read;
    orvanta::readFields(stream, read.format, read.data);
    return orvanta::assignIfComplete(stream, item, read);
}

QDataStream& operator<<(QDataStream& stream, const CreateResult& result)
{
    return stream << result.items;
}

// A pushed result's item count comes from the other side: read checked, it allocates no more than the bytes hold.
QDataStream& operator>>(QDataStream& stream, CreateResult& result)
{
    CreateResult read;
    orvanta::readChecked(stream, read.items);
    return orvanta::assignIfComplete(stream, result, read);
}

} // namespace report
