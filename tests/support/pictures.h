#pragma once

// Pictures for the image import tests, encoded with FreeImage (which the import
// uses only to read PCX and older TGA files) in the formats and depths
// a user's drawing program writes.

#include <FreeImage.h>

#include <QByteArray>

#include <cstdint>
#include <functional>

namespace Kernwick::Test {

/// How a picture of grey levels is stored.
enum class PictureKind
{
    GreyPng,            ///< 8-bit greyscale PNG
    Grey16Png,          ///< 16-bit greyscale PNG
    RgbPng,             ///< 24-bit PNG
    RgbaPng,            ///< 32-bit PNG with an opaque alpha channel
    GreyPalettePng,     ///< 8-bit palette PNG whose index i holds grey i
    ReversedPalettePng, ///< 8-bit palette PNG whose index i holds grey 255 - i
    PaletteBmp,         ///< 8-bit palette BMP (the 40-byte header)
    RgbBmp,             ///< 24-bit BMP (the 40-byte header)
    GreyTiff,           ///< 8-bit greyscale TIFF
    RgbTiff,            ///< 24-bit TIFF
    GreyTga,            ///< 8-bit TGA with a grey palette
    RgbTga,             ///< 24-bit TGA
    Pgm,                ///< binary PGM
    Ppm,                ///< binary PPM
    Jpeg,               ///< 24-bit JPEG at quality 100
    RgbPcx              ///< 24-bit PCX (three planes, run-length encoded)
};

/// A picture's pixel at (row from the top, column).
using LevelAt = std::function<std::uint8_t(int row, int column)>;

inline QByteArray encodeBitmap(FIBITMAP *bitmap, FREE_IMAGE_FORMAT format, int flags = 0)
{
    FIMEMORY *memory = FreeImage_OpenMemory();
    QByteArray bytes;
    if (FreeImage_SaveToMemory(format, bitmap, memory, flags)) {
        BYTE *data = nullptr;
        DWORD size = 0;
        FreeImage_AcquireMemory(memory, &data, &size);
        bytes = QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
    }
    FreeImage_CloseMemory(memory);
    FreeImage_Unload(bitmap);
    return bytes;
}

inline void appendLittleEndian16(QByteArray *bytes, int value)
{
    bytes->append(char(value & 0xff)).append(char(value >> 8 & 0xff));
}

/// A grey picture as 24-bit PCX, written by hand since no library at hand writes
/// PCX: the 128-byte header, then each row's red, green and blue planes, every
/// byte of 0xC0 or more as a run of one.
inline QByteArray encodePcx(int width, int height, const LevelAt &levelAt)
{
    const int line = (width + 1) / 2 * 2;
    QByteArray bytes;
    bytes.append(char(10)).append(char(5)).append(char(1)).append(char(8));
    for (const int value : {0, 0, width - 1, height - 1, 72, 72})
        appendLittleEndian16(&bytes, value);
    bytes.append(QByteArray(48 + 1, '\0')).append(char(3));
    appendLittleEndian16(&bytes, line);
    appendLittleEndian16(&bytes, 1);
    bytes.append(QByteArray(128 - bytes.size(), '\0'));
    for (int r = 0; r < height; ++r) {
        for (int plane = 0; plane < 3; ++plane) {
            for (int c = 0; c < line; ++c) {
                const std::uint8_t v = c < width ? levelAt(r, c) : 0;
                if (v >= 0xc0)
                    bytes.append(char(0xc1));
                bytes.append(char(v));
            }
        }
    }
    return bytes;
}

/// A `width` × `height` picture of grey levels stored as `kind`.
inline QByteArray encodeGreyPicture(int width, int height, const LevelAt &levelAt, PictureKind kind)
{
    if (kind == PictureKind::RgbPcx)
        return encodePcx(width, height, levelAt);

    bool rgb = false;
    FIBITMAP *bitmap = nullptr;
    switch (kind) {
    case PictureKind::Grey16Png:
        bitmap = FreeImage_AllocateT(FIT_UINT16, width, height, 16);
        break;
    case PictureKind::RgbaPng:
        rgb = true;
        bitmap = FreeImage_Allocate(width, height, 32);
        break;
    case PictureKind::RgbPng:
    case PictureKind::RgbBmp:
    case PictureKind::RgbTiff:
    case PictureKind::RgbTga:
    case PictureKind::Ppm:
    case PictureKind::Jpeg:
        rgb = true;
        bitmap = FreeImage_Allocate(width, height, 24);
        break;
    default:
        bitmap = FreeImage_Allocate(width, height, 8);
        break;
    }
    const unsigned bytesPerPixel = FreeImage_GetBPP(bitmap) / 8;
    const bool reversed = kind == PictureKind::ReversedPalettePng;
    if (RGBQUAD *palette = FreeImage_GetPalette(bitmap)) {
        for (int i = 0; i < 256; ++i) {
            const BYTE grey = BYTE(reversed ? 255 - i : i);
            palette[i] = RGBQUAD{grey, grey, grey, 0};
        }
    }
    for (int r = 0; r < height; ++r) {
        // FreeImage keeps the bottom line first.
        BYTE *line = FreeImage_GetScanLine(bitmap, height - 1 - r);
        for (int c = 0; c < width; ++c) {
            const std::uint8_t v = levelAt(r, c);
            BYTE *pixel = line + c * bytesPerPixel;
            if (kind == PictureKind::Grey16Png) {
                reinterpret_cast<std::uint16_t *>(line)[c] = std::uint16_t(v * 257);
            } else if (rgb) {
                pixel[FI_RGBA_RED] = pixel[FI_RGBA_GREEN] = pixel[FI_RGBA_BLUE] = v;
                if (bytesPerPixel == 4)
                    pixel[FI_RGBA_ALPHA] = 255;
            } else {
                *pixel = BYTE(reversed ? 255 - v : v);
            }
        }
    }
    switch (kind) {
    case PictureKind::PaletteBmp:
    case PictureKind::RgbBmp:
        return encodeBitmap(bitmap, FIF_BMP);
    case PictureKind::GreyTiff:
    case PictureKind::RgbTiff:
        return encodeBitmap(bitmap, FIF_TIFF);
    case PictureKind::GreyTga:
    case PictureKind::RgbTga:
        return encodeBitmap(bitmap, FIF_TARGA);
    case PictureKind::Pgm:
        return encodeBitmap(bitmap, FIF_PGMRAW);
    case PictureKind::Ppm:
        return encodeBitmap(bitmap, FIF_PPMRAW);
    case PictureKind::Jpeg:
        return encodeBitmap(bitmap, FIF_JPEG, JPEG_QUALITYSUPERB);
    default:
        return encodeBitmap(bitmap, FIF_PNG);
    }
}

/// A 1-bit picture: `bright(row, column)` pixels take the white palette entry,
/// which is entry `whiteIndex`; the others take black.
inline QByteArray encodeBilevelPicture(int width, int height,
                                       const std::function<bool(int, int)> &bright, int whiteIndex,
                                       FREE_IMAGE_FORMAT format)
{
    FIBITMAP *bitmap = FreeImage_Allocate(width, height, 1);
    RGBQUAD *palette = FreeImage_GetPalette(bitmap);
    palette[whiteIndex] = RGBQUAD{255, 255, 255, 0};
    palette[1 - whiteIndex] = RGBQUAD{0, 0, 0, 0};
    for (int r = 0; r < height; ++r) {
        BYTE *line = FreeImage_GetScanLine(bitmap, height - 1 - r);
        for (int c = 0; c < width; ++c) {
            const int index = bright(r, c) ? whiteIndex : 1 - whiteIndex;
            if (index)
                line[c / 8] |= BYTE(0x80 >> (c % 8));
            else
                line[c / 8] &= BYTE(~(0x80 >> (c % 8)));
        }
    }
    return encodeBitmap(bitmap, format);
}

/// The grey ramp: 16 × 16 pixels, level 16 × row + column, so every level 0 to
/// 255 appears exactly once.
inline std::uint8_t rampLevel(int row, int column)
{
    return std::uint8_t(16 * row + column);
}

} // namespace Kernwick::Test
