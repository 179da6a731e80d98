#pragma once

#include <QByteArray>

/// Encodes an 8-bit RGB picture as PNG without Qt Gui: the server links Core, Network and Sql only.
class PngEncoder
{
public:
    PngEncoder() = delete;

    /// rgb holds height rows of width pixels, three bytes each; empty for a size that does not match.
    static QByteArray encodeRgb(int width, int height, const QByteArray& rgb);

private:
    static void appendChunk(QByteArray* png, const char* type, const QByteArray& data);
    static quint32 crc32(const QByteArray& bytes);
};
