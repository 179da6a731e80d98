#include "sql.h"

#include "serverlogging.h"

#include <QSqlError>

bool Sql::prepare(QSqlQuery& query, const QString& statement, QString* error)
{
    if (query.prepare(statement))
        return true;
    qCWarning(lcServerStorage) << Q_FUNC_INFO << "prepare failed" << statement << query.lastError().text();
    if (error)
        *error = query.lastError().text();
    return false;
}

bool Sql::exec(QSqlQuery& query, QString* error)
{
    if (query.exec())
        return true;
    qCWarning(lcServerStorage) << Q_FUNC_INFO << "statement failed" << query.lastQuery() << query.lastError().text();
    if (error)
        *error = query.lastError().text();
    return false;
}

bool Sql::exec(QSqlQuery& query, const QString& statement, QString* error)
{
    if (query.exec(statement))
        return true;
    qCWarning(lcServerStorage) << Q_FUNC_INFO << "statement failed" << statement << query.lastError().text();
    if (error)
        *error = query.lastError().text();
    return false;
}

QVariant Sql::moment(const QDateTime& value)
{
    return value.isValid() ? QVariant(value.toString(Qt::ISODateWithMs)) : QVariant(QVariant::String);
}

QVariant Sql::date(const QDate& value)
{
    return value.isValid() ? QVariant(value.toString(Qt::ISODate)) : QVariant(QVariant::String);
}

QDateTime Sql::toMoment(const QVariant& value)
{
    return value.isNull() ? QDateTime() : QDateTime::fromString(value.toString(), Qt::ISODateWithMs);
}

QDate Sql::toDate(const QVariant& value)
{
    return value.isNull() ? QDate() : QDate::fromString(value.toString(), Qt::ISODate);
}

QString Sql::placeholders(int count)
{
    QString result;
    for (int i = 0; i < count; ++i)
        result += i == 0 ? QStringLiteral("?") : QStringLiteral(", ?");
    return result;
}
