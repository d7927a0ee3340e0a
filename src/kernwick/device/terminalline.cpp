#include "device/terminalline.h"

#include "device/boardtask.h"

#include "libkernwick/device/conversation.h"
#include "libkernwick/device/terminalsession.h"
#include "libkernwick/programname.h"

#include <algorithm>

namespace Kernwick {

namespace {

// Bytes sent between two looks at the line: a file's bytes do not keep the
// board's answers waiting, nor a stop.
constexpr qsizetype SendPieceBytes = 256;
// Bytes taken in before the next look at what the user typed: at 9600 baud a
// steady stream holds a keystroke back for under 70 ms.
constexpr qsizetype ReceivePieceBytes = 64;

} // namespace

QString lineEndName(LineEnd lineEnd)
{
    switch (lineEnd) {
    case LineEnd::Cr:
        return QStringLiteral("CR");
    case LineEnd::Lf:
        return QStringLiteral("LF");
    case LineEnd::CrLf:
        break;
    }
    return QStringLiteral("CR LF");
}

LineEnd lineEndNamed(const QString &name)
{
    for (const LineEnd lineEnd : {LineEnd::Cr, LineEnd::Lf})
        if (name == lineEndName(lineEnd))
            return lineEnd;
    return LineEnd::CrLf;
}

void TerminalOutbox::put(QByteArrayView bytes)
{
    const std::lock_guard lock(m_mutex);
    m_bytes.append(bytes);
}

QByteArray TerminalOutbox::take(qsizetype maxBytes)
{
    const std::lock_guard lock(m_mutex);
    const qsizetype count = std::min(maxBytes, m_bytes.size());
    QByteArray piece = m_bytes.first(count);
    m_bytes.remove(0, count);
    return piece;
}

DownloadOutcome runTerminalLine(Conversation &conversation, BoardTask &task, TerminalOutbox &outbox,
                                qint32 baudRate)
{
    TerminalSession session(conversation);
    if (!session.connect(baudRate))
        return DownloadOutcome(DownloadResult::Failed);
    task.reportConnected();
    while (!conversation.stopRequested()) {
        const QByteArray out = outbox.take(SendPieceBytes);
        // A character the port does not take is lost, as a typed one always was;
        // a line that has gone is noticed below.
        session.send(out);
        const QByteArray arrived = session.receive(ReceivePieceBytes);
        if (!arrived.isEmpty())
            task.deliver(arrived);
        if (!session.isConnected()) {
            return DownloadOutcome(
                DownloadResult::Failed,
                BoxMessage{QString::fromLatin1(ApplicationTitle),
                           QStringLiteral("The line to %1 was lost").arg(conversation.portName())});
        }
    }
    session.disconnect();
    return DownloadOutcome(DownloadResult::Completed);
}

} // namespace Kernwick
