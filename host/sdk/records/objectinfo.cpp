#include "objectinfo.h"

#include "streamhelpers.h"

namespace orvanta {

bool ObjectInfo::operator==(const ObjectInfo& other) const
{
    return uid == other.uid && typeCode == other.typeCode && type == other.type && parent == other.parent
        && properties == other.properties && revision == other.revision && children == other.children
        && parents == other.parents;
}

QDataStream& operator<<(QDataStream& stream, const ObjectInfo& object)
{
    return stream << object.uid << object.typeCode << object.type << object.parent << object.properties
                  << object.revision << object.children << object.parents;
}

QDataStream& operator>>(QDataStream& stream, ObjectInfo& object)
{
    ObjectInfo read;
    readFields(stream, read.uid, read.typeCode, read.type, read.parent, read.properties, read.revision,
               read.children, read.parents);
    return assignIfComplete(stream, object, read);
}

} // namespace orvanta
