#include "libkernwick/config/configparameters.h"
#include "libkernwick/config/deviceconfig.h"
#include "libkernwick/config/wireform.h"
#include "namedcase.h"
#include "qtprinters.h"

#include <gtest/gtest.h>

#include <limits>
#include <set>

using namespace Kernwick;

namespace {

constexpr std::int32_t Int32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t Int32Max = std::numeric_limits<std::int32_t>::max();

// Every parameter with its default in editor form, in the record's field order.
const std::pair<int, std::int32_t> defaults[] = {
    {16, 0},    {18, 2}, {17, 0}, {9, 1},  {19, 1}, {10, 0}, {29, 54}, {30, 100}, {31, 100},
    {28, 1},    {22, 3}, {20, 1}, {21, 1}, {23, 0}, {35, 0}, {25, 0},  {24, 0},   {26, 0},
    {27, 0},    {48, 0}, {49, 0}, {50, 0}, {51, 0}, {52, 0}, {32, 0},  {34, 50},  {33, 10},
    {40, 9600}, {41, 1}, {56, 0}, {57, 0}, {58, 0}, {59, 0}, {60, 8},  {61, 8},   {62, 8},
    {63, 8},    {44, 4}, {11, 0}, {36, 0}, {42, 4}};

} // namespace

TEST(DeviceConfig, FreshRecordHoldsTheDefaultsInFieldOrder)
{
    const DeviceConfig fresh;
    ASSERT_EQ(std::size(defaults), std::size_t(ConfigParameterCount));
    for (int i = 0; i < ConfigParameterCount; ++i) {
        const auto [number, value] = defaults[i];
        EXPECT_EQ(DeviceConfigFieldOrder[std::size_t(i)], number) << "field " << i;
        EXPECT_EQ(fresh.value(number), value) << "parameter " << number;
    }
}

TEST(DeviceConfig, EachNumberReachesItsOwnField)
{
    DeviceConfig config;
    std::int32_t next = 1000;
    for (const int number : DeviceConfigFieldOrder)
        config.setValue(number, next++);
    next = 1000;
    for (const int number : DeviceConfigFieldOrder)
        EXPECT_EQ(config.value(number), next++) << "parameter " << number;
    // The named fields are the numbered ones.
    EXPECT_EQ(config.videoSource, config.value(18));
    EXPECT_EQ(config.ntscInsertionRate, config.value(30));
    EXPECT_EQ(config.commParams, config.value(42));
    EXPECT_EQ(config.spi3Rate, config.value(63));
}

TEST(DeviceConfig, NumbersOutsideTheFortyOneAreNotParameters)
{
    DeviceConfig config;
    for (const int number : {-1, 0, 1, 8, 12, 37, 43, 64, 8265}) {
        EXPECT_FALSE(DeviceConfig::hasParameter(number)) << number;
        EXPECT_EQ(config.value(number), 0) << number;
        config.setValue(number, 77);
        EXPECT_EQ(config, DeviceConfig{}) << number;
    }
}

TEST(DeviceConfig, FreshRecordGoesOutAsTheBoardsDefaults)
{
    const DeviceConfig fresh;
    const std::pair<int, std::int32_t> wire[] = {{9, 1},       {10, 0},     {11, 0}, {16, 0},
                                                 {17, 0},      {18, 3},     {19, 1}, {28, 1},
                                                 {30, 100000}, {31, 100000}};
    for (const auto &[number, value] : wire)
        EXPECT_EQ(toWireValue(number, fresh.value(number)), value) << "parameter " << number;
}

struct WireCase : Test::NamedCase
{
    int number;
    std::int32_t editor;
    std::int32_t wire;
    std::int32_t editorAgain; ///< what the wire value reads back as
};

class WireForm : public ::testing::TestWithParam<WireCase>
{
};

TEST_P(WireForm, ConvertsBothWays)
{
    const WireCase &c = GetParam();
    EXPECT_EQ(toWireValue(c.number, c.editor), c.wire);
    EXPECT_EQ(toEditorValue(c.number, c.wire), c.editorAgain);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WireForm,
    ::testing::Values(
        WireCase{"VideoSourceLocal", 18, 0, 1, 0}, WireCase{"VideoSourceExternal", 18, 1, 2, 1},
        WireCase{"VideoSourceAuto", 18, 2, 3, 2},
        WireCase{"VideoSourceHeldAtTheTop", 18, Int32Max, Int32Max, Int32Max - 1},
        WireCase{"VideoSourceHeldAtTheBottom", 18, Int32Min, Int32Min + 1, Int32Min},
        WireCase{"InsertionRateFull", 30, 100, 100000, 100},
        WireCase{"InsertionRateZero", 31, 0, 0, 0},
        WireCase{"InsertionRateNegative", 30, -5, -5000, -5},
        WireCase{"InsertionRateLargestSent", 31, 2147483, 2147483000, 2147483},
        WireCase{"InsertionRateHeldAtTheTop", 30, 3000000, Int32Max, 2147483},
        WireCase{"InsertionRateHeldAtTheBottom", 31, -3000000, Int32Min, -2147483},
        WireCase{"SpiTwoNone", 58, 0, 0, 0}, WireCase{"SpiTwoDevicePresent", 58, 1, 1, 1},
        WireCase{"SpiTwoQomPresent", 58, 2, 10, 2},
        WireCase{"SpiTwoUnknownKeptAsItIs", 58, 7, 7, 7}, WireCase{"OtherSpiIsPlain", 59, 2, 2, 2},
        WireCase{"SignedStart", 24, -20, -20, -20}, WireCase{"PackedCommParams", 42, 105, 105, 105},
        WireCase{"BaudRate", 40, 115200, 115200, 115200}),
    Test::CaseName());

