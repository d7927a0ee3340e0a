#include "libkernwick/device/byteport.h"

#include "libkernwick/device/boardprotocol.h"
#include "libkernwick/device/xmodem.h"

namespace Kernwick {

BytePort::~BytePort() = default;

bool BytePort::writeBytes(QByteArrayView bytes)
{
    bool allWritten = true;
    for (const char c : bytes)
        allWritten = writeByte(std::uint8_t(c)) && allWritten;
    return allWritten;
}

bool BytePort::writeString(QByteArrayView text)
{
    if (!isOpen())
        return false;
    bool allWritten = true;
    for (const char c : text) {
        if (stopRequested())
            return false;
        if (m_timing.paceMs > 0)
            m_timing.sleep(m_timing.paceMs);
        if (!writeByte(std::uint8_t(c)))
            allWritten = false;
    }
    return allWritten;
}

bool BytePort::sendBlock(std::uint8_t number, QByteArrayView data)
{
    if (!isOpen() || data.size() > Xmodem::BlockSize)
        return false;
    const QByteArray packet = Xmodem::packet(number, data);
    for (int transmission = 0; transmission < Xmodem::MaxTransmissions; ++transmission) {
        if (stopRequested())
            return false;
        writeBytes(packet);
        std::uint8_t reply = 0;
        readByte(&reply);
        if (reply == ControlByte::Ack || reply == Xmodem::CrcRequest)
            return true;
        if (!isOpen())
            return false;
    }
    return false;
}

EotResult BytePort::sendEot()
{
    if (!isOpen())
        return {EotEnding::LineLost};
    int silentRounds = 0;
    for (int sent = 0; sent < Xmodem::MaxEotTransmissions; ++sent) {
        if (stopRequested())
            return {EotEnding::Stopped};
        writeByte(ControlByte::Eot);
        const qint64 start = m_timing.clock();
        bool refused = false;
        do {
            std::uint8_t reply = 0;
            if (readByte(&reply)) {
                // Only NAK asks for the EOT again. Anything else is the receiver
                // speaking after the end (an ACK, or a boot monitor's text): waiting
                // on would only delay the next command.
                if (reply != ControlByte::Nak)
                    return {EotEnding::Answered, reply};
                refused = true;
                break;
            }
            if (!isOpen())
                return {EotEnding::LineLost};
            if (stopRequested())
                return {EotEnding::Stopped};
        } while (m_timing.clock() - start < Xmodem::EotAnswerWaitMs);
        // Silence may mean the EOT was lost (a receiver that flushes its input after
        // acknowledging a block can drop it), so it is sent again; a receiver that
        // never answers has been accepted since the first senders.
        if (!refused && ++silentRounds >= Xmodem::MaxSilentEots)
            return {EotEnding::Silent};
    }
    return {EotEnding::Refused};
}

std::optional<BoxMessage> BytePort::takeFailureBox()
{
    std::optional<BoxMessage> box;
    box.swap(m_failureBox);
    return box;
}

} // namespace Kernwick
