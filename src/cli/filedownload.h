#pragma once

#include "libkernwick/device/download.h"

#include <QCommandLineParser>
#include <QFile>
#include <QString>

namespace Kernwick::Cli {

class BoardLink;

/// Reads the one FILE argument of a file download; reports a usage error otherwise.
bool readFileArgument(const QCommandLineParser &parser, QString *path, int *exitCode);

/// Opens the file to download; when it cannot be read reports the desktop
/// program's "File Error" and returns false.
bool openDownloadFile(const QString &path, QFile *file);

/// Ends a download command: closes the printed log's last line, reports the box the
/// download left, and returns the exit status.
int finishDownload(BoardLink &link, const DownloadOutcome &outcome);

} // namespace Kernwick::Cli
