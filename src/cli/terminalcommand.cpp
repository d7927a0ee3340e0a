// The terminal command: standard input and output connected to the line.

#include "boardoptions.h"
#include "cliutil.h"
#include "commands.h"

#include "libkernwick/device/terminalsession.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <unistd.h>

namespace Kernwick::Cli {

namespace {

// After the end of input the board's answers are still collected until the line
// has been quiet this long.
constexpr qint64 QuietMs = 500;
// With pacing, input goes out in batches of about this many milliseconds, so that
// the board's answers are shown while a long input is still being sent.
constexpr int BatchMs = 100;
constexpr qsizetype InputPieceBytes = 4096;

// Standard input without waiting: the bytes there now, if any.
enum class Input
{
    Bytes,
    Nothing,
    Ended,
    Failed
};

Input readInput(QByteArray *bytes, QString *error)
{
    pollfd p{STDIN_FILENO, POLLIN, 0};
    const int ready = ::poll(&p, 1, 0);
    if (ready == 0 || (ready < 0 && errno == EINTR))
        return Input::Nothing;
    if (ready < 0) {
        *error = QString::fromLocal8Bit(std::strerror(errno));
        return Input::Failed;
    }
    char buffer[InputPieceBytes];
    const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (n > 0) {
        bytes->append(buffer, n);
        return Input::Bytes;
    }
    if (n == 0 || (p.revents & POLLHUP) != 0)
        return Input::Ended;
    if (errno == EINTR || errno == EAGAIN)
        return Input::Nothing;
    *error = QString::fromLocal8Bit(std::strerror(errno));
    return Input::Failed;
}

void writeOutput(const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

} // namespace

int runTerminal(const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Connects standard input and output to the line, raw bytes both ways: "
                       "what arrives on standard input is sent (with the --pace-ms delay before "
                       "each byte), what the board sends is written to standard output as it "
                       "comes, zero bytes included. Ends at the end of input, once the last "
                       "bytes went out and the line has been quiet for half a second."));
    addBoardOptions(parser);
    int exitCode = Success;
    if (!parseArguments(parser, args, &exitCode) || !noArguments(parser, args[0], &exitCode))
        return exitCode;
    BoardOptions options;
    if (!readBoardOptions(parser, &options, &exitCode))
        return exitCode;

    BoardLink link(options);
    TerminalSession session(link.conversation());
    if (!session.connect(options.baudRate))
        return link.status(false);

    const qsizetype batch =
        options.paceMs > 0 ? std::max(1, BatchMs / options.paceMs) : InputPieceBytes;
    QByteArray pending;
    bool inputEnded = false;
    QElapsedTimer quiet;
    const auto failed = [&](const QString &message) -> int {
        session.disconnect();
        if (interruptRequested())
            return Interrupted;
        return fail(message);
    };

    while (!interruptRequested()) {
        if (!inputEnded && pending.isEmpty()) {
            QString error;
            switch (readInput(&pending, &error)) {
            case Input::Ended:
                inputEnded = true;
                quiet.start();
                break;
            case Input::Failed:
                return failed(QStringLiteral("standard input: %1").arg(error));
            case Input::Bytes:
            case Input::Nothing:
                break;
            }
        }
        if (!pending.isEmpty()) {
            const qsizetype count = std::min(batch, pending.size());
            if (!session.sendPaced(QByteArrayView(pending).first(count))) {
                if (!session.isConnected())
                    return failed(QStringLiteral("The line to %1 was lost").arg(options.portName));
                return failed(QStringLiteral("Writing to %1 failed").arg(options.portName));
            }
            pending.remove(0, count);
            if (inputEnded && pending.isEmpty())
                quiet.start();
        }
        // Waits at most a short poll when nothing has arrived.
        const QByteArray arrived = session.receive();
        if (!arrived.isEmpty()) {
            writeOutput(arrived);
            quiet.start();
        }
        if (!session.isConnected())
            return failed(QStringLiteral("The line to %1 was lost").arg(options.portName));
        if (inputEnded && pending.isEmpty() && quiet.elapsed() >= QuietMs)
            break;
    }
    session.disconnect();
    return link.status(!interruptRequested());
}

} // namespace Kernwick::Cli
