// Writing and reading .zvf files. Throughput counts pixel data: one byte per pixel,
// as the font model holds it.

#include "libkernwick/font/zvffile.h"

#include <benchmark/benchmark.h>

#include <random>

using namespace Kernwick;

namespace {

Font makeFont(int glyphs, int side, int ldepth)
{
    Font f;
    f.header.height = std::uint8_t(side);
    f.header.ldepth = std::uint8_t(ldepth);
    f.resizeGlyphTable(glyphs);
    std::mt19937 random(7);
    const int values = ldepth == 0 ? 2 : 3;
    for (Glyph &g : f.glyphs) {
        g.reset(side, side);
        for (auto &p : g.pixels)
            p = std::uint8_t(random() % values);
    }
    return f;
}

std::int64_t pixelBytes(const Font &f)
{
    return std::int64_t(f.header.height) * f.totalWidth();
}

void writeFont(benchmark::State &state, int glyphs, int side, int ldepth)
{
    Font font = makeFont(glyphs, side, ldepth);
    for (auto _ : state)
        benchmark::DoNotOptimize(writeZvf(font));
    state.SetBytesProcessed(state.iterations() * pixelBytes(font));
}

void readFont(benchmark::State &state, int glyphs, int side, int ldepth)
{
    Font font = makeFont(glyphs, side, ldepth);
    const QByteArray file = writeZvf(font);
    for (auto _ : state) {
        Font back;
        if (readZvf(file, &back) != ZvfRead::Ok)
            state.SkipWithError("read failed");
        benchmark::DoNotOptimize(back.glyphs.data());
    }
    state.SetBytesProcessed(state.iterations() * pixelBytes(font));
}

} // namespace

BENCHMARK_CAPTURE(writeFont, glyphs65535_16x16_2bpp, 65535, 16, 1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(readFont, glyphs65535_16x16_2bpp, 65535, 16, 1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(writeFont, glyphs95_255x255_2bpp, 95, 255, 1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(readFont, glyphs95_255x255_2bpp, 95, 255, 1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(writeFont, glyphs95_255x255_1bpp, 95, 255, 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(readFont, glyphs95_255x255_1bpp, 95, 255, 0)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
