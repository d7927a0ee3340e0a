// "download firmware": a firmware image to the board's boot monitor, then started.

#include "boardoptions.h"
#include "cliutil.h"
#include "commands.h"
#include "filedownload.h"

#include "libkernwick/device/firmwaredownload.h"

namespace Kernwick::Cli {

int runDownloadFirmware(const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Sends a firmware image unchanged to the board's boot monitor by XMODEM-CRC, in blocks "
        "of 128 bytes (a short last block padded with 0x1A), and starts it with \"g#\"; the "
        "\"Download Complete\" box is taken as confirmed. Prints the progress log; exits 0 only "
        "when the whole image was sent, 130 when stopped with Ctrl-C."));
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("The firmware image to send."));
    const QCommandLineOption dialect(
        QStringLiteral("dialect"),
        QStringLiteral("How the boot monitor is reached. main: the running firmware is told on "
                       "the main port (at --baud) to reset for download, then the port is "
                       "reopened at 115200 (default); debug: \"reset x\" on the debug console at "
                       "115200; repair: the boot monitor already runs and is addressed at "
                       "115200."),
        QStringLiteral("main|debug|repair"), QStringLiteral("main"));
    parser.addOption(dialect);
    int exitCode = Success;
    QString path;
    if (!readFileArguments(parser, args, &path, &exitCode))
        return exitCode;
    FirmwareDownload request;
    if (!readChoice(parser, dialect,
                    {{"main", FirmwareDialect::MainPort},
                     {"debug", FirmwareDialect::DebugPort},
                     {"repair", FirmwareDialect::Repair}},
                    &request.dialect, &exitCode))
        return exitCode;
    return sendFile(parser, path, request, downloadFirmware);
}

} // namespace Kernwick::Cli
