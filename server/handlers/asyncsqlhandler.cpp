#include "asyncsqlhandler.h"

#include "asyncsqlrunner.h"
#include "commandrouter.h"
#include "data.h"
#include "payloadreader.h"
#include "reply.h"

AsyncSqlHandler::AsyncSqlHandler(AsyncSqlRunner* runner) : m_runner(runner) {}

void AsyncSqlHandler::registerAt(CommandRouter& router)
{
    router.add(ov5sdk::Data::commandName(ov5sdk::Data::ExecAsyncSql), CommandRouter::Access::Session,
               [this](const RequestContext& context) { return execAsyncSql(context); });
    router.add(ov5sdk::Data::commandName(ov5sdk::Data::CancelAsyncSql), CommandRouter::Access::Session,
               [this](const RequestContext& context) { return cancelAsyncSql(context); });
}

Command AsyncSqlHandler::execAsyncSql(const RequestContext& context)
{
    QString clientId;
    QString queryId;
    DbQuery query;
    PayloadReader reader(context.request.data);
    reader >> clientId >> queryId >> query;
    if (!reader.isComplete())
        return Reply::malformed(context.request);
    QString error;
    if (!m_runner->submit(context.request.session, clientId, queryId, query, context.connection, &error))
        return Reply::forbidden(context.request, error);
    return Reply::ok(context.request);
}

Command AsyncSqlHandler::cancelAsyncSql(const RequestContext& context)
{
    QString clientId;
    QString queryId;
    PayloadReader reader(context.request.data);
    reader >> clientId >> queryId;
    if (!reader.isComplete())
        return Reply::malformed(context.request);
    m_runner->cancel(context.request.session, clientId, queryId);
    return Reply::ok(context.request);
}