TEST(WireForm, InsertionRatesTruncateTowardZero)
{
    for (const auto &[wire, percent] :
         {std::pair{999, 0}, {-999, 0}, {55000, 55}, {100999, 100}, {-1001, -1}, {1000, 1}}) {
        EXPECT_EQ(toEditorValue(30, wire), percent) << wire;
        EXPECT_EQ(toEditorValue(31, wire), percent) << wire;
    }
}

TEST(CommParams, DefaultIsNoParityEightDataBitsOneStopNoEcho)
{
    const CommParams p = CommParams::unpack(4);
    EXPECT_EQ(p.parity, CommParams::None);
    EXPECT_EQ(p.sevenDataBits, 0);
    EXPECT_EQ(p.stopBits, CommParams::One);
    EXPECT_EQ(p.echo, 0);
    EXPECT_EQ(CommParams{}.pack(), 4);
    EXPECT_EQ(CommParams::unpack(DeviceConfig{}.commParams), CommParams{});
}

TEST(CommParams, OddSevenTwoEchoPacksTo105)
{
    CommParams p;
    p.parity = CommParams::Odd;
    p.sevenDataBits = 1;
    p.stopBits = CommParams::Two;
    p.echo = 1;
    EXPECT_EQ(p.pack(), 1 + 8 + 32 + 64);
    EXPECT_EQ(CommParams::unpack(105), p);
}

TEST(CommParams, EveryChoiceRoundTrips)
{
    std::set<std::int32_t> packedValues;
    for (int parity = 0; parity <= 4; ++parity) {
        for (int seven = 0; seven <= 1; ++seven) {
            for (int stop = 0; stop <= 2; ++stop) {
                for (int echo = 0; echo <= 1; ++echo) {
                    const CommParams p{parity, seven, stop, echo};
                    const std::int32_t packed = p.pack();
                    EXPECT_GE(packed, 0);
                    EXPECT_LT(packed, 128);
                    EXPECT_EQ(CommParams::unpack(packed), p) << packed;
                    packedValues.insert(packed);
                }
            }
        }
    }
    EXPECT_EQ(packedValues.size(), 5u * 2 * 3 * 2);
}

TEST(CommParams, UnpackReadsOnlyItsSevenBits)
{
    EXPECT_EQ(CommParams::unpack(105 + 128 * 3), CommParams::unpack(105));
    EXPECT_EQ(CommParams::unpack(-1), (CommParams{7, 1, 3, 1}));
    // Codes that select no button stay as read.
    EXPECT_EQ(CommParams::unpack(7 + 48).parity, 7);
    EXPECT_EQ(CommParams::unpack(7 + 48).stopBits, 3);
}

struct EntryCase : Test::NamedCase
{
    int number;
    qint64 value;
    const char *problem; ///< empty: accepted
};

class EditorEntry : public ::testing::TestWithParam<EntryCase>
{
};

