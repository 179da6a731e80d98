#include "schedulehandler.h"

#include "accesspolicy.h"
#include "changenotifier.h"
#include "commandrouter.h"
#include "data.h"
#include "idallocator.h"
#include "ovroledaterestrictions.h"
#include "payloadreader.h"
#include "plannedtimetablefactory.h"
#include "reply.h"
#include "schedulestore.h"
#include "servercommands.h"
#include "serverlogging.h"
#include "sqltransaction.h"
#include "workerdatastore.h"

using namespace orvanta;

ScheduleHandler::ScheduleHandler(const QSqlDatabase& db, SqlDialect dialect, ChangeNotifier* notifier)
    : m_db(db), m_dialect(dialect), m_notifier(notifier)
{
}

void ScheduleHandler::registerAt(CommandRouter& router)
{
    router.add(QLatin1String(ServerCommands::GetSchedules), CommandRouter::Access::Session,
               [this](const RequestContext& context) { return getSchedules(context); });
    router.add(ov5sdk::Data::commandName(ov5sdk::Data::AddSchedule), CommandRouter::Access::Session,
               [this](const RequestContext& context) { return addSchedule(context); });
    router.add(ov5sdk::Data::commandName(ov5sdk::Data::RemoveSchedules), CommandRouter::Access::Session,
               [this](const RequestContext& context) { return removeSchedules(context); });
}

Command ScheduleHandler::getSchedules(const RequestContext& context)
{
    if (!context.request.data.isEmpty())
        return Reply::malformed(context.request);
    QList<SCHEDULE_DATA> schedules;
    QString error;
    if (!ScheduleStore(m_db).all(&schedules, &error))
        return Reply::storageFailure(context.request, error);
    return Reply::ok(context.request, schedules);
}

Command ScheduleHandler::addSchedule(const RequestContext& context)
{
    SCHEDULE_DATA schedule;
    PayloadReader reader(context.request.data);
    reader >> schedule;
    if (!reader.isComplete())
        return Reply::malformed(context.request);
    const QString refusal = AccessPolicy::checkRole(context.user, QLatin1String(AccessPolicy::WorkTimeSet));
    if (!refusal.isEmpty())
        return Reply::forbidden(context.request, refusal);

    SqlTransaction transaction(m_db);
    ScheduleStore store(m_db);
    QString error;
    schedule.id = int(IdAllocator(m_db).next(QStringLiteral("schedules"), &error));
    SCHEDULE_DATA stored;
    if (schedule.id == 0 || !store.insert({schedule}, &error) || !store.find(schedule.id, &stored, &error))
        return Reply::storageFailure(context.request, error);
    m_notifier->scheduleChanged({stored});
    if (!m_notifier->commit(transaction, &error))
        return Reply::storageFailure(context.request, error);
    qCDebug(lcServerCore) << Q_FUNC_INFO << "added schedule" << stored.id << stored.kind << stored.worker;
    return Reply::ok(context.request, qint32(stored.id));
}

Command ScheduleHandler::removeSchedules(const RequestContext& context)
{
    QList<uint> requested;
    PayloadReader reader(context.request.data);
    reader >> requested;
    if (!reader.isComplete())
        return Reply::malformed(context.request);
    const QString refusal = AccessPolicy::checkRole(context.user, QLatin1String(AccessPolicy::WorkTimeSet));
    if (!refusal.isEmpty())
        return Reply::forbidden(context.request, refusal);

    ScheduleStore store(m_db);
    QList<SCHEDULE_DATA> existing;
    QString error;
    for (uint id : qAsConst(requested)) {
        SCHEDULE_DATA schedule;
        if (!store.find(int(id), &schedule, &error))
            return Reply::storageFailure(context.request, error);
        if (schedule.isValid())
            existing.append(schedule);
    }
    if (existing.isEmpty())
        return Reply::invalid(context.request, QStringLiteral("Графики работ для удаления не найдены"));
    QList<quint32> ids;
    QList<TYPE_ID> owners;
    for (const SCHEDULE_DATA& schedule : qAsConst(existing)) {
        ids.append(quint32(schedule.id));
        if (schedule.worker != 0)
            owners.append(schedule.worker);
    }

    SqlTransaction transaction(m_db);
    WorkerDataStore workerData(m_db, m_dialect);
    for (quint32 id : qAsConst(ids)) {
        bool found = false;
        if (!store.remove(int(id), &found, &error)
            || !workerData.updateCalendarDays(int(id), OVRoleDateRestrictions::minimumDate(),
                                              OVRoleDateRestrictions::maximumDate(), {}, &error))
            return Reply::storageFailure(context.request, error);
    }
    PlannedTimeTable plannedTime = PlannedTimeTableFactory::create(m_db, m_dialect);
    for (quint32 id : qAsConst(ids)) {
        if (!plannedTime.recomputeSchedule(int(id), &error))
            return Reply::storageFailure(context.request, error);
    }
    if (!plannedTime.recompute(owners, QDate(), QDate(), &error))
        return Reply::storageFailure(context.request, error);
    m_notifier->scheduleBeforeRemove(ids);
    m_notifier->scheduleRemoved(ids);
    if (!m_notifier->commit(transaction, &error))
        return Reply::storageFailure(context.request, error);
    return Reply::ok(context.request, qint32(ids.first()));
}
