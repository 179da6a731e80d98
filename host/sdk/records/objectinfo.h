#pragma once

#include "inheritdata.h"
#include "orvantatypes.h"
#include "ovhash.h"
#include "ovsdk_export.h"

#include <QHash>
#include <QMetaType>
#include <QMultiMap>
#include <QString>

namespace orvanta {

/// One server object as the local store holds it: type, parent, text properties and links.
struct OVSDK_EXPORT ObjectInfo
{
    TYPE_ID uid = 0;
    quint32 typeCode = 0;
    QString type;
    TYPE_ID parent = 0;
    QHash<QString, QString> properties;
    qint64 revision = 0;
    /// Links in which this object is the parent, keyed by inherit type.
    QMultiMap<TYPE_ID, _INHERIT_DATA> children;
    /// Links in which this object is the child, keyed by inherit type.
    QMultiMap<TYPE_ID, _INHERIT_DATA> parents;

    bool isValid() const { return uid != 0; }
    QString property(const QString& key) const { return properties.value(key); }
    bool operator==(const ObjectInfo& other) const;
};

using OBJECT_HASH = OVHash<TYPE_ID, ObjectInfo>;

OVSDK_EXPORT QDataStream& operator<<(QDataStream& stream, const ObjectInfo& object);
OVSDK_EXPORT QDataStream& operator>>(QDataStream& stream, ObjectInfo& object);

} // namespace orvanta

Q_DECLARE_METATYPE(orvanta::ObjectInfo)
Q_DECLARE_METATYPE(orvanta::OBJECT_HASH)
