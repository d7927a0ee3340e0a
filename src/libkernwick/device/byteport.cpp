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

bool BytePort::sendEot()
{
    if (!isOpen())
        return false;
    int silentRounds = 0;
    for (int sent = 0; sent < Xmodem::MaxEotTransmissions; ++sent) {
        writeByte(ControlByte::Eot);
        const qint64 start = m_timing.clock();
        bool refused = false;
        do {
            std::uint8_t reply = 0;
            if (readByte(&reply)) {
                if (reply == ControlByte::Ack)
                    return true;
                if (reply == ControlByte::Nak) {
                    refused = true;
                    break;
                }
            }
            if (!isOpen())
                return false;
        } while (m_timing.clock() - start < Xmodem::EotAnswerWaitMs);
        // Silence may mean the EOT was lost (a receiver that flushes its input after
        // acknowledging a block can drop it), so it is sent again; a receiver that
        // never answers has been accepted since the first senders.
        if (!refused && ++silentRounds >= Xmodem::MaxSilentEots)
            return true;
    }
    return false;
}

std::optional<BoxMessage> BytePort::takeFailureBox()
{
    std::optional<BoxMessage> box;
    box.swap(m_failureBox);
    return box;
}

} // namespace Kernwick
