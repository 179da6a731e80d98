#pragma once

#include "ovsdk_export.h"

#include <QMetaType>

class QDataStream;

namespace orvanta {

/// One work interval of a day, seconds from midnight; a finish below the start ends after midnight.
struct OVSDK_EXPORT SCHEDULE_CALENDAR_INTERVAL
{
    enum SegmentType { Unspecified = 0, DaySegment = 1, NightSegment = 2 };

    quint32 id = 0;
    quint32 dayId = 0;
    int type = Unspecified;
    int start = 0;
    int finish = 0;
    int order = 0;

    bool operator==(const SCHEDULE_CALENDAR_INTERVAL& other) const;
    bool operator!=(const SCHEDULE_CALENDAR_INTERVAL& other) const { return !(*this == other); }
};

OVSDK_EXPORT QDataStream& operator<<(QDataStream& stream, const SCHEDULE_CALENDAR_INTERVAL& interval);
OVSDK_EXPORT QDataStream& operator>>(QDataStream& stream, SCHEDULE_CALENDAR_INTERVAL& interval);

} // namespace orvanta

Q_DECLARE_METATYPE(orvanta::SCHEDULE_CALENDAR_INTERVAL)
