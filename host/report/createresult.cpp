#include "createresult.h"

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
    return stream >> item.format >> item.data;
}

QDataStream& operator<<(QDataStream& stream, const CreateResult& result)
{
    return stream << result.items;
}

QDataStream& operator>>(QDataStream& stream, CreateResult& result)
{
    return stream >> result.items;
}

} // namespace report
