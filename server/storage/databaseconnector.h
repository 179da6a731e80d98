#pragma once

#include "ovserver_export.h"
#include "sqldialect.h"

#include <QSqlDatabase>
#include <QString>

/// Opens the database a URL names: "sqlite:PATH" or "postgresql://user@/dbname?host=DIR&port=N".
class OVSERVER_EXPORT DatabaseConnector
{
public:
    DatabaseConnector() = delete;

    /// Adds connectionName and opens it; false with error set (and the connection removed) on failure.
    static bool open(const QString& url, const QString& connectionName, QSqlDatabase* db, SqlDialect* dialect,
                     QString* error);
    /// Opens db again after its database went away, set up as open() sets it up; false with
    /// error set (and db closed) on failure.
    static bool reopen(QSqlDatabase& db, QString* error);

private:
    static bool openSqlite(const QString& path, const QString& connectionName, QSqlDatabase* db, QString* error);
    static bool openPostgres(const QString& url, const QString& connectionName, QSqlDatabase* db, QString* error);
    static bool fail(QSqlDatabase* db, const QString& connectionName, const QString& message, QString* error);
};
