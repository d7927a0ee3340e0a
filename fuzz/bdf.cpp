// BDF scan and import on arbitrary text, at both depths with gaps retained and
// not, in fixed cells and as drawn, for all characters from the first encoding and
// for 95 from the one after. Every font an import makes must save and read back
// unchanged; a font imported as drawn must also export to BDF and import back the
// same.

#include "libkernwick/font/bdfexport.h"
#include "libkernwick/font/bdfimport.h"
#include "libkernwick/font/zvffile.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

using namespace Kernwick;

namespace {

struct Variant
{
    std::uint8_t depth;
    bool retainGaps;
    int firstPastScan; // added to the file's first encoding
    int count;
    bool asDrawn;
};

constexpr Variant variants[] = {
    {0, true, 0, 65535, false}, {1, false, 0, 65535, false}, {0, false, 1, 95, false},
    {1, true, 1, 95, false},    {0, true, 0, 65535, true},   {1, false, 1, 95, true},
};

// The font as BDF and back, as drawn: the same glyphs, codes, Height and Ascent.
bool exportsAndReadsBack(const Font &font)
{
    const QByteArray text = exportBdf(font).text;
    BdfScan scan;
    QString error;
    if (!scanBdf(text, &scan, &error))
        return false;
    ImportFontChoice choice =
        initialImportFontChoice(scan.characterCount, scan.firstEncoding, QStringLiteral("fuzz"));
    choice.depth = font.header.ldepth;
    choice.countToImport = 65535;
    choice.asDrawn = true;
    Font back;
    if (!importBdf(text, scan, choice, &back, &error))
        return false;
    writeZvf(back); // the strip offsets a save gives, as `font` has them
    return back.glyphs == font.glyphs && back.header.first == font.header.first &&
           back.header.height == font.header.height && back.header.ascent == font.header.ascent;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView text(data, qsizetype(size));
    BdfScan scan;
    QString error;
    if (!scanBdf(text, &scan, &error)) {
        if (error.isEmpty())
            std::abort();
        return 0;
    }

    for (const Variant &v : variants) {
        ImportFontChoice choice = initialImportFontChoice(scan.characterCount, scan.firstEncoding,
                                                          QStringLiteral("fuzz"));
        choice.depth = v.depth;
        choice.retainGaps = v.retainGaps;
        choice.firstToImport = int(
            std::clamp<std::int64_t>(std::int64_t(scan.firstEncoding) + v.firstPastScan, 0, 65535));
        choice.countToImport = v.count;
        choice.asDrawn = v.asDrawn;
        Font font = defaultFont();
        const Font before = font;
        if (!importBdf(text, scan, choice, &font, &error)) {
            if (font != before || error.isEmpty())
                std::abort();
            continue;
        }
        const QByteArray saved = writeZvf(font);
        Font reread;
        if (readZvf(saved, &reread) != ZvfRead::Ok || reread != font)
            std::abort();
        if (v.asDrawn && !exportsAndReadsBack(font))
            std::abort();
    }
    return 0;
}
