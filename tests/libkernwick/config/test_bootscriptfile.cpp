// Boot script files: the 10-byte piece reader, exact saves and bounded loads.

#include "folderfixture.h"
#include "libkernwick/config/bootscriptfile.h"
#include "namedcase.h"
#include "qtprinters.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Kernwick;
namespace Test = Kernwick::Test;

namespace {

// Escape commands, an embedded string and CR LF line breaks, as a script holds them.
const QByteArray script = "\x1b[2J\x1b[10;5HHello\r\n\x1bQembedded\x1bR\r\n\x1b[0m";

class BootScriptFile : public Test::FolderTest
{
protected:
};

} // namespace

TEST_F(BootScriptFile, SaveWritesTheExactBytesAndLoadGivesThemBack)
{
    QString error;
    ASSERT_TRUE(saveBootScriptFile(path("boot.zvb"), script, &error)) << error.toStdString();
    EXPECT_EQ(read("boot.zvb"), script) << "no header, terminator or line-end conversion";

    QByteArray loaded;
    ASSERT_TRUE(loadBootScriptFile(path("boot.zvb"), &loaded, &error)) << error.toStdString();
    EXPECT_EQ(loaded, script);
}

TEST_F(BootScriptFile, SavingReplacesAnEarlierFileAndAFailedSaveKeepsIt)
{
    write("boot.zvb", QByteArray(5000, 'x'));
    QString error;
    ASSERT_TRUE(saveBootScriptFile(path("boot.zvb"), script, &error));
    EXPECT_EQ(read("boot.zvb"), script);

    EXPECT_FALSE(saveBootScriptFile(path("missing/boot.zvb"), script, &error));
    EXPECT_EQ(error, QStringLiteral("No such file or directory"));
    EXPECT_FALSE(QFile::exists(path("missing/boot.zvb")));
}

TEST_F(BootScriptFile, FailedLoadLeavesTheScriptAsItWas)
{
    QByteArray loaded = script;
    QString error;
    EXPECT_FALSE(loadBootScriptFile(path("absent.zvb"), &loaded, &error));
    EXPECT_EQ(error, QStringLiteral("No such file or directory"));
    EXPECT_EQ(loaded, script);

    const QString huge = write("huge.zvb", QByteArray(10 * 1024 * 1024, 'A'));
    EXPECT_FALSE(loadBootScriptFile(huge, &loaded, &error));
    EXPECT_EQ(error, QStringLiteral("%1: the file is larger than 65536 bytes").arg(huge));
    EXPECT_EQ(loaded, script);
}

struct PieceCase : Test::NamedCase
{
    QByteArray file;
    QByteArray script;
};

class BootScriptPieces : public BootScriptFile, public ::testing::WithParamInterface<PieceCase>
{
};

TEST_P(BootScriptPieces, LoadKeepsEachPieceUpToItsFirstNul)
{
    const PieceCase &c = GetParam();
    EXPECT_EQ(decodeBootScriptFile(c.file), c.script);
    QByteArray loaded = "old";
    QString error;
    ASSERT_TRUE(loadBootScriptFile(write("case.zvb", c.file), &loaded, &error));
    EXPECT_EQ(loaded, c.script);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BootScriptPieces,
    ::testing::Values(
        PieceCase{"Empty", {}, {}}, PieceCase{"ExactlyOnePiece", "0123456789", "0123456789"},
        PieceCase{"ShortLastPiece", "0123456789abc", "0123456789abc"},
        // A NUL drops the rest of its own 10-byte piece, not of the file.
        PieceCase{"NulInTheFirstPiece", QByteArray("abc\0defghiJKLMN", 15), "abcJKLMN"},
        PieceCase{"NulAtAPieceStart", QByteArray("0123456789\0bcdefghijXY", 22), "0123456789XY"},
        PieceCase{"NulAsTheLastByte", QByteArray("0123456789abcdefghi\0", 20),
                  "0123456789abcdefghi"},
        PieceCase{"OnlyNuls", QByteArray(25, '\0'), {}},
        PieceCase{"AllByteValuesButNul",
                  [] {
                      QByteArray all;
                      for (int b = 1; b < 256; ++b)
                          all.append(char(b));
                      return all;
                  }(),
                  [] {
                      QByteArray all;
                      for (int b = 1; b < 256; ++b)
                          all.append(char(b));
                      return all;
                  }()},
        PieceCase{"TheLargestFileThatLoads", QByteArray(MaxBootScriptFileBytes, 'z'),
                  QByteArray(MaxBootScriptFileBytes, 'z')}),
    Test::CaseName());
