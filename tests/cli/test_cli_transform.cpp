// kernwick-cli transform: editing operations applied to a font file.

#include "clirun.h"
#include "glyphpicture.h"

#include "libkernwick/font/font.h"
#include "libkernwick/font/zvffile.h"
#include "namedcase.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>

using namespace Kernwick;
using namespace Kernwick::Test;

namespace {

class CliTransform : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        // Codes 65 to 68, 3 × 4 pixels; glyph i has its pixel (i, i) white.
        Font font;
        font.setName("input");
        font.header.first = 65;
        font.header.height = 4;
        font.header.ascent = 2;
        font.resizeGlyphTable(4);
        for (int i = 0; i < 4; ++i) {
            font.glyphs[std::size_t(i)].reset(4, 3);
            font.glyphs[std::size_t(i)].setPixel(i, i % 3, 1);
        }
        font.computeFileSize();
        QString error;
        ASSERT_TRUE(saveZvfFile(path("in.zvf"), font, &error)) << qPrintable(error);
        m_input = read("in.zvf");
        ASSERT_FALSE(m_input.isEmpty());
    }

    QString path(const QString &name) const { return m_dir.filePath(name); }
    QByteArray read(const QString &name) const
    {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    CliResult transform(const QStringList &ops, const QString &input = QStringLiteral("in.zvf"))
    {
        return runCli(QStringList{"transform", path(input), "-o", path("out.zvf")} + ops);
    }
    Font output() const
    {
        Font font;
        QString error;
        EXPECT_EQ(loadZvfFile(path("out.zvf"), &font, &error), ZvfRead::Ok) << qPrintable(error);
        return font;
    }

    QTemporaryDir m_dir;
    QByteArray m_input;
};

} // namespace

TEST_F(CliTransform, AppliesAChainOfOperationsInOrder)
{
    // Copy glyph 66 over glyph 68, widen 68, mark its left, then double the font
    // and give it a new name.
    const CliResult r = transform({"select=66", "copy", "select=68", "paste", "insert-column",
                                   "set-left=-1", "rename=chained", "set-ascent=3", "x2"});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_TRUE(r.err.isEmpty());

    const Font font = output();
    EXPECT_EQ(font.nameText(), "chained");
    EXPECT_EQ(font.chars(), 4);
    EXPECT_EQ(font.header.height, 8);
    EXPECT_EQ(font.header.ascent, 6);
    const Glyph &g = font.glyphs[3];
    ASSERT_EQ(g.width, 4);
    EXPECT_EQ(g.left, 255);
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(g.pixel(r, c), (r / 2 == 1 && c == 1) ? 1 : 0) << r << ',' << c;
    const Glyph &source = font.glyphs[1];
    EXPECT_EQ(source.pixel(2, 1) + source.pixel(3, 1), 2) << "every glyph is doubled";
    EXPECT_EQ(font.glyphs[0].width, 3);
    EXPECT_EQ(font.glyphs[0].left, 0);
    EXPECT_EQ(read("in.zvf"), m_input) << "the input is never touched";
}

TEST_F(CliTransform, CharacterAndDepthOperations)
{
    const CliResult r = transform({"select=66", "delete-char", "insert-char", "to-2bpp",
                                   "select=65", "move-right", "outline", "delete-row"});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    const Font font = output();
    EXPECT_EQ(font.header.ldepth, 1);
    EXPECT_EQ(font.header.height, 3);
    ASSERT_EQ(font.chars(), 4);
    // Glyph 65: white moved from (0,0) to (0,1), then outlined.
    const std::vector<std::uint8_t> expected{1, 2, 1, 0, 1, 0, 0, 0, 0};
    EXPECT_EQ(font.glyphs[0].pixels, expected);
    // Code 66 is the blank inserted in place of the deleted glyph.
    EXPECT_EQ(std::count(font.glyphs[1].pixels.begin(), font.glyphs[1].pixels.end(), 0), 9);
}

