#pragma once

#include "ovsdk_export.h"

#include <QDate>

class QDataStream;

namespace orvanta {

/// Which dates a role may edit: everything, a window around today, or fixed dates.
struct OVSDK_EXPORT _ROLE_DATE_RESTRICTIONS
{
    enum Mode { NoRestriction = 0, RelativeToToday = 1, FixedDates = 2 };

    int mode = NoRestriction;
    /// RelativeToToday: days before and after today that stay editable; negative = no bound.
    int daysBack = -1;
    int daysForward = -1;
    /// FixedDates: the first and last editable dates; an invalid date is no bound.
    QDate from;
    QDate to;

    bool operator==(const _ROLE_DATE_RESTRICTIONS& other) const;
};

OVSDK_EXPORT QDataStream& operator<<(QDataStream& stream, const _ROLE_DATE_RESTRICTIONS& restrictions);
OVSDK_EXPORT QDataStream& operator>>(QDataStream& stream, _ROLE_DATE_RESTRICTIONS& restrictions);

} // namespace orvanta
