#include "libkernwick/device/boardprotocol.h"
#include "libkernwick/device/serialport.h"
#include "libkernwick/device/xmodem.h"
#include "lrzszreceiver.h"
#include "pty.h"
#include "qtprinters.h"
#include "testapplication.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

KERNWICK_TEST_APPLICATION(QCoreApplication);

using namespace Kernwick;
using Kernwick::Test::LrzszReceiver;
using Kernwick::Test::PseudoTerminal;

namespace {

// A port on a fresh pseudo-terminal, opened and set up as every conversation does.
class SerialPortOnPty : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pty.isValid());
        LinkTiming timing;
        timing.paceMs = 0;
        port.setTiming(timing);
        ASSERT_TRUE(port.open(pty.slavePath())) << port.errorString().toStdString();
        ASSERT_TRUE(port.configure(9600, 8, 0, 0, 0));
        ASSERT_TRUE(port.setTimeouts(0, 500, 0, 0, 0));
    }

    PseudoTerminal pty;
    CSerialPort port{PortTable::fromDevices({})};
};

QByteArray everyByteValue()
{
    QByteArray bytes;
    for (int i = 0; i < 256; ++i)
        bytes.append(char(i));
    return bytes;
}

} // namespace

TEST_F(SerialPortOnPty, CarriesEveryByteValueUnchangedBothWays)
{
    const QByteArray bytes = everyByteValue();
    for (const char c : bytes)
        ASSERT_TRUE(port.writeByte(std::uint8_t(c)));
    EXPECT_EQ(pty.read(bytes.size()), bytes);

    ASSERT_TRUE(pty.write(bytes));
    QByteArray received;
    std::uint8_t byte = 0;
    while (received.size() < bytes.size() && port.readByte(&byte))
        received.append(char(byte));
    EXPECT_EQ(received, bytes);
    EXPECT_TRUE(pty.read(1, 100).isEmpty()) << "the port must not echo";
}

TEST_F(SerialPortOnPty, ReadTimesOutWithZero)
{
    std::uint8_t byte = 0xAA;
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(port.readByte(&byte));
    EXPECT_GE(timer.elapsed(), 450);
    EXPECT_EQ(byte, 0);
    EXPECT_TRUE(port.isOpen());
}

TEST_F(SerialPortOnPty, OpenIsExclusive)
{
    EXPECT_FALSE(port.open(pty.slavePath())) << "already open";
    CSerialPort other(PortTable::fromDevices({pty.slavePath()}));
    EXPECT_FALSE(other.open(QStringLiteral("com1")));
    port.close();
    EXPECT_TRUE(other.open(QStringLiteral("com1")));
    other.close();
}

TEST_F(SerialPortOnPty, RefusedSettingsReportTheirBoxAndClose)
{
    EXPECT_FALSE(port.configure(9600, 9, 0, 0, 0));
    EXPECT_EQ(port.takeFailureBox(),
              (BoxMessage{QStringLiteral("Error"), QStringLiteral("SetCommState Error")}));
    EXPECT_FALSE(port.isOpen());
    EXPECT_FALSE(port.takeFailureBox()) << "a box is reported once";

    ASSERT_TRUE(port.open(pty.slavePath()));
    EXPECT_FALSE(port.setTimeouts(0, -1, 0, 0, 0));
    EXPECT_EQ(port.takeFailureBox(),
              (BoxMessage{QStringLiteral("Com Port Error"),
                          QStringLiteral("StCommTimeouts function failed")}));
    EXPECT_FALSE(port.isOpen());

    // With nothing open there is no state to read.
    EXPECT_FALSE(port.configure(9600, 8, 0, 0, 0));
    EXPECT_EQ(port.takeFailureBox(),
              (BoxMessage{QStringLiteral("Error"), QStringLiteral("GetCommState Error")}));
    EXPECT_FALSE(port.setTimeouts(0, 500, 0, 0, 0));
    EXPECT_FALSE(port.takeFailureBox());
}

TEST_F(SerialPortOnPty, VanishedLineClosesThePort)
{
    pty.closeMaster();
    std::uint8_t byte = 0xAA;
    EXPECT_FALSE(port.readByte(&byte));
    EXPECT_EQ(byte, 0);
    EXPECT_FALSE(port.isOpen());
    EXPECT_FALSE(port.writeByte('x'));
    EXPECT_EQ(port.sendEot().ending, EotEnding::LineLost);
}

TEST(SerialPort, MissingDevicesDoNotOpen)
{
    CSerialPort port(PortTable::fromDevices({QStringLiteral("/nonexistent/ttyZ0")}));
    for (const char *name : {"", "com1", "com2", "/nonexistent/ttyZ1", "/dev/null"})
        EXPECT_FALSE(port.open(QString::fromLatin1(name))) << name;
    EXPECT_FALSE(port.isOpen());
    std::uint8_t byte = 0xAA;
    EXPECT_FALSE(port.readByte(&byte));
    EXPECT_EQ(byte, 0);
    EXPECT_FALSE(port.writeByte('x'));
    EXPECT_FALSE(port.writeString("x"));
    EXPECT_FALSE(port.sendBlock(1, QByteArray(128, 'x')));
    port.close();
}

// lrzsz's rx is an independent XMODEM-CRC receiver: what it stores is what the
// blocks carried, and its ACK of the EOT must be read as the answer that ends the
// transfer (not waited out as a silent receiver).
// rx answers the EOT only after about a second of silence, later than the one read
// time-out a sender waits: the end is taken as done, unconfirmed, after one EOT.
TEST(SerialPortToLrzsz, DeliversAFileWithOneEot)
{
    if (!LrzszReceiver::available())
        GTEST_SKIP() << "lrzsz is not installed";
    LrzszReceiver rx(LrzszReceiver::Mode::Receiver);
    CSerialPort port{PortTable::fromDevices({})};
    LinkTiming timing;
    timing.paceMs = 0;
    port.setTiming(timing);
    ASSERT_TRUE(port.open(rx.device())) << port.errorString().toStdString();
    ASSERT_TRUE(port.configure(115200, 8, 0, 0, 0));
    ASSERT_TRUE(port.setTimeouts(0, 500, 0, 0, 0));
    ASSERT_TRUE(rx.start());

    std::uint8_t byte = 0;
    bool asked = false;
    for (int read = 0; read < 40 && !asked; ++read)
        asked = port.readByte(&byte) && byte == Xmodem::CrcRequest;
    ASSERT_TRUE(asked) << "rx did not ask for a CRC transfer: " << rx.rxErrors().toStdString();

    QByteArray data;
    for (int i = 0; i < 2 * 128 + 44; ++i)
        data.append(char((i * 37 + 11) & 0xFF));
    std::uint8_t number = 1;
    for (qsizetype at = 0; at < data.size(); at += Xmodem::BlockSize, ++number)
        ASSERT_TRUE(port.sendBlock(
            number, QByteArrayView(data).sliced(at).first(qMin<qsizetype>(128, data.size() - at))));
    const EotResult end = port.sendEot();
    EXPECT_TRUE(end.accepted());
    EXPECT_EQ(rx.eots(), 1) << "one EOT ends the transfer";

    ASSERT_TRUE(rx.waitForRx(10000));
    EXPECT_EQ(rx.rxStatus(), 0) << rx.rxErrors().toStdString();
    const QByteArray stored = rx.received();
    ASSERT_EQ(stored.size(), 3 * 128);
    EXPECT_EQ(stored.first(data.size()), data);
    EXPECT_EQ(stored.sliced(data.size()), QByteArray(3 * 128 - data.size(), char(Xmodem::Padding)));
}
