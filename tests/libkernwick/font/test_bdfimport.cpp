#include "libkernwick/font/bdfimport.h"
#include "namedcase.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>

using namespace Kernwick;

namespace {

QString dataPath(const QString &relative)
{
    return QStringLiteral(KERNWICK_TEST_DATA "/bdf/") + relative;
}

QByteArray readData(const QString &relative)
{
    QByteArray text;
    QString error;
    EXPECT_TRUE(readBdfFile(dataPath(relative), &text, &error)) << error.toStdString();
    return text;
}

// One character in BDF form; a null `bbx` or `dwidth` leaves out that line.
QByteArray character(const QByteArray &encoding, const char *bbx, const QList<QByteArray> &rows,
                     const char *dwidth = "8 0")
{
    QByteArray s = "STARTCHAR c" + encoding + "\nENCODING " + encoding + "\nSWIDTH 500 0\n";
    if (dwidth)
        s += QByteArray("DWIDTH ") + dwidth + "\n";
    if (bbx)
        s += QByteArray("BBX ") + bbx + "\n";
    s += "BITMAP\n";
    for (const QByteArray &row : rows)
        s += row + "\n";
    return s + "ENDCHAR\n";
}

QByteArray character(int encoding, const char *bbx, const QList<QByteArray> &rows,
                     const char *dwidth = "8 0")
{
    return character(QByteArray::number(encoding), bbx, rows, dwidth);
}

QByteArray font(const char *boundingBox, const QByteArray &characters, const char *declared = "0")
{
    return QByteArray("STARTFONT 2.1\nFONT test\nSIZE 16 75 75\nFONTBOUNDINGBOX ") + boundingBox +
           "\nSTARTPROPERTIES 1\nFONT_ASCENT 12\nENDPROPERTIES\nCHARS " + declared + "\n" +
           characters + "ENDFONT\n";
}

struct Imported
{
    bool scanned = false;
    bool ok = false;
    BdfScan scan;
    Font font;
    QString error;
};

// Scans and imports with the dialog's opening choices, changed by `adjust`.
Imported import(const QByteArray &text,
                const std::function<void(ImportFontChoice &)> &adjust = nullptr)
{
    Imported r;
    r.scanned = scanBdf(text, &r.scan, &r.error);
    if (!r.scanned)
        return r;
    ImportFontChoice choice =
        initialImportFontChoice(r.scan.characterCount, r.scan.firstEncoding, "test.bdf");
    if (adjust)
        adjust(choice);
    r.ok = importBdf(text, r.scan, choice, &r.font, &r.error);
    return r;
}

std::string rowText(const Glyph &g, int r)
{
    std::string s;
    for (int c = 0; c < g.width; ++c)
        s += char('0' + g.pixel(r, c));
    return s;
}

std::vector<std::string> rowsOf(const Glyph &g)
{
    std::vector<std::string> rows;
    for (int r = 0; r < g.rowCount; ++r)
        rows.push_back(rowText(g, r));
    return rows;
}

const Glyph &glyphFor(const Font &f, int code)
{
    const int index = code - f.header.first;
    EXPECT_GE(index, 0);
    EXPECT_LT(index, f.chars());
    return f.glyphs.at(std::size_t(index));
}

// What every imported font must be, whatever the file held: a fixed cell, or any
// width a glyph can have when imported as drawn.
void expectValidFont(const Font &f, const BdfScan &scan, bool asDrawn = false)
{
    ASSERT_GE(f.chars(), 1);
    ASSERT_LE(f.chars(), MaxGlyphs);
    EXPECT_LE(int(f.header.first) + f.chars() - 1, 0xffff);
    EXPECT_EQ(f.header.height, scan.cellHeight);
    EXPECT_EQ(f.header.skip, 0u);
    const std::uint8_t white = f.whiteValue();
    for (const Glyph &g : f.glyphs) {
        ASSERT_EQ(g.rowCount, f.header.height);
        if (!asDrawn) {
            ASSERT_TRUE(g.width == scan.cellWidth || g.width == 0) << int(g.width);
        }
        ASSERT_EQ(g.pixels.size(), std::size_t(g.rowCount) * g.width);
        for (std::uint8_t p : g.pixels)
            ASSERT_TRUE(p == 0 || p == white) << int(p);
        ASSERT_EQ(g.left, 0);
    }
    Font copy = f;
    copy.computeFileSize();
    EXPECT_EQ(copy.header.fileSize, f.header.fileSize);
}

} // namespace

TEST(BdfScan, ReadsTheCellTheCountAndTheFirstNonZeroEncoding)
{
    const QByteArray text =
        font("8 16 -3 -4",
             character(0, "8 16 0 -4", {"FF"}) + character(0, "8 16 0 -4", {"FF"}) +
                 character(-1, "8 16 0 -4", {"FF"}) + character(65, "8 16 0 -4", {"FF"}),
             "4");
    BdfScan scan;
    QString error;
    ASSERT_TRUE(scanBdf(text, &scan, &error)) << error.toStdString();
    EXPECT_EQ(scan.cellWidth, 8);
    EXPECT_EQ(scan.cellHeight, 16);
    EXPECT_EQ(scan.cellXOffset, 3);
    EXPECT_EQ(scan.baselineRow, 11);
    EXPECT_EQ(scan.characterCount, 4);
    EXPECT_EQ(scan.firstEncoding, -1) << "encoding 0 is passed over, a negative one is not";
    EXPECT_EQ(text.mid(scan.charactersStart - 13, 13), "ENDPROPERTIES");

    const ImportFontChoice choice =
        initialImportFontChoice(scan.characterCount, scan.firstEncoding, "/x/Helvetica-Bold.bdf");
    EXPECT_EQ(choice.firstToImport, -1);
    EXPECT_EQ(choice.encodeAs, -1);
    EXPECT_EQ(choice.countToImport, 95);
    EXPECT_EQ(choice.depth, 0);
    EXPECT_TRUE(choice.retainGaps);
    EXPECT_EQ(choice.name, "Helvetica-B");
}

TEST(ImportFontChoice, ProposesTheFileNameUpToItsFirstDot)
{
    const struct
    {
        const char *file, *name;
    } cases[] = {{"courier.bdf", "courier"},       {"/fonts/10x20.ISO10646.bdf", "10x20"},
                 {"noextension", "noextension"},   {"averyveryverylongname.bdf", "averyveryve"},
                 {"dir.with.dots/plain", "plain"}, {".hidden.bdf", ""}};
    for (const auto &c : cases)
        EXPECT_EQ(proposedFontName(QString::fromUtf8(c.file)), QString::fromUtf8(c.name)) << c.file;
}

