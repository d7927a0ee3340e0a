// Glyph sheets in the core: the cells' geometry, the text that carries the header
// and the glyph table, and the font read back from a sheet's colours.

#include "namedcase.h"

#include "libkernwick/font/glyphsheet.h"
#include "libkernwick/font/zvffile.h"

#include <gtest/gtest.h>

using namespace Kernwick;

namespace {

// A 2BPP font of three glyphs of widths 3, 0 and 2, two rows high, holding every
// pixel value, with bytes after the name's NUL and non-zero reserved bytes.
Font smallFont()
{
    Font font;
    font.setName("tiny");
    font.header.name[9] = 'x';
    font.header.first = 65;
    font.header.height = 2;
    font.header.ascent = 1;
    font.header.ldepth = 1;
    font.header.skip = 96;
    font.header.pixwidth = 4;
    font.header.layout = 1;
    font.resizeGlyphTable(3);
    font.glyphs[0].reset(2, 3);
    font.glyphs[0].pixels = {0, 1, 2, 3, 2, 1};
    font.glyphs[0].left = 255;
    font.glyphs[0].reserved2 = 7;
    font.glyphs[1].reset(2, 0);
    font.glyphs[2].reset(2, 2);
    font.glyphs[2].pixels = {2, 0, 0, 1};
    font.glyphs[2].reserved1 = 9;
    std::int32_t offset = 0;
    for (Glyph &g : font.glyphs) {
        g.offset = offset;
        offset += g.width;
    }
    font.computeFileSize();
    return font;
}

SheetPicture sheetOf(const Font &font)
{
    SheetPicture picture;
    QString error;
    EXPECT_TRUE(drawSheet(font, &picture, &error)) << error.toStdString();
    return picture;
}

SheetRecord recordOf(const Font &font)
{
    SheetRecord record;
    QString error;
    EXPECT_TRUE(parseSheetText(sheetText(font), &record, &error)) << error.toStdString();
    return record;
}

void set(SheetPicture &picture, int x, int y, SheetColor color)
{
    picture.pixels[std::size_t(y) * std::size_t(picture.width) + x] = color;
}

} // namespace

TEST(GlyphSheet, CellsAreTheWidestGlyphByTheHeightWithBordersSixteenToARow)
{
    const Font font = defaultFont(); // 95 glyphs of 8 × 14
    const SheetGeometry geometry = sheetGeometry(font);
    EXPECT_EQ(geometry.width(), 16 * 9 + 1);
    EXPECT_EQ(geometry.rows(), 6);
    EXPECT_EQ(geometry.height(), 6 * 15 + 1);
    EXPECT_EQ(geometry.cellLeft(17), 1 + 9);
    EXPECT_EQ(geometry.cellTop(17), 1 + 15);

    const SheetPicture picture = sheetOf(font);
    ASSERT_EQ(picture.width, geometry.width());
    EXPECT_EQ(picture.at(0, 0), SheetColor::Border);
    EXPECT_EQ(picture.at(9, 5), SheetColor::Border) << "the line between cells 0 and 1";
    EXPECT_EQ(picture.at(1, 1), SheetColor::Transparent);
    EXPECT_EQ(picture.at(8, 14), SheetColor::Transparent) << "cell 0's last pixel";
    EXPECT_EQ(picture.at(1, 15), SheetColor::Border);
    // The last row holds glyphs 80 to 94; cell 95 is empty.
    EXPECT_EQ(picture.at(int(geometry.cellLeft(94)), int(geometry.cellTop(94))),
              SheetColor::Transparent);
    EXPECT_EQ(picture.at(int(geometry.cellLeft(95)), int(geometry.cellTop(95))),
              SheetColor::Border);
}

TEST(GlyphSheet, PixelsTakeTheirValuesColourAndNarrowGlyphsLeaveBorderColour)
{
    const Font font = smallFont();
    const SheetPicture picture = sheetOf(font);
    ASSERT_EQ(picture.width, 16 * 4 + 1);
    ASSERT_EQ(picture.height, 4);
    const std::vector<SheetColor> cell0 = {picture.at(1, 1), picture.at(2, 1), picture.at(3, 1),
                                           picture.at(1, 2), picture.at(2, 2), picture.at(3, 2)};
    EXPECT_EQ(cell0, (std::vector<SheetColor>{SheetColor::Transparent, SheetColor::Halftone,
                                              SheetColor::White, SheetColor::ValueThree,
                                              SheetColor::White, SheetColor::Halftone}));
    EXPECT_EQ(picture.at(5, 1), SheetColor::Border) << "glyph 1 has no columns";
    EXPECT_EQ(picture.at(9, 1), SheetColor::White);
    EXPECT_EQ(picture.at(11, 1), SheetColor::Border) << "glyph 2 is one column narrower";

    Font oneBit = defaultFont();
    oneBit.glyphs[0].setPixel(0, 0, 1);
    EXPECT_EQ(sheetOf(oneBit).at(1, 1), SheetColor::White) << "1 is white in a 1BPP font";
}

