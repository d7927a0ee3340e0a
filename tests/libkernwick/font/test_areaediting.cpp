// Work on a rectangle of a glyph's pixels: lifting a block out, dropping it back,
// moving an area, and the commands that act on a selected area.

#include "libkernwick/font/areaediting.h"

#include "glyphpicture.h"
#include "namedcase.h"

#include <gtest/gtest.h>

#include <functional>

using namespace Kernwick;
using namespace Kernwick::Test;

namespace {

struct AreaCase : NamedCase
{
    std::vector<std::string> before;
    std::function<void(Glyph &)> change;
    std::vector<std::string> after;
};

class AreaWork : public ::testing::TestWithParam<AreaCase>
{
};

TEST_P(AreaWork, LeavesExactlyTheExpectedPixels)
{
    Glyph glyph = picture(GetParam().before);
    GetParam().change(glyph);
    EXPECT_EQ(rowsOf(glyph), GetParam().after);
}

// The pixels of `rows` as a block of depth 1.
PixelBlock block(const std::vector<std::string> &rows)
{
    const Glyph g = picture(rows);
    return liftBlock(g, PixelArea::whole(g), 1);
}

void expectMove(Glyph &g, PixelArea area, int down, int right, PixelArea landed)
{
    EXPECT_EQ(moveArea(g, area, down, right), landed);
}

void expectRefusal(Glyph &g, EditOperation op, PixelArea area, EditRefusal why)
{
    EXPECT_EQ(editArea(op, g, area, 1).refusal, why);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AreaWork,
    ::testing::Values(
        AreaCase{"MoveRightUncoversTransparentAndCoversTheTarget",
                 {"1200", "3100", "0022"},
                 [](Glyph &g) {
                     expectMove(g, {0, 0, 2, 2}, 0, 1, {0, 1, 2, 2});
                 },
                 {"0120", "0310", "0022"}},
        AreaCase{"MoveDownLeftOverlapsItsOldPlace",
                 {"0120", "0210", "0000"},
                 [](Glyph &g) {
                     expectMove(g, {0, 1, 2, 2}, 1, -1, {1, 0, 2, 2});
                 },
                 {"0000", "1200", "2100"}},
        AreaCase{"PixelsMovedOutOfTheGlyphAreLost",
                 {"0012", "0021"},
                 [](Glyph &g) {
                     expectMove(g, {0, 2, 2, 2}, 0, 1, {0, 3, 2, 1});
                 },
                 {"0001", "0002"}},
        AreaCase{"AnAreaMovedWhollyOutLeavesNothingSelected",
                 {"12", "00"},
                 [](Glyph &g) {
                     EXPECT_TRUE(moveArea(g, {0, 0, 1, 2}, 5, 0).isEmpty());
                 },
                 {"00", "00"}},
        AreaCase{"AnAreaPartlyOutsideMovesOnlyItsInside",
                 {"12", "00", "00"},
                 [](Glyph &g) {
                     expectMove(g, {-1, -1, 2, 3}, 1, 0, {1, 0, 1, 2});
                 },
                 {"00", "12", "00"}},
        AreaCase{"DropWritesTransparentPixelsTooAndClipsAtTheEdges",
                 {"2222", "2222", "2222"},
                 [](Glyph &g) {
                     dropBlock(g, block({"101", "010"}), 1, 2);
                 },
                 {"2222", "2210", "2201"}},
        AreaCase{"DropAboveAndLeftOfTheGlyph",
                 {"000", "000"},
                 [](Glyph &g) {
                     dropBlock(g, block({"123", "312"}), -1, -1);
                 },
                 {"120", "000"}},
        AreaCase{"LiftThenDropElsewhereCopies",
                 {"1200", "0300"},
                 [](Glyph &g) {
                     dropBlock(g, liftBlock(g, {0, 0, 2, 2}, 1), 0, 2);
                 },
                 {"1212", "0303"}},
        AreaCase{"ClearArea",
                 {"222", "222"},
                 [](Glyph &g) {
                     clearArea(g, {0, 1, 5, 5});
                 },
                 {"200", "200"}},
        AreaCase{"FlipOfAnAreaOnly",
                 {"1230", "0000"},
                 [](Glyph &g) {
                     EXPECT_TRUE(
                         editArea(EditOperation::FlipHorizontal, g, {0, 0, 1, 3}, 1).fontChanged);
                 },
                 {"3210", "0000"}},
        AreaCase{"TurnOfASquareArea",
                 {"1200", "0000", "0000"},
                 [](Glyph &g) {
                     EXPECT_FALSE(
                         editArea(EditOperation::RotateClockwise, g, {0, 0, 2, 2}, 1).refused());
                 },
                 {"0100", "0200", "0000"}},
        AreaCase{"TurnOfAWideAreaIsRefused",
                 {"1200", "0000"},
                 [](Glyph &g) {
                     expectRefusal(g, EditOperation::RotateAnticlockwise, {0, 0, 2, 3},
                                   EditRefusal::AreaNotSquare);
                 },
                 {"1200", "0000"}},
        AreaCase{"InvertOfAnAreaKeepsHalftone",
                 {"0120", "0120"},
                 [](Glyph &g) {
                     editArea(EditOperation::Invert, g, {0, 0, 1, 3}, 1);
                 },
                 {"2100", "0120"}},
        AreaCase{"InvertInAnUnknownDepthIsRefused",
                 {"01"},
                 [](Glyph &g) {
                     EXPECT_EQ(editArea(EditOperation::Invert, g, {0, 0, 1, 2}, 2).refusal,
                               EditRefusal::UnknownDepth);
                 },
                 {"01"}},
        AreaCase{
            "AGlyphWideCommandIsRefused",
            {"01"},
            [](Glyph &g) {
                expectRefusal(g, EditOperation::MoveDown, {0, 0, 1, 2}, EditRefusal::TakesNoArea);
            },
            {"01"}}),
    CaseName());

TEST(PixelBlock, LiftTakesTheClippedAreaAndItsDepth)
{
    const Glyph g = picture({"123", "210"});
    const PixelBlock lifted = liftBlock(g, {1, 1, 4, 4}, 1);
    EXPECT_EQ(lifted.rows, 1);
    EXPECT_EQ(lifted.columns, 2);
    EXPECT_EQ(lifted.pixels, (std::vector<std::uint8_t>{1, 0}));
    EXPECT_EQ(lifted.ldepth, 1);
    EXPECT_TRUE(liftBlock(g, {5, 0, 1, 1}, 1).isEmpty());
}

TEST(PixelBlock, MapsBetweenDepthsAsTheConversionsDo)
{
    PixelBlock twoBpp = block({"0123"});
    EXPECT_EQ(blockAtDepth(twoBpp, 0).pixels, (std::vector<std::uint8_t>{0, 0, 1, 1}));
    twoBpp.ldepth = 0;
    twoBpp.pixels = {0, 1};
    EXPECT_EQ(blockAtDepth(twoBpp, 1).pixels, (std::vector<std::uint8_t>{0, 2}));
    twoBpp.ldepth = 3;
    EXPECT_EQ(blockAtDepth(twoBpp, 1).pixels, (std::vector<std::uint8_t>{0, 1}))
        << "an unknown depth maps nothing";
}

} // namespace
