#include "libkernwick/device/terminalsession.h"

#include "libkernwick/device/boardprotocol.h"
#include "libkernwick/device/byteport.h"
#include "libkernwick/device/conversation.h"

namespace Kernwick {

TerminalSession::TerminalSession(Conversation &conversation) : m_conversation(conversation)
{
}

bool TerminalSession::connect(qint32 baudRate)
{
    if (!m_conversation.openPortBoxed(baudRate))
        return false;
    // The boxed opening sets the conversations' 500 ms reads; the terminal reads
    // what has arrived and comes back at once when the line is idle.
    if (!m_conversation.port().setTimeouts(0, 0, PollReadMs, 0, 0)) {
        if (const auto box = m_conversation.port().takeFailureBox())
            m_conversation.showBox(*box);
        m_conversation.showBox(appBox(QStringLiteral("SetCommunicationTimeouts failed")));
        m_conversation.end();
        return false;
    }
    return true;
}

void TerminalSession::disconnect()
{
    m_conversation.end();
}

bool TerminalSession::isConnected() const
{
    return m_conversation.port().isOpen();
}

bool TerminalSession::send(QByteArrayView bytes)
{
    BytePort &port = m_conversation.port();
    if (!port.isOpen())
        return false;
    bool allWritten = true;
    for (const char c : bytes)
        allWritten = port.writeByte(std::uint8_t(c)) && allWritten;
    return allWritten;
}

bool TerminalSession::sendPaced(QByteArrayView bytes)
{
    BytePort &port = m_conversation.port();
    if (!port.isOpen())
        return false;
    bool allWritten = true;
    for (qsizetype at = 0; at < bytes.size(); ++at) {
        if (m_conversation.stopRequested())
            return false;
        allWritten = port.writeString(bytes.sliced(at, 1)) && allWritten;
    }
    return allWritten;
}

QByteArray TerminalSession::receive(qsizetype maxBytes)
{
    QByteArray arrived;
    std::uint8_t byte = 0;
    while (arrived.size() < maxBytes && m_conversation.port().readByte(&byte))
        arrived.append(char(byte));
    return arrived;
}

QByteArray typedBytes(std::uint8_t c, LineEnd lineEnd)
{
    if (c != ControlByte::Cr || lineEnd == LineEnd::Cr)
        return QByteArray(1, char(c));
    return lineEnd == LineEnd::Lf ? QByteArrayLiteral("\n") : QByteArrayLiteral("\r\n");
}

QString sentFileEcho(QByteArrayView bytes)
{
    QString echo;
    for (const char c : bytes) {
        if (std::uint8_t(c) == ControlByte::Esc)
            echo += QStringLiteral("<ESC>");
        else
            echo += QChar(std::uint8_t(c));
    }
    return echo;
}

} // namespace Kernwick
