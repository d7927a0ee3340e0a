#include "filedownload.h"

#include "cliutil.h"

#include "libkernwick/device/download.h"

namespace Kernwick::Cli {

bool readFileArgument(const QCommandLineParser &parser, QString *path, int *exitCode)
{
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
    fail(fileErrorBox().text);
    return false;
}

} // namespace Kernwick::Cli
