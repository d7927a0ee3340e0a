#include "libkernwick/font/imageimport.h"

#include <QtGlobal>

namespace Kernwick {

namespace {

// The one-glyph font of a `width` × `height` picture, every pixel transparent.
Font blankImageFont(const Font &current, int width, int height, std::uint8_t ldepth)
{
    Q_ASSERT(width >= 1 && width <= MaxGlyphSide && height >= 1 && height <= MaxGlyphSide);
    Font font = current;
    font.resizeGlyphTable(1);
    if (font.glyphs.empty())
        font.glyphs.emplace_back();
    font.glyphs[0].reset(height, width);
    font.header.height = std::uint8_t(height);
    font.header.ascent = std::uint8_t(height - 1);
    font.header.ldepth = ldepth;
    font.header.skip = 0;
    font.header.pixwidth = std::uint32_t(width);
    font.header.first = 32;
    return font;
}

ImageImport finish(Font font, GreyImage thresholded)
{
    font.computeFileSize();
    ImageImport result;
    result.font = std::move(font);
    result.thresholded = std::move(thresholded);
    return result;
}

} // namespace

ImageImport importThresholdedImage(const Font &current, const GreyImage &thresholded,
                                   bool threeColour)
{
    Font font = blankImageFont(current, thresholded.width, thresholded.height, threeColour ? 1 : 0);
    const std::uint8_t white = font.whiteValue();
    Glyph &glyph = font.glyphs[0];
    for (int r = 0; r < thresholded.height; ++r) {
        for (int c = 0; c < thresholded.width; ++c) {
            switch (thresholded.level(r, c)) {
            case ThresholdWhite:
                glyph.setPixel(r, c, white);
                break;
            case ThresholdHalftone:
                glyph.setPixel(r, c, 1);
                break;
            default:
                break;
            }
        }
    }
    return finish(std::move(font), thresholded);
}

ImageImport importImage(const Font &current, const LoadedImage &picture,
                        const ImageImportChoice &choice)
{
    if (picture.bilevel) {
        Font font = blankImageFont(current, picture.image.width, picture.image.height, 0);
        Glyph &glyph = font.glyphs[0];
        for (int r = 0; r < picture.image.height; ++r) {
            for (int c = 0; c < picture.image.width; ++c)
                glyph.setPixel(r, c, picture.image.level(r, c) == 255 ? 1 : 0);
        }
        return finish(std::move(font), picture.image);
    }
    GreyImage source = picture.image;
    if (choice.invert)
        invertImage(&source);
    return importThresholdedImage(current, applyThreshold(source, choice.threshold),
                                  choice.threshold.threeColour);
}

} // namespace Kernwick
