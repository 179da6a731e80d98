#pragma once

#include "changelog.h"

#include <QElapsedTimer>
#include <QObject>
#include <QSqlDatabase>
#include <QString>

#include <limits>

class ChangeNotifier;
class QTimer;
class SessionRegistry;

/// Joins this server to the others on one PostgreSQL database: its own changes go to the change
/// log (written by the notifier and the session registry in their transactions), the others'
/// reach its clients. A notification only says that the log grew; the entries after the last one
/// seen are read from the table, which is also how a server catches up after a lost connection.
class ClusterLink : public QObject
{
    Q_OBJECT
public:
    /// How often the connections are checked and the log read without a notification.
    static constexpr int PollMs = 1000;
    static constexpr int TrimEveryMs = 10 * 60 * 1000;
    /// Kept for a server that lost its connection a while; older entries go after a day.
    static constexpr int KeptEntries = 20000;

    /// db is the core's connection: this server's changes are recorded on it and the log is read there.
    ClusterLink(const QSqlDatabase& db, SessionRegistry* sessions, ChangeNotifier* notifier,
                QObject* parent = nullptr);
    ~ClusterLink() override;

    /// Listens on a connection of its own to databaseUrl from the newest entry on; false with
    /// error set when it cannot.
    bool start(const QString& databaseUrl, QString* error);

private:
    bool listen(QString* error);
    void stopListening();
    void poll();
    /// Reopens what broke; true once both connections answer and the log is read again.
    bool reconnect();
    /// Delivers the other servers' entries after the last one seen, up to upTo (and this server's
    /// own ones it held back); false when the log cannot be read.
    bool catchUp(qint64 upTo);
    void deliver(const ChangeLogEntry& entry);
    void connectionLost(const QString& reason);
    void trim();

    QSqlDatabase m_db;
    SessionRegistry* m_sessions;
    ChangeNotifier* m_notifier;
    ChangeLog m_log;
    QString m_url;
    QString m_listenerName;
    QSqlDatabase m_listener;
    QTimer* m_poll;
    QElapsedTimer m_sinceTrim;
    qint64 m_last = 0;
    bool m_lost = false;
    /// This server's own entries from this sequence number on were not pushed at their commit.
    qint64 m_heldOwnFrom = std::numeric_limits<qint64>::max();
};
