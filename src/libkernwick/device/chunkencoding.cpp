#include "libkernwick/device/chunkencoding.h"

#include <algorithm>

namespace Kernwick {

namespace {

constexpr char FirstDigit = '!';
constexpr char ZeroGroup = 'z';
constexpr std::uint32_t ChecksumAddend = 0x757DF59Cu;

// Group `at` as a big-endian number, a short final group padded with zero bytes.
std::uint32_t groupAt(QByteArrayView bytes, qsizetype at, int count)
{
    std::uint32_t group = 0;
    for (int i = 0; i < 4; ++i)
        group = (group << 8) | (i < count ? std::uint8_t(bytes[at + i]) : 0u);
    return group;
}

int groupSize(QByteArrayView bytes, qsizetype at)
{
    return int(std::min<qsizetype>(4, bytes.size() - at));
}

} // namespace

QByteArray encodeAscii85(QByteArrayView bytes)
{
    QByteArray text;
    text.reserve((bytes.size() + 3) / 4 * 5);
    for (qsizetype at = 0; at < bytes.size(); at += 4) {
        const int count = groupSize(bytes, at);
        std::uint32_t group = groupAt(bytes, at, count);
        if (count == 4 && group == 0) {
            text.append(ZeroGroup);
            continue;
        }
        char digits[5];
        for (int i = 4; i >= 0; --i) {
            digits[i] = char(FirstDigit + group % 85);
            group /= 85;
        }
        text.append(digits, count + 1);
    }
    return text;
}

std::uint32_t chunkChecksum(QByteArrayView bytes)
{
    std::uint32_t sum = 0;
    for (qsizetype at = 0; at < bytes.size(); at += 4)
        sum = 2 * sum + groupAt(bytes, at, groupSize(bytes, at)) + ChecksumAddend;
    return sum & 0x7FFFFFFFu;
}

} // namespace Kernwick