TEST(GlyphSheet, TheTextCarriesTheWholeHeaderAndEveryGlyphsEntry)
{
    const Font font = smallFont();
    // Name "tiny" with an 'x' after its NUL, Skip 96, Pixwidth 4, Chars 3, First 65,
    // Height 2, Ascent 1, Ldepth 1, Layout 1; then width, Left and reserved bytes.
    EXPECT_EQ(sheetText(font), "Kernwick glyph sheet 1\n"
                               "header 74696e790000000000780000600000000400000003004100"
                               "0201010100000000\n"
                               "glyphs 03ff00070000000002000900\n");
    const SheetRecord record = recordOf(font);
    EXPECT_EQ(record.header, zvfHeader(font));
    ASSERT_EQ(record.glyphs.size(), 3u);
    EXPECT_EQ(record.glyphs[0].width, 3);
    EXPECT_EQ(record.glyphs[0].left, 255);
    EXPECT_EQ(record.glyphs[0].reserved2, 7);
    EXPECT_EQ(record.glyphs[2].reserved1, 9);
}

TEST(GlyphSheet, ASheetGivesBackItsFontExactly)
{
    for (const Font &font : {smallFont(), defaultFont()}) {
        Font read;
        QString error;
        ASSERT_TRUE(fontFromSheet(recordOf(font), sheetOf(font), &read, &error))
            << error.toStdString();
        Font expected = font;
        std::int32_t offset = 0;
        for (Glyph &g : expected.glyphs) {
            g.offset = offset;
            offset += g.width;
        }
        EXPECT_EQ(read, expected);
    }
}

TEST(GlyphSheet, AnEditedPixelIsTakenAndNothingElseChanges)
{
    const Font font = smallFont();
    SheetPicture picture = sheetOf(font);
    set(picture, 10, 2, SheetColor::ValueThree); // glyph 2, row 1, column 1
    Font read;
    QString error;
    ASSERT_TRUE(fontFromSheet(recordOf(font), picture, &read, &error)) << error.toStdString();
    Font expected = font;
    expected.glyphs[2].setPixel(1, 1, 3);
    EXPECT_EQ(read, expected);
}

namespace {

struct RefusedSheetCase : Test::NamedCase
{
    int x;
    int y;
    SheetColor color;
    std::uint8_t ldepth;
    const char *message;
};

class RefusedSheet : public ::testing::TestWithParam<RefusedSheetCase>
{
};

} // namespace

TEST_P(RefusedSheet, NamesTheFirstPixelAtFault)
{
    const RefusedSheetCase &c = GetParam();
    Font font = smallFont();
    if (c.ldepth == 0) {
        font.header.ldepth = 0;
        for (Glyph &g : font.glyphs)
            for (auto &p : g.pixels)
                p &= 1;
    }
    SheetPicture picture = sheetOf(font);
    set(picture, c.x, c.y, c.color);
    set(picture, 60, 3, SheetColor::White); // a later fault, never the one named
    Font read = defaultFont();
    QString error;
    EXPECT_FALSE(fontFromSheet(recordOf(font), picture, &read, &error));
    EXPECT_EQ(error.toStdString(), c.message);
    EXPECT_EQ(read, defaultFont()) << "a refused sheet changes nothing";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedSheet,
    ::testing::Values(
        RefusedSheetCase{"BorderLine", 4, 1, SheetColor::White, 1,
                         "Pixel (4, 1) is on a border line and must keep the border colour"},
        RefusedSheetCase{"BeyondTheWidth", 11, 2, SheetColor::Transparent, 1,
                         "Pixel (11, 2) lies beyond the width (2) of the glyph for code 67 and "
                         "must keep the border colour"},
        RefusedSheetCase{"ZeroWidthGlyph", 5, 1, SheetColor::White, 1,
                         "Pixel (5, 1) lies beyond the width (0) of the glyph for code 66 and "
                         "must keep the border colour"},
        RefusedSheetCase{"AfterTheLastGlyph", 13, 1, SheetColor::Halftone, 1,
                         "Pixel (13, 1) lies in a cell after the last glyph and must keep the "
                         "border colour"},
        RefusedSheetCase{"BorderColourInAGlyph", 2, 2, SheetColor::Border, 1,
                         "Pixel (2, 2) of the glyph for code 65 has the border colour"},
        RefusedSheetCase{"HalftoneIn1Bpp", 3, 1, SheetColor::Halftone, 0,
                         "Pixel (3, 1) of the glyph for code 65 is halftone, which a 1BPP font "
                         "cannot hold"},
        RefusedSheetCase{"ValueThreeIn1Bpp", 1, 1, SheetColor::ValueThree, 0,
                         "Pixel (1, 1) of the glyph for code 65 is of value 3, which a 1BPP "
                         "font cannot hold"}),
    Test::CaseName());

