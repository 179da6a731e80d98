#pragma once

#include "changelogentry.h"

#include <QDateTime>
#include <QList>
#include <QSqlDatabase>
#include <QString>

/// The change log of a PostgreSQL database that several servers share: every committed change
/// as a row numbered in commit order, announced to the other servers with NOTIFY on Channel
/// (the payload is the newest sequence number; the rows themselves are read from the table).
class ChangeLog
{
public:
    static constexpr char Channel[] = "ov_change_log";
    /// The advisory lock that orders the writers: every write transaction of a server in the
    /// cluster takes it first (SqlTransaction::serialiseOn), the log's append takes it too.
    static constexpr qint64 WriteLock = 0x6f76636c;

    /// origin names this server in the rows it writes.
    ChangeLog(const QSqlDatabase& db, const QString& origin);

    QString origin() const { return m_origin; }
    /// Records entries in the transaction open on the connection, sets their sequence numbers
    /// and announces them on commit. Holds the log's lock until the commit, so sequence numbers
    /// become visible in their order and a reader that saw n has seen every number below it.
    bool append(QList<ChangeLogEntry>* entries, QString* error);
    /// The entries after sequence up to upTo, oldest first, at most limit of them.
    bool read(qint64 after, qint64 upTo, int limit, QList<ChangeLogEntry>* out, QString* error);
    /// The newest sequence number (0 for an empty log) and the oldest kept one.
    bool bounds(qint64* first, qint64* last, QString* error);
    /// Forgets the entries older than keepSince and all but the newest keepRows.
    bool trim(const QDateTime& keepSince, int keepRows, QString* error);

private:
    QSqlDatabase m_db;
    QString m_origin;
};
