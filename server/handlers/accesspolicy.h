#pragma once

#include "roledaterestrictions.h"
#include "useraccount.h"

#include <QDate>
#include <QString>

/// Who may read and write what: the roles each needs and the dates a user's restriction allows.
/// Every check returns an empty text when allowed, the Russian refusal otherwise.
class AccessPolicy
{
public:
    AccessPolicy() = delete;

    enum class ObjectWrite { Create, Update, Delete };

    static constexpr char WorkTimeShow[] = "RL_WTPLANNINGVIEW_WORKTIME_SHOW";
    static constexpr char WorkTimeSet[] = "RL_WTPLANNINGVIEW_WORKTIME_SET";
    static constexpr char WorkTimeApprove[] = "RL_WTPLANNINGVIEW_WORKTIME_APPROVE";
    /// Sees the planning report among the objects and may make it.
    static constexpr char WorkTimeReport[] = "RL_WTPLANNINGVIEW_WORKTIME_REPORT";

    /// The role a write of an object of dataname needs.
    static QString objectRole(const QString& dataname, ObjectWrite write);
    /// The role reading objects of dataname needs; empty when any session may (the organisation,
    /// jobs and schedules: every client loads them at login). Reports need the report role.
    static QString readRole(const QString& dataname);
    static bool mayRead(const UserAccount& user, const QString& dataname);
    static QString checkRole(const UserAccount& user, const QString& role);
    /// Whether every date of [first, last] lies in the range restriction allows on today.
    static QString checkDates(const orvanta::_ROLE_DATE_RESTRICTIONS& restriction, const QDate& first,
                              const QDate& last, const QDate& today);
};
