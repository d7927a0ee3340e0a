// Where the editor view puts the grid and the thumbnails, and what a point hits.

#include "editor/viewlayout.h"
#include "editor/viewrenderer.h"

#include "libkernwick/font/font.h"

#include <gtest/gtest.h>

using namespace Kernwick;

TEST(ViewLayout, TheDefaultStripBreaksAfterGlyphs37And75)
{
    const ViewLayout layout(defaultFont());
    EXPECT_EQ(layout.documentSize(), QSize(750, 450));
    EXPECT_EQ(layout.stripTop(), 200);
    EXPECT_EQ(layout.thumbnail(0), QRect(20, 200, 16, 28));
    EXPECT_EQ(layout.thumbnail(1), QRect(38, 200, 16, 28));
    ASSERT_EQ(layout.lineCount(), 3);
    EXPECT_EQ(layout.lineStart(1), 38);
    EXPECT_EQ(layout.lineStart(2), 76);
    EXPECT_EQ(layout.thumbnail(37).y(), 200);
    EXPECT_EQ(layout.thumbnail(38), QRect(20, 230, 16, 28));
    EXPECT_EQ(layout.thumbnail(76), QRect(20, 260, 16, 28));
    EXPECT_EQ(layout.thumbnail(94).y(), 260);
}

TEST(ViewLayout, TheStripStartsFiftyBelowATallGrid)
{
    Font font = defaultFont();
    font.header.height = 20;
    for (Glyph &g : font.glyphs)
        g.resize(20, g.width);
    EXPECT_EQ(ViewLayout(font).stripTop(), 10 + 200 + 50);
}

TEST(ViewLayout, PointsPickGlyphsButNeverAGapOrAZeroWidthGlyph)
{
    Font font = defaultFont();
    font.glyphs[1].resize(font.header.height, 0);
    const ViewLayout layout(font);
    EXPECT_EQ(layout.glyphAt(QPoint(20, 200)), 0);
    EXPECT_EQ(layout.glyphAt(QPoint(35, 227)), 0);
    EXPECT_EQ(layout.glyphAt(QPoint(36, 210)), -1) << "the gap after glyph 0";
    EXPECT_TRUE(layout.thumbnail(1).isNull());
    EXPECT_EQ(layout.glyphAt(QPoint(38, 210)), 2) << "glyph 1 takes no room";
    EXPECT_EQ(layout.glyphAt(QPoint(20, 229)), -1) << "between the lines";
    EXPECT_EQ(layout.glyphAt(QPoint(20, 232)), layout.lineStart(1));
    EXPECT_EQ(layout.glyphAt(QPoint(5, 5)), -1);
}

TEST(ViewLayout, CellsHitInsideTheGlyphOnly)
{
    int column = -1;
    int row = -1;
    // The left and top edges belong to the grid, the right and bottom ones do not.
    ASSERT_TRUE(ViewLayout::cellAt(QPoint(20, 10), 8, 14, &column, &row));
    EXPECT_EQ(std::pair(column, row), std::pair(0, 0));
    ASSERT_TRUE(ViewLayout::cellAt(QPoint(99, 149), 8, 14, &column, &row));
    EXPECT_EQ(std::pair(column, row), std::pair(7, 13));
    EXPECT_FALSE(ViewLayout::cellAt(QPoint(100, 50), 8, 14, &column, &row));
    EXPECT_FALSE(ViewLayout::cellAt(QPoint(50, 150), 8, 14, &column, &row));
    EXPECT_FALSE(ViewLayout::cellAt(QPoint(19, 50), 8, 14, &column, &row));
    // A glyph without columns keeps a cell-wide grid, but no cell to paint.
    EXPECT_EQ(ViewLayout::gridRect(0, 14), QRect(20, 10, 10, 140));
    EXPECT_FALSE(ViewLayout::cellAt(QPoint(25, 15), 0, 14, &column, &row));
}

TEST(ViewLayout, TheDocumentGrowsWithTheWidestGlyphAndTheStrip)
{
    Font font = defaultFont();
    font.glyphs[3].resize(font.header.height, 100);
    const ViewLayout wide(font);
    EXPECT_EQ(wide.documentSize().width(), 10 * 100 + 200);

    Font many = defaultFont();
    many.resizeGlyphTable(3000);
    for (Glyph &g : many.glyphs)
        g.reset(many.header.height, 8);
    const ViewLayout tall(many);
    const QRect last = tall.thumbnail(2999);
    EXPECT_GE(tall.documentSize().height(), last.y() + last.height());
    const auto [first, end] = tall.glyphsBetween(last.y(), last.y() + 1);
    EXPECT_LE(first, 2999);
    EXPECT_EQ(end, 3000);
}

// Labels 22 pixels wide (two digits of 10 plus the padding) widen the default
// font's 16-pixel thumbnails; each line gets a 22-pixel label row.
constexpr GlyphLabelMetrics WideLabels{10, 10, 9};

