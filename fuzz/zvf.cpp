// The .zvf reader on arbitrary bytes. A refused file leaves the font as it was; an
// accepted one saves and reads back as the same font, so nothing a file holds is
// lost by opening and saving it.

#include "libkernwick/font/zvffile.h"

#include <cstdint>
#include <cstdlib>

using namespace Kernwick;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView bytes(data, qsizetype(size));
    Font font = defaultFont();
    const Font before = font;
    if (readZvf(bytes, &font) != ZvfRead::Ok) {
        if (font != before)
            std::abort();
        return 0;
    }

    const QByteArray saved = writeZvf(font);
    Font reread;
    if (readZvf(saved, &reread) != ZvfRead::Ok || reread != font)
        std::abort();
    return 0;
}
