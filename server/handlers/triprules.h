#pragma once

#include "inheritdata.h"
#include "objectinfo.h"
#include "useraccount.h"

#include <QDate>
#include <QList>
#include <QSqlDatabase>

/// What an internal business trip (an attached worker) must satisfy to be stored: dates the
/// user may plan, no other trip of the same employee on any of its days, and a department other
/// than the employee's own or one below it.
class TripRules
{
public:
    struct Verdict
    {
        enum Kind { Allowed, Forbidden, Invalid, Failed };
        Kind kind = Allowed;
        /// The Russian refusal, or the storage error when Failed.
        QString text;
    };

    TripRules(const QSqlDatabase& db, const UserAccount& user, const QDate& today);

    /// Writing trip with links over stored (invalid for a new trip); empty links keep stored's.
    Verdict checkWrite(const orvanta::ObjectInfo& trip, const QList<orvanta::_INHERIT_DATA>& links,
                       const orvanta::ObjectInfo& stored);
    /// Removing stored: only within the dates the user may plan.
    Verdict checkRemoval(const orvanta::ObjectInfo& stored) const;

private:
    struct Trip
    {
        orvanta::TYPE_ID uid = 0;
        orvanta::TYPE_ID employee = 0;
        orvanta::TYPE_ID department = 0;
        QDate first;
        QDate last;
    };

    /// The dates come from the trip's properties, else from its link to the employee.
    static Trip describe(const orvanta::ObjectInfo& object, const QList<orvanta::_INHERIT_DATA>& links);
    static Verdict checkShape(const Trip& trip);
    Verdict checkDates(const Trip& trip) const;
    Verdict checkDepartment(const Trip& trip, const orvanta::ObjectInfo& employee);
    Verdict checkOverlap(const Trip& trip, const orvanta::ObjectInfo& employee);
    /// The object id, or a verdict saying why there is none.
    Verdict find(orvanta::TYPE_ID id, const QString& missing, orvanta::ObjectInfo* out);

    QSqlDatabase m_db;
    UserAccount m_user;
    QDate m_today;
};
