#pragma once

#include "libkernwick/device/boxmessage.h"
#include "libkernwick/device/linktiming.h"
#include "libkernwick/device/wirestate.h"

#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

namespace Kernwick {

/// How the end of an XMODEM transfer went (see BytePort::sendEot()).
enum class EotEnding
{
    Answered, ///< the receiver answered with something other than NAK (normally ACK)
    Silent,   ///< no answer within Xmodem::EotAnswerWaitMs: taken as done, unconfirmed
    Refused,  ///< NAK to every EOT sent (see BytePort::sendEot()): taken as done, unconfirmed
    LineLost, ///< the port closed (or was never open)
    Stopped   ///< the stop check asked to stop
};

struct EotResult
{
    EotEnding ending = EotEnding::LineLost;
    /// The byte that ended the wait when the receiver answered.
    std::uint8_t answer = 0;

    /// Whether the transfer counts as ended: the receiver answered, or stayed silent
    /// or kept refusing, which senders have always taken as the end.
    bool accepted() const
    {
        return ending == EotEnding::Answered || ending == EotEnding::Silent ||
               ending == EotEnding::Refused;
    }
    /// Whether the receiver confirmed the end with an answer other than NAK.
    bool confirmed() const { return ending == EotEnding::Answered; }
};

/// A serial line as the board conversations use it: open, configure, single bytes
/// in and out with a read time-out, close. The paced text and the XMODEM blocks are
/// built here on top of the single-byte operations, so every implementation (the
/// real port, a test double) behaves the same.
///
/// Every operation blocks until done. On a closed port the writes and reads fail
/// at once without any effect. A port belongs to the thread that uses it (the real
/// one must also be constructed there).
///
/// The port follows the bytes it writes in the board's dialect (setDialect()), so
/// that a stop request takes effect only where the board is between commands: a
/// paced text goes on to the end of the escape command, console line or monitor
/// command it is in, and an open string frame is closed (ESC "\") before the stop.
class BytePort
{
public:
    virtual ~BytePort();

    /// Opens the port: "com1" to "com16" (see PortTable) or a device path. Exclusive;
    /// fails if the port is already open.
    virtual bool open(const QString &portName) = 0;
    /// Applies the line format and turns flow control off and DTR/RTS low. `parity`
    /// and `stopBits` use the Windows codes (parity 0 none, 1 odd, 2 even, 3 mark,
    /// 4 space; stop bits 0 one, 1 one and a half, 2 two). On failure reports a
    /// message box (see takeFailureBox()), closes the port and returns false.
    virtual bool configure(qint32 baudRate, int byteSize, int parityCheck, int parity,
                           int stopBits) = 0;
    /// Sets the time-outs in milliseconds; a one-byte read waits at most
    /// readTotalMultiplier + readTotalConstant. Fails without a message on a closed
    /// port; when the values cannot be applied reports a message box, closes the
    /// port and returns false.
    virtual bool setTimeouts(int readInterval, int readTotalMultiplier, int readTotalConstant,
                             int writeTotalMultiplier, int writeTotalConstant) = 0;
    /// Writes one byte without delay.
    bool writeByte(std::uint8_t byte);
    /// Writes several bytes without delay, in order, in one go (see putBytes()).
    bool writeBytes(QByteArrayView bytes);
    /// Sets `*out` to 0, then reads one byte within the read time-out. False when
    /// nothing came (`*out` stays 0).
    virtual bool readByte(std::uint8_t *out) = 0;
    /// Closes the port; closing a closed port does nothing.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    /// Writes the bytes of `text` one at a time, waiting the pacing delay before each.
    /// The first byte that cannot be written ends it (false): the bytes after a lost
    /// one would reach the board as a different command, and a lost line takes no
    /// more. An empty text writes nothing, waits nothing and returns true. A stop
    /// request ends it (false) before the next byte that the board would read
    /// outside a command, closing an open string frame first (see stopAtSafePoint()).
    bool writeString(QByteArrayView text);

    /// Sends XMODEM-CRC block `number` holding `data` (at most 128 bytes; a shorter
    /// block is padded with Xmodem::Padding) and waits for its acknowledgement: ACK
    /// or "C". Anything else, or one read time-out of silence, sends the block again,
    /// up to Xmodem::MaxTransmissions in all. Block numbers wrap: block 256 is 0.
    /// A stop request ends it before the next transmission (false). From the first
    /// block on the transfer counts as open until sendEot() ends it; closing an open
    /// transfer cancels it (see closeOpenFrame()).
    bool sendBlock(std::uint8_t number, QByteArrayView data);

    /// Ends an XMODEM transfer ("SendBlock" without data): sends EOT and waits up to
    /// Xmodem::EotAnswerWaitMs for the answer. Any answer but NAK ends the wait at
    /// once and is taken as the receiver's acknowledgement; silence is taken as done
    /// (Silent). A NAK sends EOT again, up to Xmodem::MaxEotTransmissions EOTs within
    /// Xmodem::EotRetryLimitMs; a receiver that refuses them all is taken as done
    /// (Refused). A stop request is honoured between reads.
    EotResult sendEot();

    /// The board dialect of the bytes written from now on; the board counts as
    /// between commands (a conversation sets it when it opens the port and as it
    /// reaches each interface).
    void setDialect(WireDialect dialect) { m_wire.setDialect(dialect); }
    WireDialect dialect() const { return m_wire.dialect(); }
    /// Whether the bytes written so far leave the board between commands.
    bool betweenCommands() const { return m_wire.betweenCommands(); }
    /// Whether the bytes written so far leave a string frame or an XMODEM transfer open.
    bool frameOpen() const { return m_wire.frameOpen() || m_wire.transferOpen(); }
    /// Closes what the board would otherwise keep open after the port is closed: a
    /// string frame (ESC "") or an XMODEM transfer (CAN CAN). Nothing else is sent.
    void closeOpenFrame();
    /// Whether a stop request takes effect now: the user asked to stop and the board
    /// is between commands, or inside a string frame, which is then closed.
    bool stopAtSafePoint();
    /// Bytes written since the port was constructed (counted whether or not the
    /// port took them all).
    qint64 bytesWritten() const { return m_bytesWritten; }

    void setTiming(LinkTiming timing) { m_timing = std::move(timing); }
    const LinkTiming &timing() const { return m_timing; }

    /// Installs the question "should the transfer stop?", asked inside the pacing
    /// and the block and EOT loops (Conversation installs its stop hook here). Empty:
    /// never stop.
    void setStopCheck(std::function<bool()> stopRequested)
    {
        m_stopRequested = std::move(stopRequested);
    }
    bool stopRequested() const { return m_stopRequested && m_stopRequested(); }

    /// The message box of the last failed configure() or setTimeouts(), once.
    std::optional<BoxMessage> takeFailureBox();

protected:
    /// Writes one byte to the device without delay.
    virtual bool putByte(std::uint8_t byte) = 0;
    /// Writes several bytes to the device without delay, in order. The default
    /// writes them one by one; a real port sends them in one go, so that a busy
    /// computer cannot open a gap inside an XMODEM block that a receiver would take
    /// for a broken block.
    virtual bool putBytes(QByteArrayView bytes);
    /// Records the message box of a failed settings call.
    void reportFailure(BoxMessage box) { m_failureBox = std::move(box); }
    void clearFailure() { m_failureBox.reset(); }

private:
    LinkTiming m_timing;
    std::function<bool()> m_stopRequested;
    WireState m_wire;
    qint64 m_bytesWritten = 0;
    std::optional<BoxMessage> m_failureBox;
};

} // namespace Kernwick
