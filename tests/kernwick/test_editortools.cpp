// The grid's tools in the editor view on the offscreen platform: shapes dragged
// with the mouse, flood fill, and the selection with its moves, clipboard and keys.

#include "editor/editorview.h"
#include "editor/viewrenderer.h"
#include "glyphpicture.h"
#include "testapplication.h"

#include "libkernwick/font/document.h"
#include "libkernwick/font/zvffile.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

KERNWICK_TEST_APPLICATION(QApplication);

using namespace Kernwick;
using namespace Kernwick::Test;
using Rows = std::vector<std::string>;

namespace {

class EditorToolsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Codes 65 to 67 (A to C), 2BPP, 7 × 6 glyphs; glyph 0 is `start`.
        Font font;
        font.header.first = 65;
        font.header.height = 6;
        font.header.ascent = 4;
        font.header.ldepth = 1;
        font.glyphs = {picture(start), picture(start), picture(start)};
        font.computeFileSize();
        document.takeImportedFont(font);
        view.resize(600, 400);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
        ASSERT_EQ(view.gridRect().topLeft(), QPoint(20, 10));
        ASSERT_EQ(view.layout().cellSize(), 10);
        saved = bytes();
    }
    QWidget *surface() { return view.viewport(); }
    // The centre of cell (column, row) in the viewport.
    static QPoint cell(int column, int row) { return QPoint(25 + 10 * column, 15 + 10 * row); }
    Rows glyph(int index = 0) const { return rowsOf(document.font().glyphs[std::size_t(index)]); }
    QByteArray bytes() const { return encodeZvf(document.font()).bytes; }
    void drag(QPoint from, QPoint to, Qt::KeyboardModifiers atRelease = {})
    {
        QTest::mousePress(surface(), Qt::LeftButton, {}, from);
        QTest::mouseMove(surface(), to);
        QTest::mouseRelease(surface(), Qt::LeftButton, atRelease, to);
    }
    // Undoes once and expects the font as it was at the start, with nothing left to undo.
    void expectOneStep()
    {
        ASSERT_TRUE(document.canUndo());
        view.undo();
        EXPECT_EQ(bytes(), saved);
        EXPECT_FALSE(document.canUndo()) << "one undo step";
        EXPECT_FALSE(document.isModified());
    }

    const Rows start{"0000000", "0222000", "0201000", "0222000", "0000000", "0000000"};
    Document document;
    EditorView view{document};
    QByteArray saved;
};

} // namespace

TEST_F(EditorToolsTest, ALineDragShowsItsPreviewThenPaintsExactlyTheLinesPixelsAsOneStep)
{
    view.setTool(Tool::Line);
    QTest::mousePress(surface(), Qt::LeftButton, {}, cell(0, 5));
    QTest::mouseMove(surface(), cell(3, 3));
    QTest::mouseMove(surface(), cell(6, 0));
    EXPECT_EQ(bytes(), saved) << "the preview writes nothing";
    // The preview shows the pixels the line will change over the grid, each
    // with a dot in its middle.
    const QImage image = surface()->grab().toImage();
    const QPoint corner(3, 3);
    EXPECT_EQ(image.pixelColor(cell(0, 5) + corner), ViewColors::White);
    EXPECT_EQ(image.pixelColor(cell(0, 5)), ToolOverlay::PendingMark);
    EXPECT_EQ(image.pixelColor(cell(6, 0) + corner), ViewColors::White);
    EXPECT_EQ(image.pixelColor(cell(0, 0)), ViewColors::LightGreen);
    EXPECT_EQ(image.pixelColor(cell(1, 1)), ViewColors::White) << "the glyph's own white";
    EXPECT_EQ(view.overlay().pixels.size(), linePixels(5, 0, 0, 6).size())
        << "the whole line, the pixels already white too";

    QTest::mouseRelease(surface(), Qt::LeftButton, {}, cell(6, 0));
    Glyph expected = picture(start);
    for (const auto &[r, c] : linePixels(5, 0, 0, 6))
        expected.setPixel(r, c, 2);
    EXPECT_EQ(glyph(), rowsOf(expected));
    EXPECT_TRUE(view.overlay().isEmpty());
    EXPECT_TRUE(document.isModified());
    EXPECT_EQ(document.undoText(), "Line");
    expectOneStep();
}

