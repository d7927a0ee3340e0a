#pragma once

#include "libkernwick/font/font.h"
#include "libkernwick/font/greyimage.h"
#include "libkernwick/font/loadedimage.h"
#include "libkernwick/font/threshold.h"

namespace Kernwick {

/// What the user chose for a picture of more than one bit per pixel.
struct ImageImportChoice
{
    ThresholdChoice threshold;
    bool invert = false; ///< "Invert Image" pressed an odd number of times
};

/// A font made from a picture, and how the document takes it.
struct ImageImport
{
    /// The new font: one glyph at code 32 holding the whole picture, Ascent one
    /// less than the picture's height, Skip 0, Pixwidth the picture's width, its
    /// file size computed. Name, Layout and glyph 0's Offset, Left and reserved
    /// bytes are the previous font's.
    Font font;
    /// The picture the glyph was taken from: the thresholded picture (levels 0,
    /// 128 and 255), or a bilevel picture as loaded. "Save Modified Image" writes it.
    GreyImage thresholded;
    bool layoutDirty = true;   ///< the editor view starts over at the first code
    bool keepFileName = false; ///< the document forgets its file name: Save asks for one
    bool modified = false;     ///< the document is left marked not modified
};

/// Makes the font for a picture as the import's OK does; `current` is never
/// changed. A bilevel picture becomes a 1BPP glyph (level 255 is 1) and the
/// choice does not apply. A deeper picture is inverted when asked, thresholded
/// with the choice, and mapped into a 2BPP glyph with three colours (halftone 1,
/// white 2) or a 1BPP glyph with two (white 1); black is transparent.
///
/// The picture must be 1 to 255 pixels on each side, as loading ensures.
ImageImport importImage(const Font &current, const LoadedImage &picture,
                        const ImageImportChoice &choice);

/// Makes the font for a thresholded picture (levels ThresholdBlack,
/// ThresholdHalftone and ThresholdWhite), as the Threshold Image dialog's OK
/// does with its Modified Image; see importImage().
ImageImport importThresholdedImage(const Font &current, const GreyImage &thresholded,
                                   bool threeColour);

} // namespace Kernwick
