#include "commandframe.h"

#include "ovdatastream.h"

#include <QtEndian>

namespace {

constexpr int LengthSize = sizeof(quint32);

} // namespace

QByteArray CommandFrame::encode(const Command& command)
{
    QByteArray frame(LengthSize, '\0');
    {
        QByteArray content;
        OVDataStream stream(&content, QIODevice::WriteOnly);
        stream << command;
        frame.append(content);
    }
    qToBigEndian<quint32>(quint32(frame.size() - LengthSize), frame.data());
    return frame;
}

void CommandFrame::append(const QByteArray& bytes)
{
    if (!hasError())
        m_buffer.append(bytes);
}

bool CommandFrame::takeCommand(Command& command)
{
    if (hasError() || bufferedSize() < LengthSize)
        return false;
    const quint32 length = qFromBigEndian<quint32>(m_buffer.constData() + m_readOffset);
    if (length > m_maxContentSize) {
        fail(QStringLiteral("frame length %1 exceeds the limit").arg(length));
        return false;
    }
    if (quint32(bufferedSize() - LengthSize) < length)
        return false;

    const QByteArray content = m_buffer.mid(m_readOffset + LengthSize, int(length));
    m_readOffset += LengthSize + int(length);
    compact();

    OVDataStream stream(content);
    Command decoded;
    stream >> decoded;
    if (stream.status() != QDataStream::Ok || !stream.atEnd()) {
        fail(QStringLiteral("frame of %1 bytes does not decode as a command").arg(length));
        return false;
    }
    command = decoded;
    return true;
}

void CommandFrame::fail(const QString& error)
{
    m_error = error;
    m_buffer.clear();
    m_readOffset = 0;
}

void CommandFrame::compact()
{
    // Drop consumed bytes only now and then: removing from the front copies the rest.
    if (m_readOffset == m_buffer.size()) {
        m_buffer.clear();
        m_readOffset = 0;
    } else if (m_readOffset > 64 * 1024 && m_readOffset > m_buffer.size() / 2) {
        m_buffer.remove(0, m_readOffset);
        m_readOffset = 0;
    }
}
