#pragma once

#include "libkernwick/config/deviceconfig.h"
#include "libkernwick/device/download.h"

#include <QStringList>
#include <QtGlobal>

namespace Kernwick {

class Conversation;

/// The progress range: 0 until the stream has gone out, then this.
inline constexpr int ConfigDownloadProgressEnd = 10;

/// "Downloading configuration" and "on <port>".
ProgressCaptions configDownloadCaptions(const QString &portName);

/// How `config` changes the board's side of a line at `baudRate`, 8 data bits, no
/// parity, one stop bit and no flow control (the line every download opens), one
/// sentence a setting ("The board will listen at 19200 baud after this
/// configuration"): the baud rate (40), hardware flow control (41; XON/XOFF travels
/// in the data and needs nothing of the line) and the data bits, parity and stop
/// bits (42). Empty when the board keeps listening as the line speaks.
QStringList lineChanges(const DeviceConfig &config, qint32 baudRate);

/// Sends `config` to the board: opens the conversation's port at `baudRate` with
/// logged steps, checks that the board answers "v4", logs each of lineChanges() and
/// that the next command must use them, logs "Sending configuration",
/// writes the stream in download order with the port's pacing before every byte
/// (no reply is read), closes the port and logs "Configuration download complete".
/// The progress starts at 0 of ConfigDownloadProgressEnd and reaches its end once
/// the whole stream is written.
///
/// Completed when the whole stream was written. A failed opening or detection has
/// logged its text and nothing was sent. A byte the port fails to write stops the
/// stream at once, since the bytes after a lost one would reach the board as wrong
/// values; the failure is logged and the completion line is not. A stop request
/// (see Conversation::stopRequested()) ends the stream between two bytes with
/// "* Stopped *" in the log. The port is closed on every path.
DownloadOutcome downloadConfiguration(Conversation &conversation, const DeviceConfig &config,
                                      qint32 baudRate);

} // namespace Kernwick
