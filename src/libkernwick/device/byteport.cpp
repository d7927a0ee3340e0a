#include "device/byteport.h"

#include "device/boardprotocol.h"
#include "device/xmodem.h"

namespace Kernwick {

BytePort::~BytePort() = default;

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
        for (const char c : packet)
            writeByte(std::uint8_t(c));
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
        // A receiver that stays silent has been accepted since the first senders.
        if (!refused)
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
