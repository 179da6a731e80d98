#include "scheduleutil.h"

#include "vocabulary.h"

#include <algorithm>

QList<orvanta::ObjectInfo> ScheduleUtil::sortedShiftIntervals(const orvanta::ObjectInfo& shift,
                                                              const orvanta::OBJECT_HASH* intervals)
{
    QList<orvanta::ObjectInfo> result;
    if (!intervals || !shift.isValid())
        return result;
    for (const orvanta::ObjectInfo& interval : *intervals) {
        if (interval.parent == shift.uid)
            result.append(interval);
    }
    const QString orderKey = QLatin1String(db::shift_interval::ORDER);
    std::sort(result.begin(), result.end(), [&orderKey](const orvanta::ObjectInfo& a, const orvanta::ObjectInfo& b) {
        const int orderA = a.property(orderKey).toInt();
        const int orderB = b.property(orderKey).toInt();
        return orderA != orderB ? orderA < orderB : a.uid < b.uid;
    });
    return result;
}
