#pragma once

#include "hoursbudget.h"
#include "inheritdata.h"
#include "objectinfo.h"
#include "ovserver_export.h"
#include "roledaterestrictions.h"
#include "salesplan.h"
#include "schedulecalendarday.h"
#include "scheduledata.h"
#include "workerabsencereason.h"
#include "workernormtime.h"
#include "workerschedulehistory.h"
#include "workersynctime.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QStringList>

/// A demo user with its known password.
struct DemoUser
{
    QString login;
    QString password;
    QString fullName;
    QStringList roles;
    orvanta::_ROLE_DATE_RESTRICTIONS workTimePlanning;
    orvanta::_ROLE_DATE_RESTRICTIONS absenceReasons;
};

/// Everything the demo organisation consists of, as the records the clients see. Uids and
/// schedule ids are already assigned and consistent; the server writes them as they are.
struct DemoOrganisation
{
    /// Object data name ("orgstructure", "job", ...) -> its objects, parents before children.
    QHash<QString, QList<orvanta::ObjectInfo>> objects;
    /// Links between objects (worker histories, break-rule objects, attached workers, ...).
    QList<orvanta::_INHERIT_DATA> links;
    QList<orvanta::SCHEDULE_DATA> schedules;
    QHash<orvanta::TYPE_ID, orvanta::WORKER_SCHEDULE_HISTORY_V2> scheduleHistories;
    QHash<orvanta::TYPE_ID, orvanta::_WORKER_ABSENCE_REASON> absences;
    QHash<int, QList<orvanta::SCHEDULE_CALENDAR_DAY>> calendarDays;
    QList<orvanta::WORKER_NORM_TIME> normTime;
    QList<orvanta::WORKER_SYNC_TIME> syncTime;
    QList<orvanta::SALES_PLAN> salesPlan;
    QList<orvanta::HOURS_BUDGET> hoursBudget;
    QList<DemoUser> users;
    /// Binary properties: object uid -> property name ("PT_PHOTO") -> bytes.
    QHash<orvanta::TYPE_ID, QHash<QString, QByteArray>> blobs;
};
