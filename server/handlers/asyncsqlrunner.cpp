#include "asyncsqlrunner.h"

#include "asyncsqlcatalogue.h"
#include "ovdatastream.h"
#include "servercommands.h"
#include "serverlogging.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTimer>

AsyncSqlRunner::AsyncSqlRunner(const QSqlDatabase& db, SqlDialect dialect, QObject* parent)
    : QObject(parent)
    , m_db(db)
    , m_dialect(dialect)
{
}

bool AsyncSqlRunner::submit(const QByteArray& session, const QString& clientId, const QString& queryId,
                            const DbQuery& query, quint64 connection, QString* error)
{
    AsyncSqlCatalogue::Statement statement;
    if (!AsyncSqlCatalogue::resolve(query, m_dialect, &statement, error))
        return false;
    cancel(session, clientId, queryId);
    m_pending.append({session, clientId, queryId, connection, statement.sql, statement.values});
    scheduleNext();
    return true;
}

void AsyncSqlRunner::cancel(const QByteArray& session, const QString& clientId, const QString& queryId)
{
    for (int i = m_pending.size() - 1; i >= 0; --i) {
        const Job& job = m_pending.at(i);
        if (job.session == session && job.clientId == clientId && job.queryId == queryId)
            m_pending.removeAt(i);
    }
}

void AsyncSqlRunner::dropConnection(quint64 connection)
{
    for (int i = m_pending.size() - 1; i >= 0; --i) {
        if (m_pending.at(i).connection == connection)
            m_pending.removeAt(i);
    }
}

void AsyncSqlRunner::scheduleNext()
{
    if (m_scheduled || m_pending.isEmpty())
        return;
    m_scheduled = true;
    QTimer::singleShot(0, this, &AsyncSqlRunner::runNext);
}

// One query per turn, so requests of other clients are served in between.
void AsyncSqlRunner::runNext()
{
    m_scheduled = false;
    if (m_pending.isEmpty())
        return;
    const Job job = m_pending.takeFirst();
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    bool ok = query.prepare(job.statement);
    if (ok) {
        for (const QVariant& value : job.values)
            query.addBindValue(value);
        ok = query.exec();
    }
    if (!ok) {
        qCWarning(lcServerStorage) << Q_FUNC_INFO << "async query failed" << loggable(job.clientId)
                                   << loggable(job.queryId) << query.lastError().text();
        emit resultReady(resultCommand(job, StatusFailed, QStringLiteral("Ошибка выполнения запроса"), {}),
                         job.connection);
    } else {
        const QSqlRecord record = query.record();
        QStringList columns;
        for (int i = 0; i < record.count(); ++i)
            columns.append(record.fieldName(i));
        DbResult result(columns);
        while (query.next()) {
            QVariantList row;
            row.reserve(columns.size());
            for (int i = 0; i < columns.size(); ++i)
                row.append(query.value(i));
            result.appendRow(row);
        }
        emit resultReady(resultCommand(job, StatusOk, QString(), {result}), job.connection);
    }
    scheduleNext();
}

Command AsyncSqlRunner::resultCommand(const Job& job, qint32 status, const QString& message,
                                      const QList<DbResult>& results) const
{
    Command command;
    command.result = ResultSuccess;
    command.name = QLatin1String(ServerCommands::AsyncResultPrefix) + job.clientId;
    OVDataStream stream(&command.data, QIODevice::WriteOnly);
    stream << job.queryId << status << message << results;
    return command;
}
