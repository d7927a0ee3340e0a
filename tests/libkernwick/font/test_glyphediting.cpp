#include "glyphpicture.h"
#include "libkernwick/font/editcommands.h"
#include "libkernwick/font/editingstate.h"
#include "libkernwick/font/glyphediting.h"
#include "libkernwick/font/x2.h"
#include "namedcase.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

using namespace Kernwick;
using Kernwick::Test::picture;
using Kernwick::Test::rowsOf;

namespace {

// A font whose glyphs all differ: glyph i has Left i, and its pixels follow a
// pattern shifted by i, painted in the depth's white.
Font patternFont(int chars, int width, int height, int ldepth = 0, int first = 32)
{
    Font f;
    f.setName("pattern");
    f.header.first = std::uint16_t(first);
    f.header.height = std::uint8_t(height);
    f.header.ascent = std::uint8_t(height / 2);
    f.header.ldepth = std::uint8_t(ldepth);
    f.resizeGlyphTable(chars);
    for (int i = 0; i < chars; ++i) {
        Glyph &g = f.glyphs[std::size_t(i)];
        g.reset(height, width);
        g.left = std::uint8_t(i);
        for (int r = 0; r < height; ++r)
            for (int c = 0; c < width; ++c)
                if ((r * 7 + c * 3 + i) % 4 == 0)
                    g.setPixel(r, c, f.whiteValue());
    }
    f.computeFileSize();
    return f;
}

// A one-glyph font holding the given picture.
Font pictureFont(const std::vector<std::string> &rows, int ldepth = 1)
{
    Font f;
    f.header.ldepth = std::uint8_t(ldepth);
    f.glyphs = {picture(rows)};
    f.header.height = std::uint8_t(f.glyphs[0].rowCount);
    f.header.ascent = 0;
    f.computeFileSize();
    return f;
}

void expectConsistent(const Font &f)
{
    for (const Glyph &g : f.glyphs) {
        ASSERT_EQ(g.rowCount, f.header.height);
        ASSERT_EQ(g.pixels.size(), std::size_t(g.width) * f.header.height);
    }
}

int recomputedSize(Font f)
{
    f.computeFileSize();
    return f.header.fileSize;
}

} // namespace

// ---- How each command ends (file size, font changed) -----------------------

struct EndingCase : Test::NamedCase
{
    EditOperation op;
    int ldepth;
    bool size;
    bool fontChanged;
};

class CommandEnding : public ::testing::TestWithParam<EndingCase>
{
};

TEST_P(CommandEnding, MatchesTheCommandsClass)
{
    const EndingCase c = GetParam();
    Font font = patternFont(5, 6, 8, c.ldepth);
    EditingState state = initialEditingState(font);
    state.currentCode = 34;
    // A clipboard glyph wider than the current one, so Paste changes the size.
    state.clipboard.glyph = patternFont(1, 9, 8, c.ldepth).glyphs[0];
    state.canPaste = true;
    state.pickRow = 2;
    state.pickColumn = 3;
    // A stale size shows whether the command recomputed it.
    font.header.fileSize = -1;
    const Font before = font;

    const EditResult r = applyEdit(c.op, font, state);

    ASSERT_FALSE(r.refused()) << refusalMessage(r.refusal);
    EXPECT_EQ(r.fontChanged, c.fontChanged);
    EXPECT_EQ(font != before, c.fontChanged);
    EXPECT_EQ(font.header.fileSize, c.size ? recomputedSize(font) : -1);
    expectConsistent(font);
}

