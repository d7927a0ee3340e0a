#include "libkernwick/device/xmodem.h"

#include "libkernwick/device/boardprotocol.h"

#include <array>

namespace Kernwick::Xmodem {

namespace {

constexpr std::array<std::uint16_t, 256> makeCrcTable()
{
    std::array<std::uint16_t, 256> table{};
    for (int i = 0; i < 256; ++i) {
        std::uint16_t crc = std::uint16_t(i << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x8000) ? std::uint16_t((crc << 1) ^ 0x1021) : std::uint16_t(crc << 1);
        table[std::size_t(i)] = crc;
    }
    return table;
}

constexpr std::array<std::uint16_t, 256> crcTable = makeCrcTable();

} // namespace

std::uint16_t crc16(QByteArrayView data)
{
    std::uint16_t crc = 0;
    for (const char c : data)
        crc = std::uint16_t((crc << 8) ^ crcTable[((crc >> 8) ^ std::uint8_t(c)) & 0xFF]);
    return crc;
}

QByteArray packet(std::uint8_t number, QByteArrayView data)
{
    Q_ASSERT(data.size() <= BlockSize);
    QByteArray block = data.first(qMin(data.size(), qsizetype(BlockSize))).toByteArray();
    block.append(BlockSize - block.size(), char(Padding));
    const std::uint16_t crc = crc16(block);

    QByteArray out;
    out.reserve(PacketSize);
    out.append(char(ControlByte::Soh));
    out.append(char(number));
    out.append(char(0xFF - number));
    out.append(block);
    out.append(char(crc >> 8));
    out.append(char(crc & 0xFF));
    return out;
}

} // namespace Kernwick::Xmodem
