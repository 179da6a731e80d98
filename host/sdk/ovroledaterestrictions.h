#pragma once

#include "ovsdk_export.h"
#include "roledaterestrictions.h"

#include <QDate>
#include <QPair>

/// Turns a role's date restriction into the range of editable dates.
class OVSDK_EXPORT OVRoleDateRestrictions
{
public:
    OVRoleDateRestrictions() = delete;

    /// The first and last editable dates. Both are always valid: an open side
    /// becomes minimumDate() or maximumDate().
    static QPair<QDate, QDate> restrictionsRange(const orvanta::_ROLE_DATE_RESTRICTIONS& restrictions,
                                                 const QDate& today = QDate::currentDate());
    static QDate minimumDate() { return QDate(1900, 1, 1); }
    static QDate maximumDate() { return QDate(2999, 12, 31); }
};
