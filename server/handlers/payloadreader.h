#pragma once

#include "ovdatastream.h"
#include "streamhelpers.h"

/// Reads a request payload with the checked readers (no count reserved before its bytes came,
/// bounded nesting, dates of years 1-9999, known zones only), and tells whether exactly the whole
/// payload was read.
class PayloadReader
{
public:
    explicit PayloadReader(const QByteArray& data) : m_stream(data) {}

    template<typename T>
    PayloadReader& operator>>(T& value)
    {
        orvanta::readChecked(m_stream, value);
        return *this;
    }

    /// Everything decoded and nothing left over.
    bool isComplete() const { return m_stream.status() == QDataStream::Ok && m_stream.atEnd(); }

private:
    OVDataStream m_stream;
};
