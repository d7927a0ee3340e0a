#include "libkernwick/config/wireform.h"

#include <algorithm>
#include <limits>

namespace Kernwick {

namespace {

std::int32_t saturated(std::int64_t value)
{
    return std::int32_t(std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                                 std::numeric_limits<std::int32_t>::max()));
}

constexpr int QomPresentIndex = 2;
constexpr int QomPresentWire = 10;

} // namespace

std::int32_t toWireValue(int number, std::int32_t editorValue)
{
    switch (number) {
    case 18:
        return saturated(std::int64_t(editorValue) + 1);
    case 30:
    case 31:
        return saturated(std::int64_t(editorValue) * 1000);
    case 58:
        return editorValue == QomPresentIndex ? QomPresentWire : editorValue;
    default:
        return editorValue;
    }
}

std::int32_t toEditorValue(int number, std::int32_t wireValue)
{
    switch (number) {
    case 18:
        return saturated(std::int64_t(wireValue) - 1);
    case 30:
    case 31:
        return wireValue / 1000;
    case 58:
        return wireValue == QomPresentWire ? QomPresentIndex : wireValue;
    default:
        return wireValue;
    }
}

CommParams CommParams::unpack(std::int32_t packed)
{
    const auto bits = std::uint32_t(packed);
    CommParams p;
    p.parity = int(bits & 7);
    p.sevenDataBits = int((bits >> 3) & 1);
    p.stopBits = int((bits >> 4) & 3);
    p.echo = int((bits >> 6) & 1);
    return p;
}

std::int32_t CommParams::pack() const
{
    return std::int32_t((parity & 7) + 8 * (sevenDataBits & 1) + 16 * (stopBits & 3) +
                        64 * (echo & 1));
}

} // namespace Kernwick
