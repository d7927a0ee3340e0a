#pragma once

#include "libkernwick/device/boxmessage.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <functional>

namespace Kernwick {

class BytePort;

/// The two caption lines of a progress display: what is sent, and where to.
struct ProgressCaptions
{
    QString fileLine;
    QString portLine;
};

/// What a conversation reports to and asks of the program around it. Every hook is
/// called on the thread that runs the conversation; a program that runs it on a
/// worker thread forwards the reports to its window (queued) and answers the
/// questions from there. Every hook may be empty, so a designated initialiser
/// names only the hooks it sets.
struct ConversationHooks
{
    /// Appends a text to the progress log ("AppendLog"); texts carry their own "\r\n".
    std::function<void(const QString &text)> appendLog = {};
    /// Reports a message box (the desktop program shows it with an error icon, the
    /// command line prints it on standard error). The conversation goes on without
    /// waiting for the user, so the box may be shown later.
    std::function<void(const BoxMessage &box)> showBox = {};
    /// Whether the user asked to stop the command (Stop, Ctrl-C, the program
    /// closing). Asked between reads, inside the pacing of text commands and inside
    /// the XMODEM block and EOT loops; the conversation then ends at its next step
    /// with "* Stopped *" in the log and the port closed.
    std::function<bool()> stopRequested = {};
    /// The progress of a download: `done` of `total` in the download's own unit
    /// (the blocks or chunks a file holds, or the fixed steps of a configuration or
    /// boot script download); 0 of total before the first. `done` can pass `total`
    /// by a file's short last piece, which the total does not count.
    std::function<void(int done, int total)> progress = {};
    /// Shows a box that the conversation waits for ("Download Complete" before the
    /// firmware is started) and returns once the user has closed it. Blocks the
    /// conversation's own thread, never assumes it is the window's. Empty: taken as
    /// confirmed at once.
    std::function<void(const BoxMessage &box)> confirm = {};
    /// A part of a download in parts starts (each part of the setup download): it
    /// has a progress display of its own with `captions` and a range of 0 to `total`,
    /// and the progress reports that follow are the part's.
    std::function<void(const ProgressCaptions &captions, int total)> partStarted = {};
    /// The part that runs has ended; its progress display goes away.
    std::function<void()> partEnded = {};
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
///
/// A conversation and its port belong to one thread: build both on the thread that
/// runs the conversation.
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
    void reportProgress(int done, int total);
    /// Reports that a part of the download starts, then its progress at 0 of `total`.
    void startPart(const ProgressCaptions &captions, int total);
    /// Reports that the part that runs has ended.
    void endPart();
    /// Shows `box` and waits until the user has closed it.
    void confirm(const BoxMessage &box);
    /// Waits `ms` milliseconds (the port's sleep, so tests can simulate it).
    void pause(int ms);

    /// Whether the user asked to stop; once true, every wait fails at once.
    bool stopRequested() const;
    /// Ends the conversation if the user asked to stop: logs "* Stopped *" on a line
    /// of its own (once) and closes the port. Returns whether it stopped.
    bool stopIfRequested();

    /// Opens `portName` at `baudRate`, 8 data bits, no parity, one stop bit and the
    /// read time-out, logging each step ("Opening com port" ...).
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
    bool waitForByte(std::uint8_t wanted, int maxReads, std::uint8_t *last = nullptr);
    /// Reads up to `maxReads` times into an empty reply buffer until it contains
    /// `wanted`. `*reply` (optional) gets the buffer.
    bool waitForText(QByteArrayView wanted, int maxReads, QByteArray *reply = nullptr);

    /// Closes the port.
    void end();

private:
    bool openPort(qint32 baudRate, bool logged);
    bool waitForAnswer(QByteArrayView wanted, const QString &detected, const QString &notDetected);

    BytePort &m_port;
    QString m_portName;
    ConversationHooks m_hooks;
    bool m_lineOpen = false; ///< the log's last text did not end its line
    bool m_stopLogged = false;
};

} // namespace Kernwick
