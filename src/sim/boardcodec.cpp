#include "boardcodec.h"

#include <algorithm>

namespace Kernwick::Sim {

namespace {

constexpr char FirstDigit = '!';
constexpr char LastDigit = 'u';
constexpr char ZeroGroup = 'z';

bool appendGroup(const char *digits, int count, QByteArray *out)
{
    // A short final group is completed with the highest digit, then cut back to
    // count - 1 bytes; this rounds up exactly as far as the lost bytes can reach.
    std::uint64_t value = 0;
    for (int i = 0; i < 5; ++i)
        value = value * 85 + std::uint64_t(i < count ? digits[i] - FirstDigit : 84);
    if (value > 0xFFFFFFFFu)
        return false;
    const int bytes = count - 1;
    for (int i = 0; i < bytes; ++i)
        out->append(char((value >> (24 - 8 * i)) & 0xFF));
    return true;
}

} // namespace

std::optional<QByteArray> decodeAscii85(QByteArrayView text)
{
    QByteArray out;
    out.reserve(text.size() / 5 * 4 + 4);
    char group[5];
    int filled = 0;
    for (const char c : text) {
        if (c == ZeroGroup) {
            if (filled != 0)
                return std::nullopt;
            out.append(4, '\0');
            continue;
        }
        if (c < FirstDigit || c > LastDigit)
            return std::nullopt;
        group[filled++] = c;
        if (filled == 5) {
            if (!appendGroup(group, 5, &out))
                return std::nullopt;
            filled = 0;
        }
    }
    if (filled == 1)
        return std::nullopt;
    if (filled > 1 && !appendGroup(group, filled, &out))
        return std::nullopt;
    return out;
}

std::uint32_t chunkChecksum(QByteArrayView bytes)
{
    std::uint32_t sum = 0;
    for (qsizetype at = 0; at < bytes.size(); at += 4) {
        std::uint32_t group = 0;
        for (int i = 0; i < 4; ++i) {
            const std::uint8_t b = at + i < bytes.size() ? std::uint8_t(bytes[at + i]) : 0;
            group = (group << 8) | b;
        }
        sum = 2 * sum + group + 0x757DF59Cu;
    }
    return sum & 0x7FFFFFFFu;
}

QString readableBytes(QByteArrayView bytes)
{
    QString text;
    const qsizetype shown = std::min<qsizetype>(bytes.size(), 48);
    for (qsizetype i = 0; i < shown; ++i) {
        const auto b = std::uint8_t(bytes[i]);
        if (b == 0x1B)
            text += QStringLiteral("ESC");
        else if (b >= 0x20 && b < 0x7F)
            text += QChar(b);
        else
            text += QStringLiteral("\\x%1").arg(b, 2, 16, QChar('0'));
    }
    if (shown < bytes.size())
        text += QStringLiteral("...");
    return text;
}

std::optional<std::int64_t> decimalNumber(QByteArrayView text)
{
    if (text.isEmpty() || text.size() > 18)
        return std::nullopt;
    std::int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::uint16_t crc16Xmodem(QByteArrayView bytes)
{
    std::uint16_t crc = 0;
    for (const char c : bytes) {
        crc ^= std::uint16_t(std::uint8_t(c) << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x8000) ? std::uint16_t((crc << 1) ^ 0x1021) : std::uint16_t(crc << 1);
    }
    return crc;
}

} // namespace Kernwick::Sim
