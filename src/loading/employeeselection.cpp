#include "employeeselection.h"

#include "localstorage.h"
#include "ovglobals.h"
#include "vocabulary.h"
#include "wtplanninglogging.h"

#include <algorithm>

using namespace orvanta;

namespace {

const LocalStorage* store()
{
    return LocalStorage::instance();
}

// Missing link dates are open on their side.
QDate linkBegin(const _INHERIT_DATA& link)
{
    return link.start.date();
}

QDate linkEnd(const _INHERIT_DATA& link)
{
    return link.finish.date();
}

QList<_INHERIT_DATA> linksSortedByBegin(const QList<_INHERIT_DATA>& links)
{
    QList<_INHERIT_DATA> sorted = links;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const _INHERIT_DATA& a, const _INHERIT_DATA& b) { return a.start < b.start; });
    return sorted;
}

bool planningDisabled(const ObjectInfo& employee)
{
    return employee.property(QLatin1String(db::subject::DISABLE_PLANNING)).toInt() != 0;
}

QDate propertyDate(const ObjectInfo& object, const char* key)
{
    return QDate::fromString(object.property(QLatin1String(key)), Qt::ISODate);
}

// The history touches or overlaps the period that starts at begin: it starts earlier and
// ends no sooner than the day before.
// Whether [first, last] starts before begin and touches or overlaps the days from begin on.
bool extendsBackwards(const QDate& first, const QDate& last, const QDate& begin)
{
    if (!begin.isValid() || !first.isValid())
        return false;
    return first < begin && (!last.isValid() || last >= begin.addDays(-1));
}

bool extendsBackwards(const _INHERIT_DATA& link, const QDate& begin)
{
    return extendsBackwards(linkBegin(link), linkEnd(link), begin);
}

} // namespace

EmployeeSelection::EmployeeSelection(const QDate& start, const QDate& finish, const QList<TYPE_ID>& departments)
    : m_start(start)
    , m_finish(finish)
    , m_departments(departments.cbegin(), departments.cend())
{
}

QList<EmployeeInfo> EmployeeSelection::employees() const
{
    QList<EmployeeInfo> sorted = m_employees.values();
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const EmployeeInfo& a, const EmployeeInfo& b) { return a.name.trimmed() < b.name.trimmed(); });
    return sorted;
}

QList<unsigned int> EmployeeSelection::attached() const
{
    QList<unsigned int> ids(m_attached.cbegin(), m_attached.cend());
    std::sort(ids.begin(), ids.end());
    return ids;
}

QList<unsigned int> EmployeeSelection::departments() const
{
    QList<unsigned int> ids(m_departments.cbegin(), m_departments.cend());
    std::sort(ids.begin(), ids.end());
    return ids;
}

void EmployeeSelection::select()
{
    m_employees.clear();
    m_attached.clear();
    const QList<unsigned int> departmentIds = departments();
    for (TYPE_ID id : departmentIds) {
        const ObjectInfo department = store()->constObject(id, QLatin1String(ORGSTRUCTURE_DATANAME));
        addDirectMembers(department);
        addHistoryMembers(department);
    }
    extendContinuousStarts();
    for (TYPE_ID id : departmentIds)
        addAttachedWorkers(store()->constObject(id, QLatin1String(ORGSTRUCTURE_DATANAME)));
}

void EmployeeSelection::addDirectMembers(const ObjectInfo& department)
{
    // Thousands of members: each is looked up in place rather than copied out of the store.
    const OBJECT_HASH* subjects = store()->constObjects(QLatin1String(SUBJECT_DATANAME));
    if (!subjects)
        return;
    const QList<_INHERIT_DATA> links = department.children.values(INHERIT_PARENT_CHILD);
    for (const _INHERIT_DATA& link : links) {
        const auto found = subjects->constFind(link.child);
        if (found == subjects->constEnd() || !found->isValid())
            continue;
        const ObjectInfo& employee = *found;
        const QString name = OVGlobals::objectName(employee);
        if (planningDisabled(employee)) {
            qCDebug(lcWtPlanning) << Q_FUNC_INFO << "skip employee planning disabled" << employee.uid << name;
            continue;
        }
        const QDate begin = propertyDate(employee, db::subject::DATE_BEGIN);
        const QDate end = propertyDate(employee, db::subject::DATE_END);
        if (begin.isValid() && begin > m_finish) {
            qCDebug(lcWtPlanning) << Q_FUNC_INFO << "skip employee by begin date " << employee.uid << name << begin;
            continue;
        }
        if (end.isValid() && end < m_start) {
            qCDebug(lcWtPlanning) << Q_FUNC_INFO << "skip employee by end date " << employee.uid << name << end;
            continue;
        }
        EmployeeInfo info;
        info.uid = employee.uid;
        static const QString jobKey = QLatin1String(db::subject::JOBLINK);
        static const QString numberKey = QLatin1String(db::subject::WORKERNUM);
        info.jobUid = employee.property(jobKey).toUInt();
        info.number = employee.property(numberKey);
        info.name = name;
        info.department = department.uid;
        info.emplStart = begin;
        info.emplContStart = begin;
        info.emplFinish = end;
        keepHistoryStart(info);
        m_employees.insert(employee.uid, info);
    }
}

