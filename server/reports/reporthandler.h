#pragma once

#include "orvantatypes.h"

#include <QSqlDatabase>
#include <QString>

struct Command;
class CommandRouter;
struct PlanningReportQuery;
class ReportJobRunner;
struct RequestContext;

namespace report {
struct CreateQuery;
}

/// create_report_async and report_status_async: checks the user's rights, the report and its
/// parameters, and hands the planning report to the runner, which pushes it to the asking
/// connection when it is made.
class ReportHandler
{
public:
    ReportHandler(const QSqlDatabase& db, ReportJobRunner* runner);

    void registerAt(CommandRouter& router);

private:
    Command createReport(const RequestContext& context);
    Command reportStatus(const RequestContext& context);
    /// Empty when the request is the planning report with parameters that make sense (then in *planning),
    /// else the Russian refusal; *failed on a storage failure.
    QString checkRequest(const QString& clientId, const report::CreateQuery& query, PlanningReportQuery* planning,
                         bool* failed);
    /// Empty when reportId names the planning report, else why not; *failed on a storage failure.
    QString checkReport(orvanta::TYPE_ID reportId, bool* failed);

    QSqlDatabase m_db;
    ReportJobRunner* m_runner;
};
