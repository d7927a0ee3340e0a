#include "folderfixture.h"
#include "libkernwick/config/configfile.h"
#include "libkernwick/config/configstream.h"
#include "libkernwick/config/wireform.h"
#include "namedcase.h"
#include "qtprinters.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <limits>
#include <random>

using namespace Kernwick;

namespace {

class ConfigFile : public Test::FolderTest
{
protected:
    // A configuration that differs from the defaults everywhere.
    static DeviceConfig edited()
    {
        DeviceConfig c;
        c.videoStandard = 1;
        c.videoSource = 0;
        c.scanMode = 1;
        c.zuvoModeOnly = 0;
        c.autoSelectVideoStandard = 0;
        c.allowStxEtx = 1;
        c.localHorizOffset = 128;
        c.ntscInsertionRate = 55;
        c.palInsertionRate = 0;
        c.overlayEnabled = 0;
        c.frameBufferSize = 1;
        c.highPixelRate = 0;
        c.restrictOverscan = 0;
        c.pixelClockRate = 8;
        c.displayReversal = 3;
        c.horizontalSize = 480;
        c.horizontalStart = -20;
        c.verticalStart = -5;
        c.verticalSize = 288;
        c.auxL0 = 1;
        c.auxL1 = 2;
        c.auxL2 = 3;
        c.auxL3 = 2;
        c.auxFblkg = 3;
        c.blinkEnable = 1;
        c.blinkDutyCycle = 500;
        c.blinkPeriod = 20;
        c.serialBaudRate = 115200;
        c.serialFlowControl = 2;
        c.spi0 = 1;
        c.spi1 = 1;
        c.spi2 = 2;
        c.spi3 = 1;
        c.spi0Rate = 2;
        c.spi1Rate = 255;
        c.spi2Rate = 100;
        c.spi3Rate = 3;
        c.spiMode = 0;
        c.crLfHandling = 3;
        c.allowPrintingInVbi = 8;
        c.commParams = CommParams{CommParams::Odd, 1, CommParams::Two, 1}.pack();
        return c;
    }
};

} // namespace

TEST_F(ConfigFile, DefaultsSaveAsTheFileOrderStream)
{
    QString error;
    ASSERT_TRUE(saveConfigFile(path("default.zvc"), DeviceConfig{}, &error)) << error.toStdString();
    const QByteArray bytes = read("default.zvc");
    EXPECT_EQ(bytes.size(), 306);
    EXPECT_EQ(bytes, encodeConfigStream(DeviceConfig{}, ConfigOrder::File));
}

TEST_F(ConfigFile, SaveThenLoadGivesEveryValueBack)
{
    const DeviceConfig saved = edited();
    for (const int number : DeviceConfigFieldOrder)
        ASSERT_NE(saved.value(number), DeviceConfig{}.value(number)) << number;
    QString error;
    ASSERT_TRUE(saveConfigFile(path("edited.zvc"), saved, &error)) << error.toStdString();
    DeviceConfig loaded;
    ASSERT_TRUE(loadConfigFile(path("edited.zvc"), &loaded, &error)) << error.toStdString();
    EXPECT_EQ(loaded, saved);
    EXPECT_EQ(CommParams::unpack(loaded.commParams),
              (CommParams{CommParams::Odd, 1, CommParams::Two, 1}));

    const QByteArray bytes = read("edited.zvc");
    for (const char *stored : {"18;1v", "24;<20v", "26;<5v", "30;55000v", "31;0v", "33;20v",
                               "34;500v", "42;105v", "58;10v"})
        EXPECT_TRUE(bytes.contains(QByteArray("\x1b[") + stored)) << stored;
}

TEST_F(ConfigFile, SavingReplacesAnEarlierFile)
{
    write("config.zvc", QByteArray(5000, 'x'));
    QString error;
    ASSERT_TRUE(saveConfigFile(path("config.zvc"), DeviceConfig{}, &error));
    EXPECT_EQ(read("config.zvc").size(), 306);
}

TEST_F(ConfigFile, FailedSaveReportsTheSystemText)
{
    QString error;
    EXPECT_FALSE(saveConfigFile(path("missing/config.zvc"), DeviceConfig{}, &error));
    EXPECT_EQ(error, QStringLiteral("No such file or directory"));
    EXPECT_FALSE(QFile::exists(path("missing/config.zvc")));
}

TEST_F(ConfigFile, MissingFileLeavesTheConfigurationAsItWas)
{
    DeviceConfig config = edited();
    QString error;
    EXPECT_FALSE(loadConfigFile(path("absent.zvc"), &config, &error));
    EXPECT_EQ(error, QStringLiteral("No such file or directory"));
    EXPECT_EQ(config, edited());
}

