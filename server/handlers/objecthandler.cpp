#include "objecthandler.h"

#include "accesspolicy.h"
#include "changenotifier.h"
#include "commandrouter.h"
#include "data.h"
#include "idallocator.h"
#include "objectstore.h"
#include "payloadreader.h"
#include "reply.h"
#include "servercommands.h"
#include "serverlogging.h"
#include "sqltransaction.h"
#include "triprules.h"
#include "vocabulary.h"

using namespace orvanta;

ObjectHandler::ObjectHandler(const QSqlDatabase& db, ChangeNotifier* notifier) : m_db(db), m_notifier(notifier) {}

void ObjectHandler::registerAt(CommandRouter& router)
{
    const auto add = [this, &router](const QString& name, Command (ObjectHandler::*handler)(const RequestContext&)) {
        router.add(name, CommandRouter::Access::Session,
                   [this, handler](const RequestContext& context) { return (this->*handler)(context); });
    };
    add(ov5sdk::Data::commandName(ov5sdk::Data::GetObjects), &ObjectHandler::getObjects);
    add(QLatin1String(ServerCommands::GetDatanames), &ObjectHandler::getDatanames);
    add(ov5sdk::Data::commandName(ov5sdk::Data::GetBlobDataChange), &ObjectHandler::getBlobDataChange);
    add(ov5sdk::Data::commandName(ov5sdk::Data::AddObject), &ObjectHandler::addObject);
    add(ov5sdk::Data::commandName(ov5sdk::Data::UpdateObjectEx), &ObjectHandler::updateObjectEx);
    add(ov5sdk::Data::commandName(ov5sdk::Data::RemoveObject), &ObjectHandler::removeObject);
}

Command ObjectHandler::getObjects(const RequestContext& context)
{
    QString dataname;
    PayloadReader reader(context.request.data);
    reader >> dataname;
    if (!reader.isComplete())
        return Reply::malformed(context.request);
    QList<ObjectInfo> objects;
    QString error;
    // Without the role the list is empty rather than refused: clients load every data name at login.
    if (AccessPolicy::mayRead(context.user, dataname) && !ObjectStore(m_db).objects(dataname, &objects, &error))
        return Reply::storageFailure(context.request, error);
    return Reply::ok(context.request, dataname, objects);
}

Command ObjectHandler::getDatanames(const RequestContext& context)
{
    if (!context.request.data.isEmpty())
        return Reply::malformed(context.request);
    QStringList datanames;
    QString error;
    if (!ObjectStore(m_db).datanames(&datanames, &error))
        return Reply::storageFailure(context.request, error);
    return Reply::ok(context.request, datanames);
}

Command ObjectHandler::getBlobDataChange(const RequestContext& context)
{
    QList<_BLOB_DATA_RESQUEST> requests;
    PayloadReader reader(context.request.data);
    reader >> requests;
    if (!reader.isComplete())
        return Reply::malformed(context.request);
    QHash<TYPE_ID, QHash<QString, QByteArray>> blobs;
    QString error;
    if (!ObjectStore(m_db).changedBlobs(requests, &blobs, &error))
        return Reply::storageFailure(context.request, error);
    return Reply::ok(context.request, blobs);
}

Command ObjectHandler::addObject(const RequestContext& context)
{
    ObjectInfo object;
    QList<_INHERIT_DATA> links;
    PayloadReader reader(context.request.data);
    reader >> object >> links;
    if (!reader.isComplete())
        return Reply::malformed(context.request);
    if (object.type.isEmpty())
        return Reply::invalid(context.request, QStringLiteral("Не указан тип объекта"));
    const QString dataname = ObjectStore::dataNameOfType(object.type);
    const QString refusal =
        AccessPolicy::checkRole(context.user, AccessPolicy::objectRole(dataname, AccessPolicy::ObjectWrite::Create));
    if (!refusal.isEmpty())
        return Reply::forbidden(context.request, refusal);

    SqlTransaction transaction(m_db);
    QString error;
    const qint64 id = IdAllocator(m_db).next(QStringLiteral("objects"), &error);
    if (id == 0)
        return Reply::storageFailure(context.request, error);
    object.uid = TYPE_ID(id);
    object.revision = 1;
    if (!anchorLinks(object.uid, &links))
        return Reply::invalid(context.request, QStringLiteral("Связь не относится к новому объекту"));
    if (const auto refused = checkTrip(context, dataname, object, links, ObjectInfo()))
        return *refused;
    ObjectStore store(m_db);
    ObjectsByDataname changed;
    QList<TYPE_ID> linked;
    for (const _INHERIT_DATA& link : qAsConst(links))
        linked.append(link.parent == object.uid ? link.child : link.parent);
    if (!store.insert(object, dataname, &error) || !store.insertLinks(links, &error)
        || !readWithLinked({object.uid}, linked, &changed, &error))
        return Reply::storageFailure(context.request, error);
    announce(changed, dataname);
    if (!m_notifier->commit(transaction, &error))
        return Reply::storageFailure(context.request, error);
    qCDebug(lcServerCore) << Q_FUNC_INFO << "added" << object.uid << loggable(object.type) << context.user.login;
    return Reply::ok(context.request, qint32(object.uid));
}

