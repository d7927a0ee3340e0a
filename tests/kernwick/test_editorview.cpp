// The editor view on the offscreen platform: what it draws and what the mouse does.

#include "editor/editorview.h"
#include "editor/viewrenderer.h"
#include "qtprinters.h"
#include "widgetsapp.h"

#include "libkernwick/font/document.h"

#include <QImage>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

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
    font.ldepth = 1;
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
    EXPECT_EQ(document.font().ascent, 3);
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
