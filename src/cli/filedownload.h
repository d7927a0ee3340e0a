#pragma once

#include <QCommandLineParser>
#include <QFile>
#include <QString>

namespace Kernwick::Cli {

/// Reads the one FILE argument of a file download; reports a usage error otherwise.
bool readFileArgument(const QCommandLineParser &parser, QString *path, int *exitCode);

/// Opens the file to download; when it cannot be read reports the desktop
/// program's "File Error" and returns false.
bool openDownloadFile(const QString &path, QFile *file);

} // namespace Kernwick::Cli
