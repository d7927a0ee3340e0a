#pragma once

#include "boardtypes.h"

#include <QByteArray>

#include <chrono>
#include <cstdint>
#include <optional>

namespace Kernwick::Sim {

class BoardContext;

/// The board's boot monitor: short commands ending in "#" ("V#" identify,
/// "S<hex>,#" receive firmware, "g#" start it) and the XMODEM-CRC receiver.
///
/// The receiver invites the sender with "C" every three seconds, ten times;
/// acknowledges each good 128-byte block, NAKs a bad or half-received one and
/// takes a repeated block without storing it again; records the image as
/// `firmware.bin` at EOT; and gives up on a sender that went silent or sent CAN
/// twice. Between blocks the monitor still takes its commands.
class BootMonitor
{
public:
    static constexpr qsizetype FirmwareCapacity = 16 * 1024 * 1024;
    static constexpr int BlockSize = 128;
    /// A half-received XMODEM block is dropped (and NAKed) after this pause.
    static constexpr std::chrono::milliseconds BlockIdleLimit{1000};
    /// Interval of the "C" that invites the sender to start, and how many are sent.
    static constexpr std::chrono::milliseconds ReceiveInviteInterval{3000};
    static constexpr int ReceiveInvites = 10;
    /// A transfer that has started is abandoned after this long without a byte.
    static constexpr std::chrono::milliseconds ReceiveIdleLimit{10000};

    explicit BootMonitor(BoardContext &context);

    /// The line is handed to the monitor; "g#" hands it back to `returnTo`.
    void enter(Interface returnTo);
    void receive(char c);
    /// After each run of received bytes: a quiet line keeps being invited.
    void received(Clock::time_point now);
    void tick(Clock::time_point now);
    std::optional<Clock::time_point> nextDeadline() const;

    /// The last firmware image received completely, if any.
    const std::optional<QByteArray> &firmware() const { return m_firmware; }
    /// How many times the monitor was told to start the firmware.
    int firmwareStarts() const { return m_firmwareStarts; }

private:
    void commandByte(char c);
    void runCommand(const QByteArray &command);
    void startReceive(const QByteArray &command);
    void endReceive();
    void finishPacket();

    BoardContext &m_context;
    Interface m_returnTo = Interface::MainPort;
    QByteArray m_command;
    bool m_receiving = false;
    QByteArray m_packet;
    QByteArray m_received;
    std::int64_t m_blocksStored = 0;
    std::uint8_t m_lastBlock = 0;
    int m_invitesSent = 0;
    Clock::time_point m_nextInvite{};
    int m_cancels = 0;
    std::optional<QByteArray> m_firmware;
    int m_firmwareStarts = 0;
};

} // namespace Kernwick::Sim
