#pragma once

#include "ovdatastream.h"

#include <QHash>
#include <QList>

/// Reads a request payload: containers element by element (a corrupt count must not reserve
/// gigabytes before the data runs out), and tells whether exactly the whole payload was read.
class PayloadReader
{
public:
    explicit PayloadReader(const QByteArray& data) : m_stream(data) {}

    template<typename T>
    PayloadReader& operator>>(T& value)
    {
        read(value);
        return *this;
    }

    /// Everything decoded and nothing left over.
    bool isComplete() const { return m_stream.status() == QDataStream::Ok && m_stream.atEnd(); }

private:
    template<typename T>
    void read(T& value)
    {
        m_stream >> value;
    }

    template<typename T>
    void read(QList<T>& list)
    {
        list.clear();
        quint32 count = 0;
        m_stream >> count;
        for (quint32 i = 0; i < count && m_stream.status() == QDataStream::Ok; ++i) {
            T value;
            m_stream >> value;
            list.append(value);
        }
        if (m_stream.status() != QDataStream::Ok)
            list.clear();
    }

    template<typename Key, typename Value>
    void read(QHash<Key, Value>& hash)
    {
        hash.clear();
        quint32 count = 0;
        m_stream >> count;
        for (quint32 i = 0; i < count && m_stream.status() == QDataStream::Ok; ++i) {
            Key key;
            Value value;
            m_stream >> key >> value;
            hash.insert(key, value);
        }
        if (m_stream.status() != QDataStream::Ok)
            hash.clear();
    }

    OVDataStream m_stream;
};
