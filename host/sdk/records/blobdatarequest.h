#pragma once

#include "orvantatypes.h"
#include "ovsdk_export.h"

#include <QByteArray>
#include <QString>

class QDataStream;

namespace orvanta {

/// Asks for a binary property of an object unless the caller's copy has the given md5.
struct OVSDK_EXPORT _BLOB_DATA_RESQUEST
{
    TYPE_ID uid = 0;
    QString name;
    QByteArray md5;

    bool operator==(const _BLOB_DATA_RESQUEST& other) const
    {
        return uid == other.uid && name == other.name && md5 == other.md5;
    }
};

OVSDK_EXPORT QDataStream& operator<<(QDataStream& stream, const _BLOB_DATA_RESQUEST& request);
OVSDK_EXPORT QDataStream& operator>>(QDataStream& stream, _BLOB_DATA_RESQUEST& request);

} // namespace orvanta
