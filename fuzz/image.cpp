// Picture files from memory: whatever loads must be a picture a glyph can hold,
// and must import into a consistent one-glyph font at every threshold choice.

#include "libkernwick/font/imageimport.h"
#include "libkernwick/font/loadedimage.h"
#include "libkernwick/render/imagefile.h"

#include <cstdint>
#include <cstdlib>

using namespace Kernwick;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    LoadedImage picture;
    QString error;
    if (loadImageData(QByteArrayView(data, qsizetype(size)), &picture, &error) != ImageLoad::Ok) {
        if (error.isEmpty())
            std::abort(); // every refusal says why
        return 0;
    }
    const GreyImage &image = picture.image;
    if (image.width < 1 || image.width > 255 || image.height < 1 || image.height > 255 ||
        image.levels.size() != std::size_t(image.width) * std::size_t(image.height))
        std::abort();

    const Font before = defaultFont();
    for (const bool threeColour : {true, false}) {
        ImageImportChoice choice;
        choice.threshold.threeColour = threeColour;
        choice.invert = !threeColour;
        const ImageImport result = importImage(before, picture, choice);
        const Font &font = result.font;
        if (font.chars() != 1 || font.header.height != image.height ||
            font.glyphs[0].width != image.width || font.glyphs[0].rowCount != image.height)
            std::abort();
        const std::uint8_t highest = font.header.ldepth == 0 ? 1 : 2;
        for (const std::uint8_t p : font.glyphs[0].pixels)
            if (p > highest)
                std::abort();
    }
    return 0;
}
