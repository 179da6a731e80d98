#include "hoursbudget.h"

#include "streamhelpers.h"

namespace orvanta {

bool HOURS_BUDGET::operator==(const HOURS_BUDGET& other) const
{
    return id == other.id && date == other.date && department == other.department && value == other.value;
}

QDataStream& operator<<(QDataStream& stream, const HOURS_BUDGET& record)
{
    return stream << record.id << record.date << record.department << qint32(record.value);
}

QDataStream& operator>>(QDataStream& stream, HOURS_BUDGET& record)
{
    HOURS_BUDGET read;
    readFields(stream, read.id, read.date, read.department, read.value);
    return assignIfComplete(stream, record, read);
}

} // namespace orvanta
