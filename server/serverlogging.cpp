#include "serverlogging.h"

Q_LOGGING_CATEGORY(lcServerCore, "server.core", QtWarningMsg)
Q_LOGGING_CATEGORY(lcServerStorage, "server.storage", QtWarningMsg)

QString loggable(const QString& value)
{
    constexpr int Limit = 200;
    if (value.size() <= Limit)
        return value;
    return value.left(Limit) + QStringLiteral("… (%1 characters)").arg(value.size());
}
