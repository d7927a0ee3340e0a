#pragma once

#include "libkernwick/device/download.h"
#include "libkernwick/device/terminalsession.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <mutex>

namespace Kernwick {

class BoardTask;
class Conversation;

/// The names the settings keep and the terminal offers: "CR LF", "CR", "LF".
QString lineEndName(LineEnd lineEnd);
/// The line end of `name`; CR LF for a name that is none of them.
LineEnd lineEndNamed(const QString &name);

/// The bytes the terminal has yet to send, handed from the window's thread to the
/// thread of its line.
class TerminalOutbox
{
public:
    void put(QByteArrayView bytes);
    /// Takes up to `maxBytes` of the oldest bytes.
    QByteArray take(qsizetype maxBytes);

private:
    std::mutex m_mutex;
    QByteArray m_bytes;
};

/// The terminal's line, run as a board task: opens the port at `baudRate` with
/// message boxes ("OpenPort failed" ...), reports the task connected, then until
/// the task is stopped sends what `outbox` holds and delivers what arrives through
/// the task, in order. No read waits more than a short poll when the line is idle,
/// and a long file goes out in pieces, so a stop is answered at once. A line that
/// vanishes ends it with the box "The line to <port> was lost". The port is
/// closed on every path.
DownloadOutcome runTerminalLine(Conversation &conversation, BoardTask &task, TerminalOutbox &outbox,
                                qint32 baudRate);

} // namespace Kernwick