INSTANTIATE_TEST_SUITE_P(
    AllCommands, CommandEnding,
    ::testing::Values(
        EndingCase{"InsertRow", EditOperation::InsertRow, 0, true, true},
        EndingCase{"DeleteRow", EditOperation::DeleteRow, 0, true, true},
        EndingCase{"InsertColumn", EditOperation::InsertColumn, 0, true, true},
        EndingCase{"DeleteColumn", EditOperation::DeleteColumn, 0, true, true},
        EndingCase{"InsertChar", EditOperation::InsertCharacter, 0, true, true},
        EndingCase{"DeleteChar", EditOperation::DeleteSelectedCharacter, 0, true, true},
        EndingCase{"To2Bpp", EditOperation::To2Bpp, 0, true, true},
        EndingCase{"To1Bpp", EditOperation::To1Bpp, 1, true, true},
        EndingCase{"Paste", EditOperation::Paste, 0, true, true},
        EndingCase{"Mod", EditOperation::Mod, 0, true, true},
        EndingCase{"Outline", EditOperation::Outline, 1, false, true},
        EndingCase{"MoveDown", EditOperation::MoveDown, 0, false, true},
        EndingCase{"MoveUp", EditOperation::MoveUp, 0, false, true},
        EndingCase{"MoveRight", EditOperation::MoveRight, 0, false, true},
        EndingCase{"MoveLeft", EditOperation::MoveLeft, 0, false, true},
        EndingCase{"Clear", EditOperation::Clear, 0, false, true},
        EndingCase{"Cut", EditOperation::Cut, 0, false, true},
        // Changes the written program left unmarked: marked, so Exit asks to save them.
        EndingCase{"SetAscent", EditOperation::SetAscent, 0, false, true},
        EndingCase{"SetLeft", EditOperation::SetLeft, 0, false, true},
        EndingCase{"X2", EditOperation::X2, 0, false, true},
        EndingCase{"Copy", EditOperation::Copy, 0, false, false},
        EndingCase{"Transparent", EditOperation::Transparent, 0, false, false},
        EndingCase{"White", EditOperation::White, 0, false, false},
        EndingCase{"Halftone", EditOperation::Halftone, 1, false, false},
        // Converting to the depth the font already has does nothing at all.
        EndingCase{"To2BppOn2Bpp", EditOperation::To2Bpp, 1, false, false},
        EndingCase{"To1BppOn1Bpp", EditOperation::To1Bpp, 0, false, false}),
    Test::CaseName());

// Every command has exactly one table entry, and only the entry decides what it
// does, so the order of the operation names cannot swap two commands.
TEST(CommandTable, HoldsEveryOperationOnce)
{
    using Op = EditOperation;
    const Op all[] = {Op::InsertRow,
                      Op::DeleteRow,
                      Op::InsertColumn,
                      Op::DeleteColumn,
                      Op::InsertCharacter,
                      Op::DeleteSelectedCharacter,
                      Op::Outline,
                      Op::MoveDown,
                      Op::MoveUp,
                      Op::MoveRight,
                      Op::MoveLeft,
                      Op::To2Bpp,
                      Op::To1Bpp,
                      Op::Clear,
                      Op::Copy,
                      Op::Cut,
                      Op::Paste,
                      Op::Transparent,
                      Op::White,
                      Op::Halftone,
                      Op::SetAscent,
                      Op::SetLeft,
                      Op::Mod,
                      Op::X2,
                      Op::FlipHorizontal,
                      Op::FlipVertical,
                      Op::RotateClockwise,
                      Op::RotateAnticlockwise,
                      Op::Invert};
    EXPECT_EQ(editCommands().size(), std::size(all));
    for (const Op op : all) {
        const auto entries =
            std::count_if(editCommands().begin(), editCommands().end(),
                          [op](const EditCommand &command) { return command.operation == op; });
        EXPECT_EQ(entries, 1) << int(op);
        EXPECT_EQ(editCommand(op).operation, op);
        EXPECT_STRNE(editCommand(op).menuText, "");
        // A command that records an undo step names it.
        if (editCommand(op).undoScope) {
            EXPECT_STRNE(editCommand(op).undoText, "") << editCommand(op).menuText;
        }
    }
}

// ---- Limits: refused with nothing changed ----------------------------------

struct LimitCase : Test::NamedCase
{
    EditOperation op;
    EditRefusal refusal;
    void (*setup)(Font &, EditingState &);
};

class Limit : public ::testing::TestWithParam<LimitCase>
{
};

TEST_P(Limit, IsRefusedWithoutAnyChange)
{
    const LimitCase c = GetParam();
    Font font = patternFont(4, 5, 6, 1);
    EditingState state = initialEditingState(font);
    c.setup(font, state);
    const Font before = font;
    const EditingState stateBefore = state;

    const EditResult r = applyEdit(c.op, font, state);

    EXPECT_EQ(r.refusal, c.refusal);
    EXPECT_STRNE(refusalMessage(r.refusal), "");
    EXPECT_FALSE(r.fontChanged);
    EXPECT_TRUE(font == before);
    EXPECT_EQ(state.currentCode, stateBefore.currentCode);
    EXPECT_EQ(state.paintValue, stateBefore.paintValue);
    EXPECT_EQ(state.canPaste, stateBefore.canPaste);
    EXPECT_EQ(state.clipboard.glyph, stateBefore.clipboard.glyph);
}

