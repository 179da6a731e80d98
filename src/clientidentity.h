#pragma once

#include <QHostAddress>
#include <QList>
#include <QString>

/// Builds the id under which the server addresses asynchronous results to this client.
class ClientIdentity
{
public:
    ClientIdentity() = delete;

    /// "<plugin> <suffix> <host> <seconds since the epoch>".
    static QString build(const QString& pluginName, const QString& suffix, const QString& host, qint64 epochSeconds);
    /// The first machine address left after dropping the first IPv4 and the first
    /// IPv6 loopback address; the host name when none is left.
    static QString hostPart(QList<QHostAddress> addresses, const QString& hostName);
};
