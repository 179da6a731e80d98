#pragma once

#include "localstorage.h"
#include "objectinfo.h"
#include "orvantatypes.h"
#include "scheduledata.h"
#include "vocabulary.h"
#include "workerabsencereason.h"

#include <QDate>
#include <QList>
#include <QPair>
#include <QString>
#include <QTime>

#include <initializer_list>
#include <utility>

namespace ovtest {

/// Builds a small organisation in the local object store in a few lines: firms,
/// departments, employees, shifts, schedules, break rules, absence reasons and
/// attached workers, with the links between them. Every object goes into the store
/// as soon as it is made; ids are handed out from 1000 upwards.
class OrganisationBuilder
{
public:
    using TimeRange = QPair<QTime, QTime>;
    using TYPE_ID = orvanta::TYPE_ID;

    /// Empties the store (no signals) and starts a new organisation in it.
    explicit OrganisationBuilder(orvanta::LocalStorage* store = nullptr)
        : m_store(store ? store : orvanta::LocalStorage::instance())
    {
        m_store->reset();
    }

    TYPE_ID firm(const QString& name) { return add(orvanta::ORGSTRUCTURE_DATANAME, db::orgstructure::FIRM, 0, name); }
    TYPE_ID job(const QString& name) { return add(orvanta::JOB_DATANAME, db::wt::JOB, 0, name); }

    TYPE_ID department(const QString& name, TYPE_ID parent, const QString& number = QString())
    {
        return add(orvanta::ORGSTRUCTURE_DATANAME, db::orgstructure::DEPARTMENT, parent, name,
                   {{db::department::DEPARTNUM, number}});
    }

    TYPE_ID employee(const QString& name, TYPE_ID department, const QString& number = QString(), TYPE_ID job = 0)
    {
        const TYPE_ID uid = add(orvanta::SUBJECT_DATANAME, db::orgstructure::WORKER, department, name,
                                {{db::subject::WORKERNUM, number}, {db::subject::JOBLINK, idText(job)}});
        // Tests may hang employees under departments they never create.
        if (m_store->constObject(department, key(orvanta::ORGSTRUCTURE_DATANAME)).isValid())
            link(orvanta::ORGSTRUCTURE_DATANAME, department, orvanta::SUBJECT_DATANAME, uid, orvanta::INHERIT_PARENT_CHILD);
        return uid;
    }

    /// A worker history: employee worked in department from begin to end (open when invalid),
    /// linked from the department and from the employee.
    TYPE_ID workerHistory(TYPE_ID employee, TYPE_ID department, const QDate& begin, const QDate& end, TYPE_ID job = 0)
    {
        const TYPE_ID history = add(orvanta::WORKER_HISTORY_DATANAME, db::wt::WORKER_HISTORY, department,
            m_store->constObject(employee, key(orvanta::SUBJECT_DATANAME)).property(key(db::common::NAME)),
            {{db::worker_history::DATE_BEGIN, isoDate(begin)}, {db::worker_history::DATE_END, isoDate(end)},
             {db::worker_history::JOBLINK, idText(job)}});
        link(orvanta::ORGSTRUCTURE_DATANAME, department, orvanta::WORKER_HISTORY_DATANAME, history,
             orvanta::INHERIT_WORKER_HISTORY_DEPARTMENT, begin, end);
        link(orvanta::SUBJECT_DATANAME, employee, orvanta::WORKER_HISTORY_DATANAME, history,
             orvanta::INHERIT_WORKER_HISTORY, begin, end);
        return history;
    }

    /// Sets a text property of any object.
    void setProperty(TYPE_ID id, const QString& propertyKey, const QString& value)
    {
        orvanta::ObjectInfo changed = object(id);
        changed.properties.insert(propertyKey, value);
        const QStringList datanames = m_store->datanames();
        for (const QString& dataname : datanames) {
            if (changed.isValid() && m_store->constObject(id, dataname).isValid())
                m_store->updateObjects(dataname, {changed});
        }
    }

    /// Re-parents any object, also into a loop when a test wants one.
    void setParent(TYPE_ID id, TYPE_ID parent)
    {
        orvanta::ObjectInfo changed = object(id);
        changed.parent = parent;
        if (changed.isValid())
            m_store->updateObjects(datanameOf(id), {changed});
    }

