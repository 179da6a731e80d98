#include "accesspolicy.h"

#include "ovroledaterestrictions.h"
#include "vocabulary.h"

QString AccessPolicy::objectRole(const QString& dataname, ObjectWrite write)
{
    static const char* const Suffixes[] = {"_CREATE", "_UPDATE", "_DELETE"};
    const QString suffix = QLatin1String(Suffixes[int(write)]);
    if (dataname == QLatin1String(orvanta::BREAK_RULE_DATANAME))
        return QLatin1String("RL_WTPLANNINGVIEW_BREAKRULE") + suffix;
    if (dataname == QLatin1String(orvanta::ATTACHED_WORKER_DATANAME))
        return QLatin1String("RL_WTPLANNINGVIEW_ATTACHED") + suffix;
    return QLatin1String(WorkTimeSet);
}

QString AccessPolicy::readRole(const QString& dataname)
{
    if (dataname == QLatin1String(orvanta::BREAK_RULE_DATANAME))
        return QStringLiteral("RL_WTPLANNINGVIEW_BREAKRULE_SHOW");
    if (dataname == QLatin1String(orvanta::ATTACHED_WORKER_DATANAME))
        return QStringLiteral("RL_WTPLANNINGVIEW_ATTACHED_SHOW");
    if (dataname == QLatin1String(orvanta::REPORT_DATANAME))
        return QLatin1String(WorkTimeReport);
    return QString();
}

bool AccessPolicy::mayRead(const UserAccount& user, const QString& dataname)
{
    const QString role = readRole(dataname);
    return role.isEmpty() || user.roles.contains(role);
}

QString AccessPolicy::checkRole(const UserAccount& user, const QString& role)
{
    if (user.roles.contains(role))
        return QString();
    return QStringLiteral("Недостаточно прав: требуется роль %1").arg(role);
}

QString AccessPolicy::checkDates(const orvanta::_ROLE_DATE_RESTRICTIONS& restriction, const QDate& first,
                                 const QDate& last, const QDate& today)
{
    const QPair<QDate, QDate> allowed = OVRoleDateRestrictions::restrictionsRange(restriction, today);
    const QDate from = first.isValid() ? first : OVRoleDateRestrictions::minimumDate();
    const QDate to = last.isValid() ? last : OVRoleDateRestrictions::maximumDate();
    if (from >= allowed.first && to <= allowed.second)
        return QString();
    const QString format = QStringLiteral("dd.MM.yyyy");
    return QStringLiteral("Недостаточно прав: изменение данных с %1 по %2 запрещено, разрешён период с %3 по %4")
        .arg(from.toString(format), to.toString(format), allowed.first.toString(format),
             allowed.second.toString(format));
}
