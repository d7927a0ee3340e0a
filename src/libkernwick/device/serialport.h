#pragma once

#include "libkernwick/device/byteport.h"
#include "libkernwick/device/porttable.h"

#include <QSerialPort>

namespace Kernwick {

/// The program's serial port, on QSerialPort.
///
/// Opens exclusively, configures 8N1-style line formats without flow control and
/// with DTR and RTS held low where the device supports it (pseudo-terminals do not;
/// that is harmless). A one-byte read returns as soon as the byte is there, or empty
/// after the read time-out (LinkTiming::readTimeoutMs, 500 ms, in every conversation). A byte that
/// cannot be written within WriteStallMs counts as not written, so a stalled line cannot hang the
/// program. When the device vanishes (unplugged adapter, closed pseudo-terminal) the port closes
/// itself: every later operation fails at once.
class CSerialPort final : public BytePort
{
public:
    /// Longest wait for one byte to leave when no write time-out is set.
    static constexpr int WriteStallMs = 5000;

    explicit CSerialPort(PortTable table = PortTable::fromSystem());
    ~CSerialPort() override;

    bool open(const QString &portName) override;
    bool configure(qint32 baudRate, int byteSize, int parityCheck, int parity,
                   int stopBits) override;
    bool setTimeouts(int readInterval, int readTotalMultiplier, int readTotalConstant,
                     int writeTotalMultiplier, int writeTotalConstant) override;
    bool readByte(std::uint8_t *out) override;
    void close() override;
    bool isOpen() const override;

    const PortTable &portTable() const { return m_table; }
    /// The system's description of the last failure, for diagnostics.
    QString errorString() const { return m_port.errorString(); }

protected:
    bool putByte(std::uint8_t byte) override;
    bool putBytes(QByteArrayView bytes) override;

private:
    void closeIfLineLost();

    PortTable m_table;
    QSerialPort m_port;
    int m_readTimeoutMs = 500;
    int m_writeTimeoutMs = WriteStallMs;
};

} // namespace Kernwick
