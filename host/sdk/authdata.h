#pragma once

#include "orvantatypes.h"
#include "ovsdk_export.h"
#include "roledaterestrictions.h"

#include <QByteArray>
#include <QStringList>

/// The logged-in user as the host set it at login: roles, ids and date restrictions.
class OVSDK_EXPORT AuthData
{
public:
    AuthData() = delete;

    static QStringList roles();
    static orvanta::TYPE_ID userId();
    static QByteArray sessionId();
    static orvanta::_ROLE_DATE_RESTRICTIONS workTimePlanningRestrictions();
    static orvanta::_ROLE_DATE_RESTRICTIONS absenceReasonsRestrictions();

    static void setRoles(const QStringList& roles);
    static void setUserId(orvanta::TYPE_ID userId);
    static void setSessionId(const QByteArray& sessionId);
    static void setWorkTimePlanningRestrictions(const orvanta::_ROLE_DATE_RESTRICTIONS& restrictions);
    static void setAbsenceReasonsRestrictions(const orvanta::_ROLE_DATE_RESTRICTIONS& restrictions);
    /// Forgets the user (logout).
    static void clear();
};
