#include "storagesql.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

namespace {

// Rows go to the engine as one JSON text per statement: Qt's drivers bind placeholders slowly
// enough that binding was most of a bulk insert's time. Chunks bound the text's size.
constexpr int RowsPerStatement = 5000;

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
    int year = 0;
    int month = 0;
    int day = 0;
    date.getDate(&year, &month, &day);
    if (!date.isValid() || year < 1 || year > 9999)
        return QVariant(QVariant::String);
    // "yyyy-MM-dd" written by hand: QDate::toString formats through asprintf, and bulk writes
    // convert hundreds of thousands of dates.
    QChar text[10];
    const auto put = [&text](int at, int value, int digits) {
        for (int i = at + digits - 1; i >= at; --i, value /= 10)
            text[i] = QChar(u'0' + value % 10);
    };
    put(0, year, 4);
    text[4] = QLatin1Char('-');
    put(5, month, 2);
    text[7] = QLatin1Char('-');
    put(8, day, 2);
    return QString(text, 10);
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
    const bool postgres = db.driver() && db.driver()->dbmsType() == QSqlDriver::PostgreSQL;
    const QString sql = postgres ? jsonInsertPostgres(table, columns) : jsonInsertSqlite(table, columns);
    QSqlQuery query(db);
    if (!query.prepare(sql))
        return fail(query, error, where);
    for (int first = 0; first < rows.size(); first += RowsPerStatement) {
        const int count = qMin(RowsPerStatement, rows.size() - first);
        query.addBindValue(jsonRows(rows.mid(first, count), postgres ? columns : QStringList()));
        if (!query.exec())
            return fail(query, error, where);
    }
    return true;
}

QString StorageSql::jsonInsertSqlite(const QString& table, const QStringList& columns)
{
    QStringList values;
    for (int i = 0; i < columns.size(); ++i)
        values.append(QStringLiteral("value ->> %1").arg(i));
    return QStringLiteral("INSERT INTO %1 (%2) SELECT %3 FROM json_each(?) ORDER BY key")
        .arg(table, columns.join(QLatin1Char(',')), values.join(QLatin1Char(',')));
}

QString StorageSql::jsonInsertPostgres(const QString& table, const QStringList& columns)
{
    // The table's own row type converts each value, as binding it would.
    const QString names = columns.join(QLatin1Char(','));
    return QStringLiteral("INSERT INTO %1 (%2) SELECT %2 FROM json_populate_recordset(NULL::%1, CAST(? AS json))")
        .arg(table, names);
}

QString StorageSql::jsonRows(const QList<QVariantList>& rows, const QStringList& keys)
{
    QString text;
    text.reserve(rows.size() * (keys.isEmpty() ? 40 : 80));
    text.append(QLatin1Char('['));
    for (int row = 0; row < rows.size(); ++row) {
        if (row > 0)
            text.append(QLatin1Char(','));
        text.append(keys.isEmpty() ? QLatin1Char('[') : QLatin1Char('{'));
        const QVariantList& values = rows.at(row);
        for (int i = 0; i < values.size(); ++i) {
            if (i > 0)
                text.append(QLatin1Char(','));
            if (!keys.isEmpty()) {
                appendJsonString(&text, keys.value(i));
                text.append(QLatin1Char(':'));
            }
            appendJsonValue(&text, values.at(i));
        }
        text.append(keys.isEmpty() ? QLatin1Char(']') : QLatin1Char('}'));
    }
    text.append(QLatin1Char(']'));
    return text;
}

void StorageSql::appendJsonValue(QString* text, const QVariant& value)
{
    if (value.isNull()) {
        text->append(QLatin1String("null"));
        return;
    }
    switch (value.type()) {
    case QVariant::Bool:
        text->append(value.toBool() ? QLatin1Char('1') : QLatin1Char('0'));
        break;
    case QVariant::Int:
    case QVariant::LongLong:
        text->append(QString::number(value.toLongLong()));
        break;
    case QVariant::UInt:
    case QVariant::ULongLong:
        text->append(QString::number(value.toULongLong()));
        break;
    case QVariant::Double:
        text->append(QString::number(value.toDouble(), 'g', 17));
        break;
    case QVariant::Date:
        appendJsonString(text, value.toDate().toString(Qt::ISODate));
        break;
    case QVariant::DateTime:
        appendJsonString(text, value.toDateTime().toUTC().toString(Qt::ISODateWithMs));
        break;
    default:
        appendJsonString(text, value.toString());
        break;
    }
}

void StorageSql::appendJsonString(QString* text, const QString& value)
{
    text->append(QLatin1Char('"'));
    for (const QChar c : value) {
        if (c == QLatin1Char('"') || c == QLatin1Char('\\')) {
            text->append(QLatin1Char('\\'));
            text->append(c);
        } else if (c.unicode() < 0x20) {
            text->append(QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0')));
        } else {
            text->append(c);
        }
    }
    text->append(QLatin1Char('"'));
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
