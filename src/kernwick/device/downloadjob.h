#pragma once

#include "device/boardtask.h"

#include "libkernwick/device/download.h"

#include <QPointer>
#include <QWidget>

namespace Kernwick {

/// One download as the desktop program runs it (see SerialController::startDownload):
/// what its progress dialog shows before the conversation starts, and the
/// conversation itself. A download of any kind is wired by filling these in.
struct DownloadJob
{
    /// What goes to the board, as the status bar names it while the download runs
    /// out of sight: "font", "firmware", "configuration", "boot script", "setup".
    QString subject;
    /// The dialog's two caption lines.
    ProgressCaptions captions;
    /// The progress bar's range before the conversation reports its own: 0 to this.
    int progressTotal = 0;
    /// The conversation's steps, run on a thread of their own; the outcome's box
    /// is shown and its dismissProgress honoured when they end. What the work
    /// holds (an open file) is let go of on that thread as soon as it returns.
    BoardTask::Work work;
    /// A download in parts: each part shows a progress dialog of its own that goes
    /// away when the part ends (see BoardTask::partStarted()); no dialog is made for
    /// the whole download, and `captions` and `progressTotal` are not used.
    bool inParts = false;
    /// The modal dialog the download was started from (an editor): its progress
    /// dialogs and boxes stand in front of it, so the user can reach them. The
    /// main window when null or once it has gone.
    QPointer<QWidget> owner;
};

} // namespace Kernwick
