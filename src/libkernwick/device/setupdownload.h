#pragma once

#include "libkernwick/config/setupfile.h"
#include "libkernwick/device/download.h"

#include <QString>

namespace Kernwick {

class Conversation;

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

/// "DownloadSetup": sends the bundle's font, configuration and boot script, each
/// if named, over one opening of the conversation's port at `baudRate` (with
/// message boxes, no board check, nothing logged). Each part that is sent is a
/// part of the conversation (Conversation::startPart()) with its own captions
/// ("Downloading Font: <file name>", "Downloading Config: ...", "Downloading
/// Bootscript: ..." and "on <port>") and progress; the outcome has a line for each
/// of the three parts and is Completed when every named part was sent.
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
/// ends it between two bytes or blocks, without a box: Stopped. The port is closed
/// on every path.
DownloadOutcome downloadSetup(Conversation &conversation, const SetupBundle &bundle,
                              qint32 baudRate);

} // namespace Kernwick
