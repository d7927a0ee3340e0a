// One repaint of the editor view (also with glyph labels) and one scroll step, for
// the default font and for a 65535-glyph font of 16 × 16 pixels, drawn into an image
// of the window's size, at every zoom step (the second argument, in percent); and one
// paint stroke dragged through the main window for both fonts. With the grid's tools:
// a repaint with a selection and a line preview shown over the grid, and a line
// preview dragged through the main window.

#include "app/mainwindow.h"
#include "editor/editorview.h"
#include "editor/tooloverlay.h"
#include "editor/viewlayout.h"
#include "editor/viewrenderer.h"

#include "libkernwick/font/document.h"
#include "libkernwick/font/font.h"
#include "libkernwick/font/glyphdrawing.h"

#include <QApplication>
#include <QDockWidget>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <random>

using namespace Kernwick;

namespace {

const QSize Window(780, 470); // the editor's part of a 780 × 550 main window

Font hugeFont()
{
    Font f;
    f.header.first = 0;
    f.header.height = 16;
    f.header.ascent = 12;
    f.header.ldepth = 1;
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

// The tools' marks a repaint draws over the grid after the font.
struct OverlayAt
{
    const ToolOverlay *overlay = nullptr;
    QPoint origin; ///< the grid's top left in the viewport
};

// Repaints the view of `font`, showing its middle glyph, at `scroll`.
void repaint(benchmark::State &state, const Font &font, const ViewLayout &layout, QPoint scroll,
             const QFont &labelFont = {}, OverlayAt marks = {})
{
    QImage image(Window, QImage::Format_RGB32);
    ViewFrame frame;
    frame.font = &font;
    frame.layout = &layout;
    frame.currentIndex = font.chars() / 2;
    frame.viewport = Window;
    frame.labelFont = labelFont;
    for (auto _ : state) {
        frame.scroll = scroll;
        QPainter painter(&image);
        paintView(painter, frame);
        if (marks.overlay)
            paintToolOverlay(painter, *marks.overlay, marks.origin, layout.cellSize(),
                             font.header.ldepth, QRect(QPoint(), Window));
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

// The same with glyph labels under the thumbnails: every visible glyph's character
// and code are drawn as text.
void BM_RepaintWithLabels(benchmark::State &state)
{
    const Font &font = fontFor(int(state.range(0)));
    const QFont labelFont = glyphLabelFont(QApplication::font());
    const ViewLayout layout(font, int(state.range(1)), 0, glyphLabelMetrics(labelFont));
    const int y = font.chars() > 1000 ? layout.documentSize().height() / 2 : 0;
    repaint(state, font, layout, QPoint(0, y), labelFont);
}
BENCHMARK(BM_RepaintWithLabels)->Apply(fontsAndZooms)->Unit(benchmark::kMillisecond);

// A repaint with the tools' marks over the current glyph's grid: a selection of
// most of the glyph, shown moved one cell down and right with its dashed frame,
// and a line preview corner to corner, as the view draws them after the font.
void BM_RepaintWithSelectionAndLine(benchmark::State &state)
{
    const Font &font = fontFor(int(state.range(0)));
    const ViewLayout layout(font, int(state.range(1)));
    const int index = font.chars() / 2;
    const Glyph &glyph = font.glyphs[std::size_t(index)];
    const PixelArea selected{1, 1, glyph.rowCount - 3, glyph.width - 3};
    Glyph after = glyph;
    moveArea(after, selected, 1, 1);
    drawLine(after, 0, 0, glyph.rowCount - 1, glyph.width - 1, 2);
    ToolOverlay overlay;
    overlay.pixels = ToolOverlay::changes(glyph, after);
    overlay.outline = PixelArea{2, 2, selected.rows, selected.columns};

    const QPoint gridAt = layout.grid(glyph.width, font.header.height).topLeft();
    const QPoint scroll = gridAt - QPoint(20, 10);
    repaint(state, font, layout, scroll, {}, {&overlay, gridAt - scroll});
    state.counters["marked"] = double(overlay.pixels.size());
}
BENCHMARK(BM_RepaintWithSelectionAndLine)->Apply(fontsAndZooms)->Unit(benchmark::kMillisecond);

// The largest preview: a filled rectangle over the whole of a 255 × 255 glyph,
// every visible cell marked, at every zoom step.
void BM_RepaintFilledRectanglePreview(benchmark::State &state)
{
    Font font = defaultFont();
    font.header.height = MaxGlyphSide;
    for (Glyph &g : font.glyphs)
        g.reset(MaxGlyphSide, MaxGlyphSide);
    const ViewLayout layout(font, int(state.range(0)));
    const Glyph &glyph = font.glyphs[0];
    ToolOverlay overlay;
    overlay.pixels = ToolOverlay::shape(
        glyph, {Drawing::Shape::FilledRectangle, 0, 0, MaxGlyphSide - 1, MaxGlyphSide - 1}, 1);

    const QPoint gridAt = layout.grid(glyph.width, font.header.height).topLeft();
    repaint(state, font, layout, QPoint(), {}, {&overlay, gridAt});
}
BENCHMARK(BM_RepaintFilledRectanglePreview)
    ->ArgName("zoom")
    ->Arg(50)
    ->Arg(100)
    ->Arg(800)
    ->Unit(benchmark::kMillisecond);

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

void BM_LayoutWithLabels(benchmark::State &state)
{
    const Font &font = fontFor(int(state.range(0)));
    const GlyphLabelMetrics labels = glyphLabelMetrics(glyphLabelFont(QApplication::font()));
    for (auto _ : state)
        benchmark::DoNotOptimize(
            ViewLayout(font, ViewLayout::ActualSize, 0, labels).documentSize());
}
BENCHMARK(BM_LayoutWithLabels)->Arg(0)->Arg(1)->ArgName("huge")->Unit(benchmark::kMillisecond);

void sendMouse(QWidget *surface, QEvent::Type type, QPoint point, Qt::MouseButtons buttons)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(point), QPointF(surface->mapToGlobal(point)), button, buttons,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(surface, &event);
}

// The main window on one of the benchmark fonts, its middle glyph current, and the
// place of each cell of that glyph's grid for the mouse.
struct WindowOnFont
{
    explicit WindowOnFont(int which, Tool tool = Tool::Pencil, bool withPreview = false)
        : window(PortTable::fromDevices({}))
    {
        window.document().takeImportedFont(fontFor(which));
        if (withPreview)
            window.preview().show();
        window.show();
        view().selectGlyph(window.document().font().chars() / 2);
        view().setTool(tool);
        QCoreApplication::processEvents();
    }
    EditorView &view() { return window.view(); }
    QWidget *surface() { return view().viewport(); }
    const Glyph &glyph()
    {
        return window.document().font().glyphs[std::size_t(window.view().currentIndex())];
    }
    QPoint at(int row, int column)
    {
        const int cell = view().layout().cellSize();
        return view().gridRect().topLeft() +
               QPoint(column * cell + cell / 2, row * cell + cell / 2);
    }

    MainWindow window;
};

// One stroke dragged through every cell of the current glyph in the main window
// with the Text Preview shown, the event loop turning after each mouse move as it
// does while a user drags: what the document's signals make the view, the preview
// and the menus do for each painted pixel, and the repaints that follow. Strokes
// paint white and transparent in turn, so every stroke changes pixels.
void BM_PaintStroke(benchmark::State &state)
{
    WindowOnFont on(int(state.range(0)), Tool::Pencil, true);
    EditorView &view = on.view();
    QWidget *surface = on.surface();
    const Glyph &glyph = on.glyph();
    const auto at = [&on](int row, int column) { return on.at(row, column); };
    bool white = true;
    for (auto _ : state) {
        state.PauseTiming();
        view.run(white ? EditOperation::White : EditOperation::Transparent);
        white = !white;
        QCoreApplication::processEvents();
        state.ResumeTiming();
        sendMouse(surface, QEvent::MouseButtonPress, at(0, 0), Qt::LeftButton);
        for (int r = 0; r < glyph.rowCount; ++r) {
            for (int c = 0; c < glyph.width; ++c) {
                sendMouse(surface, QEvent::MouseMove, at(r, c), Qt::LeftButton);
                QCoreApplication::processEvents();
            }
        }
        sendMouse(surface, QEvent::MouseButtonRelease, at(glyph.rowCount - 1, glyph.width - 1),
                  Qt::NoButton);
        QCoreApplication::processEvents();
    }
    state.SetItemsProcessed(state.iterations() * glyph.rowCount * glyph.width);
}
BENCHMARK(BM_PaintStroke)->Arg(0)->Arg(1)->ArgName("huge")->Unit(benchmark::kMillisecond);

// A line preview dragged through the main window: each mouse move builds the
// preview from the press to the pointer and the view repaints, the event loop
// turning after each move; the release paints the line, which an untimed undo
// takes back.
void BM_LinePreviewDrag(benchmark::State &state)
{
    WindowOnFont on(int(state.range(0)), Tool::Line);
    EditorView &view = on.view();
    QWidget *surface = on.surface();
    const Glyph &glyph = on.glyph();
    const auto at = [&on](int row, int column) { return on.at(row, column); };
    int moves = 0;
    for (auto _ : state) {
        sendMouse(surface, QEvent::MouseButtonPress, at(0, 0), Qt::LeftButton);
        for (int r = 0; r < glyph.rowCount; ++r) {
            sendMouse(surface, QEvent::MouseMove, at(r, glyph.width - 1 - r % glyph.width),
                      Qt::LeftButton);
            QCoreApplication::processEvents();
            ++moves;
        }
        sendMouse(surface, QEvent::MouseButtonRelease, at(glyph.rowCount - 1, 0), Qt::NoButton);
        QCoreApplication::processEvents();
        state.PauseTiming();
        view.undo();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(moves);
}
BENCHMARK(BM_LinePreviewDrag)->Arg(0)->Arg(1)->ArgName("huge")->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv); // text drawing needs the platform's fonts
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
