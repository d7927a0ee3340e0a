#include "libkernwick/config/configstream.h"
#include "libkernwick/config/wireform.h"
#include "namedcase.h"
#include "qtprinters.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <limits>
#include <random>

using namespace Kernwick;

namespace {

constexpr std::int32_t Int32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t Int32Max = std::numeric_limits<std::int32_t>::max();

const std::vector<int> downloadOrder = {9,  10, 11, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26,
                                        27, 36, 28, 29, 30, 31, 32, 33, 34, 35, 48, 49, 50, 51,
                                        52, 41, 40, 42, 44, 56, 57, 58, 59, 60, 61, 62, 63};
const std::vector<int> fileOrder = {9,  10, 11, 16, 17, 18, 28, 19, 20, 21, 22, 23, 35, 24,
                                    25, 26, 27, 36, 29, 30, 31, 32, 33, 34, 48, 49, 50, 51,
                                    52, 40, 41, 42, 44, 56, 57, 58, 59, 60, 61, 62, 63};

QByteArray esc(const char *command)
{
    return QByteArray("\x1b[") + command;
}

// The stream cut into its commands: (number, value text) pairs, the closing
// command as (1, ""). Fails the test on anything that is not a command.
std::vector<std::pair<int, QByteArray>> commands(const QByteArray &stream)
{
    std::vector<std::pair<int, QByteArray>> result;
    static const QRegularExpression command(QStringLiteral("^\x1b\\[(\\d+)(?:;([^v]*))?v"));
    QString rest = QString::fromLatin1(stream);
    while (!rest.isEmpty()) {
        const QRegularExpressionMatch m = command.match(rest);
        if (!m.hasMatch()) {
            ADD_FAILURE() << "not a command: " << rest.toStdString();
            break;
        }
        result.emplace_back(m.captured(1).toInt(), m.captured(2).toLatin1());
        rest = rest.mid(m.capturedLength());
    }
    return result;
}

// A configuration in which every parameter differs from its default and from the
// others, negatives included.
DeviceConfig unusualConfig()
{
    DeviceConfig c;
    std::int32_t next = -20;
    for (const int number : fileOrder) {
        c.setValue(number, next);
        next += 7;
    }
    return c;
}

} // namespace

TEST(ConfigStream, DefaultsAre306BytesInBothOrders)
{
    const QByteArray download = encodeConfigStream(DeviceConfig{}, ConfigOrder::Download);
    const QByteArray file = encodeConfigStream(DeviceConfig{}, ConfigOrder::File);
    EXPECT_EQ(download.size(), 306);
    EXPECT_EQ(file.size(), 306);
    EXPECT_TRUE(download.startsWith(esc("9;1v") + esc("10;0v") + esc("11;0v") + esc("16;0v") +
                                    esc("17;0v") + esc("18;3v") + esc("19;1v")))
        << download.toStdString();
    EXPECT_TRUE(download.endsWith(esc("62;8v") + esc("63;8v") + esc("1v")))
        << download.toStdString();
    EXPECT_TRUE(file.startsWith(esc("9;1v") + esc("10;0v") + esc("11;0v") + esc("16;0v") +
                                esc("17;0v") + esc("18;3v") + esc("28;1v")))
        << file.toStdString();
    EXPECT_TRUE(file.endsWith(esc("63;8v") + esc("1v"))) << file.toStdString();
}

TEST(ConfigStream, CommandsFollowTheirOrderAndEndWithTheClosingCommand)
{
    for (const auto &[order, numbers] :
         {std::pair{ConfigOrder::Download, downloadOrder}, {ConfigOrder::File, fileOrder}}) {
        EXPECT_EQ(std::vector<int>(configOrder(order).begin(), configOrder(order).end()), numbers);
        const DeviceConfig config = unusualConfig();
        const auto cmds = commands(encodeConfigStream(config, order));
        ASSERT_EQ(cmds.size(), numbers.size() + 1);
        for (std::size_t i = 0; i < numbers.size(); ++i) {
            EXPECT_EQ(cmds[i].first, numbers[i]);
            const std::int32_t wire = toWireValue(numbers[i], config.value(numbers[i]));
            EXPECT_EQ(cmds[i].second, QByteArray::number(wire).replace('-', '<'));
        }
        EXPECT_EQ(cmds.back(), (std::pair<int, QByteArray>{1, ""}));
    }
}

