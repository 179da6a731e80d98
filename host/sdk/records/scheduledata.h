#pragma once

#include "orvantatypes.h"
#include "ovhash.h"
#include "ovsdk_export.h"
#include "schedulecalendarinterval.h"

#include <QDate>
#include <QList>
#include <QString>

namespace orvanta {

/// A work schedule: a repeating cycle of shifts, or (kinds 3 and 4) days kept as a calendar.
struct OVSDK_EXPORT SCHEDULE_DATA
{
    enum Kind { KindCycle = 1, KindWeekly = 2, KindCalendar = 3, KindPersonal = 4 };

    /// One day of the cycle; shift indexes SCHEDULE_DATA::shifts, -1 is a day off.
    struct CycleDay
    {
        int shift = -1;
        bool operator==(const CycleDay& other) const { return shift == other.shift; }
    };

    /// One shift of the schedule with its intervals.
    struct Shift
    {
        TYPE_ID shiftUid = 0;
        QList<SCHEDULE_CALENDAR_INTERVAL> intervals;
        bool operator==(const Shift& other) const
        {
            return shiftUid == other.shiftUid && intervals == other.intervals;
        }
    };

    int id = 0;
    QString name;
    /// Must be 1 for the schedule to be offered in the planning menus.
    int active = 1;
    int kind = KindCycle;
    QString color;
    /// Base date of the cycle; for a personal schedule the first day of its month.
    QDate date;
    QString comment;
    QList<CycleDay> cycle;
    QList<Shift> shifts;
    /// Owner of a personal schedule.
    TYPE_ID worker = 0;

    bool isValid() const { return id != 0; }
    bool keepsCalendarDays() const { return kind == KindCalendar || kind == KindPersonal; }
    bool operator==(const SCHEDULE_DATA& other) const;
};

using SCHEDULE_HASH = OVHash<int, SCHEDULE_DATA>;

OVSDK_EXPORT QDataStream& operator<<(QDataStream& stream, const SCHEDULE_DATA::CycleDay& day);
OVSDK_EXPORT QDataStream& operator>>(QDataStream& stream, SCHEDULE_DATA::CycleDay& day);
OVSDK_EXPORT QDataStream& operator<<(QDataStream& stream, const SCHEDULE_DATA::Shift& shift);
OVSDK_EXPORT QDataStream& operator>>(QDataStream& stream, SCHEDULE_DATA::Shift& shift);
OVSDK_EXPORT QDataStream& operator<<(QDataStream& stream, const SCHEDULE_DATA& schedule);
OVSDK_EXPORT QDataStream& operator>>(QDataStream& stream, SCHEDULE_DATA& schedule);

} // namespace orvanta

Q_DECLARE_METATYPE(orvanta::SCHEDULE_DATA)
