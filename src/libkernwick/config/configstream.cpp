#include "libkernwick/config/configstream.h"

#include "libkernwick/config/textfile.h"
#include "libkernwick/config/wireform.h"
#include "libkernwick/device/boardprotocol.h"

#include <limits>

namespace Kernwick {

namespace {

constexpr std::array<int, ConfigParameterCount> downloadOrder = {
    9,  10, 11, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 36, 28, 29, 30, 31, 32,
    33, 34, 35, 48, 49, 50, 51, 52, 41, 40, 42, 44, 56, 57, 58, 59, 60, 61, 62, 63};

constexpr std::array<int, ConfigParameterCount> fileOrder = {
    9,  10, 11, 16, 17, 18, 28, 19, 20, 21, 22, 23, 35, 24, 25, 26, 27, 36, 29, 30, 31,
    32, 33, 34, 48, 49, 50, 51, 52, 40, 41, 42, 44, 56, 57, 58, 59, 60, 61, 62, 63};

// The closing command tells the board to save what it was sent.
constexpr char ClosingCommand[] = "1v";

bool isCSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// A signed decimal number at `at`, as the C library reads it into a 32-bit long:
// white space skipped, an optional sign, the digits up to the first other
// character; no digits give 0, and a number beyond 32 bits the nearest limit.
std::int32_t readNumber(const QByteArray &text, qsizetype at)
{
    constexpr qint64 limit = qint64(std::numeric_limits<std::int32_t>::max()) + 1;
    const qsizetype end = text.size();
    while (at < end && isCSpace(text[at]))
        ++at;
    bool negative = false;
    if (at < end && (text[at] == '+' || text[at] == '-'))
        negative = text[at++] == '-';
    qint64 magnitude = 0;
    for (; at < end && text[at] >= '0' && text[at] <= '9'; ++at)
        magnitude = std::min(magnitude * 10 + (text[at] - '0'), limit);
    if (negative)
        return std::int32_t(-magnitude);
    return std::int32_t(std::min(magnitude, limit - 1));
}

} // namespace

const std::array<int, ConfigParameterCount> &configOrder(ConfigOrder order)
{
    return order == ConfigOrder::Download ? downloadOrder : fileOrder;
}

QByteArray encodeConfigStream(const DeviceConfig &config, ConfigOrder order)
{
    QByteArray stream;
    for (const int number : configOrder(order)) {
        stream += SequenceInitiator + QByteArray::number(number) + ';' +
                  QByteArray::number(toWireValue(number, config.value(number))) + 'v';
    }
    stream += QByteArray(SequenceInitiator) + ClosingCommand;
    stream.replace('-', '<');
    return stream;
}

DeviceConfig decodeConfigFile(QByteArrayView bytes)
{
    QByteArray text = pieceText(bytes);
    text.replace('<', '-');

    DeviceConfig config;
    qsizetype at = text.indexOf(';') + 1; // 0 when there is no ";": read from the start
    bool semicolonsLeft = true;
    std::int32_t wire = 0;
    for (const int number : fileOrder) {
        // Without a further ";" the text stays as it is, so every later parameter
        // reads the same number again; it is read once.
        if (semicolonsLeft)
            wire = readNumber(text, at);
        config.setValue(number, toEditorValue(number, wire));
        const qsizetype next = semicolonsLeft ? text.indexOf(';', at) : -1;
        if (next >= 0)
            at = next + 1;
        else
            semicolonsLeft = false;
    }
    return config;
}

} // namespace Kernwick
