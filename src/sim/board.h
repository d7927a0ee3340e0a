#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QList>
#include <QString>

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace Kernwick::Sim {

using Clock = std::chrono::steady_clock;

/// The three ways the board talks on its connector.
enum class Interface
{
    MainPort,     ///< escape commands, string frames, one-byte acknowledgements
    DebugConsole, ///< text lines answered with the prompt "zuvo>"
    BootMonitor,  ///< short commands ending in "#", XMODEM-CRC receive
};

/// Deliberate misbehaviour, chosen on the command line.
struct BoardFaults
{
    bool wrongId = false;  ///< identify as a board without "v4"
    bool nakErase = false; ///< refuse every memory erase
    bool nakFlush = false; ///< refuse every memory flush
    /// Chunk number (offset / 256) → how many more commits of it to refuse; -1 = always.
    std::map<std::int64_t, int> nakChunks;
    /// Data block count (1-based, per transfer) → how many more times to NAK it; -1 = always.
    std::map<std::int64_t, int> nakBlocks;
};

/// What kind of thing a board event reports.
enum class EventKind
{
    Note,           ///< something done as asked
    Refusal,        ///< input refused, ignored or dropped
    RecordingFailed ///< a state file could not be written
};

/// Something the board did worth telling the user.
struct BoardEvent
{
    EventKind kind = EventKind::Note;
    QString text;
};

/// The ZUVO board's behaviour, fed with received bytes and the time they came.
///
/// The board never blocks and never throws: it parses what it receives, keeps its
/// memory devices, configuration, boot script and firmware, and queues the answers
/// for its caller to send. Anything it does not understand is ignored; it always
/// resynchronises on the next ESC (main port), line end (debug console), "#" or
/// line end (boot monitor), or SOH (XMODEM receive), and drops a half-received
/// command after a pause (see tick()).
///
/// With a state folder it records what it receives: `device<N>.bin` at each flush,
/// `config.txt` at each configuration save, `bootscript.bin`, `firmware.bin` at the
/// end of each transfer, `wire.log` (every byte received, appended as it comes) and
/// `events.log` (one line per event).
class Board
{
public:
    static constexpr int DeviceCount = 5;
    static constexpr qsizetype DeviceCapacity = 16 * 1024 * 1024;
    static constexpr qsizetype FirmwareCapacity = 16 * 1024 * 1024;
    static constexpr int ChunkSize = 256;
    static constexpr int BlockSize = 128;

    static constexpr char Ack = 0x06;
    static constexpr char Nak = 0x15;

    /// A half-received escape command or string frame is dropped after this pause.
    static constexpr std::chrono::milliseconds CommandIdleLimit{5000};
    /// A half-received XMODEM block is dropped (and NAKed) after this pause.
    static constexpr std::chrono::milliseconds BlockIdleLimit{1000};
    /// Interval of the "C" that invites the sender to start, and how many are sent.
    static constexpr std::chrono::milliseconds ReceiveInviteInterval{3000};
    static constexpr int ReceiveInvites = 10;
    /// A transfer that has started is abandoned after this long without a byte.
    static constexpr std::chrono::milliseconds ReceiveIdleLimit{10000};

    /// A board starting on `start`. An empty `stateDir` records nothing; otherwise
    /// the folder must exist.
    explicit Board(Interface start, BoardFaults faults = {}, const QString &stateDir = {});

    /// Takes bytes received at `now` (also appended to `wire.log`).
    void receive(QByteArrayView bytes, Clock::time_point now);
    /// Runs what is due by `now`: the "C" invitations of a waiting XMODEM receive,
    /// and dropping input left half-received.
    void tick(Clock::time_point now);
    /// When tick() next has something to do, if ever.
    std::optional<Clock::time_point> nextDeadline() const;

    /// The answers produced since the last call, each one to be sent as a unit.
    std::vector<QByteArray> takeAnswers();
    /// The events since the last call (they are also written to `events.log`).
    std::vector<BoardEvent> takeEvents();

    Interface interface() const { return m_interface; }
    /// Memory device `n` (0 to 4) as written.
    const QByteArray &device(int n) const { return m_devices[n]; }
    /// Parameter number → wire value, as last received.
    const std::map<int, std::int32_t> &config() const { return m_config; }
    /// The last boot script taken, if any.
    const std::optional<QByteArray> &bootScript() const { return m_bootScript; }
    /// The last firmware image received completely, if any.
    const std::optional<QByteArray> &firmware() const { return m_firmware; }
    /// How many times the boot monitor was told to start the firmware.
    int firmwareStarts() const { return m_firmwareStarts; }

private:
    enum class MainState
    {
        Text,
        Escape,
        Sequence,
        Frame,
        FrameEscape
    };

    void answer(QByteArray bytes);
    void event(const QString &text, EventKind kind = EventKind::Note);
    void record(const QString &name, const QByteArray &bytes);

    void mainPortByte(char c);
    void runSequence(char final);
    void runMemoryCommand(const std::vector<std::int64_t> &args, bool wellFormed);
    void resetMainPort();

    void debugByte(char c);
    void runDebugLine(const QByteArray &line);
    void runDebugMemory(const QList<QByteArray> &words);

    void monitorByte(char c);
    void monitorCommandByte(char c);
    void runMonitorCommand(const QByteArray &command);
    void startReceive(const QByteArray &command);
    void endReceive();
    void finishPacket();

    bool eraseDevice(std::int64_t device);
    bool flushDevice(std::int64_t device);
    bool commitChunk(std::int64_t device, std::int64_t offset, std::int64_t checksum,
                     const std::optional<QByteArray> &text);
    static bool takeFault(std::map<std::int64_t, int> &faults, std::int64_t key);

    Interface m_interface;
    Interface m_resumeInterface = Interface::MainPort; ///< where "g#" returns to
    BoardFaults m_faults;
    QString m_stateDir;
    QFile m_wireLog;
    QFile m_eventLog;

    std::vector<QByteArray> m_answers;
    std::vector<BoardEvent> m_events;
    Clock::time_point m_lastInput{};

    QByteArray m_devices[DeviceCount];
    std::map<int, std::int32_t> m_config;
    std::optional<QByteArray> m_bootScript;
    std::optional<QByteArray> m_firmware;
    int m_firmwareStarts = 0;

    // Main port.
    MainState m_mainState = MainState::Text;
    QByteArray m_sequence;
    QByteArray m_frame;
    bool m_frameOverflow = false;
    std::optional<QByteArray> m_pendingString; ///< the last complete string frame

    // Debug console.
    QByteArray m_line;
    bool m_lineOverflow = false;
    bool m_lastWasCr = false;
    QByteArray m_staged; ///< the "str" pieces since the last "memory write"
    bool m_stagedOverflow = false;

    // Boot monitor.
    QByteArray m_command;
    bool m_receiving = false;
    QByteArray m_packet;
    QByteArray m_received;
    std::int64_t m_blocksStored = 0;
    std::uint8_t m_lastBlock = 0;
    int m_invitesSent = 0;
    Clock::time_point m_nextInvite{};
    int m_cancels = 0;
};

} // namespace Kernwick::Sim
