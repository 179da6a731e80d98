#pragma once

// What the screen benchmarks share: logging in to the embedded server, the department list of a
// filter over the whole organisation and the event-loop stall meter.
#include "clientsession.h"
#include "localstorage.h"
#include "vocabulary.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QList>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace benchsupport {

/// Logs in as the demo planner and fills the local store; false (printed) when the login fails.
inline bool logIn(OVServerInterface* server)
{
    ClientSession session(server, orvanta::LocalStorage::instance());
    QEventLoop loop;
    bool ok = false;
    QObject::connect(&session, &ClientSession::finished, &loop, [&](bool success, const QString& message) {
        ok = success;
        if (!success)
            std::printf("login failed: %s\n", qPrintable(message));
        loop.quit();
    });
    session.start(QStringLiteral("planner"), QStringLiteral("planner2026"));
    if (session.isRunning())
        loop.exec();
    return ok;
}

inline QList<orvanta::TYPE_ID> allDepartments()
{
    QList<orvanta::TYPE_ID> departments;
    const orvanta::OBJECT_HASH* orgstructure =
        orvanta::LocalStorage::instance()->constObjects(QLatin1String(orvanta::ORGSTRUCTURE_DATANAME));
    if (!orgstructure)
        return departments;
    for (const orvanta::ObjectInfo& object : *orgstructure) {
        if (object.type == QLatin1String(db::orgstructure::DEPARTMENT))
            departments.append(object.uid);
    }
    return departments;
}

inline const char* verdict(qint64 value, qint64 limit)
{
    return value <= limit ? "ok" : "OVER LIMIT";
}

/// Tracks the longest time between two runs of a 0 ms timer: how long the event loop was blocked.
class StallMeter
{
public:
    /// A 0 ms timer spins the event loop and takes a whole core; a 1 ms precise timer leaves that
    /// core to other threads at the price of 1 ms of precision.
    explicit StallMeter(int intervalMs = 0)
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(intervalMs);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            m_longest = std::max(m_longest, m_sinceLast.restart());
        });
    }
    void start()
    {
        m_longest = 0;
        m_sinceLast.start();
        m_timer.start();
    }
    qint64 stop()
    {
        m_timer.stop();
        return std::max(m_longest, m_sinceLast.elapsed());
    }

private:
    QTimer m_timer;
    QElapsedTimer m_sinceLast;
    qint64 m_longest = 0;
};

} // namespace benchsupport
