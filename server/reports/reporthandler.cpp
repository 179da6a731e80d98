#include "reporthandler.h"

#include "accesspolicy.h"
#include "commandrouter.h"
#include "createquery.h"
#include "objectstore.h"
#include "payloadreader.h"
#include "planningreportquery.h"
#include "reply.h"
#include "reportjobrunner.h"
#include "servercommands.h"
#include "serverlogging.h"
#include "vocabulary.h"

using namespace orvanta;

namespace {

// The request as the client writes it; report::CreateQuery reads itself with the checked readers.
bool readRequest(const QByteArray& data, QString* clientId, report::CreateQuery* query)
{
    QString unused;
    PayloadReader reader(data);
    reader >> *clientId >> unused >> *query;
    return reader.isComplete();
}

} // namespace

ReportHandler::ReportHandler(const QSqlDatabase& db, ReportJobRunner* runner) : m_db(db), m_runner(runner) {}

void ReportHandler::registerAt(CommandRouter& router)
{
    router.add(QLatin1String(ServerCommands::CreateReportAsync), CommandRouter::Access::Session,
               [this](const RequestContext& context) { return createReport(context); });
    router.add(QLatin1String(ServerCommands::ReportStatusAsync), CommandRouter::Access::Session,
               [this](const RequestContext& context) { return reportStatus(context); });
}

Command ReportHandler::createReport(const RequestContext& context)
{
    QString clientId;
    report::CreateQuery query;
    if (!readRequest(context.request.data, &clientId, &query))
        return Reply::malformed(context.request);
    for (const char* role : {AccessPolicy::WorkTimeShow, AccessPolicy::WorkTimeReport}) {
        const QString refusal = AccessPolicy::checkRole(context.user, QLatin1String(role));
        if (!refusal.isEmpty())
            return Reply::forbidden(context.request, refusal);
    }
    bool failed = false;
    PlanningReportQuery planning;
    QString refusal = checkRequest(clientId, query, &planning, &failed);
    if (failed)
        return Reply::storageFailure(context.request, refusal);
    if (!refusal.isEmpty())
        return Reply::invalid(context.request, refusal);
    const QString jobId = m_runner->start(context.request.session, context.connection, clientId, planning, &refusal);
    if (jobId.isEmpty())
        return Reply::forbidden(context.request, refusal);
    return Reply::ok(context.request, jobId);
}

QString ReportHandler::checkRequest(const QString& clientId, const report::CreateQuery& query,
                                    PlanningReportQuery* planning, bool* failed)
{
    const QString refusal = checkReport(query.reportId, failed);
    if (!refusal.isEmpty())
        return refusal;
    if (clientId.isEmpty())
        return QStringLiteral("Не указан идентификатор клиента");
    if (!query.formats.isEmpty() && !query.formats.contains(QStringLiteral("xml")))
        return QStringLiteral("Формат отчета не поддерживается: %1").arg(loggable(query.formats.join(QLatin1Char(','))));
    QString error;
    return PlanningReportQuery::fromParams(query.params, planning, &error) ? QString() : error;
}

Command ReportHandler::reportStatus(const RequestContext& context)
{
    QString jobId;
    PayloadReader reader(context.request.data);
    reader >> jobId;
    if (!reader.isComplete())
        return Reply::malformed(context.request);
    qint32 progress = 0;
    if (!m_runner->progress(context.request.session, jobId, &progress))
        return Reply::forbidden(context.request,
                                QStringLiteral("Задание формирования отчета %1 не найдено").arg(loggable(jobId)));
    return Reply::ok(context.request, jobId, progress);
}

QString ReportHandler::checkReport(TYPE_ID reportId, bool* failed)
{
    ObjectInfo report;
    QString dataname;
    QString error;
    *failed = !ObjectStore(m_db).find(reportId, &report, &dataname, &error);
    if (*failed)
        return error;
    if (!report.isValid() || dataname != QLatin1String(REPORT_DATANAME)
        || report.property(QLatin1String(db::common::NAME)) != QLatin1String(REPORT_PLANNING_SCHEDULE_NAME))
        return QStringLiteral("Отчет %1 не найден").arg(reportId);
    return QString();
}
