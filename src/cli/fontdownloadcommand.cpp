// "download font": a font file into one of the board's memory devices.

#include "boardoptions.h"
#include "cliutil.h"
#include "commands.h"
#include "filedownload.h"

#include "libkernwick/device/fontdownload.h"

namespace Kernwick::Cli {

int runDownloadFont(const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Copies a font file byte for byte into one of the board's memory devices: "
                       "detects the board, erases the device, sends the file in chunks of 256 "
                       "bytes and flushes the device. Prints the progress log; exits 0 only when "
                       "the whole font was flushed, 130 when stopped with Ctrl-C."));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The font file to send."));
    const QCommandLineOption device(
        QStringLiteral("device"),
        QStringLiteral("Memory device 0 to 4 (default 4, the board's internal memory)."),
        QStringLiteral("N"), QStringLiteral("4"));
    const QCommandLineOption dialect(
        QStringLiteral("dialect"),
        QStringLiteral("main: escape commands on the main port at --baud (default); debug: the "
                       "debug console, always at 115200 baud."),
        QStringLiteral("main|debug"), QStringLiteral("main"));
    parser.addOptions({device, dialect});
    int exitCode = Success;
    QString path;
    if (!readFileArguments(parser, args, &path, &exitCode))
        return exitCode;
    FontDownload request;
    qint64 deviceNumber = 0;
    if (!parseNumber(parser.value(device), QStringLiteral("--device"), &deviceNumber, &exitCode))
        return exitCode;
    if (deviceNumber > MaxMemoryDevice)
        return usageError(QStringLiteral("--device must be 0 to %1").arg(MaxMemoryDevice));
    request.device = int(deviceNumber);
    if (!readChoice(parser, dialect,
                    {{"main", FontDialect::MainPort}, {"debug", FontDialect::DebugPort}},
                    &request.dialect, &exitCode))
        return exitCode;
    return sendFile(parser, path, request, downloadFont);
}

} // namespace Kernwick::Cli