TEST(ConfigStream, OrdersDifferOnlyIn28And35And40With41)
{
    std::vector<int> download = downloadOrder;
    std::vector<int> file = fileOrder;
    for (const int moved : {28, 35, 40, 41}) {
        std::erase(download, moved);
        std::erase(file, moved);
    }
    EXPECT_EQ(download, file);
}

struct ValueCase : Test::NamedCase
{
    int number;
    std::int32_t editor;
    const char *command; ///< without ESC "["
};

class StreamValue : public ::testing::TestWithParam<ValueCase>
{
};

TEST_P(StreamValue, GoesOutAsItsWireText)
{
    const ValueCase &c = GetParam();
    DeviceConfig config;
    config.setValue(c.number, c.editor);
    for (const ConfigOrder order : {ConfigOrder::Download, ConfigOrder::File}) {
        const QByteArray stream = encodeConfigStream(config, order);
        EXPECT_TRUE(stream.contains(esc(c.command))) << stream.toStdString();
        EXPECT_FALSE(stream.contains('-')) << stream.toStdString();
    }
    EXPECT_EQ(decodeConfigFile(encodeConfigStream(config, ConfigOrder::File)).value(c.number),
              c.editor);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StreamValue,
    ::testing::Values(ValueCase{"NtscRateFull", 30, 100, "30;100000v"},
                      ValueCase{"PalRateFull", 31, 100, "31;100000v"},
                      ValueCase{"RateZero", 30, 0, "30;0v"},
                      ValueCase{"QomPresent", 58, 2, "58;10v"},
                      ValueCase{"DevicePresent", 58, 1, "58;1v"},
                      ValueCase{"VideoSourceLocal", 18, 0, "18;1v"},
                      ValueCase{"VerticalStartMinusFive", 26, -5, "26;<5v"},
                      ValueCase{"HorizontalStartMinusTwenty", 24, -20, "24;<20v"},
                      ValueCase{"DutyCycleOutsideTheSpin", 34, 500, "34;500v"},
                      ValueCase{"SmallestValue", 40, Int32Min, "40;<2147483648v"},
                      ValueCase{"NegativeRate", 31, -2147483, "31;<2147483000v"}),
    Test::CaseName());

TEST(ConfigStream, NeverHoldsAMinusSign)
{
    DeviceConfig config;
    for (const int number : fileOrder)
        config.setValue(number, number == 18 ? -2 : -number);
    for (const ConfigOrder order : {ConfigOrder::Download, ConfigOrder::File}) {
        const QByteArray stream = encodeConfigStream(config, order);
        EXPECT_FALSE(stream.contains('-')) << stream.toStdString();
        EXPECT_EQ(stream.count('<'), 41);
    }
}

TEST(ConfigFileDecode, FileOrderRoundTripsEveryValue)
{
    DeviceConfig extremes;
    for (const int number : fileOrder) {
        const bool low = number % 2 == 0;
        std::int32_t value = low ? Int32Min : Int32Max;
        if (number == 30 || number == 31)
            value = low ? -2147483 : 2147483;
        if (number == 18)
            value = low ? Int32Min + 1 : Int32Max - 1;
        if (number == 58)
            value = 2;
        extremes.setValue(number, value);
    }
    for (const DeviceConfig &config : {DeviceConfig{}, unusualConfig(), extremes})
        EXPECT_EQ(decodeConfigFile(encodeConfigStream(config, ConfigOrder::File)), config);
}

