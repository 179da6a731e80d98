#include "demousers.h"

QStringList DemoUsers::logins()
{
    return {QStringLiteral("planner"), QStringLiteral("viewer"), QStringLiteral("hr")};
}

QString DemoUsers::password(const QString& login)
{
    if (login == QLatin1String("planner"))
        return QStringLiteral("planner2026");
    if (login == QLatin1String("viewer"))
        return QStringLiteral("viewer2026");
    if (login == QLatin1String("hr"))
        return QStringLiteral("hr2026");
    return QString();
}
