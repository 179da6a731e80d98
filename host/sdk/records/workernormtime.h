#pragma once

#include "orvantatypes.h"
#include "ovsdk_export.h"

#include <QDate>
#include <QMetaType>

class QDataStream;

namespace orvanta {

/// The payroll norm of one employee for one date, in seconds.
struct OVSDK_EXPORT WORKER_NORM_TIME
{
    qint64 id = 0;
    QDate date;
    TYPE_ID worker = 0;
    int time = 0;

    bool operator==(const WORKER_NORM_TIME& other) const;
};

OVSDK_EXPORT QDataStream& operator<<(QDataStream& stream, const WORKER_NORM_TIME& record);
OVSDK_EXPORT QDataStream& operator>>(QDataStream& stream, WORKER_NORM_TIME& record);

} // namespace orvanta

Q_DECLARE_METATYPE(orvanta::WORKER_NORM_TIME)
