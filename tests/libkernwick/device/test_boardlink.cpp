// The conversation steps on the real serial port against zuvo-sim on a
// pseudo-terminal.

#include "libkernwick/device/boardprotocol.h"
#include "libkernwick/device/conversation.h"
#include "libkernwick/device/serialport.h"
#include "libkernwick/device/testcom.h"
#include "libkernwick/device/xmodem.h"
#include "namedcase.h"
#include "qtprinters.h"
#include "simulator.h"
#include "simulatorlink.h"
#include "testapplication.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <functional>

KERNWICK_TEST_APPLICATION(QCoreApplication);

using namespace Kernwick;
using Kernwick::Test::Simulator;
using Kernwick::Test::SimulatorLink;

namespace {

const QString openedLog = QStringLiteral("Opening com port\r\nPort opened\r\nConfiguring com "
                                         "port\r\nPort configured successfully\r\n");

// "<before>" + at least `minDots` dots (at most `maxDots`) + "<after>".
void expectDottedLog(const QString &log, const QString &before, int minDots, int maxDots,
                     const QString &after)
{
    const QRegularExpression pattern(QStringLiteral("^%1\\.{%2,%3}%4$")
                                         .arg(QRegularExpression::escape(before))
                                         .arg(minDots)
                                         .arg(maxDots)
                                         .arg(QRegularExpression::escape(after)));
    EXPECT_TRUE(pattern.match(log).hasMatch()) << log.toStdString();
}

struct DialectCase : Test::NamedCase
{
    const char *mode;
    qint32 baud;
    std::function<bool(Conversation &)> detect;
    const char *probe;
    const char *verifying;
    int minDots, maxDots;
    const char *detected;
};

class DetectOnSimulator : public ::testing::TestWithParam<DialectCase>
{
};

} // namespace

TEST_P(DetectOnSimulator, FindsTheBoardWithTheExactLog)
{
    const DialectCase &c = GetParam();
    Simulator sim;
    ASSERT_TRUE(sim.start({QStringLiteral("--mode"), QString::fromLatin1(c.mode)}));
    SimulatorLink link(sim.device());

    ASSERT_TRUE(link.conversation->openPortLogged(c.baud)) << link.log.toStdString();
    EXPECT_TRUE(c.detect(*link.conversation));
    expectDottedLog(link.log, openedLog + QString::fromLatin1(c.verifying), c.minDots, c.maxDots,
                    QString::fromLatin1(c.detected));
    link.conversation->end();
    EXPECT_FALSE(link.port.isOpen());
    EXPECT_EQ(sim.stateFileOnceWritten(QStringLiteral("wire.log"), qsizetype(qstrlen(c.probe))),
              QByteArray(c.probe));
}

// The dots: one per read up to the one that completes the answer ("ZUVO v4",
// "\r\nzuvo>", "ZUVO boot monitor\r\n>"); more only if the machine is very slow.
INSTANTIATE_TEST_SUITE_P(
    Dialects, DetectOnSimulator,
    ::testing::Values(
        DialectCase{"MainPort", "main", 9600, [](Conversation &c) { return c.detectBoard(); },
                    "\x1b[1}", "Verifying ZUVO is present\r\n", 7, 20, "\r\nZUVO detected\r\n"},
        DialectCase{"DebugPortFont", "debug", 115200,
                    [](Conversation &c) { return c.detectDebugPort(DebugWording::Zuvo); }, "\n",
                    "Verifying ZUVO is present\r\n", 7, 20, "\r\nZUVO detected\r\n"},
        DialectCase{"DebugPortFirmware", "debug", 115200,
                    [](Conversation &c) { return c.detectDebugPort(DebugWording::Device); }, "\r",
                    "Verifying device is present\r\n", 7, 20, "\r\nDevice detected\r\n"},
        DialectCase{"BootMonitor", "monitor", 115200,
                    [](Conversation &c) { return c.detectBootMonitor(); }, "V#",
                    "Verifying device is present\r\n", 20, 40, "\r\nDevice detected\r\n"}),
    Test::CaseName());

