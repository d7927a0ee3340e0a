#include "libkernwick/render/imagereading.h"

#include <QIODevice>
#include <QImageReader>

#include <algorithm>
#include <limits>

namespace Kernwick {

namespace {

constexpr char PngSignature[] = "\x89PNG\r\n\x1a\n";
constexpr qint64 PngSignatureBytes = 8;
// Length, type and CRC around a chunk's data.
constexpr qint64 ChunkFrameBytes = 12;
constexpr quint32 MaxChunkLength = 0x7fffffffu;

quint32 bigEndian32(const char *bytes)
{
    return quint32(quint8(bytes[0])) << 24 | quint32(quint8(bytes[1])) << 16 |
           quint32(quint8(bytes[2])) << 8 | quint32(quint8(bytes[3]));
}

bool chunksFit(QIODevice *device)
{
    const qint64 size = device->size();
    char head[8];
    if (!device->seek(0) || device->read(head, PngSignatureBytes) != PngSignatureBytes ||
        !std::equal(head, head + PngSignatureBytes, PngSignature))
        return true;
    qint64 at = PngSignatureBytes;
    while (at < size) {
        if (!device->seek(at) || device->read(head, 8) != 8)
            return false; // a chunk cut off inside its length or type
        const quint32 length = bigEndian32(head);
        if (length > MaxChunkLength || ChunkFrameBytes + length > size - at)
            return false;
        if (std::equal(head + 4, head + 8, "IEND"))
            return true;
        at += ChunkFrameBytes + length;
    }
    return true;
}

} // namespace

bool pngChunksFit(QIODevice *device)
{
    if (device->isSequential())
        return false;
    const qint64 position = device->pos();
    const bool fit = chunksFit(device);
    device->seek(position);
    return fit;
}

ImageAllocationLimit::ImageAllocationLimit(qint64 bytes) : m_before(QImageReader::allocationLimit())
{
    constexpr qint64 megabyte = 1 << 20;
    const qint64 megabytes =
        std::clamp<qint64>((bytes + megabyte - 1) / megabyte, 1, std::numeric_limits<int>::max());
    QImageReader::setAllocationLimit(int(megabytes));
}

ImageAllocationLimit::~ImageAllocationLimit()
{
    QImageReader::setAllocationLimit(m_before);
}

} // namespace Kernwick
