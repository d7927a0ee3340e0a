#pragma once

#include "libkernwick/config/configdownload.h"
#include "libkernwick/config/setupfile.h"

#include <QString>

#include <functional>

namespace Kernwick {

class Conversation;

/// The three parts of a setup download, in the order they are sent.
enum class SetupPart
{
    Font,
    Configuration,
    BootScript
};

/// How one part of a setup download ended.
enum class PartOutcome
{
    NotReached, ///< the download ended before this part
    NotNamed,   ///< the bundle names no file for it: nothing to send
    Sent,       ///< sent (and, for the font, every block and the flush acknowledged)
    Failed      ///< reported in a message box
};

/// The memory device a setup download writes its font to: the board's own memory.
inline constexpr int SetupFontDevice = 4;
/// The most a setup download sends of a configuration or a boot script file. A
/// longer file is refused rather than sent cut.
inline constexpr qint64 SetupPartMaxBytes = 512;
/// The progress range of the configuration and boot script parts.
inline constexpr int SetupTextPartProgressEnd = 100;
/// The pause after a configuration or boot script part's progress appears, and
/// again once it is full, so that the user sees each part.
inline constexpr int SetupPartPauseMs = 500;

/// What the program shows while a setup download runs: one progress display per
/// part, which appears when the part starts and goes away when it ends. Every hook
/// may be empty.
struct SetupDownloadHooks
{
    /// A part starts: its display shows `fileLine` and `portLine`, range 0 .. `maximum`.
    std::function<void(SetupPart part, const QString &fileLine, const QString &portLine,
                       int maximum)>
        partStarted;
    /// The progress of the part that runs.
    DownloadProgress progress;
    /// The part's display goes away.
    std::function<void(SetupPart part)> partEnded;
};

/// How a setup download ended.
struct SetupDownloadResult
{
    bool portOpened = false;
    /// The user asked to stop; the download ended between two bytes or blocks.
    bool stopped = false;
    PartOutcome font = PartOutcome::NotReached;
    PartOutcome configuration = PartOutcome::NotReached;
    PartOutcome bootScript = PartOutcome::NotReached;

    /// Whether every named part was sent.
    bool completed() const;
};

/// "DownloadSetup": sends the bundle's font, configuration and boot script, each
/// if named, over one opening of the conversation's port at `baudRate` (with
/// message boxes, no board check, nothing logged).
///
/// - Font: erase memory SetupFontDevice (ESC "[93;4;0|"; an answer other than ACK
///   shows "no ack from erase" and the download goes on), the file in 256-byte
///   blocks (uploadFontChunk(), main port) at offsets 0, 256, 512 ..., then the flush
///   (ESC "[92;4;1|"), whose answer must be ACK. A font file that cannot be opened
///   shows "File Error" and ends the whole download; a block the board does not
///   acknowledge shows a box naming the part and the block and ends the whole
///   download; a refused flush shows a box and fails the font part only.
/// - Configuration: the file's bytes up to the first NUL, paced, unchanged.
/// - Boot script: ESC "[", then the boot script frame (see bootScriptFrame()) with
///   the file's bytes up to the first NUL.
///
/// A configuration or boot script file that cannot be opened shows a box whose
/// title is the system's text and whose body is empty; one longer than
/// SetupPartMaxBytes shows a box naming the file and the limit. Either way only
/// that part is skipped. A byte that cannot be written ends the whole download
/// with a box naming the part. A stop request (see Conversation::stopRequested())
/// ends it between two bytes or blocks, without a box. The port is closed on every
/// path.
SetupDownloadResult downloadSetup(Conversation &conversation, const SetupBundle &bundle,
                                  qint32 baudRate, const SetupDownloadHooks &hooks = {});

} // namespace Kernwick