TEST(BdfImport, BuildsTheHeaderFromTheBoundingBoxAndTheChoice)
{
    const Imported r = import(font("8 16 0 -4", character(65, "8 16 0 -4", {"FF"})),
                              [](ImportFontChoice &c) { c.name = "ThisIsTooLongAName"; });
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.font.header.height, 16);
    EXPECT_EQ(r.font.header.ascent, 11) << "rows 0 to 11 above the baseline, 12 to 15 below";
    EXPECT_EQ(r.font.header.first, 65);
    EXPECT_EQ(r.font.chars(), 1);
    EXPECT_EQ(r.font.header.ldepth, 0);
    EXPECT_EQ(r.font.header.skip, 0u);
    EXPECT_EQ(r.font.nameText(), "ThisIsTooLo");
    EXPECT_EQ(r.font.header.name[11], 0);
    EXPECT_EQ(r.font.header.fileSize, 32 + 32 + 16 * 4);
    expectValidFont(r.font, r.scan);
}

TEST(BdfImport, AscentIsTheBaselineRowModulo256)
{
    const struct
    {
        const char *box;
        int height, ascent;
    } cases[] = {{"8 16 0 -4", 16, 11},
                 {"8 16 0 -20", 16, 251}, // baseline row -5
                 {"8 16 0 300", 16, 59},  // baseline row 315
                 {"8 272 0 0", 16, 15}};  // the height itself is taken modulo 256
    for (const auto &c : cases) {
        const Imported r = import(font(c.box, character(65, nullptr, {})));
        ASSERT_TRUE(r.ok) << c.box << ": " << r.error.toStdString();
        EXPECT_EQ(r.font.header.height, c.height) << c.box;
        EXPECT_EQ(r.font.header.ascent, c.ascent) << c.box;
    }
}

TEST(BdfImport, PlacesTheBoxBelowTheBaselineAndShiftsOneColumnRight)
{
    const Imported r =
        import(font("8 16 0 -4",
                    character(65, "8 11 0 0",
                              {"18", "24", "42", "42", "81", "81", "FF", "81", "81", "81", "C3"})));
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    const std::vector<std::string> expected = {"00000000", //
                                               "00001100", "00010010", "00100001", "00100001",
                                               "01000000", "01000000", "01111111", "01000000",
                                               "01000000", "01000000", "01100001", // rows 1 to 11
                                               "00000000", "00000000", "00000000", "00000000"};
    EXPECT_EQ(rowsOf(r.font.glyphs[0]), expected);
}

TEST(BdfImport, OffsetsMoveTheBitmap)
{
    // Cell x offset -2 and box x offset -1 shift by 2 + 1 + 1 columns; the box
    // y offset 2 lifts a 3-row box so that its last row is baseline row 11 - 2.
    const Imported r =
        import(font("12 16 -2 -4", character(65, "4 3 -1 2", {"F0", "80", "F0"}), "1"));
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    const Glyph &g = r.font.glyphs[0];
    for (int row = 0; row < 16; ++row) {
        const char *expected = row == 7 || row == 9 ? "000011110000"
                               : row == 8           ? "000010000000"
                                                    : "000000000000";
        EXPECT_EQ(rowText(g, row), expected) << "row " << row;
    }
}

struct RowCase : Test::NamedCase
{
    const char *box; // FONTBOUNDINGBOX
    const char *row; // one bitmap row of a one-row box at the top of the cell
    const char *expected;
};

class BdfRow : public ::testing::TestWithParam<RowCase>
{
};

