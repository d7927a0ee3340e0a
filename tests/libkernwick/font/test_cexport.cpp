#include "libkernwick/font/cexport.h"

#include <QList>

#include <gtest/gtest.h>

using namespace Kernwick;

namespace {

// The three numbers of glyph `g`'s row `r` in the export.
QByteArray exportedRow(const QByteArray &source, int g, int r)
{
    const QList<QByteArray> blocks = source.split('{');
    const QList<QByteArray> rows = blocks.at(g + 2).split('\n');
    return rows.at(r).trimmed().replace("},", "").replace("}", "");
}

} // namespace

TEST(CExport, RowCodes)
{
    Font f = defaultFont();
    f.header.ldepth = 1;
    f.glyphs[0].setPixel(0, 0, 2); // white at 2BPP: code 2, then eleven transparent
    f.glyphs[0].setPixel(1, 0, 1); // value 1: code 0
    f.glyphs[0].setPixel(2, 7, 3); // value 3 keeps code 3
    const QByteArray c = exportCSource(f);
    EXPECT_EQ(exportedRow(c, 0, 0), "149,85,85,");
    EXPECT_EQ(exportedRow(c, 0, 1), "21,85,85,");
    // Column 7 takes bits 9 and 8: 0x555555 with those bits 11 -> 0x555755.
    EXPECT_EQ(exportedRow(c, 0, 2), "85,87,85,");
    // Rows 14 to 17 and columns 8 to 11 lie outside the 8 x 14 glyph: transparent.
    EXPECT_EQ(exportedRow(c, 0, 17), "85,85,85");
    EXPECT_EQ(exportedRow(c, 1, 0), "85,85,85,");
}

TEST(CExport, LayoutOfTheWholeFile)
{
    Font f = defaultFont();
    f.header.first = 65; // the comment numbers start at 32 whatever First is
    const QByteArray c = exportCSource(f);
    EXPECT_TRUE(c.startsWith("unsigned char fontdata[95][64] = {\n//ascii 32  \n\t\t{85,85,85,\n"));
    EXPECT_TRUE(c.contains("85,85,85},\n\n//ascii 33  \n\t\t{"));
    EXPECT_TRUE(c.endsWith("\t\t85,85,85}\n};"));
    EXPECT_EQ(c.count("//ascii"), 95);
    EXPECT_EQ(c.count("85,85,85"), 95 * 18);

    Font empty;
    EXPECT_EQ(exportCSource(empty), "unsigned char fontdata[0][64] = {};");
}
