#pragma once

#include "ovsdk_export.h"

#include <QDataStream>
#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QMultiMap>
#include <QStringList>
#include <QTime>
#include <QVariant>

#include <utility>

namespace orvanta {

// Reading what the other side sent. Qt's own readers trust the bytes: a list reserves whatever
// count it announces, a QVariant recurses as deep as it nests, a date takes any day number and a
// date-time any zone name. The readChecked() overloads refuse such input instead: the stream
// turns ReadCorruptData and nothing is allocated beyond what the bytes hold.

/// How deep QVariant lists and maps may nest in what we read.
constexpr int MaxVariantDepth = 16;

/// Whether count elements can still come: each takes at least one byte. Marks the stream
/// corrupt when they cannot.
OVSDK_EXPORT bool countFits(QDataStream& stream, quint32 count);

/// A null date or a day of the years 1 to 9999.
OVSDK_EXPORT void readChecked(QDataStream& stream, QDate& date);
OVSDK_EXPORT void readChecked(QDataStream& stream, QTime& time);
/// Local, UTC, an offset within 14 hours, or a zone this system knows by its id.
OVSDK_EXPORT void readChecked(QDataStream& stream, QDateTime& moment);
/// Plain values (numbers, text, bytes, dates) and lists and maps of them, MaxVariantDepth deep.
OVSDK_EXPORT void readChecked(QDataStream& stream, QVariant& value);
OVSDK_EXPORT void readChecked(QDataStream& stream, QStringList& list);

template<typename T>
void readChecked(QDataStream& stream, QList<T>& list);
template<typename Key, typename Value>
void readChecked(QDataStream& stream, QHash<Key, Value>& hash);
template<typename Key, typename Value>
void readChecked(QDataStream& stream, QMultiMap<Key, Value>& map);

/// Numbers, text and records read with their own operators (which use readChecked themselves).
template<typename T>
void readChecked(QDataStream& stream, T& value)
{
    stream >> value;
}

template<typename T>
void readChecked(QDataStream& stream, QList<T>& list)
{
    list.clear();
    quint32 count = 0;
    stream >> count;
    for (quint32 i = 0; countFits(stream, count - i) && i < count; ++i) {
        T item;
        readChecked(stream, item);
        list.append(std::move(item));
    }
    if (stream.status() != QDataStream::Ok)
        list.clear();
}

template<typename Key, typename Value>
void readChecked(QDataStream& stream, QHash<Key, Value>& hash)
{
    hash.clear();
    quint32 count = 0;
    stream >> count;
    for (quint32 i = 0; countFits(stream, count - i) && i < count; ++i) {
        Key key;
        Value value;
        readChecked(stream, key);
        readChecked(stream, value);
        hash.insert(key, value);
    }
    if (stream.status() != QDataStream::Ok)
        hash.clear();
}

// Keys that repeat are inserted in the order written, as Qt's reader does.
template<typename Key, typename Value>
void readChecked(QDataStream& stream, QMultiMap<Key, Value>& map)
{
    map.clear();
    quint32 count = 0;
    stream >> count;
    for (quint32 i = 0; countFits(stream, count - i) && i < count; ++i) {
        Key key;
        Value value;
        readChecked(stream, key);
        readChecked(stream, value);
        map.insert(key, value);
    }
    if (stream.status() != QDataStream::Ok)
        map.clear();
}

/// Reads fields in order, each with readChecked.
template<typename... Fields>
void readFields(QDataStream& stream, Fields&... fields)
{
    (readChecked(stream, fields), ...);
}

// A record read from a truncated or corrupt stream is left at its default value,
// so callers never see half a record.
template<typename Record>
QDataStream& assignIfComplete(QDataStream& stream, Record& target, Record& read)
{
    target = stream.status() == QDataStream::Ok ? std::move(read) : Record();
    return stream;
}

} // namespace orvanta
