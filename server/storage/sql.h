#pragma once

#include <QDate>
#include <QDateTime>
#include <QSqlQuery>
#include <QString>
#include <QVariant>

/// Small helpers shared by the stores: statements that log their failure, and the text form
/// moments and dates take in the tables.
class Sql
{
public:
    Sql() = delete;

    static bool prepare(QSqlQuery& query, const QString& statement, QString* error);
    /// Executes the prepared query; false with error set and a log line when it fails.
    static bool exec(QSqlQuery& query, QString* error);
    static bool exec(QSqlQuery& query, const QString& statement, QString* error);

    /// ISO text with milliseconds, or a null text for an invalid moment.
    static QVariant moment(const QDateTime& value);
    static QVariant date(const QDate& value);
    static QDateTime toMoment(const QVariant& value);
    static QDate toDate(const QVariant& value);
    /// "?, ?, ?" for count placeholders.
    static QString placeholders(int count);
};
