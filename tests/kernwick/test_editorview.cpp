// The editor view on the offscreen platform: what it draws and what the mouse does.

#include "editor/editorview.h"
#include "editor/viewrenderer.h"
#include "qtprinters.h"
#include "testapplication.h"

#include "libkernwick/font/document.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <set>

KERNWICK_TEST_APPLICATION(QApplication);

using namespace Kernwick;

namespace {

class EditorViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        view.resize(780, 500);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    }
    QImage rendered() { return view.viewport()->grab().toImage(); }
    QColor at(const QImage &image, int x, int y) { return image.pixelColor(x, y); }
    QWidget *surface() { return view.viewport(); }
    std::uint8_t pixel(int index, int row, int column) const
    {
        return document.font().glyphs[std::size_t(index)].pixel(row, column);
    }
    // The centre of cell (column, row) in the viewport.
    static QPoint cell(int column, int row) { return QPoint(25 + 10 * column, 15 + 10 * row); }

    Document document;
    EditorView view{document};
};

} // namespace

TEST_F(EditorViewTest, TheDefaultGridSitsAtItsPlaceWithItsColours)
{
    const QImage image = rendered();
    EXPECT_EQ(at(image, 25, 15), ViewColors::LightGreen) << "transparent cells";
    EXPECT_EQ(at(image, 95, 145), ViewColors::LightGreen) << "the last cell, at (90, 140)";
    EXPECT_EQ(at(image, 105, 15), ViewColors::White) << "no cell right of column 7";
    // Row 10 (the ascent) is bordered red, column 0 (Left) blue, red winning.
    EXPECT_EQ(at(image, 45, 110), ViewColors::Red);
    EXPECT_EQ(at(image, 45, 120), ViewColors::Red);
    EXPECT_EQ(at(image, 20, 115), ViewColors::Red);
    EXPECT_EQ(at(image, 30, 55), ViewColors::Blue);
    EXPECT_EQ(at(image, 20, 55), ViewColors::Blue);
    EXPECT_EQ(at(image, 40, 55), ViewColors::Grey);
    // The red frame one pixel outside the grid.
    EXPECT_EQ(at(image, 19, 60), ViewColors::Red);
    EXPECT_EQ(at(image, 101, 60), ViewColors::Red);
    EXPECT_EQ(at(image, 60, 151), ViewColors::Red);
    // The first thumbnail is framed at (20, 200).
    EXPECT_EQ(at(image, 19, 210), ViewColors::Red);
    EXPECT_EQ(at(image, 25, 210), ViewColors::LightGreen);
}

TEST_F(EditorViewTest, PaintedPixelsShowTheirValuesColour)
{
    Font font = defaultFont();
    font.header.ldepth = 1;
    font.glyphs[0].setPixel(0, 0, 1);
    font.glyphs[0].setPixel(0, 1, 2);
    font.glyphs[0].setPixel(0, 2, 3);
    document.takeImportedFont(font);
    const QImage image = rendered();
    EXPECT_EQ(at(image, cell(0, 0).x(), cell(0, 0).y()), ViewColors::Grey);
    EXPECT_EQ(at(image, cell(1, 0).x(), cell(1, 0).y()), ViewColors::White);
    EXPECT_EQ(at(image, cell(2, 0).x(), cell(2, 0).y()), ViewColors::ValueThree);
    // The thumbnail's first pixel, 2 × 2 at (20, 200); the red line to the grid
    // starts on its corner.
    EXPECT_EQ(at(image, 21, 201), ViewColors::Grey);
    EXPECT_EQ(at(image, 23, 201), ViewColors::White);
}

TEST_F(EditorViewTest, ADragPaintsOnMoveAndReleaseButNeverOnPressAsOneStep)
{
    QTest::mousePress(surface(), Qt::LeftButton, {}, cell(1, 1));
    EXPECT_EQ(pixel(0, 1, 1), 0) << "a press alone paints nothing";
    EXPECT_FALSE(document.isModified());
    QTest::mouseMove(surface(), cell(2, 1));
    QTest::mouseMove(surface(), cell(3, 2));
    EXPECT_EQ(pixel(0, 1, 2), 1);
    EXPECT_TRUE(document.isModified());
    QTest::mouseRelease(surface(), Qt::LeftButton, {}, cell(4, 2));
    EXPECT_EQ(pixel(0, 2, 3), 1);
    EXPECT_EQ(pixel(0, 2, 4), 1);
    EXPECT_EQ(pixel(0, 1, 1), 0) << "the press point was never painted";

    ASSERT_TRUE(document.canUndo());
    view.undo();
    EXPECT_FALSE(document.canUndo()) << "the whole drag is one step";
    EXPECT_EQ(pixel(0, 2, 4), 0);
    EXPECT_FALSE(document.isModified());
}

