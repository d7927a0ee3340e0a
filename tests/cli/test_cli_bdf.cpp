// kernwick-cli import-bdf and export-bdf, run as a user runs them.

#include "clirun.h"

#include "libkernwick/font/zvffile.h"

#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

using namespace Kernwick;
using namespace Kernwick::Test;

namespace {

class CliBdf : public ::testing::Test
{
protected:
    QString path(const QString &name) const { return m_dir.filePath(name); }

    // Imports tests/data/bdf/sample.bdf with extra options; returns `info` of the result.
    QByteArray importSample(const QStringList &options, QByteArray *dump = nullptr)
    {
        QStringList args = {"import-bdf", testData("bdf/sample.bdf"), "-o", path("out.zvf")};
        args += options;
        const CliResult r = runCli(args);
        EXPECT_EQ(r.exitCode, 0) << r.err.constData();
        EXPECT_TRUE(r.err.isEmpty()) << r.err.constData();
        if (dump)
            *dump = runCli({"dump", path("out.zvf")}).out;
        return runCli({"info", path("out.zvf")}).out;
    }

    QTemporaryDir m_dir;
};

// The sample's 'A': BBX 8 11 0 0 under FONTBOUNDINGBOX 8 16 0 -4 fills rows 1 to
// 11, one column right of its bitmap.
const char upperA[] = "glyph 65 width 8 left 0 offset 0\n"
                      "00000000\n00001100\n00010010\n00100001\n00100001\n01000000\n"
                      "01000000\n01111111\n01000000\n01000000\n01000000\n01000000\n"
                      "00000000\n00000000\n00000000\n00000000\n";

} // namespace

TEST_F(CliBdf, DefaultsAreTheDialogsOpeningChoices)
{
    QByteArray dump;
    const QByteArray header = importSample({}, &dump);
    // From encoding 65 (encoding 0 is passed over): 65, 66, 67 empty, 68, 69 to 102
    // empty, 103; the name is the file's up to its first dot.
    EXPECT_TRUE(header.startsWith("Name : sample\nSkip : 0\n")) << header.constData();
    EXPECT_TRUE(header.contains("\nChars : 39\nFirst : 65\nHeight : 16\nAscent : 11\n"
                                "Ldepth : 0\n"))
        << header.constData();
    EXPECT_TRUE(dump.startsWith(upperA)) << dump.constData();
    EXPECT_TRUE(dump.contains("glyph 67 width 0 left 0 offset 16\n\n\n")) << dump.constData();
    EXPECT_TRUE(dump.contains("glyph 103 width 8 left 0 offset 24\n")) << dump.constData();
}

