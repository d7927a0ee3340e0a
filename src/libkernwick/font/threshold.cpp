#include "libkernwick/font/threshold.h"

#include <algorithm>

namespace Kernwick {

GreyImage applyThreshold(const GreyImage &source, const ThresholdChoice &choice)
{
    GreyImage result = source;
    std::transform(source.levels.begin(), source.levels.end(), result.levels.begin(),
                   [&choice](std::uint8_t v) {
                       if (v >= choice.whiteThreshold)
                           return ThresholdWhite;
                       if (choice.threeColour && v > choice.blackThreshold)
                           return ThresholdHalftone;
                       return ThresholdBlack;
                   });
    return result;
}

void invertImage(GreyImage *image)
{
    for (std::uint8_t &v : image->levels)
        v = std::uint8_t(255 - v);
}

} // namespace Kernwick
