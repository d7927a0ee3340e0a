#pragma once

// Pictures for the image import tests in the formats and depths a user's drawing
// program writes: encoded with Qt's writers, TGA by hand (Qt writes none).

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageWriter>

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
    RgbTga,             ///< 24-bit uncompressed TGA, bottom line first, no TGA 2.0 footer
    TopDownTga,         ///< 32-bit uncompressed TGA, top line first, with the footer
    Pgm,                ///< binary PGM
    Ppm,                ///< binary PPM
    Jpeg                ///< 24-bit JPEG at quality 100
};

/// A picture's pixel at (row from the top, column).
using LevelAt = std::function<std::uint8_t(int row, int column)>;

/// `image` written by Qt's writer for `format` ("png", "bmp", "tiff", ...).
inline QByteArray encodeImage(const QImage &image, const char *format, int quality = -1)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    return writer.write(image) ? bytes : QByteArray();
}

/// A grey picture as uncompressed true-colour TGA, written by hand: the 18-byte
/// header, then blue, green, red (and alpha) for each pixel.
inline QByteArray encodeTga(int width, int height, const LevelAt &levelAt, bool topDown)
{
    const int depth = topDown ? 32 : 24;
    QByteArray bytes(18, '\0');
    bytes[2] = 2; // uncompressed true colour
    bytes[12] = char(width & 0xff);
    bytes[13] = char(width >> 8);
    bytes[14] = char(height & 0xff);
    bytes[15] = char(height >> 8);
    bytes[16] = char(depth);
    bytes[17] = char(topDown ? 0x28 : 0); // top-left origin, 8 bits of alpha
    for (int i = 0; i < height; ++i) {
        const int r = topDown ? i : height - 1 - i;
        for (int c = 0; c < width; ++c) {
            const char v = char(levelAt(r, c));
            bytes.append(v).append(v).append(v);
            if (depth == 32)
                bytes.append(char(0xff));
        }
    }
    if (topDown)
        bytes.append(QByteArray(8, '\0')).append("TRUEVISION-XFILE.\0", 18);
    return bytes;
}

/// A `width` × `height` picture of grey levels stored as `kind`.
inline QByteArray encodeGreyPicture(int width, int height, const LevelAt &levelAt, PictureKind kind)
{
    if (kind == PictureKind::RgbTga || kind == PictureKind::TopDownTga)
        return encodeTga(width, height, levelAt, kind == PictureKind::TopDownTga);

    QImage::Format format = QImage::Format_Grayscale8;
    switch (kind) {
    case PictureKind::Grey16Png:
        format = QImage::Format_Grayscale16;
        break;
    case PictureKind::RgbaPng:
        format = QImage::Format_ARGB32;
        break;
    case PictureKind::RgbPng:
    case PictureKind::RgbBmp:
    case PictureKind::RgbTiff:
    case PictureKind::Ppm:
    case PictureKind::Jpeg:
        format = QImage::Format_RGB32;
        break;
    case PictureKind::GreyPalettePng:
    case PictureKind::ReversedPalettePng:
    case PictureKind::PaletteBmp:
        format = QImage::Format_Indexed8;
        break;
    default:
        break;
    }
    QImage image(width, height, format);
    const bool reversed = kind == PictureKind::ReversedPalettePng;
    if (format == QImage::Format_Indexed8) {
        QList<QRgb> table;
        for (int i = 0; i < 256; ++i)
            table.append(reversed ? qRgb(255 - i, 255 - i, 255 - i) : qRgb(i, i, i));
        image.setColorTable(table);
    }
    for (int r = 0; r < height; ++r) {
        uchar *line = image.scanLine(r);
        for (int c = 0; c < width; ++c) {
            const std::uint8_t v = levelAt(r, c);
            switch (format) {
            case QImage::Format_Grayscale16:
                reinterpret_cast<std::uint16_t *>(line)[c] = std::uint16_t(v * 257);
                break;
            case QImage::Format_ARGB32:
            case QImage::Format_RGB32:
                reinterpret_cast<QRgb *>(line)[c] = qRgba(v, v, v, 255);
                break;
            default:
                line[c] = uchar(reversed ? 255 - v : v);
                break;
            }
        }
    }
    switch (kind) {
    case PictureKind::PaletteBmp:
    case PictureKind::RgbBmp:
        return encodeImage(image, "bmp");
    case PictureKind::GreyTiff:
    case PictureKind::RgbTiff:
        return encodeImage(image, "tiff");
    case PictureKind::Pgm:
        return encodeImage(image, "pgm");
    case PictureKind::Ppm:
        return encodeImage(image, "ppm");
    case PictureKind::Jpeg:
        return encodeImage(image, "jpeg", 100);
    default:
        return encodeImage(image, "png");
    }
}

/// A 1-bit picture in `format` ("bmp", "png", "tiff"): `bright(row, column)`
/// pixels take the white palette entry, which is entry `whiteIndex`; the others
/// take black.
inline QByteArray encodeBilevelPicture(int width, int height,
                                       const std::function<bool(int, int)> &bright, int whiteIndex,
                                       const char *format)
{
    QImage image(width, height, QImage::Format_Mono);
    QList<QRgb> table(2);
    table[whiteIndex] = qRgb(255, 255, 255);
    table[1 - whiteIndex] = qRgb(0, 0, 0);
    image.setColorTable(table);
    for (int r = 0; r < height; ++r)
        for (int c = 0; c < width; ++c)
            image.setPixel(c, r, bright(r, c) ? whiteIndex : 1 - whiteIndex);
    return encodeImage(image, format);
}

/// The grey ramp: 16 × 16 pixels, level 16 × row + column, so every level 0 to
/// 255 appears exactly once.
inline std::uint8_t rampLevel(int row, int column)
{
    return std::uint8_t(16 * row + column);
}

} // namespace Kernwick::Test
