#include "plannedtimetablefactory.h"

#include "objectstore.h"
#include "schedulestore.h"
#include "serverlogging.h"
#include "vocabulary.h"

#include <QHash>

#include <algorithm>
#include <memory>

using namespace orvanta;

namespace {

QList<SCHEDULE_CALENDAR_INTERVAL> shiftIntervals(const QSqlDatabase& db, TYPE_ID shift)
{
    QList<ObjectInfo> objects;
    QString error;
    if (!ObjectStore(db).children(shift, QLatin1String(db::wt::SHIFT_INTERVAL), &objects, &error))
        return {};
    QList<SCHEDULE_CALENDAR_INTERVAL> intervals;
    for (const ObjectInfo& object : qAsConst(objects)) {
        SCHEDULE_CALENDAR_INTERVAL interval;
        interval.start = object.property(QLatin1String(db::shift_interval::START)).toInt();
        interval.finish = object.property(QLatin1String(db::shift_interval::FINISH)).toInt();
        interval.order = object.property(QLatin1String(db::shift_interval::ORDER)).toInt();
        intervals.append(interval);
    }
    std::stable_sort(intervals.begin(), intervals.end(),
                     [](const SCHEDULE_CALENDAR_INTERVAL& a, const SCHEDULE_CALENDAR_INTERVAL& b) {
                         return a.order < b.order;
                     });
    return intervals;
}

} // namespace

// The lookups run once per employee and day; each loads what it needs on its first call, which
// comes after the command's own writes, and keeps it for this table's lifetime.
PlannedTimeTable PlannedTimeTableFactory::create(const QSqlDatabase& db, SqlDialect dialect)
{
    struct Cache
    {
        QHash<int, SCHEDULE_DATA> schedules;
        QHash<TYPE_ID, QList<int>> personal;
        QHash<TYPE_ID, QList<SCHEDULE_CALENDAR_INTERVAL>> shifts;
    };
    const auto cache = std::make_shared<Cache>();
    PlannedTimeTable table(db, dialect, [db, cache](int scheduleId) {
        auto found = cache->schedules.find(scheduleId);
        if (found == cache->schedules.end()) {
            SCHEDULE_DATA schedule;
            QString error;
            if (!ScheduleStore(db).find(scheduleId, &schedule, &error))
                qCWarning(lcServerStorage) << Q_FUNC_INFO << "cannot read schedule" << scheduleId << error;
            found = cache->schedules.insert(scheduleId, schedule);
        }
        return found.value();
    });
    table.setPersonalScheduleLookup([db, cache](TYPE_ID employee) {
        auto found = cache->personal.find(employee);
        if (found == cache->personal.end()) {
            QList<int> ids;
            QString error;
            if (!ScheduleStore(db).personalSchedules(employee, &ids, &error))
                qCWarning(lcServerStorage) << Q_FUNC_INFO << "cannot read personal schedules" << employee << error;
            found = cache->personal.insert(employee, ids);
        }
        return found.value();
    });
    table.setShiftLookup([db, cache](TYPE_ID shift) {
        auto found = cache->shifts.find(shift);
        if (found == cache->shifts.end())
            found = cache->shifts.insert(shift, shiftIntervals(db, shift));
        return found.value();
    });
    return table;
}
