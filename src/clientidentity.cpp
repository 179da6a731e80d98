#include "clientidentity.h"

QString ClientIdentity::build(const QString& pluginName, const QString& suffix, const QString& host,
                              qint64 epochSeconds)
{
    return pluginName + QLatin1Char(' ') + suffix + QLatin1Char(' ') + host + QLatin1Char(' ')
        + QString::number(epochSeconds);
}

QString ClientIdentity::hostPart(QList<QHostAddress> addresses, const QString& hostName)
{
    addresses.removeOne(QHostAddress(QHostAddress::LocalHost));
    addresses.removeOne(QHostAddress(QHostAddress::LocalHostIPv6));
    if (addresses.isEmpty())
        return hostName;
    return addresses.first().toString();
}
