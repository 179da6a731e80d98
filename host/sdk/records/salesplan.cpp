#include "salesplan.h"

#include "streamhelpers.h"

namespace orvanta {

bool SALES_PLAN::operator==(const SALES_PLAN& other) const
{
    return id == other.id && date == other.date && department == other.department && value == other.value;
}

QDataStream& operator<<(QDataStream& stream, const SALES_PLAN& record)
{
    return stream << record.id << record.date << record.department << record.value;
}

QDataStream& operator>>(QDataStream& stream, SALES_PLAN& record)
{
    SALES_PLAN read;
    readFields(stream, read.id, read.date, read.department, read.value);
    return assignIfComplete(stream, record, read);
}

} // namespace orvanta
