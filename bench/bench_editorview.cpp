// One repaint of the editor view and one scroll step, for the default font and for
// a 65535-glyph font of 16 × 16 pixels, drawn into an image of the window's size, at
// every zoom step (the second argument, in percent).

#include "editor/viewlayout.h"
#include "editor/viewrenderer.h"

#include "libkernwick/font/font.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <random>

using namespace Kernwick;

namespace {

const QSize Window(780, 470); // the editor's part of a 780 × 550 main window

Font hugeFont()
{
    Font f;
    f.first = 0;
    f.height = 16;
    f.ascent = 12;
    f.ldepth = 1;
    f.resizeGlyphTable(MaxGlyphs);
    std::mt19937 random(3);
    for (Glyph &g : f.glyphs) {
        g.reset(16, 16);
        for (auto &p : g.pixels)
            p = std::uint8_t(random() % 3);
    }
    f.computeFileSize();
    return f;
}

const Font &fontFor(int which)
{
    static const Font small = defaultFont();
    static const Font huge = hugeFont();
    return which == 0 ? small : huge;
}

void repaint(benchmark::State &state, const Font &font, const ViewLayout &layout, QPoint scroll)
{
    QImage image(Window, QImage::Format_RGB32);
    ViewFrame frame;
    frame.font = &font;
    frame.layout = &layout;
    frame.currentIndex = font.chars() / 2;
    frame.viewport = Window;
    for (auto _ : state) {
        frame.scroll = scroll;
        QPainter painter(&image);
        paintView(painter, frame);
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}

// Every font at every zoom step.
void fontsAndZooms(benchmark::internal::Benchmark *benchmark)
{
    benchmark->ArgNames({"huge", "zoom"});
    for (const int font : {0, 1})
        for (const int zoom : ViewLayout::ZoomSteps)
            benchmark->Args({font, zoom});
}

void BM_Repaint(benchmark::State &state)
{
    const Font &font = fontFor(int(state.range(0)));
    const ViewLayout layout(font, int(state.range(1)));
    // The huge font is shown halfway down its strip.
    const int y = font.chars() > 1000 ? layout.documentSize().height() / 2 : 0;
    repaint(state, font, layout, QPoint(0, y));
}
BENCHMARK(BM_Repaint)->Apply(fontsAndZooms)->Unit(benchmark::kMillisecond);

// A scroll step moves the view by one arrow step and repaints it all.
void BM_ScrollStep(benchmark::State &state)
{
    const Font &font = fontFor(int(state.range(0)));
    const ViewLayout layout(font, int(state.range(1)));
    QImage image(Window, QImage::Format_RGB32);
    ViewFrame frame;
    frame.font = &font;
    frame.layout = &layout;
    frame.currentIndex = 0;
    frame.viewport = Window;
    const int range = std::max(1, layout.documentSize().height() - Window.height());
    int y = 0;
    for (auto _ : state) {
        y = (y + 2 * layout.cellSize()) % range;
        frame.scroll = QPoint(0, y);
        QPainter painter(&image);
        paintView(painter, frame);
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_ScrollStep)->Apply(fontsAndZooms)->Unit(benchmark::kMillisecond);

// Laying the view out again, as every edit of the font does.
void BM_Layout(benchmark::State &state)
{
    const Font &font = fontFor(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(ViewLayout(font).documentSize());
}
BENCHMARK(BM_Layout)->Arg(0)->Arg(1)->ArgName("huge")->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv); // text drawing needs the platform's fonts
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
