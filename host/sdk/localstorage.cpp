#include "localstorage.h"

#include "localobjectmodel.h"
#include "sdklogging.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QMetaType>
#include <QSet>

#include <algorithm>

namespace orvanta {

namespace {

LocalStorage* storageInstance = nullptr;

void destroyStorage()
{
    delete storageInstance;
    storageInstance = nullptr;
}

// A change list may name an object twice; listeners get each id once, in first-seen order.
template<typename Id>
void appendOnce(QList<Id>& ids, QSet<Id>& seen, Id id)
{
    if (!seen.contains(id)) {
        seen.insert(id);
        ids.append(id);
    }
}

} // namespace

LocalStorage::LocalStorage()
{
    // The typedef spelling is what moc records for the signals, so queued connections need it.
    qRegisterMetaType<QList<TYPE_ID>>("QList<orvanta::TYPE_ID>");
    qRegisterMetaType<QList<uint>>("QList<uint>");
}

LocalStorage::~LocalStorage() = default;

LocalStorage* LocalStorage::instance()
{
    if (!storageInstance) {
        storageInstance = new LocalStorage;
        // The models are QObjects: free them while the application still exists.
        qAddPostRoutine(destroyStorage);
    }
    return storageInstance;
}

void LocalStorage::reset()
{
    m_tables.clear();
    m_datanameById.clear();
    m_schedules.clear();
    m_personalSchedules.clear();
    m_blobs.clear();
    for (LocalObjectModel* model : qAsConst(m_models))
        model->reload();
    emit cleared();
}

ObjectInfo LocalStorage::constObject(TYPE_ID id, const QString& dataname) const
{
    const auto table = m_tables.constFind(dataname);
    if (table == m_tables.constEnd())
        return ObjectInfo();
    return table->value(id);
}

ObjectInfo LocalStorage::constObject(TYPE_ID id) const
{
    const auto dataname = m_datanameById.constFind(id);
    if (dataname == m_datanameById.constEnd())
        return ObjectInfo();
    return constObject(id, dataname.value());
}

const OBJECT_HASH* LocalStorage::constObjects(const QString& dataname) const
{
    const auto table = m_tables.constFind(dataname);
    return table == m_tables.constEnd() ? nullptr : &table.value();
}

QStringList LocalStorage::datanames() const
{
    QStringList names = m_tables.keys();
    names.sort();
    return names;
}

QList<int> LocalStorage::personalSchedules(TYPE_ID employee) const
{
    return m_personalSchedules.value(employee);
}

QByteArray LocalStorage::blob(TYPE_ID id, const QString& name) const
{
    return m_blobs.value(id).value(name).data;
}

QByteArray LocalStorage::blobMd5(TYPE_ID id, const QString& name) const
{
    return m_blobs.value(id).value(name).md5;
}

void LocalStorage::setBlob(TYPE_ID id, const QString& name, const QByteArray& data)
{
    qCDebug(lcLocalStorage) << Q_FUNC_INFO << "set blob" << id << name << data.size();
    if (data.isEmpty()) {
        auto blobs = m_blobs.find(id);
        if (blobs == m_blobs.end())
            return;
        blobs->remove(name);
        if (blobs->isEmpty())
            m_blobs.erase(blobs);
        return;
    }
    m_blobs[id].insert(name, {data, QCryptographicHash::hash(data, QCryptographicHash::Md5).toHex()});
}

QList<TYPE_ID> LocalStorage::insertObjects(const QString& dataname, OBJECT_HASH& table,
                                           const QList<ObjectInfo>& objects)
{
    QList<TYPE_ID> ids;
    QSet<TYPE_ID> seen;
    for (const ObjectInfo& object : objects) {
        if (!object.isValid()) {
            qCWarning(lcLocalStorage) << Q_FUNC_INFO << "object without id skipped" << dataname << object.type;
            continue;
        }
        table.insert(object.uid, object);
        m_datanameById.insert(object.uid, dataname);
        appendOnce(ids, seen, object.uid);
    }
    return ids;
}

void LocalStorage::setObjects(const QString& dataname, const QList<ObjectInfo>& objects)
{
    qCDebug(lcLocalStorage) << Q_FUNC_INFO << "load" << dataname << objects.size();
    OBJECT_HASH& table = m_tables[dataname];
    for (auto it = table.constBegin(); it != table.constEnd(); ++it) {
        const auto owner = m_datanameById.find(it.key());
        if (owner != m_datanameById.end() && owner.value() == dataname)
            m_datanameById.erase(owner);
    }
    table.clear();
    table.reserve(objects.size());
    const QList<TYPE_ID> ids = insertObjects(dataname, table, objects);

    for (LocalObjectModel* model : qAsConst(m_models)) {
        if (model->follows(dataname))
            model->reload();
    }
    emit dataChanged(dataname, ids);
}

void LocalStorage::updateObjects(const QString& dataname, const QList<ObjectInfo>& objects)
{
    qCDebug(lcLocalStorage) << Q_FUNC_INFO << "update" << dataname << objects.size();
    const QList<TYPE_ID> ids = insertObjects(dataname, m_tables[dataname], objects);
    if (ids.isEmpty())
        return;

    for (LocalObjectModel* model : qAsConst(m_models)) {
        if (model->follows(dataname))
            model->objectsChanged(dataname, ids);
    }
    emit dataChanged(dataname, ids);
}

void LocalStorage::removeObjects(const QString& dataname, const QList<TYPE_ID>& ids)
{
    const auto table = m_tables.find(dataname);
    if (table == m_tables.end())
        return;

    QList<TYPE_ID> removed;
    for (TYPE_ID id : ids) {
        if (table->remove(id) == 0)
            continue;
        const auto owner = m_datanameById.find(id);
        if (owner != m_datanameById.end() && owner.value() == dataname)
            m_datanameById.erase(owner);
        removed.append(id);
    }
    qCDebug(lcLocalStorage) << Q_FUNC_INFO << "remove" << dataname << removed;
    if (removed.isEmpty())
        return;

    for (LocalObjectModel* model : qAsConst(m_models)) {
        if (model->follows(dataname))
            model->objectsRemoved(dataname, removed);
    }
    emit dataRemoved(dataname, removed);
}

void LocalStorage::setSchedules(const QList<SCHEDULE_DATA>& schedules)
{
    qCDebug(lcLocalStorage) << Q_FUNC_INFO << "load schedules" << schedules.size();
    m_schedules.clear();
    m_personalSchedules.clear();
    QList<uint> ids;
    QSet<uint> seen;
    for (const SCHEDULE_DATA& schedule : schedules) {
        unindexSchedule(m_schedules.value(schedule.id));
        m_schedules.insert(schedule.id, schedule);
        indexSchedule(schedule);
        appendOnce(ids, seen, uint(schedule.id));
    }
    emit scheduleChanged(ids);
}

void LocalStorage::updateSchedules(const QList<SCHEDULE_DATA>& schedules)
{
    qCDebug(lcLocalStorage) << Q_FUNC_INFO << "update schedules" << schedules.size();
    QList<uint> ids;
    QSet<uint> seen;
    for (const SCHEDULE_DATA& schedule : schedules) {
        const auto existing = m_schedules.constFind(schedule.id);
        if (existing != m_schedules.constEnd())
            unindexSchedule(existing.value());
        m_schedules.insert(schedule.id, schedule);
        indexSchedule(schedule);
        appendOnce(ids, seen, uint(schedule.id));
    }
    if (!ids.isEmpty())
        emit scheduleChanged(ids);
}

void LocalStorage::removeSchedules(const QList<int>& ids)
{
    QList<uint> known;
    QSet<uint> seen;
    for (int id : ids) {
        if (m_schedules.contains(id))
            appendOnce(known, seen, uint(id));
    }
    qCDebug(lcLocalStorage) << Q_FUNC_INFO << "remove schedules" << known;
    if (known.isEmpty())
        return;

    emit scheduleBeforeRemove(known);
    for (uint id : qAsConst(known)) {
        // A slot of scheduleBeforeRemove may already have removed it.
        const auto schedule = m_schedules.find(int(id));
        if (schedule == m_schedules.end())
            continue;
        unindexSchedule(schedule.value());
        m_schedules.erase(schedule);
    }
    emit scheduleRemoved(known);
}

QAbstractItemModel* LocalStorage::model(const QString& dataname)
{
    LocalObjectModel*& model = m_models[dataname];
    if (!model)
        model = new LocalObjectModel(this, dataname, this);
    return model;
}

void LocalStorage::indexSchedule(const SCHEDULE_DATA& schedule)
{
    if (schedule.kind != SCHEDULE_DATA::KindPersonal)
        return;
    QList<int>& ids = m_personalSchedules[schedule.worker];
    const auto position = std::lower_bound(ids.begin(), ids.end(), schedule.id);
    if (position == ids.end() || *position != schedule.id)
        ids.insert(position, schedule.id);
}

void LocalStorage::unindexSchedule(const SCHEDULE_DATA& schedule)
{
    if (schedule.kind != SCHEDULE_DATA::KindPersonal)
        return;
    const auto owner = m_personalSchedules.find(schedule.worker);
    if (owner == m_personalSchedules.end())
        return;
    owner->removeOne(schedule.id);
    if (owner->isEmpty())
        m_personalSchedules.erase(owner);
}

} // namespace orvanta
