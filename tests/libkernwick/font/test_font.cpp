#include "libkernwick/font/font.h"
#include "namedcase.h"

#include <gtest/gtest.h>

using namespace Kernwick;

TEST(Font, FreshDocumentFont)
{
    const Font f = defaultFont();
    EXPECT_EQ(f.nameText(), "default");
    EXPECT_EQ(f.chars(), 95);
    EXPECT_EQ(f.header.first, 32);
    EXPECT_EQ(f.header.height, 14);
    EXPECT_EQ(f.header.ascent, 10);
    EXPECT_EQ(f.header.ldepth, 0);
    EXPECT_EQ(f.header.pixwidth, 0u);
    EXPECT_EQ(f.header.layout, 0);
    EXPECT_EQ(f.header.fileSize, 1952);
    for (const Glyph &g : f.glyphs) {
        ASSERT_EQ(g.width, 8);
        ASSERT_EQ(g.rowCount, 14);
        ASSERT_EQ(g.left, 0);
        ASSERT_EQ(std::count(g.pixels.begin(), g.pixels.end(), 0), 8 * 14);
    }
}

struct FileSizeCase : Test::NamedCase
{
    int chars, width, height, ldepth, expected;
};

class ComputeFileSize : public ::testing::TestWithParam<FileSizeCase>
{
};

TEST_P(ComputeFileSize, MatchesTheWrittenLayout)
{
    const FileSizeCase c = GetParam();
    Font f;
    f.header.height = std::uint8_t(c.height);
    f.header.ldepth = std::uint8_t(c.ldepth);
    f.header.pixwidth = 1234;
    f.resizeGlyphTable(c.chars);
    for (Glyph &g : f.glyphs)
        g.reset(c.height, c.width);
    f.computeFileSize();
    EXPECT_EQ(f.header.fileSize, c.expected);
    EXPECT_EQ(f.header.pixwidth, 1234u) << "computing the size must not touch the header";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ComputeFileSize,
    ::testing::Values(FileSizeCase{"fresh", 95, 8, 14, 0, 1952},
                      FileSizeCase{"all zero width", 10, 0, 14, 0, 32 + 96},
                      // 2BPP, total width 6: 12 bits -> 2 bytes -> R = 4; 5 * 4 = 20 -> 32
                      FileSizeCase{"2bpp width 6", 1, 6, 5, 1, 32 + 32 + 32},
                      FileSizeCase{"no glyphs", 0, 0, 14, 0, 64}),
    Test::CaseName());

TEST(Font, ResizeKeepsContentAndZeroesNewPixels)
{
    Glyph g;
    g.reset(2, 2);
    g.setPixel(0, 0, 1);
    g.setPixel(1, 1, 2);
    g.resize(3, 3);
    EXPECT_EQ(g.pixels, (std::vector<std::uint8_t>{1, 0, 0, 0, 2, 0, 0, 0, 0}));
    g.resize(1, 1);
    EXPECT_EQ(g.pixels, (std::vector<std::uint8_t>{1}));
}

TEST(Font, AppendGlyphAddsAnEmptyGlyphAndRecomputesSize)
{
    Font f = defaultFont();
    f.glyphs[3].left = 7;
    f.appendGlyph();
    ASSERT_EQ(f.chars(), 96);
    EXPECT_EQ(f.glyphs.back(), Glyph{});
    EXPECT_EQ(f.glyphs[3].left, 7);
    EXPECT_EQ(f.header.fileSize, 32 + 608 + 1344);
}

TEST(Font, NameKeepsElevenBytesAndATerminator)
{
    Font f;
    f.setName("abcdefghijklmnop");
    EXPECT_EQ(f.nameText(), "abcdefghijk");
    EXPECT_EQ(f.header.name[11], '\0');
}
