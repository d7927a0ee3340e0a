// The font chart's layout: titles, labels, line and page breaks.

#include "qtprinters.h"

#include "libkernwick/font/fontchart.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <random>

using namespace Kernwick;

namespace {

// A4 at 600 dpi, with a text font 48 units wide on average and 94 high.
const ChartPageMetrics a4At600{4961, 7016, 48, 94};

Font fontOf(int chars, int width, int height, int first = 0)
{
    Font font = defaultFont();
    font.header.first = std::uint16_t(first);
    font.header.height = std::uint8_t(height);
    font.resizeGlyphTable(chars);
    for (Glyph &g : font.glyphs)
        g.reset(height, width);
    return font;
}

// Checks what must hold for every chart: each glyph exactly once, in table order,
// pages numbered from 1 with their titles, no page without glyphs, every box
// inside the right margin and the page's bottom unless it alone could not fit.
void expectSoundChart(const Font &font, const FontChart &chart, const ChartPageMetrics &m)
{
    ASSERT_GE(chart.pageCount(), 1);
    int next = 0;
    for (const ChartPage &page : chart.pages) {
        EXPECT_EQ(page.number, &page - chart.pages.data() + 1);
        EXPECT_EQ(page.title, QStringLiteral("Font Name %1 Page %2")
                                  .arg(QString::fromLatin1(font.nameText()))
                                  .arg(page.number));
        if (font.chars() > 0) {
            EXPECT_FALSE(page.entries.empty()) << "page " << page.number << " is blank";
        }
        for (const ChartEntry &e : page.entries) {
            ASSERT_EQ(e.glyphIndex, next) << "page " << page.number;
            EXPECT_EQ(e.code, font.header.first + next);
            ++next;
            const bool firstInLine = e.labelOrigin.x() == ChartMargin;
            const bool firstLine = e.labelOrigin.y() == page.entries.front().labelOrigin.y();
            if (!firstInLine) {
                EXPECT_LE(e.box.x() + e.box.width(), m.width - ChartMargin) << "glyph " << next - 1;
            }
            if (!firstLine) {
                EXPECT_LE(e.box.y() + e.box.height(), m.height) << "glyph " << next - 1;
                EXPECT_LE(e.labelOrigin.y() + m.charHeight, m.height) << "glyph " << next - 1;
            }
        }
    }
    EXPECT_EQ(next, font.chars());
}

TEST(FontChart, DefaultFontOnA4At600DpiIsOnePage)
{
    const Font font = defaultFont();
    const FontChart chart = layoutFontChart(font, a4At600);
    ASSERT_EQ(chart.pageCount(), 1);
    const ChartPage &page = chart.pages[0];
    EXPECT_EQ(page.title, QStringLiteral("Font Name default Page 1"));
    EXPECT_EQ(page.titleOrigin, QPoint(150, 100));
    ASSERT_EQ(page.entries.size(), 95u);
    QStringList labels;
    for (const ChartEntry &e : page.entries)
        labels << e.label();
    EXPECT_EQ(labels.first(), QStringLiteral("20"));
    EXPECT_EQ(labels.last(), QStringLiteral("7E"));
    for (int i = 0; i < 95; ++i)
        EXPECT_EQ(labels[i], QString::number(0x20 + i, 16).toUpper());
    expectSoundChart(font, chart, a4At600);
}

TEST(FontChart, PlacesLabelsAndCellsAsPrinted)
{
    const FontChart chart = layoutFontChart(defaultFont(), a4At600);
    const std::vector<ChartEntry> &e = chart.pages[0].entries;
    // First line two character heights below the title; cells 4 average widths
    // right of the label; the next label 10 units right of the box.
    EXPECT_EQ(e[0].labelOrigin, QPoint(150, 288));
    EXPECT_EQ(e[0].box, QRect(342, 288, 80, 140));
    EXPECT_EQ(e[0].cell(13, 7), QRect(412, 418, 10, 10));
    EXPECT_EQ(e[1].labelOrigin, QPoint(432, 288));
    // Each glyph takes 10 + 192 + 80 = 282 units: 16 fit before 4961 - 150.
    EXPECT_EQ(e[15].box.x() + e[15].box.width(), 4652);
    EXPECT_EQ(e[16].labelOrigin, QPoint(150, 438)) << "10 units below the line's boxes";
    EXPECT_EQ(e[94].labelOrigin, QPoint(150 + 14 * 282, 288 + 5 * 150));
}

TEST(FontChart, LabelsHaveAtLeastTwoHexDigits)
{
    const Font font = fontOf(3, 1, 1, 0xfffd);
    const FontChart chart = layoutFontChart(fontOf(2, 1, 1, 5), a4At600);
    EXPECT_EQ(chart.pages[0].entries[0].label(), QStringLiteral("05"));
    EXPECT_EQ(layoutFontChart(font, a4At600).pages[0].entries[2].label(), QStringLiteral("FFFF"));
}

TEST(FontChart, FullFontFillsExactlyThePagesItNeeds)
{
    // 16 glyphs a line; lines 150 apart from 288, so 44 lines (704 glyphs) a page.
    const Font font = fontOf(MaxGlyphs, 8, 14);
    const FontChart chart = layoutFontChart(font, a4At600);
    EXPECT_EQ(chart.pageCount(), (MaxGlyphs + 703) / 704);
    EXPECT_EQ(chart.pages[0].entries.size(), 704u);
    EXPECT_EQ(chart.pages.back().entries.size(), std::size_t(MaxGlyphs % 704));
    EXPECT_EQ(chart.pages.back().title, QStringLiteral("Font Name default Page 94"));
    expectSoundChart(font, chart, a4At600);
}

TEST(FontChart, WideGlyphAfterNarrowOnesStartsANewLine)
{
    // At 600 dpi the line has room for 4811 - 150 units: a glyph of 255 columns
    // (2550 units) cannot follow two of 100 columns on the same line.
    Font font = fontOf(4, 100, 10);
    font.glyphs[2].reset(10, 255);
    const FontChart chart = layoutFontChart(font, a4At600);
    const std::vector<ChartEntry> &e = chart.pages[0].entries;
    EXPECT_EQ(e[1].labelOrigin.y(), e[0].labelOrigin.y());
    EXPECT_EQ(e[2].labelOrigin, QPoint(150, e[0].labelOrigin.y() + 110));
    expectSoundChart(font, chart, a4At600);
}

TEST(FontChart, GlyphsLargerThanThePageStillGetOnePageEach)
{
    // A4 at 72 dpi is 595 x 842: a 255 x 255 glyph fits neither way.
    const ChartPageMetrics small{595, 842, 6, 12};
    const Font font = fontOf(3, 255, 255);
    const FontChart chart = layoutFontChart(font, small);
    ASSERT_EQ(chart.pageCount(), 3);
    for (const ChartPage &page : chart.pages)
        EXPECT_EQ(page.entries.size(), 1u);
    expectSoundChart(font, chart, small);
}

TEST(FontChart, LinesOfLowGlyphsKeepTheirLabelsApart)
{
    // Glyphs 2 pixels high are 20 units; the labels are 94.
    const Font font = fontOf(40, 3, 2);
    const FontChart chart = layoutFontChart(font, a4At600);
    const std::vector<ChartEntry> &e = chart.pages[0].entries;
    int secondLine = 1;
    while (e[std::size_t(secondLine)].labelOrigin.x() != ChartMargin)
        ++secondLine;
    EXPECT_EQ(e[std::size_t(secondLine)].labelOrigin.y(), 288 + 94 + 10);
    expectSoundChart(font, chart, a4At600);
}

TEST(FontChart, ZeroWidthGlyphsTakeOnlyTheirLabel)
{
    Font font = fontOf(3, 8, 14);
    font.glyphs[1].reset(14, 0);
    const FontChart chart = layoutFontChart(font, a4At600);
    const std::vector<ChartEntry> &e = chart.pages[0].entries;
    EXPECT_TRUE(e[1].box.isEmpty());
    EXPECT_EQ(e[2].labelOrigin.x(), e[1].box.x() + 10);
}

TEST(FontChart, FontWithoutGlyphsIsOneTitledPage)
{
    const Font font = fontOf(0, 8, 14);
    const FontChart chart = layoutFontChart(font, a4At600);
    ASSERT_EQ(chart.pageCount(), 1);
    EXPECT_TRUE(chart.pages[0].entries.empty());
    EXPECT_EQ(chart.pages[0].title, QStringLiteral("Font Name default Page 1"));
}

TEST(FontChart, MixedWidthsAndPagesAreAlwaysSound)
{
    // Widths and pages chosen so that a count made before drawing is easily wrong.
    std::mt19937 random(20260512);
    const ChartPageMetrics pages[] = {a4At600, {1240, 1754, 12, 23}, {595, 842, 6, 12}};
    for (int round = 0; round < 30; ++round) {
        const int height = std::uniform_int_distribution<int>(1, 80)(random);
        Font font = fontOf(std::uniform_int_distribution<int>(1, 3000)(random), 0, height);
        for (Glyph &g : font.glyphs)
            g.reset(height, std::uniform_int_distribution<int>(0, 120)(random));
        for (const ChartPageMetrics &m : pages) {
            SCOPED_TRACE(testing::Message() << "round " << round << " page " << m.width);
            expectSoundChart(font, layoutFontChart(font, m), m);
        }
    }
}

} // namespace
