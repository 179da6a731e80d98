#pragma once

#include "orvantatypes.h"
#include "roledaterestrictions.h"

#include <QStringList>

/// A user as the server checks requests against: roles and the two date restrictions.
struct UserAccount
{
    orvanta::TYPE_ID id = 0;
    QString login;
    QString fullName;
    QStringList roles;
    orvanta::_ROLE_DATE_RESTRICTIONS workTimePlanning;
    orvanta::_ROLE_DATE_RESTRICTIONS absenceReasons;

    bool isValid() const { return id != 0; }
};
