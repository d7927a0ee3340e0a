// Setup files: the written form, the reader that takes lines by position, and
// bounded loads and atomic saves.

#include "folderfixture.h"
#include "libkernwick/config/setupfile.h"
#include "namedcase.h"
#include "qtprinters.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Kernwick;
namespace Test = Kernwick::Test;

namespace Kernwick {
void PrintTo(const SetupBundle &bundle, std::ostream *os)
{
    *os << "{font \"" << bundle.fontPath.toStdString() << "\", config \""
        << bundle.configPath.toStdString() << "\", boot \"" << bundle.bootScriptPath.toStdString()
        << "\"}";
}
} // namespace Kernwick

namespace {

const SetupBundle windowsBundle{QStringLiteral("D:\\font.zvf"), QStringLiteral("D:\\cfg.zvc"),
                                QStringLiteral("D:\\boot.zvb")};
const QByteArray windowsFile = "Font=D:\\font.zvf\nConfig=D:\\cfg.zvc\nBoot=D:\\boot.zvb";

class SetupFile : public Test::FolderTest
{
protected:
};

} // namespace

TEST_F(SetupFile, ThreePathsSaveAsThe51ByteFileAndLoadBack)
{
    QString error;
    ASSERT_TRUE(saveSetupFile(path("setup.zvs"), windowsBundle, &error)) << error.toStdString();
    EXPECT_EQ(read("setup.zvs"), windowsFile);
    EXPECT_EQ(read("setup.zvs").size(), 51);

    SetupBundle loaded;
    ASSERT_TRUE(loadSetupFile(path("setup.zvs"), &loaded, &error)) << error.toStdString();
    EXPECT_EQ(loaded, windowsBundle);
}

TEST_F(SetupFile, UnchosenPartsSaveAsNothingAfterTheirKey)
{
    EXPECT_EQ(encodeSetupFile({}), "Font=\nConfig=\nBoot=");
    EXPECT_EQ(encodeSetupFile({{}, QStringLiteral("/data/cfg.zvc"), {}}),
              "Font=\nConfig=/data/cfg.zvc\nBoot=");
}

TEST_F(SetupFile, LongPathsLoadWhole)
{
    // Far past the 512 bytes a setup file used to be read to.
    const QString deep = QStringLiteral("/") + QString(300, QLatin1Char('d')) +
                         QStringLiteral("/") + QString(200, QLatin1Char('e'));
    const SetupBundle bundle{deep + QStringLiteral("/font.zvf"), deep + QStringLiteral("/cfg.zvc"),
                             deep + QStringLiteral("/boot.zvb")};
    QString error;
    ASSERT_TRUE(saveSetupFile(path("long.zvs"), bundle, &error));
    EXPECT_GT(read("long.zvs").size(), 1500);
    SetupBundle loaded;
    ASSERT_TRUE(loadSetupFile(path("long.zvs"), &loaded, &error));
    EXPECT_EQ(loaded, bundle);
}

TEST_F(SetupFile, PathsOutsideAsciiKeepTheirCharacters)
{
    const SetupBundle bundle{QStringLiteral("/tmp/Schrift \u00e4\u00f6.zvf"),
                             {},
                             QStringLiteral("/tmp/d\u00e9marrage.zvb")};
    EXPECT_EQ(decodeSetupFile(encodeSetupFile(bundle)), bundle);
}

TEST_F(SetupFile, FailuresLeaveTheBundleAsItWas)
{
    SetupBundle bundle = windowsBundle;
    QString error;
    EXPECT_FALSE(loadSetupFile(path("absent.zvs"), &bundle, &error));
    EXPECT_EQ(error, QStringLiteral("No such file or directory"));
    EXPECT_EQ(bundle, windowsBundle);

    const QString huge = write("huge.zvs", QByteArray(10 * 1024 * 1024, '='));
    EXPECT_FALSE(loadSetupFile(huge, &bundle, &error));
    EXPECT_EQ(error, QStringLiteral("%1: the file is larger than 65536 bytes").arg(huge));
    EXPECT_EQ(bundle, windowsBundle);

    write("setup.zvs", windowsFile);
    EXPECT_FALSE(saveSetupFile(path("missing/setup.zvs"), {}, &error));
    EXPECT_EQ(error, QStringLiteral("No such file or directory"));
    EXPECT_FALSE(saveSetupFile(path("."), {}, &error)) << "a folder cannot be replaced";
    EXPECT_EQ(read("setup.zvs"), windowsFile);
}

struct ReadCase : Test::NamedCase
{
    QByteArray file;
    SetupBundle bundle;
};

class SetupFileReader : public SetupFile, public ::testing::WithParamInterface<ReadCase>
{
};

TEST_P(SetupFileReader, TakesTheLinesByPosition)
{
    const ReadCase &c = GetParam();
    EXPECT_EQ(decodeSetupFile(c.file), c.bundle);
    SetupBundle loaded = windowsBundle;
    QString error;
    ASSERT_TRUE(loadSetupFile(write("case.zvs", c.file), &loaded, &error));
    EXPECT_EQ(loaded, c.bundle);
}

namespace {

QString s(const char *text)
{
    return QString::fromUtf8(text);
}

} // namespace

INSTANTIATE_TEST_SUITE_P(
    Cases, SetupFileReader,
    ::testing::Values(
        ReadCase{"CrLfLeavesACrOnTheFirstTwoPaths",
                 "Font=D:\\font.zvf\r\nConfig=D:\\cfg.zvc\r\nBoot=D:\\boot.zvb",
                 {s("D:\\font.zvf\r"), s("D:\\cfg.zvc\r"), s("D:\\boot.zvb")}},
        ReadCase{"KeysAreNotRead", "Boot=/a\nFont=/b\nConfig=/c", {s("/a"), s("/b"), s("/c")}},
        ReadCase{"Empty", {}, {}}, ReadCase{"NoSeparatorsAtAll", "just some text", {}},
        ReadCase{"NoLineFeeds", "Font=/a Config=/b Boot=/c", {s("/a Config=/b Boot=/c"), {}, {}}},
        ReadCase{"NoEqualsSigns", "Font /a\nConfig /b\nBoot /c", {}},
        ReadCase{"OnlyTheSecondLineHasAValue", "Font\nConfig=/b\nBoot", {{}, s("/b"), {}}},
        ReadCase{"OneLineOnly", "Font=/a", {s("/a"), {}, {}}},
        ReadCase{"TrailingLineFeed", "Font=/a\nConfig=/b\n", {s("/a"), s("/b"), {}}},
        ReadCase{"EqualsInsideAPath", "Font=/a=b\nConfig==\nBoot=x=", {s("/a=b"), s("="), s("x=")}},
        ReadCase{"LinesAfterTheThirdAreIgnored",
                 "Font=/a\nConfig=/b\nBoot=/c\nExtra=/d",
                 {s("/a"), s("/b"), s("/c")}},
        ReadCase{"TextEndsAtTheFirstNul",
                 QByteArray("Font=/a\nConfig=/b\0junk\nBoot=/c", 30),
                 {s("/a"), s("/b"), {}}},
        ReadCase{"LeadingNul", QByteArray("\0Font=/a", 8), {}},
        ReadCase{"LineFeedsOnly", "\n\n\n\n", {}},
        ReadCase{"AllSixtyFourKilobytesAreRead",
                 "Font=/a\nConfig=/b\nBoot=" + QByteArray(MaxSetupFileBytes - 23, 'c'),
                 {s("/a"), s("/b"), QString(MaxSetupFileBytes - 23, QLatin1Char('c'))}}),
    Test::CaseName());
