#include "libkernwick/device/fontchunk.h"

#include "libkernwick/device/boardprotocol.h"
#include "libkernwick/device/byteport.h"
#include "libkernwick/device/chunkencoding.h"
#include "libkernwick/device/conversation.h"

#include <QList>

namespace Kernwick {

namespace {

bool sendConsoleLine(Conversation &c, const QByteArray &line)
{
    return c.port().writeString(line) && !c.stopRequested() &&
           c.waitForConsole(DebugPrompt, DebugPromptReads);
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
        // Every write is checked: after a lost byte the rest would only be paced
        // into a dead line. A stop inside the text closes the frame (see
        // BytePort::writeString()) and ends the chunk there.
        std::uint8_t answer = 0;
        return port.writeBytes("\x1bX") && port.writeString(text) && port.writeBytes("\x1b\\") &&
               port.writeString(QByteArray(SequenceInitiator) + "91;" + commit + '|') &&
               !conversation.stopRequested() && conversation.readAck(&answer);
    }

    // The console keeps the text of "str" lines until "memory write" takes it, so a
    // stop between them would leave the next download's first chunk wrong: the
    // chunk is sent whole. Each line is answered within DebugPromptReads reads.
    const Conversation::DeferredStop wholeChunk(conversation);
    for (qsizetype at = 0; at < text.size(); at += DebugPieceSize) {
        if (!sendConsoleLine(conversation, "str " + text.mid(at, DebugPieceSize) + '\n'))
            return false;
    }
    return sendConsoleLine(conversation,
                           "memory write " + QByteArray(commit).replace(';', ' ') + '\n');
}

} // namespace Kernwick