TEST_P(BdfRow, ReadsTheLeftmostDigitsHighestBitAsColumnZero)
{
    const RowCase c = GetParam();
    // A one-row box whose row is the cell's top row (baseline row 0).
    const Imported r = import(font(c.box, character(65, "1 1 0 0", {c.row})));
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(rowText(r.font.glyphs[0], 0), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BdfRow,
    ::testing::Values(
        RowCase{"C0 in 8 columns", "8 1 0 0", "C0", "01100000"},
        RowCase{"8000 in 16 columns", "16 1 0 0", "8000", "0100000000000000"},
        RowCase{"lower case digits", "8 1 0 0", "a5", "01010010"},
        RowCase{"fewer digits than columns", "12 1 0 0", "F", "011110000000"},
        RowCase{"more digits than columns", "6 1 0 0", "FFFF0000", "011111"},
        RowCase{"ten digits, 40 columns", "40 1 0 0", "80000000FF",
                "0100000000000000000000000000000001111111"},
        RowCase{"forty digits, 160 columns", "160 1 0 0",
                "F000000000000000000000000000000000000010",
                "0111100000000000000000000000000000000000000000000000000000000000000000000000"
                "0000000000000000000000000000000000000000000000000000000000000000000000000000"
                "00001000"},
        RowCase{"digits end at a non-digit", "8 1 0 0", "FGFF", "01111000"},
        RowCase{"blanks before the row", "8 1 0 0", "  \t 81", "01000000"}),
    Test::CaseName());

TEST(BdfImport, RowsAreReadUpToEndcharOnly)
{
    // A box of 4 rows with 2 rows of text: the other rows stay clear (the "E"
    // of "ENDCHAR" is not a row).
    const Imported r = import(font("8 4 0 0", character(65, "8 4 0 0", {"FF", "81"})));
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    const std::vector<std::string> expected = {"01111111", "01000000", "00000000", "00000000"};
    EXPECT_EQ(rowsOf(r.font.glyphs[0]), expected);
}

TEST(BdfImport, GapsBecomeZeroWidthGlyphsOnlyWhenRetained)
{
    const QByteArray text =
        font("8 2 0 0",
             character(65, "8 2 0 0", {"80", "80"}) + character(66, "8 2 0 0", {"40", "40"}) +
                 character(68, "8 2 0 0", {"20", "20"}) + character(69, "8 2 0 0", {"10", "10"}));
    for (const bool retain : {true, false}) {
        SCOPED_TRACE(retain ? "retained" : "not retained");
        const Imported r = import(text, [&](ImportFontChoice &c) {
            c.countToImport = 3;
            c.retainGaps = retain;
        });
        ASSERT_TRUE(r.ok) << r.error.toStdString();
        expectValidFont(r.font, r.scan);
        EXPECT_EQ(r.font.header.first, 65);
        std::vector<int> widths;
        std::vector<std::string> firstRows;
        for (const Glyph &g : r.font.glyphs) {
            widths.push_back(g.width);
            firstRows.push_back(rowText(g, 0));
        }
        if (retain) {
            EXPECT_EQ(widths, (std::vector<int>{8, 8, 0, 8}));
            EXPECT_EQ(firstRows,
                      (std::vector<std::string>{"01000000", "00100000", "", "00010000"}));
        } else {
            EXPECT_EQ(widths, (std::vector<int>{8, 8, 8}));
            EXPECT_EQ(firstRows, (std::vector<std::string>{"01000000", "00100000", "00010000"}));
        }
    }
}

TEST(BdfImport, TakesCharactersInFileOrderFromTheFirstQualifyingOne)
{
    const QByteArray text =
        font("8 1 0 0", character(0, nullptr, {}) + character(-1, nullptr, {}) +
                            character(30, nullptr, {}) + character(40, nullptr, {}) +
                            character(35, nullptr, {}) + character(0, nullptr, {}) +
                            character(50, nullptr, {}) + character(51, nullptr, {}));
    const struct
    {
        int firstToImport, count;
        bool gaps;
        int first, chars;
    } cases[] = {
        {-1, 95, false, 30, 6}, // encodings 0 and -1 never start the import
        {0, 2, false, 30, 2},   // the count stops it
        {31, 95, false, 40, 5}, // characters before the first to import are skipped
        {31, 95, true, 40, 54}, // 40, 35, 0, gaps 1 to 49, 50, 51: gaps follow the last encoding
        {36, 2, true, 40, 2},   // a falling encoding leaves no gap
        {52, 95, false, 0, 0},  // nothing qualifies
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "from " << c.firstToImport << " count " << c.count);
        const Imported r = import(text, [&](ImportFontChoice &choice) {
            choice.firstToImport = c.firstToImport;
            choice.countToImport = c.count;
            choice.retainGaps = c.gaps;
        });
        if (c.chars == 0) {
            EXPECT_FALSE(r.ok);
            EXPECT_EQ(r.error, "No characters to import at or above encoding 52");
            continue;
        }
        ASSERT_TRUE(r.ok) << r.error.toStdString();
        EXPECT_EQ(r.font.header.first, c.first);
        EXPECT_EQ(r.font.chars(), c.chars);
        expectValidFont(r.font, r.scan);
    }
}

TEST(BdfImport, TwoBitsPerPixelWritesOnlyZeroAndTwo)
{
    const Imported r = import(font("8 2 0 0", character(65, "8 2 0 0", {"AA", "55"})),
                              [](ImportFontChoice &c) { c.depth = 1; });
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.font.header.ldepth, 1);
    EXPECT_EQ(rowsOf(r.font.glyphs[0]), (std::vector<std::string>{"02020202", "00202020"}));
}

TEST(BdfImport, CharacterWithoutABoxReusesThePreviousOne)
{
    const Imported r = import(font("8 4 0 0", character(65, "8 2 2 0", {"80", "80"}) +
                                                  character(66, nullptr, {"FF", "FF"})));
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    ASSERT_EQ(r.font.chars(), 2);
    const std::vector<std::string> expected = {"00000000", "00000000", "00011111", "00011111"};
    EXPECT_EQ(rowsOf(r.font.glyphs[1]), expected);
}

TEST(BdfImport, EndsAtEndfontOrTheEndOfTheText)
{
    const QByteArray two = character(65, nullptr, {}) + character(66, nullptr, {});
    const QByteArray cases[] = {
        font("8 4 0 0", two) + character(67, nullptr, {}), // characters after ENDFONT
        font("8 4 0 0", two).replace("ENDFONT\n", ""),     // no ENDFONT
        font("8 4 0 0", two + "STARTCHAR cut\nENCODING 67\nBITMAP\nFF\n"),
    };
    for (const QByteArray &text : cases) {
        const Imported r = import(text);
        ASSERT_TRUE(r.ok) << r.error.toStdString();
        EXPECT_EQ(r.font.chars(), 2);
    }
}

TEST(BdfImport, CodesNeverPass65535)
{
    QByteArray characters;
    for (int e = 65533; e <= 65540; ++e)
        characters += character(e, nullptr, {});
    for (const bool gaps : {true, false}) {
        const Imported r =
            import(font("8 1 0 0", characters), [&](ImportFontChoice &c) { c.retainGaps = gaps; });
        ASSERT_TRUE(r.ok) << r.error.toStdString();
        EXPECT_EQ(r.font.header.first, 65533);
        EXPECT_EQ(r.font.chars(), 3);
    }
    // A gap reaching past the last code ends the import before it.
    const Imported r =
        import(font("8 1 0 0", character(1, nullptr, {}) + character(2, nullptr, {}) +
                                   character(70000, nullptr, {}) + character(3, nullptr, {})));
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.font.chars(), 2);
    // A first encoding above 65535 cannot start the import.
    const Imported above = import(font("8 1 0 0", character(70000, nullptr, {})));
    EXPECT_FALSE(above.ok);
}

TEST(BdfImport, CountAllFillsTheWholeCodeRange)
{
    QByteArray characters = character(1, nullptr, {});
    characters += character(65535, nullptr, {});
    const Imported r = import(font("8 1 0 0", characters),
                              [](ImportFontChoice &c) { c.countToImport = MaxGlyphs; });
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.font.header.first, 1);
    ASSERT_EQ(r.font.chars(), 65535);
    EXPECT_EQ(r.font.glyphs.back().width, 8);
    EXPECT_EQ(r.font.glyphs[1].width, 0);
}

