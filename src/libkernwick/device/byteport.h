#pragma once

#include "libkernwick/device/boxmessage.h"
#include "libkernwick/device/linktiming.h"

#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <optional>

namespace Kernwick {

/// A serial line as the board conversations use it: open, configure, single bytes
/// in and out with a read time-out, close. The paced text and the XMODEM blocks are
/// built here on top of the single-byte operations, so every implementation (the
/// real port, a test double) behaves the same.
///
/// Every operation blocks until done. On a closed port the writes and reads fail
/// at once without any effect.
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
    virtual bool writeByte(std::uint8_t byte) = 0;
    /// Writes several bytes without delay, in order. The default writes them one by
    /// one; a real port sends them in one go, so that a busy computer cannot open a
    /// gap inside an XMODEM block that a receiver would take for a broken block.
    virtual bool writeBytes(QByteArrayView bytes);
    /// Sets `*out` to 0, then reads one byte within the read time-out. False when
    /// nothing came (`*out` stays 0).
    virtual bool readByte(std::uint8_t *out) = 0;
    /// Closes the port; closing a closed port does nothing.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    /// Writes the bytes of `text` one at a time, waiting the pacing delay before each.
    /// A failed byte does not stop the rest; the result is true only if every byte
    /// was written. An empty text writes nothing, waits nothing and returns true.
    bool writeString(QByteArrayView text);

    /// Sends XMODEM-CRC block `number` holding `data` (at most 128 bytes; a shorter
    /// block is padded with Xmodem::Padding) and waits for its acknowledgement: ACK
    /// or "C". Anything else, or one read time-out of silence, sends the block again,
    /// up to Xmodem::MaxTransmissions in all. Block numbers wrap: block 256 is 0.
    bool sendBlock(std::uint8_t number, QByteArrayView data);

    /// Ends an XMODEM transfer ("SendBlock" without data): sends EOT and waits up to
    /// Xmodem::EotAnswerWaitMs for the answer. ACK ends the transfer successfully;
    /// NAK or silence sends EOT again, and after Xmodem::MaxSilentEots unanswered
    /// EOTs a silent receiver is taken as done. False only if the receiver refused
    /// Xmodem::MaxEotTransmissions EOTs or the line was lost.
    bool sendEot();

    void setTiming(LinkTiming timing) { m_timing = std::move(timing); }
    const LinkTiming &timing() const { return m_timing; }

    /// The message box of the last failed configure() or setTimeouts(), once.
    std::optional<BoxMessage> takeFailureBox();

protected:
    /// Records the message box of a failed settings call.
    void reportFailure(BoxMessage box) { m_failureBox = std::move(box); }
    void clearFailure() { m_failureBox.reset(); }

private:
    LinkTiming m_timing;
    std::optional<BoxMessage> m_failureBox;
};

} // namespace Kernwick
