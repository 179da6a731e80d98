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

QString flag(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

} // namespace

OrganisationBuilder::OrganisationBuilder(LocalStorage* store) : m_store(store ? store : LocalStorage::instance())
{
    m_store->reset();
}

ObjectInfo OrganisationBuilder::makeObject(const char* type, TYPE_ID parent, const QString& name, Properties properties)
{
    ObjectInfo object;
    object.uid = m_nextId++;
    object.type = key(type);
    object.parent = parent;
    if (!name.isEmpty())
        object.properties.insert(key(db::common::NAME), name);
    for (const auto& property : properties)
        object.properties.insert(key(property.first), property.second);
    return object;
}

TYPE_ID OrganisationBuilder::add(const char* dataname, const char* type, TYPE_ID parent, const QString& name,
                                 Properties properties)
{
    const ObjectInfo object = makeObject(type, parent, name, properties);
    put(key(dataname), object);
    return object.uid;
}

void OrganisationBuilder::put(const QString& dataname, const ObjectInfo& object)
{
    m_store->updateObjects(dataname, {object});
}

ObjectInfo OrganisationBuilder::object(TYPE_ID id) const
{
    return m_store->constObject(id);
}

QString OrganisationBuilder::datanameOf(TYPE_ID id) const
{
    const QString type = m_store->constObject(id).type;
    if (type == QLatin1String(db::orgstructure::WORKER))
        return key(SUBJECT_DATANAME);
    return key(type == QLatin1String(db::wt::ATTACHED_WORKER) ? ATTACHED_WORKER_DATANAME : ORGSTRUCTURE_DATANAME);
}

void OrganisationBuilder::link(const QString& parentDataname, TYPE_ID parent, const QString& childDataname,
                               TYPE_ID child, TYPE_ID refType, const QDate& start, const QDate& finish)
{
    const _INHERIT_DATA inherit{parent, child, int(refType), start.isValid() ? start.startOfDay() : QDateTime(),
                                finish.isValid() ? finish.startOfDay() : QDateTime()};
    ObjectInfo parentObject = m_store->constObject(parent, parentDataname);
    parentObject.children.insert(refType, inherit);
    put(parentDataname, parentObject);
    ObjectInfo childObject = m_store->constObject(child, childDataname);
    childObject.parents.insert(refType, inherit);
    put(childDataname, childObject);
}

TYPE_ID OrganisationBuilder::firm(const QString& name)
{
    return add(ORGSTRUCTURE_DATANAME, db::orgstructure::FIRM, 0, name);
}

TYPE_ID OrganisationBuilder::department(const QString& name, TYPE_ID parent, const QString& number)
{
    ObjectInfo object = makeObject(db::orgstructure::DEPARTMENT, parent, name);
    if (!number.isEmpty())
        object.properties.insert(key(db::department::DEPARTNUM), number);
    put(key(ORGSTRUCTURE_DATANAME), object);
    return object.uid;
}

TYPE_ID OrganisationBuilder::job(const QString& name)
{
    return add(JOB_DATANAME, db::wt::JOB, 0, name);
}

TYPE_ID OrganisationBuilder::employee(const QString& name, TYPE_ID department, const QString& number, TYPE_ID job)
{
    ObjectInfo object = makeObject(db::orgstructure::WORKER, department, name, {{db::subject::WORKERNUM, number}});
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
    ObjectInfo history = makeObject(db::wt::WORKER_HISTORY, department, person.property(key(db::common::NAME)),
                                    {{db::worker_history::DATE_BEGIN, isoDate(begin)},
                                     {db::worker_history::DATE_END, isoDate(end)}});
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
    changed.properties.insert(propertyKey, value);
    const QStringList datanames = m_store->datanames();
    for (const QString& dataname : datanames) {
        if (changed.isValid() && m_store->constObject(id, dataname).isValid())
            put(dataname, changed);
    }
}