TEST(BdfImport, RefusesWhatItCannotBuildAndLeavesTheFontAlone)
{
    const QByteArray text = font("8 1 0 0", character(65, nullptr, {}));
    QByteArray huge;
    for (int e = 1; e <= 2100; ++e) // 2100 cells of 255 x 255 pixels
        huge += "STARTCHAR x\nENCODING " + QByteArray::number(e) + "\nENDCHAR\n";
    // Characters without STARTCHAR all land on the same glyph.
    const QByteArray redrawn =
        character(65, nullptr, {}) + QByteArray("BITMAP\nENDCHAR\n").repeated(100000);
    const struct
    {
        const char *what;
        QByteArray text;
        std::function<void(ImportFontChoice &)> adjust;
        const char *error;
    } cases[] = {
        {"count 0", text, [](ImportFontChoice &c) { c.countToImport = 0; },
         "The number of characters to import must be at least 1"},
        {"negative count", text, [](ImportFontChoice &c) { c.countToImport = -5; },
         "The number of characters to import must be at least 1"},
        {"depth 2", text, [](ImportFontChoice &c) { c.depth = 2; },
         "The pixel depth must be 1 or 2 bits per pixel"},
        {"too many pixels", font("255 255 0 0", huge),
         [](ImportFontChoice &c) { c.countToImport = MaxGlyphs; }, FontTooLarge},
        {"one glyph redrawn over and over", font("255 255 0 0", redrawn),
         [](ImportFontChoice &c) { c.countToImport = MaxGlyphs; }, FontTooLarge},
    };
    for (const auto &c : cases) {
        Font untouched = defaultFont();
        BdfScan scan;
        QString error;
        ASSERT_TRUE(scanBdf(c.text, &scan, &error)) << c.what;
        ImportFontChoice choice = initialImportFontChoice(scan.characterCount, scan.firstEncoding,
                                                          QStringLiteral("x.bdf"));
        c.adjust(choice);
        EXPECT_FALSE(importBdf(c.text, scan, choice, &untouched, &error)) << c.what;
        EXPECT_EQ(error, QString::fromLatin1(c.error)) << c.what;
        EXPECT_EQ(untouched, defaultFont()) << c.what;
    }
}

// Fonts from a Debian package, converted with pcf2bdf as a user would.
class RealFont : public ::testing::Test
{
protected:
    QByteArray convert(const QString &pcf)
    {
        const QString tool = QStandardPaths::findExecutable(QStringLiteral("pcf2bdf"));
        if (tool.isEmpty())
            return {};
        const QString source = QStringLiteral("/usr/share/fonts/X11/misc/") + pcf;
        EXPECT_TRUE(QFile::exists(source)) << source.toStdString();
        const QString out = m_dir.filePath(QFileInfo(pcf).baseName() + QStringLiteral(".bdf"));
        QProcess process;
        process.start(tool, {QStringLiteral("-o"), out, source});
        EXPECT_TRUE(process.waitForFinished(30000));
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
        QByteArray text;
        QString error;
        EXPECT_TRUE(readBdfFile(out, &text, &error)) << error.toStdString();
        return text;
    }

    void SetUp() override
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pcf2bdf")).isEmpty())
            GTEST_SKIP() << "pcf2bdf is not installed";
        ASSERT_TRUE(m_dir.isValid());
    }

    QTemporaryDir m_dir;
};

TEST_F(RealFont, FixedCellFontMatchesItsBitmaps)
{
    // 10x20: FONTBOUNDINGBOX 10 20 0 -4, every character a full cell. 'A' is
    // 0C00 1E00 3300 ... and 'g' 3E80 6380 ...; each row moves one column right.
    const QByteArray text = convert(QStringLiteral("10x20.pcf.gz"));
    ASSERT_FALSE(text.isEmpty());
    const Imported r = import(text, [](ImportFontChoice &c) {
        c.firstToImport = 65;
        c.countToImport = 39;
    });
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_GT(r.scan.characterCount, 5000);
    EXPECT_EQ(r.font.header.height, 20);
    EXPECT_EQ(r.font.header.ascent, 15);
    EXPECT_EQ(r.font.header.first, 65);
    EXPECT_EQ(r.font.chars(), 39);
    expectValidFont(r.font, r.scan);
    const std::vector<std::string> upperA = {
        "0000000000", "0000000000", "0000000000", "0000011000", "0000111100",
        "0001100110", "0001100110", "0011000011", "0011000011", "0011000011",
        "0011111111", "0011000011", "0011000011", "0011000011", "0011000011",
        "0011000011", "0000000000", "0000000000", "0000000000", "0000000000"};
    const std::vector<std::string> lowerG = {
        "0000000000", "0000000000", "0000000000", "0000000000", "0000000000",
        "0000000000", "0000000000", "0000000000", "0001111101", "0011000111",
        "0011000110", "0011000110", "0011000110", "0001111100", "0011000000",
        "0001111110", "0011000011", "0011000011", "0011000011", "0001111110"};
    EXPECT_EQ(rowsOf(glyphFor(r.font, 'A')), upperA);
    EXPECT_EQ(rowsOf(glyphFor(r.font, 'g')), lowerG);
}

TEST_F(RealFont, ProportionalFontPlacesEachBox)
{
    // cu12: FONTBOUNDINGBOX 40 30 -9 -10, so the baseline row is 19 and every
    // bitmap moves 9 + 1 columns plus its own x offset. 'A' is BBX 11 11 0 0
    // (rows 9 to 19), 'g' is BBX 7 11 1 -4 (rows 13 to 23, one more column).
    const QByteArray text = convert(QStringLiteral("cu12.pcf.gz"));
    ASSERT_FALSE(text.isEmpty());
    const Imported r = import(text, [](ImportFontChoice &c) {
        c.firstToImport = 65;
        c.countToImport = 39;
    });
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.font.header.height, 30);
    EXPECT_EQ(r.font.header.ascent, 19);
    expectValidFont(r.font, r.scan);
    const std::string blank(40, '0');
    std::vector<std::string> upperA(30, blank);
    const char *aRows[] = {"0000000000000001000000000000000000000000", // 0400
                           "0000000000000001000000000000000000000000", // 0400
                           "0000000000000010100000000000000000000000", // 0A00
                           "0000000000000010100000000000000000000000",
                           "0000000000000010100000000000000000000000",
                           "0000000000000100010000000000000000000000", // 1100
                           "0000000000000100010000000000000000000000",
                           "0000000000000111110000000000000000000000", // 1F00
                           "0000000000001000001000000000000000000000", // 2080
                           "0000000000001000001000000000000000000000",
                           "0000000000111100011110000000000000000000"}; // F1E0
    for (int i = 0; i < 11; ++i)
        upperA[std::size_t(9 + i)] = aRows[i];
    std::vector<std::string> lowerG(30, blank);
    const char *gRows[] = {
        "0000000000000111110000000000000000000000", // 3E
        "0000000000001000100000000000000000000000", // 44
        "0000000000001000100000000000000000000000", "0000000000001000100000000000000000000000",
        "0000000000001111000000000000000000000000", // 78
        "0000000000001000000000000000000000000000", // 40
        "0000000000001111100000000000000000000000", // 7C
        "0000000000010000010000000000000000000000", // 82
        "0000000000010000010000000000000000000000", "0000000000010000010000000000000000000000",
        "0000000000001111100000000000000000000000"}; // 7C
    for (int i = 0; i < 11; ++i)
        lowerG[std::size_t(13 + i)] = gRows[i];
    EXPECT_EQ(rowsOf(glyphFor(r.font, 'A')), upperA);
    EXPECT_EQ(rowsOf(glyphFor(r.font, 'g')), lowerG);
}

