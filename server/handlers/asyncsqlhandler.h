#pragma once

struct Command;
class AsyncSqlRunner;
class CommandRouter;
struct RequestContext;

/// execAsyncSql and cancelAsyncSql: hands catalogued statements to the runner, whose result
/// is pushed later to the connection that asked.
class AsyncSqlHandler
{
public:
    explicit AsyncSqlHandler(AsyncSqlRunner* runner);

    void registerAt(CommandRouter& router);

private:
    Command execAsyncSql(const RequestContext& context);
    Command cancelAsyncSql(const RequestContext& context);

    AsyncSqlRunner* m_runner;
};