TEST(GlyphSheet, APictureOfAnotherSizeIsRefused)
{
    const Font font = smallFont();
    SheetPicture picture = sheetOf(font);
    picture.height -= 1;
    picture.pixels.resize(std::size_t(picture.width) * std::size_t(picture.height));
    Font read;
    QString error;
    EXPECT_FALSE(fontFromSheet(recordOf(font), picture, &read, &error));
    EXPECT_EQ(error, "The glyph sheet is 65 × 3 pixels, but the glyphs its text describes need "
                     "65 × 4");
}

namespace {

struct DamagedTextCase : Test::NamedCase
{
    const char *text;
    const char *message;
};

class DamagedText : public ::testing::TestWithParam<DamagedTextCase>
{
};

// The header of a font of two glyphs (Chars 2) and of none.
const QByteArray TwoGlyphHeader =
    "0000000000000000000000000000000000000000020020000e0a000100000000";
const QByteArray NoGlyphHeader = "0000000000000000000000000000000000000000000020000e0a000100000000";

} // namespace

TEST_P(DamagedText, IsRefusedWithWhatIsWrong)
{
    const DamagedTextCase &c = GetParam();
    QByteArray text = c.text;
    text.replace("H2", TwoGlyphHeader).replace("H0", NoGlyphHeader);
    SheetRecord record;
    record.header = "unchanged";
    QString error;
    EXPECT_FALSE(parseSheetText(text, &record, &error));
    EXPECT_EQ(error.toStdString(), std::string("The glyph sheet's text is damaged: ") + c.message);
    EXPECT_EQ(record.header, "unchanged");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DamagedText,
    ::testing::Values(
        DamagedTextCase{"Empty", "", "it does not begin with \"Kernwick glyph sheet 1\""},
        DamagedTextCase{"OtherFormat", "Kernwick glyph sheet 2\nheader H0\nglyphs \n",
                        "it does not begin with \"Kernwick glyph sheet 1\""},
        DamagedTextCase{"NoGlyphsLine", "Kernwick glyph sheet 1\nheader H0\n",
                        "it must hold a \"header\" line and a \"glyphs\" line"},
        DamagedTextCase{"ShortHeader", "Kernwick glyph sheet 1\nheader 0011\nglyphs \n",
                        "the header is not 32 bytes in hexadecimal"},
        DamagedTextCase{"HeaderNotHex",
                        "Kernwick glyph sheet 1\nheader "
                        "zz00000000000000000000000000000000000000000000000000000000000000\n"
                        "glyphs \n",
                        "the header is not 32 bytes in hexadecimal"},
        DamagedTextCase{"OddEntry", "Kernwick glyph sheet 1\nheader H2\nglyphs 080000\n",
                        "the glyph table is not whole 4-byte entries in hexadecimal"},
        DamagedTextCase{"EntryNotHex", "Kernwick glyph sheet 1\nheader H2\nglyphs 0800000g\n",
                        "the glyph table is not whole 4-byte entries in hexadecimal"},
        DamagedTextCase{"TooFewEntries", "Kernwick glyph sheet 1\nheader H2\nglyphs 08000000\n",
                        "the glyph table holds 1 glyphs but the header says 2"}),
    Test::CaseName());

TEST(GlyphSheet, TextWithWindowsLineEndsIsRead)
{
    QByteArray text = sheetText(smallFont());
    text.replace("\n", "\r\n");
    SheetRecord record;
    QString error;
    ASSERT_TRUE(parseSheetText(text, &record, &error)) << error.toStdString();
    EXPECT_EQ(record.glyphs.size(), 3u);
}

TEST(GlyphSheet, ASheetTooLargeIsRefusedBeforeAnythingIsAllocated)
{
    // 65535 glyphs of 255 × 255 would need a picture of 4097 × 1048577 pixels.
    Font font;
    font.header.height = 255;
    font.resizeGlyphTable(MaxGlyphs);
    font.glyphs[0].reset(255, 255); // the others keep no rows: the geometry is enough
    const SheetGeometry geometry = sheetGeometry(font);
    EXPECT_EQ(geometry.height(), 4096 * 256 + 1);
    EXPECT_FALSE(geometry.fits());
    SheetPicture picture;
    QString error;
    EXPECT_FALSE(drawSheet(font, &picture, &error));
    EXPECT_EQ(error, "The font's glyph sheet would be 4097 × 1048577 pixels; a sheet may have "
                     "at most 67108864 pixels and 1000000 on a side");
    EXPECT_TRUE(picture.pixels.empty());
}
