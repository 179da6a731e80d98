#pragma once

#include "plannedtimetable.h"

/// A PlannedTimeTable that looks schedules, personal schedules and shift intervals up in the
/// same database (and transaction) it writes to.
class PlannedTimeTableFactory
{
public:
    PlannedTimeTableFactory() = delete;

    static PlannedTimeTable create(const QSqlDatabase& db, SqlDialect dialect);
};
