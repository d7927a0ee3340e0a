#pragma once

#include "libkernwick/device/boxmessage.h"
#include "libkernwick/device/conversation.h"

#include <QList>
#include <QString>

#include <optional>

class QIODevice;

namespace Kernwick {

enum class DownloadResult
{
    Completed, ///< everything sent and acknowledged
    Failed,    ///< reported in the log (or by a box)
    Stopped    ///< the user stopped it; a download that keeps a log says "* Stopped *"
};

/// The parts of a download in parts (the setup download), in the order they are sent.
enum class SetupPart
{
    Font,
    Configuration,
    BootScript
};

/// How one part of a download in parts ended.
enum class PartOutcome
{
    NotReached, ///< the download ended before this part
    NotNamed,   ///< the download names no file for it: nothing to send
    Sent,       ///< sent (and, for the font, every block and the flush acknowledged)
    Failed      ///< reported in a message box, or by PartLine::reason alone
};

/// One part of a download in parts and how it ended.
struct PartLine
{
    SetupPart part;
    PartOutcome outcome;
    /// Why a failed part failed when no box said so at the time (the font of a
    /// setup download whose memory erase was refused), for a summary. Not compared.
    QString reason = {};

    friend bool operator==(const PartLine &a, const PartLine &b)
    {
        return a.part == b.part && a.outcome == b.outcome;
    }
};

/// How a download of any kind ended. The port is closed whatever the result.
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
    /// A download in parts: one line per part, in the order they are sent (a part
    /// not reached included). Empty for the downloads of one piece.
    QList<PartLine> parts;

    bool completed() const { return result == DownloadResult::Completed; }
    /// How `part` ended; NotReached when the download has no such part.
    PartOutcome partOutcome(SetupPart part) const;
};

/// The second caption line of a download's progress display: "on <port>".
QString portCaption(const QString &portName);

/// The box a file download shows when its file cannot be read.
BoxMessage fileErrorBox();

/// The total for the progress display: the whole `unit`-sized pieces of a file of
/// `length` bytes, limited to 16 bits.
int progressTotal(qint64 length, int unit);
/// The pieces of `unit` bytes a file of `length` bytes is sent in, a short last one
/// included: the total of the transfer figures.
int pieceCount(qint64 length, int unit);

/// Reads the next piece of up to `size` bytes of `file` into `*piece`. False when
/// the file could not be read; an empty piece is the end of the file.
bool readPiece(QIODevice &file, qint64 size, QByteArray *piece);

/// The outcome of a download whose step failed: Stopped (and logged) when the user
/// asked to stop, Failed otherwise, with "The line to <port> was lost" in the log
/// when the line went away. Closes the port.
DownloadOutcome stoppedOrFailed(Conversation &conversation);

/// The outcome when the file could not be read on: the "File Error" box, the port
/// closed (or Stopped when the user asked to stop).
DownloadOutcome fileReadFailed(Conversation &conversation);

} // namespace Kernwick