void setHeight(Font &f, int h)
{
    f.header.height = std::uint8_t(h);
    for (Glyph &g : f.glyphs)
        g.resize(h, g.width);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Limit,
    ::testing::Values(
        LimitCase{"InsertRowAt255", EditOperation::InsertRow, EditRefusal::HeightAtMaximum,
                  [](Font &f, EditingState &) { setHeight(f, 255); }},
        LimitCase{"DeleteRowAt1", EditOperation::DeleteRow, EditRefusal::HeightAtMinimum,
                  [](Font &f, EditingState &) { setHeight(f, 1); }},
        LimitCase{"DeleteRowAt0", EditOperation::DeleteRow, EditRefusal::HeightAtMinimum,
                  [](Font &f, EditingState &) { setHeight(f, 0); }},
        LimitCase{"ModAt1", EditOperation::Mod, EditRefusal::HeightAtMinimum,
                  [](Font &f, EditingState &) { setHeight(f, 1); }},
        LimitCase{"InsertColumnAt255", EditOperation::InsertColumn, EditRefusal::WidthAtMaximum,
                  [](Font &f, EditingState &) { f.glyphs[0].resize(f.header.height, 255); }},
        LimitCase{"DeleteColumnAt0", EditOperation::DeleteColumn, EditRefusal::WidthAtMinimum,
                  [](Font &f, EditingState &) { f.glyphs[0].resize(f.header.height, 0); }},
        LimitCase{"InsertCharWhenFull", EditOperation::InsertCharacter, EditRefusal::TooManyGlyphs,
                  [](Font &f, EditingState &s) {
                      f.header.first = 0;
                      s.currentCode = 0;
                      f.resizeGlyphTable(MaxGlyphs);
                      for (Glyph &g : f.glyphs)
                          g.resize(f.header.height, g.width);
                  }},
        LimitCase{"InsertCharPastCode65535", EditOperation::InsertCharacter,
                  EditRefusal::CodeAtMaximum,
                  [](Font &f, EditingState &s) {
                      f.resizeGlyphTable(3);
                      f.header.first = 65533;
                      s.currentCode = 65533;
                  }},
        LimitCase{"DeleteOnlyChar", EditOperation::DeleteSelectedCharacter, EditRefusal::OnlyGlyph,
                  [](Font &f, EditingState &) { f.resizeGlyphTable(1); }},
        LimitCase{"PasteBeforeCopy", EditOperation::Paste, EditRefusal::NothingToPaste,
                  [](Font &, EditingState &) {}},
        LimitCase{"OutlineOn1Bpp", EditOperation::Outline, EditRefusal::NeedsTwoBpp,
                  [](Font &f, EditingState &) { f.header.ldepth = 0; }},
        LimitCase{"HalftoneOn1Bpp", EditOperation::Halftone, EditRefusal::NeedsTwoBpp,
                  [](Font &f, EditingState &) { f.header.ldepth = 0; }},
        LimitCase{"SetAscentAtHeight", EditOperation::SetAscent, EditRefusal::RowOutsideGlyph,
                  [](Font &f, EditingState &s) { s.pickRow = f.header.height; }},
        LimitCase{"SetAscentNegative", EditOperation::SetAscent, EditRefusal::RowOutsideGlyph,
                  [](Font &, EditingState &s) { s.pickRow = -1; }},
        LimitCase{"SetLeft256", EditOperation::SetLeft, EditRefusal::ColumnOutOfRange,
                  [](Font &, EditingState &s) { s.pickColumn = 256; }},
        LimitCase{"SetLeftMinus129", EditOperation::SetLeft, EditRefusal::ColumnOutOfRange,
                  [](Font &, EditingState &s) { s.pickColumn = -129; }},
        LimitCase{"X2Height128", EditOperation::X2, EditRefusal::TooTallToDouble,
                  [](Font &f, EditingState &) { setHeight(f, 128); }},
        LimitCase{"X2Ascent128", EditOperation::X2, EditRefusal::TooTallToDouble,
                  [](Font &f, EditingState &) {
                      setHeight(f, 20);
                      f.header.ascent = 128;
                  }},
        // The current code names no glyph: below First, past the table, or no table.
        LimitCase{"ClearBelowFirst", EditOperation::Clear, EditRefusal::NoCurrentGlyph,
                  [](Font &, EditingState &s) { s.currentCode = 31; }},
        LimitCase{"CopyPastTheTable", EditOperation::Copy, EditRefusal::NoCurrentGlyph,
                  [](Font &, EditingState &s) { s.currentCode = 36; }},
        LimitCase{"InsertCharPastTheTable", EditOperation::InsertCharacter,
                  EditRefusal::NoCurrentGlyph, [](Font &, EditingState &s) { s.currentCode = 36; }},
        LimitCase{"MoveInEmptyFont", EditOperation::MoveLeft, EditRefusal::NoCurrentGlyph,
                  [](Font &f, EditingState &) { f.glyphs.clear(); }},
        LimitCase{"DeleteCharInEmptyFont", EditOperation::DeleteSelectedCharacter,
                  EditRefusal::NoCurrentGlyph, [](Font &f, EditingState &) { f.glyphs.clear(); }},
        LimitCase{"PasteInEmptyFont", EditOperation::Paste, EditRefusal::NoCurrentGlyph,
                  [](Font &f, EditingState &s) {
                      s.canPaste = true;
                      f.glyphs.clear();
                  }},
        LimitCase{"SetLeftInEmptyFont", EditOperation::SetLeft, EditRefusal::NoCurrentGlyph,
                  [](Font &f, EditingState &) { f.glyphs.clear(); }}),
    Test::CaseName());