TEST_F(EditorToolsTest, RectanglesAreOutlinedAndFilledWithShiftHeldAtTheRelease)
{
    view.setTool(Tool::Rectangle);
    view.run(EditOperation::Halftone);
    drag(cell(4, 5), cell(6, 2));
    EXPECT_EQ(glyph(), (Rows{"0000000", "0222000", "0201111", "0222101", "0000101", "0000111"}));
    view.undo();
    drag(cell(4, 5), cell(6, 2), Qt::ShiftModifier);
    EXPECT_EQ(glyph(), (Rows{"0000000", "0222000", "0201111", "0222111", "0000111", "0000111"}));
    expectOneStep();
}

TEST_F(EditorToolsTest, FillFloodsTheClickedAreaAndNeverCrossesADiagonalGap)
{
    view.setTool(Tool::Fill);
    QTest::mouseClick(surface(), Qt::LeftButton, {}, cell(6, 5));
    // The ring's inside stays, as does its halftone middle.
    EXPECT_EQ(glyph(), (Rows{"2222222", "2222222", "2201222", "2222222", "2222222", "2222222"}));
    view.undo();
    Font gap = document.font();
    gap.glyphs[0] = picture({"0020000", "0200000", "2000000", "0000000", "0000000", "0000000"});
    document.takeImportedFont(gap);
    QTest::mouseClick(surface(), Qt::LeftButton, {}, cell(0, 0));
    EXPECT_EQ(glyph(), (Rows{"2220000", "2200000", "2000000", "0000000", "0000000", "0000000"}));
    EXPECT_EQ(document.undoText(), "Fill");
}

TEST_F(EditorToolsTest, ASelectionMovesByArrowKeysOneStepAPressAndByADrag)
{
    view.setTool(Tool::Select);
    drag(cell(1, 1), cell(3, 3));
    ASSERT_TRUE(view.selection());
    EXPECT_EQ(*view.selection(), (PixelArea{1, 1, 3, 3}));
    EXPECT_EQ(bytes(), saved) << "selecting changes nothing";

    QTest::keyClick(&view, Qt::Key_Right);
    QTest::keyClick(&view, Qt::Key_Down);
    EXPECT_EQ(glyph(), (Rows{"0000000", "0000000", "0022200", "0020100", "0022200", "0000000"}));
    EXPECT_EQ(*view.selection(), (PixelArea{2, 2, 3, 3}));
    EXPECT_EQ(view.state().currentCode, 65) << "arrows move the selection, not the glyph";
    view.undo();
    EXPECT_EQ(glyph(), (Rows{"0000000", "0022200", "0020100", "0022200", "0000000", "0000000"}))
        << "each press is a step";
    EXPECT_FALSE(view.selection()) << "undo drops the selection";

    // A drag inside a selection moves it past the edge: what leaves the glyph is lost.
    drag(cell(2, 1), cell(4, 3));
    drag(cell(3, 2), cell(6, 2));
    EXPECT_EQ(glyph(), (Rows{"0000000", "0000022", "0000020", "0000022", "0000000", "0000000"}));
    EXPECT_EQ(*view.selection(), (PixelArea{1, 5, 3, 2}));
    EXPECT_EQ(document.undoText(), "Move Selection");
    view.undo();
    expectOneStep();
}

