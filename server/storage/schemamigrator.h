#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QStringList>

/// Brings a database to the newest schema: migration n is the n-th statement list, each run
/// once in its own transaction and recorded in the schema_version table.
class SchemaMigrator
{
public:
    explicit SchemaMigrator(const QSqlDatabase& db);

    bool migrate(const QList<QStringList>& migrations, QString* error);
    /// The highest applied migration, 0 for a new database, -1 with error set on failure.
    int currentVersion(QString* error) const;

private:
    bool apply(int version, const QStringList& statements, QString* error);

    QSqlDatabase m_db;
};