TEST(Limits, ReachableBoundsAreAccepted)
{
    Font font = patternFont(2, 254, 254, 1, 65534);
    EditingState state = initialEditingState(font);
    state.currentCode = 65535;
    EXPECT_FALSE(insertRow(font, state).refused());
    EXPECT_EQ(font.header.height, 255);
    EXPECT_FALSE(insertColumn(font, state).refused());
    EXPECT_EQ(font.glyphs[1].width, 255);
    EXPECT_EQ(insertCharacter(font, state).refusal, EditRefusal::CodeAtMaximum);

    Font tiny = patternFont(1, 1, 2);
    EditingState tinyState = initialEditingState(tiny);
    EXPECT_FALSE(deleteRow(tiny, tinyState).refused());
    EXPECT_EQ(tiny.header.height, 1);
    EXPECT_FALSE(deleteColumn(tiny, tinyState).refused());
    EXPECT_EQ(tiny.glyphs[0].width, 0);
    EXPECT_TRUE(tiny.glyphs[0].pixels.empty());
    expectConsistent(tiny);
}

// ---- Rows and columns ------------------------------------------------------

TEST(Rows, InsertThenDeleteRowRestoresEveryGlyph)
{
    Font font = patternFont(95, 8, 14);
    EditingState state = initialEditingState(font);
    const Font before = font;
    insertRow(font, state);
    ASSERT_EQ(font.header.height, 15);
    for (std::size_t i = 0; i < font.glyphs.size(); ++i) {
        const Glyph &g = font.glyphs[i];
        ASSERT_EQ(g.rowCount, 15);
        EXPECT_EQ(std::vector<std::uint8_t>(g.row(14), g.row(14) + g.width),
                  std::vector<std::uint8_t>(8, 0));
        EXPECT_TRUE(std::equal(g.pixels.begin(), g.pixels.begin() + 8 * 14,
                               before.glyphs[i].pixels.begin()));
    }
    deleteRow(font, state);
    EXPECT_TRUE(font == before);
}

TEST(Rows, DeleteRowBelowAscentKeepsAscent)
{
    Font font = patternFont(3, 4, 6);
    font.header.ascent = 4;
    EditingState state = initialEditingState(font);
    for (int i = 0; i < 3; ++i)
        ASSERT_FALSE(deleteRow(font, state).refused());
    EXPECT_EQ(font.header.height, 3);
    EXPECT_EQ(font.header.ascent, 4);
    expectConsistent(font);
}

TEST(Rows, ModTakesSixRowsInAllAndStopsAtOneRow)
{
    struct Case
    {
        int height, expected;
    } cases[] = {{14, 8}, {7, 1}, {4, 1}, {2, 1}};
    for (const Case c : cases) {
        Font font = patternFont(10, 3, c.height);
        EditingState state = initialEditingState(font);
        state.currentCode = 37;
        const Font before = font;
        ASSERT_FALSE(trimRows(font, state).refused()) << c.height;
        EXPECT_EQ(font.header.height, c.expected) << c.height;
        EXPECT_EQ(state.currentCode, 37);
        expectConsistent(font);
        for (std::size_t i = 0; i < font.glyphs.size(); ++i)
            EXPECT_TRUE(std::equal(font.glyphs[i].pixels.begin(), font.glyphs[i].pixels.end(),
                                   before.glyphs[i].pixels.begin()))
                << "the top rows stay";
    }
}