TEST(BoardLink, LateAnswerIsStillFound)
{
    Simulator sim;
    ASSERT_TRUE(sim.start({QStringLiteral("--reply-delay-ms"), QStringLiteral("1500")}));
    SimulatorLink link(sim.device());
    ASSERT_TRUE(link.conversation->openPortLogged(9600));
    EXPECT_TRUE(link.conversation->detectBoard());
    // About three silent reads before the answer, then the 7 bytes up to the "4".
    expectDottedLog(link.log, openedLog + QStringLiteral("Verifying ZUVO is present\r\n"), 9, 20,
                    QStringLiteral("\r\nZUVO detected\r\n"));
}

TEST(BoardLink, AbsentPortsFailTheLoggedOpening)
{
    const PortTable table = PortTable::fromDevices({QStringLiteral("/nonexistent/ttyZ0")});
    for (const char *name : {"", "com1", "com2", "/nonexistent/ttyZ9"}) {
        SimulatorLink link(QString::fromLatin1(name), table);
        EXPECT_FALSE(link.conversation->openPortLogged(9600));
        EXPECT_EQ(link.log, QStringLiteral("Opening com port\r\n*Open port failed*\r\nPlease "
                                           "ensure port is available"))
            << name;
        EXPECT_FALSE(link.port.isOpen());
    }
}

TEST(BoardLink, TestComHonoursTheRealPacing)
{
    Simulator sim;
    ASSERT_TRUE(sim.start());
    SimulatorLink link(sim.device());
    link.port.setTiming(LinkTiming{}); // the real 20 ms
    QElapsedTimer timer;
    timer.start();
    EXPECT_TRUE(testCom(*link.conversation, 9600));
    EXPECT_GE(timer.elapsed(), 12 * 20);
    EXPECT_FALSE(link.port.isOpen());
    EXPECT_EQ(sim.stateFileOnceWritten(QStringLiteral("wire.log"), 12), "Hello there!");
    EXPECT_TRUE(link.boxes.isEmpty());
}

struct HangupCase : Test::NamedCase
{
    const char *mode;
    const char *hangupAfter;
    std::function<bool(Conversation &)> steps;
    const char *logged; ///< how far the conversation got
};

class HangupOnSimulator : public ::testing::TestWithParam<HangupCase>
{
};

TEST_P(HangupOnSimulator, ConversationFailsAndClosesThePort)
{
    const HangupCase &c = GetParam();
    Simulator sim;
    ASSERT_TRUE(sim.start({QStringLiteral("--mode"), QString::fromLatin1(c.mode),
                           QStringLiteral("--hangup-after"), QString::fromLatin1(c.hangupAfter)}));
    QElapsedTimer timer;
    timer.start();
    {
        SimulatorLink link(sim.device());
        ASSERT_TRUE(link.conversation->openPortLogged(115200));
        EXPECT_FALSE(c.steps(*link.conversation));
        EXPECT_FALSE(link.port.isOpen());
        EXPECT_TRUE(link.log.contains(QString::fromLatin1(c.logged))) << link.log.toStdString();
        // A line that went away is not a board that is missing.
        EXPECT_FALSE(link.log.contains(QStringLiteral("not detected"))) << link.log.toStdString();
    }
    // Every wait is bounded by the read time-outs: at most 40 reads of 500 ms.
    EXPECT_LT(timer.elapsed(), 40 * 500);
    EXPECT_TRUE(sim.process().waitForFinished(5000)) << "the simulator hung up and ended";
}

// A firmware-style transfer after the boot monitor was found: the line vanishes
// in the middle of the blocks.
static bool monitorTransfer(Conversation &c)
{
    if (!c.detectBootMonitor())
        return false;
    c.port().writeString("S104000,#");
    std::uint8_t byte = 0;
    c.waitForByte(Xmodem::CrcRequest, 20, &byte);
    for (int block = 1; block <= 8; ++block) {
        if (!c.port().sendBlock(std::uint8_t(block), QByteArray(128, char(block))))
            return false;
    }
    return c.port().sendEot().accepted();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HangupOnSimulator,
    ::testing::Values(HangupCase{"DuringTheQuery", "main", "2",
                                 [](Conversation &c) { return c.detectBoard(); }, " was lost"},
                      HangupCase{
                          "AfterTheProbe", "debug", "1",
                          [](Conversation &c) { return c.detectDebugPort(DebugWording::Device); },
                          " was lost"},
                      HangupCase{"DuringTheBlocks", "monitor", "300", monitorTransfer,
                                 "\r\nDevice detected\r\n"}),
    Test::CaseName());
