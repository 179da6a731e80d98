#pragma once

#include "objectinfo.h"
#include "workerabsencereason.h"
#include "orvantatypes.h"
#include "scheduledata.h"

#include <QDate>
#include <QList>
#include <QPair>
#include <QString>
#include <QTime>

#include <initializer_list>
#include <utility>

namespace orvanta {
class LocalStorage;
}

namespace ovtest {

/// Builds a small organisation in the local object store in a few lines: firms,
/// departments, employees, shifts, schedules, break rules, absence reasons and
/// attached workers, with the links between them. Every object goes into the store
/// as soon as it is made; ids are handed out from 1000 upwards.
class OrganisationBuilder
{
public:
    using TimeRange = QPair<QTime, QTime>;

    /// Empties the store (no signals) and starts a new organisation in it.
    explicit OrganisationBuilder(orvanta::LocalStorage* store = nullptr);

    orvanta::TYPE_ID firm(const QString& name);
    orvanta::TYPE_ID department(const QString& name, orvanta::TYPE_ID parent, const QString& number = QString());
    orvanta::TYPE_ID job(const QString& name);
    orvanta::TYPE_ID employee(const QString& name, orvanta::TYPE_ID department, const QString& number = QString(),
                              orvanta::TYPE_ID job = 0);
    /// A worker history: employee worked in department from begin to end (open when invalid),
    /// linked from the department and from the employee.
    orvanta::TYPE_ID workerHistory(orvanta::TYPE_ID employee, orvanta::TYPE_ID department, const QDate& begin,
                                   const QDate& end, orvanta::TYPE_ID job = 0);
    /// Sets a text property of any object.
    void setProperty(orvanta::TYPE_ID object, const QString& key, const QString& value);
    /// Re-parents any object, also into a loop when a test wants one.
    void setParent(orvanta::TYPE_ID object, orvanta::TYPE_ID parent);

    /// A shift object with one interval object per range, in order.
    orvanta::TYPE_ID shift(const QString& name, const QList<TimeRange>& intervals, bool hidden = false);

    /// A break rule for shifts of fromSeconds <= length < toSeconds, valid from date,
    /// attached to targets (departments, employees or attached-worker objects).
    orvanta::TYPE_ID breakRule(const QString& name, int fromSeconds, int toSeconds, int breakSeconds,
                               const QDate& date, const QList<orvanta::TYPE_ID>& targets, int targetType = 0);

    enum ReasonCounts { CountsAsAbsence = 0, CountsAsWork = 1, CountsTowardsNorm = 2 };
    /// An absence reason; order is its priority ("PT_ORDER"), calcNormMethod its "PT_CALC_NORM_METHOD".
    orvanta::TYPE_ID absenceReason(const QString& name, const QString& mark, int order = 0,
                                   ReasonCounts counts = CountsAsAbsence, int calcNormMethod = 0,
                                   const QString& color = QStringLiteral("#F38300"), bool allowPlanning = true);

    /// employee attached to the host department from begin to end, linked both ways.
    orvanta::TYPE_ID attachedWorker(orvanta::TYPE_ID employee, orvanta::TYPE_ID department, const QDate& begin,
                                    const QDate& end);

    /// A schedule repeating cycle (shift indexes into shifts, -1 = day off) from base.
    int cycleSchedule(const QString& name, const QDate& base, const QList<int>& cycle,
                      const QList<QList<TimeRange>>& shifts);
    /// A schedule kept as calendar days (kind 3); its days come with the calendar replies.
    int calendarSchedule(const QString& name);
    /// The personal schedule of employee for the month of month.
    int personalSchedule(orvanta::TYPE_ID employee, const QDate& month);

    orvanta::ObjectInfo object(orvanta::TYPE_ID id) const;
    orvanta::LocalStorage* store() const { return m_store; }

    /// Seconds of a time of day, for readable fixtures.
    static int seconds(const QTime& time) { return time.msecsSinceStartOfDay() / 1000; }
    static orvanta::SCHEDULE_CALENDAR_INTERVAL interval(const QTime& start, const QTime& finish, int order = 0);
    /// An absence record of reason; timed records have partial first and last days.
    static orvanta::_WORKER_ABSENCE_REASON_RECORD absenceRecord(orvanta::TYPE_ID reason, const QDateTime& start,
                                                                const QDateTime& end, bool timed,
                                                                orvanta::TYPE_ID id = 1,
                                                                const QDateTime& changeTime = QDateTime());

private:
    using Properties = std::initializer_list<std::pair<const char*, QString>>;
    orvanta::ObjectInfo makeObject(const char* type, orvanta::TYPE_ID parent, const QString& name,
                                   Properties properties = {});
    orvanta::TYPE_ID add(const char* dataname, const char* type, orvanta::TYPE_ID parent, const QString& name,
                         Properties properties = {});
    void put(const QString& dataname, const orvanta::ObjectInfo& object);
    QString datanameOf(orvanta::TYPE_ID id) const;
    void link(const QString& parentDataname, orvanta::TYPE_ID parent, const QString& childDataname,
              orvanta::TYPE_ID child, orvanta::TYPE_ID refType, const QDate& start = QDate(),
              const QDate& finish = QDate());
    int addSchedule(orvanta::SCHEDULE_DATA schedule);

    orvanta::LocalStorage* m_store;
    orvanta::TYPE_ID m_nextId = 1000;
    int m_nextScheduleId = 1;
};

} // namespace ovtest
