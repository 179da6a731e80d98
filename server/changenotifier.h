#pragma once

#include "changelogentry.h"
#include "command.h"
#include "objectinfo.h"
#include "scheduledata.h"

#include <QList>
#include <QString>

#include <functional>

class ChangeLog;
class SessionRegistry;
class SqlTransaction;

/// Builds the storage notifications and hands them to the transports, one copy per connection
/// with a session that may read them: a connection that never logged in gets none.
/// Handlers stage them before their commit and end the transaction with commit(), which records
/// them in the change log (when servers share the database) and pushes them once committed.
class ChangeNotifier
{
public:
    using Sink = std::function<void(const Command&, quint64)>;
    /// Delivers the other servers' changes committed up to the given sequence number; false when
    /// the log cannot be read now, and then delivers this server's later ones too once it can.
    using CatchUp = std::function<bool(qint64)>;

    ChangeNotifier(SessionRegistry* sessions, Sink sink);

    /// Records the changes in log from now on (nullptr: no log); catchUp runs before this
    /// server's own changes are pushed, so every client sees all changes in commit order. When it
    /// fails they are left to it.
    void setChangeLog(ChangeLog* log, CatchUp catchUp);

    void dataChanged(const QString& dataname, const QList<orvanta::ObjectInfo>& objects);
    void dataRemoved(const QString& dataname, const QList<quint32>& ids);
    void scheduleChanged(const QList<orvanta::SCHEDULE_DATA>& schedules);
    void scheduleBeforeRemove(const QList<quint32>& ids);
    void scheduleRemoved(const QList<quint32>& ids);
    /// Records the staged notifications, commits transaction and pushes them; false with error
    /// set (and nothing pushed) when either fails.
    bool commit(SqlTransaction& transaction, QString* error);
    /// To the sessions holding the entry's read role, or to every session when it names none
    /// (also how the other servers' changes reach this one's clients).
    void deliver(const ChangeLogEntry& entry);
    void push(const Command& command, quint64 connection);

private:
    template<typename... Args>
    void stage(const char* name, const QString& readRole, const Args&... payload);

    SessionRegistry* m_sessions;
    Sink m_sink;
    ChangeLog* m_log = nullptr;
    CatchUp m_catchUp;
    QList<ChangeLogEntry> m_staged;
};
