#pragma once

#include <QDataStream>

namespace orvanta {

// A record read from a truncated or corrupt stream is left at its default value,
// so callers never see half a record.
template<typename Record>
QDataStream& assignIfComplete(QDataStream& stream, Record& target, Record& read)
{
    target = stream.status() == QDataStream::Ok ? std::move(read) : Record();
    return stream;
}

} // namespace orvanta
