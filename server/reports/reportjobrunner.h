#pragma once

#include "ovserver_export.h"
#include "reportjob.h"

#include "command.h"

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <QThreadPool>

#include <functional>
#include <memory>

struct PlanningReportQuery;
class SessionRegistry;

/// Runs the clients' report jobs on a pool of its own and pushes each result to the connection that
/// asked, as "report_async_result:<clientId>". A job belongs to the session that started it: client
/// ids are easy to guess, so only that session sees its progress and its result, and only while its
/// connection still uses it. The jobs of a dropped connection or an ended session are cancelled and
/// never answered; destroying the runner cancels every job and waits for them.
class OVSERVER_EXPORT ReportJobRunner : public QObject
{
    Q_OBJECT
public:
    enum Status { StatusOk = 1, StatusFailed = 2 };

    /// Listens to sessions for the sessions that end; sessions must outlive the runner.
    ReportJobRunner(const QString& databaseUrl, SessionRegistry* sessions, QObject* parent = nullptr);
    ~ReportJobRunner() override;

    /// The new job's id; empty with a Russian message in *error when the connection runs too many.
    QString start(const QByteArray& session, quint64 connection, const QString& clientId,
                  const PlanningReportQuery& query, QString* error);
    /// False when the job is unknown, finished or another session's.
    bool progress(const QByteArray& session, const QString& jobId, qint32* progress) const;
    void dropConnection(quint64 connection);
    /// Jobs started and neither finished nor dropped.
    int jobCount() const { return m_jobs.size(); }

signals:
    /// QString jobId, qint32 status, QString message, report::CreateResult.
    void resultReady(const Command& pushed, quint64 connection);

private:
    struct Job
    {
        QByteArray session;
        quint64 connection = 0;
        QString clientId;
        std::shared_ptr<ReportJob::State> state;
    };

    void finish(const QString& jobId, const ReportJob::Outcome& outcome);
    void cancelWhere(const std::function<bool(const Job&)>& matches);

    QString m_databaseUrl;
    SessionRegistry* m_sessions;
    QHash<QString, Job> m_jobs;
    QThreadPool m_pool;
};
