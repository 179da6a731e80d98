#pragma once

#include <QByteArray>
#include <QString>

/// One committed change as the change log keeps it: a pushed command's name and payload with the
/// role a session needs to read it, or a server-to-server note (a closed session).
struct ChangeLogEntry
{
    /// Not pushed to clients: the servers drop the session whose token is the payload.
    static constexpr char SessionClosed[] = "cluster.sessionClosed";

    /// Numbered in commit order; 0 until recorded.
    qint64 sequence = 0;
    /// The server that recorded it.
    QString origin;
    QString name;
    /// Empty when every session may read it.
    QString readRole;
    QByteArray payload;
};
