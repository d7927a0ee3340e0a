#pragma once

#include "libkernwick/device/download.h"

#include <QtGlobal>

namespace Kernwick {

class Conversation;

/// Which interface of the board a board check speaks to.
enum class IdentifyDialect
{
    MainPort,   ///< the identification query, waiting for "v4" (as every main-port download)
    DebugPort,  ///< the debug console's prompt at 115200 (as the debug-port font download)
    BootMonitor ///< "V#" and the monitor's ">" at 115200 (as the repair download)
};

/// Runs the board check of `dialect` exactly as the downloads do, logging each step
/// and "ZUVO detected" ("Device detected" for the boot monitor) or the not-detected
/// text, then closes the port. `baudRate` is the main port's; the other dialects
/// always run at MonitorBaudRate.
DownloadOutcome identifyBoard(Conversation &conversation, IdentifyDialect dialect, qint32 baudRate);

} // namespace Kernwick
