#include "libkernwick/device/boardprotocol.h"
#include "libkernwick/device/conversation.h"
#include "libkernwick/device/testcom.h"
#include "namedcase.h"
#include "scriptedport.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

using namespace Kernwick;
using Kernwick::Test::ScriptedPort;

namespace {

const QString zuvoNotDetected = QStringLiteral(
    "\r\n* ZUVO not detected *\r\nPlease verify\r\nZUVO is connected to main serial port\r\n"
    "computer is connected to correct serial port\r\nZUVO is powered\r\ncheck ZUVO serial rate");
const QString deviceNotDetected = QStringLiteral(
    "\r\n* Device not detected *\r\nPlease verify\r\ndevice is connected to main serial port\r\n"
    "computer is connected to correct serial port\r\nZUVO is powered\r\ncheck ZUVO serial rate");
const QString openedLog = QStringLiteral("Opening com port\r\nPort opened\r\nConfiguring com "
                                         "port\r\nPort configured successfully\r\n");

QString dots(int n)
{
    return QString(n, QLatin1Char('.'));
}

// A conversation on a scripted port that records its log and boxes.
class ConversationTest : public ::testing::Test
{
protected:
    Conversation &conversation(const QString &portName = QStringLiteral("com1"))
    {
        m_conversation = std::make_unique<Conversation>(
            port, portName,
            ConversationHooks{
                .appendLog = [this](const QString &text) { log += text; },
                .showBox = [this](const BoxMessage &box) { boxes.push_back(box); },
                .stopRequested = [this] { return stopWhen && stopWhen(); },
            });
        return *m_conversation;
    }
    void endConversation() { m_conversation.reset(); }
    // Opens without logging, for the steps after the opening.
    Conversation &opened()
    {
        Conversation &c = conversation();
        EXPECT_TRUE(c.openPortBoxed(9600));
        return c;
    }

    ScriptedPort port;
    QString log;
    std::vector<BoxMessage> boxes;
    std::function<bool()> stopWhen; ///< the user's stop request; empty: never

private:
    std::unique_ptr<Conversation> m_conversation;
};

BoxMessage appBox(const char *text)
{
    return {QStringLiteral("ZUVO Kernwick"), QString::fromLatin1(text)};
}

const BoxMessage setStateBox{QStringLiteral("Error"), QStringLiteral("SetCommState Error")};

} // namespace

TEST_F(ConversationTest, LoggedOpeningSetsEightNoneOneAndTheReadTimeout)
{
    EXPECT_TRUE(conversation(QStringLiteral("com4")).openPortLogged(115200));
    EXPECT_EQ(log, openedLog);
    EXPECT_EQ(port.openedNames, QStringList{QStringLiteral("com4")});
    EXPECT_EQ(port.baudRate, 115200);
    EXPECT_EQ(port.readTimeout, 500);
    EXPECT_TRUE(port.isOpen());
    EXPECT_TRUE(boxes.empty());
}

struct OpenFailureCase : Test::NamedCase
{
    bool openFails, configureFails, timeoutsFail;
    const char *loggedTail; // after "Opening com port\r\n"
    std::vector<BoxMessage> loggedBoxes, boxedBoxes;
};

class OpenFailure : public ConversationTest, public ::testing::WithParamInterface<OpenFailureCase>
{
protected:
    void script()
    {
        const OpenFailureCase &c = GetParam();
        port.openSucceeds = !c.openFails;
        if (c.configureFails)
            port.configureFailure = setStateBox;
        port.timeoutsFail = c.timeoutsFail;
    }
};

TEST_P(OpenFailure, LoggedOpeningReportsAndLeavesThePortClosed)
{
    script();
    EXPECT_FALSE(conversation().openPortLogged(9600));
    EXPECT_EQ(log,
              QStringLiteral("Opening com port\r\n") + QString::fromLatin1(GetParam().loggedTail));
    EXPECT_EQ(boxes, GetParam().loggedBoxes);
    EXPECT_FALSE(port.isOpen());
}

