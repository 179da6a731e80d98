#pragma once

#include "taskinfo.h"

#include <QHash>
#include <QList>
#include <QString>

/// The save tasks in execution order. One unit runs at a time: its handler on the owner sends one
/// request, and the unit stays at the front until the owner has handled the reply (removeCurrent).
/// A task's sub-tasks run front first, before the task itself.
template<typename Owner>
class TaskQueue
{
public:
    /// Starts the unit; false when it cannot run, and the queue drops it with its related tasks.
    using Handler = bool (Owner::*)(const orvanta::TaskInfo&);

    explicit TaskQueue(Owner* owner) : m_owner(owner) {}

    void setHandler(const QString& type, Handler handler) { m_handlers.insert(type, handler); }
    void append(const orvanta::TaskInfo& task) { m_tasks.append(task); }
    void clear() { m_tasks.clear(); }
    int size() const { return m_tasks.size(); }
    bool isEmpty() const { return m_tasks.isEmpty(); }

    /// The unit at the front; a default record when the queue is empty.
    orvanta::TaskInfo current() const
    {
        if (m_tasks.isEmpty())
            return orvanta::TaskInfo();
        const orvanta::TaskInfo& first = m_tasks.first();
        return first.subTasks.isEmpty() ? first : first.subTasks.first();
    }

    /// Starts the next unit that a handler accepts and returns it; a default record when none is left.
    orvanta::TaskInfo processNext()
    {
        while (!m_tasks.isEmpty()) {
            const orvanta::TaskInfo unit = current();
            const Handler handler = m_handlers.value(unit.type, nullptr);
            if (handler && (m_owner->*handler)(unit))
                return unit;
            // The whole task goes, with whatever sub-tasks it still had.
            if (m_tasks.isEmpty())
                continue;
            const orvanta::TaskInfo dropped = m_tasks.takeFirst();
            removeTasks(dropped);
        }
        return orvanta::TaskInfo();
    }

    /// Removes the unit that has just ended: the first sub-task, or the first task once it has none.
    void removeCurrent()
    {
        if (m_tasks.isEmpty())
            return;
        QList<orvanta::TaskInfo>& subTasks = m_tasks.first().subTasks;
        if (subTasks.isEmpty())
            m_tasks.removeFirst();
        else
            subTasks.removeFirst();
    }

    /// Drops the queued tasks of the same object and those that depend on task, one level deep.
    void removeTasks(const orvanta::TaskInfo& task)
    {
        for (int i = 0; i < m_tasks.size();) {
            const orvanta::TaskInfo& queued = m_tasks.at(i);
            if (queued.uid == task.uid || queued.dependsOn.contains(task.id))
                m_tasks.removeAt(i);
            else
                ++i;
        }
    }

private:
    Owner* m_owner;
    QList<orvanta::TaskInfo> m_tasks;
    QHash<QString, Handler> m_handlers;
};
