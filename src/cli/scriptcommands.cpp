// The boot script and setup bundle kinds of the download command.

#include "batchcommand.h"
#include "boardoptions.h"
#include "cliutil.h"
#include "commands.h"
#include "filedownload.h"

#include "libkernwick/config/bootscriptfile.h"
#include "libkernwick/config/setupfile.h"
#include "libkernwick/device/bootscriptdownload.h"
#include "libkernwick/device/setupdownload.h"

namespace Kernwick::Cli {

namespace {

// The one file of a script download and the board options. False when the
// command ends at once with *exitCode.
bool readArguments(QCommandLineParser &parser, const QStringList &args, BoardOptions *options,
                   int *exitCode)
{
    QString path;
    return readFileArguments(parser, args, &path, exitCode) &&
           readBoardOptions(parser, options, exitCode) &&
           readProgressOptions(parser, options, exitCode);
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
    BoardOptions options;
    int exitCode = Success;
    if (!readArguments(parser, args, &options, &exitCode))
        return exitCode;
    QByteArray script;
    QString error;
    if (!loadBootScriptFile(parser.positionalArguments()[0], &script, &error))
        return failFile(parser.positionalArguments()[0], error);
    if (batchRequested(parser)) {
        return runBatch(parser, options, [script, baud = options.baudRate](Conversation &c) {
            return downloadBootScript(c, script, baud);
        });
    }

    BoardLink link(options);
    return link.finish(downloadBootScript(link.conversation(), script, options.baudRate),
                       QStringLiteral("Boot script download failed"));
}

int runDownloadSetup(const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Sends the files a setup file names, as the Setup Editor's Download does: "
                       "the font to memory device 4, the configuration file and the boot script "
                       "file unchanged, over one opening of the port and without a board check. "
                       "Prints a line as each part starts; its messages go to standard error. A "
                       "configuration or boot script file longer than 512 bytes is not sent, the "
                       "other parts are. Exits 0 only when every named part was sent."));
    parser.addPositionalArgument(QStringLiteral("FILE.zvs"), QStringLiteral("The setup file."));
    BoardOptions options;
    int exitCode = Success;
    if (!readArguments(parser, args, &options, &exitCode))
        return exitCode;
    SetupBundle bundle;
    QString error;
    if (!loadSetupFile(parser.positionalArguments()[0], &bundle, &error))
        return failFile(parser.positionalArguments()[0], error);
    if (batchRequested(parser)) {
        return runBatch(parser, options, [bundle, baud = options.baudRate](Conversation &c) {
            return downloadSetup(c, bundle, baud);
        });
    }

    BoardLink link(options);
    const DownloadOutcome outcome = downloadSetup(link.conversation(), bundle, options.baudRate);
    const int status = link.finish(outcome);
    // A part can fail without a message at the time (a refused erase): the summary says why.
    for (const PartLine &line : outcome.parts) {
        if (line.outcome == PartOutcome::Failed && !line.reason.isEmpty())
            fail(QStringLiteral("setup download failed: %1").arg(line.reason));
    }
    return status;
}

} // namespace Kernwick::Cli
