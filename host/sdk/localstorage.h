#pragma once

#include "objectinfo.h"
#include "orvantatypes.h"
#include "ovsdk_export.h"
#include "scheduledata.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

class QAbstractItemModel;

namespace orvanta {

class LocalObjectModel;

/// The client's in-memory mirror of the server's objects, schedules and blobs; one per process.
///
/// Every write applies the change (to the tables and to the shared models) before it emits,
/// so a slot that reads the store or a model sees the new state.
class OVSDK_EXPORT LocalStorage : public QObject
{
    Q_OBJECT
public:
    static LocalStorage* instance();
    ~LocalStorage() override;

    /// Forgets every object, schedule and blob without the change signals (only cleared());
    /// shared models are kept and reset.
    void reset();

    /// The object id of table dataname, or an invalid object.
    ObjectInfo constObject(TYPE_ID id, const QString& dataname) const;
    /// The object id of whichever table holds it, or an invalid object.
    ObjectInfo constObject(TYPE_ID id) const;
    /// The table of dataname; nullptr when the store has never been given one.
    const OBJECT_HASH* constObjects(const QString& dataname) const;
    /// The data names of the tables the store holds, sorted.
    QStringList datanames() const;

    const SCHEDULE_HASH& schedules() const { return m_schedules; }
    /// Ids of the personal schedules (SCHEDULE_DATA::KindPersonal) owned by employee, ascending.
    QList<int> personalSchedules(TYPE_ID employee) const;

    QByteArray blob(TYPE_ID id, const QString& name) const;
    /// Hex md5 of the blob, empty when the store has none.
    QByteArray blobMd5(TYPE_ID id, const QString& name) const;
    /// Stores data as the blob name of object id; empty data forgets the blob.
    void setBlob(TYPE_ID id, const QString& name, const QByteArray& data);

    /// Replaces the whole table dataname (a load); emits dataChanged with every id.
    void setObjects(const QString& dataname, const QList<ObjectInfo>& objects);
    /// Inserts or replaces objects; emits dataChanged with their ids.
    void updateObjects(const QString& dataname, const QList<ObjectInfo>& objects);
    /// Removes objects; emits dataRemoved with the ids actually removed, nothing when none were.
    void removeObjects(const QString& dataname, const QList<TYPE_ID>& ids);
    /// Replaces every schedule; emits scheduleChanged with every id.
    void setSchedules(const QList<SCHEDULE_DATA>& schedules);
    /// Inserts or replaces schedules; emits scheduleChanged with their ids.
    void updateSchedules(const QList<SCHEDULE_DATA>& schedules);
    /// Emits scheduleBeforeRemove, removes the known schedules, then emits scheduleRemoved.
    void removeSchedules(const QList<int>& ids);

    /// The shared item model of dataname, created on first request and owned by the store.
    QAbstractItemModel* model(const QString& dataname);

signals:
    void dataChanged(const QString& dataname, const QList<orvanta::TYPE_ID>& ids);
    void dataRemoved(const QString& dataname, const QList<orvanta::TYPE_ID>& ids);
    void scheduleChanged(const QList<uint>& ids);
    void scheduleBeforeRemove(const QList<uint>& ids);
    void scheduleRemoved(const QList<uint>& ids);
    /// Everything was forgotten at once (reset); caches built from the store must be dropped.
    void cleared();

private:
    /// Puts objects into table; the ids stored, each once, in order.
    QList<TYPE_ID> insertObjects(const QString& dataname, OBJECT_HASH& table, const QList<ObjectInfo>& objects);
    struct Blob
    {
        QByteArray data;
        QByteArray md5;
    };

    LocalStorage();

    void indexSchedule(const SCHEDULE_DATA& schedule);
    void unindexSchedule(const SCHEDULE_DATA& schedule);

    QHash<QString, OBJECT_HASH> m_tables;
    QHash<TYPE_ID, QString> m_datanameById;
    SCHEDULE_HASH m_schedules;
    /// Employee -> ids of the personal schedules, kept sorted.
    QHash<TYPE_ID, QList<int>> m_personalSchedules;
    QHash<TYPE_ID, QHash<QString, Blob>> m_blobs;
    QHash<QString, LocalObjectModel*> m_models;
};

} // namespace orvanta
