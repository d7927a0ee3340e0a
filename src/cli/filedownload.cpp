#include "filedownload.h"

#include "cliutil.h"

#include "libkernwick/device/download.h"

namespace Kernwick::Cli {

bool readFileArguments(QCommandLineParser &parser, const QStringList &args, QString *path,
                       int *exitCode)
{
    addBoardOptions(parser);
    addBatchOptions(parser);
    addProgressOptions(parser);
    if (!parseArguments(parser, args, exitCode))
        return false;
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1) {
        *exitCode =
            usageError(positional.isEmpty() ? QStringLiteral("the file to download is missing")
                                            : QStringLiteral("one file to download, not %1: %2")
                                                  .arg(positional.size())
                                                  .arg(positional.join(QLatin1Char(' '))));
        return false;
    }
    *path = positional.first();
    return true;
}

bool openDownloadFile(const QString &path, QFile *file)
{
    file->setFileName(path);
    if (file->open(QIODevice::ReadOnly))
        return true;
    failFile(path, file->errorString());
    return false;
}

QString alternatives(const QStringList &names)
{
    if (names.size() < 2)
        return names.join(QString());
    return names.first(names.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" or ") +
           names.last();
}

} // namespace Kernwick::Cli