TEST_F(EditorViewTest, PaintingRedrawsWithoutLayingOutAgainAndRecordsTheStrokeOnce)
{
    QSignalSpy pixels(&document, &Document::glyphChanged);
    QSignalSpy shape(&document, &Document::fontChanged);
    QSignalSpy history(&document, &Document::historyChanged);
    QTest::mousePress(surface(), Qt::LeftButton, {}, cell(1, 1));
    QTest::mouseMove(surface(), cell(2, 1));
    QTest::mouseMove(surface(), cell(3, 1));
    EXPECT_EQ(pixels.count(), 2);
    EXPECT_EQ(shape.count(), 0) << "pixels alone leave the layout as it is";
    EXPECT_EQ(history.count(), 0) << "the history changes when the stroke ends";

    QTest::mouseRelease(surface(), Qt::LeftButton, {}, cell(4, 1));
    EXPECT_EQ(pixels.count(), 3);
    EXPECT_EQ(pixels.at(0).at(0).toInt(), 0) << "the current glyph";
    EXPECT_EQ(shape.count(), 0);
    EXPECT_EQ(history.count(), 1);
    const QImage image = rendered();
    EXPECT_EQ(at(image, cell(3, 1).x(), cell(3, 1).y()), ViewColors::White);
}

TEST_F(EditorViewTest, AStrokeEndsWhenTheViewMovesToAnotherGlyph)
{
    QTest::mousePress(surface(), Qt::LeftButton, {}, cell(1, 1));
    QTest::mouseMove(surface(), cell(2, 1));
    ASSERT_EQ(pixel(0, 1, 2), 1);
    QTest::keyClick(&view, Qt::Key_Right);
    ASSERT_EQ(view.currentIndex(), 1);
    EXPECT_EQ(document.undoText(), QStringLiteral("Paint")) << "the stroke was recorded";

    // The rest of the drag paints neither the glyph left behind nor the one shown.
    QTest::mouseMove(surface(), cell(3, 1));
    QTest::mouseRelease(surface(), Qt::LeftButton, {}, cell(4, 1));
    EXPECT_EQ(pixel(0, 1, 3), 0);
    EXPECT_EQ(pixel(0, 1, 4), 0);
    EXPECT_EQ(pixel(1, 1, 3), 0);
    EXPECT_EQ(pixel(1, 1, 4), 0);

    view.undo();
    EXPECT_FALSE(document.canUndo()) << "the first glyph's stroke is the only step";
    EXPECT_FALSE(document.isModified());

    // The next press paints the glyph shown again.
    QTest::mouseClick(surface(), Qt::LeftButton, {}, cell(5, 1));
    EXPECT_EQ(pixel(view.currentIndex(), 1, 5), 1);
}

TEST_F(EditorViewTest, AWholeFontCommandOnALargeFontShowsTheBusyCursorWhileItRuns)
{
    // The cursor each change of the font's shape saw, while the command ran.
    std::vector<bool> busy;
    QObject::connect(&document, &Document::fontChanged, &view, [&busy] {
        const QCursor *cursor = QGuiApplication::overrideCursor();
        busy.push_back(cursor && cursor->shape() == Qt::WaitCursor);
    });
    view.run(EditOperation::InsertRow);
    EXPECT_EQ(busy, std::vector<bool>{false}) << "the default font is small";

    Font large = defaultFont();
    large.resizeGlyphTable(260);
    for (Glyph &g : large.glyphs)
        g.reset(255, 255);
    large.header.height = 255;
    large.computeFileSize();
    ASSERT_GE(260 * 255 * 255, Document::LargeFontPixels);
    document.takeImportedFont(large);
    busy.clear();
    view.run(EditOperation::DeleteRow);
    view.run(EditOperation::DeleteColumn);
    view.undo();
    EXPECT_EQ(busy, (std::vector<bool>{true, false, true}))
        << "a whole-font command and an undo on a large font; a one-glyph command is quick";
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "the cursor is back";
}

