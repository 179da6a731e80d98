#include "organisationbuilder.h"

#include "localstorage.h"
#include "vocabulary.h"

using namespace orvanta;

namespace ovtest {

namespace {

QString key(const char* name)
{
    return QLatin1String(name);
}

QString isoDate(const QDate& date)
{
    return date.isValid() ? date.toString(Qt::ISODate) : QString();
}

} // namespace

OrganisationBuilder::OrganisationBuilder(LocalStorage* store) : m_store(store ? store : LocalStorage::instance())
{
    m_store->reset();
}

ObjectInfo OrganisationBuilder::makeObject(const QString& type, TYPE_ID parent, const QString& name)
{
    ObjectInfo object;
    object.uid = m_nextId++;
    object.type = type;
    object.parent = parent;
    if (!name.isEmpty())
        object.properties.insert(key(db::common::NAME), name);
    return object;
}

void OrganisationBuilder::put(const QString& dataname, const ObjectInfo& object)
{
    m_store->updateObjects(dataname, {object});
}

ObjectInfo OrganisationBuilder::object(TYPE_ID id) const
{
    return m_store->constObject(id);
}

void OrganisationBuilder::link(const QString& parentDataname, TYPE_ID parent, const QString& childDataname,
                               TYPE_ID child, TYPE_ID refType, const QDate& start, const QDate& finish)
{
    _INHERIT_DATA inherit;
    inherit.parent = parent;
    inherit.child = child;
    inherit.refType = int(refType);
    inherit.start = start.isValid() ? start.startOfDay() : QDateTime();
    inherit.finish = finish.isValid() ? finish.startOfDay() : QDateTime();

    ObjectInfo parentObject = m_store->constObject(parent, parentDataname);
    parentObject.children.insert(refType, inherit);
    put(parentDataname, parentObject);
    ObjectInfo childObject = m_store->constObject(child, childDataname);
    childObject.parents.insert(refType, inherit);
    put(childDataname, childObject);
}

TYPE_ID OrganisationBuilder::firm(const QString& name)
{
    const ObjectInfo object = makeObject(key(db::orgstructure::FIRM), 0, name);
    put(key(ORGSTRUCTURE_DATANAME), object);
    return object.uid;
}

TYPE_ID OrganisationBuilder::department(const QString& name, TYPE_ID parent, const QString& number)
{
    ObjectInfo object = makeObject(key(db::orgstructure::DEPARTMENT), parent, name);
    if (!number.isEmpty())
        object.properties.insert(key(db::department::DEPARTNUM), number);
    put(key(ORGSTRUCTURE_DATANAME), object);
    return object.uid;
}

TYPE_ID OrganisationBuilder::job(const QString& name)
{
    const ObjectInfo object = makeObject(key(db::wt::JOB), 0, name);
    put(key(JOB_DATANAME), object);
    return object.uid;
}

TYPE_ID OrganisationBuilder::employee(const QString& name, TYPE_ID department, const QString& number, TYPE_ID job)
{
    ObjectInfo object = makeObject(key(db::orgstructure::WORKER), department, name);
    object.properties.insert(key(db::subject::WORKERNUM), number);
    if (job)
        object.properties.insert(key(db::subject::JOBLINK), QString::number(job));
    put(key(SUBJECT_DATANAME), object);
    // Tests may hang employees under departments they never create.
    if (m_store->constObject(department, key(ORGSTRUCTURE_DATANAME)).isValid())
        link(key(ORGSTRUCTURE_DATANAME), department, key(SUBJECT_DATANAME), object.uid, INHERIT_PARENT_CHILD);
    return object.uid;
}

TYPE_ID OrganisationBuilder::workerHistory(TYPE_ID employee, TYPE_ID department, const QDate& begin, const QDate& end,
                                           TYPE_ID job)
{
    const ObjectInfo person = m_store->constObject(employee, key(SUBJECT_DATANAME));
    ObjectInfo history = makeObject(key(db::wt::WORKER_HISTORY), department, person.property(key(db::common::NAME)));
    history.properties.insert(key(db::worker_history::DATE_BEGIN), isoDate(begin));
    history.properties.insert(key(db::worker_history::DATE_END), isoDate(end));
    if (job)
        history.properties.insert(key(db::worker_history::JOBLINK), QString::number(job));
    put(key(WORKER_HISTORY_DATANAME), history);
    link(key(ORGSTRUCTURE_DATANAME), department, key(WORKER_HISTORY_DATANAME), history.uid,
         INHERIT_WORKER_HISTORY_DEPARTMENT, begin, end);
    link(key(SUBJECT_DATANAME), employee, key(WORKER_HISTORY_DATANAME), history.uid, INHERIT_WORKER_HISTORY, begin,
         end);
    return history.uid;
}

void OrganisationBuilder::setProperty(TYPE_ID id, const QString& propertyKey, const QString& value)
{
    ObjectInfo changed = m_store->constObject(id);
    if (!changed.isValid())
        return;
    changed.properties.insert(propertyKey, value);
    const QStringList datanames = m_store->datanames();
    for (const QString& dataname : datanames) {
        if (m_store->constObject(id, dataname).isValid())
            put(dataname, changed);
    }
}

void OrganisationBuilder::setParent(TYPE_ID id, TYPE_ID parent)
{
    ObjectInfo changed = m_store->constObject(id);
    if (!changed.isValid())
        return;
    const QString dataname = changed.type == QLatin1String(db::orgstructure::WORKER) ? key(SUBJECT_DATANAME)
                                                                                     : key(ORGSTRUCTURE_DATANAME);
    changed.parent = parent;
    put(dataname, changed);
}

TYPE_ID OrganisationBuilder::shift(const QString& name, const QList<TimeRange>& intervals, bool hidden)
{
    ObjectInfo shiftObject = makeObject(key(db::wt::SHIFT), 0, name);
    shiftObject.properties.insert(key(db::shift::HIDDEN), hidden ? QStringLiteral("1") : QStringLiteral("0"));
    put(key(SCHEDULE_SHIFT_DATANAME), shiftObject);
    QList<ObjectInfo> intervalObjects;
    for (int order = 0; order < intervals.size(); ++order) {
        ObjectInfo interval = makeObject(key(db::wt::SHIFT_INTERVAL), shiftObject.uid, QString());
        interval.properties.insert(key(db::shift_interval::START), QString::number(seconds(intervals.at(order).first)));
        interval.properties.insert(key(db::shift_interval::FINISH),
                                   QString::number(seconds(intervals.at(order).second)));
        interval.properties.insert(key(db::shift_interval::ORDER), QString::number(order));
        intervalObjects.append(interval);
    }
    if (!intervalObjects.isEmpty())
        m_store->updateObjects(key(SHIFT_INTERVAL_DATANAME), intervalObjects);
    return shiftObject.uid;
}

TYPE_ID OrganisationBuilder::breakRule(const QString& name, int fromSeconds, int toSeconds, int breakSeconds,
                                       const QDate& date, const QList<TYPE_ID>& targets, int targetType)
{
    ObjectInfo rule = makeObject(key(db::wt::BREAK_RULE), 0, name);
    rule.properties.insert(key(db::break_rule::TYPE), QString::number(targetType));
    rule.properties.insert(key(db::break_rule::TIME_FROM), QString::number(fromSeconds));
    rule.properties.insert(key(db::break_rule::TIME_TO), QString::number(toSeconds));
    rule.properties.insert(key(db::break_rule::BREAK_TIME), QString::number(breakSeconds));
    rule.properties.insert(key(db::break_rule::DATE), isoDate(date));
    put(key(BREAK_RULE_DATANAME), rule);
    for (TYPE_ID target : targets) {
        const ObjectInfo targetObject = m_store->constObject(target);
        const QString dataname = targetObject.type == QLatin1String(db::orgstructure::WORKER)
            ? key(SUBJECT_DATANAME)
            : targetObject.type == QLatin1String(db::wt::ATTACHED_WORKER) ? key(ATTACHED_WORKER_DATANAME)
                                                                            : key(ORGSTRUCTURE_DATANAME);
        link(key(BREAK_RULE_DATANAME), rule.uid, dataname, target, INHERIT_BREAK_RULE_OBJECT);
    }
    return rule.uid;
}

TYPE_ID OrganisationBuilder::absenceReason(const QString& name, const QString& mark, int order, ReasonCounts counts,
                                           int calcNormMethod, const QString& color, bool allowPlanning)
{
    ObjectInfo reason = makeObject(key(db::wt::REASON), 0, name);
    reason.properties.insert(key(db::reason::MARK), mark);
    reason.properties.insert(key(db::reason::ORDER), QString::number(order));
    reason.properties.insert(key(db::reason::WORKTIME), counts == CountsAsWork ? QStringLiteral("1") : QStringLiteral("0"));
    reason.properties.insert(key(db::reason::NORMTIME),
                             counts == CountsTowardsNorm ? QStringLiteral("1") : QStringLiteral("0"));
    reason.properties.insert(key(db::reason::CALC_NORM_METHOD), QString::number(calcNormMethod));
    reason.properties.insert(key(db::reason::PLANNING_COLOR), color);
    reason.properties.insert(key(db::reason::ALLOW_PLANNING), allowPlanning ? QStringLiteral("1") : QStringLiteral("0"));
    put(key(REASON_DATANAME), reason);
    return reason.uid;
}

TYPE_ID OrganisationBuilder::attachedWorker(TYPE_ID employee, TYPE_ID department, const QDate& begin,
                                            const QDate& end)
{
    const ObjectInfo person = m_store->constObject(employee, key(SUBJECT_DATANAME));
    ObjectInfo attached = makeObject(key(db::wt::ATTACHED_WORKER), department, person.property(key(db::common::NAME)));
    attached.properties.insert(key(db::attached_worker::DATE_BEGIN), isoDate(begin));
    attached.properties.insert(key(db::attached_worker::DATE_END), isoDate(end));
    attached.properties.insert(key(db::attached_worker::WORKERNUM), person.property(key(db::subject::WORKERNUM)));
    attached.properties.insert(key(db::attached_worker::JOBLINK), person.property(key(db::subject::JOBLINK)));
    put(key(ATTACHED_WORKER_DATANAME), attached);
    link(key(ATTACHED_WORKER_DATANAME), attached.uid, key(SUBJECT_DATANAME), employee, INHERIT_ATTACHED_WORKER, begin,
         end);
    link(key(ATTACHED_WORKER_DATANAME), attached.uid, key(ORGSTRUCTURE_DATANAME), department,
         INHERIT_ATTACHED_WORKER_DEPARTMENT, begin, end);
    return attached.uid;
}

SCHEDULE_CALENDAR_INTERVAL OrganisationBuilder::interval(const QTime& start, const QTime& finish, int order)
{
    SCHEDULE_CALENDAR_INTERVAL result;
    result.start = seconds(start);
    result.finish = seconds(finish);
    result.order = order;
    return result;
}

_WORKER_ABSENCE_REASON_RECORD OrganisationBuilder::absenceRecord(TYPE_ID reason, const QDateTime& start,
                                                                 const QDateTime& end, bool timed, TYPE_ID id,
                                                                 const QDateTime& changeTime)
{
    _WORKER_ABSENCE_REASON_RECORD record;
    record.id = id;
    record.reason = reason;
    record.start = start;
    record.end = end;
    record.timed = timed;
    record.changeTime = changeTime;
    return record;
}

int OrganisationBuilder::addSchedule(SCHEDULE_DATA schedule)
{
    schedule.id = m_nextScheduleId++;
    m_store->updateSchedules({schedule});
    return schedule.id;
}

int OrganisationBuilder::cycleSchedule(const QString& name, const QDate& base, const QList<int>& cycle,
                                       const QList<QList<TimeRange>>& shifts)
{
    SCHEDULE_DATA schedule;
    schedule.name = name;
    schedule.kind = SCHEDULE_DATA::KindCycle;
    schedule.date = base;
    for (int shift : cycle)
        schedule.cycle.append(SCHEDULE_DATA::CycleDay{shift});
    for (const QList<TimeRange>& ranges : shifts) {
        SCHEDULE_DATA::Shift shift;
        for (int order = 0; order < ranges.size(); ++order)
            shift.intervals.append(interval(ranges.at(order).first, ranges.at(order).second, order));
        schedule.shifts.append(shift);
    }
    return addSchedule(schedule);
}

int OrganisationBuilder::calendarSchedule(const QString& name)
{
    SCHEDULE_DATA schedule;
    schedule.name = name;
    schedule.kind = SCHEDULE_DATA::KindCalendar;
    return addSchedule(schedule);
}

int OrganisationBuilder::personalSchedule(TYPE_ID employee, const QDate& month)
{
    SCHEDULE_DATA schedule;
    schedule.name = QStringLiteral("Личный график %1").arg(employee);
    schedule.kind = SCHEDULE_DATA::KindPersonal;
    schedule.worker = employee;
    schedule.date = QDate(month.year(), month.month(), 1);
    return addSchedule(schedule);
}

} // namespace ovtest
