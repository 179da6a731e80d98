#pragma once

#include "ovserver_export.h"
#include "sqldialect.h"

#include "command.h"
#include "dbquery.h"
#include "dbresult.h"

#include <QList>
#include <QObject>
#include <QSqlDatabase>
#include <QString>

/// Runs the clients' asynchronous SQL: only statements of AsyncSqlCatalogue, with their values
/// bound, one per event-loop turn after submit() returned. A cancelled or dropped query is
/// never answered. A query belongs to the session that submitted it: client ids are easy to
/// guess, so only that session may replace or cancel it, and only its connection gets the rows.
class OVSERVER_EXPORT AsyncSqlRunner : public QObject
{
    Q_OBJECT
public:
    enum Status { StatusOk = 1, StatusFailed = 2 };

    AsyncSqlRunner(const QSqlDatabase& db, SqlDialect dialect, QObject* parent = nullptr);

    /// Queues query of session for connection; false with a Russian message in *error when its
    /// text is not catalogued or its values do not fit. A query of the same session with the same
    /// client and query id replaces the queued one.
    bool submit(const QByteArray& session, const QString& clientId, const QString& queryId, const DbQuery& query,
                quint64 connection, QString* error);
    void cancel(const QByteArray& session, const QString& clientId, const QString& queryId);
    void dropConnection(quint64 connection);
    int pendingCount() const { return m_pending.size(); }

signals:
    /// "datamanager.async_result:<clientId>" with QString queryId, qint32 status, QString message,
    /// QList<DbResult>.
    void resultReady(const Command& pushed, quint64 connection);

private:
    struct Job
    {
        QByteArray session;
        QString clientId;
        QString queryId;
        quint64 connection = 0;
        QString statement;
        QVariantList values;
    };

    void scheduleNext();
    void runNext();
    Command resultCommand(const Job& job, qint32 status, const QString& message, const QList<DbResult>& results) const;

    QSqlDatabase m_db;
    SqlDialect m_dialect;
    QList<Job> m_pending;
    bool m_scheduled = false;
};
