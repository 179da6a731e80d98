#include "demousers.h"

QStringList DemoUsers::logins()
{
    return {QStringLiteral("planner"), QStringLiteral("scheduler"), QStringLiteral("viewer"), QStringLiteral("hr")};
}

QString DemoUsers::password(const QString& login)
{
    // The demo organisation gives every demo user the login followed by the year.
    return logins().contains(login) ? login + QStringLiteral("2026") : QString();
}
