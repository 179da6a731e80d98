#include "createquery.h"

#include <QDataStream>

namespace report {

bool CreateQuery::operator==(const CreateQuery& other) const
{
    return reportId == other.reportId && userId == other.userId && formats == other.formats
           && params == other.params && language == other.language;
}

QDataStream& operator<<(QDataStream& stream, const CreateQuery& query)
{
    return stream << query.reportId << query.userId << query.formats << query.params << query.language;
}

QDataStream& operator>>(QDataStream& stream, CreateQuery& query)
{
    return stream >> query.reportId >> query.userId >> query.formats >> query.params >> query.language;
}

} // namespace report
