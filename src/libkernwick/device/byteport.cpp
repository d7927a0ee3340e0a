#include "libkernwick/device/byteport.h"

#include "libkernwick/device/boardprotocol.h"
#include "libkernwick/device/xmodem.h"

namespace Kernwick {

BytePort::~BytePort() = default;

bool BytePort::putBytes(QByteArrayView bytes)
{
    for (const char c : bytes) {
        if (!putByte(std::uint8_t(c)))
            return false;
    }
    return true;
}

bool BytePort::writeByte(std::uint8_t byte)
{
    ++m_bytesWritten;
    m_wire.written(byte);
    return putByte(byte);
}

bool BytePort::writeBytes(QByteArrayView bytes)
{
    m_bytesWritten += bytes.size();
    for (const char c : bytes)
        m_wire.written(std::uint8_t(c));
    return putBytes(bytes);
}

bool BytePort::writeString(QByteArrayView text)
{
    if (!isOpen())
        return false;
    for (const char c : text) {
        if (stopAtSafePoint())
            return false;
        if (m_timing.paceMs > 0)
            m_timing.sleep(m_timing.paceMs);
        if (!writeByte(std::uint8_t(c)))
            return false;
    }
    return true;
}

bool BytePort::stopAtSafePoint()
{
    if (!stopRequested())
        return false;
    if (m_wire.frameOpen())
        closeOpenFrame();
    return m_wire.betweenCommands();
}

void BytePort::closeOpenFrame()
{
    if (!isOpen())
        return;
    if (m_wire.frameOpen())
        writeBytes(m_wire.closingBytes());
    if (m_wire.transferOpen()) {
        m_wire.setTransferOpen(false);
        const char cancel[] = {char(Xmodem::Cancel), char(Xmodem::Cancel)};
        m_bytesWritten += 2;
        putBytes(QByteArrayView(cancel, 2));
    }
}

bool BytePort::sendBlock(std::uint8_t number, QByteArrayView data)
{
    if (!isOpen() || data.size() > Xmodem::BlockSize)
        return false;
    const QByteArray packet = Xmodem::packet(number, data);
    m_wire.setTransferOpen(true);
    for (int transmission = 0; transmission < Xmodem::MaxTransmissions; ++transmission) {
        if (stopRequested())
            return false;
        // The packet is binary: the board reads it as a block, not as commands.
        m_bytesWritten += packet.size();
        if (!putBytes(packet) && !isOpen())
            return false;
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
    m_wire.setTransferOpen(true);
    const qint64 first = m_timing.clock();
    for (int sent = 1;; ++sent) {
        if (stopRequested())
            return {EotEnding::Stopped};
        ++m_bytesWritten;
        putByte(ControlByte::Eot);
        const qint64 start = m_timing.clock();
        bool refused = false;
        do {
            std::uint8_t reply = 0;
            if (readByte(&reply)) {
                // Only NAK asks for the EOT again. Anything else is the receiver
                // speaking after the end (an ACK, or a boot monitor's text): waiting
                // on would only delay the next command.
                if (reply != ControlByte::Nak) {
                    m_wire.setTransferOpen(false);
                    return {EotEnding::Answered, reply};
                }
                refused = true;
                break;
            }
            if (!isOpen())
                return {EotEnding::LineLost};
            if (stopRequested())
                return {EotEnding::Stopped};
        } while (m_timing.clock() - start < Xmodem::EotAnswerWaitMs);
        // Silence has always been taken as the end. A receiver that refuses the
        // first EOT (many do, to be sure it was no noise) gets it again, but not
        // for ever: every block was acknowledged, so the transfer counts as done.
        if (!refused) {
            m_wire.setTransferOpen(false);
            return {EotEnding::Silent};
        }
        if (sent >= Xmodem::MaxEotTransmissions ||
            m_timing.clock() - first >= Xmodem::EotRetryLimitMs) {
            m_wire.setTransferOpen(false);
            return {EotEnding::Refused, ControlByte::Nak};
        }
    }
}

std::optional<BoxMessage> BytePort::takeFailureBox()
{
    std::optional<BoxMessage> box;
    box.swap(m_failureBox);
    return box;
}

} // namespace Kernwick
