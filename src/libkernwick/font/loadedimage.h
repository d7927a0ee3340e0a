#pragma once

#include "libkernwick/font/greyimage.h"

#include <QtGlobal>

namespace Kernwick {

/// The message for a file that is not a picture any reader can decode.
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
    /// bit per pixel is reduced to 8 bits; a palette entry counts by its colour's
    /// brightness, not by its index.
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
    Unreadable, ///< not a picture any reader can decode: ImageUnreadable
    TooWide,    ///< ImageTooWide
    TooHigh     ///< ImageTooHigh
};

} // namespace Kernwick
