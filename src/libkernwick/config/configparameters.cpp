#include "libkernwick/config/configparameters.h"

namespace Kernwick {

namespace {

using Kind = ControlKind;
using Page = ConfigPage;

constexpr const char *crLfChoices[] = {
    "0 - <CR>=<CR>  /  <LF>=<LF>", "1 - <CR>=<CR>+<LF>  /  <LF>=<LF>",
    "2 - <CR>=<CR>  /  <LF>=<CR>+<LF>", "3 - <CR>=<CR>+<LF>  /  <LF>=<CR>+<LF>"};
constexpr const char *videoStandardChoices[] = {"NTSC", "PAL"};
constexpr const char *scanModeChoices[] = {"Progressive", "Interlaced"};
constexpr const char *videoSourceChoices[] = {"Local", "External", "Auto"};
constexpr const char *frameBufferChoices[] = {"320 x 240", "384 x 288", "480 x 240", "480 x 288"};
constexpr const char *pixelClockChoices[] = {"Default",   "5 Mhz",    "5.375 Mhz",
                                             "5.769 Mhz", "6.25 Mhz", "6.818 Mhz",
                                             "7.5 Mhz",   "8.33 Mhz", "9.375 Mhz"};
constexpr const char *reversalChoices[] = {"No Reversal", "Reverse Horizontally",
                                           "Reverse Vertically",
                                           "Reverse Horizontally and Vertically"};
constexpr const char *l0Choices[] = {"Low", "High", "Composite Sync", "Vertical Sync"};
constexpr const char *l1Choices[] = {"Low", "High", "Horizontal Sync", "Vertical Sync"};
constexpr const char *l2Choices[] = {"Low", "High", "Horizontal Sync", "Composite Sync"};
constexpr const char *l3Choices[] = {"Low", "High", "Composite Sync", "Vertical Blanking"};
constexpr const char *fblkgChoices[] = {"Low", "High", "Fast Blanking", "Inverted Fast Blanking"};
constexpr const char *flowControlChoices[] = {"None", "XON/XOFF", "Hardware"};
constexpr const char *spiModeChoices[] = {"Mode 0", "Mode 1", "Mode 2", "Mode 3", "Hardware"};
constexpr const char *spiChoices[] = {"0-None", "1-Device Present"};
constexpr const char *spi2Choices[] = {"0-None", "1-Device Present", "10-QOM Present"};

constexpr ConfigParameter checkbox(int number, const char *caption, Page page)
{
    return {number, caption, Kind::Checkbox, page, {}};
}

constexpr ConfigParameter radio(int number, const char *caption, Page page,
                                std::span<const char *const> choices)
{
    return {number, caption, Kind::RadioGroup, page, choices};
}

constexpr ConfigParameter number(int number, const char *caption, Page page, int lowest,
                                 int highest, bool wraps = false)
{
    return {number, caption, Kind::Number, page, {}, lowest, highest, wraps};
}

constexpr bool Wraps = true;

// The baud rate's spin needs only to leave typed and loaded rates unchanged; this
// range holds every rate a serial line uses.
constexpr int BaudRateSpinHighest = 1000000;

constexpr ConfigParameter parameters[] = {
    checkbox(9, "ZUVO Mode Only (9)", Page::Mode),
    checkbox(10, "Allow STX/ETX for String (10)", Page::Mode),
    radio(11, "Carriage Return/Line Feed Handling (11)", Page::Mode, crLfChoices),
    radio(16, "Video Standard (16)", Page::Mode, videoStandardChoices),
    radio(17, "Scan Mode (17)", Page::Mode, scanModeChoices),
    radio(18, "Video Source (18)", Page::Mode, videoSourceChoices),
    checkbox(19, "AutoSelect Video Standard (19)", Page::Mode),
    checkbox(28, "Overlay Enabled (28)", Page::Mode),

    checkbox(20, "High Pixel Rate (20)", Page::Display),
    checkbox(21, "Restrict Overscan (21)", Page::Display),
    radio(22, "Frame Buffer Size (22)", Page::Display, frameBufferChoices),
    radio(23, "Pixel Clock Rate (23)", Page::Display, pixelClockChoices),
    number(29, "Local Horiz Offset (29)", Page::Display, 0, 128, Wraps),
    number(30, "NTSC Insertion Rate (30)", Page::Display, 0, 100, Wraps),
    number(31, "PAL Insertion Rate (31)", Page::Display, 0, 100, Wraps),
    radio(35, "Display Reversal (35)", Page::Display, reversalChoices),

    number(24, "Horizontal Start Position (24)", Page::DisplaySize, -200, 200),
    number(25, "Horizontal Size (25)", Page::DisplaySize, 0, 480),
    number(26, "Vertical Start Position (26)", Page::DisplaySize, -100, 100),
    number(27, "Vertical Size (27)", Page::DisplaySize, 0, 288),
    number(36, "Allow Printing in VBI (36)", Page::DisplaySize, 0, 8),

    radio(48, "L0 (48)", Page::AuxOutput, l0Choices),
    radio(49, "L1 (49)", Page::AuxOutput, l1Choices),
    radio(50, "L2 (50)", Page::AuxOutput, l2Choices),
    radio(51, "L3 (51)", Page::AuxOutput, l3Choices),
    radio(52, "FBLKG (52)", Page::AuxOutput, fblkgChoices),

    checkbox(32, "Blink Enable (32)", Page::Blink),
    number(33, "Blinking Period (33)", Page::Blink, 2, 100),
    number(34, "Blinking Duty Cycle (34)", Page::Blink, 1, 99),

    number(40, "Serial Baud Rate (40)", Page::Comm, 0, BaudRateSpinHighest),
    radio(41, "Serial Flow Control (41)", Page::Comm, flowControlChoices),
    {42, "Communication Parameters (42)", Kind::CommParams, Page::Comm, {}},
    radio(44, "SPI Mode (44)", Page::Comm, spiModeChoices),
    radio(56, "SPI 0 (56)", Page::Comm, spiChoices),
    radio(57, "SPI 1 (57)", Page::Comm, spiChoices),
    radio(58, "SPI 2 (58)", Page::Comm, spi2Choices),
    radio(59, "SPI 3 (59)", Page::Comm, spiChoices),
    number(60, "Rate (60)", Page::Comm, 2, 255, Wraps),
    number(61, "Rate (61)", Page::Comm, 2, 255, Wraps),
    number(62, "Rate (62)", Page::Comm, 2, 255),
    number(63, "Rate (63)", Page::Comm, 2, 255, Wraps),
};

constexpr const char *dataBitsChoices[] = {"8", "7 "};
constexpr const char *parityChoices[] = {"Even", "Odd", "Space", "Mark", "None"};
constexpr const char *stopBitsChoices[] = {"1", "1.5", "2"};

constexpr CommParamsGroup commGroups[] = {
    {"Data Bits", dataBitsChoices},
    {"Parity", parityChoices},
    {"Stop Bits", stopBitsChoices},
};

} // namespace

const char *configPageTitle(ConfigPage page)
{
    switch (page) {
    case ConfigPage::Mode:
        return "&Mode";
    case ConfigPage::Display:
        return "&Display";
    case ConfigPage::DisplaySize:
        return "Display Size";
    case ConfigPage::AuxOutput:
        return "Auxillary Output";
    case ConfigPage::Blink:
        return "Blink";
    case ConfigPage::Comm:
        return "Comm";
    }
    return "";
}

std::span<const ConfigParameter> configParameters()
{
    return parameters;
}

const ConfigParameter *findConfigParameter(int number)
{
    for (const ConfigParameter &p : parameters) {
        if (p.number == number)
            return &p;
    }
    return nullptr;
}

std::span<const CommParamsGroup> commParamsGroups()
{
    return commGroups;
}

} // namespace Kernwick