    /// A shift object with one interval object per range, in order.
    TYPE_ID shift(const QString& name, const QList<TimeRange>& intervals, bool hidden = false)
    {
        const TYPE_ID shiftId = add(orvanta::SCHEDULE_SHIFT_DATANAME, db::wt::SHIFT, 0, name,
                                    {{db::shift::HIDDEN, flag(hidden)}});
        QList<orvanta::ObjectInfo> intervalObjects;
        for (int order = 0; order < intervals.size(); ++order) {
            intervalObjects.append(makeObject(db::wt::SHIFT_INTERVAL, shiftId, QString(),
                {{db::shift_interval::START, QString::number(seconds(intervals.at(order).first))},
                 {db::shift_interval::FINISH, QString::number(seconds(intervals.at(order).second))},
                 {db::shift_interval::ORDER, QString::number(order)}}));
        }
        if (!intervalObjects.isEmpty())
            m_store->updateObjects(key(orvanta::SHIFT_INTERVAL_DATANAME), intervalObjects);
        return shiftId;
    }

    /// A break rule for shifts of fromSeconds <= length < toSeconds, valid from date,
    /// attached to targets (departments, employees or attached-worker objects).
    TYPE_ID breakRule(const QString& name, int fromSeconds, int toSeconds, int breakSeconds, const QDate& date,
                      const QList<TYPE_ID>& targets, int targetType = 0)
    {
        const TYPE_ID rule = add(orvanta::BREAK_RULE_DATANAME, db::wt::BREAK_RULE, 0, name,
            {{db::break_rule::TYPE, QString::number(targetType)},
             {db::break_rule::TIME_FROM, QString::number(fromSeconds)},
             {db::break_rule::TIME_TO, QString::number(toSeconds)},
             {db::break_rule::BREAK_TIME, QString::number(breakSeconds)}, {db::break_rule::DATE, isoDate(date)}});
        for (TYPE_ID target : targets)
            link(orvanta::BREAK_RULE_DATANAME, rule, datanameOf(target), target, orvanta::INHERIT_BREAK_RULE_OBJECT);
        return rule;
    }

    enum ReasonCounts { CountsAsAbsence = 0, CountsAsWork = 1, CountsTowardsNorm = 2 };
    /// An absence reason; order is its priority ("PT_ORDER"), calcNormMethod its "PT_CALC_NORM_METHOD".
    TYPE_ID absenceReason(const QString& name, const QString& mark, int order = 0, ReasonCounts counts = CountsAsAbsence,
                          int calcNormMethod = 0, const QString& color = QStringLiteral("#F38300"),
                          bool allowPlanning = true)
    {
        return add(orvanta::REASON_DATANAME, db::wt::REASON, 0, name,
            {{db::reason::MARK, mark}, {db::reason::ORDER, QString::number(order)},
             {db::reason::WORKTIME, flag(counts == CountsAsWork)},
             {db::reason::NORMTIME, flag(counts == CountsTowardsNorm)},
             {db::reason::CALC_NORM_METHOD, QString::number(calcNormMethod)}, {db::reason::PLANNING_COLOR, color},
             {db::reason::ALLOW_PLANNING, flag(allowPlanning)}});
    }

    /// employee attached to the host department from begin to end, linked both ways.
    TYPE_ID attachedWorker(TYPE_ID employee, TYPE_ID department, const QDate& begin, const QDate& end)
    {
        const orvanta::ObjectInfo person = m_store->constObject(employee, key(orvanta::SUBJECT_DATANAME));
        const TYPE_ID attached = add(orvanta::ATTACHED_WORKER_DATANAME, db::wt::ATTACHED_WORKER, department,
            person.property(key(db::common::NAME)),
            {{db::attached_worker::DATE_BEGIN, isoDate(begin)}, {db::attached_worker::DATE_END, isoDate(end)},
             {db::attached_worker::WORKERNUM, person.property(key(db::subject::WORKERNUM))},
             {db::attached_worker::JOBLINK, person.property(key(db::subject::JOBLINK))}});
        link(orvanta::ATTACHED_WORKER_DATANAME, attached, orvanta::SUBJECT_DATANAME, employee,
             orvanta::INHERIT_ATTACHED_WORKER, begin, end);
        link(orvanta::ATTACHED_WORKER_DATANAME, attached, orvanta::ORGSTRUCTURE_DATANAME, department,
             orvanta::INHERIT_ATTACHED_WORKER_DEPARTMENT, begin, end);
        return attached;
    }

    /// A schedule repeating cycle (shift indexes into shifts, -1 = day off) from base.
    int cycleSchedule(const QString& name, const QDate& base, const QList<int>& cycle,
                      const QList<QList<TimeRange>>& shifts)
    {
        orvanta::SCHEDULE_DATA schedule{0, name, 1, orvanta::SCHEDULE_DATA::KindCycle, {}, base, {}, {}, {}, 0};
        for (int shift : cycle)
            schedule.cycle.append({shift});
        for (const QList<TimeRange>& ranges : shifts) {
            schedule.shifts.append(orvanta::SCHEDULE_DATA::Shift());
            for (int order = 0; order < ranges.size(); ++order)
                schedule.shifts.last().intervals.append(interval(ranges.at(order).first, ranges.at(order).second, order));
        }
        return addSchedule(schedule);
    }

