#pragma once

#include "libkernwick/device/boxmessage.h"

#include <QString>

#include <optional>

class QIODevice;

namespace Kernwick {

class Conversation;

enum class DownloadResult
{
    Completed, ///< everything sent and acknowledged
    Failed,    ///< reported in the log (or by `box`)
    Stopped    ///< the user stopped it; "* Stopped *" is in the log
};

/// How a download ended. The port is closed whatever the result.
struct DownloadOutcome
{
    DownloadOutcome(DownloadResult result = DownloadResult::Failed,
                    std::optional<BoxMessage> box = std::nullopt, bool dismissProgress = false)
        : result(result), box(std::move(box)), dismissProgress(dismissProgress)
    {
    }

    DownloadResult result;
    /// A message box to show now that the conversation is over (the repair
    /// download's "error downloading data", "File Error" when the file cannot be
    /// read to its end).
    std::optional<BoxMessage> box;
    /// Take the progress display away before showing `box` (the repair download's
    /// failed block).
    bool dismissProgress;

    bool completed() const { return result == DownloadResult::Completed; }
};

/// The two caption lines of a download's progress display.
struct ProgressCaptions
{
    QString fileLine;
    QString portLine;
};

/// The box a file download shows when its file cannot be read.
BoxMessage fileErrorBox();

/// The total for the progress display: the whole `unit`-sized pieces of a file of
/// `length` bytes, limited to 16 bits.
int progressTotal(qint64 length, int unit);

/// Reads the next piece of up to `size` bytes of `file` into `*piece`. False when
/// the file could not be read; an empty piece is the end of the file.
bool readPiece(QIODevice &file, qint64 size, QByteArray *piece);

/// The outcome of a download whose step failed: Stopped (and logged) when the user
/// asked to stop, Failed otherwise. Closes the port.
DownloadOutcome stoppedOrFailed(Conversation &conversation);

/// The outcome when the file could not be read on: the "File Error" box, the port
/// closed (or Stopped when the user asked to stop).
DownloadOutcome fileReadFailed(Conversation &conversation);

} // namespace Kernwick
