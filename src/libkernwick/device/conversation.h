#pragma once

#include "libkernwick/device/boxmessage.h"
#include "libkernwick/device/transferprogress.h"
#include "libkernwick/device/wirestate.h"

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
    /// the XMODEM block and EOT loops; the conversation then ends at its next safe
    /// point (never inside an escape command, console line or monitor command; an
    /// open string frame is closed) with "* Stopped *" in the log and the port
    /// closed. Each conversation asks its own hook, so one flag may stop many.
    std::function<bool()> stopRequested = {};
    /// The progress of a download: `done` of `total` in the download's own unit
    /// (the blocks or chunks a file holds, or the fixed steps of a configuration or
    /// boot script download); 0 of total before the first. `done` can pass `total`
    /// by a file's short last piece, which the total does not count.
    std::function<void(int done, int total)> progress = {};
    /// The figures of the transfer under way (see Conversation::beginTransfer()):
    /// done of total in its unit, bytes sent, time taken. Reported at the start, each
    /// time the percentage changes, at the end, and in between at most every
    /// TransferRefreshMs as the bytes of a long piece go out. Every download kind
    /// reports them (a download in parts, once per part).
    std::function<void(const TransferProgress &progress)> transfer = {};
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
    /// The board acknowledged the erase of memory `device`: from now on a stop
    /// leaves that device empty until the next download, so a display may ask first.
    std::function<void(int device)> memoryErased = {};
};

/// Whether a line of the debug console's answer before `prompt` (or in the whole
/// answer when it has no prompt) refuses what it was given: it starts with one of
/// DebugRefusals, ignoring case. With `wholeLinesOnly` a last line that has not
/// ended yet does not count.
bool consoleRefused(QByteArrayView reply, QByteArrayView prompt, bool wholeLinesOnly = false);

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
    /// The longest time between two reports of the transfer figures while bytes go
    /// out and the percentage stays the same.
    static constexpr int TransferRefreshMs = 250;

    /// `portName` is the selection's port: "com1" to "com16" or a device path.
    Conversation(BytePort &port, QString portName, ConversationHooks hooks);
    ~Conversation();
    Conversation(const Conversation &) = delete;
    Conversation &operator=(const Conversation &) = delete;

    BytePort &port() const { return m_port; }
    const QString &portName() const { return m_portName; }

    void appendLog(const QString &text);
    /// Ends the log's last line if it is open, so the next text starts a line.
    void endLogLine();
    void showBox(const BoxMessage &box);
    /// The progress display's bar: `done` of `total`.
    void reportProgress(int done, int total);
    /// The transfer proper begins (after the board check and any erase): its figures
    /// count `total` pieces of `unit`, and the bytes and time from now. Reports 0 done.
    void beginTransfer(ProgressUnit unit, int total);
    /// `done` pieces of the transfer are done: reports its figures when the
    /// percentage changed, at the end, or TransferRefreshMs after the last report
    /// (nothing before beginTransfer()).
    void reportTransfer(int done);
    /// The figures as last reported.
    const TransferProgress &transferProgress() const { return m_transfer; }
    /// Reports that a part of the download starts, then its progress at 0 of `total`.
    void startPart(const ProgressCaptions &captions, int total);
    /// Reports that the part that runs has ended.
    void endPart();
    /// Reports that the board acknowledged the erase of memory `device`.
    void reportMemoryErased(int device);
    /// Shows `box` and waits until the user has closed it.
    void confirm(const BoxMessage &box);
    /// Waits `ms` milliseconds (the port's sleep, so tests can simulate it).
    void pause(int ms);

    /// Whether a stop is to be honoured now: the user asked to stop and no
    /// DeferredStop is alive. Once true, every wait fails at once.
    bool stopRequested() const;
    /// Whether the user asked to stop, deferred or not.
    bool stopAsked() const;
    /// Ends the conversation if a stop is to be honoured: logs "* Stopped *" on a
    /// line of its own (once) and closes the port. Returns whether it stopped.
    bool stopIfRequested();

    /// While one lives, a stop request waits: writes go on, and waits end on it only
    /// when a read brings nothing (a silent board is not waited for). For exchanges
    /// that leave the board in a bad state when cut between two of their commands
    /// (the debug console keeps the "str" text of a chunk until "memory write").
    class DeferredStop
    {
    public:
        explicit DeferredStop(Conversation &conversation) : m_conversation(conversation)
        {
            ++m_conversation.m_stopDeferrals;
        }
        ~DeferredStop() { --m_conversation.m_stopDeferrals; }
        DeferredStop(const DeferredStop &) = delete;
        DeferredStop &operator=(const DeferredStop &) = delete;

    private:
        Conversation &m_conversation;
    };

    /// The board dialect spoken from now on (see BytePort::setDialect()); the
    /// detections set theirs.
    void speak(WireDialect dialect);

    /// Whether the line went away under the conversation: the port it opened has
    /// closed without end().
    bool lineLost() const;
    /// Logs "The line to <port> was lost" on a line of its own, once.
    void reportLineLost();

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
    /// gets the last byte read, 0 after a time-out; `*reply` (optional) every byte read.
    bool waitForByte(std::uint8_t wanted, int maxReads, std::uint8_t *last = nullptr,
                     QByteArray *reply = nullptr);
    /// Reads up to `maxReads` times into an empty reply buffer until it contains
    /// `wanted`. `*reply` (optional) gets the buffer.
    bool waitForText(QByteArrayView wanted, int maxReads, QByteArray *reply = nullptr);
    /// The debug console's answer to a line: reads up to `maxReads` times until the
    /// answer holds `prompt` (">" or "zuvo>") or a whole line that refuses (see
    /// consoleRefused()). True when the prompt came with no refusal before it.
    /// `*last` (optional) gets the last byte read, 0 after a time-out.
    bool waitForConsole(QByteArrayView prompt, int maxReads, std::uint8_t *last = nullptr);

    /// Closes the port, closing an open string frame or XMODEM transfer first.
    void end();
    /// The port, closed with end(), was opened again by the caller (a reset that
    /// changes the rate): a line lost from now on is reported again.
    void portReopened();

private:
    bool openPort(qint32 baudRate, bool logged);
    bool waitForAnswer(QByteArrayView wanted, const QString &detected, const QString &notDetected);
    /// Whether a wait ends after a read: the line is gone, or the read brought
    /// nothing and the user asked to stop.
    bool giveUpWaiting(bool readSomething) const;
    /// A failed detection: the not-detected text, or the lost line.
    bool failDetection(const QString &text);
    /// Asked by the port before each paced byte and inside its waits.
    bool portStopCheck();

    BytePort &m_port;
    QString m_portName;
    ConversationHooks m_hooks;
    bool m_lineOpen = false; ///< the log's last text did not end its line
    bool m_stopLogged = false;
    bool m_opened = false; ///< the conversation opened the port and has not ended
    bool m_lossLogged = false;
    int m_stopDeferrals = 0;
    TransferMeter m_meter;
    TransferProgress m_transfer;
    qint64 m_transferReportedMs = 0;
};

} // namespace Kernwick
