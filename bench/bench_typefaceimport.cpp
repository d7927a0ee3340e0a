// Rendering a typeface into a font: DejaVu Sans (Debian's fonts-dejavu-core), read
// from its file so every import starts with a cold glyph cache, 16 pixels high,
// anti-aliased in 2BPP and in one bit. "all" imports every code from 32 to the
// typeface's last: 65502 glyphs, of which the 5154 characters the typeface has are
// drawn; otherwise the 5,000 codes from 32 on (1562 of them characters). And writing
// and reading back a 65535-glyph font's glyph sheet.

#include "libkernwick/font/glyphsheet.h"
#include "libkernwick/render/glyphsheetimage.h"
#include "libkernwick/render/typefaceimport.h"

#include <QBuffer>
#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <algorithm>

using namespace Kernwick;

namespace {

const QString DejaVuSans = QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");

void BM_ImportTypeface(benchmark::State &state)
{
    Typeface typeface;
    QString error;
    if (!Typeface::load(DejaVuSans, &typeface, &error)) {
        state.SkipWithError(error.toStdString().c_str());
        return;
    }
    TypefaceChoice choice;
    choice.height = 16;
    choice.first = 32;
    choice.count = 5000;
    choice.allCodes = state.range(0) != 0;
    choice.antialiased = state.range(1) != 0;
    qint64 drawn = 0;
    for (auto _ : state) {
        Font font;
        if (!importTypeface(typeface, choice, &font, &error))
            state.SkipWithError(error.toStdString().c_str());
        drawn = std::count_if(font.glyphs.begin(), font.glyphs.end(),
                              [](const Glyph &g) { return g.width > 0; });
        benchmark::DoNotOptimize(font.glyphs.data());
    }
    state.counters["characters"] = double(drawn);
}
BENCHMARK(BM_ImportTypeface)
    ->ArgNames({"all", "antialiased"})
    ->Args({0, 1})
    ->Args({0, 0})
    ->Args({1, 1})
    ->Args({1, 0})
    ->Unit(benchmark::kMillisecond);

Font everyGlyph()
{
    Font font = defaultFont();
    font.header.first = 0;
    font.resizeGlyphTable(MaxGlyphs);
    for (Glyph &g : font.glyphs)
        g.reset(font.header.height, 8);
    return font;
}

void BM_SheetRoundTrip(benchmark::State &state)
{
    const Font font = everyGlyph();
    QString error;
    for (auto _ : state) {
        QBuffer buffer;
        buffer.open(QIODevice::ReadWrite);
        writeGlyphSheet(font, &buffer, &error);
        buffer.seek(0);
        Font read;
        if (!readGlyphSheet(&buffer, &read, &error))
            state.SkipWithError(error.toStdString().c_str());
        benchmark::DoNotOptimize(read.glyphs.data());
    }
}
BENCHMARK(BM_SheetRoundTrip)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv); // typefaces need the platform's font database
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