TEST_P(EditorEntry, AcceptsOrRefusesWithTheMessage)
{
    const EntryCase &c = GetParam();
    EXPECT_EQ(editorValueProblem(c.number, c.value), QString::fromLatin1(c.problem));
    DeviceConfig config;
    QString error;
    const bool accepted = setEditorValue(config, c.number, c.value, &error);
    EXPECT_EQ(accepted, *c.problem == '\0');
    if (accepted) {
        EXPECT_EQ(config.value(c.number), c.value);
    } else {
        EXPECT_EQ(error, QString::fromLatin1(c.problem));
        EXPECT_EQ(config, DeviceConfig{}) << "a refused value changes nothing";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EditorEntry,
    ::testing::Values(
        EntryCase{"RateAtTheTop", 30, 2147483, ""}, EntryCase{"RateAtTheBottom", 31, -2147483, ""},
        EntryCase{"RateAboveTheTop", 30, 2147484,
                  "Please enter an integer between -2147483 and 2147483."},
        EntryCase{"RateBelowTheBottom", 31, -2147484,
                  "Please enter an integer between -2147483 and 2147483."},
        EntryCase{"RateFarAbove", 31, 5000000000LL, "Please enter an integer."},
        // A checkbox, a radio group and the packed value take only what their
        // controls can set: 58=10 would load back as its third button.
        EntryCase{"CheckboxChecked", 9, 1, ""},
        EntryCase{"CheckboxTwo", 9, 2, "Please enter an integer between 0 and 1."},
        EntryCase{"VideoSourceLastButton", 18, 2, ""},
        EntryCase{"VideoSourceTop", 18, Int32Max, "Please enter an integer between 0 and 2."},
        EntryCase{"VideoSourceBelow", 18, -1, "Please enter an integer between 0 and 2."},
        EntryCase{"SpiTwoWireValue", 58, 10, "Please enter an integer between 0 and 2."},
        EntryCase{"PixelClockLastButton", 23, 8, ""},
        EntryCase{"PixelClockPastTheButtons", 23, 9, "Please enter an integer between 0 and 8."},
        EntryCase{"CommEveryChoice", 42, 1 + 8 + 32 + 64, ""},
        EntryCase{"CommParityFive", 42, 5,
                  "Please enter a value the Comm page can set: parity 0 to 4, plus 8 for 7 data "
                  "bits, plus 16 times the stop bits 0 to 2, plus 64 for echo."},
        EntryCase{"CommStopBitsThree", 42, 48,
                  "Please enter a value the Comm page can set: parity 0 to 4, plus 8 for 7 data "
                  "bits, plus 16 times the stop bits 0 to 2, plus 64 for echo."},
        EntryCase{"CommPastSevenBits", 42, 128, "Please enter an integer between 0 and 127."},
        EntryCase{"DutyCycleOutsideTheSpin", 34, 500, ""}, EntryCase{"NegativeStart", 24, -20, ""},
        EntryCase{"BaudAtTheTop", 40, Int32Max, ""},
        EntryCase{"BeyondThirtyTwoBits", 40, qint64(Int32Max) + 1, "Please enter an integer."},
        EntryCase{"BelowThirtyTwoBits", 24, qint64(Int32Min) - 1, "Please enter an integer."}),
    Test::CaseName());

TEST(EditorEntry, RefusesNumbersThatAreNotParameters)
{
    DeviceConfig config;
    QString error;
    EXPECT_FALSE(setEditorValue(config, 12, 1, &error));
    EXPECT_EQ(error, QStringLiteral("12 is not one of the board's configuration parameters"));
    EXPECT_EQ(config, DeviceConfig{});
}

TEST(ConfigParameters, TableCoversTheRecordOnce)
{
    const auto table = configParameters();
    ASSERT_EQ(table.size(), std::size_t(ConfigParameterCount));
    std::set<int> numbers;
    for (const ConfigParameter &p : table) {
        EXPECT_TRUE(DeviceConfig::hasParameter(p.number)) << p.number;
        numbers.insert(p.number);
        EXPECT_EQ(findConfigParameter(p.number), &p);
        // Every caption names its parameter.
        EXPECT_TRUE(QString::fromLatin1(p.caption).endsWith(QStringLiteral("(%1)").arg(p.number)))
            << p.caption;
    }
    EXPECT_EQ(numbers.size(), std::size_t(ConfigParameterCount));
    EXPECT_EQ(findConfigParameter(1), nullptr);
}

TEST(ConfigParameters, PagesInTabOrderWithTheirParameters)
{
    const std::pair<ConfigPage, std::vector<int>> pages[] = {
        {ConfigPage::Mode, {9, 10, 11, 16, 17, 18, 19, 28}},
        {ConfigPage::Display, {20, 21, 22, 23, 29, 30, 31, 35}},
        {ConfigPage::DisplaySize, {24, 25, 26, 27, 36}},
        {ConfigPage::AuxOutput, {48, 49, 50, 51, 52}},
        {ConfigPage::Blink, {32, 33, 34}},
        {ConfigPage::Comm, {40, 41, 42, 44, 56, 57, 58, 59, 60, 61, 62, 63}},
    };
    std::vector<int> tableOrder;
    for (const ConfigParameter &p : configParameters())
        tableOrder.push_back(p.number);
    std::vector<int> expectedOrder;
    for (const auto &[page, numbers] : pages) {
        expectedOrder.insert(expectedOrder.end(), numbers.begin(), numbers.end());
        for (const int number : numbers)
            EXPECT_EQ(findConfigParameter(number)->page, page) << number;
    }
    EXPECT_EQ(tableOrder, expectedOrder);

    const char *titles[] = {"&Mode", "&Display", "Display Size", "Auxillary Output",
                            "Blink", "Comm"};
    for (int i = 0; i < ConfigPageCount; ++i)
        EXPECT_STREQ(configPageTitle(ConfigPage(i)), titles[i]);
}

TEST(ConfigParameters, ControlsChoicesAndSpins)
{
    struct Expected
    {
        int number;
        ControlKind kind;
        std::vector<const char *> choices;
        int spinLowest = 0, spinHighest = 0;
        bool wraps = false;
    };
    using K = ControlKind;
    const Expected expected[] = {
        {9, K::Checkbox, {}},
        {11,
         K::RadioGroup,
         {"0 - <CR>=<CR>  /  <LF>=<LF>", "1 - <CR>=<CR>+<LF>  /  <LF>=<LF>",
          "2 - <CR>=<CR>  /  <LF>=<CR>+<LF>", "3 - <CR>=<CR>+<LF>  /  <LF>=<CR>+<LF>"}},
        {18, K::RadioGroup, {"Local", "External", "Auto"}},
        {23,
         K::RadioGroup,
         {"Default", "5 Mhz", "5.375 Mhz", "5.769 Mhz", "6.25 Mhz", "6.818 Mhz", "7.5 Mhz",
          "8.33 Mhz", "9.375 Mhz"}},
        {29, K::Number, {}, 0, 128, true},
        {30, K::Number, {}, 0, 100, true},
        {31, K::Number, {}, 0, 100, true},
        {24, K::Number, {}, -200, 200, false},
        {26, K::Number, {}, -100, 100, false},
        {27, K::Number, {}, 0, 288, false},
        {33, K::Number, {}, 2, 100, false},
        {34, K::Number, {}, 1, 99, false},
        {49, K::RadioGroup, {"Low", "High", "Horizontal Sync", "Vertical Sync"}},
        {52, K::RadioGroup, {"Low", "High", "Fast Blanking", "Inverted Fast Blanking"}},
        {42, K::CommParams, {}},
        {44, K::RadioGroup, {"Mode 0", "Mode 1", "Mode 2", "Mode 3", "Hardware"}},
        {57, K::RadioGroup, {"0-None", "1-Device Present"}},
        {58, K::RadioGroup, {"0-None", "1-Device Present", "10-QOM Present"}},
        {60, K::Number, {}, 2, 255, true},
        {61, K::Number, {}, 2, 255, true},
        {62, K::Number, {}, 2, 255, false},
        {63, K::Number, {}, 2, 255, true},
    };
    for (const Expected &e : expected) {
        const ConfigParameter *p = findConfigParameter(e.number);
        ASSERT_NE(p, nullptr) << e.number;
        EXPECT_EQ(p->kind, e.kind) << e.number;
        ASSERT_EQ(p->choices.size(), e.choices.size()) << e.number;
        for (std::size_t i = 0; i < e.choices.size(); ++i)
            EXPECT_STREQ(p->choices[i], e.choices[i]) << e.number;
        if (e.kind == K::Number) {
            EXPECT_EQ(p->spinLowest, e.spinLowest) << e.number;
            EXPECT_EQ(p->spinHighest, e.spinHighest) << e.number;
            EXPECT_EQ(p->spinWraps, e.wraps) << e.number;
        }
    }
    // Every default radio index selects a button; every default number lies in its spin.
    const DeviceConfig fresh;
    for (const ConfigParameter &p : configParameters()) {
        const std::int32_t value = fresh.value(p.number);
        if (p.kind == K::RadioGroup) {
            EXPECT_LT(std::size_t(value), p.choices.size()) << p.number;
        }
        if (p.kind == K::Number) {
            EXPECT_GE(value, p.spinLowest) << p.number;
            EXPECT_LE(value, p.spinHighest) << p.number;
        }
    }
}

TEST(ConfigParameters, CommParamsGroupsFollowTheBoardsCodes)
{
    const auto groups = commParamsGroups();
    ASSERT_EQ(groups.size(), 3u);
    EXPECT_STREQ(groups[0].caption, "Data Bits");
    ASSERT_EQ(groups[0].choices.size(), 2u);
    EXPECT_STREQ(groups[0].choices[0], "8");
    EXPECT_STREQ(groups[0].choices[1], "7 ");
    EXPECT_STREQ(groups[1].caption, "Parity");
    ASSERT_EQ(groups[1].choices.size(), 5u);
    EXPECT_STREQ(groups[1].choices[CommParams::Even], "Even");
    EXPECT_STREQ(groups[1].choices[CommParams::Odd], "Odd");
    EXPECT_STREQ(groups[1].choices[CommParams::None], "None");
    EXPECT_STREQ(groups[2].caption, "Stop Bits");
    ASSERT_EQ(groups[2].choices.size(), 3u);
    EXPECT_STREQ(groups[2].choices[CommParams::OneAndHalf], "1.5");
    EXPECT_STREQ(EchoOnCaption, "Echo On");
}
