#include "libkernwick/device/fontchunk.h"

#include "libkernwick/device/boardprotocol.h"
#include "libkernwick/device/byteport.h"
#include "libkernwick/device/chunkencoding.h"
#include "libkernwick/device/conversation.h"

#include <QList>

namespace Kernwick {

namespace {

// Whether a line of the console's answer says it refused what it was given. The
// console prints the prompt after a refusal too, so the prompt alone is no proof.
bool consoleRefused(const QByteArray &reply)
{
    QByteArray lines = reply.left(reply.indexOf(DebugPrompt));
    for (QByteArray line : lines.replace('\r', '\n').split('\n')) {
        line = line.trimmed().toLower();
        for (const char *refusal : DebugRefusals) {
            if (line.startsWith(refusal))
                return true;
        }
    }
    return false;
}

bool sendConsoleLine(Conversation &c, const QByteArray &line)
{
    c.port().writeString(line);
    QByteArray reply;
    return !c.stopRequested() && c.waitForText(DebugPrompt, DebugPromptReads, &reply) &&
           !consoleRefused(reply);
}

QByteArray number(qint64 value)
{
    return QByteArray::number(value);
}

} // namespace

bool uploadFontChunk(Conversation &conversation, int device, qint64 offset, QByteArrayView bytes,
                     FontDialect dialect)
{
    const QByteArray text = encodeAscii85(bytes);
    const QByteArray commit =
        number(device) + ';' + number(offset) + ';' + number(chunkChecksum(bytes));
    BytePort &port = conversation.port();

    if (dialect == FontDialect::MainPort) {
        port.writeByte(ControlByte::Esc);
        port.writeByte('X');
        port.writeString(text);
        if (conversation.stopRequested())
            return false;
        port.writeByte(ControlByte::Esc);
        port.writeByte('\\');
        port.writeString(QByteArray(SequenceInitiator) + "91;" + commit + '|');
        if (conversation.stopRequested())
            return false;
        std::uint8_t answer = 0;
        return conversation.readAck(&answer);
    }

    for (qsizetype at = 0; at < text.size(); at += DebugPieceSize) {
        if (!sendConsoleLine(conversation, "str " + text.mid(at, DebugPieceSize) + '\n'))
            return false;
    }
    return sendConsoleLine(conversation,
                           "memory write " + QByteArray(commit).replace(';', ' ') + '\n');
}

} // namespace Kernwick
