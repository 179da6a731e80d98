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
        bool loaded = false;
        QHash<int, SCHEDULE_DATA> schedules;
        QHash<TYPE_ID, QList<int>> personal;
        QHash<TYPE_ID, QList<SCHEDULE_CALENDAR_INTERVAL>> shifts;
    };
    const auto cache = std::make_shared<Cache>();
    const auto load = [db, cache]() {
        if (cache->loaded)
            return;
        cache->loaded = true;
        QList<SCHEDULE_DATA> all;
        QString error;
        if (!ScheduleStore(db).all(&all, &error))
            qCWarning(lcServerStorage) << Q_FUNC_INFO << "cannot read schedules" << error;
        for (const SCHEDULE_DATA& schedule : qAsConst(all)) {
            cache->schedules.insert(schedule.id, schedule);
            if (schedule.kind == SCHEDULE_DATA::KindPersonal)
                cache->personal[schedule.worker].append(schedule.id);
        }
    };
    PlannedTimeTable table(db, dialect, [cache, load](int scheduleId) {
        load();
        return cache->schedules.value(scheduleId);
    });
    table.setPersonalScheduleLookup([cache, load](TYPE_ID employee) {
        load();
        return cache->personal.value(employee);
    });
    table.setShiftLookup([db, cache](TYPE_ID shift) {
        auto found = cache->shifts.find(shift);
        if (found == cache->shifts.end())
            found = cache->shifts.insert(shift, shiftIntervals(db, shift));
        return found.value();
    });
    return table;
}