TEST_F(EditorViewTest, ADragWithAModifierKeyPaintsOnlyWhereItIsReleased)
{
    QTest::mousePress(surface(), Qt::LeftButton, Qt::ShiftModifier, cell(1, 1));
    QMouseEvent move(QEvent::MouseMove, cell(2, 1), surface()->mapToGlobal(cell(2, 1)),
                     Qt::NoButton, Qt::LeftButton, Qt::ShiftModifier);
    QCoreApplication::sendEvent(surface(), &move);
    EXPECT_EQ(pixel(0, 1, 2), 0);
    QTest::mouseRelease(surface(), Qt::LeftButton, Qt::ShiftModifier, cell(3, 1));
    EXPECT_EQ(pixel(0, 1, 3), 1);
}

TEST_F(EditorViewTest, AThumbnailClickPicksItsGlyph)
{
    const QRect thumb = view.layout().thumbnail(40);
    QTest::mouseClick(surface(), Qt::LeftButton, {}, thumb.center());
    EXPECT_EQ(view.currentIndex(), 40);
    EXPECT_EQ(view.state().currentCode, 72);
    // Between thumbnails nothing happens, and nothing is painted.
    QTest::mouseClick(surface(), Qt::LeftButton, {}, QPoint(thumb.right() + 2, thumb.center().y()));
    EXPECT_EQ(view.currentIndex(), 40);
    EXPECT_FALSE(document.isModified());
}

// Whether any pixel of `rect` in `image` is dark, as text is on the white strip.
bool hasInk(const QImage &image, QRect rect)
{
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            if (qGray(image.pixel(x, y)) < 160)
                return true;
    return false;
}

TEST_F(EditorViewTest, GlyphLabelsShowTheCharacterAndCodeAndClicksStillPick)
{
    // Codes 7E to 81: a tilde, then three control characters.
    Font font = defaultFont();
    font.header.first = 0x7E;
    font.resizeGlyphTable(4);
    for (Glyph &g : font.glyphs)
        g.reset(font.header.height, 8);
    font.computeFileSize();
    document.takeImportedFont(font);
    const int plainHeight = view.layout().documentSize().height();
    view.setGlyphLabels(true);
    ASSERT_TRUE(view.showsGlyphLabels());
    ASSERT_TRUE(view.layout().showsLabels());
    EXPECT_GE(view.layout().documentSize().height(), plainHeight);
    EXPECT_GT(view.layout().linePitch(), view.layout().lineHeight() + view.layout().thumbGap());

    const QImage image = rendered();
    for (int i = 0; i < 4; ++i) {
        const QRect label = view.layout().label(i);
        const int half = view.layout().labelHeight() / 2;
        const QRect characterLine(label.topLeft(), QSize(label.width(), half));
        const QRect codeLine(label.topLeft() + QPoint(0, half), QSize(label.width(), half));
        EXPECT_EQ(hasInk(image, characterLine), i == 0) << "only the tilde is printable";
        EXPECT_TRUE(hasInk(image, codeLine)) << i;
    }

    QTest::mouseClick(surface(), Qt::LeftButton, {}, view.layout().label(2).center());
    EXPECT_EQ(view.state().currentCode, 0x80);
    QTest::mouseClick(surface(), Qt::LeftButton, {}, view.layout().thumbnail(3).center());
    EXPECT_EQ(view.state().currentCode, 0x81);
    EXPECT_FALSE(document.isModified());

    view.setGlyphLabels(false);
    EXPECT_FALSE(view.layout().showsLabels());
    EXPECT_TRUE(view.layout().label(0).isNull());
}

TEST_F(EditorViewTest, AGlyphWithoutColumnsCannotBePaintedOutsideItself)
{
    for (int i = 0; i < 8; ++i)
        view.run(EditOperation::DeleteColumn);
    ASSERT_EQ(document.font().glyphs[0].width, 0);
    const Font before = document.font();
    QTest::mouseClick(surface(), Qt::LeftButton, {}, cell(0, 0));
    EXPECT_EQ(document.font(), before);
}