// ---------------------------------------------------------------------------
// Glyphs as drawn

namespace {

struct DrawnCase : Test::NamedCase
{
    QByteArray characters; // in a font of FONTBOUNDINGBOX 8 4 0 -1: baseline row 2
    std::vector<std::vector<std::string>> glyphs;
};

class BdfAsDrawn : public ::testing::TestWithParam<DrawnCase>
{
};

} // namespace

TEST_P(BdfAsDrawn, PlacesEveryBitWhereTheFileDrawsIt)
{
    const DrawnCase &c = GetParam();
    const Imported r = import(font("8 4 0 -1", c.characters), [](ImportFontChoice &choice) {
        choice.asDrawn = true;
        choice.countToImport = MaxGlyphs;
    });
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    expectValidFont(r.font, r.scan, true);
    ASSERT_EQ(r.font.chars(), int(c.glyphs.size()));
    for (std::size_t i = 0; i < c.glyphs.size(); ++i) {
        SCOPED_TRACE(i);
        const Glyph &g = r.font.glyphs[i];
        EXPECT_EQ(rowsOf(g), c.glyphs[i]);
        if (c.glyphs[i].front().empty()) {
            EXPECT_EQ(g.width, 0);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BdfAsDrawn,
    ::testing::Values(
        // The box's rows against the baseline, its columns from the origin: no
        // extra column, and the last column of a full cell kept.
        DrawnCase{"FullCellKeepsItsLastColumn",
                  character(65, "8 3 0 0", {"81", "FF", "01"}),
                  {{"10000001", "11111111", "00000001", "00000000"}}},
        DrawnCase{"BoxOffsetAlone",
                  character(65, "2 2 3 -1", {"C0", "40"}),
                  {{"00000000", "00000000", "00011000", "00001000"}}},
        // Each glyph as wide as its advance: proportional widths and zero width.
        DrawnCase{"WidthIsTheAdvance",
                  character(65, "2 1 0 0", {"C0"}, "3 0") + character(66, "0 0 0 0", {}, "0 0") +
                      character(67, "1 1 11 0", {"80"}, "12 0"),
                  {{"000", "000", "110", "000"},
                   {"", "", "", ""},
                   {"000000000000", "000000000000", "000000000001", "000000000000"}}},
        // Ink past the advance widens the glyph; bits past the box width are padding.
        DrawnCase{"InkPastTheAdvanceWidens",
                  character(65, "3 1 2 0", {"FF"}, "4 0"),
                  {{"00000", "00000", "00111", "00000"}}},
        // Ink left of the origin moves the glyph right by as much.
        DrawnCase{"InkLeftOfTheOriginMovesRight",
                  character(65, "3 1 -2 0", {"A0"}, "2 0"),
                  {{"0000", "0000", "1010", "0000"}}},
        // Without DWIDTH the previous character's advance; the first takes the cell's.
        DrawnCase{"MissingAdvanceIsThePreviousOne",
                  character(65, "1 1 0 0", {"80"}, nullptr) +
                      character(66, "1 1 0 0", {"80"}, "2 0") +
                      character(67, "1 1 1 0", {"80"}, nullptr),
                  {{"00000000", "00000000", "10000000", "00000000"},
                   {"00", "00", "10", "00"},
                   {"00", "00", "01", "00"}}},
        // Gaps are zero-width glyphs as in the fixed-cell import.
        DrawnCase{"GapsAreZeroWidth",
                  character(65, "1 1 0 0", {"80"}, "1 0") + character(67, "1 1 0 0", {"80"}, "1 0"),
                  {{"0", "0", "1", "0"}, {"", "", "", ""}, {"0", "0", "1", "0"}}}),
    Test::CaseName());

TEST(BdfAsDrawnLimits, WidthStopsAt255AndTwoBitsPerPixelIsWhite)
{
    const Imported r = import(font("8 1 0 0", character(65, "8 1 250 0", {"FF"}, "10 0") +
                                                  character(66, "1 1 0 0", {"80"}, "300 0")),
                              [](ImportFontChoice &choice) {
                                  choice.asDrawn = true;
                                  choice.depth = 1;
                              });
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    ASSERT_EQ(r.font.chars(), 2);
    EXPECT_EQ(rowText(r.font.glyphs[0], 0), std::string(250, '0') + "22222");
    EXPECT_EQ(rowText(r.font.glyphs[1], 0), "2" + std::string(254, '0'));
}

TEST(BdfAsDrawnLimits, AFontTooLargeIsRefused)
{
    // 65535 glyphs of 255 x 255 pixels would be 4 GB.
    QByteArray characters;
    for (int code = 1; code <= 3000; ++code)
        characters += character(code, "1 1 0 0", {"80"}, "255 0");
    QString error;
    const Imported r = import(font("8 255 0 0", characters), [](ImportFontChoice &choice) {
        choice.asDrawn = true;
        choice.countToImport = MaxGlyphs;
    });
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, QString::fromLatin1(FontTooLarge));
}

// A glyph as its BDF draws it: the character's DWIDTH, BBX and bitmap rows,
// copied from the file.
struct DrawnGlyph
{
    int code;
    int advance;
    int boxWidth, boxHeight, boxX, boxY;
    QList<QByteArray> rows;
    int width; // the glyph's width: the advance, or more where the ink reaches further
};

// Checks every pixel of `glyph` against the BDF's rows: set exactly where a bit
// of the box lies, the box's rows against the baseline and its columns from the
// origin (moved right as far as ink left of it needs).
void expectDrawnAsTheFile(const Font &f, const DrawnGlyph &d, int baselineRow)
{
    SCOPED_TRACE(d.code);
    const Glyph &g = glyphFor(f, d.code);
    ASSERT_EQ(g.width, d.width);
    ASSERT_EQ(g.rowCount, f.header.height);
    const int top = baselineRow - d.boxY - d.boxHeight + 1;
    const int left = std::max(0, -d.boxX) + d.boxX;
    for (int r = 0; r < g.rowCount; ++r) {
        for (int c = 0; c < g.width; ++c) {
            const int i = r - top;
            const int j = c - left;
            bool set = false;
            if (i >= 0 && i < d.boxHeight && j >= 0 && j < d.boxWidth) {
                const QByteArray &row = d.rows[i];
                set = (QByteArray::fromHex(row).at(j / 8) >> (7 - j % 8)) & 1;
            }
            ASSERT_EQ(g.pixel(r, c), set ? 1 : 0) << "row " << r << " column " << c;
        }
    }
}

TEST_F(RealFont, AsDrawnFixedCellFontKeepsEveryPixelInPlace)
{
    // 9x15: FONTBOUNDINGBOX 9 15 0 -3 (baseline row 11), every character a full
    // cell 9 wide. 'J' reaches the ninth column, which the fixed-cell import loses.
    const QByteArray text = convert(QStringLiteral("9x15.pcf.gz"));
    ASSERT_FALSE(text.isEmpty());
    const Imported r = import(text, [](ImportFontChoice &c) {
        c.asDrawn = true;
        c.firstToImport = 32;
        c.countToImport = MaxGlyphs;
    });
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.font.header.height, 15);
    EXPECT_EQ(r.font.header.ascent, 11);
    EXPECT_GT(r.font.chars(), 4000);
    expectValidFont(r.font, r.scan, true);
    const DrawnGlyph glyphs[] = {
        {'A',
         9,
         9,
         15,
         0,
         -3,
         {"0000", "0000", "0800", "1400", "2200", "4100", "4100", "4100", "7F00", "4100", "4100",
          "4100", "0000", "0000", "0000"},
         9},
        {'J',
         9,
         9,
         15,
         0,
         -3,
         {"0000", "0000", "0F80", "0200", "0200", "0200", "0200", "0200", "0200", "0200", "4200",
          "3C00", "0000", "0000", "0000"},
         9},
        {'W',
         9,
         9,
         15,
         0,
         -3,
         {"0000", "0000", "4100", "4100", "4100", "4100", "4900", "4900", "4900", "4900", "5500",
          "2200", "0000", "0000", "0000"},
         9},
        {'g',
         9,
         9,
         15,
         0,
         -3,
         {"0000", "0000", "0000", "0000", "0000", "3D00", "4200", "4200", "4200", "3C00", "4000",
          "3E00", "4100", "4100", "3E00"},
         9},
        {'@',
         9,
         9,
         15,
         0,
         -3,
         {"0000", "0000", "3E00", "4100", "4100", "4F00", "5100", "5300", "4D00", "4000", "4000",
          "3E00", "0000", "0000", "0000"},
         9},
    };
    for (const DrawnGlyph &d : glyphs)
        expectDrawnAsTheFile(r.font, d, 11);
    EXPECT_EQ(glyphFor(r.font, 'J').pixel(2, 8), 1) << "the J's top bar ends in the last column";
}

