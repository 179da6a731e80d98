#pragma once

#include <QSqlDatabase>
#include <QString>

/// One transaction on a connection: rolled back when it goes out of scope uncommitted.
class SqlTransaction
{
public:
    explicit SqlTransaction(const QSqlDatabase& db);
    ~SqlTransaction();
    SqlTransaction(const SqlTransaction&) = delete;
    SqlTransaction& operator=(const SqlTransaction&) = delete;

    /// On PostgreSQL, every transaction on db from now on first takes the advisory lock key and
    /// holds it to its end, so the writers of several servers on one database run one after another.
    static void serialiseOn(const QSqlDatabase& db, qint64 key);

    /// False when the transaction could not be started.
    bool isActive() const { return m_active; }
    QString startError() const { return m_startError; }
    /// False with error set when the commit fails (the transaction is then rolled back).
    bool commit(QString* error);

private:
    QSqlDatabase m_db;
    bool m_active = false;
    QString m_startError;
};