void EmployeeSelection::keepHistoryStart(EmployeeInfo& member) const
{
    // A shown department that came first took the employee in by a history touching his start here. Had it
    // come after, that history would have moved the start back; the row must not depend on the order.
    const auto taken = m_employees.constFind(member.uid);
    if (taken == m_employees.cend() || taken->reportUid == 0)
        return;
    if (extendsBackwards(taken->emplStart, taken->emplFinish, member.emplStart)) {
        member.emplStart = taken->emplStart;
        member.emplContStart = qMin(member.emplContStart, member.emplStart);
        qCDebug(lcWtPlanning) << Q_FUNC_INFO << "update start date by history" << member.uid << member.name
                              << member.emplStart;
    }
}

bool EmployeeSelection::overlapsPeriod(const _INHERIT_DATA& link) const
{
    const QDate begin = linkBegin(link);
    const QDate end = linkEnd(link);
    return (!end.isValid() || end >= m_start) && (!begin.isValid() || begin <= m_finish);
}

void EmployeeSelection::addHistoryMembers(const ObjectInfo& department)
{
    const QList<_INHERIT_DATA> links = linksSortedByBegin(department.children.values(INHERIT_WORKER_HISTORY_DEPARTMENT));
    for (const _INHERIT_DATA& link : links) {
        const ObjectInfo history = store()->constObject(link.child, QLatin1String(WORKER_HISTORY_DATANAME));
        if (!history.isValid()) {
            qCWarning(lcWtPlanning) << Q_FUNC_INFO << "wrong worker history" << link.parent;
            continue;
        }
        if (!overlapsPeriod(link)) {
            qCDebug(lcWtPlanning) << Q_FUNC_INFO << "skip history by date" << history.uid
                                  << OVGlobals::objectName(history) << linkBegin(link) << linkEnd(link);
            continue;
        }
        addHistoryMember(link, history);
    }
}

void EmployeeSelection::addHistoryMember(const _INHERIT_DATA& link, const ObjectInfo& history)
{
    const auto owner = history.parents.constFind(INHERIT_WORKER_HISTORY);
    if (owner == history.parents.cend())
        return;
    const ObjectInfo employee = store()->constObject(owner->parent, QLatin1String(SUBJECT_DATANAME));
    if (!employee.isValid())
        return;
    const QString name = OVGlobals::objectName(employee);
    if (planningDisabled(employee)) {
        qCDebug(lcWtPlanning) << Q_FUNC_INFO << "skip history planning disabled" << employee.uid << name;
        return;
    }
    auto existing = m_employees.find(employee.uid);
    if (existing != m_employees.end()) {
        if (extendsBackwards(link, existing->emplStart)) {
            existing->emplStart = linkBegin(link);
            qCDebug(lcWtPlanning) << Q_FUNC_INFO << "update start date by history" << employee.uid << name
                                  << existing->emplStart;
        }
        return;
    }
    EmployeeInfo info;
    info.uid = employee.uid;
    info.reportUid = history.uid;
    info.department = link.parent;
    info.emplStart = linkBegin(link);
    info.emplContStart = linkBegin(link);
    info.emplFinish = linkEnd(link);
    info.name = name;
    info.jobUid = history.property(QLatin1String(db::worker_history::JOBLINK)).toUInt();
    info.number = employee.property(QLatin1String(db::subject::WORKERNUM));
    m_employees.insert(employee.uid, info);
    qCDebug(lcWtPlanning) << Q_FUNC_INFO << "found history" << employee.uid << name << info.emplStart << info.emplFinish;
}

void EmployeeSelection::extendContinuousStarts()
{
    for (auto entry = m_employees.begin(); entry != m_employees.end(); ++entry) {
        const ObjectInfo employee = store()->constObject(entry.key(), QLatin1String(SUBJECT_DATANAME));
        const QList<_INHERIT_DATA> links = linksSortedByBegin(employee.children.values(INHERIT_WORKER_HISTORY));
        for (const _INHERIT_DATA& link : links) {
            const ObjectInfo history = store()->constObject(link.child, QLatin1String(WORKER_HISTORY_DATANAME));
            if (!history.isValid()) {
                qCWarning(lcWtPlanning) << Q_FUNC_INFO << "wrong worker history" << link.child;
                continue;
            }
            if (extendsBackwards(link, entry->emplContStart)) {
                entry->emplContStart = linkBegin(link);
                qCDebug(lcWtPlanning) << Q_FUNC_INFO << "update cont_start date by history" << entry.key()
                                      << entry->emplContStart;
            }
        }
    }
}

void EmployeeSelection::addAttachedWorkers(const ObjectInfo& department)
{
    const QList<_INHERIT_DATA> links = department.parents.values(INHERIT_ATTACHED_WORKER_DEPARTMENT);
    for (const _INHERIT_DATA& departmentLink : links) {
        if (!overlapsPeriod(departmentLink))
            continue;
        const ObjectInfo attachedWorker = store()->constObject(departmentLink.parent, QLatin1String(ATTACHED_WORKER_DATANAME));
        if (!attachedWorker.isValid()) {
            qCWarning(lcWtPlanning) << Q_FUNC_INFO << "wrong attached empoyee" << departmentLink.parent;
            continue;
        }
        const auto link = attachedWorker.children.constFind(INHERIT_ATTACHED_WORKER);
        if (link == attachedWorker.children.cend())
            continue;
        const TYPE_ID employee = link->child;
        if (m_employees.contains(employee)) {
            qCDebug(lcWtPlanning) << Q_FUNC_INFO << "attached worker exists" << employee;
            continue;
        }
        m_attached.insert(employee);
        qCDebug(lcWtPlanning) << Q_FUNC_INFO << "found attached" << OVGlobals::objectName(attachedWorker)
                              << linkBegin(departmentLink) << linkEnd(departmentLink);
    }
}
