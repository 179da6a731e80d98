#include "pngencoder.h"

#include "serverlogging.h"

#include <QtEndian>

#include <array>

namespace {

QByteArray bigEndian(quint32 value)
{
    QByteArray bytes(4, Qt::Uninitialized);
    qToBigEndian(value, bytes.data());
    return bytes;
}

} // namespace

QByteArray PngEncoder::encodeRgb(int width, int height, const QByteArray& rgb)
{
    const int rowBytes = width * 3;
    if (width <= 0 || height <= 0 || rgb.size() != rowBytes * height) {
        qCWarning(lcServerCore) << Q_FUNC_INFO << "wrong picture size" << width << height << rgb.size();
        return QByteArray();
    }
    QByteArray header = bigEndian(quint32(width)) + bigEndian(quint32(height));
    // 8 bits per channel, colour type 2 (RGB), deflate, adaptive filtering, no interlace.
    header.append("\x08\x02\x00\x00\x00", 5);
    QByteArray rows;
    rows.reserve((rowBytes + 1) * height);
    for (int row = 0; row < height; ++row) {
        rows.append('\0'); // filter type "none"
        rows.append(rgb.constData() + row * rowBytes, rowBytes);
    }
    // qCompress writes a zlib stream after a four-byte length of its own, which PNG does not know.
    const QByteArray compressed = qCompress(rows, 9).mid(4);
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    appendChunk(&png, "IHDR", header);
    appendChunk(&png, "IDAT", compressed);
    appendChunk(&png, "IEND", QByteArray());
    return png;
}

void PngEncoder::appendChunk(QByteArray* png, const char* type, const QByteArray& data)
{
    const QByteArray typed = QByteArray(type, 4) + data;
    png->append(bigEndian(quint32(data.size())));
    png->append(typed);
    png->append(bigEndian(crc32(typed)));
}

quint32 PngEncoder::crc32(const QByteArray& bytes)
{
    static const std::array<quint32, 256> table = [] {
        std::array<quint32, 256> result{};
        for (quint32 n = 0; n < 256; ++n) {
            quint32 c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            result[n] = c;
        }
        return result;
    }();
    quint32 crc = 0xFFFFFFFFu;
    for (const char byte : bytes)
        crc = table[(crc ^ quint8(byte)) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}
