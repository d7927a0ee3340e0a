#include "libkernwick/font/glyphdrawing.h"

#include "glyphpicture.h"
#include "namedcase.h"

#include <gtest/gtest.h>

#include <functional>

using namespace Kernwick;
using namespace Kernwick::Test;

namespace {

struct DrawingCase : NamedCase
{
    std::vector<std::string> before;
    std::function<void(Glyph &)> draw;
    std::vector<std::string> after;
};

class GlyphDrawing : public ::testing::TestWithParam<DrawingCase>
{
};

TEST_P(GlyphDrawing, PaintsExactlyTheExpectedPixels)
{
    Glyph glyph = picture(GetParam().before);
    GetParam().draw(glyph);
    EXPECT_EQ(rowsOf(glyph), GetParam().after);
}

const PixelArea All{0, 0, 255, 255}; // clipped to the glyph

INSTANTIATE_TEST_SUITE_P(
    Cases, GlyphDrawing,
    ::testing::Values(
        DrawingCase{"FlipHorizontal",
                    {"1200", "0013"},
                    [](Glyph &g) { flipHorizontal(g, All); },
                    {"0021", "3100"}},
        DrawingCase{"FlipHorizontalOfAnArea",
                    {"1200", "0013"},
                    [](Glyph &g) {
                        flipHorizontal(g, {0, 1, 1, 3});
                    },
                    {"1002", "0013"}},
        DrawingCase{"FlipVertical",
                    {"12", "00", "31"},
                    [](Glyph &g) { flipVertical(g, All); },
                    {"31", "00", "12"}},
        DrawingCase{"RotateClockwise",
                    {"120", "000", "003"},
                    [](Glyph &g) { EXPECT_TRUE(rotateQuarter(g, All, Turn::Clockwise)); },
                    {"001", "002", "300"}},
        DrawingCase{"RotateAnticlockwise",
                    {"120", "000", "003"},
                    [](Glyph &g) { EXPECT_TRUE(rotateQuarter(g, All, Turn::Anticlockwise)); },
                    {"003", "200", "100"}},
        DrawingCase{"RotateASquareAreaOfAWideGlyph",
                    {"1200", "0000"},
                    [](Glyph &g) {
                        EXPECT_TRUE(rotateQuarter(g, {0, 0, 2, 2}, Turn::Clockwise));
                    },
                    {"0100", "0200"}},
        DrawingCase{"RotateOfANonSquareGlyphIsRefused",
                    {"1200", "0000"},
                    [](Glyph &g) { EXPECT_FALSE(rotateQuarter(g, All, Turn::Clockwise)); },
                    {"1200", "0000"}},
        DrawingCase{
            "InvertOneBit", {"10", "01"}, [](Glyph &g) { invertPixels(g, All, 1); }, {"01", "10"}},
        DrawingCase{"InvertKeepsHalftoneAndThree",
                    {"0123"},
                    [](Glyph &g) { invertPixels(g, All, 2); },
                    {"2103"}},
        DrawingCase{"ShallowLine",
                    {"00000", "00000"},
                    [](Glyph &g) { drawLine(g, 0, 0, 1, 4, 1); },
                    {"11100", "00011"}},
        DrawingCase{"SteepLineBackwards",
                    {"000", "000", "000"},
                    [](Glyph &g) { drawLine(g, 2, 2, 0, 0, 2); },
                    {"200", "020", "002"}},
        DrawingCase{"LineLeavingTheGlyphIsClipped",
                    {"000", "000"},
                    [](Glyph &g) { drawLine(g, 1, -2, 1, 9, 1); },
                    {"000", "111"}},
        DrawingCase{"RectangleOutline",
                    {"0000", "0000", "0000", "0000"},
                    [](Glyph &g) { drawRectangle(g, PixelArea::spanning(3, 3, 0, 1), 1, false); },
                    {"0111", "0101", "0101", "0111"}},
        DrawingCase{"FilledRectangle",
                    {"0000", "0000", "0000"},
                    [](Glyph &g) { drawRectangle(g, PixelArea::spanning(0, 1, 1, 2), 2, true); },
                    {"0220", "0220", "0000"}},
        DrawingCase{"RectanglePartlyOutside",
                    {"000", "000", "000"},
                    [](Glyph &g) {
                        drawRectangle(g, {1, 1, 5, 5}, 1, false);
                    },
                    {"000", "011", "010"}},
        DrawingCase{"FillStopsAtADiagonalGap",
                    {"0010", "0100", "1000"},
                    [](Glyph &g) { EXPECT_EQ(floodFill(g, 0, 0, 2), 3); },
                    {"2210", "2100", "1000"}},
        DrawingCase{"FillOfARegionOfAnotherValue",
                    {"1101", "0100"},
                    [](Glyph &g) { EXPECT_EQ(floodFill(g, 0, 1, 0), 3); },
                    {"0001", "0000"}},
        DrawingCase{"FillWithTheSameValueOrOutsideChangesNothing",
                    {"10"},
                    [](Glyph &g) { EXPECT_EQ(floodFill(g, 0, 0, 1) + floodFill(g, 5, 0, 2), 0); },
                    {"10"}}),
    CaseName());

TEST(GlyphDrawingLimits, AFillOfTheLargestGlyphReachesEveryPixel)
{
    Glyph glyph;
    glyph.reset(MaxGlyphSide, MaxGlyphSide);
    EXPECT_EQ(floodFill(glyph, 127, 127, 1), MaxGlyphSide * MaxGlyphSide);
    EXPECT_EQ(std::count(glyph.pixels.begin(), glyph.pixels.end(), 1), MaxGlyphSide * MaxGlyphSide);
}

} // namespace
