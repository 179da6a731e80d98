#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QStringList>

/// Brings a database to the newest schema: migration n is the n-th statement list, each run
/// once in its own transaction and recorded in the schema_version table.
class SchemaMigrator
{
public:
    /// While it lives, no other server on the same PostgreSQL database prepares it (migrates or
    /// seeds it): servers started together wait for it and then find the work done. Nothing to
    /// take on SQLite, which one server uses.
    class SetupLock
    {
    public:
        explicit SetupLock(const QSqlDatabase& db);
        ~SetupLock();
        SetupLock(const SetupLock&) = delete;
        SetupLock& operator=(const SetupLock&) = delete;

        /// False with error() set when the lock could not be taken.
        bool isHeld() const { return m_error.isEmpty(); }
        QString error() const { return m_error; }

    private:
        QSqlDatabase m_db;
        bool m_taken = false;
        QString m_error;
    };


    explicit SchemaMigrator(const QSqlDatabase& db);

    bool migrate(const QList<QStringList>& migrations, QString* error);
    /// The highest applied migration, 0 for a new database, -1 with error set on failure.
    int currentVersion(QString* error) const;

private:
    bool apply(int version, const QStringList& statements, QString* error);

    QSqlDatabase m_db;
};
