#include "reportjobrunner.h"

#include "commandframe.h"
#include "ovdatastream.h"
#include "servercommands.h"
#include "serverlogging.h"
#include "sessionregistry.h"

#include <QUuid>

#include <algorithm>

namespace {

// Reports are read-heavy: two at a time leave the server's own thread a core on a small machine.
constexpr int ParallelJobs = 2;
constexpr int JobsPerConnection = 4;
// Room in a frame for the command's other fields: a larger result would make the client drop the connection.
constexpr int LargestResult = int(CommandFrame::MaxContentSize) - 64 * 1024;

QByteArray encodeOutcome(const QString& jobId, const ReportJob::Outcome& outcome)
{
    QByteArray data;
    OVDataStream stream(&data, QIODevice::WriteOnly);
    stream << jobId << qint32(outcome.ok ? ReportJobRunner::StatusOk : ReportJobRunner::StatusFailed)
           << outcome.message << outcome.result;
    return data;
}

} // namespace

ReportJobRunner::ReportJobRunner(const QString& databaseUrl, SessionRegistry* sessions, QObject* parent)
    : QObject(parent), m_databaseUrl(databaseUrl), m_sessions(sessions)
{
    m_pool.setMaxThreadCount(ParallelJobs);
    m_sessions->setSessionEnded(
        [this](const QByteArray& token) { cancelWhere([&token](const Job& job) { return job.session == token; }); });
}

ReportJobRunner::~ReportJobRunner()
{
    m_sessions->setSessionEnded({});
    for (const Job& job : qAsConst(m_jobs))
        job.state->cancelled.storeRelease(1);
    m_jobs.clear();
    m_pool.clear();
    // A job finishing meanwhile posts to this object; the posted call dies with it.
    m_pool.waitForDone();
}

QString ReportJobRunner::start(const QByteArray& session, quint64 connection, const QString& clientId,
                               const PlanningReportQuery& query, QString* error)
{
    const auto running = std::count_if(m_jobs.cbegin(), m_jobs.cend(),
                                       [connection](const Job& job) { return job.connection == connection; });
    if (running >= JobsPerConnection) {
        *error = QStringLiteral("Слишком много отчетов формируется одновременно, дождитесь их готовности");
        return QString();
    }
    const QString jobId = QUuid::createUuid().toString(QUuid::WithoutBraces);
    const auto state = std::make_shared<ReportJob::State>();
    m_jobs.insert(jobId, {session, connection, clientId, state});
    m_pool.start(new ReportJob(m_databaseUrl, query, state, [this, jobId](const ReportJob::Outcome& outcome) {
        QMetaObject::invokeMethod(this, [this, jobId, outcome] { finish(jobId, outcome); }, Qt::QueuedConnection);
    }));
    qCDebug(lcServerCore) << Q_FUNC_INFO << "report started" << jobId << connection << loggable(clientId);
    return jobId;
}

bool ReportJobRunner::progress(const QByteArray& session, const QString& jobId, qint32* progress) const
{
    const auto job = m_jobs.constFind(jobId);
    if (job == m_jobs.cend() || job->session != session)
        return false;
    *progress = job->state->progress.loadAcquire();
    return true;
}

void ReportJobRunner::dropConnection(quint64 connection)
{
    cancelWhere([connection](const Job& job) { return job.connection == connection; });
}

void ReportJobRunner::cancelWhere(const std::function<bool(const Job&)>& matches)
{
    for (auto job = m_jobs.begin(); job != m_jobs.end();) {
        if (matches(*job)) {
            job->state->cancelled.storeRelease(1);
            job = m_jobs.erase(job);
        } else {
            ++job;
        }
    }
}

void ReportJobRunner::finish(const QString& jobId, const ReportJob::Outcome& outcome)
{
    const auto found = m_jobs.find(jobId);
    if (found == m_jobs.end())
        return;
    const Job job = found.value();
    m_jobs.erase(found);
    // Another user may have logged in on the connection since: the result is only the asking session's.
    if (outcome.cancelled || m_sessions->session(job.connection) != job.session)
        return;
    Command command;
    command.result = ResultSuccess;
    command.name = QLatin1String(ServerCommands::ReportResultPrefix) + job.clientId;
    command.data = encodeOutcome(jobId, outcome);
    if (command.data.size() > LargestResult) {
        ReportJob::Outcome tooLarge;
        tooLarge.message = QStringLiteral("Отчет слишком велик: выберите меньше подразделений");
        qCWarning(lcServerCore) << Q_FUNC_INFO << "report too large" << jobId << command.data.size();
        command.data = encodeOutcome(jobId, tooLarge);
    } else if (!outcome.ok) {
        qCWarning(lcServerCore) << Q_FUNC_INFO << "report failed" << jobId << outcome.message;
    }
    emit resultReady(command, job.connection);
}
