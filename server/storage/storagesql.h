#pragma once

#include "ovserver_export.h"
#include "serverlogging.h"
#include "sqldialect.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>

class QSqlQuery;

/// What the storage classes write the same way on both engines: value conversions, id lists
/// bound as one value, multi-row inserts, statements whose failure is logged and returned.
class OVSERVER_EXPORT StorageSql
{
public:
    StorageSql() = delete;

    /// "column IN <the ids bound as one value>": an array on PostgreSQL, a JSON list on SQLite,
    /// so a list of thousands of ids is still one placeholder.
    static QString inIdList(SqlDialect dialect, const QString& column);
    template<typename Id>
    static QVariant idListValue(SqlDialect dialect, const QList<Id>& ids);

    static QVariant dateValue(const QDate& date);
    /// Text that is never bound as NULL: a null QString is stored as an empty one.
    static QString textValue(const QString& text) { return text.isNull() ? QStringLiteral("") : text; }
    /// Moments are stored in UTC: text on SQLite, timestamptz on PostgreSQL.
    static QVariant dateTimeValue(SqlDialect dialect, const QDateTime& moment);
    static QDate readDate(const QVariant& value);
    static QDateTime readDateTime(const QVariant& value);

    /// Prepares and runs sql with values bound in order; on failure logs it under where and sets *error.
    static bool exec(QSqlQuery& query, const QString& sql, const QVariantList& values, QString* error,
                     const char* where);
    /// Inserts rows (one value per column each) in order, a few thousand per statement.
    static bool insertRows(const QSqlDatabase& db, const QString& table, const QStringList& columns,
                           const QList<QVariantList>& rows, QString* error, const char* where);
    /// "INSERT ... RETURNING id" on both engines; the new id, or -1 with *error set.
    static qint64 insertReturningId(const QSqlDatabase& db, const QString& sql, const QVariantList& values,
                                    QString* error, const char* where);

    static void setError(QString* error, const QString& message);

private:
    /// Logs the query's error under where, sets *error and returns false.
    static bool fail(const QSqlQuery& query, QString* error, const char* where);
    static QString idListText(SqlDialect dialect, const QStringList& ids);
    static QString jsonInsertSqlite(const QString& table, const QStringList& columns);
    static QString jsonInsertPostgres(const QString& table, const QStringList& columns);
    /// Rows as a JSON array: of arrays, or of objects with keys as member names when keys are given.
    static QString jsonRows(const QList<QVariantList>& rows, const QStringList& keys);
    static void appendJsonValue(QString* text, const QVariant& value);
    static void appendJsonString(QString* text, const QString& value);
};

template<typename Id>
QVariant StorageSql::idListValue(SqlDialect dialect, const QList<Id>& ids)
{
    QStringList texts;
    texts.reserve(ids.size());
    for (const Id id : ids)
        texts.append(QString::number(id));
    return idListText(dialect, texts);
}
