#include "libkernwick/config/deviceconfig.h"

#include "libkernwick/config/configparameters.h"

#include <limits>

namespace Kernwick {

namespace {

struct Field
{
    int number;
    std::int32_t DeviceConfig::*member;
};

// The fields in declaration order, each with its parameter number.
constexpr Field fields[ConfigParameterCount] = {
    {16, &DeviceConfig::videoStandard},
    {18, &DeviceConfig::videoSource},
    {17, &DeviceConfig::scanMode},
    {9, &DeviceConfig::zuvoModeOnly},
    {19, &DeviceConfig::autoSelectVideoStandard},
    {10, &DeviceConfig::allowStxEtx},
    {29, &DeviceConfig::localHorizOffset},
    {30, &DeviceConfig::ntscInsertionRate},
    {31, &DeviceConfig::palInsertionRate},
    {28, &DeviceConfig::overlayEnabled},
    {22, &DeviceConfig::frameBufferSize},
    {20, &DeviceConfig::highPixelRate},
    {21, &DeviceConfig::restrictOverscan},
    {23, &DeviceConfig::pixelClockRate},
    {35, &DeviceConfig::displayReversal},
    {25, &DeviceConfig::horizontalSize},
    {24, &DeviceConfig::horizontalStart},
    {26, &DeviceConfig::verticalStart},
    {27, &DeviceConfig::verticalSize},
    {48, &DeviceConfig::auxL0},
    {49, &DeviceConfig::auxL1},
    {50, &DeviceConfig::auxL2},
    {51, &DeviceConfig::auxL3},
    {52, &DeviceConfig::auxFblkg},
    {32, &DeviceConfig::blinkEnable},
    {34, &DeviceConfig::blinkDutyCycle},
    {33, &DeviceConfig::blinkPeriod},
    {40, &DeviceConfig::serialBaudRate},
    {41, &DeviceConfig::serialFlowControl},
    {56, &DeviceConfig::spi0},
    {57, &DeviceConfig::spi1},
    {58, &DeviceConfig::spi2},
    {59, &DeviceConfig::spi3},
    {60, &DeviceConfig::spi0Rate},
    {61, &DeviceConfig::spi1Rate},
    {62, &DeviceConfig::spi2Rate},
    {63, &DeviceConfig::spi3Rate},
    {44, &DeviceConfig::spiMode},
    {11, &DeviceConfig::crLfHandling},
    {36, &DeviceConfig::allowPrintingInVbi},
    {42, &DeviceConfig::commParams},
};

const Field *findField(int number)
{
    for (const Field &f : fields) {
        if (f.number == number)
            return &f;
    }
    return nullptr;
}

constexpr std::int32_t Int32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t Int32Max = std::numeric_limits<std::int32_t>::max();

} // namespace

const std::array<int, ConfigParameterCount> DeviceConfigFieldOrder = [] {
    std::array<int, ConfigParameterCount> order{};
    for (int i = 0; i < ConfigParameterCount; ++i)
        order[std::size_t(i)] = fields[i].number;
    return order;
}();

bool DeviceConfig::hasParameter(int number)
{
    return findField(number) != nullptr;
}

std::int32_t DeviceConfig::value(int number) const
{
    const Field *f = findField(number);
    return f ? this->*(f->member) : 0;
}

void DeviceConfig::setValue(int number, std::int32_t value)
{
    if (const Field *f = findField(number))
        this->*(f->member) = value;
}

EditorRange editorRange(int number)
{
    const ConfigParameter *parameter = findConfigParameter(number);
    if (!parameter)
        return {Int32Min, Int32Max};
    switch (parameter->kind) {
    case ControlKind::Checkbox:
        return {0, 1};
    case ControlKind::RadioGroup:
        return {0, std::int32_t(parameter->choices.size()) - 1};
    case ControlKind::CommParams:
        return {0, 127};
    case ControlKind::Number:
        break;
    }
    if (number == 30 || number == 31)
        return {Int32Min / 1000, Int32Max / 1000};
    return {Int32Min, Int32Max};
}

QString editorValueProblem(int number, qint64 value)
{
    if (value < Int32Min || value > Int32Max)
        return QStringLiteral("Please enter an integer.");
    const EditorRange range = editorRange(number);
    if (value < range.lowest || value > range.highest)
        return QStringLiteral("Please enter an integer between %1 and %2.")
            .arg(range.lowest)
            .arg(range.highest);
    // The Comm page's groups set parity 0 to 4 and stop bits 0 to 2 only.
    if (number == 42 && ((value & 7) > 4 || ((value >> 4) & 3) > 2))
        return QStringLiteral("Please enter a value the Comm page can set: parity 0 to 4, plus 8 "
                              "for 7 data bits, plus 16 times the stop bits 0 to 2, plus 64 for "
                              "echo.");
    return {};
}

bool setEditorValue(DeviceConfig &config, int number, qint64 value, QString *error)
{
    if (!DeviceConfig::hasParameter(number)) {
        *error =
            QStringLiteral("%1 is not one of the board's configuration parameters").arg(number);
        return false;
    }
    const QString problem = editorValueProblem(number, value);
    if (!problem.isEmpty()) {
        *error = problem;
        return false;
    }
    config.setValue(number, std::int32_t(value));
    return true;
}

} // namespace Kernwick