TEST_P(OpenFailure, BoxedOpeningReportsAndLeavesThePortClosed)
{
    script();
    EXPECT_FALSE(conversation().openPortBoxed(9600));
    EXPECT_TRUE(log.isEmpty());
    EXPECT_EQ(boxes, GetParam().boxedBoxes);
    EXPECT_FALSE(port.isOpen());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OpenFailure,
    ::testing::Values(
        OpenFailureCase{"Open",
                        true,
                        false,
                        false,
                        "*Open port failed*\r\nPlease ensure port is available",
                        {},
                        {appBox("OpenPort failed")}},
        OpenFailureCase{
            "Configure",
            false,
            true,
            false,
            "Port opened\r\nConfiguring com port\r\n*Unable to configure port*\r\nPlease "
            "check computer port hardware",
            {setStateBox},
            {setStateBox, appBox("ConfigurePort failed")}},
        OpenFailureCase{
            "Timeouts",
            false,
            false,
            true,
            "Port opened\r\nConfiguring com port\r\n*Unable to set port timeouts*\r\nPlease check "
            "computer port hardware",
            {{QStringLiteral("Com Port Error"), QStringLiteral("StCommTimeouts function failed")}},
            {{QStringLiteral("Com Port Error"), QStringLiteral("StCommTimeouts function failed")},
             appBox("SetCommunicationTimeouts failed")}}),
    Test::CaseName());

TEST_F(ConversationTest, DetectsTheBoardOnTheReadThatBringsTheFour)
{
    Conversation &c = opened();
    port.silence(3);
    port.arrive("ZUVO v4.12\r\n");
    port.silence(1);
    port.arrive("late");

    EXPECT_TRUE(c.detectBoard());
    EXPECT_EQ(port.written, "\x1b[1}");
    // 3 silent reads, then "ZUVO v4" byte by byte.
    EXPECT_EQ(log, QStringLiteral("Verifying ZUVO is present\r\n") + dots(3 + 7) +
                       QStringLiteral("\r\nZUVO detected\r\n"));
    // The drain read the rest of the answer and stopped at the first silence.
    ASSERT_EQ(port.incoming.size(), 4u);
    EXPECT_EQ(*port.incoming.front(), 'l');
    EXPECT_TRUE(port.isOpen());
}

struct SilentCase : Test::NamedCase
{
    int silentReads;
    QByteArray answer;
    int timedOutReads; ///< of the 20 reads, those that wait out the read time-out
};

class NotDetected : public ConversationTest, public ::testing::WithParamInterface<SilentCase>
{
};