TEST(Columns, InsertAndDeleteTouchOnlyTheCurrentGlyph)
{
    Font font = patternFont(5, 4, 3);
    EditingState state = initialEditingState(font);
    state.currentCode = 34;
    const Font before = font;
    insertColumn(font, state);
    for (std::size_t i : {0, 1, 3, 4})
        EXPECT_EQ(font.glyphs[i], before.glyphs[i]);
    const Glyph &g = font.glyphs[2];
    ASSERT_EQ(g.width, 5);
    for (int r = 0; r < 3; ++r) {
        EXPECT_EQ(g.pixel(r, 4), 0);
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(g.pixel(r, c), before.glyphs[2].pixel(r, c));
    }
    font.glyphs[2].left = 9;
    deleteColumn(font, state);
    deleteColumn(font, state);
    EXPECT_EQ(font.glyphs[2].width, 3);
    EXPECT_EQ(font.glyphs[2].left, 9) << "Left is not adjusted";
    EXPECT_EQ(rowsOf(font.glyphs[2])[1], rowsOf(before.glyphs[2])[1].substr(0, 3));
}

// ---- Characters ------------------------------------------------------------

TEST(Characters, InsertGivesABlankGlyphShapedLikeTheCurrentOne)
{
    Font font = patternFont(60, 6, 5, 0, 32);
    font.glyphs[33].resize(5, 9); // code 65
    font.glyphs[33].left = 3;
    font.glyphs[33].reserved2 = 7;
    EditingState state = initialEditingState(font);
    state.currentCode = 65;
    const Font before = font;
    insertCharacter(font, state);
    ASSERT_EQ(font.chars(), 61);
    EXPECT_EQ(font.header.first, 32);
    EXPECT_EQ(state.currentCode, 65);
    const Glyph &blank = font.glyphs[33];
    EXPECT_EQ(blank.width, 9);
    EXPECT_EQ(blank.left, 3);
    EXPECT_EQ(blank.reserved2, 7);
    EXPECT_EQ(std::count(blank.pixels.begin(), blank.pixels.end(), 0), 9 * 5);
    for (int i = 0; i < 60; ++i)
        EXPECT_EQ(font.glyphs[std::size_t(i < 33 ? i : i + 1)], before.glyphs[std::size_t(i)]);
}

TEST(Characters, InsertIntoAFontWithoutGlyphsAddsOneAtFirst)
{
    Font font = patternFont(0, 4, 6, 0, 48);
    EditingState state = initialEditingState(font);
    state.currentCode = 99;
    ASSERT_FALSE(insertCharacter(font, state).refused());
    ASSERT_EQ(font.chars(), 1);
    EXPECT_EQ(state.currentCode, 48);
    EXPECT_EQ(font.glyphs[0].width, 0);
    expectConsistent(font);
    EXPECT_FALSE(insertColumn(font, state).refused()) << "the new glyph is editable";
}

TEST(Characters, DeleteMovesLaterGlyphsDownOneCode)
{
    struct Case
    {
        const char *what;
        int chars, current, expectedCurrent;
    } cases[] = {{"glyph 10", 95, 42, 42},
                 {"first glyph", 95, 32, 32},
                 {"last glyph", 95, 126, 125},
                 {"last of two", 2, 33, 32}};
    for (const Case c : cases) {
        Font font = patternFont(c.chars, 3, 4);
        EditingState state = initialEditingState(font);
        state.currentCode = std::uint16_t(c.current);
        const Font before = font;
        ASSERT_FALSE(deleteSelectedCharacter(font, state).refused()) << c.what;
        EXPECT_EQ(font.chars(), c.chars - 1) << c.what;
        EXPECT_EQ(font.header.first, 32) << c.what;
        EXPECT_EQ(state.currentCode, c.expectedCurrent) << c.what;
        EXPECT_GE(currentGlyphIndex(font, state), 0) << c.what;
        const std::size_t removed = std::size_t(c.current - 32);
        for (std::size_t i = 0; i < font.glyphs.size(); ++i)
            EXPECT_EQ(font.glyphs[i], before.glyphs[i < removed ? i : i + 1]) << c.what;
    }
}

// ---- Outline ---------------------------------------------------------------