TEST(ConfigFileDecode, ReadsByPositionNotByNumber)
{
    // The download order stored as a file puts 19's value where 28 belongs.
    DeviceConfig config;
    config.overlayEnabled = 0;
    config.autoSelectVideoStandard = 1;
    const DeviceConfig read = decodeConfigFile(encodeConfigStream(config, ConfigOrder::Download));
    EXPECT_EQ(read.overlayEnabled, 1);
}

struct DecodeCase : Test::NamedCase
{
    QByteArray text;
    std::vector<std::pair<int, std::int32_t>> expected; ///< editor values
};

class Decode : public ::testing::TestWithParam<DecodeCase>
{
};

TEST_P(Decode, ReadsTheValues)
{
    const DecodeCase &c = GetParam();
    const DeviceConfig config = decodeConfigFile(c.text);
    for (const auto &[number, value] : c.expected)
        EXPECT_EQ(config.value(number), value) << "parameter " << number;
}

// The default file with one command's value text replaced.
QByteArray defaultsWith(const char *command, const char *replacement)
{
    return encodeConfigStream(DeviceConfig{}, ConfigOrder::File)
        .replace(esc(command), esc(replacement));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Decode,
    ::testing::Values(
        DecodeCase{"RateOf55000Is55Percent", defaultsWith("30;100000v", "30;55000v"), {{30, 55}}},
        DecodeCase{"LessThanThePercentIsZero", defaultsWith("31;100000v", "31;999v"), {{31, 0}}},
        DecodeCase{"MinusTwentyStart", defaultsWith("24;0v", "24;<20v"), {{24, -20}}},
        DecodeCase{"PlainMinusReadsToo", defaultsWith("24;0v", "24;-20v"), {{24, -20}}},
        DecodeCase{"LocalVideoSource", defaultsWith("18;3v", "18;1v"), {{18, 0}}},
        DecodeCase{"QomPresent", defaultsWith("58;0v", "58;10v"), {{58, 2}}},
        DecodeCase{"OtherSpiTwoValueKept", defaultsWith("58;0v", "58;5v"), {{58, 5}}},
        DecodeCase{"LeadingWhiteSpaceAndPlus", defaultsWith("33;10v", "33; \t+20v"), {{33, 20}}},
        DecodeCase{"NoDigitsGiveZero", defaultsWith("40;9600v", "40;v"), {{40, 0}, {41, 1}}},
        DecodeCase{"SignWithoutDigitsGivesZero", defaultsWith("40;9600v", "40;<v"), {{40, 0}}},
        DecodeCase{"PastThirtyTwoBitsHeldAtTheTop",
                   defaultsWith("40;9600v", "40;99999999999999999999999v"),
                   {{40, Int32Max}, {41, 1}}},
        DecodeCase{"PastThirtyTwoBitsHeldAtTheBottom",
                   defaultsWith("25;0v", "25;<2147483649v"),
                   {{25, Int32Min}, {26, 0}}},
        DecodeCase{"SmallestThirtyTwoBitValue",
                   defaultsWith("25;0v", "25;<2147483648v"),
                   {{25, Int32Min}}},
        DecodeCase{
            "LargestRateReadsBack", defaultsWith("30;100000v", "30;99999999999v"), {{30, 2147483}}},
        DecodeCase{"ParameterNumbersAreNotChecked", defaultsWith("9;", "77;"), {{9, 1}}},
        DecodeCase{"TextWithoutSemicolon", "7", {{9, 7}, {18, 6}, {30, 0}, {58, 7}, {63, 7}}},
        DecodeCase{"TextWithoutSemicolonNegative", "  <1234v", {{9, -1234}, {30, -1}, {63, -1234}}},
        DecodeCase{"EmptyText", "", {{9, 0}, {18, -1}, {42, 0}, {63, 0}}},
        DecodeCase{"RunsOutOfSemicolons",
                   "\x1b[9;5v\x1b[10;6v\x1b[11;7v",
                   {{9, 5}, {10, 6}, {11, 7}, {16, 7}, {18, 6}, {30, 0}, {63, 7}}}),
    Test::CaseName());

