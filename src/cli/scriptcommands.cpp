// The boot script and setup bundle kinds of the download command.

#include "boardoptions.h"
#include "cliutil.h"
#include "commands.h"

#include "libkernwick/config/bootscriptfile.h"
#include "libkernwick/device/bootscriptdownload.h"

namespace Kernwick::Cli {

namespace {

bool oneFile(const QCommandLineParser &parser, const QString &command, int *exitCode)
{
    if (parser.positionalArguments().size() == 1)
        return true;
    *exitCode = usageError(QStringLiteral("%1 needs one file; see --help").arg(command));
    return false;
}

} // namespace

int runDownloadBootScript(const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Sends a boot script file to the board as the Bootscript Editor's "
                       "Download does: framed, taken as the boot script (ESC[8v) and saved with "
                       "the configuration (ESC[1v)."));
    parser.addPositionalArgument(QStringLiteral("FILE.zvb"), QStringLiteral("The file to send."));
    addBoardOptions(parser);
    int exitCode = Success;
    if (!parseArguments(parser, args, &exitCode) || !oneFile(parser, args[0], &exitCode))
        return exitCode;
    BoardOptions options;
    if (!readBoardOptions(parser, &options, &exitCode))
        return exitCode;
    QByteArray script;
    QString error;
    if (!loadBootScriptFile(parser.positionalArguments()[0], &script, &error))
        return fail(error);

    BoardLink link(options);
    const bool completed = downloadBootScript(link.conversation(), script, options.baudRate);
    if (!completed && !interruptRequested() && !link.boxShown())
        fail(QStringLiteral("Boot script download failed"));
    return link.status(completed);
}

} // namespace Kernwick::Cli
