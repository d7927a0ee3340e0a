#include "libkernwick/render/pictureformats.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

namespace Kernwick {

namespace {

using Reader = PictureFormat::Reader;

quint8 byteAt(QByteArrayView bytes, qsizetype at)
{
    return quint8(bytes[at]);
}

quint32 littleEndian16(QByteArrayView bytes, qsizetype at)
{
    return quint32(byteAt(bytes, at)) | quint32(byteAt(bytes, at + 1)) << 8;
}

bool startsWith(QByteArrayView bytes, QByteArrayView prefix, qsizetype at = 0)
{
    return bytes.size() >= at + prefix.size() && bytes.sliced(at, prefix.size()) == prefix;
}

qint32 littleEndian32(QByteArrayView bytes, qsizetype at)
{
    return qint32(littleEndian16(bytes, at) | littleEndian16(bytes, at + 2) << 16);
}

PictureFormat qtFormat(const char *name)
{
    return {Reader::Qt, name};
}

// BMP: its size from the header, so that a picture Qt's reader refuses as too
// large is still reported as too large. The old 12-byte header holds 16-bit
// numbers, the later ones 32-bit; a negative height is a picture stored top down.
PictureFormat bmp(QByteArrayView bytes)
{
    PictureFormat format = qtFormat("bmp");
    if (bytes.size() < 26)
        return format;
    if (littleEndian32(bytes, 14) == 12) {
        format.width = littleEndian16(bytes, 18);
        format.height = littleEndian16(bytes, 20);
    } else if (bytes.size() >= 30) {
        format.width = std::max<qint64>(littleEndian32(bytes, 18), 0);
        format.height = std::abs(qint64(littleEndian32(bytes, 22)));
    }
    return format;
}

// The formats with a signature of their own, read by Qt.
std::optional<PictureFormat> signedFormat(QByteArrayView bytes)
{
    if (startsWith(bytes, "\x89PNG\r\n\x1a\n"))
        return qtFormat("png");
    if (startsWith(bytes, "\xff\xd8\xff"))
        return qtFormat("jpeg");
    if (startsWith(bytes, "GIF87a") || startsWith(bytes, "GIF89a"))
        return qtFormat("gif");
    if (startsWith(bytes, "BM"))
        return bmp(bytes);
    if (startsWith(bytes, QByteArrayView("II*\0", 4)) ||
        startsWith(bytes, QByteArrayView("MM\0*", 4)) ||
        startsWith(bytes, QByteArrayView("II+\0", 4)) ||
        startsWith(bytes, QByteArrayView("MM\0+", 4)))
        return qtFormat("tiff");
    if (startsWith(bytes, "RIFF") && startsWith(bytes, "WEBP", 8))
        return qtFormat("webp");
    if (startsWith(bytes, "icns"))
        return qtFormat("icns");
    if (startsWith(bytes, "/* XPM */"))
        return qtFormat("xpm");
    if (startsWith(bytes, "#define ") &&
        bytes.first(std::min<qsizetype>(bytes.size(), 200)).indexOf("_width") > 0)
        return qtFormat("xbm");
    // P1 to P6 and a blank: the portable bitmap, grey map and pixmap.
    if (bytes.size() > 2 && bytes[0] == 'P' && QByteArrayView(" \t\r\n").contains(bytes[2])) {
        switch (bytes[1]) {
        case '1':
        case '4':
            return qtFormat("pbm");
        case '2':
        case '5':
            return qtFormat("pgm");
        case '3':
        case '6':
            return qtFormat("ppm");
        default:
            break;
        }
    }
    return std::nullopt;
}

// ICO and CUR: reserved 0, type 1 or 2, at least one directory entry whose
// reserved byte is 0, and the directory inside the file.
std::optional<PictureFormat> icon(QByteArrayView bytes)
{
    if (bytes.size() < 22 || littleEndian16(bytes, 0) != 0)
        return std::nullopt;
    const quint32 type = littleEndian16(bytes, 2);
    const quint32 count = littleEndian16(bytes, 4);
    if ((type != 1 && type != 2) || count == 0 || 6 + 16 * qint64(count) > bytes.size() ||
        byteAt(bytes, 9) != 0)
        return std::nullopt;
    return qtFormat(type == 1 ? "ico" : "cur");
}

// Kodak Photo CD: "PCD_IPI" opens the second 2048-byte sector; the base picture
// the import would take is 768 × 512.
std::optional<PictureFormat> photoCd(QByteArrayView bytes)
{
    if (!startsWith(bytes, "PCD_IPI", 2048))
        return std::nullopt;
    return PictureFormat{Reader::SizeOnly, "pcd", 768, 512};
}

// Koala Paint: the load address 0x6000, then 10001 bytes of bitmap, screen and
// colour memory and the background colour.
std::optional<PictureFormat> koala(QByteArrayView bytes)
{
    if (bytes.size() != 10003 || byteAt(bytes, 0) != 0x00 || byteAt(bytes, 1) != 0x60)
        return std::nullopt;
    return PictureFormat{Reader::SizeOnly, "koala", 320, 200};
}

// A WBMP multi-byte number: 7 bits a byte, the high bit set on all but the last.
std::optional<qint64> wbmpNumber(QByteArrayView bytes, qsizetype *at)
{
    qint64 value = 0;
    for (int i = 0; i < 4 && *at < bytes.size(); ++i) {
        const quint8 byte = byteAt(bytes, (*at)++);
        value = value << 7 | (byte & 0x7f);
        if (!(byte & 0x80))
            return value;
    }
    return std::nullopt;
}

// WBMP has no signature: type 0, no extension headers, the size, and exactly the
// bytes that size needs.
std::optional<PictureFormat> wbmp(QByteArrayView bytes)
{
    if (bytes.size() < 4 || byteAt(bytes, 0) != 0 || byteAt(bytes, 1) != 0)
        return std::nullopt;
    qsizetype at = 2;
    const std::optional<qint64> width = wbmpNumber(bytes, &at);
    const std::optional<qint64> height = width ? wbmpNumber(bytes, &at) : std::nullopt;
    if (!height || *width < 1 || *height < 1 || bytes.size() - at != (*width + 7) / 8 * *height)
        return std::nullopt;
    return qtFormat("wbmp");
}

// TGA has no signature either: its header must make sense. Qt reads uncompressed
// true colour without a colour map, of 16, 24 or 32 bits; it insists on the TGA
// 2.0 footer, which loadImageData() adds where a file has none. Colour-mapped,
// grey and run-length encoded files have no reader.
std::optional<PictureFormat> tga(QByteArrayView bytes)
{
    constexpr qsizetype HeaderBytes = 18;
    if (bytes.size() < HeaderBytes || byteAt(bytes, 1) != 0 || byteAt(bytes, 2) != 2)
        return std::nullopt;
    const quint8 depth = byteAt(bytes, 16);
    if (depth != 16 && depth != 24 && depth != 32)
        return std::nullopt;
    // Interleaved rows, a TGA 1 feature, are no longer written by anything.
    if (byteAt(bytes, 17) & 0xc0)
        return std::nullopt;
    if (HeaderBytes + byteAt(bytes, 0) > bytes.size())
        return std::nullopt;
    PictureFormat format = qtFormat("tga");
    format.width = littleEndian16(bytes, 12);
    format.height = littleEndian16(bytes, 14);
    return format;
}

} // namespace

PictureFormat recognisePicture(QByteArrayView bytes)
{
    // Signatures first; the formats without one last, the weakest test at the end.
    if (const std::optional<PictureFormat> format = signedFormat(bytes))
        return *format;
    for (const auto recognise : {photoCd, icon, koala, wbmp, tga}) {
        if (const std::optional<PictureFormat> format = recognise(bytes))
            return *format;
    }
    return {};
}

} // namespace Kernwick
