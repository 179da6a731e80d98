#include "asyncsqlcatalogue.h"

#include "serverlogging.h"

#include <QDate>
#include <QRegularExpression>
#include <QStringList>

namespace {

const char PlanningBalanceText[] =
    "SELECT worker_id,   SUM(norm_time) AS norm_time,   SUM(plan_time) AS plan_time "
    "FROM get_planning_balance(:start, :finish, :workers::BIGINT[]) GROUP BY worker_id;";

const char PlanningBalancePostgres[] =
    "SELECT worker_id, SUM(norm_time) AS norm_time, SUM(plan_time) AS plan_time "
    "FROM get_planning_balance(CAST(? AS DATE), CAST(? AS DATE), CAST(? AS BIGINT[])) GROUP BY worker_id";

// SQLite has neither arrays nor functions returning tables: the same sums over a JSON id list,
// each side summed per worker first so the index order does the grouping.
const char PlanningBalanceSqlite[] =
    "WITH workers(id) AS (SELECT CAST(value AS INTEGER) FROM json_each(?)) "
    "SELECT worker_id, SUM(norm_time) AS norm_time, SUM(plan_time) AS plan_time FROM ("
    "SELECT worker_id, SUM(norm_time) AS norm_time, 0 AS plan_time FROM worker_norm_time "
    "WHERE worker_id IN (SELECT id FROM workers) AND work_date >= ? AND work_date <= ? GROUP BY worker_id "
    "UNION ALL "
    "SELECT worker_id, 0, SUM(plan_time) FROM planned_time "
    "WHERE worker_id IN (SELECT id FROM workers) AND work_date >= ? AND work_date <= ? GROUP BY worker_id) "
    "GROUP BY worker_id";

QString wrongValue(const QString& name)
{
    return QStringLiteral("Недопустимое значение параметра %1").arg(name);
}

QVariant boundValue(const DbQuery& query, const QString& name)
{
    for (const DbQuery::Binding& binding : query.bindings()) {
        if (binding.name == name || QLatin1Char(':') + binding.name == name)
            return binding.value;
    }
    return {};
}

bool readDate(const DbQuery& query, const QString& name, QDate* out, QString* error)
{
    const QVariant value = boundValue(query, name);
    *out = value.type() == QVariant::Date ? value.toDate() : QDate::fromString(value.toString(), Qt::ISODate);
    if (out->isValid())
        return true;
    if (error)
        *error = wrongValue(name);
    return false;
}

// The ids of "{12,15,40}", of a list value, or none for a null value.
bool readIds(const DbQuery& query, const QString& name, QStringList* ids, QString* error)
{
    const QVariant value = boundValue(query, name);
    ids->clear();
    if (value.isNull())
        return true;
    QStringList texts;
    if (value.type() == QVariant::List || value.type() == QVariant::StringList) {
        for (const QVariant& item : value.toList())
            texts.append(item.toString().trimmed());
    } else {
        static const QRegularExpression arrayLiteral(QStringLiteral("^\\{([0-9,\\s]*)\\}$"));
        const QRegularExpressionMatch match = arrayLiteral.match(value.toString().trimmed());
        if (!match.hasMatch()) {
            if (error)
                *error = wrongValue(name);
            return false;
        }
        texts = match.captured(1).split(QLatin1Char(','), Qt::SkipEmptyParts);
    }
    for (const QString& text : qAsConst(texts)) {
        bool ok = false;
        const qint64 id = text.trimmed().toLongLong(&ok);
        if (!ok || id < 0) {
            if (error)
                *error = wrongValue(name);
            return false;
        }
        ids->append(QString::number(id));
    }
    return true;
}

bool resolvePlanningBalance(const DbQuery& query, SqlDialect dialect, AsyncSqlCatalogue::Statement* out,
                            QString* error)
{
    QDate start;
    QDate finish;
    QStringList ids;
    if (!readDate(query, QStringLiteral(":start"), &start, error)
        || !readDate(query, QStringLiteral(":finish"), &finish, error)
        || !readIds(query, QStringLiteral(":workers"), &ids, error))
        return false;
    const QVariant nullWorkers(QVariant::String);
    const QString startText = start.toString(Qt::ISODate);
    const QString finishText = finish.toString(Qt::ISODate);
    const bool noWorkers = boundValue(query, QStringLiteral(":workers")).isNull();
    if (dialect == SqlDialect::PostgreSql) {
        const QVariant workers =
            noWorkers ? nullWorkers : QVariant(QLatin1Char('{') + ids.join(QLatin1Char(',')) + QLatin1Char('}'));
        *out = {QString::fromUtf8(PlanningBalancePostgres), {startText, finishText, workers}};
    } else {
        const QVariant workers =
            noWorkers ? nullWorkers : QVariant(QLatin1Char('[') + ids.join(QLatin1Char(',')) + QLatin1Char(']'));
        *out = {QString::fromUtf8(PlanningBalanceSqlite), {workers, startText, finishText, startText, finishText}};
    }
    return true;
}

} // namespace

QString AsyncSqlCatalogue::planningBalanceText()
{
    return QString::fromUtf8(PlanningBalanceText);
}

QString AsyncSqlCatalogue::normalised(const QString& sql)
{
    return sql.simplified();
}

bool AsyncSqlCatalogue::resolve(const DbQuery& query, SqlDialect dialect, Statement* out, QString* error)
{
    if (normalised(query.sql()) == normalised(planningBalanceText())) {
        QString refusal;
        if (resolvePlanningBalance(query, dialect, out, &refusal))
            return true;
        qCWarning(lcServerStorage) << Q_FUNC_INFO << "query value refused" << refusal;
        if (error)
            *error = refusal;
        return false;
    }
    qCWarning(lcServerStorage) << Q_FUNC_INFO << "query not catalogued" << loggable(query.sql());
    if (error)
        *error = QStringLiteral("Запрос не входит в список разрешённых");
    return false;
}
