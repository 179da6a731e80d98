#include "reportjob.h"

#include "databaseconnector.h"
#include "planningreportbuilder.h"
#include "planningreportfigures.h"
#include "planningreportreader.h"
#include "serverlogging.h"
#include "sqltransaction.h"

#include <QSqlQuery>

#include <vector>

namespace {

// Reading takes the first 40 %, the rows' figures the next 50 %, the document the rest.
constexpr int ReadShare = 40;
constexpr int FiguresShare = 50;

QString newConnectionName()
{
    static QAtomicInt counter;
    return QStringLiteral("ovserver-report-%1").arg(counter.fetchAndAddRelaxed(1) + 1);
}

ReportJob::Outcome failed(const QString& message)
{
    ReportJob::Outcome outcome;
    outcome.message = message;
    return outcome;
}

ReportJob::Outcome cancelled()
{
    ReportJob::Outcome outcome;
    outcome.cancelled = true;
    return outcome;
}

} // namespace

ReportJob::ReportJob(const QString& databaseUrl, const PlanningReportQuery& query, std::shared_ptr<State> state,
                     Finished finished)
    : m_databaseUrl(databaseUrl), m_query(query), m_state(std::move(state)), m_finished(std::move(finished))
{
}

void ReportJob::run()
{
    if (m_state->cancelled.loadAcquire()) {
        m_finished(cancelled());
        return;
    }
    const QString connection = newConnectionName();
    Outcome outcome;
    bool opened = false;
    {
        QSqlDatabase db;
        SqlDialect dialect = SqlDialect::Sqlite;
        QString error;
        opened = DatabaseConnector::open(m_databaseUrl, connection, &db, &dialect, &error);
        if (opened) {
            outcome = make(db, dialect, m_query, m_state.get());
            db.close();
        } else {
            qCWarning(lcServerStorage) << Q_FUNC_INFO << "no connection for the report" << error;
            outcome = failed(QStringLiteral("Не удалось подключиться к базе данных"));
        }
    }
    if (opened)
        QSqlDatabase::removeDatabase(connection);
    m_finished(outcome);
}

ReportJob::Outcome ReportJob::make(const QSqlDatabase& db, SqlDialect dialect, const PlanningReportQuery& query,
                                   State* state)
{
    const auto advance = [state](int percent) {
        state->progress.storeRelease(percent);
        return !state->cancelled.loadAcquire();
    };
    // Rolled back at the end: the transaction only keeps the reads on one state of the database.
    SqlTransaction snapshot(db);
    if (dialect == SqlDialect::PostgreSql)
        QSqlQuery(db).exec(QStringLiteral("SET TRANSACTION ISOLATION LEVEL REPEATABLE READ, READ ONLY"));
    PlanningReportData data;
    QString error;
    if (!PlanningReportReader(db, dialect).read(query, &data, advance, &error)) {
        if (error.isEmpty())
            return cancelled();
        qCWarning(lcServerStorage) << Q_FUNC_INFO << "report data not read" << error;
        return failed(QStringLiteral("Не удалось прочитать данные отчета"));
    }
    std::vector<PlanningReportFigures> figures;
    figures.reserve(size_t(data.rows.size()));
    for (int row = 0; row < data.rows.size(); ++row) {
        figures.emplace_back(data, data.rows.at(row));
        if (!advance(ReadShare + FiguresShare * (row + 1) / data.rows.size()))
            return cancelled();
    }
    const REDocument document =
        PlanningReportBuilder(data, figures, [state] { return !state->cancelled.loadAcquire(); }).build();
    if (!advance(ReadShare + FiguresShare + 5))
        return cancelled();
    Outcome outcome;
    outcome.ok = true;
    outcome.result.items.append({QStringLiteral("xml"), document.toXML().toUtf8()});
    advance(100);
    return outcome;
}
