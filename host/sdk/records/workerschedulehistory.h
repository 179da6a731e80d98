#pragma once

#include "orvantatypes.h"
#include "ovsdk_export.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QMetaType>

class QDataStream;

namespace orvanta {

/// One period in which an employee follows a schedule; invalid dates are open ends.
struct OVSDK_EXPORT _WORKER_SCHEDULE_HISTORY_RECORD_V2
{
    TYPE_ID id = 0;
    /// 0 means no schedule.
    TYPE_ID schedule = 0;
    QDate from;
    QDate to;
    /// Only records in state 1 count.
    int state = 1;
    /// The date the planner picked when creating the record.
    QDate date;

    bool operator==(const _WORKER_SCHEDULE_HISTORY_RECORD_V2& other) const;
};

/// Which schedule an employee follows when.
struct OVSDK_EXPORT WORKER_SCHEDULE_HISTORY_V2
{
    TYPE_ID uid = 0;
    QList<_WORKER_SCHEDULE_HISTORY_RECORD_V2> records;

    bool operator==(const WORKER_SCHEDULE_HISTORY_V2& other) const;
};

using WORKER_SCHEDULE_HISTORY_HASH = QHash<TYPE_ID, WORKER_SCHEDULE_HISTORY_V2>;

OVSDK_EXPORT QDataStream& operator<<(QDataStream& stream, const _WORKER_SCHEDULE_HISTORY_RECORD_V2& record);
OVSDK_EXPORT QDataStream& operator>>(QDataStream& stream, _WORKER_SCHEDULE_HISTORY_RECORD_V2& record);
OVSDK_EXPORT QDataStream& operator<<(QDataStream& stream, const WORKER_SCHEDULE_HISTORY_V2& history);
OVSDK_EXPORT QDataStream& operator>>(QDataStream& stream, WORKER_SCHEDULE_HISTORY_V2& history);

} // namespace orvanta

Q_DECLARE_METATYPE(orvanta::WORKER_SCHEDULE_HISTORY_V2)