struct HostileCase : Test::NamedCase
{
    std::function<QByteArray()> bytes;
    bool loads;
    std::function<void(const DeviceConfig &)> check; ///< when it loads
};

class HostileConfigFile : public ConfigFile, public ::testing::WithParamInterface<HostileCase>
{
};

TEST_P(HostileConfigFile, GivesAClearResultOrError)
{
    const HostileCase &c = GetParam();
    const QString file = write("hostile.zvc", c.bytes());
    DeviceConfig config = edited();
    QString error;
    const bool loaded = loadConfigFile(file, &config, &error);
    ASSERT_EQ(loaded, c.loads) << error.toStdString();
    if (loaded) {
        c.check(config);
    } else {
        EXPECT_EQ(error, QStringLiteral("%1: the file is larger than 1048576 bytes").arg(file));
        EXPECT_EQ(config, edited()) << "a refused file changes nothing";
    }
}

namespace {

constexpr std::int32_t Int32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t Int32Min = std::numeric_limits<std::int32_t>::min();

QByteArray defaultFile()
{
    return encodeConfigStream(DeviceConfig{}, ConfigOrder::File);
}

QByteArray randomFile()
{
    std::mt19937 random(77);
    QByteArray bytes(4096, Qt::Uninitialized);
    for (char &c : bytes)
        c = char(random());
    return bytes;
}

} // namespace

INSTANTIATE_TEST_SUITE_P(
    Cases, HostileConfigFile,
    ::testing::Values(
        HostileCase{"Empty", [] { return QByteArray(); }, true,
                    [](const DeviceConfig &c) {
                        EXPECT_EQ(c.zuvoModeOnly, 0);
                        EXPECT_EQ(c.videoSource, -1);
                        EXPECT_EQ(c.serialBaudRate, 0);
                    }},
        HostileCase{"TruncatedInsideTheRates",
                    [] { return defaultFile().first(defaultFile().indexOf("30;") + 5); }, true,
                    [](const DeviceConfig &c) {
                        EXPECT_EQ(c.videoSource, 2);
                        EXPECT_EQ(c.localHorizOffset, 54);
                        // The last value read, the "10" of the cut "30;10", fills the rest.
                        EXPECT_EQ(c.ntscInsertionRate, 0);
                        EXPECT_EQ(c.palInsertionRate, 0);
                        EXPECT_EQ(c.serialBaudRate, 10);
                        EXPECT_EQ(c.spi3Rate, 10);
                    }},
        HostileCase{"TruncatedInTheFirstCommand", [] { return defaultFile().first(5); }, true,
                    [](const DeviceConfig &c) {
                        EXPECT_EQ(c.zuvoModeOnly, 1);
                        EXPECT_EQ(c.videoSource, 0);
                        EXPECT_EQ(c.spi3Rate, 1);
                    }},
        HostileCase{"TruncatedBeforeAnySemicolon", [] { return defaultFile().first(3); }, true,
                    [](const DeviceConfig &c) {
                        // "ESC[9" starts with no number at all.
                        EXPECT_EQ(c.zuvoModeOnly, 0);
                        EXPECT_EQ(c.spi3Rate, 0);
                    }},
        HostileCase{"RandomBytes", randomFile, true,
                    [](const DeviceConfig &c) { EXPECT_EQ(decodeConfigFile(randomFile()), c); }},
        HostileCase{"NumbersPastThirtyTwoBits",
                    [] {
                        return defaultFile()
                            .replace("40;9600v", "40;4294967296v")
                            .replace("24;0v", "24;<9999999999999999999999v");
                    },
                    true,
                    [](const DeviceConfig &c) {
                        EXPECT_EQ(c.serialBaudRate, Int32Max);
                        EXPECT_EQ(c.horizontalStart, Int32Min);
                        EXPECT_EQ(c.serialFlowControl, 1);
                    }},
        HostileCase{"OneMegabyteOfDigitsIsTheLimit",
                    [] { return QByteArray(MaxConfigFileBytes, '7'); }, true,
                    [](const DeviceConfig &c) { EXPECT_EQ(c.spi3Rate, Int32Max); }},
        HostileCase{
            "TenMegabytesOfDigits", [] { return QByteArray(10 * 1024 * 1024, '7'); }, false, {}},
        HostileCase{
            "OneByteTooMany", [] { return QByteArray(MaxConfigFileBytes + 1, ';'); }, false, {}}),
    Test::CaseName());
