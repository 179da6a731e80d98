#pragma once

#include "orvantatypes.h"
#include "ovsdk_export.h"

#include <QDate>
#include <QDateTime>
#include <QMetaType>

class QDataStream;

namespace orvanta {

/// Confirmation and synchronisation state of one employee's plan for a date.
struct OVSDK_EXPORT WORKER_SYNC_TIME
{
    qint64 key = 0;
    QDate date;
    TYPE_ID worker = 0;
    /// The confirmed plan was synchronised with payroll.
    bool sync = false;
    QDateTime syncTime;
    /// When the plan was confirmed.
    QDateTime saveTime;
    /// When the norm figures were calculated.
    QDateTime normCalcTime;

    bool operator==(const WORKER_SYNC_TIME& other) const;
};

OVSDK_EXPORT QDataStream& operator<<(QDataStream& stream, const WORKER_SYNC_TIME& record);
OVSDK_EXPORT QDataStream& operator>>(QDataStream& stream, WORKER_SYNC_TIME& record);

} // namespace orvanta

Q_DECLARE_METATYPE(orvanta::WORKER_SYNC_TIME)
