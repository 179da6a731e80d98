#include "triprules.h"

#include "accesspolicy.h"
#include "objectstore.h"
#include "serverlogging.h"
#include "vocabulary.h"

#include <functional>

using namespace orvanta;

namespace {

using Verdict = TripRules::Verdict;

// Departments are never nested this deep; the bound keeps a cycle of parents from hanging us.
constexpr int MaxDepartmentDepth = 64;

Verdict refusal(Verdict::Kind kind, const QString& text)
{
    return {kind, text};
}

QDate isoDate(const ObjectInfo& object, const char* key)
{
    return QDate::fromString(object.property(QLatin1String(key)), Qt::ISODate);
}

} // namespace

TripRules::TripRules(const QSqlDatabase& db, const UserAccount& user, const QDate& today)
    : m_db(db), m_user(user), m_today(today)
{
}

Verdict TripRules::checkWrite(const ObjectInfo& object, const QList<_INHERIT_DATA>& links, const ObjectInfo& stored)
{
    const Trip trip = describe(object, links.isEmpty() ? stored.children.values() : links);
    ObjectInfo employee;
    const QList<std::function<Verdict()>> checks = {
        [&] { return checkShape(trip); },
        [&] { return checkDates(trip); },
        // Moving a trip out of a closed period changes that period as much as moving one in.
        [&] { return stored.isValid() ? checkRemoval(stored) : Verdict(); },
        [&] { return find(trip.employee, QStringLiteral("Сотрудник %1 не найден"), &employee); },
        [&] { return checkDepartment(trip, employee); },
        [&] { return checkOverlap(trip, employee); },
    };
    for (const auto& check : checks) {
        const Verdict verdict = check();
        if (verdict.kind != Verdict::Allowed)
            return verdict;
    }
    return Verdict();
}

Verdict TripRules::checkRemoval(const ObjectInfo& stored) const
{
    const Trip trip = describe(stored, stored.children.values());
    // A trip stored without dates has none to protect.
    if (!trip.first.isValid() || !trip.last.isValid())
        return Verdict();
    return checkDates(trip);
}

TripRules::Trip TripRules::describe(const ObjectInfo& object, const QList<_INHERIT_DATA>& links)
{
    Trip trip;
    trip.uid = object.uid;
    _INHERIT_DATA toEmployee;
    for (const _INHERIT_DATA& link : links) {
        if (link.parent != object.uid)
            continue;
        if (link.refType == int(INHERIT_ATTACHED_WORKER) && trip.employee == 0) {
            trip.employee = link.child;
            toEmployee = link;
        } else if (link.refType == int(INHERIT_ATTACHED_WORKER_DEPARTMENT) && trip.department == 0) {
            trip.department = link.child;
        }
    }
    trip.first = isoDate(object, db::attached_worker::DATE_BEGIN);
    trip.last = isoDate(object, db::attached_worker::DATE_END);
    if (!trip.first.isValid())
        trip.first = toEmployee.start.date();
    if (!trip.last.isValid())
        trip.last = toEmployee.finish.date();
    return trip;
}

Verdict TripRules::checkShape(const Trip& trip)
{
    if (trip.employee == 0)
        return refusal(Verdict::Invalid, QStringLiteral("Не указан сотрудник внутренней командировки"));
    if (trip.department == 0)
        return refusal(Verdict::Invalid, QStringLiteral("Не указано место внутренней командировки"));
    if (!trip.first.isValid() || !trip.last.isValid() || trip.last < trip.first)
        return refusal(Verdict::Invalid, QStringLiteral("Неверные даты внутренней командировки"));
    return Verdict();
}

Verdict TripRules::checkDates(const Trip& trip) const
{
    const QString text = AccessPolicy::checkDates(m_user.workTimePlanning, trip.first, trip.last, m_today);
    return text.isEmpty() ? Verdict() : refusal(Verdict::Forbidden, text);
}

Verdict TripRules::checkDepartment(const Trip& trip, const ObjectInfo& employee)
{
    ObjectInfo department;
    Verdict verdict = find(trip.department, QStringLiteral("Подразделение %1 не найдено"), &department);
    for (int depth = 0; verdict.kind == Verdict::Allowed && depth < MaxDepartmentDepth; ++depth) {
        if (department.uid == employee.parent) {
            qCDebug(lcServerCore) << Q_FUNC_INFO << "own department" << trip.employee << trip.department;
            return refusal(Verdict::Invalid,
                           QStringLiteral("Сотрудника нельзя направить во внутреннюю командировку в его собственное "
                                          "подразделение или подчинённое ему"));
        }
        if (department.parent == 0)
            break;
        verdict = find(department.parent, QStringLiteral("Подразделение %1 не найдено"), &department);
    }
    return verdict;
}

Verdict TripRules::checkOverlap(const Trip& trip, const ObjectInfo& employee)
{
    QList<TYPE_ID> others;
    for (const _INHERIT_DATA& link : employee.parents.values(INHERIT_ATTACHED_WORKER)) {
        if (link.parent != trip.uid)
            others.append(link.parent);
    }
    QHash<QString, QList<ObjectInfo>> stored;
    QString error;
    if (!ObjectStore(m_db).objectsByIds(others, &stored, &error))
        return refusal(Verdict::Failed, error);
    for (const ObjectInfo& object : stored.value(QLatin1String(ATTACHED_WORKER_DATANAME))) {
        const Trip other = describe(object, object.children.values());
        // Both ends count: a trip ending on the day another starts overlaps it.
        if (other.first.isValid() && other.last.isValid() && other.first <= trip.last && other.last >= trip.first) {
            qCDebug(lcServerCore) << Q_FUNC_INFO << "overlap" << trip.employee << other.uid << other.first << other.last;
            return refusal(Verdict::Invalid,
                           QStringLiteral("У сотрудника уже присутствует внутренняя командировка на указанные даты"));
        }
    }
    return Verdict();
}

Verdict TripRules::find(TYPE_ID id, const QString& missing, ObjectInfo* out)
{
    QString error;
    if (!ObjectStore(m_db).find(id, out, nullptr, &error))
        return refusal(Verdict::Failed, error);
    return out->isValid() ? Verdict() : refusal(Verdict::Invalid, missing.arg(id));
}
