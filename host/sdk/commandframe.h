#pragma once

#include "command.h"
#include "ovsdk_export.h"

#include <QByteArray>
#include <QString>

/// The TCP framing of commands: a big-endian quint32 length, then the command in a
/// QDataStream (Qt_5_15). encode() writes one frame; an instance reads frames from a
/// byte stream fed in arbitrary pieces.
class OVSDK_EXPORT CommandFrame
{
public:
    /// Frames longer than this are refused as corrupt rather than buffered.
    static constexpr quint32 MaxContentSize = 64u * 1024u * 1024u;

    static QByteArray encode(const Command& command);

    /// Appends received bytes; ignored once the stream is broken.
    void append(const QByteArray& bytes);
    /// Takes the next complete command into command. False when no frame is complete yet or
    /// the stream is broken (see hasError); a broken stream never yields another command.
    bool takeCommand(Command& command);

    bool hasError() const { return !m_error.isEmpty(); }
    QString errorString() const { return m_error; }
    /// Bytes received and not yet taken as commands.
    int bufferedSize() const { return m_buffer.size() - m_readOffset; }
    /// Lowers (or restores) the longest frame accepted from now on; at most MaxContentSize.
    void setMaxContentSize(quint32 size) { m_maxContentSize = qMin(size, MaxContentSize); }

private:
    void fail(const QString& error);
    void compact();

    QByteArray m_buffer;
    int m_readOffset = 0;
    quint32 m_maxContentSize = MaxContentSize;
    QString m_error;
};
