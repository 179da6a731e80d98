#include "createquery.h"

#include "streamhelpers.h"

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

// The checked readers: a request's counts come from the other side and must not decide what is allocated.
QDataStream& operator>>(QDataStream& stream, CreateQuery& query)
{
    CreateQuery read;
    QMultiMap<QString, QVariant> params;
    orvanta::readFields(stream, read.reportId, read.userId, read.formats, params, read.language);
    for (auto it = params.cbegin(); it != params.cend(); ++it)
        read.params.insert(it.key(), it.value());
    return orvanta::assignIfComplete(stream, query, read);
}

} // namespace report
