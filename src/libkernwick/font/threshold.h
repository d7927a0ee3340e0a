#pragma once

#include "libkernwick/font/greyimage.h"

#include <cstdint>

namespace Kernwick {

/// Levels of a thresholded picture.
inline constexpr std::uint8_t ThresholdBlack = 0;
inline constexpr std::uint8_t ThresholdHalftone = 128;
inline constexpr std::uint8_t ThresholdWhite = 255;

/// The choices of the Threshold Image dialog, with its opening values.
struct ThresholdChoice
{
    int blackThreshold = 100; ///< 0 to 255; only used with three colours
    int whiteThreshold = 150; ///< 0 to 255
    bool threeColour = true;  ///< 2BPP with halftone; false for 1BPP, two colours
};

/// Thresholds every level v of `source`: ThresholdWhite when v is at least the
/// white threshold; otherwise, with three colours, ThresholdHalftone when v is
/// above the black threshold; otherwise ThresholdBlack. The thresholds are not
/// put in order: with black at or above white there is no halftone.
GreyImage applyThreshold(const GreyImage &source, const ThresholdChoice &choice);

/// Turns every level v into 255 - v (the dialog's "Invert Image"); doing it twice
/// gives the picture back.
void invertImage(GreyImage *image);

} // namespace Kernwick
