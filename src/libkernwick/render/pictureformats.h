#pragma once

#include <QByteArray>
#include <QByteArrayView>

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
        None,    ///< not a picture format the import reads
        Qt,      ///< one of Qt's picture readers, named by `name`; a BMP's and a
                 ///< TGA's `width` and `height` are its header's
        SizeOnly ///< a format whose pictures are always larger than a glyph:
                 ///< `width` and `height` say how large
    };
    Reader reader = Reader::None;
    QByteArray name; ///< "png", "tga", "bmp", ...
    qint64 width = 0;
    qint64 height = 0;
};

/// Recognises a picture's format from its first bytes: PNG, JPEG, GIF, BMP, TIFF,
/// WebP, PBM/PGM/PPM, XPM, XBM, ICNS, ICO and CUR, WBMP and uncompressed true-colour
/// TGA for Qt; Koala Paint (320 × 200) and Kodak Photo CD (768 × 512) by their
/// size alone. A header whose size makes no sense gives a size of 0.
PictureFormat recognisePicture(QByteArrayView bytes);

} // namespace Kernwick