TEST(ConfigFileDecode, NulEndsTheTextOfItsTenBytePiece)
{
    const QByteArray piece0("\x1b[9;1v\x1b[10", 10);
    const QByteArray piece1(";4v\0junk;\x1b", 10);
    const QByteArray piece2("[11;3v\x1b[16", 10);
    const QByteArray text = piece0 + piece1 + piece2 + ";1v";
    const DeviceConfig config = decodeConfigFile(text);
    EXPECT_EQ(config.zuvoModeOnly, 1);
    EXPECT_EQ(config.allowStxEtx, 4);
    // "junk;" was cut with the rest of its piece, so 11 reads its own value.
    EXPECT_EQ(config.crLfHandling, 3);
    EXPECT_EQ(config.videoStandard, 1);

    // Without the NUL, the "junk;" shifts every later value.
    QByteArray withoutNul = text;
    withoutNul[13] = 'x';
    EXPECT_EQ(decodeConfigFile(withoutNul).crLfHandling, 0);
    EXPECT_EQ(decodeConfigFile(withoutNul).videoStandard, 3);
}

TEST(ConfigFileDecode, NulInTheLastShortPieceCutsItToo)
{
    QByteArray file = encodeConfigStream(DeviceConfig{}, ConfigOrder::File);
    ASSERT_EQ(file.size() % 10, 6);
    // The last piece holds "8v" ESC "[1v"; a NUL right after "63;" cuts the 8 away.
    file.insert(file.size() - 6, '\0');
    EXPECT_EQ(decodeConfigFile(file).spi3Rate, 0);
}

TEST(ConfigFileDecode, EveryTruncationReadsTheCompleteValues)
{
    DeviceConfig config = unusualConfig();
    const QByteArray file = encodeConfigStream(config, ConfigOrder::File);
    for (qsizetype length = 1; length <= file.size(); ++length) {
        const DeviceConfig read = decodeConfigFile(file.first(length));
        // Every command whose "v" is inside the cut reads back unchanged.
        const auto complete = commands(file.first(file.lastIndexOf('v', length - 1) + 1));
        for (const auto &[number, text] : complete) {
            if (number != 1) {
                EXPECT_EQ(read.value(number), config.value(number))
                    << "length " << length << " parameter " << number;
            }
        }
    }
}

TEST(ConfigFileDecode, RandomBytesNeverFail)
{
    std::mt19937 random(20240610);
    for (int round = 0; round < 300; ++round) {
        QByteArray junk(qsizetype(random() % 2000), Qt::Uninitialized);
        for (char &c : junk)
            c = char(random() % 4 == 0 ? ";<-0123456789"[random() % 13] : random());
        const DeviceConfig read = decodeConfigFile(junk);
        // Whatever it holds, it encodes into a well-formed stream again.
        EXPECT_EQ(commands(encodeConfigStream(read, ConfigOrder::File)).size(), 42u);
    }
}

TEST(ConfigFileDecode, TenMegabytesOfDigitsHoldTheLargestValue)
{
    const DeviceConfig read = decodeConfigFile(QByteArray(10 * 1024 * 1024, '9'));
    for (const int number : fileOrder) {
        if (number != 18 && number != 30 && number != 31) {
            EXPECT_EQ(read.value(number), Int32Max) << number;
        }
    }
    EXPECT_EQ(read.videoSource, Int32Max - 1);
    EXPECT_EQ(read.ntscInsertionRate, 2147483);
    EXPECT_EQ(read.spi2, Int32Max);
}

TEST(ConfigFileDecode, TenMegabytesOfSemicolonsAndDigits)
{
    QByteArray text;
    for (int i = 0; i < 1000000; ++i)
        text += ";123456789";
    const DeviceConfig read = decodeConfigFile(text);
    EXPECT_EQ(read.zuvoModeOnly, 123456789);
    EXPECT_EQ(read.spi3Rate, 123456789);
}
