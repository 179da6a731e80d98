#pragma once

#include "orvantatypes.h"
#include "ovsdk_export.h"
#include "schedulecalendarinterval.h"

#include <QDate>
#include <QList>

namespace orvanta {

/// One day of a schedule kept as a calendar: a shift, or intervals of its own.
struct OVSDK_EXPORT SCHEDULE_CALENDAR_DAY
{
    qint64 id = 0;
    QDate date;
    /// The shift object of the day; 0 when the day carries its own intervals.
    TYPE_ID shift = 0;
    int start = 0;
    int finish = 0;
    int time = 0;
    int nightTime = 0;
    int state = 0;
    QList<SCHEDULE_CALENDAR_INTERVAL> intervals;

    bool operator==(const SCHEDULE_CALENDAR_DAY& other) const;
};

OVSDK_EXPORT QDataStream& operator<<(QDataStream& stream, const SCHEDULE_CALENDAR_DAY& day);
OVSDK_EXPORT QDataStream& operator>>(QDataStream& stream, SCHEDULE_CALENDAR_DAY& day);

} // namespace orvanta

Q_DECLARE_METATYPE(orvanta::SCHEDULE_CALENDAR_DAY)