// On a real line the silent board costs 20 read time-outs (10 s); here they run
// on the scripted port's clock.
TEST_P(NotDetected, AfterTwentyReadsTheBoardIsReportedMissing)
{
    const SilentCase &c = GetParam();
    Conversation &conv = conversation();
    ASSERT_TRUE(conv.openPortLogged(9600));
    port.silence(c.silentReads);
    port.arrive(c.answer);
    const qint64 start = port.now;

    EXPECT_FALSE(conv.detectBoard());
    EXPECT_EQ(log, openedLog + QStringLiteral("Verifying ZUVO is present\r\n") + dots(20) +
                       zuvoNotDetected);
    EXPECT_EQ(port.reads, 20);
    EXPECT_EQ(port.readTimeout, ScriptedPort::ReadTimeoutMs) << "the time-out the clock charges";
    EXPECT_EQ(port.now - start, qint64(c.timedOutReads) * ScriptedPort::ReadTimeoutMs);
    EXPECT_EQ(port.written, "\x1b[1}") << "nothing but the query";
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(port.closes, 1);
    EXPECT_TRUE(boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, NotDetected,
                         ::testing::Values(SilentCase{"Silent", 0, {}, 20},
                                           SilentCase{"AnswerTooLate", 20, "ZUVO v4.12\r\n", 20},
                                           SilentCase{"WrongVersion", 0, "ZUVO v3.1\r\n", 20 - 11},
                                           SilentCase{"FourAfterTwentyBytes", 0,
                                                      "xxxxxxxxxxxxxxxxxxxv4", 0}),
                         Test::CaseName());

TEST_F(ConversationTest, DebugPortDetectionInBothWordings)
{
    {
        Conversation &c = opened();
        port.silence(1);
        port.arrive("\r\nzuvo>");
        EXPECT_TRUE(c.detectDebugPort(DebugWording::Zuvo));
        EXPECT_EQ(port.written, "\n");
        EXPECT_EQ(log, QStringLiteral("Verifying ZUVO is present\r\n") + dots(1 + 7) +
                           QStringLiteral("\r\nZUVO detected\r\n"));
    }
    port.written.clear();
    log.clear();
    {
        Conversation &c = opened();
        port.arrive("\r\nzuvo>");
        EXPECT_TRUE(c.detectDebugPort(DebugWording::Device));
        EXPECT_EQ(port.written, "\r");
        EXPECT_EQ(log, QStringLiteral("Verifying device is present\r\n") + dots(7) +
                           QStringLiteral("\r\nDevice detected\r\n"));
    }
    log.clear();
    {
        Conversation &c = opened();
        EXPECT_FALSE(c.detectDebugPort(DebugWording::Device));
        EXPECT_EQ(log,
                  QStringLiteral("Verifying device is present\r\n") + dots(20) + deviceNotDetected);
        EXPECT_FALSE(port.isOpen());
    }
    log.clear();
    {
        Conversation &c = opened();
        EXPECT_FALSE(c.detectDebugPort(DebugWording::Zuvo));
        EXPECT_EQ(log,
                  QStringLiteral("Verifying ZUVO is present\r\n") + dots(20) + zuvoNotDetected);
    }
}

TEST_F(ConversationTest, BootMonitorDetectionComparesOnlyTheByteJustRead)
{
    Conversation &c = opened();
    // A long banner: more than 20 reads before the ">".
    const QByteArray banner = "ZUVO boot monitor rev 2.7 (c)\r\n";
    port.arrive(banner + ">");
    port.arrive("rest");

    EXPECT_TRUE(c.detectBootMonitor());
    EXPECT_EQ(port.written, "V#");
    EXPECT_EQ(log, QStringLiteral("Verifying device is present\r\n") +
                       dots(int(banner.size()) + 1) + QStringLiteral("\r\nDevice detected\r\n"));
    EXPECT_EQ(port.incoming.size(), 4u) << "no drain after the boot-monitor detection";
    EXPECT_TRUE(port.isOpen());
}

TEST_F(ConversationTest, BootMonitorNotDetectedAfterFortyReads)
{
    Conversation &c = opened();
    port.silence(40);
    port.arrive(">");
    EXPECT_FALSE(c.detectBootMonitor());
    EXPECT_EQ(log,
              QStringLiteral("Verifying device is present\r\n") + dots(40) + deviceNotDetected);
    EXPECT_FALSE(port.isOpen());
}

TEST_F(ConversationTest, DrainStopsAtSilenceOrAfterItsLimit)
{
    Conversation &c = opened();
    port.arrive("abc");
    port.silence(1);
    port.arrive("d");
    c.drainInput();
    EXPECT_EQ(port.incoming.size(), 1u);

    port.incoming.clear();
    port.arrive(QByteArray(Conversation::MaxDrainBytes + 10, 'x'));
    c.drainInput();
    EXPECT_EQ(port.incoming.size(), 10u) << "a babbling line must not hold the command";
}

TEST_F(ConversationTest, AcknowledgementRules)
{
    Conversation &c = opened();
    std::uint8_t answer = 0xAA;
    port.arrive(QByteArray(1, char(ControlByte::Ack)));
    EXPECT_TRUE(c.readAck(&answer));
    EXPECT_EQ(answer, ControlByte::Ack);
    port.arrive(QByteArray(1, char(ControlByte::Nak)));
    EXPECT_FALSE(c.readAck(&answer));
    EXPECT_EQ(answer, ControlByte::Nak);
    EXPECT_FALSE(c.readAck(&answer));
    EXPECT_EQ(answer, 0) << "nothing came";

    port.arrive("erasing...\r\n>");
    EXPECT_TRUE(c.waitForByte('>', 50, &answer));
    EXPECT_EQ(answer, '>');
    port.arrive("busy");
    const int readsBefore = port.reads;
    EXPECT_FALSE(c.waitForByte('>', 50, &answer));
    EXPECT_EQ(answer, 0);
    EXPECT_EQ(port.reads - readsBefore, 50);

    port.arrive("ok\r\nzu");
    port.silence(2);
    port.arrive("vo>");
    EXPECT_TRUE(c.waitForText("zuvo>", 1024));
    port.arrive("zuvo");
    EXPECT_FALSE(c.waitForText("zuvo>", 1024));
}

TEST_F(ConversationTest, EndingTheConversationClosesThePort)
{
    {
        ConversationHooks hooks;
        Conversation c(port, QStringLiteral("com1"), hooks);
        ASSERT_TRUE(c.openPortLogged(9600)) << "empty hooks are allowed";
    }
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(port.closes, 1);
}

TEST_F(ConversationTest, TestComWritesTheGreetingPaced)
{
    LinkTiming timing = port.timing();
    timing.paceMs = 20;
    port.setTiming(timing);

    EXPECT_TRUE(testCom(conversation(), 9600));
    EXPECT_EQ(port.written, "Hello there!");
    EXPECT_EQ(port.pacedMs, 12 * 20);
    EXPECT_EQ(port.reads, 0);
    EXPECT_FALSE(port.isOpen());
    EXPECT_TRUE(log.isEmpty());
}

TEST_F(ConversationTest, TestComOnAMissingPortShowsTheBox)
{
    port.openSucceeds = false;
    EXPECT_FALSE(testCom(conversation(QString()), 9600));
    EXPECT_EQ(boxes, std::vector<BoxMessage>{appBox("OpenPort failed")});
    EXPECT_TRUE(port.written.isEmpty());
}

TEST_F(ConversationTest, TestComReportsALostLine)
{
    port.peer = [](ScriptedPort &p, const QByteArray &written) {
        if (written.size() == 5)
            p.loseLine();
    };
    EXPECT_FALSE(testCom(conversation(), 9600));
    EXPECT_EQ(port.written, "Hello");
}

TEST_F(ConversationTest, OpeningSetsTheReadTimeoutOfTheLinkTiming)
{
    LinkTiming timing = port.timing();
    timing.readTimeoutMs = 250;
    port.setTiming(timing);
    EXPECT_TRUE(conversation().openPortLogged(9600));
    EXPECT_EQ(port.readTimeout, 250);
}

TEST_F(ConversationTest, StopEndsTheDetectionAtTheNextReadWithThePortClosed)
{
    Conversation &c = opened();
    stopWhen = [this] { return port.reads >= 3; };
    EXPECT_FALSE(c.detectBoard());
    EXPECT_EQ(log, QStringLiteral("Verifying ZUVO is present\r\n") + dots(3) +
                       QStringLiteral("\r\n* Stopped *"));
    EXPECT_EQ(port.reads, 3);
    EXPECT_FALSE(port.isOpen());

    // Asking again neither logs again nor reopens anything.
    EXPECT_TRUE(c.stopIfRequested());
    EXPECT_FALSE(c.openPortLogged(9600));
    EXPECT_EQ(log, QStringLiteral("Verifying ZUVO is present\r\n") + dots(3) +
                       QStringLiteral("\r\n* Stopped *"));
    EXPECT_EQ(port.openedNames.size(), 1);
}

TEST_F(ConversationTest, StopBeforeOpeningOpensNothing)
{
    stopWhen = [] { return true; };
    EXPECT_FALSE(conversation().openPortLogged(9600));
    EXPECT_EQ(log, QStringLiteral("* Stopped *")) << "a line of its own, nothing before it";
    EXPECT_TRUE(port.openedNames.isEmpty());
}

TEST_F(ConversationTest, StopReachesThePortWhileTheConversationLives)
{
    LinkTiming timing = port.timing();
    timing.paceMs = 20;
    port.setTiming(timing);
    Conversation &c = opened();
    stopWhen = [this] { return port.written.size() >= 4; };
    EXPECT_FALSE(c.port().writeString("memory flush 4 1\n"));
    EXPECT_EQ(port.written, "memo") << "the pacing asks the stop hook before each byte";
    EXPECT_TRUE(c.stopIfRequested());
    EXPECT_EQ(log, QStringLiteral("* Stopped *"));
    EXPECT_FALSE(port.isOpen());

    endConversation(); // takes its hook off the port
    ASSERT_TRUE(port.open("com1"));
    EXPECT_TRUE(port.writeString("ok"));
    EXPECT_EQ(port.written, "memook");
}

TEST_F(ConversationTest, ProgressPartsConfirmAndPauseReachTheirHooks)
{
    std::vector<std::pair<int, int>> progress;
    QStringList parts;
    std::vector<BoxMessage> confirmed;
    Conversation c(port, QStringLiteral("com1"),
                   {
                       .progress = [&](int done, int total) { progress.emplace_back(done, total); },
                       .confirm = [&](const BoxMessage &box) { confirmed.push_back(box); },
                       .partStarted =
                           [&](const ProgressCaptions &captions, int total) {
                               parts << QStringLiteral("%1|%2|%3")
                                            .arg(captions.fileLine, captions.portLine)
                                            .arg(total);
                           },
                       .partEnded = [&] { parts << QStringLiteral("end"); },
                   });
    c.reportProgress(0, 3);
    c.reportProgress(4, 3);
    c.startPart({QStringLiteral("Downloading Config: a.zvc"), QStringLiteral("on com1")}, 100);
    c.endPart();
    c.confirm(appBox("Download Complete"));
    c.pause(100);
    EXPECT_EQ(progress, (std::vector<std::pair<int, int>>{{0, 3}, {4, 3}, {0, 100}}))
        << "a part starts at 0 of its total";
    EXPECT_EQ(parts, (QStringList{QStringLiteral("Downloading Config: a.zvc|on com1|100"),
                                  QStringLiteral("end")}));
    EXPECT_EQ(confirmed, std::vector<BoxMessage>{appBox("Download Complete")});
    EXPECT_EQ(port.now, 100) << "pauses run on the port's clock";

    Conversation quiet(port, QStringLiteral("com1"), {});
    quiet.reportProgress(1, 1);
    quiet.startPart({}, 1);
    quiet.endPart();
    quiet.confirm(appBox("Download Complete")); // without a hook: confirmed at once
}