    /// A schedule kept as calendar days (kind 3); its days come with the calendar replies.
    int calendarSchedule(const QString& name)
    {
        return addSchedule({0, name, 1, orvanta::SCHEDULE_DATA::KindCalendar, {}, {}, {}, {}, {}, 0});
    }

    /// The personal schedule of employee for the month of month.
    int personalSchedule(TYPE_ID employee, const QDate& month)
    {
        return addSchedule({0, QStringLiteral("Личный график %1").arg(employee), 1,
                            orvanta::SCHEDULE_DATA::KindPersonal, {}, QDate(month.year(), month.month(), 1), {}, {},
                            {}, employee});
    }

    orvanta::ObjectInfo object(TYPE_ID id) const { return m_store->constObject(id); }
    orvanta::LocalStorage* store() const { return m_store; }

    /// Seconds of a time of day, for readable fixtures.
    static int seconds(const QTime& time) { return time.msecsSinceStartOfDay() / 1000; }

    static orvanta::SCHEDULE_CALENDAR_INTERVAL interval(const QTime& start, const QTime& finish, int order = 0)
    {
        return {0, 0, {}, seconds(start), seconds(finish), order};
    }

    /// An absence record of reason; timed records have partial first and last days.
    static orvanta::_WORKER_ABSENCE_REASON_RECORD absenceRecord(TYPE_ID reason, const QDateTime& start,
                                                                const QDateTime& end, bool timed, TYPE_ID id = 1,
                                                                const QDateTime& changeTime = QDateTime())
    {
        return {id, reason, start, end, timed, QString(), changeTime};
    }

private:
    using Properties = std::initializer_list<std::pair<const char*, QString>>;

    static QString key(const char* name) { return QLatin1String(name); }
    static QString isoDate(const QDate& date) { return date.isValid() ? date.toString(Qt::ISODate) : QString(); }
    static QString flag(bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); }
    static QString idText(TYPE_ID id) { return id ? QString::number(id) : QString(); }

    orvanta::ObjectInfo makeObject(const char* type, TYPE_ID parent, const QString& name, Properties properties = {})
    {
        orvanta::ObjectInfo object;
        object.uid = m_nextId++;
        object.type = key(type);
        object.parent = parent;
        if (!name.isEmpty())
            object.properties.insert(key(db::common::NAME), name);
        for (const auto& property : properties)
            object.properties.insert(key(property.first), property.second);
        return object;
    }

    TYPE_ID add(const char* dataname, const char* type, TYPE_ID parent, const QString& name, Properties properties = {})
    {
        const orvanta::ObjectInfo object = makeObject(type, parent, name, properties);
        m_store->updateObjects(key(dataname), {object});
        return object.uid;
    }

    const char* datanameOf(TYPE_ID id) const
    {
        const QString type = object(id).type;
        if (type == QLatin1String(db::orgstructure::WORKER))
            return orvanta::SUBJECT_DATANAME;
        return type == QLatin1String(db::wt::ATTACHED_WORKER) ? orvanta::ATTACHED_WORKER_DATANAME
                                                               : orvanta::ORGSTRUCTURE_DATANAME;
    }

    void link(const char* parentDataname, TYPE_ID parent, const char* childDataname, TYPE_ID child, TYPE_ID refType,
              const QDate& start = QDate(), const QDate& finish = QDate())
    {
        const orvanta::_INHERIT_DATA inherit{parent, child, int(refType),
                                             start.isValid() ? start.startOfDay() : QDateTime(),
                                             finish.isValid() ? finish.startOfDay() : QDateTime()};
        orvanta::ObjectInfo parentObject = m_store->constObject(parent, key(parentDataname));
        parentObject.children.insert(refType, inherit);
        m_store->updateObjects(key(parentDataname), {parentObject});
        orvanta::ObjectInfo childObject = m_store->constObject(child, key(childDataname));
        childObject.parents.insert(refType, inherit);
        m_store->updateObjects(key(childDataname), {childObject});
    }

    int addSchedule(orvanta::SCHEDULE_DATA schedule)
    {
        schedule.id = m_nextScheduleId++;
        m_store->updateSchedules({schedule});
        return schedule.id;
    }

    orvanta::LocalStorage* m_store;
    TYPE_ID m_nextId = 1000;
    int m_nextScheduleId = 1;
};

} // namespace ovtest
