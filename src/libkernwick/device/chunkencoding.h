#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <cstdint>

namespace Kernwick {

/// The text form of one font chunk: ASCII85 with the digits "!" (0) to "u" (84).
/// Each group of four bytes, read as a big-endian number, becomes five digits, most
/// significant first; a whole group of zero bytes becomes "z"; a final group of k
/// bytes (1 to 3) is padded with zero bytes and keeps only its first k + 1 digits
/// (never "z"). No delimiters, line breaks or terminator.
QByteArray encodeAscii85(QByteArrayView bytes);

/// The checksum the board compares with a chunk's commit: for every group of four
/// bytes (the padded final group included) sum = 2 × sum + group + 0x757DF59C,
/// wrapping at 32 bits, with bit 31 of the result cleared so it is never negative.
std::uint32_t chunkChecksum(QByteArrayView bytes);

} // namespace Kernwick
