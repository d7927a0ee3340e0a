#pragma once

#include "libkernwick/font/greyimage.h"

#include <QByteArrayView>
#include <QString>

namespace Kernwick {

/// The message for a file that is not a picture FreeImage can read.
inline constexpr char ImageUnreadable[] = "OOPS!";
/// The message for a picture wider than a glyph can be.
inline constexpr char ImageTooWide[] = "Image exceeds maximum width of 255 pixels";
/// The message for a picture higher than a font can be.
inline constexpr char ImageTooHigh[] = "Image exceeds maximum height of 255 pixels";
/// The caption of the boxes that show these messages.
inline constexpr char ImageErrorCaption[] = "File Error";
/// The message for a thresholded picture that cannot be written in the format its
/// file name asks for.
inline constexpr char ImageFormatNotWritable[] = "Cannot write a picture of this type";

/// The largest picture file read.
inline constexpr qint64 MaxImageFileBytes = qint64(256) * 1024 * 1024;

/// A picture as the image import takes it.
struct LoadedImage
{
    /// The brightness of every pixel, top row first. A picture of more than one
    /// bit per pixel is first reduced to 8 bits; a palette entry counts by its
    /// colour's brightness, not by its index.
    GreyImage image;
    /// The file holds 1 bit per pixel: the picture is taken as it is, without
    /// thresholding. Its pixels of the brighter palette colour have level 255, the
    /// others 0 (with two equally bright colours, index 1 is the bright one).
    bool bilevel = false;
};

/// Outcome of loading a picture.
enum class ImageLoad
{
    Ok,         ///< the picture was loaded
    ReadFailed, ///< the file could not be read; the error is the system's text
    Unreadable, ///< not a picture FreeImage can decode: ImageUnreadable
    TooWide,    ///< ImageTooWide
    TooHigh     ///< ImageTooHigh
};

/// Loads the picture file at `path` (at most MaxImageFileBytes), recognising its
/// format from its content, or from its file name when the content does not
/// tell. The picture's size is read from its header before any pixel is decoded,
/// so a file that claims a huge picture is refused without building it. On
/// anything but Ok, `*image` is untouched and `error` holds the message.
ImageLoad loadImageFile(const QString &path, LoadedImage *image, QString *error);

/// Loads a picture held in memory, as loadImageFile() does; `fileName` (may be
/// empty) only helps to recognise formats whose content does not name them.
ImageLoad loadImageData(QByteArrayView bytes, LoadedImage *image, QString *error,
                        const QString &fileName = {});

/// Writes `image` as an 8-bit grey picture in the format its file name's
/// extension names (as "Save Modified Image" does), atomically. On failure the
/// file at `path` is unchanged and `error` says why.
bool saveGreyImageFile(const QString &path, const GreyImage &image, QString *error);

} // namespace Kernwick
