#pragma once

#include "batchcommand.h"
#include "boardoptions.h"
#include "cliutil.h"

#include "libkernwick/device/download.h"

#include <QCommandLineParser>
#include <QFile>
#include <QString>

#include <initializer_list>
#include <utility>

class QIODevice;

namespace Kernwick::Cli {

/// Adds the board and batch options to `parser` and reads `args` (args[0] is the command's
/// name): --help, then the one FILE argument of a file download. False when the
/// command ends at once with *exitCode (after --help, or a usage error reported).
bool readFileArguments(QCommandLineParser &parser, const QStringList &args, QString *path,
                       int *exitCode);

/// Opens the file to download; when it cannot be read reports the path and the
/// system's reason and returns false.
bool openDownloadFile(const QString &path, QFile *file);

/// "a", "a or b", "a, b or c".
QString alternatives(const QStringList &names);

/// Reads `option`, whose value must be one of the `choices`' names, into `*value`;
/// otherwise reports a usage error that lists them ("--dialect must be main or
/// debug, not 'x'").
template <typename T>
bool readChoice(const QCommandLineParser &parser, const QCommandLineOption &option,
                std::initializer_list<std::pair<const char *, T>> choices, T *value, int *exitCode)
{
    const QString given = parser.value(option);
    QStringList names;
    for (const auto &[name, choice] : choices) {
        if (given == QLatin1String(name)) {
            *value = choice;
            return true;
        }
        names.append(QString::fromLatin1(name));
    }
    *exitCode = usageError(QStringLiteral("--%1 must be %2, not '%3'")
                               .arg(option.names().first(), alternatives(names), given));
    return false;
}

/// The end of a command that downloads a file as it is stored (font, firmware):
/// reads the board options, whose rate goes into `request`, opens the file
/// ("File Error" when it cannot be read), runs `download` on a link of its own and
/// returns the exit status. With --ports it runs on every port at once (runBatch()).
template <typename Request>
int sendFile(const QCommandLineParser &parser, const QString &path, Request request,
             DownloadOutcome (*download)(Conversation &, QIODevice &, const Request &))
{
    BoardOptions options;
    int exitCode = Success;
    if (!readBoardOptions(parser, &options, &exitCode) ||
        !readProgressOptions(parser, &options, &exitCode))
        return exitCode;
    request.baudRate = options.baudRate;
    QFile file;
    if (!openDownloadFile(path, &file))
        return WorkFailed;
    if (batchRequested(parser)) {
        // Each board reads the file through a reader of its own.
        return runBatch(parser, options, [path, request, download](Conversation &conversation) {
            QFile boardFile(path);
            if (!boardFile.open(QIODevice::ReadOnly))
                return DownloadOutcome(DownloadResult::Failed, fileErrorBox());
            return download(conversation, boardFile, request);
        });
    }
    BoardLink link(options);
    return link.finish(download(link.conversation(), file, request));
}

} // namespace Kernwick::Cli
