#pragma once

#include "libkernwick/device/download.h"

#include <QByteArray>
#include <QtGlobal>

namespace Kernwick {

class Conversation;

/// The progress range: 0 before the script goes out, 3 once it is framed, 6 once
/// the board was told to take it, 9 before the save, 10 at the end.
inline constexpr int BootScriptProgressEnd = 10;

/// "Downloading boot script" and "on <port>".
ProgressCaptions bootScriptDownloadCaptions(const QString &portName);

/// The bytes the boot script download writes after the board check: the script in
/// a string frame (ESC "X" ... ESC "\"), then ESC "[8v", which makes the board take
/// the string as its boot script, then ESC "[1v", which makes it save its
/// configuration.
QByteArray bootScriptFrame(const QByteArray &script);

/// "DownloadBootScript": sends `script` to the board. Opens the conversation's port
/// at `baudRate` with logged steps and checks that the board answers "v4"; logs
/// "Sending boot script", writes ESC "X" unpaced, the script with the port's pacing
/// before every byte and ESC "\" unpaced; logs "Setting boot script" and writes
/// ESC "[" and "8v"; logs "Saving configuration" and writes ESC "[" and "1v"; closes
/// the port and logs "Boot script download complete". No reply is read after the
/// board check. Progress goes 0, 3, 6, 9, 10 of BootScriptProgressEnd.
///
/// Completed when every byte was written. A failed opening or detection has logged
/// its text and nothing of the script was sent. A byte the port fails to write
/// stops the download at once with a failure line, and the completion line is not
/// logged. A stop request (see Conversation::stopRequested()) ends it between two
/// bytes with "* Stopped *" in the log. The port is closed on every path.
DownloadOutcome downloadBootScript(Conversation &conversation, const QByteArray &script,
                                   qint32 baudRate);

} // namespace Kernwick
