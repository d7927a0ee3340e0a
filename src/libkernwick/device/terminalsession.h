#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstdint>

namespace Kernwick {

class Conversation;

/// The terminal's line to the board: opened with message boxes, then read without
/// blocking and written byte by byte without pacing, as a person types.
class TerminalSession
{
public:
    /// The longest a read waits for a byte once the terminal is connected, so that
    /// an idle line never holds up the program that polls it.
    static constexpr int PollReadMs = 10;

    explicit TerminalSession(Conversation &conversation);

    /// Opens the conversation's port at `baudRate` ("OpenPort failed" and the other
    /// boxes of the boxed opening on failure) and shortens its reads to PollReadMs.
    bool connect(qint32 baudRate);
    /// Closes the port.
    void disconnect();
    bool isConnected() const;

    /// Writes `bytes` without pacing. While disconnected nothing goes out (false).
    /// False when a byte could not be written; the rest are still sent.
    bool send(QByteArrayView bytes);
    /// Writes `bytes` with the port's pacing before each byte, stopping at a stop
    /// request of the conversation. False when a byte could not be written or the
    /// user asked to stop.
    bool sendPaced(QByteArrayView bytes);

    /// The bytes that have arrived, exactly as received (zero bytes included): reads
    /// until one read brings nothing within PollReadMs, or `maxBytes` came. Empty
    /// while disconnected.
    QByteArray receive(qsizetype maxBytes = 4096);

private:
    Conversation &m_conversation;
};

/// What the terminal sends for Enter: CR LF, or CR or LF alone for boards that
/// want one of them.
enum class LineEnd
{
    CrLf,
    Cr,
    Lf,
};

/// What goes out when the character `c` is typed in the transmit box: the
/// character itself, except a carriage return (Enter), which sends `lineEnd`.
QByteArray typedBytes(std::uint8_t c, LineEnd lineEnd = LineEnd::CrLf);

/// How a sent file's bytes are shown in the transmit box: each byte as its 8-bit
/// character, ESC as "<ESC>".
QString sentFileEcho(QByteArrayView bytes);

} // namespace Kernwick