void OrganisationBuilder::setParent(TYPE_ID id, TYPE_ID parent)
{
    ObjectInfo changed = m_store->constObject(id);
    changed.parent = parent;
    if (changed.isValid())
        put(datanameOf(id), changed);
}

TYPE_ID OrganisationBuilder::shift(const QString& name, const QList<TimeRange>& intervals, bool hidden)
{
    const TYPE_ID shiftId = add(SCHEDULE_SHIFT_DATANAME, db::wt::SHIFT, 0, name, {{db::shift::HIDDEN, flag(hidden)}});
    QList<ObjectInfo> intervalObjects;
    for (int order = 0; order < intervals.size(); ++order) {
        intervalObjects.append(makeObject(db::wt::SHIFT_INTERVAL, shiftId, QString(),
            {{db::shift_interval::START, QString::number(seconds(intervals.at(order).first))},
             {db::shift_interval::FINISH, QString::number(seconds(intervals.at(order).second))},
             {db::shift_interval::ORDER, QString::number(order)}}));
    }
    if (!intervalObjects.isEmpty())
        m_store->updateObjects(key(SHIFT_INTERVAL_DATANAME), intervalObjects);
    return shiftId;
}

TYPE_ID OrganisationBuilder::breakRule(const QString& name, int fromSeconds, int toSeconds, int breakSeconds,
                                       const QDate& date, const QList<TYPE_ID>& targets, int targetType)
{
    const TYPE_ID rule = add(BREAK_RULE_DATANAME, db::wt::BREAK_RULE, 0, name,
        {{db::break_rule::TYPE, QString::number(targetType)}, {db::break_rule::TIME_FROM, QString::number(fromSeconds)},
         {db::break_rule::TIME_TO, QString::number(toSeconds)},
         {db::break_rule::BREAK_TIME, QString::number(breakSeconds)}, {db::break_rule::DATE, isoDate(date)}});
    for (TYPE_ID target : targets)
        link(key(BREAK_RULE_DATANAME), rule, datanameOf(target), target, INHERIT_BREAK_RULE_OBJECT);
    return rule;
}

TYPE_ID OrganisationBuilder::absenceReason(const QString& name, const QString& mark, int order, ReasonCounts counts,
                                           int calcNormMethod, const QString& color, bool allowPlanning)
{
    return add(REASON_DATANAME, db::wt::REASON, 0, name,
        {{db::reason::MARK, mark}, {db::reason::ORDER, QString::number(order)},
         {db::reason::WORKTIME, flag(counts == CountsAsWork)}, {db::reason::NORMTIME, flag(counts == CountsTowardsNorm)},
         {db::reason::CALC_NORM_METHOD, QString::number(calcNormMethod)}, {db::reason::PLANNING_COLOR, color},
         {db::reason::ALLOW_PLANNING, flag(allowPlanning)}});
}

TYPE_ID OrganisationBuilder::attachedWorker(TYPE_ID employee, TYPE_ID department, const QDate& begin,
                                            const QDate& end)
{
    const ObjectInfo person = m_store->constObject(employee, key(SUBJECT_DATANAME));
    const TYPE_ID attached = add(ATTACHED_WORKER_DATANAME, db::wt::ATTACHED_WORKER, department,
        person.property(key(db::common::NAME)),
        {{db::attached_worker::DATE_BEGIN, isoDate(begin)}, {db::attached_worker::DATE_END, isoDate(end)},
         {db::attached_worker::WORKERNUM, person.property(key(db::subject::WORKERNUM))},
         {db::attached_worker::JOBLINK, person.property(key(db::subject::JOBLINK))}});
    link(key(ATTACHED_WORKER_DATANAME), attached, key(SUBJECT_DATANAME), employee, INHERIT_ATTACHED_WORKER, begin, end);
    link(key(ATTACHED_WORKER_DATANAME), attached, key(ORGSTRUCTURE_DATANAME), department,
         INHERIT_ATTACHED_WORKER_DEPARTMENT, begin, end);
    return attached;
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
    return {id, reason, start, end, timed, QString(), changeTime};
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
