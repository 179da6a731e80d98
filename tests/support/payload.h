#pragma once

#include "ovdatastream.h"

namespace ovtest {

/// A command payload holding args in order, as the other side writes it.
template<typename... Args>
QByteArray pack(const Args&... args)
{
    QByteArray payload;
    OVDataStream stream(&payload, QIODevice::WriteOnly);
    (stream << ... << args);
    return payload;
}

} // namespace ovtest
