// The terminal's line: boxed opening, short reads, raw bytes both ways.

#include "libkernwick/device/boardprotocol.h"
#include "libkernwick/device/conversation.h"
#include "libkernwick/device/serialport.h"
#include "libkernwick/device/terminalsession.h"
#include "namedcase.h"
#include "qtprinters.h"
#include "scriptedport.h"
#include "simulator.h"
#include "testapplication.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

KERNWICK_TEST_APPLICATION(QCoreApplication);

using namespace Kernwick;
using Kernwick::Test::ScriptedPort;
using Kernwick::Test::Simulator;
namespace Test = Kernwick::Test;

namespace {

class TerminalTest : public ::testing::Test
{
protected:
    TerminalTest()
    {
        ConversationHooks hooks;
        hooks.appendLog = [this](const QString &text) { log += text; };
        hooks.showBox = [this](const BoxMessage &box) { boxes.push_back(box); };
        conversation = std::make_unique<Conversation>(port, QStringLiteral("com2"), hooks);
        session = std::make_unique<TerminalSession>(*conversation);
    }

    ScriptedPort port;
    QString log;
    std::vector<BoxMessage> boxes;
    std::unique_ptr<Conversation> conversation;
    std::unique_ptr<TerminalSession> session;
};

const BoxMessage openPortFailed{QStringLiteral("ZUVO Kernwick"), QStringLiteral("OpenPort failed")};

} // namespace

TEST_F(TerminalTest, ConnectOpensWithoutLogAndShortensTheReads)
{
    EXPECT_FALSE(session->isConnected());
    ASSERT_TRUE(session->connect(19200));
    EXPECT_TRUE(session->isConnected());
    EXPECT_EQ(port.openedNames, QStringList{QStringLiteral("com2")});
    EXPECT_EQ(port.baudRate, 19200);
    EXPECT_EQ(port.readTimeout, TerminalSession::PollReadMs);
    EXPECT_TRUE(log.isEmpty());
    EXPECT_TRUE(boxes.empty());
    EXPECT_TRUE(port.written.isEmpty()) << "connecting sends nothing";

    session->disconnect();
    EXPECT_FALSE(session->isConnected());
    EXPECT_EQ(port.closes, 1);
}

TEST_F(TerminalTest, AbsentPortShowsOpenPortFailedAndStaysDisconnected)
{
    port.openSucceeds = false;
    EXPECT_FALSE(session->connect(9600));
    EXPECT_FALSE(session->isConnected());
    EXPECT_EQ(boxes, std::vector<BoxMessage>{openPortFailed});
}

TEST_F(TerminalTest, FailedSettingsShowTheirBoxesAndLeaveThePortClosed)
{
    port.timeoutsFail = true;
    EXPECT_FALSE(session->connect(9600));
    EXPECT_FALSE(session->isConnected());
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, QStringLiteral("SetCommunicationTimeouts failed"));
}

TEST_F(TerminalTest, NothingGoesOutWhileDisconnected)
{
    EXPECT_FALSE(session->send("typed"));
    EXPECT_FALSE(session->sendPaced("typed"));
    EXPECT_TRUE(session->receive().isEmpty());
    EXPECT_TRUE(port.written.isEmpty());

    ASSERT_TRUE(session->connect(9600));
    session->disconnect();
    EXPECT_FALSE(session->send("after"));
    EXPECT_TRUE(port.written.isEmpty());
}

TEST_F(TerminalTest, TypedBytesGoOutUnpacedAndPacedBytesWithThePacing)
{
    LinkTiming timing = port.timing();
    timing.paceMs = 20;
    port.setTiming(timing);
    ASSERT_TRUE(session->connect(9600));
    EXPECT_TRUE(session->send(QByteArray("ab\x1b\r\n\0z", 7)));
    EXPECT_EQ(port.pacedMs, 0);
    EXPECT_TRUE(session->sendPaced("xyz"));
    EXPECT_EQ(port.pacedMs, 3 * 20);
    EXPECT_EQ(port.written, QByteArray("ab\x1b\r\n\0zxyz", 10));
}

