// kernwick-cli import-bdf, run as a user runs it.

#include "clirun.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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
