// Whole-font commands on the largest fonts the editor meets: the time of Delete
// Row and its undo on a 16384-glyph 255 x 255 2BPP font, and the process's peak
// memory (the font itself is about 1 GB).

#include "libkernwick/font/document.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

using namespace Kernwick;

namespace {

Font largeFont()
{
    Font f;
    f.header.first = 0;
    f.header.height = 255;
    f.header.ascent = 200;
    f.header.ldepth = 1;
    f.resizeGlyphTable(16384);
    for (std::size_t i = 0; i < f.glyphs.size(); ++i) {
        Glyph &g = f.glyphs[i];
        g.reset(255, 255);
        for (int r = 0; r < 255; ++r)
            g.setPixel(r, int((r + i) % 255), 2);
    }
    f.computeFileSize();
    return f;
}

double peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

void BM_DeleteRowOnALargeFont(benchmark::State &state)
{
    Document document;
    document.takeImportedFont(largeFont());
    ViewState view;
    view.currentCode = 0;
    const double fontMegabytes = peakMegabytes();
    for (auto _ : state) {
        document.apply(EditOperation::DeleteRow, view);
        state.PauseTiming();
        document.undo(&view);
        state.ResumeTiming();
    }
    state.counters["peak_MB_with_font"] = fontMegabytes;
    state.counters["peak_MB"] = peakMegabytes();
    state.counters["history_bytes"] = double(document.history().recordedBytes());
}
BENCHMARK(BM_DeleteRowOnALargeFont)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_UndoDeleteRowOnALargeFont(benchmark::State &state)
{
    Document document;
    document.takeImportedFont(largeFont());
    ViewState view;
    view.currentCode = 0;
    for (auto _ : state) {
        state.PauseTiming();
        document.apply(EditOperation::DeleteRow, view);
        state.ResumeTiming();
        document.undo(&view);
    }
    state.counters["peak_MB"] = peakMegabytes();
}
BENCHMARK(BM_UndoDeleteRowOnALargeFont)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
