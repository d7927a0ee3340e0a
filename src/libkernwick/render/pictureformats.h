#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>

namespace Kernwick {

/// A picture's format as its content shows it, and what reads it.
///
/// Formats are told apart by their content alone, never by a file name, and
/// without asking the readers: several formats have no signature (TGA, WBMP) and
/// Qt's readers would take one for another (a TGA's first bytes are also a valid
/// start of a cursor file).
struct PictureFormat
{
    enum class Reader
    {
        None,      ///< not a picture format the import reads
        Qt,        ///< one of Qt's picture readers, named by `name`; a BMP's
                   ///< `width` and `height` are its header's
        FreeImage, ///< FreeImage, for the formats Qt does not read; `width` and
                   ///< `height` are the header's
        SizeOnly   ///< a format whose pictures are always larger than a glyph:
                   ///< `width` and `height` say how large
    };
    Reader reader = Reader::None;
    QByteArray name; ///< "png", "tga", "pcx", ...
    qint64 width = 0;
    qint64 height = 0;
};

/// Recognises a picture's format from its first bytes: PNG, JPEG, GIF, BMP, TIFF,
/// WebP, PBM/PGM/PPM, XPM, XBM, ICNS, ICO and CUR, WBMP and TGA 2.0 files of
/// uncompressed true colour for Qt; PCX and every other TGA (older files, palette,
/// grey, run-length encoded) for FreeImage; Koala Paint (320 × 200) and Kodak
/// Photo CD (768 × 512) by their size alone. A header whose size makes no sense
/// gives a size of 0.
PictureFormat recognisePicture(QByteArrayView bytes);

/// Decodes a picture that recognisePicture() gave to FreeImage: Format_Mono for 1
/// bit per pixel, Format_Indexed8 with its palette for 4 and 8 bits,
/// Format_RGB32 otherwise. A null image when it cannot be decoded or its size is
/// not the header's.
QImage decodeWithFreeImage(QByteArrayView bytes, const PictureFormat &format);

} // namespace Kernwick
