#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <cstdint>

namespace Kernwick::Xmodem {

/// Data bytes in one block.
inline constexpr int BlockSize = 128;
/// SOH, number, complement, 128 data bytes, two CRC bytes.
inline constexpr int PacketSize = 133;
/// A block is sent at most this often (the first time and 20 repeats).
inline constexpr int MaxTransmissions = 21;
/// The receiver's request for CRC mode; after a block it counts as an acknowledgement.
inline constexpr std::uint8_t CrcRequest = 'C';
/// Fills the rest of a block whose data is shorter than BlockSize (CP/M end of file).
inline constexpr std::uint8_t Padding = 0x1A;
/// EOT is sent at most this often while the receiver refuses it with NAK.
inline constexpr int MaxEotTransmissions = 10;
/// How long the sender waits for the answer to one EOT (one read time-out).
inline constexpr int EotAnswerWaitMs = 500;
/// No EOT is sent again once this long has passed since the first.
inline constexpr int EotRetryLimitMs = 5000;
/// Two of these in a row cancel a transfer.
inline constexpr std::uint8_t Cancel = 0x18;

/// CRC-16/XMODEM: polynomial 0x1021, initial value 0, no reflection, no final
/// inversion. "123456789" gives 0x31C3.
std::uint16_t crc16(QByteArrayView data);

/// The 133-byte packet of block `number`: SOH, number, its complement, the data
/// padded with Padding to BlockSize bytes, and the CRC of those 128 bytes, high byte
/// first. `data` holds at most BlockSize bytes.
QByteArray packet(std::uint8_t number, QByteArrayView data);

} // namespace Kernwick::Xmodem
