#include "boardoptions.h"

#include "cliutil.h"

#include "libkernwick/device/porttable.h"
#include "libkernwick/device/serialport.h"

#include <limits>

namespace Kernwick::Cli {

namespace {

constexpr qint64 MaxPaceMs = 60000;

QCommandLineOption portOption()
{
    return {QStringLiteral("port"),
            QStringLiteral("Port: com1 to com16 (see 'ports') or a device path. Default: the "
                           "first present of com1 to com8."),
            QStringLiteral("P")};
}

QCommandLineOption baudOption()
{
    return {QStringLiteral("baud"), QStringLiteral("Baud rate (default 9600)."),
            QStringLiteral("B"), QStringLiteral("9600")};
}

QCommandLineOption paceOption()
{
    return {
        QStringLiteral("pace-ms"),
        QStringLiteral("Delay before each byte of a text command, in milliseconds (default 20)."),
        QStringLiteral("N"), QStringLiteral("20")};
}

QCommandLineOption progressOption()
{
    return {QStringLiteral("progress"),
            QStringLiteral("How the progress shows on standard error: auto (a line redrawn in "
                           "place on a terminal, otherwise a line every 10 %) or plain (a line "
                           "every 10 %). Default: auto."),
            QStringLiteral("STYLE"), QStringLiteral("auto")};
}

QCommandLineOption quietOption()
{
    return {QStringLiteral("quiet"), QStringLiteral("Shows no progress.")};
}

} // namespace

void addProgressOptions(QCommandLineParser &parser)
{
    parser.addOption(progressOption());
    parser.addOption(quietOption());
}

bool readProgressOptions(const QCommandLineParser &parser, BoardOptions *options, int *exitCode)
{
    const QString style = parser.value(progressOption());
    if (style == QLatin1String("auto")) {
        options->progress = isTerminal(stderr) ? ProgressStyle::Live : ProgressStyle::Plain;
    } else if (style == QLatin1String("plain")) {
        options->progress = ProgressStyle::Plain;
    } else {
        *exitCode =
            usageError(QStringLiteral("--progress must be auto or plain, not '%1'").arg(style));
        return false;
    }
    if (parser.isSet(quietOption()))
        options->progress = ProgressStyle::Quiet;
    return true;
}

void addBoardOptions(QCommandLineParser &parser)
{
    parser.addOption(portOption());
    parser.addOption(baudOption());
    parser.addOption(paceOption());
}

bool readBoardOptions(const QCommandLineParser &parser, BoardOptions *options, int *exitCode)
{
    qint64 baud = 0;
    if (!parseNumber(parser.value(baudOption()), QStringLiteral("--baud"), &baud, exitCode))
        return false;
    if (baud < 1 || baud > std::numeric_limits<qint32>::max()) {
        *exitCode = usageError(QStringLiteral("--baud must be a positive baud rate"));
        return false;
    }
    qint64 pace = 0;
    if (!parseNumber(parser.value(paceOption()), QStringLiteral("--pace-ms"), &pace, exitCode))
        return false;
    if (pace > MaxPaceMs) {
        *exitCode = usageError(QStringLiteral("--pace-ms must be at most %1").arg(MaxPaceMs));
        return false;
    }
    options->baudRate = qint32(baud);
    options->paceMs = int(pace);
    if (parser.isSet(portOption())) {
        options->portName = parser.value(portOption());
    } else if (!parser.optionNames().contains(QStringLiteral("ports"))) {
        // As the desktop program does at start-up.
        CSerialPort probe;
        options->portName = probePorts(probe).portName;
    }
    return true;
}

namespace {

LinkTiming pacing(int paceMs)
{
    LinkTiming timing;
    timing.paceMs = paceMs;
    return timing;
}

} // namespace

BoardLink::BoardLink(const BoardOptions &options)
    : m_progress(options.progress),
      m_conversation(
          m_port, options.portName,
          {
              .appendLog =
                  [this](const QString &text) {
                      // The log and a live progress line share the terminal: the
                      // line goes while the log is printed and comes back below it.
                      m_progress.clear();
                      print(text);
                      if (!text.isEmpty())
                          m_logLineOpen = !text.endsWith(QLatin1Char('\n'));
                      if (!m_logLineOpen)
                          m_progress.redraw();
                  },
              .showBox =
                  [this](const BoxMessage &box) {
                      // The error line starts on a line of its own, not after the log.
                      endLog();
                      // A box about a file names it and the system's reason; a box
                      // whose title is the system's error text has no body.
                      if (!box.file.isEmpty())
                          failFile(box.file, box.fileReason);
                      else
                          fail(box.text.isEmpty() ? box.caption : box.text);
                      m_boxShown = true;
                  },
              .stopRequested = [] { return interruptRequested(); },
              .transfer = [this](const TransferProgress &progress) { m_progress.show(progress); },
              // Boxes to confirm are taken as confirmed. A part of a download in
              // parts prints its progress display's two caption lines; the part
              // writes no log of its own, and its figures start afresh.
              .partStarted =
                  [this](const ProgressCaptions &captions, int) {
                      m_progress.restart();
                      print(QStringLiteral("%1 %2\n").arg(captions.fileLine, captions.portLine));
                  },
          })
{
    m_port.setTiming(pacing(options.paceMs));
    stopOnInterrupt();
}

void BoardLink::endLog()
{
    m_progress.clear();
    if (m_logLineOpen)
        print(QStringLiteral("\n"));
    m_logLineOpen = false;
}

int BoardLink::finish(const DownloadOutcome &outcome, const QString &failure)
{
    endLog();
    if (outcome.box)
        fail(outcome.box->text);
    else if (!outcome.completed() && !interruptRequested() && !m_boxShown && !failure.isEmpty())
        fail(failure);
    return status(outcome.completed());
}

int BoardLink::status(bool completed) const
{
    if (interruptRequested())
        return Interrupted;
    return completed ? Success : WorkFailed;
}

} // namespace Kernwick::Cli
