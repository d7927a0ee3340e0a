#include "libkernwick/device/serialport.h"

#include <QDeadlineTimer>

#include <optional>

namespace Kernwick {

namespace {

std::optional<QSerialPort::DataBits> dataBits(int byteSize)
{
    switch (byteSize) {
    case 5:
        return QSerialPort::Data5;
    case 6:
        return QSerialPort::Data6;
    case 7:
        return QSerialPort::Data7;
    case 8:
        return QSerialPort::Data8;
    default:
        return std::nullopt;
    }
}

// Parity codes as the Windows device control block numbers them.
std::optional<QSerialPort::Parity> parityFromCode(int parity)
{
    switch (parity) {
    case 0:
        return QSerialPort::NoParity;
    case 1:
        return QSerialPort::OddParity;
    case 2:
        return QSerialPort::EvenParity;
    case 3:
        return QSerialPort::MarkParity;
    case 4:
        return QSerialPort::SpaceParity;
    default:
        return std::nullopt;
    }
}

std::optional<QSerialPort::StopBits> stopBitsFromCode(int stopBits)
{
    switch (stopBits) {
    case 0:
        return QSerialPort::OneStop;
    case 1:
        return QSerialPort::OneAndHalfStop;
    case 2:
        return QSerialPort::TwoStop;
    default:
        return std::nullopt;
    }
}

const BoxMessage getStateFailed{QStringLiteral("Error"), QStringLiteral("GetCommState Error")};
const BoxMessage setStateFailed{QStringLiteral("Error"), QStringLiteral("SetCommState Error")};
const BoxMessage setTimeoutsFailed{QStringLiteral("Com Port Error"),
                                   QStringLiteral("StCommTimeouts function failed")};

} // namespace

CSerialPort::CSerialPort(PortTable table) : m_table(std::move(table))
{
}

CSerialPort::~CSerialPort() = default;

bool CSerialPort::open(const QString &portName)
{
    if (m_port.isOpen())
        return false;
    const QString device = m_table.resolve(portName);
    if (device.isEmpty())
        return false;
    m_port.setPortName(device);
    if (!m_port.open(QIODevice::ReadWrite))
        return false;
    // Until setTimeouts() says otherwise, reads wait the conversations' time-out.
    m_readTimeoutMs = timing().readTimeoutMs;
    m_writeTimeoutMs = WriteStallMs;
    return true;
}

bool CSerialPort::configure(qint32 baudRate, int byteSize, int /*parityCheck*/, int parity,
                            int stopBits)
{
    // Parity checking follows from the parity itself on this platform.
    clearFailure();
    if (!m_port.isOpen()) {
        reportFailure(getStateFailed);
        return false;
    }
    const auto bits = dataBits(byteSize);
    const auto par = parityFromCode(parity);
    const auto stops = stopBitsFromCode(stopBits);
    const bool applied = baudRate > 0 && bits && par && stops && m_port.setBaudRate(baudRate) &&
                         m_port.setDataBits(*bits) && m_port.setParity(*par) &&
                         m_port.setStopBits(*stops) &&
                         m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!applied) {
        reportFailure(setStateFailed);
        close();
        return false;
    }
    // Pseudo-terminals and some adapters have no modem lines; their refusal is harmless.
    m_port.setDataTerminalReady(false);
    m_port.setRequestToSend(false);
    m_port.clearError();
    return true;
}

bool CSerialPort::setTimeouts(int readInterval, int readTotalMultiplier, int readTotalConstant,
                              int writeTotalMultiplier, int writeTotalConstant)
{
    clearFailure();
    if (!m_port.isOpen())
        return false;
    if (readInterval < 0 || readTotalMultiplier < 0 || readTotalConstant < 0 ||
        writeTotalMultiplier < 0 || writeTotalConstant < 0) {
        reportFailure(setTimeoutsFailed);
        close();
        return false;
    }
    // Only single bytes are ever read or written, so the totals for one byte apply.
    m_readTimeoutMs = readTotalMultiplier + readTotalConstant;
    const int writeTimeout = writeTotalMultiplier + writeTotalConstant;
    m_writeTimeoutMs = writeTimeout > 0 ? writeTimeout : WriteStallMs;
    return true;
}

bool CSerialPort::putByte(std::uint8_t byte)
{
    if (!m_port.isOpen())
        return false;
    const char c = char(byte);
    if (m_port.write(&c, 1) != 1) {
        closeIfLineLost();
        return false;
    }
    if (!m_port.waitForBytesWritten(m_writeTimeoutMs)) {
        // Drop the byte rather than send it late, ahead of whatever comes next.
        m_port.clear(QSerialPort::Output);
        closeIfLineLost();
        return false;
    }
    return true;
}

bool CSerialPort::putBytes(QByteArrayView bytes)
{
    if (!m_port.isOpen())
        return false;
    if (m_port.write(bytes.data(), bytes.size()) != bytes.size()) {
        closeIfLineLost();
        return false;
    }
    const QDeadlineTimer deadline(m_writeTimeoutMs);
    while (m_port.bytesToWrite() > 0) {
        if (!m_port.waitForBytesWritten(int(deadline.remainingTime()))) {
            m_port.clear(QSerialPort::Output);
            closeIfLineLost();
            return false;
        }
    }
    return true;
}

bool CSerialPort::readByte(std::uint8_t *out)
{
    *out = 0;
    if (!m_port.isOpen())
        return false;
    const QDeadlineTimer deadline(m_readTimeoutMs);
    while (m_port.bytesAvailable() == 0) {
        const qint64 remaining = deadline.remainingTime();
        if (remaining <= 0)
            return false;
        if (!m_port.waitForReadyRead(int(remaining))) {
            if (m_port.error() != QSerialPort::NoError &&
                m_port.error() != QSerialPort::TimeoutError) {
                closeIfLineLost();
                return false;
            }
        }
    }
    char c = 0;
    if (m_port.read(&c, 1) != 1)
        return false;
    *out = std::uint8_t(c);
    return true;
}

void CSerialPort::close()
{
    if (m_port.isOpen())
        m_port.close();
    m_port.clearError();
}

bool CSerialPort::isOpen() const
{
    return m_port.isOpen();
}

void CSerialPort::closeIfLineLost()
{
    switch (m_port.error()) {
    case QSerialPort::ResourceError:
    case QSerialPort::ReadError:
    case QSerialPort::WriteError:
    case QSerialPort::DeviceNotFoundError:
        close();
        break;
    default:
        m_port.clearError();
        break;
    }
}

} // namespace Kernwick
