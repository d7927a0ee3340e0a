#pragma once

#include "libkernwick/font/greyimage.h"
#include "libkernwick/font/loadedimage.h"

#include <QByteArrayView>
#include <QString>

namespace Kernwick {

/// Loads the picture file at `path`, a regular file of at most MaxImageFileBytes;
/// see loadImageData(). On anything but Ok, `*image` is untouched and `error`
/// holds the message (for ReadFailed the system's text, or "not a regular file").
ImageLoad loadImageFile(const QString &path, LoadedImage *image, QString *error);

/// Loads a picture held in memory, recognising its format from its content alone
/// (see recognisePicture()): PNG, BMP, JPEG, GIF, TIFF, ICO, PBM/PGM/PPM, XBM,
/// XPM, WebP, WBMP, ICNS and uncompressed true-colour TGA through Qt's readers.
/// Kodak Photo CD and Koala Paint pictures are recognised too; their fixed sizes
/// (768 × 512 and 320 × 200) are always too wide.
///
/// The picture's size is read from its header before any pixel is decoded, so a
/// file that claims a huge picture is refused without building it, and the
/// decoders may allocate no more than a 255 × 255 picture needs. On anything but
/// Ok, `*image` is untouched and `error` holds the message.
ImageLoad loadImageData(QByteArrayView bytes, LoadedImage *image, QString *error);

/// Writes `image` as an 8-bit grey picture in the format its file name's
/// extension names (as "Save Modified Image" does), atomically. On failure the
/// file at `path` is unchanged and `error` says why: ImageFormatNotWritable for an
/// extension no picture writer takes.
bool saveGreyImageFile(const QString &path, const GreyImage &image, QString *error);

} // namespace Kernwick
