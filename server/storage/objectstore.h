#pragma once

#include "blobdatarequest.h"
#include "inheritdata.h"
#include "objectinfo.h"

#include <QHash>
#include <QList>
#include <QSqlDatabase>
#include <QStringList>
#include <QVariantList>

/// The objects table with its links and blobs. Objects are read with their link maps filled
/// from the links table; the caller owns the transaction.
class ObjectStore
{
public:
    explicit ObjectStore(const QSqlDatabase& db);

    /// The data name an object of type is kept under ("OT_WORKER" -> "subject", ...).
    static QString dataNameOfType(const QString& type);

    bool objects(const QString& dataname, QList<orvanta::ObjectInfo>* out, QString* error);
    /// The objects of ids that exist, grouped by data name.
    bool objectsByIds(const QList<orvanta::TYPE_ID>& ids, QHash<QString, QList<orvanta::ObjectInfo>>* out,
                      QString* error);
    /// The objects of type whose parent is parent, by id.
    bool children(orvanta::TYPE_ID parent, const QString& type, QList<orvanta::ObjectInfo>* out, QString* error);
    /// The object id with its data name; an invalid object when there is none.
    bool find(orvanta::TYPE_ID id, orvanta::ObjectInfo* out, QString* dataname, QString* error);
    bool datanames(QStringList* out, QString* error);

    /// Stores object with its own uid under dataname; its link maps are ignored (links live apart).
    bool insert(const orvanta::ObjectInfo& object, const QString& dataname, QString* error);
    bool insert(const QList<orvanta::ObjectInfo>& objects, const QHash<orvanta::TYPE_ID, QString>& datanames,
                QString* error);
    /// Replaces type, parent and properties and moves the revision on; false when it does not exist.
    bool update(const orvanta::ObjectInfo& object, bool* found, QString* error);
    /// Removes the object with its links and blobs.
    bool remove(orvanta::TYPE_ID id, QString* error);

    bool insertLinks(const QList<orvanta::_INHERIT_DATA>& links, QString* error);
    /// Replaces the links of object whose inherit type appears in links by links.
    bool replaceLinks(orvanta::TYPE_ID object, const QList<orvanta::_INHERIT_DATA>& links, QString* error);
    /// The objects at the other end of id's links.
    bool linkedObjects(orvanta::TYPE_ID id, QList<orvanta::TYPE_ID>* out, QString* error);

    bool setBlob(orvanta::TYPE_ID id, const QString& name, const QByteArray& data, QString* error);
    /// The blobs asked for whose md5 differs from the caller's.
    bool changedBlobs(const QList<orvanta::_BLOB_DATA_RESQUEST>& requests,
                      QHash<orvanta::TYPE_ID, QHash<QString, QByteArray>>* out, QString* error);

private:
    /// Objects of "FROM objects o WHERE condition", with their links and data names.
    bool load(const QString& condition, const QVariantList& values, QList<orvanta::ObjectInfo>* out,
              QHash<orvanta::TYPE_ID, QString>* datanames, QString* error);
    bool loadLinks(const QString& joinColumn, const QString& condition, const QVariantList& values,
                   QList<orvanta::_INHERIT_DATA>* out, QString* error);

    QSqlDatabase m_db;
};
