#pragma once

#include "progressline.h"

#include "libkernwick/device/conversation.h"
#include "libkernwick/device/download.h"
#include "libkernwick/device/porttable.h"
#include "libkernwick/device/serialport.h"

#include <QCommandLineParser>
#include <QString>

namespace Kernwick::Cli {

/// The options every board command takes: --port, --baud and --pace-ms.
struct BoardOptions
{
    QString portName;
    qint32 baudRate = SerialSelection::DefaultBaudRate;
    int paceMs = 20;
    /// How a download shows its progress on standard error (see addProgressOptions()).
    ProgressStyle progress = ProgressStyle::Quiet;
};

/// Adds --port, --baud and --pace-ms to a command's parser.
void addBoardOptions(QCommandLineParser &parser);

/// Adds --progress auto|plain and --quiet to a download command's parser.
void addProgressOptions(QCommandLineParser &parser);

/// Reads --progress and --quiet into `options->progress`: Live on a terminal and
/// Plain otherwise (auto, the default), Plain, or Quiet. On a bad value reports a
/// usage error and returns false.
bool readProgressOptions(const QCommandLineParser &parser, BoardOptions *options, int *exitCode);

/// Reads the board options. Without --port the port is the one the desktop
/// program picks at start-up: the first present of com1 to com8. On a bad value
/// reports a usage error and returns false.
bool readBoardOptions(const QCommandLineParser &parser, BoardOptions *options, int *exitCode);

/// One board command's link: the port with the options' pacing and the
/// conversation hooks of the command line. The log goes to standard output as it
/// grows, a message box goes to standard error as an error line, each part of a
/// download in parts prints its two caption lines on one line of standard output,
/// Ctrl-C asks the conversation to stop (see stopOnInterrupt()), and the transfer
/// figures go to a ProgressLine on standard error in the options' style.
class BoardLink
{
public:
    explicit BoardLink(const BoardOptions &options);

    CSerialPort &port() { return m_port; }
    Conversation &conversation() { return m_conversation; }
    /// Whether a message box was reported, so the command need not add its own error.
    bool boxShown() const { return m_boxShown; }
    /// Ends the printed log with a line end if its last line is still open (logs end
    /// without one), so the shell's prompt starts on a line of its own.
    void endLog();

    /// The exit status of the command: Success when it `completed`, Interrupted
    /// after Ctrl-C, WorkFailed otherwise.
    int status(bool completed) const;
    /// Ends a download command: ends the printed log's last line, reports the box
    /// the download left, or else `failure` (if any) when it failed without having
    /// reported a box, and returns the exit status.
    int finish(const DownloadOutcome &outcome, const QString &failure = {});

private:
    CSerialPort m_port;
    bool m_boxShown = false;
    bool m_logLineOpen = false;
    ProgressLine m_progress;
    Conversation m_conversation;
};

} // namespace Kernwick::Cli
