#include "libkernwick/render/pictureformats.h"

#include <FreeImage.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
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

// ZSoft PCX: 0x0A, a version up to 5, RLE or no encoding, 1 to 8 bits per plane,
// then the picture's window as four 16-bit corners, in a 128-byte header.
std::optional<PictureFormat> pcx(QByteArrayView bytes)
{
    if (bytes.size() < 128 || byteAt(bytes, 0) != 0x0a || byteAt(bytes, 1) > 5 ||
        byteAt(bytes, 2) > 1)
        return std::nullopt;
    const quint8 bits = byteAt(bytes, 3);
    if (bits != 1 && bits != 2 && bits != 4 && bits != 8)
        return std::nullopt;
    PictureFormat format{Reader::FreeImage, "pcx"};
    const qint64 left = littleEndian16(bytes, 4);
    const qint64 top = littleEndian16(bytes, 6);
    const qint64 right = littleEndian16(bytes, 8);
    const qint64 bottom = littleEndian16(bytes, 10);
    if (right >= left && bottom >= top) {
        format.width = right - left + 1;
        format.height = bottom - top + 1;
    }
    return format;
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

// TGA has no signature either: its header must make sense. Qt reads only TGA 2.0
// files (with the footer that names them) of uncompressed true colour without a
// colour map; FreeImage all the others: older files, palette, grey and run-length
// encoded ones.
std::optional<PictureFormat> tga(QByteArrayView bytes)
{
    constexpr qsizetype HeaderBytes = 18;
    if (bytes.size() < HeaderBytes)
        return std::nullopt;
    const quint8 mapType = byteAt(bytes, 1);
    const quint8 type = byteAt(bytes, 2);
    const quint32 mapLength = littleEndian16(bytes, 5);
    const quint8 mapEntryBits = byteAt(bytes, 7);
    const quint8 depth = byteAt(bytes, 16);
    const bool mapped = type == 1 || type == 9;
    const bool trueColour = type == 2 || type == 10;
    const bool grey = type == 3 || type == 11;
    if (!(mapped || trueColour || grey) || mapType > 1 || (mapped && mapType != 1))
        return std::nullopt;
    if (mapType == 1 && (mapLength == 0 || (mapEntryBits != 15 && mapEntryBits != 16 &&
                                            mapEntryBits != 24 && mapEntryBits != 32)))
        return std::nullopt;
    if ((trueColour && depth != 15 && depth != 16 && depth != 24 && depth != 32) ||
        (!trueColour && depth != 8 && depth != 16))
        return std::nullopt;
    const qint64 mapBytes = mapType == 1 ? qint64(mapLength) * ((mapEntryBits + 7) / 8) : 0;
    if (HeaderBytes + byteAt(bytes, 0) + mapBytes > bytes.size())
        return std::nullopt;
    const QByteArrayView footer("TRUEVISION-XFILE.\0", 18);
    if (type == 2 && mapType == 0 && depth != 15 && bytes.endsWith(footer))
        return qtFormat("tga");
    return PictureFormat{Reader::FreeImage, "tga", littleEndian16(bytes, 12),
                         littleEndian16(bytes, 14)};
}

// FreeImage keeps the bottom line first.
const BYTE *pictureRow(FIBITMAP *bitmap, int row)
{
    return FreeImage_GetScanLine(bitmap, int(FreeImage_GetHeight(bitmap)) - 1 - row);
}

QList<QRgb> paletteOf(FIBITMAP *bitmap)
{
    QList<QRgb> table;
    const RGBQUAD *palette = FreeImage_GetPalette(bitmap);
    const unsigned colours = palette ? FreeImage_GetColorsUsed(bitmap) : 0;
    for (unsigned i = 0; i < colours && i < 256; ++i)
        table.append(qRgb(palette[i].rgbRed, palette[i].rgbGreen, palette[i].rgbBlue));
    return table;
}

QImage toQImage(FIBITMAP *bitmap)
{
    const int width = int(FreeImage_GetWidth(bitmap));
    const int height = int(FreeImage_GetHeight(bitmap));
    const unsigned bits = FreeImage_GetBPP(bitmap);
    const bool plain = FreeImage_GetImageType(bitmap) == FIT_BITMAP;
    if (plain && bits == 1) {
        // FreeImage's 1-bit rows, leftmost pixel in the highest bit, are Qt's.
        QImage image(width, height, QImage::Format_Mono);
        image.setColorTable(paletteOf(bitmap));
        for (int r = 0; r < height; ++r)
            std::memcpy(image.scanLine(r), pictureRow(bitmap, r), std::size_t(width + 7) / 8);
        return image;
    }
    if (plain && (bits == 4 || bits == 8)) {
        FIBITMAP *indexed = FreeImage_ConvertTo8Bits(bitmap);
        if (!indexed)
            return {};
        QImage image(width, height, QImage::Format_Indexed8);
        image.setColorTable(paletteOf(indexed));
        for (int r = 0; r < height; ++r)
            std::memcpy(image.scanLine(r), pictureRow(indexed, r), std::size_t(width));
        FreeImage_Unload(indexed);
        return image;
    }
    FIBITMAP *rgb = FreeImage_ConvertTo24Bits(bitmap);
    if (!rgb)
        return {};
    QImage image(width, height, QImage::Format_RGB32);
    for (int r = 0; r < height; ++r) {
        const BYTE *in = pictureRow(rgb, r);
        auto *out = reinterpret_cast<QRgb *>(image.scanLine(r));
        for (int c = 0; c < width; ++c, in += 3)
            out[c] = qRgb(in[FI_RGBA_RED], in[FI_RGBA_GREEN], in[FI_RGBA_BLUE]);
    }
    FreeImage_Unload(rgb);
    return image;
}

} // namespace

PictureFormat recognisePicture(QByteArrayView bytes)
{
    // Signatures first; the formats without one last, the weakest test at the end.
    if (const std::optional<PictureFormat> format = signedFormat(bytes))
        return *format;
    for (const auto recognise : {photoCd, icon, pcx, koala, wbmp, tga}) {
        if (const std::optional<PictureFormat> format = recognise(bytes))
            return *format;
    }
    return {};
}

QImage decodeWithFreeImage(QByteArrayView bytes, const PictureFormat &format)
{
    FREE_IMAGE_FORMAT type = FIF_UNKNOWN;
    if (format.name == "pcx")
        type = FIF_PCX;
    else if (format.name == "tga")
        type = FIF_TARGA;
    if (format.reader != Reader::FreeImage || type == FIF_UNKNOWN ||
        bytes.size() > qsizetype(std::numeric_limits<DWORD>::max()))
        return {};

    FIMEMORY *memory = FreeImage_OpenMemory(
        reinterpret_cast<BYTE *>(const_cast<char *>(bytes.data())), DWORD(bytes.size()));
    FIBITMAP *bitmap = FreeImage_LoadFromMemory(type, memory, 0);
    FreeImage_CloseMemory(memory);
    if (!bitmap)
        return {};
    QImage image;
    if (FreeImage_HasPixels(bitmap) && FreeImage_GetWidth(bitmap) == format.width &&
        FreeImage_GetHeight(bitmap) == format.height)
        image = toQImage(bitmap);
    FreeImage_Unload(bitmap);
    return image;
}

} // namespace Kernwick