TEST(Outline, HalftonesTransparentEdgeNeighboursOfWhite)
{
    struct Case
    {
        const char *what;
        std::vector<std::string> in, out;
    } cases[] = {
        {"corner", {"200", "000", "000"}, {"210", "100", "000"}},
        {"middle", {"000", "020", "000"}, {"010", "121", "010"}},
        {"halftone kept", {"120", "000"}, {"121", "010"}},
        {"white never changes", {"220", "000"}, {"221", "110"}},
        {"value 3 kept", {"320", "003"}, {"321", "013"}},
        {"no white", {"101", "000"}, {"101", "000"}},
    };
    for (const Case &c : cases) {
        Font font = pictureFont(c.in);
        EditingState state = initialEditingState(font);
        ASSERT_FALSE(addOutline(font, state).refused());
        EXPECT_EQ(rowsOf(font.glyphs[0]), c.out) << c.what;
    }
}

TEST(Outline, CoversEveryGlyphNotOnlyTheCurrentOne)
{
    Font font = pictureFont({"000", "020", "000"});
    font.glyphs.push_back(font.glyphs[0]);
    EditingState state = initialEditingState(font);
    addOutline(font, state);
    EXPECT_EQ(rowsOf(font.glyphs[1]), (std::vector<std::string>{"010", "121", "010"}));
}

// ---- Moves -----------------------------------------------------------------

TEST(Moves, ShiftInsideTheBoxAndDropWhatLeavesIt)
{
    const std::vector<std::string> start{"120", "002", "201"};
    struct Case
    {
        EditOperation op;
        std::vector<std::string> out;
    } cases[] = {
        {EditOperation::MoveDown, {"000", "120", "002"}},
        {EditOperation::MoveUp, {"002", "201", "000"}},
        {EditOperation::MoveRight, {"012", "000", "020"}},
        {EditOperation::MoveLeft, {"200", "020", "010"}},
    };
    for (const Case &c : cases) {
        Font font = pictureFont(start);
        font.glyphs[0].left = 5;
        EditingState state = initialEditingState(font);
        applyEdit(c.op, font, state);
        EXPECT_EQ(rowsOf(font.glyphs[0]), c.out) << int(c.op);
        EXPECT_EQ(font.glyphs[0].width, 3);
        EXPECT_EQ(font.glyphs[0].left, 5);
    }
    Font font = pictureFont(start);
    EditingState state = initialEditingState(font);
    moveDown(font, state);
    moveUp(font, state);
    EXPECT_EQ(rowsOf(font.glyphs[0]), (std::vector<std::string>{"120", "002", "000"}))
        << "no wrap-around: the bottom row is lost";
}

// ---- Pixel depth -----------------------------------------------------------

TEST(Depth, ConversionsMapPixelsAndKeepRoundTrips)
{
    Font font = pictureFont({"0101", "1100"}, 0);
    EditingState state = initialEditingState(font);
    convertTo2Bpp(font, state);
    EXPECT_EQ(font.header.ldepth, 1);
    EXPECT_EQ(rowsOf(font.glyphs[0]), (std::vector<std::string>{"0202", "2200"}));
    convertTo1Bpp(font, state);
    EXPECT_EQ(font.header.ldepth, 0);
    EXPECT_EQ(rowsOf(font.glyphs[0]), (std::vector<std::string>{"0101", "1100"}));

    Font two = pictureFont({"0123", "2110"}, 1);
    convertTo1Bpp(two, state);
    EXPECT_EQ(rowsOf(two.glyphs[0]), (std::vector<std::string>{"0011", "1000"}))
        << "halftone is lost, 3 counts as white";
    convertTo2Bpp(two, state);
    EXPECT_EQ(rowsOf(two.glyphs[0]), (std::vector<std::string>{"0022", "2000"}));
}

TEST(Depth, PaintValueStaysTheSameColour)
{
    struct Case
    {
        int ldepth, paintBefore, paintAfter;
    } cases[] = {
        {0, 1, 2}, // white stays white
        {0, 0, 0}, // transparent stays transparent
        {1, 2, 1}, // white stays white
        {1, 1, 1}, // halftone paints white, the nearest visible colour
        {1, 0, 0},
    };
    for (const Case c : cases) {
        Font font = patternFont(2, 2, 2, c.ldepth);
        EditingState state = initialEditingState(font);
        state.paintValue = std::uint8_t(c.paintBefore);
        applyEdit(c.ldepth == 0 ? EditOperation::To2Bpp : EditOperation::To1Bpp, font, state);
        EXPECT_EQ(state.paintValue, c.paintAfter) << c.ldepth << ' ' << c.paintBefore;
    }
}

// ---- Clipboard -------------------------------------------------------------