TEST_F(TerminalTest, ReceiveGivesWhatArrivedZeroBytesIncludedAndStopsAtSilence)
{
    ASSERT_TRUE(session->connect(9600));
    port.arrive(QByteArray("ab\0c", 4));
    port.silence(1);
    port.arrive("d\r\n");
    EXPECT_EQ(session->receive(), QByteArray("ab\0c", 4));
    EXPECT_EQ(session->receive(2), "d\r");
    EXPECT_EQ(session->receive(), "\n");
    EXPECT_TRUE(session->receive().isEmpty());
}

struct TypedCase : Test::NamedCase
{
    std::uint8_t typed;
    QByteArray sent;
};

class TypedCharacter : public ::testing::TestWithParam<TypedCase>
{
};

TEST_P(TypedCharacter, SendsItsBytes)
{
    EXPECT_EQ(typedBytes(GetParam().typed), GetParam().sent);
}

TEST(TypedLineEnd, EnterSendsTheChosenLineEndAndNothingElseChanges)
{
    EXPECT_EQ(typedBytes(ControlByte::Cr, LineEnd::CrLf), "\r\n");
    EXPECT_EQ(typedBytes(ControlByte::Cr, LineEnd::Cr), "\r");
    EXPECT_EQ(typedBytes(ControlByte::Cr, LineEnd::Lf), "\n");
    for (const LineEnd lineEnd : {LineEnd::Cr, LineEnd::Lf})
        EXPECT_EQ(typedBytes('\n', lineEnd), "\n") << "Ctrl+J is a line feed whatever Enter sends";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TypedCharacter,
    ::testing::Values(TypedCase{"EnterSendsCrLf", 0x0D, "\r\n"},
                      TypedCase{"BackspaceSends08", 0x08, "\x08"}, TypedCase{"Tab", 0x09, "\t"},
                      TypedCase{"Escape", 0x1B, "\x1b"}, TypedCase{"LineFeedAlone", 0x0A, "\n"},
                      TypedCase{"Letter", 'A', "A"}, TypedCase{"EightBit", 0xE9, "\xe9"}),
    Test::CaseName());

TEST(SentFileEcho, ShowsEscAsItsNameAndEveryOtherByteAsItsCharacter)
{
    EXPECT_EQ(sentFileEcho("\x1b[1}"), QStringLiteral("<ESC>[1}"));
    EXPECT_EQ(sentFileEcho("a\x1b\x1b\r\nb"), QStringLiteral("a<ESC><ESC>\r\nb"));
    EXPECT_EQ(sentFileEcho("\xe9"), QStringLiteral("\u00e9"));
    EXPECT_TRUE(sentFileEcho({}).isEmpty());
}

TEST(TerminalOnSimulator, CarriesTheQueryOutAndTheAnswerBack)
{
    Simulator sim;
    ASSERT_TRUE(sim.start());
    CSerialPort port(PortTable::fromDevices({}));
    std::vector<BoxMessage> boxes;
    ConversationHooks hooks;
    hooks.showBox = [&boxes](const BoxMessage &box) { boxes.push_back(box); };
    Conversation conversation(port, sim.device(), hooks);
    TerminalSession session(conversation);
    ASSERT_TRUE(session.connect(9600));

    // An idle line answers at once rather than after the conversations' 500 ms.
    EXPECT_TRUE(session.receive().isEmpty());

    EXPECT_TRUE(session.send(typedBytes(ControlByte::Esc) + "[1}"));
    QByteArray answer;
    const QDeadlineTimer deadline(5000);
    while (!answer.contains("\r\n") && !deadline.hasExpired())
        answer += session.receive();
    EXPECT_EQ(answer, "ZUVO v4.12\r\n");
    session.disconnect();
    EXPECT_FALSE(port.isOpen());
    EXPECT_TRUE(boxes.empty());
}
