// Board commands: the port table, "Test com" and the board check.

#include "boardoptions.h"
#include "cliutil.h"
#include "commands.h"
#include "filedownload.h"

#include "libkernwick/device/conversation.h"
#include "libkernwick/device/identify.h"
#include "libkernwick/device/porttable.h"
#include "libkernwick/device/serialport.h"
#include "libkernwick/device/testcom.h"

namespace Kernwick::Cli {

int runPorts(const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Lists the port table: the device behind each of com1 to com16, whether it "
                       "can be opened now, and the default port (the first present of com1 to "
                       "com8). Set KERNWICK_PORTS to a comma-separated list of devices to choose "
                       "the table yourself."));
    int exitCode = Success;
    if (!parseArguments(parser, args, &exitCode) || !noArguments(parser, args[0], &exitCode))
        return exitCode;

    CSerialPort port;
    const SerialSelection selection = probePorts(port);
    QString text;
    for (int n = 1; n <= PortTable::PortCount; ++n) {
        const QString device = port.portTable().device(n);
        if (device.isEmpty())
            continue;
        text += QStringLiteral("%1 %2 %3\n")
                    .arg(PortTable::portName(n), device,
                         selection.portPresent.test(std::size_t(n - 1)) ? QStringLiteral("present")
                                                                        : QStringLiteral("absent"));
    }
    text += QStringLiteral("default: %1\n")
                .arg(selection.portName.isEmpty() ? QStringLiteral("none") : selection.portName);
    print(text);
    return Success;
}

int runTestCom(const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Opens the port and writes \"Hello there!\" (paced, no line end); nothing "
                       "is read."));
    addBoardOptions(parser);
    int exitCode = Success;
    if (!parseArguments(parser, args, &exitCode) || !noArguments(parser, args[0], &exitCode))
        return exitCode;
    BoardOptions options;
    if (!readBoardOptions(parser, &options, &exitCode))
        return exitCode;

    BoardLink link(options);
    if (testCom(link.conversation(), options.baudRate))
        return Success;
    if (!link.boxShown())
        fail(QStringLiteral("Writing to %1 failed").arg(options.portName));
    return link.status(false);
}

int runIdentify(const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Checks that the board answers, as a download does before it sends "
                       "anything: main sends the identification query and waits for \"v4\"; "
                       "debug probes the debug console at 115200; monitor asks the boot monitor "
                       "(\"V#\") at 115200. Prints the log; exits 0 when the board was detected."));
    const QCommandLineOption dialectOption(QStringLiteral("dialect"),
                                           QStringLiteral("main (default), debug or monitor."),
                                           QStringLiteral("D"), QStringLiteral("main"));
    parser.addOption(dialectOption);
    addBoardOptions(parser);
    int exitCode = Success;
    if (!parseArguments(parser, args, &exitCode) || !noArguments(parser, args[0], &exitCode))
        return exitCode;
    IdentifyDialect dialect = IdentifyDialect::MainPort;
    if (!readChoice(parser, dialectOption,
                    {{"main", IdentifyDialect::MainPort},
                     {"debug", IdentifyDialect::DebugPort},
                     {"monitor", IdentifyDialect::BootMonitor}},
                    &dialect, &exitCode))
        return exitCode;
    BoardOptions options;
    if (!readBoardOptions(parser, &options, &exitCode))
        return exitCode;

    BoardLink link(options);
    return link.finish(identifyBoard(link.conversation(), dialect, options.baudRate));
}

} // namespace Kernwick::Cli
