#include "demousers.h"

namespace {

QStringList rolesWith(const QStringList& suffixes)
{
    QStringList roles;
    for (const QString& suffix : suffixes)
        roles.append(QStringLiteral("RL_WTPLANNINGVIEW_") + suffix);
    return roles;
}

} // namespace

QStringList DemoUsers::logins()
{
    return {QStringLiteral("planner"), QStringLiteral("viewer"), QStringLiteral("breakrules")};
}

bool DemoUsers::isKnown(const QString& login)
{
    return logins().contains(login);
}

QStringList DemoUsers::roles(const QString& login)
{
    if (login == QLatin1String("planner"))
        return rolesWith({QStringLiteral("WORKTIME_SHOW"), QStringLiteral("WORKTIME_SET"),
                          QStringLiteral("WORKTIME_APPROVE"), QStringLiteral("BREAKRULE_SHOW"),
                          QStringLiteral("BREAKRULE_CREATE"), QStringLiteral("BREAKRULE_UPDATE"),
                          QStringLiteral("BREAKRULE_DELETE"), QStringLiteral("ATTACHED_SHOW"),
                          QStringLiteral("ATTACHED_CREATE"), QStringLiteral("ATTACHED_UPDATE"),
                          QStringLiteral("ATTACHED_DELETE")});
    if (login == QLatin1String("viewer"))
        return rolesWith({QStringLiteral("WORKTIME_SHOW"), QStringLiteral("BREAKRULE_SHOW"),
                          QStringLiteral("ATTACHED_SHOW")});
    if (login == QLatin1String("breakrules"))
        return rolesWith({QStringLiteral("BREAKRULE_SHOW"), QStringLiteral("BREAKRULE_CREATE"),
                          QStringLiteral("BREAKRULE_UPDATE"), QStringLiteral("BREAKRULE_DELETE")});
    return {};
}
