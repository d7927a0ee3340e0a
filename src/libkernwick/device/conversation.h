#pragma once

#include "libkernwick/device/boxmessage.h"

#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <functional>

namespace Kernwick {

class BytePort;

/// What a conversation reports to and asks of the program around it.
struct ConversationHooks
{
    /// Appends a text to the progress log ("AppendLog"); texts carry their own "\r\n".
    std::function<void(const QString &text)> appendLog;
    /// Shows a message box and returns once the user has closed it.
    std::function<void(const BoxMessage &box)> showBox;
    /// Lets the user interface handle its waiting events, without blocking
    /// ("PumpMessages"). May be empty.
    std::function<void()> pumpMessages;
    /// Whether the user asked to stop the command (Ctrl-C in the CLI, the program
    /// closing). Asked after every read of a wait; a stopped wait fails and the
    /// conversation closes the port. May be empty.
    std::function<bool()> stopRequested;
};

/// Whether a wait lets the user interface run between reads.
enum class Pump
{
    No,
    Yes
};

/// How the debug-port detection speaks: the font download probes with "\n" and
/// speaks of the ZUVO; the firmware download probes with CR and speaks of the device.
enum class DebugWording
{
    Zuvo,
    Device
};

/// One command's conversation with the board over `port`: the shared steps every
/// serial command is built from. Each step returns whether the conversation may go
/// on; a step that fails has already reported the failure and closed the port. The
/// port is closed at the latest when the conversation is destroyed, so it is closed
/// on every path.
class Conversation
{
public:
    /// Reads of 500 ms that the main-port and debug-port detections wait for the answer.
    static constexpr int DetectReads = 20;
    /// Reads of 500 ms that the boot-monitor detection waits for ">".
    static constexpr int MonitorDetectReads = 40;
    /// Bytes that drainInput() discards at most, so that a babbling line cannot hold
    /// the command forever.
    static constexpr int MaxDrainBytes = 4096;

    /// `portName` is the selection's port: "com1" to "com16" or a device path.
    Conversation(BytePort &port, QString portName, ConversationHooks hooks);
    ~Conversation();
    Conversation(const Conversation &) = delete;
    Conversation &operator=(const Conversation &) = delete;

    BytePort &port() const { return m_port; }
    const QString &portName() const { return m_portName; }

    void appendLog(const QString &text);
    void showBox(const BoxMessage &box);
    void pumpMessages();
    /// Whether the user asked to stop; once true, every wait fails at once.
    bool stopRequested() const;

    /// Opens `portName` at `baudRate`, 8 data bits, no parity, one stop bit and the
    /// 500 ms read time-out, logging each step ("Opening com port" ...).
    bool openPortLogged(qint32 baudRate);
    /// The same opening with message boxes instead of log lines ("OpenPort failed" ...).
    bool openPortBoxed(qint32 baudRate);

    /// Main port: sends the identification query and waits up to DetectReads reads
    /// for an answer containing "v4"; then drains the line.
    bool detectBoard();
    /// Debug port: sends the probe and waits up to DetectReads reads for ">"; then
    /// drains the line.
    bool detectDebugPort(DebugWording wording);
    /// Boot monitor: sends "V#" and waits up to MonitorDetectReads reads for a ">";
    /// only the byte just read counts. No drain.
    bool detectBootMonitor();

    /// Reads and discards until one read brings nothing (one read time-out of silence).
    void drainInput();

    /// The acknowledgement of a main-port memory command: one read, which must bring
    /// ACK. `*answer` gets the byte read (0 when nothing came) for the failure report.
    bool readAck(std::uint8_t *answer);
    /// Reads up to `maxReads` times until a read brings `wanted`. `*last` (optional)
    /// gets the last byte read, 0 after a time-out.
    bool waitForByte(std::uint8_t wanted, int maxReads, Pump pump, std::uint8_t *last = nullptr);
    /// Reads up to `maxReads` times into an empty reply buffer until it contains
    /// `wanted`.
    bool waitForText(QByteArrayView wanted, int maxReads, Pump pump);

    /// Closes the port.
    void end();

private:
    bool openPort(qint32 baudRate, bool logged);
    bool waitForAnswer(QByteArrayView wanted, const QString &detected, const QString &notDetected);

    BytePort &m_port;
    QString m_portName;
    ConversationHooks m_hooks;
};

} // namespace Kernwick
