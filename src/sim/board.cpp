#include "board.h"

#include "boardcodec.h"

#include <QDir>
#include <QRegularExpression>

#include "libkernwick/io/savefile.h"

#include <algorithm>
#include <utility>

namespace Kernwick::Sim {

namespace {

constexpr char Esc = 0x1B;
constexpr char Can = 0x18;
constexpr char Sub = 0x1A;
constexpr char Soh = 0x01;
constexpr char Eot = 0x04;

constexpr qsizetype MaxSequence = 32;
constexpr qsizetype MaxFrame = 64 * 1024;
constexpr qsizetype MaxLine = 1024;
constexpr qsizetype MaxStaged = 64 * 1024;
constexpr qsizetype MaxCommand = 64;
constexpr qsizetype PacketSize = 3 + Board::BlockSize + 2;

const QByteArray Identification = "ZUVO v4.12\r\n";
const QByteArray WrongIdentification = "ZUVO v3.1\r\n";
const QByteArray Prompt = "\r\nzuvo>";
const QByteArray DebugRefusal = "error\r\nzuvo>";
const QByteArray DebugFailure = "error\r\n"; // no ">": a wait for the prompt character fails
const QByteArray DebugUnknown = "unknown command\r\nzuvo>";
const QByteArray DebugResetAnswer = "\r\nreset for download (boot monitor)";
const QByteArray MonitorIdentification = "ZUVO boot monitor\r\n>";
const QByteArray MonitorUnknown = "?\r\n>";

// Bytes as a short readable text for the event log.
QString visible(QByteArrayView bytes)
{
    QString text;
    const qsizetype shown = std::min<qsizetype>(bytes.size(), 48);
    for (qsizetype i = 0; i < shown; ++i) {
        const auto b = std::uint8_t(bytes[i]);
        if (b == 0x1B)
            text += QStringLiteral("ESC");
        else if (b >= 0x20 && b < 0x7F)
            text += QChar(b);
        else
            text += QStringLiteral("\\x%1").arg(b, 2, 16, QChar('0'));
    }
    if (shown < bytes.size())
        text += QStringLiteral("...");
    return text;
}

// A decimal number of at most 18 digits, no sign.
std::optional<std::int64_t> unsignedNumber(QByteArrayView text)
{
    if (text.isEmpty() || text.size() > 18)
        return std::nullopt;
    std::int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

const char *interfaceName(Interface i)
{
    switch (i) {
    case Interface::MainPort:
        return "main port";
    case Interface::DebugConsole:
        return "debug console";
    case Interface::BootMonitor:
        return "boot monitor";
    }
    return "?";
}

} // namespace

Board::Board(Interface start, BoardFaults faults, const QString &stateDir)
    : m_interface(start), m_faults(std::move(faults)), m_stateDir(stateDir)
{
    if (start != Interface::BootMonitor)
        m_resumeInterface = start;
    if (m_stateDir.isEmpty())
        return;
    const QDir dir(m_stateDir);
    m_wireLog.setFileName(dir.filePath(QStringLiteral("wire.log")));
    if (!m_wireLog.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        event(QStringLiteral("cannot record wire.log: %1").arg(m_wireLog.errorString()),
              EventKind::RecordingFailed);
    m_eventLog.setFileName(dir.filePath(QStringLiteral("events.log")));
    if (!m_eventLog.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        event(QStringLiteral("cannot record events.log: %1").arg(m_eventLog.errorString()),
              EventKind::RecordingFailed);
    event(QStringLiteral("board started on the %1").arg(interfaceName(start)));
}

void Board::receive(QByteArrayView bytes, Clock::time_point now)
{
    if (bytes.isEmpty())
        return;
    // Anything half-received that has gone stale is dropped before new bytes count.
    tick(now);
    m_lastInput = now;
    if (m_wireLog.isOpen())
        m_wireLog.write(bytes.data(), bytes.size());
    for (const char c : bytes) {
        switch (m_interface) {
        case Interface::MainPort:
            mainPortByte(c);
            break;
        case Interface::DebugConsole:
            debugByte(c);
            break;
        case Interface::BootMonitor:
            monitorByte(c);
            break;
        }
    }
    if (m_receiving && m_blocksStored == 0 && m_packet.isEmpty() && m_invitesSent > 0) {
        // Keep inviting only while the line stays quiet.
        m_nextInvite = std::max(m_nextInvite, now + ReceiveInviteInterval);
    }
}

void Board::tick(Clock::time_point now)
{
    const auto idle = now - m_lastInput;
    switch (m_interface) {
    case Interface::MainPort:
        if (m_mainState != MainState::Text && idle >= CommandIdleLimit) {
            event(QStringLiteral("dropped an incomplete escape command or string frame"),
                  EventKind::Refusal);
            resetMainPort();
        }
        break;
    case Interface::DebugConsole:
        break;
    case Interface::BootMonitor:
        if (!m_receiving)
            break;
        if (!m_packet.isEmpty()) {
            if (idle >= BlockIdleLimit) {
                event(QStringLiteral("incomplete block (%1 of %2 bytes): NAK")
                          .arg(m_packet.size())
                          .arg(PacketSize),
                      EventKind::Refusal);
                m_packet.clear();
                answer(QByteArray(1, Nak));
            }
            break;
        }
        if (m_blocksStored == 0) {
            if (now < m_nextInvite)
                break;
            if (m_invitesSent < ReceiveInvites) {
                ++m_invitesSent;
                m_nextInvite = now + ReceiveInviteInterval;
                answer("C");
            } else {
                event(QStringLiteral("no block arrived: receive abandoned"), EventKind::Refusal);
                endReceive();
            }
        } else if (idle >= ReceiveIdleLimit) {
            event(QStringLiteral("sender went silent after %1 blocks: receive abandoned")
                      .arg(m_blocksStored),
                  EventKind::Refusal);
            endReceive();
        }
        break;
    }
}

std::optional<Clock::time_point> Board::nextDeadline() const
{
    switch (m_interface) {
    case Interface::MainPort:
        if (m_mainState != MainState::Text)
            return m_lastInput + CommandIdleLimit;
        break;
    case Interface::DebugConsole:
        break;
    case Interface::BootMonitor:
        if (!m_receiving)
            break;
        if (!m_packet.isEmpty())
            return m_lastInput + BlockIdleLimit;
        if (m_blocksStored == 0)
            return m_nextInvite;
        return m_lastInput + ReceiveIdleLimit;
    }
    return std::nullopt;
}

std::vector<QByteArray> Board::takeAnswers()
{
    return std::exchange(m_answers, {});
}

std::vector<BoardEvent> Board::takeEvents()
{
    return std::exchange(m_events, {});
}

void Board::answer(QByteArray bytes)
{
    m_answers.push_back(std::move(bytes));
}

void Board::event(const QString &text, EventKind kind)
{
    m_events.push_back({kind, text});
    if (m_eventLog.isOpen())
        m_eventLog.write((text + QLatin1Char('\n')).toUtf8());
}

void Board::record(const QString &name, const QByteArray &bytes)
{
    if (m_stateDir.isEmpty())
        return;
    QString error;
    if (!saveFileAtomically(QDir(m_stateDir).filePath(name), bytes, &error))
        event(QStringLiteral("cannot record %1: %2").arg(name, error), EventKind::RecordingFailed);
}

// ---- Main port -------------------------------------------------------------

void Board::resetMainPort()
{
    m_mainState = MainState::Text;
    m_sequence.clear();
    m_frame.clear();
    m_frameOverflow = false;
}

void Board::mainPortByte(char c)
{
    switch (m_mainState) {
    case MainState::Text:
        // Plain text is what the board overlays on the video; nothing to answer.
        if (c == Esc)
            m_mainState = MainState::Escape;
        break;
    case MainState::Escape:
        if (c == '[') {
            m_sequence.clear();
            m_mainState = MainState::Sequence;
        } else if (c == 'X') {
            m_frame.clear();
            m_frameOverflow = false;
            m_mainState = MainState::Frame;
        } else if (c != Esc) {
            m_mainState = MainState::Text;
        }
        break;
    case MainState::Sequence: {
        const auto b = std::uint8_t(c);
        if (c == Esc) {
            m_mainState = MainState::Escape;
        } else if (b >= 0x20 && b <= 0x3F) {
            // Parameter and intermediate bytes; an intermediate makes it unknown later.
            if (m_sequence.size() >= MaxSequence) {
                event(QStringLiteral("escape command too long: ignored"), EventKind::Refusal);
                m_mainState = MainState::Text;
            } else {
                m_sequence.append(c);
            }
        } else if (b >= 0x40 && b <= 0x7E) {
            m_mainState = MainState::Text;
            runSequence(c);
        } else {
            // CAN, SUB or any other control byte cancels the command.
            m_mainState = MainState::Text;
        }
        break;
    }
    case MainState::Frame:
        if (c == Esc)
            m_mainState = MainState::FrameEscape;
        else if (c == Can || c == Sub)
            resetMainPort();
        else if (m_frame.size() < MaxFrame)
            m_frame.append(c);
        else
            m_frameOverflow = true;
        break;
    case MainState::FrameEscape:
        if (c == '\\') {
            if (m_frameOverflow) {
                event(QStringLiteral("string frame longer than %1 bytes: dropped").arg(MaxFrame),
                      EventKind::Refusal);
                m_pendingString.reset();
            } else {
                m_pendingString = m_frame;
            }
            resetMainPort();
            break;
        }
        // Any other ESC belongs to the text (boot scripts carry escape commands).
        if (m_frame.size() + 2 <= MaxFrame) {
            m_frame.append(Esc);
            if (c != Esc)
                m_frame.append(c);
        } else {
            m_frameOverflow = true;
        }
        if (c != Esc)
            m_mainState = MainState::Frame;
        break;
    }
}

void Board::runSequence(char final)
{
    // Numbers separated by ";", "<" standing for the minus sign.
    std::vector<std::int64_t> args;
    bool wellFormed = true;
    for (const QByteArray &token : m_sequence.split(';')) {
        const bool negative = token.startsWith('<');
        const auto value = unsignedNumber(QByteArrayView(token).sliced(negative ? 1 : 0));
        if (!value) {
            wellFormed = false;
            break;
        }
        args.push_back(negative ? -*value : *value);
    }
    const QString shown = QStringLiteral("ESC[%1%2").arg(visible(m_sequence), QChar(final));

    switch (final) {
    case '}':
        if (wellFormed && args == std::vector<std::int64_t>{1}) {
            answer(m_faults.wrongId ? WrongIdentification : Identification);
            return;
        }
        break;
    case 'v':
        if (!wellFormed)
            break;
        if (args.size() == 1 && args[0] == 1) {
            QByteArray text;
            for (const auto &[number, value] : m_config)
                text += QByteArray::number(number) + '=' + QByteArray::number(value) + '\n';
            record(QStringLiteral("config.txt"), text);
            event(QStringLiteral("configuration saved (%1 parameters)").arg(m_config.size()));
            return;
        }
        if (args.size() == 1 && args[0] == 8) {
            if (!m_pendingString) {
                event(QStringLiteral("boot script command without a string frame: ignored"),
                      EventKind::Refusal);
                return;
            }
            m_bootScript = *std::exchange(m_pendingString, std::nullopt);
            record(QStringLiteral("bootscript.bin"), *m_bootScript);
            event(QStringLiteral("boot script taken (%1 bytes)").arg(m_bootScript->size()));
            return;
        }
        if (args.size() == 2 && args[0] >= 9 && args[0] <= 63 && args[1] >= INT32_MIN &&
            args[1] <= INT32_MAX) {
            m_config[int(args[0])] = std::int32_t(args[1]);
            return;
        }
        break;
    case '|':
        if (!args.empty() && (args[0] == 91 || args[0] == 92 || args[0] == 93)) {
            runMemoryCommand(args, wellFormed);
            return;
        }
        if (wellFormed && args == std::vector<std::int64_t>{8265, 1}) {
            event(QStringLiteral("reset for download: boot monitor"));
            resetMainPort();
            m_pendingString.reset();
            m_resumeInterface = Interface::MainPort;
            m_interface = Interface::BootMonitor;
            m_command.clear();
            return;
        }
        break;
    default:
        break;
    }
    event(QStringLiteral("ignored %1").arg(shown), EventKind::Refusal);
}

void Board::runMemoryCommand(const std::vector<std::int64_t> &args, bool wellFormed)
{
    const std::int64_t command = args[0];
    const size_t expected = command == 91 ? 4 : 3;
    bool ok = wellFormed && args.size() == expected;
    for (size_t i = 1; ok && i < args.size(); ++i)
        ok = args[i] >= 0;
    if (!ok) {
        event(QStringLiteral("malformed memory command %1: NAK").arg(command), EventKind::Refusal);
        if (command == 91)
            m_pendingString.reset();
        answer(QByteArray(1, Nak));
        return;
    }
    bool accepted = false;
    if (command == 93)
        accepted = eraseDevice(args[1]);
    else if (command == 92)
        accepted = flushDevice(args[1]);
    else
        accepted =
            commitChunk(args[1], args[2], args[3], std::exchange(m_pendingString, std::nullopt));
    answer(QByteArray(1, accepted ? Ack : Nak));
}

// ---- Memory devices (both dialects) ----------------------------------------

bool Board::takeFault(std::map<std::int64_t, int> &faults, std::int64_t key)
{
    const auto it = faults.find(key);
    if (it == faults.end() || it->second == 0)
        return false;
    if (it->second > 0)
        --it->second;
    return true;
}

bool Board::eraseDevice(std::int64_t device)
{
    if (m_faults.nakErase) {
        event(QStringLiteral("erase of device %1 refused (fault)").arg(device), EventKind::Refusal);
        return false;
    }
    if (device >= DeviceCount) {
        event(QStringLiteral("erase of device %1 refused: no such device").arg(device),
              EventKind::Refusal);
        return false;
    }
    m_devices[device].clear();
    event(QStringLiteral("device %1 erased").arg(device));
    return true;
}

bool Board::flushDevice(std::int64_t device)
{
    if (m_faults.nakFlush) {
        event(QStringLiteral("flush of device %1 refused (fault)").arg(device), EventKind::Refusal);
        return false;
    }
    if (device >= DeviceCount) {
        event(QStringLiteral("flush of device %1 refused: no such device").arg(device),
              EventKind::Refusal);
        return false;
    }
    record(QStringLiteral("device%1.bin").arg(device), m_devices[device]);
    event(QStringLiteral("device %1 flushed (%2 bytes)").arg(device).arg(m_devices[device].size()));
    return true;
}

bool Board::commitChunk(std::int64_t device, std::int64_t offset, std::int64_t checksum,
                        const std::optional<QByteArray> &text)
{
    const QString what = QStringLiteral("chunk %1 (device %2, offset %3)")
                             .arg(offset / ChunkSize)
                             .arg(device)
                             .arg(offset);
    auto refuse = [&](const QString &why) {
        event(QStringLiteral("%1 refused: %2").arg(what, why), EventKind::Refusal);
        return false;
    };
    if (takeFault(m_faults.nakChunks, offset / ChunkSize))
        return refuse(QStringLiteral("fault"));
    if (device >= DeviceCount)
        return refuse(QStringLiteral("no such device"));
    if (!text)
        return refuse(QStringLiteral("no chunk text staged"));
    const std::optional<QByteArray> bytes = decodeAscii85(*text);
    if (!bytes)
        return refuse(QStringLiteral("undecodable text \"%1\"").arg(visible(*text)));
    if (bytes->isEmpty() || bytes->size() > ChunkSize)
        return refuse(
            QStringLiteral("%1 bytes (1 to %2 expected)").arg(bytes->size()).arg(ChunkSize));
    const std::uint32_t expected = chunkChecksum(*bytes);
    if (checksum != std::int64_t(expected))
        return refuse(QStringLiteral("checksum %1, the data gives %2").arg(checksum).arg(expected));
    QByteArray &memory = m_devices[device];
    if (offset % ChunkSize != 0)
        return refuse(QStringLiteral("offset not a multiple of %1").arg(ChunkSize));
    if (offset > memory.size())
        return refuse(QStringLiteral("gap after the %1 bytes written so far").arg(memory.size()));
    if (offset + bytes->size() > DeviceCapacity)
        return refuse(QStringLiteral("beyond the device's %1 bytes").arg(DeviceCapacity));
    if (offset + bytes->size() > memory.size())
        memory.resize(offset + bytes->size());
    std::copy(bytes->begin(), bytes->end(), memory.begin() + offset);
    event(QStringLiteral("%1 stored (%2 bytes)").arg(what).arg(bytes->size()));
    return true;
}

// ---- Debug console ---------------------------------------------------------

void Board::debugByte(char c)
{
    const bool afterCr = std::exchange(m_lastWasCr, c == '\r');
    if (c == '\n' && afterCr)
        return; // the LF of a CR LF pair; the CR ended the line
    if (c == '\r' || c == '\n') {
        const QByteArray line = std::exchange(m_line, {});
        if (std::exchange(m_lineOverflow, false)) {
            event(QStringLiteral("console line longer than %1 bytes: refused").arg(MaxLine),
                  EventKind::Refusal);
            m_staged.clear();
            m_stagedOverflow = false;
            answer(DebugRefusal);
            return;
        }
        runDebugLine(line);
        return;
    }
    if (m_line.size() < MaxLine)
        m_line.append(c);
    else
        m_lineOverflow = true;
}

void Board::runDebugLine(const QByteArray &line)
{
    if (line.startsWith("str ") || line == "str") {
        const QByteArray piece = line.mid(4);
        if (m_staged.size() + piece.size() > MaxStaged) {
            m_stagedOverflow = true;
            answer(DebugRefusal);
            return;
        }
        m_staged += piece;
        answer(Prompt);
        return;
    }
    const QList<QByteArray> words = line.simplified().split(' ');
    if (words.size() == 1 && words[0].isEmpty()) {
        answer(Prompt);
        return;
    }
    if (words[0] == "memory") {
        runDebugMemory(words);
        return;
    }
    if (words.size() == 2 && words[0] == "reset" && words[1] == "x") {
        event(QStringLiteral("reset for download: boot monitor"));
        answer(DebugResetAnswer);
        m_staged.clear();
        m_stagedOverflow = false;
        m_resumeInterface = Interface::DebugConsole;
        m_interface = Interface::BootMonitor;
        m_command.clear();
        return;
    }
    event(QStringLiteral("unknown console command \"%1\"").arg(visible(line)), EventKind::Refusal);
    answer(DebugUnknown);
}

void Board::runDebugMemory(const QList<QByteArray> &words)
{
    std::vector<std::int64_t> args;
    for (qsizetype i = 2; i < words.size(); ++i) {
        const auto value = unsignedNumber(words[i]);
        if (!value)
            break;
        args.push_back(*value);
    }
    const qsizetype numbers = words.size() - 2;
    const QByteArray verb = words.size() > 1 ? words[1] : QByteArray();
    const bool complete = qsizetype(args.size()) == numbers;
    if (verb == "write") {
        std::optional<QByteArray> text;
        if (!m_stagedOverflow)
            text = m_staged;
        m_staged.clear();
        m_stagedOverflow = false;
        const bool ok = complete && numbers == 3 && commitChunk(args[0], args[1], args[2], text);
        if (!(complete && numbers == 3))
            event(QStringLiteral("malformed \"memory write\": refused"), EventKind::Refusal);
        answer(ok ? Prompt : DebugRefusal);
        return;
    }
    if ((verb == "erase" || verb == "flush") && complete && numbers == 2) {
        const bool ok = verb == "erase" ? eraseDevice(args[0]) : flushDevice(args[0]);
        answer(ok ? Prompt : DebugFailure);
        return;
    }
    event(QStringLiteral("malformed memory command \"%1\"").arg(visible(words.join(' '))),
          EventKind::Refusal);
    answer(DebugFailure);
}

// ---- Boot monitor ----------------------------------------------------------

void Board::monitorByte(char c)
{
    if (!m_receiving) {
        monitorCommandByte(c);
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
        record(QStringLiteral("firmware.bin"), *m_firmware);
        event(QStringLiteral("firmware received (%1 blocks, %2 bytes)")
                  .arg(m_blocksStored)
                  .arg(size));
        endReceive();
        answer(QByteArray(1, Ack));
        return;
    }
    if (c == Can) {
        if (++m_cancels >= 2) {
            event(QStringLiteral("transfer cancelled by the sender"), EventKind::Refusal);
            endReceive();
        }
        return;
    }
    m_cancels = 0;
    // Between blocks the monitor still listens for its commands, so a sender that
    // gave up can start again with "V#" or "S...#".
    monitorCommandByte(c);
}

void Board::monitorCommandByte(char c)
{
    if (c == '\r' || c == '\n' || c == Esc) {
        m_command.clear();
        return;
    }
    if (c == '#') {
        runMonitorCommand(std::exchange(m_command, {}));
        return;
    }
    if (std::uint8_t(c) < 0x20 || std::uint8_t(c) >= 0x7F)
        return;
    if (m_command.size() < MaxCommand)
        m_command.append(c);
}

void Board::runMonitorCommand(const QByteArray &command)
{
    static const QRegularExpression receiveCommand(QStringLiteral("^S[0-9A-Fa-f]{1,8},$"));
    if (command.isEmpty())
        return;
    if (command == "V") {
        if (m_receiving) {
            event(QStringLiteral("receive abandoned for \"V#\""), EventKind::Refusal);
            endReceive();
        }
        answer(MonitorIdentification);
        return;
    }
    if (receiveCommand.match(QString::fromLatin1(command)).hasMatch()) {
        startReceive(command);
        return;
    }
    if (command == "g") {
        if (m_receiving) {
            event(QStringLiteral("receive abandoned for \"g#\""), EventKind::Refusal);
            endReceive();
        }
        ++m_firmwareStarts;
        event(QStringLiteral("firmware started: %1").arg(interfaceName(m_resumeInterface)));
        m_interface = m_resumeInterface;
        resetMainPort();
        m_line.clear();
        m_lineOverflow = false;
        m_lastWasCr = false;
        return;
    }
    event(QStringLiteral("unknown monitor command \"%1#\"").arg(visible(command)),
          EventKind::Refusal);
    answer(MonitorUnknown);
}

void Board::startReceive(const QByteArray &command)
{
    if (m_receiving && m_blocksStored > 0)
        event(QStringLiteral("transfer restarted after %1 blocks").arg(m_blocksStored),
              EventKind::Refusal);
    event(QStringLiteral("XMODEM-CRC receive (%1#)").arg(QString::fromLatin1(command)));
    m_receiving = true;
    m_packet.clear();
    m_received.clear();
    m_blocksStored = 0;
    m_lastBlock = 0;
    m_cancels = 0;
    m_invitesSent = 1;
    m_nextInvite = m_lastInput + ReceiveInviteInterval;
    answer("C");
}

void Board::endReceive()
{
    m_receiving = false;
    m_packet.clear();
    m_received.clear();
    m_blocksStored = 0;
    m_command.clear();
}

void Board::finishPacket()
{
    const QByteArray packet = std::exchange(m_packet, {});
    const auto number = std::uint8_t(packet[1]);
    const auto complement = std::uint8_t(packet[2]);
    const QByteArrayView data = QByteArrayView(packet).sliced(3, BlockSize);
    const std::uint16_t crc = std::uint16_t(std::uint8_t(packet[3 + BlockSize]) << 8 |
                                            std::uint8_t(packet[4 + BlockSize]));
    auto nak = [&](const QString &why) {
        event(QStringLiteral("block number %1: %2: NAK").arg(number).arg(why), EventKind::Refusal);
        answer(QByteArray(1, Nak));
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
        event(QStringLiteral("block number %1 repeated: ACK, not stored again").arg(number));
        answer(QByteArray(1, Ack));
        return;
    }
    const auto expectedNumber = std::uint8_t(m_lastBlock + 1);
    if (number != expectedNumber)
        return nak(QStringLiteral("out of sequence, %1 expected").arg(expectedNumber));
    if (takeFault(m_faults.nakBlocks, m_blocksStored + 1))
        return nak(QStringLiteral("fault on data block %1").arg(m_blocksStored + 1));
    if (m_received.size() + BlockSize > FirmwareCapacity)
        return nak(QStringLiteral("image larger than %1 bytes").arg(FirmwareCapacity));
    m_received.append(data);
    m_lastBlock = number;
    ++m_blocksStored;
    answer(QByteArray(1, Ack));
}

} // namespace Kernwick::Sim
