#pragma once

#include <cstdint>

namespace Kernwick {

/// The value the board is sent for parameter `number` holding `editorValue`:
/// the video source (18) as index + 1, the insertion rates (30, 31) as percent
/// times 1000, the SPI 2 choice (58) index 2 as 10; every other value unchanged.
/// A result beyond 32 bits is held at the nearest 32-bit limit (setEditorValue()
/// refuses such values before they get here).
std::int32_t toWireValue(int number, std::int32_t editorValue);

/// The inverse of toWireValue(): 18 as wire − 1 (held at the 32-bit limit), 30
/// and 31 divided by 1000 truncating toward zero, 58 wire 10 as index 2 (any other
/// wire value unchanged); every other value unchanged.
std::int32_t toEditorValue(int number, std::int32_t wireValue);

/// The four fields of "Communication Parameters (42)", packed into one 7-bit value
/// as parity + 8 × seven-bit flag + 16 × stop code + 64 × echo flag.
struct CommParams
{
    /// The board's parity codes (not the operating system's).
    enum Parity : int
    {
        Even = 0,
        Odd = 1,
        Space = 2,
        Mark = 3,
        None = 4
    };
    /// The stop bit codes: one, one and a half, two.
    enum StopBits : int
    {
        One = 0,
        OneAndHalf = 1,
        Two = 2
    };

    int parity = None;     ///< bits 0 to 2
    int sevenDataBits = 0; ///< bit 3: 1 for seven data bits, 0 for eight
    int stopBits = One;    ///< bits 4 and 5
    int echo = 0;          ///< bit 6: 1 when "Echo On" is checked

    bool operator==(const CommParams &) const = default;

    /// Takes the four fields from their bits; higher bits are ignored.
    static CommParams unpack(std::int32_t packed);
    /// Packs the four fields, each kept to its own bits.
    std::int32_t pack() const;
};

} // namespace Kernwick