TEST_F(EditorViewTest, TheScrollAreaFollowsEditsThatChangeTheFontsSize)
{
    const int before = view.verticalScrollBar()->maximum();
    for (int i = 0; i < 40; ++i)
        view.run(EditOperation::InsertRow);
    EXPECT_GT(view.verticalScrollBar()->maximum(), before);
    const int tall = view.verticalScrollBar()->maximum();
    for (int i = 0; i < 40; ++i)
        view.run(EditOperation::DeleteRow);
    EXPECT_LT(view.verticalScrollBar()->maximum(), tall);
}

TEST_F(EditorViewTest, ARightClickPicksTheCellForSetAscentAndSetLeft)
{
    QTest::mouseClick(surface(), Qt::RightButton, {}, cell(5, 3));
    EXPECT_EQ(view.state().pickRow, 3);
    EXPECT_EQ(view.state().pickColumn, 5);
    view.setAscentAction()->trigger();
    view.setLeftAction()->trigger();
    EXPECT_EQ(document.font().header.ascent, 3);
    EXPECT_EQ(document.font().glyphs[0].left, 5);
    EXPECT_TRUE(document.isModified());
}

TEST_F(EditorViewTest, AFontWithoutGlyphsDrawsAnEmptyState)
{
    Font font = defaultFont();
    font.glyphs.clear();
    font.computeFileSize();
    document.takeImportedFont(font);
    EXPECT_EQ(view.currentIndex(), -1);
    const QImage image = rendered();
    EXPECT_EQ(at(image, 25, 15), ViewColors::White) << "no grid";
    QTest::mouseClick(surface(), Qt::LeftButton, {}, cell(0, 0));
    EXPECT_FALSE(document.isModified());
}

