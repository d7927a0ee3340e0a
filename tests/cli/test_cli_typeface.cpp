// kernwick-cli import-typeface, run as a user runs it, on Debian's DejaVu fonts.

#include "clirun.h"
#include "testapplication.h"

#include "libkernwick/font/zvffile.h"
#include "libkernwick/render/typefaceimport.h"

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

KERNWICK_TEST_APPLICATION(QGuiApplication);

using namespace Kernwick;
using namespace Kernwick::Test;

namespace {

class CliTypeface : public ::testing::Test
{
protected:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QByteArray read(const QString &name) const
    {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    QTemporaryDir m_dir;
};

// The file the core makes for `choice`, as the command must write it.
QByteArray expectedFile(const QString &source, const TypefaceChoice &choice)
{
    Typeface typeface;
    QString error;
    EXPECT_TRUE(Typeface::load(source, &typeface, &error)) << error.toStdString();
    Font font;
    EXPECT_TRUE(importTypeface(typeface, choice, &font, &error)) << error.toStdString();
    return encodeZvf(font).bytes;
}

} // namespace

TEST_F(CliTypeface, AnInstalledFamilyAt14Pixels)
{
    const CliResult result =
        runCli({"import-typeface", "DejaVu Sans Mono", "-o", path("mono.zvf"), "--height", "14"});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(result.err.isEmpty()) << result.err.toStdString();
    const CliResult info = runCli({"info", path("mono.zvf")});
    EXPECT_TRUE(info.out.startsWith("Name : DejaVu Sans\nSkip : 0\n")) << info.out.toStdString();
    EXPECT_TRUE(
        info.out.contains("\nChars : 95\nFirst : 32\nHeight : 14\nAscent : 10\nLdepth : 1\n"))
        << info.out.toStdString();
    TypefaceChoice choice;
    EXPECT_EQ(read("mono.zvf"), expectedFile(QStringLiteral("DejaVu Sans Mono"), choice));
}

TEST_F(CliTypeface, EveryOptionReachesTheImport)
{
    const QString file = QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
    const CliResult result =
        runCli({"import-typeface", file, "-o", path("sans.zvf"), "--height", "20", "--first", "48",
                "--count", "10", "--depth", "1", "--white", "90", "--name", "digits"});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    TypefaceChoice choice;
    choice.height = 20;
    choice.first = 48;
    choice.count = 10;
    choice.threshold.threeColour = false;
    choice.threshold.whiteThreshold = 90;
    choice.name = QStringLiteral("digits");
    EXPECT_EQ(read("sans.zvf"), expectedFile(file, choice));

    ASSERT_EQ(runCli({"import-typeface", file, "-o", path("aliased.zvf"), "--height", "12",
                      "--no-antialias", "--black", "10", "--count", "all", "--first", "65280"})
                  .exitCode,
              0);
    choice = TypefaceChoice();
    choice.height = 12;
    choice.antialiased = false;
    choice.threshold.blackThreshold = 10;
    choice.first = 65280;
    choice.allCodes = true;
    EXPECT_EQ(read("aliased.zvf"), expectedFile(file, choice));
}

TEST_F(CliTypeface, RefusedChoicesAndSourcesFailCleanly)
{
    struct Case
    {
        QStringList options;
        int exitCode;
        QString message;
    };
    const Case cases[] = {
        {{"DejaVu Sans"}, 2, "import-typeface needs the font's height: --height H"},
        {{"DejaVu Sans", "--height", "0"}, 2, "--height must be from 1 to 255, not '0'"},
        {{"DejaVu Sans", "--height", "8", "--count", "0"},
         2,
         "--count must be from 1 to 65535, not '0'"},
        {{"DejaVu Sans", "--height", "8", "--depth", "3"}, 2, "--depth must be 1 or 2, not '3'"},
        {{"DejaVu Sans", "--height", "8", "--first", "65500", "--count", "100"},
         1,
         "The last character code must not exceed 65535."},
        {{"DejaVu Sans", "--height", "8", "--name", "a name too long"},
         1,
         "Please enter no more than 11 characters."},
        {{"Nowhere Sans", "--height", "8"},
         1,
         "No font file or installed typeface is called \"Nowhere Sans\""},
    };
    for (const Case &c : cases) {
        const CliResult result =
            runCli(QStringList{"import-typeface", "-o", path("out.zvf")} + c.options);
        EXPECT_EQ(result.exitCode, c.exitCode) << c.options.join(' ').toStdString();
        EXPECT_EQ(result.err, ("kernwick-cli: " + c.message + "\n").toUtf8())
            << c.options.join(' ').toStdString();
    }
    EXPECT_FALSE(QFile::exists(path("out.zvf")));
}