TEST_F(EditorToolsTest, CutPastesFloatingUntilEscapeDropsItAsOneStep)
{
    view.setTool(Tool::Select);
    drag(cell(1, 1), cell(3, 2));
    ASSERT_FALSE(view.run(EditOperation::Cut).refused());
    EXPECT_EQ(glyph(), (Rows{"0000000", "0000000", "0000000", "0222000", "0000000", "0000000"}));
    EXPECT_FALSE(view.selection());
    const QByteArray cut = bytes();

    view.setTool(Tool::Pencil);
    ASSERT_TRUE(view.isEnabled(EditOperation::Paste));
    QSignalSpy toolChanged(&view, &EditorView::toolChanged);
    ASSERT_FALSE(view.run(EditOperation::Paste).refused());
    EXPECT_TRUE(view.isFloating());
    EXPECT_EQ(view.tool(), Tool::Select) << "pasted pixels are moved with Select";
    EXPECT_EQ(toolChanged.count(), 1);
    EXPECT_EQ(*view.selection(), (PixelArea{0, 0, 2, 3}));
    QTest::keyClick(&view, Qt::Key_Down);
    QTest::keyClick(&view, Qt::Key_Right);
    QTest::keyClick(&view, Qt::Key_Right);
    EXPECT_EQ(bytes(), cut) << "floating pixels are not in the font yet";
    EXPECT_FALSE(view.overlay().pixels.empty());

    QTest::keyClick(&view, Qt::Key_Escape);
    EXPECT_FALSE(view.isFloating());
    EXPECT_EQ(glyph(), (Rows{"0000000", "0022200", "0020100", "0222000", "0000000", "0000000"}));
    EXPECT_EQ(document.undoText(), "Paste");
    view.undo();
    EXPECT_EQ(bytes(), cut) << "the paste is one step";

    // A paste over the edge drops only what lands on the glyph, on a click outside.
    view.run(EditOperation::Paste);
    drag(cell(1, 0), cell(6, 4));
    QTest::mouseClick(surface(), Qt::LeftButton, {}, cell(0, 0));
    EXPECT_EQ(glyph(), (Rows{"0000000", "0000000", "0000000", "0222000", "0000022", "0000020"}));

    // Enter drops it too, and so does a move to another glyph, onto the glyph it
    // floated over.
    view.undo();
    view.run(EditOperation::Paste);
    QTest::keyClick(&view, Qt::Key_Return);
    EXPECT_FALSE(view.isFloating());
    EXPECT_EQ(glyph(), (Rows{"2220000", "2010000", "0000000", "0222000", "0000000", "0000000"}));
    view.undo();
    view.run(EditOperation::Paste);
    QTest::keyClicks(&view, QStringLiteral("B"));
    EXPECT_EQ(view.state().currentCode, 'B');
    EXPECT_FALSE(view.selection());
    EXPECT_EQ(glyph(), (Rows{"2220000", "2010000", "0000000", "0222000", "0000000", "0000000"}));
    EXPECT_EQ(glyph(1), start);
}

TEST_F(EditorToolsTest, DeleteClearsTheSelectionOrThrowsFloatingPixelsAway)
{
    view.setTool(Tool::Select);
    drag(cell(2, 1), cell(3, 3));
    ASSERT_FALSE(view.run(EditOperation::Copy).refused());
    QTest::keyClick(&view, Qt::Key_Delete);
    EXPECT_EQ(glyph(), (Rows{"0000000", "0200000", "0200000", "0200000", "0000000", "0000000"}));
    const QByteArray cleared = bytes();
    view.run(EditOperation::Paste);
    ASSERT_TRUE(view.isFloating());
    QTest::keyClick(&view, Qt::Key_Delete);
    EXPECT_FALSE(view.selection());
    EXPECT_EQ(bytes(), cleared);
    expectOneStep();
}

TEST_F(EditorToolsTest, TransformsActOnTheSelectionAndATurnNeedsASquare)
{
    view.setTool(Tool::Select);
    drag(cell(0, 0), cell(2, 2));
    ASSERT_FALSE(view.run(EditOperation::RotateClockwise).refused());
    EXPECT_EQ(glyph(), (Rows{"0000000", "2202000", "0201000", "0222000", "0000000", "0000000"}));
    ASSERT_FALSE(view.run(EditOperation::Invert).refused());
    EXPECT_EQ(glyph(), (Rows{"2220000", "0022000", "2021000", "0222000", "0000000", "0000000"}));

    QTest::keyClick(&view, Qt::Key_Escape);
    drag(cell(0, 0), cell(3, 1));
    const QByteArray before = bytes();
    EXPECT_EQ(view.run(EditOperation::RotateAnticlockwise).refusal, EditRefusal::AreaNotSquare);
    EXPECT_EQ(bytes(), before);
}