TEST_F(RealFont, AsDrawnProportionalFontKeepsEachAdvance)
{
    // cu12: FONTBOUNDINGBOX 40 30 -9 -10, baseline row 19. 'W' inks a column past
    // its advance of 16; the character 301 reaches one column left of its origin.
    const QByteArray text = convert(QStringLiteral("cu12.pcf.gz"));
    ASSERT_FALSE(text.isEmpty());
    const Imported r = import(text, [](ImportFontChoice &c) {
        c.asDrawn = true;
        c.firstToImport = 32;
        c.countToImport = 400;
    });
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.font.header.height, 30);
    EXPECT_EQ(r.font.header.ascent, 19);
    expectValidFont(r.font, r.scan, true);
    const DrawnGlyph glyphs[] = {
        {' ', 5, 0, 0, 0, 0, {}, 5},
        {'A',
         11,
         11,
         11,
         0,
         0,
         {"0400", "0400", "0A00", "0A00", "0A00", "1100", "1100", "1F00", "2080", "2080", "F1E0"},
         11},
        {'g',
         8,
         7,
         11,
         1,
         -4,
         {"3E", "44", "44", "44", "78", "40", "7C", "82", "82", "82", "7C"},
         8},
        {'i',
         4,
         3,
         11,
         1,
         0,
         {"C0", "C0", "00", "00", "C0", "40", "40", "40", "40", "40", "E0"},
         4},
        {'j',
         5,
         4,
         14,
         0,
         -3,
         {"30", "30", "00", "00", "30", "10", "10", "10", "10", "10", "10", "10", "90", "E0"},
         5},
        {'W',
         16,
         16,
         11,
         1,
         0,
         {"F1CF", "2184", "2184", "2244", "1248", "1248", "1248", "1428", "0C30", "0C30", "0810"},
         17},
        {301,
         4,
         6,
         11,
         -1,
         0,
         {"84", "78", "00", "00", "30", "10", "10", "10", "10", "10", "38"},
         6},
    };
    for (const DrawnGlyph &d : glyphs)
        expectDrawnAsTheFile(r.font, d, 19);
}

namespace {

// Checks a damaged text's import: the given message, or a valid font of `chars` glyphs.
void expectMessageOrValidFont(const Imported &r, const char *error, int chars, bool asDrawn = false)
{
    if (error) {
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.error, QString::fromLatin1(error));
        return;
    }
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.font.chars(), chars);
    expectValidFont(r.font, r.scan, asDrawn);
}

// sample.bdf with its line `line` replaced by `replacement`: several lines, or none
// to delete the line. The line must occur exactly once, so that an edit can neither
// miss nor land somewhere else.
QByteArray sampleWithLineReplaced(const QByteArray &line, const QByteArray &replacement)
{
    const QByteArray text = "\n" + readData(QStringLiteral("sample.bdf"));
    const QByteArray needle = "\n" + line + "\n";
    const qsizetype at = text.indexOf(needle);
    EXPECT_NE(at, -1) << "sample.bdf has no line \"" << line.toStdString() << '"';
    EXPECT_EQ(text.indexOf(needle, at + 1), -1)
        << "sample.bdf has more than one line \"" << line.toStdString() << '"';
    if (at < 0)
        return {};
    QByteArray edited = text;
    edited.replace(at + 1, line.size() + 1,
                   replacement.isEmpty() ? QByteArray() : replacement + "\n");
    return edited.sliced(1);
}

