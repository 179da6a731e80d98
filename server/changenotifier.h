#pragma once

#include "command.h"
#include "objectinfo.h"
#include "scheduledata.h"

#include <QList>
#include <QString>

#include <functional>

class SessionRegistry;

/// Builds the storage notifications and hands them to the transports, one copy per connection
/// with a session that may read them: a connection that never logged in gets none.
/// Handlers call it only after their transaction has committed.
class ChangeNotifier
{
public:
    using Sink = std::function<void(const Command&, quint64)>;

    ChangeNotifier(SessionRegistry* sessions, Sink sink);

    void dataChanged(const QString& dataname, const QList<orvanta::ObjectInfo>& objects);
    void dataRemoved(const QString& dataname, const QList<quint32>& ids);
    void scheduleChanged(const QList<orvanta::SCHEDULE_DATA>& schedules);
    void scheduleBeforeRemove(const QList<quint32>& ids);
    void scheduleRemoved(const QList<quint32>& ids);
    void push(const Command& command, quint64 connection);

private:
    /// To the sessions holding readRole, or to every session when it is empty.
    template<typename... Args>
    void broadcast(const char* name, const QString& readRole, const Args&... payload);

    SessionRegistry* m_sessions;
    Sink m_sink;
};