// Every change, then undo: the input's bytes; undo then redo: the change's bytes.
TEST_F(CliTransform, UndoGivesTheInputBackAndRedoTheChange)
{
    const QStringList changes[] = {{"insert-row"},
                                   {"delete-row"},
                                   {"insert-column"},
                                   {"delete-column"},
                                   {"insert-char"},
                                   {"delete-char"},
                                   {"to-2bpp"},
                                   {"clear"},
                                   {"cut"},
                                   {"move-up"},
                                   {"move-down"},
                                   {"move-left"},
                                   {"move-right"},
                                   {"mod"},
                                   {"x2"},
                                   {"rename=other"},
                                   {"set-ascent=1"},
                                   {"set-left=-2"},
                                   {"select=68", "copy", "select=65", "paste"},
                                   {"to-2bpp", "outline"},
                                   {"flip-h"},
                                   {"flip-v"},
                                   {"invert"}};
    for (const QStringList &change : changes) {
        SCOPED_TRACE(change.join(' ').toStdString());
        ASSERT_EQ(transform(change).exitCode, 0);
        const QByteArray changed = read("out.zvf");
        ASSERT_NE(changed, m_input);
        const CliResult undone = transform(change + QStringList{"undo"});
        ASSERT_EQ(undone.exitCode, 0) << undone.err.constData();
        if (change.size() == 1 || change.last() == "paste") {
            EXPECT_EQ(read("out.zvf"), m_input);
        }
        ASSERT_EQ(transform(change + QStringList{"undo", "redo"}).exitCode, 0);
        EXPECT_EQ(read("out.zvf"), changed);
    }
    // Undo takes back one step at a time, Copy and Select are none.
    ASSERT_EQ(transform({"to-2bpp", "outline", "undo", "undo"}).exitCode, 0);
    EXPECT_EQ(read("out.zvf"), m_input);
}