TEST_F(EditorToolsTest, WithoutASelectionCopyAndPasteTakeTheWholeGlyph)
{
    view.selectGlyph(1);
    view.run(EditOperation::Clear);
    view.selectGlyph(0);
    view.setTool(Tool::Select);
    drag(cell(1, 1), cell(2, 2));
    view.run(EditOperation::Copy);
    ASSERT_TRUE(document.copiedBlock());
    QTest::keyClick(&view, Qt::Key_Escape);
    EXPECT_FALSE(view.selection());
    ASSERT_FALSE(view.run(EditOperation::Copy).refused()) << "the whole glyph this time";
    EXPECT_FALSE(document.copiedBlock());

    view.selectGlyph(1);
    ASSERT_FALSE(view.run(EditOperation::Paste).refused());
    EXPECT_FALSE(view.isFloating());
    EXPECT_EQ(glyph(1), start);
}

TEST_F(EditorToolsTest, TypingACharacterJumpsToItsGlyphOrSaysTheFontLacksIt)
{
    QSignalSpy message(&view, &EditorView::message);
    QTest::keyClicks(&view, QStringLiteral("C"));
    EXPECT_EQ(view.state().currentCode, 'C');
    QTest::keyClicks(&view, QStringLiteral("B"), Qt::ShiftModifier);
    EXPECT_EQ(view.state().currentCode, 'B');
    QTest::keyClicks(&view, QStringLiteral("D"));
    EXPECT_EQ(view.state().currentCode, 'B');
    ASSERT_EQ(message.count(), 1);
    EXPECT_EQ(message.at(0).at(0).toString(),
              "The font has no character with the code 68 (U+0044).");
    QTest::keyClicks(&view, QStringLiteral("A"), Qt::ControlModifier);
    EXPECT_EQ(view.state().currentCode, 'B') << "a modifier makes no character";
}

TEST_F(EditorToolsTest, ASaveWritesPixelsStillFloating)
{
    view.setTool(Tool::Select);
    drag(cell(1, 1), cell(3, 3));
    view.run(EditOperation::Copy);
    view.run(EditOperation::Paste);
    QTest::keyClick(&view, Qt::Key_Right);
    QTest::keyClick(&view, Qt::Key_Right);
    ASSERT_TRUE(view.isFloating());
    QTemporaryDir dir;
    QString error;
    ASSERT_TRUE(document.save(dir.filePath("floating.zvf"), &error)) << error.toStdString();
    EXPECT_FALSE(view.isFloating());
    Font read;
    ASSERT_EQ(loadZvfFile(dir.filePath("floating.zvf"), &read, &error), ZvfRead::Ok);
    EXPECT_EQ(rowsOf(read.glyphs[0]),
              (Rows{"0000000", "0222220", "0202010", "0222220", "0000000", "0000000"}));
    EXPECT_FALSE(document.isModified());
}

// Closing asks about the font once floating pixels are written into it: they are
// work the user has not saved.
TEST_F(EditorToolsTest, FinishingEditsWritesFloatingPixelsAndMarksTheFontModified)
{
    view.setTool(Tool::Select);
    drag(cell(1, 1), cell(3, 3));
    view.run(EditOperation::Copy);
    view.run(EditOperation::Paste);
    QTest::keyClick(&view, Qt::Key_Down);
    ASSERT_TRUE(view.isFloating());
    ASSERT_FALSE(document.isModified());
    document.finishEdits();
    EXPECT_FALSE(view.isFloating());
    EXPECT_TRUE(document.isModified());
    EXPECT_EQ(glyph(), (Rows{"0000000", "0222000", "0222000", "0201000", "0222000", "0000000"}));
}