TEST(Clipboard, CopyThenPasteCarriesWidthLeftAndPixels)
{
    // Total width 27 before the paste and 34 after: the strip rows need 8 bytes
    // instead of 4.
    Font font = patternFont(10, 2, 10);
    font.glyphs[1].resize(10, 9);
    font.glyphs[1].setPixel(9, 8, 1);
    font.glyphs[1].left = 250;
    font.glyphs[1].reserved1 = 4;
    EditingState state = initialEditingState(font);
    state.currentCode = 33;
    const Glyph source = font.glyphs[1];
    copyGlyph(font, state);
    EXPECT_TRUE(state.canPaste);

    state.currentCode = 38;
    font.glyphs[6].offset = 123;
    const int sizeBefore = font.header.fileSize;
    pasteGlyph(font, state);
    Glyph expected = source;
    expected.offset = 123;
    EXPECT_EQ(font.glyphs[6], expected);
    EXPECT_NE(font.header.fileSize, sizeBefore) << "the font grew by seven columns";
    EXPECT_EQ(font.glyphs[1], source) << "Copy leaves the source alone";
}

TEST(Clipboard, CutClearsButKeepsTheShape)
{
    Font font = patternFont(3, 5, 4);
    EditingState state = initialEditingState(font);
    state.currentCode = 33;
    const Glyph source = font.glyphs[1];
    cutGlyph(font, state);
    EXPECT_EQ(font.glyphs[1].width, 5);
    EXPECT_EQ(font.glyphs[1].left, source.left);
    EXPECT_EQ(std::count(font.glyphs[1].pixels.begin(), font.glyphs[1].pixels.end(), 0), 20);
    state.currentCode = 34;
    pasteGlyph(font, state);
    EXPECT_EQ(font.glyphs[2].pixels, source.pixels);
}

TEST(Clipboard, PasteAfterHeightChangedFillsOnlyRowsItHas)
{
    struct Case
    {
        const char *what;
        EditOperation change;
        std::vector<std::string> out;
    } cases[] = {
        {"grown", EditOperation::InsertRow, {"12", "21", "11", "00"}},
        {"shrunk", EditOperation::DeleteRow, {"12", "21"}},
    };
    for (const Case &c : cases) {
        Font font = pictureFont({"12", "21", "11"});
        font.glyphs.push_back(picture({"0", "0", "0"}));
        EditingState state = initialEditingState(font);
        copyGlyph(font, state);
        applyEdit(c.change, font, state);
        state.currentCode = std::uint16_t(font.header.first + 1);
        ASSERT_FALSE(pasteGlyph(font, state).refused());
        EXPECT_EQ(rowsOf(font.glyphs[1]), c.out) << c.what;
        expectConsistent(font);
    }
}

// ---- Colours and markers ---------------------------------------------------

TEST(Colours, SetThePaintValueForTheDepth)
{
    struct Case
    {
        EditOperation op;
        int ldepth, paint;
    } cases[] = {
        {EditOperation::White, 0, 1},       {EditOperation::White, 1, 2},
        {EditOperation::Transparent, 0, 0}, {EditOperation::Transparent, 1, 0},
        {EditOperation::Halftone, 1, 1},
    };
    for (const Case c : cases) {
        Font font = patternFont(1, 1, 1, c.ldepth);
        EditingState state = initialEditingState(font);
        state.paintValue = 7;
        applyEdit(c.op, font, state);
        EXPECT_EQ(state.paintValue, c.paint) << int(c.op) << ' ' << c.ldepth;
    }
}

TEST(Markers, SetAscentAndSetLeftTakeThePickedCell)
{
    Font font = patternFont(3, 4, 10);
    EditingState state = initialEditingState(font);
    state.currentCode = 33;
    state.pickRow = 9;
    ASSERT_FALSE(setAscent(font, state).refused());
    EXPECT_EQ(font.header.ascent, 9);

    struct Case
    {
        int column;
        std::uint8_t stored;
    } cases[] = {{0, 0}, {3, 3}, {-1, 255}, {-128, 128}, {200, 200}, {255, 255}};
    for (const Case c : cases) {
        state.pickColumn = c.column;
        ASSERT_FALSE(setLeft(font, state).refused()) << c.column;
        EXPECT_EQ(font.glyphs[1].left, c.stored) << c.column;
    }
    EXPECT_EQ(font.glyphs[0].left, 0);
    EXPECT_EQ(font.glyphs[2].left, 2);
}

