#pragma once

#include <QByteArray>
#include <QDataStream>

/// QDataStream over a command payload, always in the one version both sides use.
class OVDataStream : public QDataStream
{
public:
    /// Writes into (or reads from) the given byte array.
    OVDataStream(QByteArray* data, QIODevice::OpenMode mode) : QDataStream(data, mode)
    {
        setVersion(QDataStream::Qt_5_15);
    }
    /// Reads from a copy of the given payload.
    explicit OVDataStream(const QByteArray& data) : QDataStream(data) { setVersion(QDataStream::Qt_5_15); }
};
