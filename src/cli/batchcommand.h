#pragma once

#include "boardoptions.h"

#include "libkernwick/device/batchdownload.h"

#include <QCommandLineParser>
#include <QString>

namespace Kernwick::Cli {

/// Adds --ports, --log-dir, --report and --retry to a download command's parser.
void addBatchOptions(QCommandLineParser &parser);

/// Whether the command was given --ports: the download goes to many boards at once.
bool batchRequested(const QCommandLineParser &parser);

/// Runs `work` on every port of --ports at once, each on a thread of its own.
/// Before any port is opened the list is checked (a port named twice, two names for
/// one device: a usage error). The log goes to standard output a line at a time,
/// each line prefixed "[port]", or with --log-dir into one file per port; on a
/// terminal standard error shows one progress line per port. At the end prints a
/// summary table (port, result, seconds) and with --report writes it as CSV. A
/// failed board is tried again up to --retry times. Returns Success only when
/// every board completed, Interrupted after Ctrl-C (every port closed), else
/// WorkFailed.
int runBatch(const QCommandLineParser &parser, const BoardOptions &options,
             const BoardDownloadWork &work);

} // namespace Kernwick::Cli
