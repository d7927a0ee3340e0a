#pragma once

#include "device/boardtask.h"

#include "libkernwick/device/download.h"

namespace Kernwick {

/// One download as the desktop program runs it (see SerialController::startDownload):
/// what its progress dialog shows before the conversation starts, and the
/// conversation itself. A download of any kind is wired by filling these in.
struct DownloadJob
{
    /// The dialog's two caption lines.
    ProgressCaptions captions;
    /// The progress bar's range before the conversation reports its own: 0 to this.
    int progressTotal = 0;
    /// The conversation's steps, run on a thread of their own; the outcome's box
    /// is shown and its dismissProgress honoured when they end. What the work
    /// holds (an open file) is let go of on that thread as soon as it returns.
    BoardTask::Work work;
};

} // namespace Kernwick
