#include "libkernwick/device/downloadwriter.h"

#include "libkernwick/device/byteport.h"
#include "libkernwick/device/conversation.h"

namespace Kernwick {

DownloadWriter::DownloadWriter(Conversation &conversation, qsizetype total)
    : m_conversation(conversation), m_total(total)
{
}

void DownloadWriter::beginTransfer(ProgressUnit unit, int total, char pieceEnd)
{
    m_counting = true;
    m_pieceEnd = pieceEnd;
    m_piecesDone = 0;
    m_conversation.beginTransfer(unit, total);
}

bool DownloadWriter::raw(QByteArrayView bytes)
{
    return write(bytes, false);
}

bool DownloadWriter::paced(QByteArrayView text)
{
    return write(text, true);
}

bool DownloadWriter::write(QByteArrayView bytes, bool paced)
{
    BytePort &port = m_conversation.port();
    for (qsizetype at = 0; at < bytes.size(); ++at) {
        if (m_stopped || m_failed)
            return false;
        // A stop waits for the end of the command being written (an open string
        // frame is closed at once), so the board is never left inside one.
        if (port.stopAtSafePoint()) {
            m_stopped = true;
            return false;
        }
        // One byte at a time, each with its own pacing, so that a failed byte stops
        // the download before anything after it reaches the board.
        const bool written =
            paced ? port.writeString(bytes.sliced(at, 1)) : port.writeByte(std::uint8_t(bytes[at]));
        if (!written) {
            // A port may give up a paced byte because the user asked to stop.
            if (m_conversation.stopRequested())
                m_stopped = true;
            else
                m_failed = true;
            return false;
        }
        ++m_written;
        if (m_counting && (m_pieceEnd == 0 || bytes[at] == m_pieceEnd)) {
            ++m_piecesDone;
            m_conversation.reportTransfer(m_piecesDone);
        }
    }
    return !m_stopped && !m_failed;
}

DownloadOutcome DownloadWriter::failedWriteOutcome(const QString &download)
{
    if (m_conversation.stopIfRequested())
        return {DownloadResult::Stopped};
    const bool lost = m_conversation.lineLost();
    m_conversation.end();
    m_conversation.endLogLine();
    m_conversation.appendLog(
        QStringLiteral("*%1 download failed*\r\nOnly %2 of %3 bytes could be written to the "
                       "port\r\nPlease check the connection and download again\r\n")
            .arg(download)
            .arg(m_written)
            .arg(m_total));
    if (lost)
        m_conversation.reportLineLost();
    return {DownloadResult::Failed};
}

} // namespace Kernwick
