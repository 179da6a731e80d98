#include "schedulestore.h"

#include "sql.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace orvanta;

namespace {

QString cycleText(const QList<SCHEDULE_DATA::CycleDay>& cycle)
{
    QJsonArray json;
    for (const SCHEDULE_DATA::CycleDay& day : cycle)
        json.append(day.shift);
    return QString::fromUtf8(QJsonDocument(json).toJson(QJsonDocument::Compact));
}

QList<SCHEDULE_DATA::CycleDay> cycleFromText(const QString& text)
{
    QList<SCHEDULE_DATA::CycleDay> cycle;
    const QJsonArray json = QJsonDocument::fromJson(text.toUtf8()).array();
    for (const QJsonValue& value : json)
        cycle.append(SCHEDULE_DATA::CycleDay{value.toInt(-1)});
    return cycle;
}

QJsonObject intervalJson(const SCHEDULE_CALENDAR_INTERVAL& interval)
{
    return QJsonObject{{QStringLiteral("id"), qint64(interval.id)},     {QStringLiteral("day"), qint64(interval.dayId)},
                       {QStringLiteral("type"), interval.type},         {QStringLiteral("start"), interval.start},
                       {QStringLiteral("finish"), interval.finish},     {QStringLiteral("order"), interval.order}};
}

SCHEDULE_CALENDAR_INTERVAL intervalFromJson(const QJsonObject& json)
{
    SCHEDULE_CALENDAR_INTERVAL interval;
    interval.id = quint32(json.value(QStringLiteral("id")).toDouble());
    interval.dayId = quint32(json.value(QStringLiteral("day")).toDouble());
    interval.type = json.value(QStringLiteral("type")).toInt();
    interval.start = json.value(QStringLiteral("start")).toInt();
    interval.finish = json.value(QStringLiteral("finish")).toInt();
    interval.order = json.value(QStringLiteral("order")).toInt();
    return interval;
}

QString shiftsText(const QList<SCHEDULE_DATA::Shift>& shifts)
{
    QJsonArray json;
    for (const SCHEDULE_DATA::Shift& shift : shifts) {
        QJsonArray intervals;
        for (const SCHEDULE_CALENDAR_INTERVAL& interval : shift.intervals)
            intervals.append(intervalJson(interval));
        json.append(QJsonObject{{QStringLiteral("uid"), qint64(shift.shiftUid)},
                                {QStringLiteral("intervals"), intervals}});
    }
    return QString::fromUtf8(QJsonDocument(json).toJson(QJsonDocument::Compact));
}

QList<SCHEDULE_DATA::Shift> shiftsFromText(const QString& text)
{
    QList<SCHEDULE_DATA::Shift> shifts;
    const QJsonArray json = QJsonDocument::fromJson(text.toUtf8()).array();
    for (const QJsonValue& value : json) {
        SCHEDULE_DATA::Shift shift;
        shift.shiftUid = TYPE_ID(value.toObject().value(QStringLiteral("uid")).toDouble());
        const QJsonArray intervals = value.toObject().value(QStringLiteral("intervals")).toArray();
        for (const QJsonValue& interval : intervals)
            shift.intervals.append(intervalFromJson(interval.toObject()));
        shifts.append(shift);
    }
    return shifts;
}

} // namespace

ScheduleStore::ScheduleStore(const QSqlDatabase& db) : m_db(db) {}

bool ScheduleStore::all(QList<SCHEDULE_DATA>* out, QString* error)
{
    return select(QStringLiteral("1 = 1"), {}, out, error);
}

bool ScheduleStore::find(int id, SCHEDULE_DATA* out, QString* error)
{
    QList<SCHEDULE_DATA> found;
    if (!select(QStringLiteral("id = ?"), {id}, &found, error))
        return false;
    *out = found.value(0);
    return true;
}

bool ScheduleStore::personalSchedules(TYPE_ID employee, QList<int>* out, QString* error)
{
    out->clear();
    QSqlQuery query(m_db);
    if (!Sql::prepare(query, QStringLiteral("SELECT id FROM schedules WHERE worker = ? AND kind = ? ORDER BY id"),
                      error))
        return false;
    query.addBindValue(qint64(employee));
    query.addBindValue(int(SCHEDULE_DATA::KindPersonal));
    if (!Sql::exec(query, error))
        return false;
    while (query.next())
        out->append(query.value(0).toInt());
    return true;
}

bool ScheduleStore::select(const QString& condition, const QVariantList& values, QList<SCHEDULE_DATA>* out,
                           QString* error)
{
    out->clear();
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    if (!Sql::prepare(query,
                      QStringLiteral("SELECT id, name, active, kind, color, base_date, comment, cycle, shifts, worker "
                                     "FROM schedules WHERE %1 ORDER BY id")
                          .arg(condition),
                      error))
        return false;
    for (const QVariant& value : values)
        query.addBindValue(value);
    if (!Sql::exec(query, error))
        return false;
    while (query.next()) {
        SCHEDULE_DATA schedule;
        schedule.id = query.value(0).toInt();
        schedule.name = query.value(1).toString();
        schedule.active = query.value(2).toInt();
        schedule.kind = query.value(3).toInt();
        schedule.color = query.value(4).toString();
        schedule.date = Sql::toDate(query.value(5));
        schedule.comment = query.value(6).toString();
        schedule.cycle = cycleFromText(query.value(7).toString());
        schedule.shifts = shiftsFromText(query.value(8).toString());
        schedule.worker = TYPE_ID(query.value(9).toLongLong());
        out->append(schedule);
    }
    return true;
}

bool ScheduleStore::insert(const QList<SCHEDULE_DATA>& schedules, QString* error)
{
    QSqlQuery query(m_db);
    if (!Sql::prepare(query,
                      QStringLiteral("INSERT INTO schedules (id, name, active, kind, color, base_date, comment, cycle, "
                                     "shifts, worker) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                      error))
        return false;
    for (const SCHEDULE_DATA& schedule : schedules) {
        query.addBindValue(schedule.id);
        query.addBindValue(schedule.name.isNull() ? QStringLiteral("") : schedule.name);
        query.addBindValue(schedule.active);
        query.addBindValue(schedule.kind);
        query.addBindValue(schedule.color);
        query.addBindValue(Sql::date(schedule.date));
        query.addBindValue(schedule.comment);
        query.addBindValue(cycleText(schedule.cycle));
        query.addBindValue(shiftsText(schedule.shifts));
        query.addBindValue(qint64(schedule.worker));
        if (!Sql::exec(query, error))
            return false;
    }
    return true;
}

bool ScheduleStore::remove(int id, bool* found, QString* error)
{
    QSqlQuery query(m_db);
    if (!Sql::prepare(query, QStringLiteral("DELETE FROM schedules WHERE id = ?"), error))
        return false;
    query.addBindValue(id);
    if (!Sql::exec(query, error))
        return false;
    *found = query.numRowsAffected() > 0;
    return true;
}
