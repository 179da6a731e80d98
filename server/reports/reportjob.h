#pragma once

#include "ovserver_export.h"
#include "planningreportquery.h"
#include "sqldialect.h"

#include "createresult.h"

#include <QAtomicInt>
#include <QRunnable>
#include <QSqlDatabase>
#include <QString>

#include <functional>
#include <memory>

/// Makes one planning report on a pool thread over a database connection of its own, so the server's
/// thread goes on answering. Shares its progress and its cancellation with the runner through State.
class OVSERVER_EXPORT ReportJob : public QRunnable
{
public:
    /// Written by the job and read by the runner, or the other way round for cancelled.
    struct State
    {
        /// 0..100, raised at least every tenth.
        QAtomicInt progress{0};
        QAtomicInt cancelled{0};
    };

    struct Outcome
    {
        /// Stopped on request: nothing to tell anyone.
        bool cancelled = false;
        bool ok = false;
        /// Why it failed, in Russian.
        QString message;
        report::CreateResult result;
    };

    /// Called on the pool thread with the outcome, once.
    using Finished = std::function<void(const Outcome&)>;

    ReportJob(const QString& databaseUrl, const PlanningReportQuery& query, std::shared_ptr<State> state,
              Finished finished);

    void run() override;

    /// The report of query made in the calling thread over db, its reads in one snapshot of the database.
    static Outcome make(const QSqlDatabase& db, SqlDialect dialect, const PlanningReportQuery& query, State* state);

private:
    QString m_databaseUrl;
    PlanningReportQuery m_query;
    std::shared_ptr<State> m_state;
    Finished m_finished;
};
