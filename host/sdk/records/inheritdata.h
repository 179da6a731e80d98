#pragma once

#include "orvantatypes.h"
#include "ovsdk_export.h"

#include <QDateTime>
#include <QMetaType>

class QDataStream;

namespace orvanta {

/// One link between two server objects, valid from start to finish.
struct OVSDK_EXPORT _INHERIT_DATA
{
    TYPE_ID parent = 0;
    TYPE_ID child = 0;
    int refType = 0;
    QDateTime start;
    QDateTime finish;

    bool operator==(const _INHERIT_DATA& other) const;
};

OVSDK_EXPORT QDataStream& operator<<(QDataStream& stream, const _INHERIT_DATA& link);
OVSDK_EXPORT QDataStream& operator>>(QDataStream& stream, _INHERIT_DATA& link);

} // namespace orvanta
