#pragma once

// Pictures for the image import tests, encoded with FreeImage in the formats and
// depths a user's drawing program writes.

#include <FreeImage.h>

#include <QByteArray>

#include <cstdint>
#include <functional>

namespace Kernwick::Test {

/// How a picture of grey levels is stored.
enum class PictureKind
{
    GreyPng,           ///< 8-bit greyscale PNG
    Grey16Png,         ///< 16-bit greyscale PNG
    RgbaPng,           ///< 32-bit PNG with an opaque alpha channel
    RgbBmp,            ///< 24-bit BMP
    GreyTiff,          ///< 8-bit greyscale TIFF
    RgbTiff,           ///< 24-bit TIFF
    ReversedPalettePng ///< 8-bit palette PNG whose index i holds grey 255 - i
};

/// A picture's pixel at (row from the top, column).
using LevelAt = std::function<std::uint8_t(int row, int column)>;

inline QByteArray encodeBitmap(FIBITMAP *bitmap, FREE_IMAGE_FORMAT format)
{
    FIMEMORY *memory = FreeImage_OpenMemory();
    QByteArray bytes;
    if (FreeImage_SaveToMemory(format, bitmap, memory)) {
        BYTE *data = nullptr;
        DWORD size = 0;
        FreeImage_AcquireMemory(memory, &data, &size);
        bytes = QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
    }
    FreeImage_CloseMemory(memory);
    FreeImage_Unload(bitmap);
    return bytes;
}

/// A `width` × `height` picture of grey levels stored as `kind`.
inline QByteArray encodeGreyPicture(int width, int height, const LevelAt &levelAt, PictureKind kind)
{
    FIBITMAP *bitmap = nullptr;
    switch (kind) {
    case PictureKind::Grey16Png:
        bitmap = FreeImage_AllocateT(FIT_UINT16, width, height, 16);
        break;
    case PictureKind::RgbaPng:
        bitmap = FreeImage_Allocate(width, height, 32);
        break;
    case PictureKind::RgbBmp:
    case PictureKind::RgbTiff:
        bitmap = FreeImage_Allocate(width, height, 24);
        break;
    default:
        bitmap = FreeImage_Allocate(width, height, 8);
        break;
    }
    const unsigned bytesPerPixel = FreeImage_GetBPP(bitmap) / 8;
    if (kind == PictureKind::ReversedPalettePng) {
        RGBQUAD *palette = FreeImage_GetPalette(bitmap);
        for (int i = 0; i < 256; ++i)
            palette[i] = RGBQUAD{BYTE(255 - i), BYTE(255 - i), BYTE(255 - i), 0};
    }
    for (int r = 0; r < height; ++r) {
        // FreeImage keeps the bottom line first.
        BYTE *line = FreeImage_GetScanLine(bitmap, height - 1 - r);
        for (int c = 0; c < width; ++c) {
            const std::uint8_t v = levelAt(r, c);
            BYTE *pixel = line + c * bytesPerPixel;
            switch (kind) {
            case PictureKind::Grey16Png:
                reinterpret_cast<std::uint16_t *>(line)[c] = std::uint16_t(v * 257);
                break;
            case PictureKind::ReversedPalettePng:
                *pixel = BYTE(255 - v);
                break;
            case PictureKind::RgbaPng:
                pixel[FI_RGBA_ALPHA] = 255;
                [[fallthrough]];
            case PictureKind::RgbBmp:
            case PictureKind::RgbTiff:
                pixel[FI_RGBA_RED] = pixel[FI_RGBA_GREEN] = pixel[FI_RGBA_BLUE] = v;
                break;
            default:
                *pixel = v;
                break;
            }
        }
    }
    const bool tiff = kind == PictureKind::GreyTiff || kind == PictureKind::RgbTiff;
    const bool bmp = kind == PictureKind::RgbBmp;
    return encodeBitmap(bitmap, tiff ? FIF_TIFF : bmp ? FIF_BMP : FIF_PNG);
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
