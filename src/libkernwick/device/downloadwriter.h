#pragma once

#include "libkernwick/device/download.h"
#include "libkernwick/device/transferprogress.h"

#include <QByteArrayView>
#include <QString>
#include <QtGlobal>

namespace Kernwick {

class Conversation;

/// Writes a download's bytes to the conversation's port and counts them. It stops
/// at the first byte the port does not take, since the bytes after a lost one
/// would reach the board as a different command, and at a stop request once the
/// board is between commands (see BytePort::stopAtSafePoint()); once stopped, every
/// later write fails at once.
class DownloadWriter
{
public:
    /// `total` is the number of bytes the whole download writes, for the report.
    DownloadWriter(Conversation &conversation, qsizetype total);

    /// Begins the transfer figures (see Conversation::beginTransfer()) for what this
    /// writer writes from now on: counted in bytes, or with a `pieceEnd` in the
    /// pieces that each end with that byte (the "v" that ends each parameter command).
    void beginTransfer(ProgressUnit unit, int total, char pieceEnd = 0);

    /// Writes `bytes` as single bytes without pacing ("WriteByte").
    bool raw(QByteArrayView bytes);
    /// Writes `text` with the port's pacing before each byte ("WriteString").
    bool paced(QByteArrayView text);

    qsizetype written() const { return m_written; }
    qsizetype total() const { return m_total; }
    /// Whether writing ended because the user asked to stop.
    bool stopped() const { return m_stopped; }
    /// Whether writing ended because a byte could not be written.
    bool failed() const { return m_failed; }
    /// Ends the download once a write has returned false: Stopped (and logged) when
    /// the user asked to stop, otherwise Failed with "*<download> download failed*",
    /// how many bytes were written and what to do in the log. Closes the port.
    DownloadOutcome failedWriteOutcome(const QString &download);

private:
    bool write(QByteArrayView bytes, bool paced);

    Conversation &m_conversation;
    qsizetype m_total;
    qsizetype m_written = 0;
    bool m_stopped = false;
    bool m_failed = false;
    bool m_counting = false;
    char m_pieceEnd = 0;
    int m_piecesDone = 0;
};

} // namespace Kernwick