TEST_F(CliBdf, ChoicesChangeTheImport)
{
    const struct
    {
        QStringList options;
        const char *expected; // part of `info`
    } cases[] = {
        {{"--no-gaps"}, "\nChars : 4\nFirst : 65\n"},
        {{"--count", "all", "--no-gaps"}, "\nChars : 4\nFirst : 65\n"},
        {{"--count", "2"}, "\nChars : 2\nFirst : 65\n"},
        {{"--first-encoding", "66", "--count", "2"}, "\nChars : 3\nFirst : 66\n"},
        {{"--first-encoding", "67", "--name", "Eleven_char"}, "Name : Eleven_char\n"},
        {{"--first-encoding", "69"}, "\nChars : 1\nFirst : 103\n"},
        {{"--depth", "2"}, "\nChars : 39\nFirst : 65\nHeight : 16\nAscent : 11\nLdepth : 1\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.options.join(' ').toStdString());
        const QByteArray header = importSample(c.options);
        EXPECT_TRUE(header.contains(c.expected)) << header.constData();
    }
}

TEST_F(CliBdf, TwoBitsPerPixelPaintsWhiteAsTwo)
{
    QByteArray dump;
    importSample({"--depth", "2", "--count", "1"}, &dump);
    // The header line has no 1 in it; every white pixel becomes 2.
    EXPECT_EQ(dump, QByteArray(upperA).replace('1', '2'));
}

TEST_F(CliBdf, AFileItCannotImportWritesNothing)
{
    QFile sampleFile(testData("bdf/sample.bdf"));
    ASSERT_TRUE(sampleFile.open(QIODevice::ReadOnly));
    const QByteArray sample = sampleFile.readAll();
    const auto sampleWithout = [&](const QByteArray &line) {
        QByteArray text = sample;
        text.replace("\n" + line + "\n", "\n");
        EXPECT_EQ(text.size(), sample.size() - line.size() - 1) << line.constData();
        return text;
    };
    const QByteArray zeroEncoding = "STARTCHAR z\nENCODING 0\nBBX 8 16 0 -4\nBITMAP\nFF\nENDCHAR\n";
    const struct
    {
        const char *file;
        QByteArray text;
        const char *message;
    } cases[] = {
        {"no-endproperties.bdf", sampleWithout("ENDPROPERTIES"),
         "kernwick-cli: Invalid File Format\n"},
        {"no-fontboundingbox.bdf", sampleWithout("FONTBOUNDINGBOX 8 16 0 -4"),
         "kernwick-cli: Invalid File Format\n"},
        {"only-zero-encodings.bdf",
         "STARTFONT 2.1\nFONTBOUNDINGBOX 8 16 0 -4\nSTARTPROPERTIES 0\nENDPROPERTIES\nCHARS 2\n" +
             zeroEncoding + zeroEncoding + "ENDFONT\n",
         "kernwick-cli: No characters to import\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.file);
        QFile in(path(QString::fromLatin1(c.file)));
        ASSERT_TRUE(in.open(QIODevice::ReadWrite));
        ASSERT_EQ(in.write(c.text), c.text.size());
        ASSERT_TRUE(in.flush());
        const CliResult r =
            runCli({"import-bdf", path(QString::fromLatin1(c.file)), "-o", path("bad.zvf")});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.err, c.message);
        EXPECT_FALSE(QFile::exists(path("bad.zvf")));
        in.seek(0);
        EXPECT_EQ(in.readAll(), c.text) << "the input is left as it was";
    }

    const CliResult missing = runCli({"import-bdf", path("absent.bdf"), "-o", path("bad.zvf")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.startsWith("kernwick-cli: " + path("absent.bdf").toUtf8() + ": "))
        << missing.err.constData();
    EXPECT_FALSE(QFile::exists(path("bad.zvf")));

    const CliResult noFirst = runCli({"import-bdf", testData("bdf/sample.bdf"), "-o",
                                      path("bad.zvf"), "--first-encoding", "104"});
    EXPECT_EQ(noFirst.exitCode, 1);
    EXPECT_EQ(noFirst.err, "kernwick-cli: No characters to import at or above encoding 104\n");
    EXPECT_FALSE(QFile::exists(path("bad.zvf")));
}

TEST_F(CliBdf, BadOptionsAreUsageErrorsAndRefusedValuesFail)
{
    const QString in = testData("bdf/sample.bdf");
    const QString out = path("bad.zvf");
    const QStringList usage[] = {
        {"--depth", "3"},    {"--depth", "1bpp"},          {"--count", "-4"},
        {"--count", "some"}, {"--first-encoding", "0x41"}, {"--unknown"},
    };
    for (const QStringList &options : usage) {
        SCOPED_TRACE(options.join(' ').toStdString());
        const CliResult r = runCli(QStringList{"import-bdf", in, "-o", out} + options);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_TRUE(r.err.startsWith("kernwick-cli: ")) << r.err.constData();
        EXPECT_FALSE(QFile::exists(out));
    }
    EXPECT_EQ(runCli({"import-bdf", in}).exitCode, 2);
    EXPECT_EQ(runCli({"import-bdf", "-o", out}).exitCode, 2);
    EXPECT_EQ(runCli({"import-bdf", in, in, "-o", out}).exitCode, 2);

    // Values the Import Font dialog refuses fail like every other refused value
    // (as in `new` and `transform rename=`), with the dialog's message.
    const struct
    {
        QStringList options;
        const char *message;
    } refused[] = {
        {{"--count", "0"}, "Please enter an integer between 1 and 65535."},
        {{"--count", "65536"}, "Please enter an integer between 1 and 65535."},
        {{"--first-encoding", "65536"}, "Please enter an integer between 0 and 65535."},
        {{"--name", "TwelveChars!"}, "Please enter no more than 11 characters."},
    };
    for (const auto &c : refused) {
        SCOPED_TRACE(c.options.join(' ').toStdString());
        const CliResult r = runCli(QStringList{"import-bdf", in, "-o", out} + c.options);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.err, QByteArray("kernwick-cli: ") + c.message + "\n");
        EXPECT_FALSE(QFile::exists(out));
    }
}

TEST_F(CliBdf, RefusesToWriteOverItsInput)
{
    QFile::copy(testData("bdf/sample.bdf"), path("self.bdf"));
    const CliResult r = runCli({"import-bdf", path("self.bdf"), "-o", path("self.bdf")});
    EXPECT_EQ(r.exitCode, 2);
    QFile in(path("self.bdf"));
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    EXPECT_TRUE(in.readAll().startsWith("STARTFONT 2.1\n"));
}

// ---------------------------------------------------------------------------
// Glyphs as drawn, and BDF export

TEST_F(CliBdf, AsDrawnKeepsEveryColumnWhereTheFileDrawsIt)
{
    // The sample's 'A' (BBX 8 11 0 0, rows 18 24 42 42 81 81 FF 81 81 81 81) fills
    // rows 1 to 11 at its own columns: the last column of 81 and FF is kept.
    QByteArray dump;
    importSample({"--as-drawn", "--count", "1"}, &dump);
    EXPECT_EQ(dump, "glyph 65 width 8 left 0 offset 0\n"
                    "00000000\n00011000\n00100100\n01000010\n01000010\n10000001\n"
                    "10000001\n11111111\n10000001\n10000001\n10000001\n10000001\n"
                    "00000000\n00000000\n00000000\n00000000\n");
}

namespace {

// A font of the program's making: `chars` glyphs from code 1, widths 0 to 8 and
// pixels in a pattern that differs from glyph to glyph; 2BPP fonts use only
// transparent and white.
Font patternFont(int chars, std::uint8_t ldepth)
{
    Font font;
    font.setName("pattern");
    font.header.first = 1;
    font.header.height = 7;
    font.header.ascent = 4;
    font.header.ldepth = ldepth;
    font.resizeGlyphTable(chars);
    for (int i = 0; i < chars; ++i) {
        Glyph &g = font.glyphs[std::size_t(i)];
        g.reset(font.header.height, i % 9);
        for (int r = 0; r < g.rowCount; ++r)
            for (int c = 0; c < g.width; ++c)
                g.setPixel(r, c, (i + 3 * r + c) % 5 == 0 ? font.whiteValue() : 0);
    }
    font.computeFileSize();
    return font;
}

// A font's dump with every Left shown as 0: BDF has no place for Left.
QByteArray withoutLeft(QByteArray dump)
{
    static const QRegularExpression left(QStringLiteral(" left -?\\d+ "));
    return QString::fromLatin1(dump).replace(left, QStringLiteral(" left 0 ")).toLatin1();
}

} // namespace

class CliBdfRoundTrip : public CliBdf
{
protected:
    // Exports `font` (a file made by `make`), checks bdftopcf takes the BDF, and
    // imports it back as drawn with every glyph and the original name.
    void expectRoundTrip(const QString &font, const QStringList &importOptions = {})
    {
        ASSERT_TRUE(QFile::exists(font));
        const QString bdf = path("exported.bdf");
        const CliResult exported = runCli({"export-bdf", font, "-o", bdf});
        ASSERT_EQ(exported.exitCode, 0) << exported.err.constData();
        EXPECT_TRUE(exported.err.isEmpty()) << exported.err.constData();
        if (const QString bdftopcf = QStandardPaths::findExecutable("bdftopcf");
            !bdftopcf.isEmpty()) {
            const ProcessResult pcf = runProcess(bdftopcf, {"-o", path("exported.pcf"), bdf});
            EXPECT_EQ(pcf.exitCode, 0) << pcf.err.constData();
            EXPECT_TRUE(pcf.err.isEmpty()) << pcf.err.constData();
        } else {
            ADD_FAILURE() << "bdftopcf (xfonts-utils) is not installed";
        }
        const QByteArray info = runCli({"info", font}).out;
        const QByteArray name = info.mid(7, info.indexOf('\n') - 7);
        const CliResult back =
            runCli(QStringList{"import-bdf", bdf, "-o", path("back.zvf"), "--as-drawn", "--count",
                               "all", "--name", QString::fromLatin1(name)} +
                   importOptions);
        ASSERT_EQ(back.exitCode, 0) << back.err.constData();
        EXPECT_EQ(runCli({"info", path("back.zvf")}).out, info);
        const QByteArray before = withoutLeft(runCli({"dump", font}).out);
        const QByteArray after = runCli({"dump", path("back.zvf")}).out;
        ASSERT_FALSE(before.isEmpty());
        EXPECT_TRUE(after == before) << "the fonts differ";
    }

    QString write(const QString &name, Font font)
    {
        QString error;
        EXPECT_TRUE(saveZvfFile(path(name), font, &error)) << error.toStdString();
        return path(name);
    }
};

TEST_F(CliBdfRoundTrip, TheDefaultFont)
{
    ASSERT_EQ(runCli({"default", "-o", path("default.zvf")}).exitCode, 0);
    expectRoundTrip(path("default.zvf"));
}

TEST_F(CliBdfRoundTrip, AFontImportedFromARealBdf)
{
    const QString pcf2bdf = QStandardPaths::findExecutable("pcf2bdf");
    if (pcf2bdf.isEmpty())
        GTEST_SKIP() << "pcf2bdf is not installed";
    ASSERT_EQ(runProcess(pcf2bdf, {"-o", path("6x13.bdf"), "/usr/share/fonts/X11/misc/6x13.pcf.gz"})
                  .exitCode,
              0);
    ASSERT_EQ(runCli({"import-bdf", path("6x13.bdf"), "-o", path("6x13.zvf"), "--first-encoding",
                      "32", "--count", "500"})
                  .exitCode,
              0);
    expectRoundTrip(path("6x13.zvf"));
}

TEST_F(CliBdfRoundTrip, AOneBitTypefaceImport)
{
    const CliResult r =
        runCli({"import-typeface", "DejaVu Sans", "-o", path("sans.zvf"), "--height", "16",
                "--first", "33", "--count", "94", "--depth", "1"});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    expectRoundTrip(path("sans.zvf"));
}

TEST_F(CliBdfRoundTrip, A65535GlyphFontWithZeroWidthGlyphs)
{
    expectRoundTrip(write("many.zvf", patternFont(MaxGlyphs, 0)));
}

TEST_F(CliBdfRoundTrip, ATwoBitFontWithoutHalftone)
{
    expectRoundTrip(write("two.zvf", patternFont(300, 1)), {"--depth", "2"});
}

TEST_F(CliBdf, ExportLeavesOutHalftoneAndSaysHowMany)
{
    Font font = patternFont(3, 1);
    font.glyphs[1].setPixel(0, 0, 1); // halftone
    font.glyphs[2].setPixel(6, 1, 1);
    font.glyphs[2].setPixel(6, 0, 3);
    font.glyphs[2].setPixel(5, 0, 2); // white
    QString error;
    ASSERT_TRUE(saveZvfFile(path("half.zvf"), font, &error));
    const CliResult r = runCli({"export-bdf", path("half.zvf"), "-o", path("half.bdf")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "kernwick-cli: BDF holds one bit per pixel: the font's 3 halftone pixels are "
                     "left out.\n");
    ASSERT_EQ(runCli({"import-bdf", path("half.bdf"), "-o", path("back.zvf"), "--as-drawn",
                      "--count", "all", "--depth", "2"})
                  .exitCode,
              0);
    Font back;
    ASSERT_EQ(loadZvfFile(path("back.zvf"), &back, &error), ZvfRead::Ok);
    ASSERT_EQ(back.chars(), 3);
    EXPECT_EQ(back.glyphs[1].pixel(0, 0), 0);
    EXPECT_EQ(back.glyphs[2].pixel(6, 1), 0);
    EXPECT_EQ(back.glyphs[2].pixel(6, 0), 0);
    EXPECT_EQ(back.glyphs[2].pixel(5, 0), 2);
}

TEST_F(CliBdf, ExportFailuresWriteNothing)
{
    ASSERT_EQ(runCli({"default", "-o", path("default.zvf")}).exitCode, 0);
    const CliResult missing = runCli({"export-bdf", path("absent.zvf"), "-o", path("out.bdf")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.startsWith("kernwick-cli: " + path("absent.zvf").toUtf8() + ": "))
        << missing.err.constData();
    const CliResult folder =
        runCli({"export-bdf", path("default.zvf"), "-o", path("no-folder/out.bdf")});
    EXPECT_EQ(folder.exitCode, 1);
    EXPECT_FALSE(QFile::exists(path("out.bdf")));
    EXPECT_EQ(runCli({"export-bdf", path("default.zvf")}).exitCode, 2);
    EXPECT_EQ(runCli({"export-bdf", path("default.zvf"), "-o", path("default.zvf")}).exitCode, 2);
    EXPECT_EQ(runCli({"export-bdf", "-o", path("out.bdf")}).exitCode, 2);
    EXPECT_FALSE(QFile::exists(path("out.bdf")));
}