struct SampleEditCase : Test::NamedCase
{
    const char *line;        // a line of sample.bdf
    const char *replacement; // several lines, or "" to delete the line
    const char *error;       // null: imports
    int chars;
};

class BdfSampleEdit : public ::testing::TestWithParam<SampleEditCase>
{
};

// Damage that is not an edit of the sample, built here.
struct BuiltCase : Test::NamedCase
{
    QByteArray text;
    const char *error; // null: imports
    int chars;
};

class BdfBuiltDamage : public ::testing::TestWithParam<BuiltCase>
{
};

// The same junk on every run.
QByteArray seededJunk(qsizetype size, unsigned seed)
{
    std::mt19937 random(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char &c : bytes)
        c = char(random());
    return bytes;
}

// Three characters whose boxes reach past the cell: 40 rows from above its top,
// 40 rows from inside it to below its bottom, and a box 300 columns to the right.
QByteArray boxesOutsideTheCell()
{
    return font("8 16 0 -4",
                character(65, "8 40 0 0", QList<QByteArray>(40, "FF")) +
                    character(66, "8 40 0 -30", QList<QByteArray>(40, "FF")) +
                    character(67, "8 16 300 -4", QList<QByteArray>(16, "FF")),
                "3");
}

// Every number of the header and the boxes far past 32 bits, and the last encoding too.
QByteArray numbersPast32Bits()
{
    const QList<QByteArray> rows(4, "FF");
    return font(
        "8 16 99999999999999999999 -99999999999999999999",
        character(65, "8 99999999999999999999 -99999999999999999999 99999999999999999999", rows) +
            character(66, "8 -99999999999999999999 5 -99999999999999999999", rows) +
            character(67, "8 4 0 -99999999999", rows) +
            character("99999999999999999999", "8 4 0 0", rows),
        "99999999999999999999");
}

// Rows with more digits than the box is wide, in a box as wide as the cell and in
// one far wider.
QByteArray rowsWiderThanTheBoxAndTheCell()
{
    return font("40 8 0 0",
                character(65, "40 8 0 0", QList<QByteArray>(8, QByteArray("F0").repeated(20))) +
                    character(66, "255 8 0 0", QList<QByteArray>(8, QByteArray(116, 'F'))),
                "2");
}

// A bitmap of bytes that are no hex digits (NULs, escapes, 0xFF, letters past F,
// an empty row), then a sound character.
QByteArray junkInABitmap()
{
    static constexpr char junk[] = "  GZ\xffZZG\xff\0Z\xff ZZZG\n"
                                   "\0\xff\x1b\xffGZZ \xff \x1b\n"
                                   "\n"
                                   "Z\x1b\x1b \xff\0\n"
                                   "\0\xff";
    const QByteArray rows(junk, sizeof junk - 1);
    return font("8 16 0 -4",
                character(65, "8 16 0 -4", rows.split('\n')) +
                    character(66, "8 11 0 0",
                              {"18", "24", "42", "42", "81", "81", "FF", "81", "81", "81", "81"}),
                "2");
}

} // namespace

TEST_P(BdfSampleEdit, GivesAClearMessageOrAValidFont)
{
    const SampleEditCase &c = GetParam();
    expectMessageOrValidFont(import(sampleWithLineReplaced(c.line, c.replacement)), c.error,
                             c.chars);
}

// The sample imports as 39 glyphs: 'A' (65) to 'g' (103), the gaps retained.
INSTANTIATE_TEST_SUITE_P(
    Cases, BdfSampleEdit,
    ::testing::Values(
        SampleEditCase{"NoEndproperties", "ENDPROPERTIES", "", InvalidFileFormat, 0},
        SampleEditCase{"NoFontboundingbox", "FONTBOUNDINGBOX 8 16 0 -4", "", InvalidFileFormat, 0},
        SampleEditCase{"BoxNumbersMissing", "FONTBOUNDINGBOX 8 16 0 -4", "FONTBOUNDINGBOX",
                       InvalidFileFormat, 0},
        SampleEditCase{"BoxHeight256", "FONTBOUNDINGBOX 8 16 0 -4", "FONTBOUNDINGBOX 8 256 0 -4",
                       InvalidFileFormat, 0},
        SampleEditCase{"BoxWidth300", "FONTBOUNDINGBOX 8 16 0 -4", "FONTBOUNDINGBOX 300 16 0 -4",
                       InvalidFileFormat, 0},
        SampleEditCase{"BoxWidthNegative", "FONTBOUNDINGBOX 8 16 0 -4",
                       "FONTBOUNDINGBOX -8 16 0 -4", InvalidFileFormat, 0},
        // 'A' keeps its 11 rows in a box of 16.
        SampleEditCase{"FewerRowsThanTheBox", "BBX 8 11 0 0", "BBX 8 16 0 -4", nullptr, 39}),
    Test::CaseName());

