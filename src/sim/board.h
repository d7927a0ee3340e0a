#pragma once

#include "boardcontext.h"
#include "boardfaults.h"
#include "boardtypes.h"
#include "bootmonitor.h"
#include "debugconsole.h"
#include "mainport.h"
#include "memorydevices.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace Kernwick::Sim {

/// The ZUVO board's behaviour, fed with received bytes and the time they came.
///
/// The board never blocks and never throws: it hands each received byte to the
/// interface in use (MainPort, DebugConsole or BootMonitor), which parses it and
/// queues the answers for the caller to send. The interfaces share the memory
/// devices and the faults; a reset for download hands the line to the boot
/// monitor, and its "g#" hands it back. Anything an interface does not understand
/// is ignored, and it resynchronises on its next command. Like the board, it keeps
/// an escape command, string frame or console line open until it ends, however
/// long the line stays quiet; every one cut short leaves an event starting with
/// "unfinished".
///
/// With a state folder it records what it receives: `device<N>.bin` at each flush,
/// `config.txt` at each configuration save, `bootscript.bin`, `firmware.bin` at the
/// end of each transfer, `wire.log` (every byte received, appended as it comes) and
/// `events.log` (one line per event).
class Board
{
public:
    static constexpr int DeviceCount = MemoryDevices::Count;
    static constexpr qsizetype DeviceCapacity = MemoryDevices::Capacity;
    static constexpr qsizetype FirmwareCapacity = BootMonitor::FirmwareCapacity;
    static constexpr int ChunkSize = MemoryDevices::ChunkSize;
    static constexpr int BlockSize = BootMonitor::BlockSize;

    static constexpr char Ack = Ascii::Ack;
    static constexpr char Nak = Ascii::Nak;

    static constexpr std::chrono::milliseconds CommandIdleLimit = MainPort::CommandIdleLimit;
    static constexpr std::chrono::milliseconds BlockIdleLimit = BootMonitor::BlockIdleLimit;
    static constexpr std::chrono::milliseconds ReceiveInviteInterval =
        BootMonitor::ReceiveInviteInterval;
    static constexpr int ReceiveInvites = BootMonitor::ReceiveInvites;
    static constexpr std::chrono::milliseconds ReceiveIdleLimit = BootMonitor::ReceiveIdleLimit;

    /// A board starting on `start`. An empty `stateDir` records nothing; otherwise
    /// the folder must exist.
    explicit Board(Interface start, BoardFaults faults = {}, const QString &stateDir = {});
    Board(const Board &) = delete;
    Board &operator=(const Board &) = delete;

    /// Takes bytes received at `now` (also appended to `wire.log`).
    void receive(QByteArrayView bytes, Clock::time_point now);
    /// Runs what is due by `now`: the "C" invitations and time limits of an XMODEM
    /// receive, and the idle drop fault.
    void tick(Clock::time_point now);
    /// When tick() next has something to do, if ever.
    std::optional<Clock::time_point> nextDeadline() const;
    /// Leaves an event starting with "unfinished" for an escape command, string
    /// frame or console line begun and not ended, left open `occasion` (such as
    /// "when the line was closed"). The board carries on with it as before.
    void reportUnfinished(const QString &occasion);

    /// The answers produced since the last call, each one to be sent as a unit.
    std::vector<QByteArray> takeAnswers() { return m_context.takeAnswers(); }
    /// The events since the last call (they are also written to `events.log`).
    std::vector<BoardEvent> takeEvents() { return m_context.recorder.takeEvents(); }

    Interface interface() const { return m_interface; }
    /// Memory device `n` (0 to 4) as written.
    const QByteArray &device(int n) const { return m_context.memory.device(n); }
    /// Parameter number → wire value, as last received.
    const std::map<int, std::int32_t> &config() const { return m_mainPort.config(); }
    /// The last boot script taken, if any.
    const std::optional<QByteArray> &bootScript() const { return m_mainPort.bootScript(); }
    /// The last firmware image received completely, if any.
    const std::optional<QByteArray> &firmware() const { return m_monitor.firmware(); }
    /// How many times the boot monitor was told to start the firmware.
    int firmwareStarts() const { return m_monitor.firmwareStarts(); }

private:
    void enter(Interface next);

    BoardContext m_context;
    MainPort m_mainPort;
    DebugConsole m_console;
    BootMonitor m_monitor;
    Interface m_interface;
};

} // namespace Kernwick::Sim
