// Rendering 5,000 characters of a typeface into a font: DejaVu Sans (Debian's
// fonts-dejavu-core) from code 32 on, 16 pixels high, anti-aliased in 2BPP and in one
// bit; and writing and reading a 65535-glyph font's glyph sheet.

#include "libkernwick/font/glyphsheet.h"
#include "libkernwick/render/glyphsheetimage.h"
#include "libkernwick/render/typefaceimport.h"

#include <QBuffer>
#include <QGuiApplication>

#include <benchmark/benchmark.h>

using namespace Kernwick;

namespace {

void BM_ImportTypeface(benchmark::State &state)
{
    Typeface typeface;
    QString error;
    if (!Typeface::load(QStringLiteral("DejaVu Sans"), &typeface, &error)) {
        state.SkipWithError(error.toStdString().c_str());
        return;
    }
    TypefaceChoice choice;
    choice.height = 16;
    choice.first = 32;
    choice.count = 5000;
    choice.antialiased = state.range(0) != 0;
    for (auto _ : state) {
        Font font;
        if (!importTypeface(typeface, choice, &font, &error))
            state.SkipWithError(error.toStdString().c_str());
        benchmark::DoNotOptimize(font.glyphs.data());
    }
    state.SetItemsProcessed(state.iterations() * choice.count);
}
BENCHMARK(BM_ImportTypeface)->Arg(1)->Arg(0)->ArgName("antialiased")->Unit(benchmark::kMillisecond);

Font everyGlyph()
{
    Font font = defaultFont();
    font.first = 0;
    font.resizeGlyphTable(MaxGlyphs);
    for (Glyph &g : font.glyphs)
        g.reset(font.height, 8);
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
