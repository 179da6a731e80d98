#pragma once

#include "command.h"
#include "objectinfo.h"
#include "scheduledata.h"

#include <QList>
#include <QString>

#include <functional>

/// Builds the storage notifications and hands them to the transports (connection 0 = everyone).
/// Handlers call it only after their transaction has committed.
class ChangeNotifier
{
public:
    using Sink = std::function<void(const Command&, quint64)>;

    explicit ChangeNotifier(Sink sink);

    void dataChanged(const QString& dataname, const QList<orvanta::ObjectInfo>& objects);
    void dataRemoved(const QString& dataname, const QList<quint32>& ids);
    void scheduleChanged(const QList<orvanta::SCHEDULE_DATA>& schedules);
    void scheduleBeforeRemove(const QList<quint32>& ids);
    void scheduleRemoved(const QList<quint32>& ids);
    void push(const Command& command, quint64 connection);

private:
    template<typename... Args>
    void broadcast(const char* name, const Args&... payload);

    Sink m_sink;
};