namespace {

// Turns the wheel by `notches` with Ctrl held at `point` of the viewport.
void ctrlWheel(QWidget *surface, QPoint point, int notches)
{
    QWheelEvent wheel(point, surface->mapToGlobal(point), QPoint(),
                      QPoint(0, notches * QWheelEvent::DefaultDeltasPerStep), Qt::NoButton,
                      Qt::ControlModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(surface, &wheel);
}

// The cell of the current glyph under a viewport point, as a click would paint it.
std::pair<int, int> cellUnder(const EditorView &view, QPoint point)
{
    const QRect grid = view.gridRect();
    const int cell = view.layout().cellSize();
    return {(point.x() - grid.x()) / cell, (point.y() - grid.y()) / cell};
}

} // namespace

TEST_F(EditorViewTest, CtrlWheelZoomsAboutTheCellUnderThePointerAndPaintingFollows)
{
    Font font = defaultFont();
    for (Glyph &g : font.glyphs)
        g.reset(40, 60); // large enough to scroll both ways at every zoom
    font.header.height = 40;
    document.takeImportedFont(font);
    const QPoint pointer = cell(12, 20) + QPoint(3, -2);
    ASSERT_EQ(cellUnder(view, pointer), std::pair(12, 20));

    ctrlWheel(surface(), pointer, 1);
    EXPECT_EQ(view.zoom(), 150);
    EXPECT_EQ(cellUnder(view, pointer), std::pair(12, 20));
    ctrlWheel(surface(), pointer, 1);
    ASSERT_EQ(view.zoom(), 200);
    EXPECT_EQ(view.layout().cellSize(), 20);
    EXPECT_EQ(cellUnder(view, pointer), std::pair(12, 20)) << "the cell stays under the pointer";

    QTest::mouseClick(surface(), Qt::LeftButton, {}, pointer);
    EXPECT_EQ(pixel(0, 20, 12), 1) << "a click paints the cell under the pointer";
    // Another cell at 200 %: its centre in the viewport is where the grid puts it.
    const QPoint other = view.gridRect().topLeft() + QPoint(20 * 15 + 10, 20 * 22 + 10);
    QTest::mouseClick(surface(), Qt::LeftButton, {}, other);
    EXPECT_EQ(pixel(0, 22, 15), 1);
    const Font &painted = document.font();
    int ink = 0;
    for (const auto p : painted.glyphs[0].pixels)
        ink += p;
    EXPECT_EQ(ink, 2) << "nothing else was painted";

    ctrlWheel(surface(), pointer, -2);
    EXPECT_EQ(view.zoom(), 100);
    EXPECT_EQ(cellUnder(view, pointer), std::pair(12, 20));
}

TEST_F(EditorViewTest, ZoomScalesTheGridAndTheThumbnails)
{
    view.zoomIn();
    view.zoomIn();
    ASSERT_EQ(view.zoom(), 200);
    EXPECT_EQ(view.layout().thumbnail(0).size(), QSize(32, 56));
    view.verticalScrollBar()->setValue(0);
    view.horizontalScrollBar()->setValue(0);
    const QImage image = rendered();
    EXPECT_EQ(at(image, 20 + 20 * 7 + 10, 10 + 20 * 13 + 10), ViewColors::LightGreen)
        << "the last cell, 20 pixels a side";
    EXPECT_EQ(at(image, 181, 15), ViewColors::Red) << "the frame after column 7";
    view.actualSize();
    EXPECT_EQ(view.zoom(), 100);
    EXPECT_EQ(view.layout().thumbnail(0), QRect(20, 200, 16, 28));
    while (view.canZoomOut())
        view.zoomOut();
    EXPECT_EQ(view.zoom(), 50);
    EXPECT_EQ(view.layout().cellSize(), 5);
    EXPECT_EQ(view.layout().thumbScale(), 1);
}

TEST_F(EditorViewTest, ZoomingOnAThumbnailKeepsItsStripLineUnderThePointer)
{
    // The lines break elsewhere at another zoom, so a glyph moves along its line,
    // but the line of the glyph under the pointer stays there while the strip
    // reaches that far.
    Font font = defaultFont();
    font.resizeGlyphTable(3000);
    for (Glyph &g : font.glyphs)
        g.reset(font.header.height, 8);
    document.takeImportedFont(font);
    view.showGlyph(1500);
    const auto scroll = [this] {
        return QPoint(view.horizontalScrollBar()->value(), view.verticalScrollBar()->value());
    };
    const QPoint pointer = view.layout().thumbnail(1500).center() - scroll();
    ASSERT_TRUE(view.viewport()->rect().contains(pointer));
    for (const int notches : {1, 1, -3}) {
        const QPoint spot = pointer + scroll();
        const int under = view.layout().glyphNear(view.layout().lineAtHeight(spot.y()), spot.x());
        ctrlWheel(surface(), pointer, notches);
        const QRect box = view.layout().glyphBox(under);
        const int y = pointer.y() + scroll().y();
        EXPECT_TRUE(y >= box.top() && y <= box.bottom())
            << "zoom " << view.zoom() << ": " << y << " outside " << box.top() << ".."
            << box.bottom();
    }
    EXPECT_EQ(view.zoom(), 50);
}

TEST_F(EditorViewTest, ZoomFromTheMenuKeepsTheCurrentGridInViewAtEveryStep)
{
    Font font = defaultFont();
    for (Glyph &g : font.glyphs)
        g.reset(40, 30);
    font.header.height = 40;
    document.takeImportedFont(font);
    view.selectGlyph(90);
    view.showGlyph(90); // the strip's end: the grid is out of view
    ASSERT_FALSE(view.viewport()->rect().intersects(view.gridRect()));
    const auto check = [this] {
        const QRect shown = view.viewport()->rect();
        const QRect grid = view.gridRect();
        if (grid.width() <= shown.width() && grid.height() <= shown.height())
            EXPECT_TRUE(shown.contains(grid)) << "zoom " << view.zoom();
        else
            EXPECT_EQ(shown.intersected(grid).size(), grid.size().boundedTo(shown.size()))
                << "zoom " << view.zoom() << ": as much of the grid as fits";
        EXPECT_LE(view.horizontalScrollBar()->maximum(),
                  std::max(0, view.layout().documentSize().width() - shown.width()));
        EXPECT_LE(view.verticalScrollBar()->maximum(),
                  std::max(0, view.layout().documentSize().height() - shown.height()));
    };
    while (view.canZoomIn()) {
        view.zoomIn();
        check();
    }
    EXPECT_EQ(view.zoom(), 800);
    while (view.canZoomOut()) {
        view.zoomOut();
        check();
    }
    EXPECT_EQ(view.zoom(), 50);
}

TEST_F(EditorViewTest, ActualSizeOfContentThatFitsLeavesNoScrollBar)
{
    for (int i = 0; i < 4; ++i)
        view.zoomIn();
    ASSERT_EQ(view.zoom(), 300);
    ASSERT_GT(view.verticalScrollBar()->maximum(), 0);
    view.horizontalScrollBar()->setValue(view.horizontalScrollBar()->maximum());
    view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum());
    view.actualSize();
    QApplication::processEvents();
    EXPECT_EQ(view.horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(view.verticalScrollBar()->maximum(), 0);
    EXPECT_FALSE(view.horizontalScrollBar()->isVisible());
    EXPECT_FALSE(view.verticalScrollBar()->isVisible());
    EXPECT_EQ(view.gridRect().topLeft(), ViewLayout::GridOrigin) << "shown from the top left";
}

TEST_F(EditorViewTest, CellsStayCrispOnHighDensityScreens)
{
    Font font = defaultFont();
    font.header.ldepth = 1;
    for (int c = 0; c < 8; ++c)
        font.glyphs[0].setPixel(3, c, std::uint8_t(c % 4));
    const ViewLayout layout(font, 150);
    const std::set<QRgb> viewColours = {ViewColors::Grey.rgb(),       ViewColors::Red.rgb(),
                                        ViewColors::Blue.rgb(),       ViewColors::White.rgb(),
                                        ViewColors::LightGreen.rgb(), ViewColors::ValueThree.rgb()};
    for (const qreal ratio : {1.0, 1.5, 2.0}) {
        const QSize logical(500, 400);
        QImage image(logical * ratio, QImage::Format_RGB32);
        image.setDevicePixelRatio(ratio);
        ViewFrame frame;
        frame.font = &font;
        frame.layout = &layout;
        frame.currentIndex = 0;
        frame.viewport = logical;
        {
            QPainter painter(&image);
            paintView(painter, frame);
        }
        // Every device pixel of the grid and the strip is one of the view's
        // colours: nothing is blended or smoothed.
        const QRect grid = layout.grid(8, font.header.height).adjusted(-1, -1, 1, 1);
        const QRect thumb = layout.thumbnail(0);
        for (const QRect &area : {grid, thumb}) {
            ASSERT_TRUE(QRect(QPoint(0, 0), logical).contains(area));
            const QRect device(area.topLeft() * ratio, area.size() * ratio);
            int foreign = 0;
            for (int y = device.top(); y <= device.bottom(); ++y)
                for (int x = device.left(); x <= device.right(); ++x)
                    foreign += viewColours.count(image.pixel(x, y)) == 0;
            EXPECT_EQ(foreign, 0) << "ratio " << ratio;
        }
        // A cell is filled edge to edge in device pixels.
        const QPoint centre = (grid.topLeft() + QPoint(1 + 15 * 2 + 7, 1 + 15 * 3 + 7)) * ratio;
        EXPECT_EQ(QColor(image.pixel(centre)), ViewColors::White) << "row 3, column 2";
    }
}

TEST_F(EditorViewTest, KeysMoveTheCurrentGlyphThroughTheStrip)
{
    view.setFocus();
    const auto press = [this](Qt::Key key) { QTest::keyClick(&view, key); };
    press(Qt::Key_Right);
    EXPECT_EQ(view.currentIndex(), 1);
    press(Qt::Key_Left);
    press(Qt::Key_Left);
    EXPECT_EQ(view.currentIndex(), 0) << "the first glyph stays first";
    // The strip uses the view's 780 pixels: 40 glyphs a line, not the 38 of the
    // smallest document.
    const int perLine = view.layout().lineStart(1);
    EXPECT_EQ(perLine, 40);
    press(Qt::Key_Down);
    EXPECT_EQ(view.currentIndex(), perLine) << "the glyph below, on the second line";
    press(Qt::Key_Right);
    press(Qt::Key_Up);
    EXPECT_EQ(view.currentIndex(), 1);
    press(Qt::Key_End);
    EXPECT_EQ(view.currentIndex(), 94);
    press(Qt::Key_Right);
    EXPECT_EQ(view.currentIndex(), 94);
    press(Qt::Key_PageUp);
    EXPECT_EQ(view.currentIndex(), 94 % perLine) << "a page up goes to the first line at most";
    press(Qt::Key_Home);
    EXPECT_EQ(view.currentIndex(), 0);
    QTest::keyClick(&view, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(view.currentIndex(), 0) << "a modifier key leaves the glyph alone";
    EXPECT_FALSE(document.isModified());
}

TEST_F(EditorViewTest, TheStripScrollsToKeepTheCurrentGlyphInView)
{
    Font font = defaultFont();
    font.resizeGlyphTable(3000);
    for (Glyph &g : font.glyphs)
        g.reset(font.header.height, 8);
    font.glyphs[2999].reset(font.header.height, 0); // the last one has no thumbnail
    document.takeImportedFont(font);
    view.setFocus();
    QApplication::processEvents(); // the scroll bar comes
    const int perLine = view.layout().lineStart(1);
    EXPECT_EQ(view.layout().documentSize().width(), view.viewport()->width())
        << "the strip fills the view beside its scroll bar";
    const auto visible = [this](int index) {
        const QRect shown(
            QPoint(view.horizontalScrollBar()->value(), view.verticalScrollBar()->value()),
            view.viewport()->size());
        return shown.contains(view.layout().glyphBox(index));
    };
    QTest::keyClick(&view, Qt::Key_End);
    EXPECT_EQ(view.currentIndex(), 2999);
    EXPECT_GT(view.verticalScrollBar()->value(), 0);
    EXPECT_TRUE(visible(2999));
    QTest::keyClick(&view, Qt::Key_PageUp);
    const int paged = view.currentIndex();
    EXPECT_LT(paged, 2999 - perLine * 5) << "a page is several lines";
    EXPECT_TRUE(visible(paged));
    QTest::keyClick(&view, Qt::Key_Home);
    EXPECT_EQ(view.currentIndex(), 0);
    EXPECT_TRUE(visible(0));
    for (int i = 0; i < 20; ++i)
        QTest::keyClick(&view, Qt::Key_Down);
    EXPECT_EQ(view.currentIndex(), 20 * perLine);
    EXPECT_TRUE(visible(20 * perLine));
}

TEST_F(EditorViewTest, EveryThumbnailShowsItsOwnPixelsAtEveryZoom)
{
    // Glyph i has one white pixel, in column i % 8 of row 0.
    Font font = defaultFont();
    for (int i = 0; i < font.chars(); ++i)
        font.glyphs[std::size_t(i)].setPixel(0, i % 8, 1);
    // Labels widen the columns and centre the thumbnails in them.
    const QFont labelFont = glyphLabelFont(QApplication::font());
    for (const GlyphLabelMetrics labels : {GlyphLabelMetrics(), glyphLabelMetrics(labelFont)})
        for (const int zoom : ViewLayout::ZoomSteps) {
            const ViewLayout layout(font, zoom, 0, labels);
            const QSize size = layout.documentSize();
            QImage image(size, QImage::Format_RGB32);
            ViewFrame frame;
            frame.font = &font;
            frame.layout = &layout;
            frame.viewport = size;
            frame.labelFont = labelFont;
            {
                QPainter painter(&image);
                paintView(painter, frame);
            }
            const int s = layout.thumbScale();
            for (int i = 0; i < font.chars(); ++i) {
                const QRect thumb = layout.thumbnail(i);
                for (int c = 0; c < 8; ++c) {
                    const QPoint centre = thumb.topLeft() + QPoint(c * s + s / 2, s / 2);
                    const QColor expected = c == i % 8 ? ViewColors::White : ViewColors::LightGreen;
                    ASSERT_EQ(QColor(image.pixel(centre)), expected)
                        << "zoom " << zoom << ", labels " << labels.shown() << ", glyph " << i
                        << ", column " << c;
                }
            }
        }
}

TEST_F(EditorViewTest, ANewFontStartsAtTheTopWithTheScrollRangeItNeeds)
{
    Font font = defaultFont();
    for (Glyph &g : font.glyphs)
        g.reset(40, 30);
    font.header.height = 40;
    document.takeImportedFont(font);
    ctrlWheel(surface(), cell(25, 35), 3); // zoomed in near the grid's far corner
    ASSERT_GT(view.horizontalScrollBar()->value(), 0);
    document.takeImportedFont(defaultFont());
    EXPECT_EQ(view.horizontalScrollBar()->value(), 0);
    EXPECT_EQ(view.verticalScrollBar()->value(), 0);
    const ViewLayout &layout = view.layout();
    EXPECT_EQ(view.horizontalScrollBar()->maximum(),
              std::max(0, layout.documentSize().width() - view.viewport()->width()));
    EXPECT_EQ(view.verticalScrollBar()->maximum(),
              std::max(0, layout.documentSize().height() - view.viewport()->height()));
}
