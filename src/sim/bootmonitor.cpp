#include "bootmonitor.h"

#include "boardcodec.h"
#include "boardcontext.h"

#include <QRegularExpression>

#include <algorithm>
#include <utility>

namespace Kernwick::Sim {

using namespace Ascii;

namespace {

constexpr qsizetype MaxCommand = 64;
constexpr qsizetype PacketSize = 3 + BootMonitor::BlockSize + 2;

const QByteArray Identification = "ZUVO boot monitor\r\n>";
const QByteArray Unknown = "?\r\n>";

} // namespace

BootMonitor::BootMonitor(BoardContext &context) : m_context(context)
{
}

void BootMonitor::enter(Interface returnTo)
{
    m_returnTo = returnTo;
    m_command.clear();
}

void BootMonitor::received(Clock::time_point now)
{
    if (m_receiving && m_blocksStored == 0 && m_packet.isEmpty() && m_invitesSent > 0) {
        // Keep inviting only while the line stays quiet.
        m_nextInvite = std::max(m_nextInvite, now + ReceiveInviteInterval);
    }
}

void BootMonitor::tick(Clock::time_point now)
{
    if (!m_receiving)
        return;
    const auto idle = now - m_context.lastInput;
    if (!m_packet.isEmpty()) {
        if (idle >= BlockIdleLimit) {
            m_context.event(QStringLiteral("incomplete block (%1 of %2 bytes): NAK")
                                .arg(m_packet.size())
                                .arg(PacketSize),
                            EventKind::Refusal);
            m_packet.clear();
            m_context.answer(QByteArray(1, Nak));
        }
        return;
    }
    if (m_blocksStored == 0) {
        if (now < m_nextInvite)
            return;
        if (m_invitesSent < ReceiveInvites) {
            ++m_invitesSent;
            m_nextInvite = now + ReceiveInviteInterval;
            m_context.answer("C");
        } else {
            m_context.event(QStringLiteral("no block arrived: receive abandoned"),
                            EventKind::Refusal);
            endReceive();
        }
    } else if (idle >= ReceiveIdleLimit) {
        m_context.event(QStringLiteral("sender went silent after %1 blocks: receive abandoned")
                            .arg(m_blocksStored),
                        EventKind::Refusal);
        endReceive();
    }
}

std::optional<Clock::time_point> BootMonitor::nextDeadline() const
{
    if (!m_receiving)
        return std::nullopt;
    if (!m_packet.isEmpty())
        return m_context.lastInput + BlockIdleLimit;
    if (m_blocksStored == 0)
        return m_nextInvite;
    return m_context.lastInput + ReceiveIdleLimit;
}

void BootMonitor::receive(char c)
{
    if (!m_receiving) {
        commandByte(c);
        return;
    }
    if (!m_packet.isEmpty()) {
        m_packet.append(c);
        if (m_packet.size() == PacketSize)
            finishPacket();
        return;
    }
    if (c == Soh) {
        m_packet.append(c);
        m_cancels = 0;
        return;
    }
    if (c == Eot) {
        const qsizetype size = m_received.size();
        m_firmware = std::exchange(m_received, {});
        m_context.recorder.record(QStringLiteral("firmware.bin"), *m_firmware);
        m_context.event(QStringLiteral("firmware received (%1 blocks, %2 bytes)")
                            .arg(m_blocksStored)
                            .arg(size));
        endReceive();
        m_context.answer(QByteArray(1, Ack));
        return;
    }
    if (c == Can) {
        if (++m_cancels >= 2) {
            m_context.event(QStringLiteral("transfer cancelled by the sender"), EventKind::Refusal);
            endReceive();
        }
        return;
    }
    m_cancels = 0;
    // Between blocks the monitor still listens for its commands, so a sender that
    // gave up can start again with "V#" or "S...#".
    commandByte(c);
}

void BootMonitor::commandByte(char c)
{
    if (c == '\r' || c == '\n' || c == Esc) {
        m_command.clear();
        return;
    }
    if (c == '#') {
        runCommand(std::exchange(m_command, {}));
        return;
    }
    if (std::uint8_t(c) < 0x20 || std::uint8_t(c) >= 0x7F)
        return;
    if (m_command.size() < MaxCommand)
        m_command.append(c);
}

void BootMonitor::runCommand(const QByteArray &command)
{
    static const QRegularExpression receiveCommand(QStringLiteral("^S[0-9A-Fa-f]{1,8},$"));
    if (command.isEmpty())
        return;
    if (command == "V") {
        if (m_receiving) {
            m_context.event(QStringLiteral("receive abandoned for \"V#\""), EventKind::Refusal);
            endReceive();
        }
        m_context.answer(Identification);
        return;
    }
    if (receiveCommand.match(QString::fromLatin1(command)).hasMatch()) {
        startReceive(command);
        return;
    }
    if (command == "g") {
        if (m_receiving) {
            m_context.event(QStringLiteral("receive abandoned for \"g#\""), EventKind::Refusal);
            endReceive();
        }
        ++m_firmwareStarts;
        m_context.event(QStringLiteral("firmware started: %1").arg(interfaceName(m_returnTo)));
        m_context.enter(m_returnTo);
        return;
    }
    m_context.event(QStringLiteral("unknown monitor command \"%1#\"").arg(readableBytes(command)),
                    EventKind::Refusal);
    m_context.answer(Unknown);
}

void BootMonitor::startReceive(const QByteArray &command)
{
    if (m_receiving && m_blocksStored > 0)
        m_context.event(QStringLiteral("transfer restarted after %1 blocks").arg(m_blocksStored),
                        EventKind::Refusal);
    m_context.event(QStringLiteral("XMODEM-CRC receive (%1#)").arg(QString::fromLatin1(command)));
    m_receiving = true;
    m_packet.clear();
    m_received.clear();
    m_blocksStored = 0;
    m_lastBlock = 0;
    m_cancels = 0;
    m_invitesSent = 1;
    m_nextInvite = m_context.lastInput + ReceiveInviteInterval;
    m_context.answer("C");
}

void BootMonitor::endReceive()
{
    m_receiving = false;
    m_packet.clear();
    m_received.clear();
    m_blocksStored = 0;
    m_command.clear();
}

void BootMonitor::finishPacket()
{
    const QByteArray packet = std::exchange(m_packet, {});
    const auto number = std::uint8_t(packet[1]);
    const auto complement = std::uint8_t(packet[2]);
    const QByteArrayView data = QByteArrayView(packet).sliced(3, BlockSize);
    const std::uint16_t crc = std::uint16_t(std::uint8_t(packet[3 + BlockSize]) << 8 |
                                            std::uint8_t(packet[4 + BlockSize]));
    auto nak = [&](const QString &why) {
        m_context.event(QStringLiteral("block number %1: %2: NAK").arg(number).arg(why),
                        EventKind::Refusal);
        m_context.answer(QByteArray(1, Nak));
    };
    if (std::uint8_t(~number) != complement)
        return nak(QStringLiteral("complement %1 does not match").arg(complement));
    const std::uint16_t expectedCrc = crc16Xmodem(data);
    if (crc != expectedCrc)
        return nak(QStringLiteral("CRC 0x%1, the data gives 0x%2")
                       .arg(crc, 4, 16, QChar('0'))
                       .arg(expectedCrc, 4, 16, QChar('0')));
    if (m_blocksStored > 0 && number == m_lastBlock) {
        // The sender missed our ACK and sent the block again.
        m_context.event(
            QStringLiteral("block number %1 repeated: ACK, not stored again").arg(number));
        m_context.answer(QByteArray(1, Ack));
        return;
    }
    const auto expectedNumber = std::uint8_t(m_lastBlock + 1);
    if (number != expectedNumber)
        return nak(QStringLiteral("out of sequence, %1 expected").arg(expectedNumber));
    if (m_context.faults.refuseBlock(m_blocksStored + 1))
        return nak(QStringLiteral("fault on data block %1").arg(m_blocksStored + 1));
    if (m_received.size() + BlockSize > FirmwareCapacity)
        return nak(QStringLiteral("image larger than %1 bytes").arg(FirmwareCapacity));
    m_received.append(data);
    m_lastBlock = number;
    ++m_blocksStored;
    m_context.answer(QByteArray(1, Ack));
}

} // namespace Kernwick::Sim
