#include "storagesql.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

// Qt's SQLite driver looks every placeholder up by its number, which is linear in their count:
// a few hundred rows per statement cost more than they save. 120 values measured fastest.
constexpr int MaxValuesPerStatement = 120;

} // namespace

QString StorageSql::inIdList(SqlDialect dialect, const QString& column)
{
    if (dialect == SqlDialect::PostgreSql)
        return column + QStringLiteral(" = ANY(CAST(? AS BIGINT[]))");
    return column + QStringLiteral(" IN (SELECT value FROM json_each(?))");
}

QString StorageSql::idListText(SqlDialect dialect, const QStringList& ids)
{
    const QString joined = ids.join(QLatin1Char(','));
    if (dialect == SqlDialect::PostgreSql)
        return QLatin1Char('{') + joined + QLatin1Char('}');
    return QLatin1Char('[') + joined + QLatin1Char(']');
}

QVariant StorageSql::dateValue(const QDate& date)
{
    // ISO text has four-digit years only; beyond them a date is as open as an invalid one.
    if (!date.isValid() || date.year() < 1 || date.year() > 9999)
        return QVariant(QVariant::String);
    return date.toString(Qt::ISODate);
}

QVariant StorageSql::dateTimeValue(SqlDialect dialect, const QDateTime& moment)
{
    if (!moment.isValid())
        return QVariant(QVariant::String);
    if (dialect == SqlDialect::PostgreSql)
        return moment;
    return moment.toUTC().toString(Qt::ISODateWithMs);
}

QDate StorageSql::readDate(const QVariant& value)
{
    if (value.isNull())
        return {};
    if (value.type() == QVariant::Date)
        return value.toDate();
    // "yyyy-MM-dd" read by hand: QDate::fromString is several times slower and reads run by the thousand.
    const QString text = value.toString();
    if (text.size() < 10 || text.at(4) != QLatin1Char('-') || text.at(7) != QLatin1Char('-'))
        return QDate::fromString(text, Qt::ISODate);
    const auto number = [&text](int from, int length) {
        int result = 0;
        for (int i = from; i < from + length; ++i)
            result = result * 10 + text.at(i).digitValue();
        return result;
    };
    return QDate(number(0, 4), number(5, 2), number(8, 2));
}

QDateTime StorageSql::readDateTime(const QVariant& value)
{
    if (value.isNull())
        return {};
    if (value.type() == QVariant::DateTime)
        return value.toDateTime().toLocalTime();
    return QDateTime::fromString(value.toString(), Qt::ISODateWithMs).toLocalTime();
}

void StorageSql::setError(QString* error, const QString& message)
{
    if (error)
        *error = message;
}

bool StorageSql::exec(QSqlQuery& query, const QString& sql, const QVariantList& values, QString* error,
                      const char* where)
{
    bool ok = query.prepare(sql);
    if (ok) {
        for (const QVariant& value : values)
            query.addBindValue(value);
        ok = query.exec();
    }
    return ok || fail(query, error, where);
}

bool StorageSql::insertRows(const QSqlDatabase& db, const QString& table, const QStringList& columns,
                            const QList<QVariantList>& rows, QString* error, const char* where)
{
    if (rows.isEmpty() || columns.isEmpty())
        return true;
    const QString head = QStringLiteral("INSERT INTO %1 (%2) VALUES ").arg(table, columns.join(QLatin1Char(',')));
    QStringList marks;
    for (int i = 0; i < columns.size(); ++i)
        marks.append(QStringLiteral("?"));
    const QString rowPlaceholders = QLatin1Char('(') + marks.join(QLatin1Char(',')) + QLatin1Char(')');
    const int rowsPerStatement = qMax(1, MaxValuesPerStatement / columns.size());
    QSqlQuery query(db);
    int preparedRows = 0;
    for (int first = 0; first < rows.size(); first += rowsPerStatement) {
        const int count = qMin(rowsPerStatement, rows.size() - first);
        // Full chunks share one prepared statement; only the last one may need its own.
        if (count != preparedRows) {
            QStringList placeholders;
            for (int i = 0; i < count; ++i)
                placeholders.append(rowPlaceholders);
            if (!query.prepare(head + placeholders.join(QLatin1Char(','))))
                return fail(query, error, where);
            preparedRows = count;
        }
        int position = 0;
        for (int i = first; i < first + count; ++i) {
            for (const QVariant& value : rows.at(i))
                query.bindValue(position++, value);
        }
        if (!query.exec())
            return fail(query, error, where);
    }
    return true;
}

bool StorageSql::fail(const QSqlQuery& query, QString* error, const char* where)
{
    const QString message = query.lastError().text();
    qCWarning(lcServerStorage) << where << "sql error" << message << query.lastQuery();
    setError(error, message);
    return false;
}

qint64 StorageSql::insertReturningId(const QSqlDatabase& db, const QString& sql, const QVariantList& values,
                                     QString* error, const char* where)
{
    QSqlQuery query(db);
    if (!exec(query, sql + QStringLiteral(" RETURNING id"), values, error, where))
        return -1;
    if (!query.next()) {
        qCWarning(lcServerStorage) << where << "insert returned no id" << sql;
        setError(error, QStringLiteral("insert returned no id"));
        return -1;
    }
    return query.value(0).toLongLong();
}