Command ObjectHandler::updateObjectEx(const RequestContext& context)
{
    ObjectInfo object;
    QList<_INHERIT_DATA> links;
    PayloadReader reader(context.request.data);
    reader >> object >> links;
    if (!reader.isComplete())
        return Reply::malformed(context.request);

    SqlTransaction transaction(m_db);
    ObjectStore store(m_db);
    ObjectInfo stored;
    QString dataname;
    QString error;
    if (!store.find(object.uid, &stored, &dataname, &error))
        return Reply::storageFailure(context.request, error);
    if (!stored.isValid())
        return Reply::invalid(context.request, QStringLiteral("Объект %1 не найден").arg(object.uid));
    if (object.type.isEmpty())
        object.type = stored.type;
    if (ObjectStore::dataNameOfType(object.type) != dataname)
        return Reply::invalid(context.request, QStringLiteral("Тип объекта %1 изменить нельзя").arg(object.uid));
    const QString refusal =
        AccessPolicy::checkRole(context.user, AccessPolicy::objectRole(dataname, AccessPolicy::ObjectWrite::Update));
    if (!refusal.isEmpty())
        return Reply::forbidden(context.request, refusal);
    if (!anchorLinks(object.uid, &links))
        return Reply::invalid(context.request, QStringLiteral("Связь не относится к объекту %1").arg(object.uid));
    if (const auto refused = checkTrip(context, dataname, object, links, stored))
        return *refused;

    // Objects that lose a link change as much as those that gain one.
    QList<TYPE_ID> linked;
    bool found = false;
    if (!store.linkedObjects(object.uid, &linked, &error) || !store.update(object, &found, &error)
        // An empty list leaves the links alone: the client sends one with every update.
        || (!links.isEmpty() && !store.replaceLinks(object.uid, links, &error)))
        return Reply::storageFailure(context.request, error);
    for (const _INHERIT_DATA& link : qAsConst(links))
        linked.append(link.parent == object.uid ? link.child : link.parent);
    ObjectsByDataname changed;
    if (!readWithLinked({object.uid}, linked, &changed, &error))
        return Reply::storageFailure(context.request, error);
    announce(changed, dataname);
    if (!m_notifier->commit(transaction, &error))
        return Reply::storageFailure(context.request, error);
    return Reply::ok(context.request);
}

Command ObjectHandler::removeObject(const RequestContext& context)
{
    ObjectInfo object;
    PayloadReader reader(context.request.data);
    reader >> object;
    if (!reader.isComplete())
        return Reply::malformed(context.request);

    SqlTransaction transaction(m_db);
    ObjectStore store(m_db);
    ObjectInfo stored;
    QString dataname;
    QString error;
    if (!store.find(object.uid, &stored, &dataname, &error))
        return Reply::storageFailure(context.request, error);
    if (!stored.isValid())
        return Reply::invalid(context.request, QStringLiteral("Объект %1 не найден").arg(object.uid));
    const QString refusal =
        AccessPolicy::checkRole(context.user, AccessPolicy::objectRole(dataname, AccessPolicy::ObjectWrite::Delete));
    if (!refusal.isEmpty())
        return Reply::forbidden(context.request, refusal);
    if (dataname == QLatin1String(ATTACHED_WORKER_DATANAME)) {
        const TripRules rules(m_db, context.user, QDate::currentDate());
        if (const auto refused = reply(context.request, rules.checkRemoval(stored)))
            return *refused;
    }
    QList<TYPE_ID> linked;
    ObjectsByDataname changed;
    if (!store.linkedObjects(object.uid, &linked, &error) || !store.remove(object.uid, &error)
        || !readWithLinked({}, linked, &changed, &error))
        return Reply::storageFailure(context.request, error);
    m_notifier->dataRemoved(dataname, {object.uid});
    announce(changed, dataname);
    if (!m_notifier->commit(transaction, &error))
        return Reply::storageFailure(context.request, error);
    return Reply::ok(context.request);
}

std::optional<Command> ObjectHandler::checkTrip(const RequestContext& context, const QString& dataname,
                                                const ObjectInfo& object, const QList<_INHERIT_DATA>& links,
                                                const ObjectInfo& stored)
{
    if (dataname != QLatin1String(ATTACHED_WORKER_DATANAME))
        return std::nullopt;
    return reply(context.request, TripRules(m_db, context.user, QDate::currentDate()).checkWrite(object, links, stored));
}

std::optional<Command> ObjectHandler::reply(const Command& request, const TripRules::Verdict& verdict)
{
    switch (verdict.kind) {
    case TripRules::Verdict::Allowed:
        return std::nullopt;
    case TripRules::Verdict::Forbidden:
        return Reply::forbidden(request, verdict.text);
    case TripRules::Verdict::Invalid:
        return Reply::invalid(request, verdict.text);
    case TripRules::Verdict::Failed:
        break;
    }
    return Reply::storageFailure(request, verdict.text);
}

bool ObjectHandler::anchorLinks(TYPE_ID object, QList<_INHERIT_DATA>* links)
{
    for (_INHERIT_DATA& link : *links) {
        if (link.parent == 0)
            link.parent = object;
        if (link.child == 0)
            link.child = object;
        if (link.parent != object && link.child != object)
            return false;
    }
    return true;
}

bool ObjectHandler::readWithLinked(const QList<TYPE_ID>& ids, const QList<TYPE_ID>& linked, ObjectsByDataname* out,
                                   QString* error)
{
    QList<TYPE_ID> all = ids;
    for (TYPE_ID id : linked) {
        if (!all.contains(id))
            all.append(id);
    }
    return ObjectStore(m_db).objectsByIds(all, out, error);
}

void ObjectHandler::announce(const ObjectsByDataname& changed, const QString& first)
{
    m_notifier->dataChanged(first, changed.value(first));
    for (auto it = changed.constBegin(); it != changed.constEnd(); ++it) {
        if (it.key() != first)
            m_notifier->dataChanged(it.key(), it.value());
    }
}
