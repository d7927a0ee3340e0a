#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <optional>

namespace Kernwick::Sim {

/// Decodes staged chunk text the way the board reads it: ASCII85 digits "!" (0) to
/// "u" (84), five per group of four bytes, most significant first; "z" for a whole
/// group of four zero bytes; a final partial group of 2 to 4 digits standing for
/// 1 to 3 bytes. Returns nothing for any other character, a "z" inside a group, a
/// lone final digit or a group whose value does not fit in 32 bits.
std::optional<QByteArray> decodeAscii85(QByteArrayView text);

/// The chunk checksum the board compares with the commit command's: the bytes are
/// taken as 32-bit big-endian groups (a final short group padded with zero bytes),
/// and for each group sum = 2 × sum + group + 0x757DF59C, wrapping at 32 bits;
/// bit 31 of the result is cleared.
std::uint32_t chunkChecksum(QByteArrayView bytes);

/// Bytes as a short readable text for the event log: printable ASCII as it is,
/// ESC as "ESC", other bytes as "\xNN"; after 48 bytes, "...".
QString readableBytes(QByteArrayView bytes);

/// A decimal number of 1 to 18 digits without a sign, or nothing.
std::optional<std::int64_t> decimalNumber(QByteArrayView text);

/// CRC-16/XMODEM of `bytes`: polynomial 0x1021, initial value 0, no reflection,
/// no final inversion. "123456789" gives 0x31C3.
std::uint16_t crc16Xmodem(QByteArrayView bytes);

} // namespace Kernwick::Sim