TEST(EnableRules, FollowDepthAndClipboard)
{
    struct Case
    {
        EditOperation op;
        bool on1Bpp, on2Bpp, beforeCopy;
    } cases[] = {
        {EditOperation::Outline, false, true, true}, {EditOperation::Halftone, false, true, true},
        {EditOperation::To1Bpp, false, true, true},  {EditOperation::To2Bpp, true, false, true},
        {EditOperation::Paste, true, true, false},   {EditOperation::InsertRow, true, true, true},
        {EditOperation::SetLeft, true, true, true},
    };
    const Font one = patternFont(1, 1, 1, 0);
    const Font two = patternFont(1, 1, 1, 1);
    EditingState copied;
    copied.canPaste = true;
    const EditingState fresh;
    for (const Case c : cases) {
        EXPECT_EQ(isEnabled(c.op, one, copied), c.on1Bpp) << int(c.op);
        EXPECT_EQ(isEnabled(c.op, two, copied), c.on2Bpp) << int(c.op);
        EXPECT_EQ(isEnabled(c.op, two, fresh), c.beforeCopy && c.on2Bpp) << int(c.op);
    }
}

TEST(EditingStateTest, SelectAndResetStayInsideTheTable)
{
    Font font = patternFont(3, 1, 1, 1, 65533);
    EditingState state = initialEditingState(font);
    EXPECT_EQ(state.currentCode, 65533);
    EXPECT_EQ(state.paintValue, 2);
    EXPECT_TRUE(selectCode(font, state, 65535));
    for (int code : {65532, 65536, -1}) {
        EXPECT_FALSE(selectCode(font, state, code)) << code;
        EXPECT_EQ(state.currentCode, 65535);
    }
    state.canPaste = true;
    state.clipboard.glyph = font.glyphs[0];
    resetForNewFont(state, defaultFont());
    EXPECT_EQ(state.currentCode, 32);
    EXPECT_EQ(state.paintValue, 1);
    EXPECT_TRUE(state.canPaste) << "a copied glyph survives a new font";
    EXPECT_EQ(state.clipboard.glyph, font.glyphs[0]);
}

// ---- X2 --------------------------------------------------------------------

TEST(X2, DoublesEveryRowAndLeavesTheLastGlyphInTheClipboard)
{
    Font font = defaultFont();
    for (std::size_t i = 0; i < font.glyphs.size(); ++i) {
        font.glyphs[i] = patternFont(1, 8, 14, 0, 0).glyphs[0];
        font.glyphs[i].setPixel(int(i % 14), int(i % 8), 1);
        font.glyphs[i].left = std::uint8_t(i);
    }
    font.glyphs[94].reserved2 = 5;
    EditingState state = initialEditingState(font);
    const Font before = font;

    const EditResult r = applyX2(font, state);

    EXPECT_TRUE(r.fontChanged);
    EXPECT_EQ(font.header.height, 28);
    EXPECT_EQ(font.header.ascent, 20);
    expectConsistent(font);
    for (std::size_t i = 0; i < font.glyphs.size(); ++i) {
        const Glyph &g = font.glyphs[i];
        const Glyph &old = before.glyphs[i];
        EXPECT_EQ(g.width, old.width);
        EXPECT_EQ(g.left, old.left);
        for (int k = 0; k < 14; ++k) {
            ASSERT_TRUE(std::equal(old.row(k), old.row(k) + 8, g.row(2 * k))) << i << ' ' << k;
            ASSERT_TRUE(std::equal(old.row(k), old.row(k) + 8, g.row(2 * k + 1))) << i << ' ' << k;
        }
    }
    EXPECT_EQ(state.clipboard.glyph.pixels, font.glyphs[94].pixels);
    EXPECT_EQ(state.clipboard.glyph.rowCount, 28);
    EXPECT_EQ(state.clipboard.glyph.left, 94);
    EXPECT_EQ(state.clipboard.glyph.reserved2, 5);
    EXPECT_EQ(font.header.fileSize, 1952) << "X2 leaves the size for the filesize command";
    font.computeFileSize();
    EXPECT_EQ(font.header.fileSize, 32 + 576 + 28 * 96);
}

TEST(X2, AcceptsTheLargestHeightThatStillFits)
{
    Font font = patternFont(2, 3, 127);
    font.header.ascent = 127;
    EditingState state = initialEditingState(font);
    ASSERT_FALSE(applyX2(font, state).refused());
    EXPECT_EQ(font.header.height, 254);
    EXPECT_EQ(font.header.ascent, 254);
    expectConsistent(font);
}
