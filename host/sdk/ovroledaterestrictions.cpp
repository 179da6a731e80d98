#include "ovroledaterestrictions.h"

#include <algorithm>

QPair<QDate, QDate> OVRoleDateRestrictions::restrictionsRange(const orvanta::_ROLE_DATE_RESTRICTIONS& restrictions,
                                                              const QDate& today)
{
    QDate first = minimumDate();
    QDate last = maximumDate();
    switch (restrictions.mode) {
    case orvanta::_ROLE_DATE_RESTRICTIONS::RelativeToToday:
        if (restrictions.daysBack >= 0)
            first = today.addDays(-restrictions.daysBack);
        if (restrictions.daysForward >= 0)
            last = today.addDays(restrictions.daysForward);
        break;
    case orvanta::_ROLE_DATE_RESTRICTIONS::FixedDates:
        if (restrictions.from.isValid())
            first = restrictions.from;
        if (restrictions.to.isValid())
            last = restrictions.to;
        break;
    default:
        break;
    }
    first = std::clamp(first, minimumDate(), maximumDate());
    last = std::clamp(last, minimumDate(), maximumDate());
    // A reversed range would allow nothing; it stays a valid, empty-looking single day.
    if (last < first)
        last = first;
    return {first, last};
}