TEST_P(BdfBuiltDamage, GivesAClearMessageOrAValidFont)
{
    const BuiltCase &c = GetParam();
    for (const bool asDrawn : {false, true}) {
        SCOPED_TRACE(asDrawn ? "as drawn" : "fixed cells");
        expectMessageOrValidFont(
            import(c.text, [asDrawn](ImportFontChoice &choice) { choice.asDrawn = asDrawn; }),
            c.error, c.chars, asDrawn);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BdfBuiltDamage,
    ::testing::Values(
        BuiltCase{"EmptyText", QByteArray(), InvalidFileFormat, 0},
        BuiltCase{"BinaryJunk", seededJunk(3000, 7), InvalidFileFormat, 0},
        BuiltCase{"FontboundingboxAfterTheProperties",
                  "STARTFONT 2.1\nSTARTPROPERTIES 1\nFONT_ASCENT 12\nENDPROPERTIES\n"
                  "FONTBOUNDINGBOX 8 16 0 -4\nCHARS 1\n" +
                      character(65, "8 16 0 -4", {"FF"}) + "ENDFONT\n",
                  InvalidFileFormat, 0},
        BuiltCase{"NoCharacters", font("8 16 0 -4", {}), NoCharactersToImport, 0},
        BuiltCase{
            "OnlyZeroEncodings",
            font("8 16 0 -4",
                 character(0, "8 16 0 -4", {"FF", "81"}) + character(0, "8 16 0 -4", {"FF", "81"}),
                 "2"),
            NoCharactersToImport, 0},
        // The character without ENDCHAR is not taken.
        BuiltCase{"EndcharMissingBeforeEndfont",
                  font("8 16 0 -4",
                       character(65, "8 11 0 0", {"18", "24"}) +
                           character(66, "7 11 0 0", {"FC", "82"}).chopped(qstrlen("ENDCHAR\n")),
                       "2"),
                  nullptr, 1},
        // The encoding past 32 bits ends the import.
        BuiltCase{"NumbersPast32Bits", numbersPast32Bits(), nullptr, 3},
        BuiltCase{"RowsWiderThanTheBoxAndTheCell", rowsWiderThanTheBoxAndTheCell(), nullptr, 2},
        BuiltCase{"BoxesOutsideTheCell", boxesOutsideTheCell(), nullptr, 3},
        BuiltCase{"JunkInABitmap", junkInABitmap(), nullptr, 2}),
    Test::CaseName());

TEST(BdfMalformed, BoxesOutsideTheCellWriteOnlyInsideIt)
{
    const Imported r = import(boxesOutsideTheCell());
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    ASSERT_EQ(r.font.chars(), 3);
    // 40 rows from row -28 (above) and from row 2 (below), each FF shifted once.
    std::vector<std::string> above(16, "00000000");
    std::fill(above.begin(), above.begin() + 12, "01111111");
    EXPECT_EQ(rowsOf(r.font.glyphs[0]), above);
    std::vector<std::string> below(16, "01111111");
    below[0] = below[1] = "00000000";
    EXPECT_EQ(rowsOf(r.font.glyphs[1]), below);
    EXPECT_EQ(rowsOf(r.font.glyphs[2]), std::vector<std::string>(16, "00000000"));
}

TEST(BdfMalformed, EveryTruncationOfARealFormatFile)
{
    const QByteArray sample = readData(QStringLiteral("sample.bdf"));
    const Imported whole = import(sample);
    ASSERT_TRUE(whole.ok) << whole.error.toStdString();
    EXPECT_EQ(whole.font.chars(), 39);
    const qsizetype endProperties = sample.indexOf("ENDPROPERTIES") + 13;
    const qsizetype firstEndchar = sample.indexOf("ENDCHAR", sample.indexOf("ENCODING 65")) + 7;
    for (qsizetype n = 0; n < sample.size(); ++n) {
        SCOPED_TRACE(n);
        const Imported r = import(sample.left(n));
        if (n < endProperties) {
            EXPECT_EQ(r.error, QString::fromLatin1(InvalidFileFormat));
        } else if (n < firstEndchar) {
            EXPECT_FALSE(r.ok);
            EXPECT_FALSE(r.error.isEmpty());
        } else {
            ASSERT_TRUE(r.ok) << r.error.toStdString();
            expectValidFont(r.font, r.scan);
            ASSERT_LE(r.font.chars(), whole.font.chars());
            // What was taken is what the whole file gives.
            for (int i = 0; i < r.font.chars(); ++i)
                ASSERT_EQ(r.font.glyphs[std::size_t(i)], whole.font.glyphs[std::size_t(i)]);
        }
    }
}

TEST(BdfMalformed, GeneratedDamageNeverCrashesOrHangs)
{
    const QByteArray sample = readData(QStringLiteral("sample.bdf"));
    const QByteArray keywords[] = {"ENDPROPERTIES",
                                   "FONTBOUNDINGBOX 8 16 0 -4\n",
                                   "STARTCHAR x\n",
                                   "CHARS 9\n",
                                   "ENCODING 70\n",
                                   "ENCODING -9\n",
                                   "ENDCHAR\n",
                                   "ENDFONT\n",
                                   "BBX 8 99 -9 -99\n",
                                   "BITMAP\n",
                                   "FFFFFFFFFFFFFFFFFFFF\n",
                                   "-2147483649"};
    std::mt19937 random(20240601);
    int imported = 0;
    for (int i = 0; i < 3000; ++i) {
        QByteArray text = sample;
        const int edits = 1 + int(random() % 4);
        for (int e = 0; e < edits; ++e) {
            const qsizetype at = qsizetype(random() % std::uint32_t(text.size() + 1));
            switch (random() % 4) {
            case 0: // junk bytes
                for (int k = 0; k < 8 && at + k < text.size(); ++k)
                    text[at + k] = char(random());
                break;
            case 1:
                text.insert(at, keywords[random() % std::size(keywords)]);
                break;
            case 2:
                text.remove(at, qsizetype(random() % 64));
                break;
            default:
                text.insert(at, QByteArray(1 + int(random() % 12), '9'));
                break;
            }
        }
        const Imported r = import(text, [&](ImportFontChoice &c) {
            c.depth = std::uint8_t(i % 2);
            c.retainGaps = i % 3 != 0;
            c.countToImport = i % 5 == 0 ? MaxGlyphs : 95;
            c.asDrawn = i % 4 == 1;
        });
        if (r.ok) {
            ++imported;
            expectValidFont(r.font, r.scan, i % 4 == 1);
        } else {
            EXPECT_FALSE(r.error.isEmpty());
        }
        if (HasFatalFailure() || HasFailure())
            FAIL() << "damaged text:\n" << text.toStdString();
    }
    EXPECT_GT(imported, 100) << "most damage still leaves an importable font";
}

TEST(BdfImport, SampleFileWithDosLineEndsMatchesTheUnixOne)
{
    const Imported unix = import(readData(QStringLiteral("sample.bdf")));
    const Imported dos = import(readData(QStringLiteral("sample-crlf.bdf")));
    ASSERT_TRUE(unix.ok && dos.ok);
    EXPECT_EQ(unix.font, dos.font);
}

TEST(BdfImport, ReadingAMissingFileGivesTheSystemsText)
{
    QByteArray text;
    QString error;
    EXPECT_FALSE(readBdfFile(dataPath(QStringLiteral("no-such-file.bdf")), &text, &error));
    EXPECT_FALSE(error.isEmpty());
}