TEST_F(CliTransform, PasteIntoTheOtherDepthMapsThePixels)
{
    // Glyph 65 in 2BPP: white (2) at (0,0), halftone (1) beside it after Outline.
    // Copied there, pasted after the font went back to 1BPP: white stays white (1)
    // and halftone is dropped, as the depth conversion maps them.
    const CliResult r = transform({"to-2bpp", "outline", "copy", "to-1bpp", "select=66", "paste"});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    const Font font = output();
    EXPECT_EQ(font.header.ldepth, 0);
    const std::vector<std::uint8_t> expected{1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(font.glyphs[1].pixels, expected);

    // And the other way: a 1BPP white pasted into a 2BPP font is 2BPP white.
    ASSERT_EQ(transform({"copy", "to-2bpp", "select=66", "paste"}).exitCode, 0);
    const std::vector<std::uint8_t> white{2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(output().glyphs[1].pixels, white);
}

TEST_F(CliTransform, GlyphsWithCodesPast65535StayReachable)
{
    Font font;
    font.header.first = 65535;
    font.header.height = 2;
    font.resizeGlyphTable(95);
    for (Glyph &g : font.glyphs)
        g.reset(2, 2);
    QString error;
    ASSERT_TRUE(saveZvfFile(path("far.zvf"), font, &error));

    const CliResult dump = runCli({"dump", path("far.zvf")});
    ASSERT_EQ(dump.exitCode, 0);
    EXPECT_EQ(dump.out.count("glyph "), 95);
    EXPECT_TRUE(dump.out.contains("glyph 65535 width 2"));
    EXPECT_TRUE(dump.out.contains("glyph 65629 width 2"));

    ASSERT_EQ(transform({"select=65629", "insert-column"}, "far.zvf").exitCode, 0);
    EXPECT_EQ(output().glyphs[94].width, 3);
    // A new glyph would get a code past 65535: refused.
    EXPECT_EQ(transform({"insert-char"}, "far.zvf").exitCode, 1);
}

// A 2BPP font of codes 65 and 66, 3 rows high: a square glyph holding white (2),
// halftone (1) and the stray value 3 a file may hold, and a 2-column glyph.
void saveSquareFont(const QString &path)
{
    Font font;
    font.header.first = 65;
    font.header.height = 3;
    font.header.ldepth = 1;
    font.glyphs = {Kernwick::Test::picture({"200", "210", "003"}),
                   Kernwick::Test::picture({"20", "01", "00"})};
    font.computeFileSize();
    QString error;
    ASSERT_TRUE(saveZvfFile(path, font, &error)) << qPrintable(error);
}

// A 1BPP font of codes 65 and 66, 5 × 5: glyph 65 holds a diagonal that parts
// its top-left corner from the rest, touching it only corner to corner.
void saveDrawingFont(const QString &path)
{
    Font font;
    font.header.first = 65;
    font.header.height = 5;
    font.glyphs = {Kernwick::Test::picture({"00100", "01000", "10000", "00000", "00000"}),
                   Kernwick::Test::picture({"00000", "00000", "00000", "00000", "00000"})};
    font.computeFileSize();
    QString error;
    ASSERT_TRUE(saveZvfFile(path, font, &error)) << qPrintable(error);
}

struct PictureCase : Test::NamedCase
{
    QStringList ops;
    std::vector<std::string> expected; // glyph 65 afterwards
    const char *input = "square.zvf";
};

class CliTransformPicture : public CliTransform, public ::testing::WithParamInterface<PictureCase>
{
};

// Each glyph transform against the pixels it must give; undo gives the input's bytes.
TEST_P(CliTransformPicture, GivesTheExpectedPixelsAndUndoesToTheInput)
{
    const PictureCase c = GetParam();
    saveSquareFont(path("square.zvf"));
    saveDrawingFont(path("drawing.zvf"));
    const QString inputName = QString::fromLatin1(c.input);
    const QByteArray input = read(inputName);
    Font original;
    QString error;
    ASSERT_EQ(loadZvfFile(path(inputName), &original, &error), ZvfRead::Ok);
    const CliResult r = transform(c.ops, inputName);
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    const Font font = output();
    ASSERT_EQ(font.chars(), 2);
    EXPECT_EQ(Kernwick::Test::rowsOf(font.glyphs[0]), c.expected);
    EXPECT_EQ(font.glyphs[1], original.glyphs[1]) << "the other glyph is untouched";

    ASSERT_EQ(transform(c.ops + QStringList{"undo"}, inputName).exitCode, 0);
    EXPECT_EQ(read("out.zvf"), input);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliTransformPicture,
    ::testing::Values(
        PictureCase{"FlipH", {"flip-h"}, {"002", "012", "300"}},
        PictureCase{"FlipV", {"flip-v"}, {"003", "210", "200"}},
        PictureCase{"RotateCw", {"rotate-cw"}, {"022", "010", "300"}},
        PictureCase{"RotateCcw", {"rotate-ccw"}, {"003", "010", "220"}},
        // White and transparent swap; halftone stays, and so does 3.
        PictureCase{"Invert", {"invert"}, {"022", "012", "223"}},
        PictureCase{"HalftoneLine", {"--color", "halftone", "line=0,0,0,2"}, {"111", "210", "003"}},
        // 4-connected: the fill does not leak through the diagonal.
        PictureCase{"FillStopsAtADiagonalGap",
                    {"fill=0,0"},
                    {"11100", "11000", "10000", "00000", "00000"},
                    "drawing.zvf"},
        PictureCase{"TransparentFillOfADiagonalTakesOnePixel",
                    {"--color", "transparent", "fill=0,2"},
                    {"00000", "01000", "10000", "00000", "00000"},
                    "drawing.zvf"},
        PictureCase{"DiagonalLine",
                    {"line=0,4,4,0"},
                    {"00101", "01010", "10100", "01000", "10000"},
                    "drawing.zvf"},
        PictureCase{"RectangleOutline",
                    {"rect=1,1,3,4"},
                    {"00100", "01111", "11001", "01111", "00000"},
                    "drawing.zvf"},
        PictureCase{"FilledRectangleFromTheOtherCorner",
                    {"rect=3,4,1,1,filled"},
                    {"00100", "01111", "11111", "01111", "00000"},
                    "drawing.zvf"},
        PictureCase{"ClippedLine",
                    {"line=2,-2,2,9"},
                    {"00100", "01000", "11111", "00000", "00000"},
                    "drawing.zvf"}),
    Test::CaseName());

TEST_F(CliTransform, InvertOfA1BppGlyphSwapsItsWhiteAndTransparent)
{
    ASSERT_EQ(transform({"select=66", "invert"}).exitCode, 0);
    EXPECT_EQ(Kernwick::Test::rowsOf(output().glyphs[1]),
              (std::vector<std::string>{"111", "101", "111", "111"}));
}

// A glyph-wide command over a range of codes is one step; the glyphs outside it stay.
TEST_F(CliTransform, RangeRunsACommandOverManyGlyphsAsOneStep)
{
    ASSERT_EQ(transform({"--range", "65-67", "flip-h"}).exitCode, 0);
    const Font font = output();
    using Rows = std::vector<std::string>;
    EXPECT_EQ(Kernwick::Test::rowsOf(font.glyphs[0]), (Rows{"001", "000", "000", "000"}));
    EXPECT_EQ(Kernwick::Test::rowsOf(font.glyphs[1]), (Rows{"000", "010", "000", "000"}));
    EXPECT_EQ(Kernwick::Test::rowsOf(font.glyphs[2]), (Rows{"000", "000", "100", "000"}));
    EXPECT_EQ(Kernwick::Test::rowsOf(font.glyphs[3]), (Rows{"000", "000", "000", "100"}));

    const CliResult undone = transform({"--range", "65-67", "flip-h", "move-down", "undo", "undo"});
    ASSERT_EQ(undone.exitCode, 0) << undone.err.constData();
    EXPECT_EQ(read("out.zvf"), m_input);
}

struct FailureCase : Test::NamedCase
{
    QStringList ops;
    int exitCode;
    const char *message;
    const char *input = "in.zvf";
};

class CliTransformFailure : public CliTransform, public ::testing::WithParamInterface<FailureCase>
{
};

TEST_P(CliTransformFailure, WritesNothing)
{
    const FailureCase c = GetParam();
    QFile::copy(path("in.zvf"), path("short.zvf"));
    QFile::resize(path("short.zvf"), 40);
    const CliResult r = transform(c.ops, QString::fromLatin1(c.input));
    EXPECT_EQ(r.exitCode, c.exitCode) << r.err.constData();
    EXPECT_TRUE(r.err.startsWith("kernwick-cli: ")) << r.err.constData();
    EXPECT_TRUE(r.err.contains(c.message)) << r.err.constData();
    EXPECT_EQ(r.err.count('\n'), 1) << "one line: " << r.err.constData();
    EXPECT_FALSE(QFile::exists(path("out.zvf")));
    EXPECT_EQ(read("in.zvf"), m_input);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliTransformFailure,
    ::testing::Values(
        FailureCase{
            "PasteBeforeCopy", {"insert-row", "paste"}, 1, "paste: Nothing has been copied"},
        FailureCase{"DeleteLastRow",
                    {"delete-row", "delete-row", "delete-row", "delete-row"},
                    1,
                    "delete-row: A glyph must keep at least one row."},
        FailureCase{"OutlineOn1Bpp", {"outline"}, 1, "outline: This needs a 2BPP font."},
        FailureCase{"RotateNonSquare", {"rotate-cw"}, 1, "rotate-cw: Only a square glyph"},
        FailureCase{"RotateCcwNonSquare", {"rotate-ccw"}, 1, "rotate-ccw: Only a square glyph"},
        FailureCase{"HalftoneOn1Bpp",
                    {"--color", "halftone", "fill=0,0"},
                    1,
                    "fill=0,0: This needs a 2BPP"},
        FailureCase{"FillOutsideGlyph", {"fill=4,0"}, 1, "fill=4,0: The pixel lies outside"},
        FailureCase{"LineMissingANumber", {"line=1,2,3"}, 2, "write it as line=R1,C1,R2,C2"},
        FailureCase{"RectWithAWord", {"rect=0,0,1,1,full"}, 2, "write it as rect="},
        FailureCase{"UnknownColor", {"--color", "grey", "fill=0,0"}, 2, "--color grey"},
        FailureCase{"RangeOfATableCommand",
                    {"--range", "65-66", "insert-row"},
                    2,
                    "insert-row does not work on a range"},
        FailureCase{
            "RangeOfADrawing", {"--range", "65-66", "fill=0,0"}, 2, "does not work on a range"},
        FailureCase{"RangeBackwards", {"--range", "66-65", "flip-h"}, 2, "--range 66-65"},
        FailureCase{
            "RangeOutsideTheFont", {"--range", "64-66", "flip-h"}, 1, "flip-h: The range must run"},
        FailureCase{"RangeOfNonSquareRotate",
                    {"--range", "65-66", "rotate-cw"},
                    1,
                    "rotate-cw: Only a square glyph"},
        FailureCase{"SelectOutsideTable", {"select=69"}, 1, "codes 65 to 68"},
        FailureCase{"AscentOutsideGlyph", {"set-ascent=4"}, 1, "set-ascent=4: The ascent"},
        FailureCase{"LeftOutOfRange", {"set-left=256"}, 1, "set-left=256: The left marker"},
        FailureCase{
            "NameTooLong", {"rename=twelve_chars"}, 1, "Please enter no more than 11 characters."},
        FailureCase{"TruncatedInput", {"x2"}, 1, "Unexpected file format.", "short.zvf"},
        FailureCase{"MissingInput", {"x2"}, 1, "missing.zvf", "missing.zvf"},
        FailureCase{"UnknownOp", {"x2", "spin"}, 2, "unknown operation 'spin'"},
        FailureCase{"ValueOnPlainOp", {"copy=1"}, 2, "copy takes no value"},
        FailureCase{"MissingValue", {"select"}, 2, "select needs a value"},
        FailureCase{"CodeNotANumber", {"select=A"}, 2, "CODE must be a decimal number"},
        FailureCase{"RowNotANumber", {"set-ascent=two"}, 2, "must be a decimal number"},
        FailureCase{"NoOperation", {}, 2, "at least one operation"},
        FailureCase{"UndoWithNothingDone", {"copy", "undo"}, 1, "undo: there is nothing to undo"},
        FailureCase{"RedoWithNothingUndone", {"x2", "redo"}, 1, "redo: there is nothing to redo"},
        FailureCase{"UndoWithAValue", {"undo=2"}, 2, "undo takes no value"}),
    Test::CaseName());

TEST_F(CliTransform, UsageErrors)
{
    const CliResult noOutput = runCli({"transform", path("in.zvf"), "x2"});
    EXPECT_EQ(noOutput.exitCode, 2);
    EXPECT_TRUE(noOutput.err.contains("-o FILE"));
    const CliResult sameFile = runCli({"transform", path("in.zvf"), "-o", path("in.zvf"), "x2"});
    EXPECT_EQ(sameFile.exitCode, 2);
    EXPECT_EQ(read("in.zvf"), m_input);
    const CliResult help = runCli({"transform", "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains("set-left=COL"));
}
