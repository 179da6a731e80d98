#include "blobdatarequest.h"

#include "streamhelpers.h"

namespace orvanta {

QDataStream& operator<<(QDataStream& stream, const _BLOB_DATA_RESQUEST& request)
{
    return stream << request.uid << request.name << request.md5;
}

QDataStream& operator>>(QDataStream& stream, _BLOB_DATA_RESQUEST& request)
{
    _BLOB_DATA_RESQUEST read;
    readFields(stream, read.uid, read.name, read.md5);
    return assignIfComplete(stream, request, read);
}

} // namespace orvanta
