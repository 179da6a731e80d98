#pragma once

#include "sqldialect.h"

#include <QSqlDatabase>

struct Command;
class ChangeNotifier;
class CommandRouter;
struct RequestContext;

/// The schedule commands: reading every schedule, adding one, removing some. Removal is
/// announced before it happens (clients still hold the schedules then) and after the commit.
class ScheduleHandler
{
public:
    ScheduleHandler(const QSqlDatabase& db, SqlDialect dialect, ChangeNotifier* notifier);

    void registerAt(CommandRouter& router);

private:
    Command getSchedules(const RequestContext& context);
    Command addSchedule(const RequestContext& context);
    Command removeSchedules(const RequestContext& context);

    QSqlDatabase m_db;
    SqlDialect m_dialect;
    ChangeNotifier* m_notifier;
};