TEST(ViewLayout, LabelsWidenTheColumnsAndAddARowUnderEachLine)
{
    const Font font = defaultFont();
    const ViewLayout plain(font);
    const ViewLayout labelled(font, ViewLayout::ActualSize, 0, WideLabels);
    EXPECT_FALSE(plain.showsLabels());
    EXPECT_TRUE(plain.label(0).isNull());
    ASSERT_TRUE(labelled.showsLabels());
    EXPECT_EQ(labelled.label(0), QRect(20, 228, 22, 22));
    EXPECT_EQ(labelled.thumbnail(0), QRect(22, 200, 16, 28)) << "centred on a thumbnail pixel";
    EXPECT_EQ(labelled.label(1).x(), 20 + 22 + 2);
    EXPECT_GT(labelled.lineCount(), plain.lineCount());
    const int last = font.chars() - 1;
    EXPECT_GT(labelled.glyphArea(last).bottom(), plain.glyphArea(last).bottom() + 50);
    EXPECT_EQ(labelled.lineTop(1), 200 + 28 + 22 + 2);

    // Nothing overlaps: a column ends before the next begins, a line's labels end
    // before the next line's thumbnails, and everything fits the document.
    for (int i = 0; i + 1 < font.chars(); ++i) {
        const QRect area = labelled.glyphArea(i);
        const QRect next = labelled.glyphArea(i + 1);
        EXPECT_TRUE(area.contains(labelled.thumbnail(i))) << i;
        EXPECT_FALSE(area.intersects(next)) << i;
        if (labelled.lineOf(i + 1) != labelled.lineOf(i)) {
            EXPECT_LT(area.bottom(), next.top()) << i;
        }
        EXPECT_LT(area.right(), labelled.documentSize().width() - ViewLayout::StripRightMargin + 1);
    }
    EXPECT_LE(labelled.glyphArea(last).bottom(), labelled.documentSize().height());
}

TEST(ViewLayout, APointOnAThumbnailOrItsLabelPicksThatGlyph)
{
    const ViewLayout layout(defaultFont(), ViewLayout::ActualSize, 0, WideLabels);
    const int second = layout.lineStart(1);
    const struct
    {
        QPoint point;
        int glyph;
    } cases[] = {
        {layout.thumbnail(0).center(), 0},
        {layout.label(0).bottomLeft(), 0},
        {layout.label(5).center(), 5},
        {QPoint(21, 210), 0},  // beside the centred thumbnail, above its label
        {QPoint(43, 240), -1}, // the gap between columns 0 and 1
        {layout.thumbnail(second).center(), second},
        {layout.label(second).center(), second},
        {QPoint(30, layout.lineTop(1) - 1), -1}, // between the label row and the next line
    };
    for (const auto &c : cases)
        EXPECT_EQ(layout.glyphAt(c.point), c.glyph) << c.point.x() << "," << c.point.y();
}

TEST(ViewLayout, ACodeOfMoreDigitsGetsAWiderColumn)
{
    Font font;
    font.header.first = 0xFFFE;
    font.header.height = 4;
    font.resizeGlyphTable(4); // codes FFFE to 10001
    for (Glyph &g : font.glyphs)
        g.reset(4, 4);
    const ViewLayout layout(font, ViewLayout::ActualSize, 0, WideLabels);
    EXPECT_EQ(layout.label(1).width(), 4 * 10 + 2);
    EXPECT_EQ(layout.label(2).width(), 5 * 10 + 2);
    EXPECT_EQ(layout.glyphAt(layout.label(3).center()), 3);
}

TEST(GlyphLabels, ThePrintableCharacterAndTheHexadecimalCode)
{
    const struct
    {
        int code;
        const char *character; // UTF-8
        const char *hex;
    } cases[] = {
        {0x41, "A", "41"},          {0xC9, "\u00C9", "C9"},
        {0x20AC, "\u20AC", "20AC"}, {0x10000, "\U00010000", "10000"},
        {0x09, "", "09"},   // a control character
        {0x7F, "", "7F"},   // DEL
        {0x85, "", "85"},   // a C1 control
        {0xAD, "", "AD"},   // the soft hyphen, a format character
        {0x378, "", "378"}, // unassigned
        {0xD800, "", "D800"},       {0xFFFF, "", "FFFF"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(glyphLabelCharacter(c.code), QString::fromUtf8(c.character)) << c.code;
        EXPECT_EQ(glyphLabelCode(c.code), QString::fromLatin1(c.hex)) << c.code;
    }
}

TEST(InfoPanel, TheUtf8LineShowsEachByte)
{
    EXPECT_EQ(utf8Line(65), "UTF-8: 65 (41h)");
    EXPECT_EQ(utf8Line(233), "UTF-8: 195 169 (C3h A9h)");
    EXPECT_EQ(utf8Line(8364), "UTF-8: 226 130 172 (E2h 82h ACh)");
}

TEST(InfoPanel, TenLinesForAGlyphAndTheFontsLinesWithoutOne)
{
    Font font = defaultFont();
    font.glyphs[2].left = 255;
    const QStringList lines = infoLines(font, 2);
    const QStringList expected{"Font Name: default",   "Character Number: 2",
                               "Code Value: 34 (22h)", "UTF-8: 34 (22h)",
                               "Pixel Depth: 1BPP",    "Width: 8",
                               "Height: 14",           "Left: -1",
                               "Ascent: 10",           "File Size: 1952 bytes"};
    EXPECT_EQ(lines, expected);
    font.glyphs.clear();
    font.computeFileSize();
    EXPECT_EQ(infoLines(font, -1),
              (QStringList{"Font Name: default", "Pixel Depth: 1BPP", "Height: 14", "Ascent: 10",
                           "File Size: 64 bytes"}));
}
