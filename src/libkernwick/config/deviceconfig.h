#pragma once

#include <QString>

#include <array>
#include <cstdint>

namespace Kernwick {

/// The board configuration that Kernwick edits: one signed 32-bit value per
/// parameter, 41 in all, each in editor form (a checkbox 0 or 1, a radio group the
/// 0-based index of its button, a number as shown). The fields are declared in the
/// board's own record order and start at the defaults.
struct DeviceConfig
{
    std::int32_t videoStandard = 0;           ///< 16: NTSC, PAL
    std::int32_t videoSource = 2;             ///< 18: Local, External, Auto
    std::int32_t scanMode = 0;                ///< 17: Progressive, Interlaced
    std::int32_t zuvoModeOnly = 1;            ///< 9: checkbox
    std::int32_t autoSelectVideoStandard = 1; ///< 19: checkbox
    std::int32_t allowStxEtx = 0;             ///< 10: checkbox
    std::int32_t localHorizOffset = 54;       ///< 29: number
    std::int32_t ntscInsertionRate = 100;     ///< 30: percent
    std::int32_t palInsertionRate = 100;      ///< 31: percent
    std::int32_t overlayEnabled = 1;          ///< 28: checkbox
    std::int32_t frameBufferSize = 3;         ///< 22: four sizes
    std::int32_t highPixelRate = 1;           ///< 20: checkbox
    std::int32_t restrictOverscan = 1;        ///< 21: checkbox
    std::int32_t pixelClockRate = 0;          ///< 23: nine rates
    std::int32_t displayReversal = 0;         ///< 35: four reversals
    std::int32_t horizontalSize = 0;          ///< 25: number
    std::int32_t horizontalStart = 0;         ///< 24: signed number
    std::int32_t verticalStart = 0;           ///< 26: signed number
    std::int32_t verticalSize = 0;            ///< 27: number
    std::int32_t auxL0 = 0;                   ///< 48: four outputs
    std::int32_t auxL1 = 0;                   ///< 49: four outputs
    std::int32_t auxL2 = 0;                   ///< 50: four outputs
    std::int32_t auxL3 = 0;                   ///< 51: four outputs
    std::int32_t auxFblkg = 0;                ///< 52: four outputs
    std::int32_t blinkEnable = 0;             ///< 32: checkbox
    std::int32_t blinkDutyCycle = 50;         ///< 34: number
    std::int32_t blinkPeriod = 10;            ///< 33: number
    std::int32_t serialBaudRate = 9600;       ///< 40: bits per second
    std::int32_t serialFlowControl = 1;       ///< 41: None, XON/XOFF, Hardware
    std::int32_t spi0 = 0;                    ///< 56: None, Device Present
    std::int32_t spi1 = 0;                    ///< 57: None, Device Present
    std::int32_t spi2 = 0;                    ///< 58: None, Device Present, QOM Present
    std::int32_t spi3 = 0;                    ///< 59: None, Device Present
    std::int32_t spi0Rate = 8;                ///< 60: number
    std::int32_t spi1Rate = 8;                ///< 61: number
    std::int32_t spi2Rate = 8;                ///< 62: number
    std::int32_t spi3Rate = 8;                ///< 63: number
    std::int32_t spiMode = 4;                 ///< 44: Mode 0 to 3, Hardware
    std::int32_t crLfHandling = 0;            ///< 11: four line-end handlings
    std::int32_t allowPrintingInVbi = 0;      ///< 36: number
    std::int32_t commParams = 4;              ///< 42: CommParams, packed

    bool operator==(const DeviceConfig &) const = default;

    /// Whether `number` is one of the 41 parameters.
    static bool hasParameter(int number);
    /// The value of parameter `number` in editor form; 0 for a number that is not a
    /// parameter.
    std::int32_t value(int number) const;
    /// Sets parameter `number` in editor form exactly as given (a loaded file's
    /// values are taken as they are); a number that is not a parameter is ignored.
    /// Values a user enters go through setEditorValue() instead.
    void setValue(int number, std::int32_t value);
};

/// How many parameters a DeviceConfig holds.
inline constexpr int ConfigParameterCount = 41;

/// The parameter numbers in the order the fields are declared.
extern const std::array<int, ConfigParameterCount> DeviceConfigFieldOrder;

/// The smallest and largest editor values of parameter `number`, as its control
/// sets them: 0 and 1 for a checkbox, the button indices for a radio group, 0 to
/// 127 for the packed communication parameters (42). A number field takes any
/// value whose wire form still fits in 32 bits: the insertion rates (30, 31) are
/// sent times 1000; every other number takes any 32-bit value.
struct EditorRange
{
    std::int32_t lowest;
    std::int32_t highest;
};
EditorRange editorRange(int number);

/// Why `value` cannot be entered for parameter `number`, or an empty text when it
/// can: "Please enter an integer." beyond 32 bits, "Please enter an integer
/// between %1 and %2." outside editorRange(), and a note on the Comm page's
/// choices for a packed value (42) with a parity above 4 or stop bits above 2.
QString editorValueProblem(int number, qint64 value);

/// Sets parameter `number` to a value a user entered, in editor form. Refuses,
/// leaving `config` unchanged and setting `error`, a number that is not a
/// parameter and every value editorValueProblem() names.
bool setEditorValue(DeviceConfig &config, int number, qint64 value, QString *error);

} // namespace Kernwick
