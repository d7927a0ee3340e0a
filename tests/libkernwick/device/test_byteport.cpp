#include "libkernwick/device/boardprotocol.h"
#include "libkernwick/device/xmodem.h"
#include "namedcase.h"
#include "scriptedport.h"

#include <gtest/gtest.h>

#include <vector>

using namespace Kernwick;
using Kernwick::Test::ScriptedPort;

namespace {

// One answer of the peer: `silentReads` time-outs, then `bytes` (possibly none).
struct Answer
{
    int silentReads = 0;
    QByteArray bytes;
};

const QByteArray ack(1, char(ControlByte::Ack));
const QByteArray nak(1, char(ControlByte::Nak));

// Answers each completed packet (or each EOT) with the next scripted answer; once
// the script is used up the peer stays silent.
void answerEach(ScriptedPort &port, std::vector<Answer> script, bool afterEot)
{
    port.peer = [script = std::move(script), afterEot,
                 next = std::size_t(0)](ScriptedPort &p, const QByteArray &written) mutable {
        const bool complete = afterEot ? written.endsWith(char(ControlByte::Eot))
                                       : written.size() % Xmodem::PacketSize == 0;
        if (!complete || next >= script.size())
            return;
        const Answer &a = script[next++];
        p.silence(a.silentReads);
        p.arrive(a.bytes);
    };
}

QByteArray sampleData(int size)
{
    QByteArray data;
    for (int i = 0; i < size; ++i)
        data.append(char((i * 7 + 3) & 0xFF));
    return data;
}

} // namespace

TEST(XmodemCrc, MatchesTheStandardCheckValues)
{
    EXPECT_EQ(Xmodem::crc16("123456789"), 0x31C3);
    EXPECT_EQ(Xmodem::crc16(QByteArray(128, '\0')), 0x0000);
    EXPECT_EQ(Xmodem::crc16("A"), 0x58E5);
}

TEST(XmodemPacket, FramesNumberComplementPaddedDataAndCrc)
{
    const struct
    {
        int number;
        int complement;
    } numbers[] = {{1, 0xFE}, {0, 0xFF}, {255, 0x00}, {256 % 256, 0xFF}, {257 % 256, 0xFE}};
    const QByteArray data = sampleData(44);
    QByteArray padded = data + QByteArray(128 - 44, char(Xmodem::Padding));
    const std::uint16_t crc = Xmodem::crc16(padded);
    for (const auto &n : numbers) {
        const QByteArray p = Xmodem::packet(std::uint8_t(n.number), data);
        ASSERT_EQ(p.size(), Xmodem::PacketSize);
        EXPECT_EQ(std::uint8_t(p[0]), ControlByte::Soh);
        EXPECT_EQ(std::uint8_t(p[1]), n.number);
        EXPECT_EQ(std::uint8_t(p[2]), n.complement);
        EXPECT_EQ(p.mid(3, 128), padded);
        EXPECT_EQ(std::uint8_t(p[131]), crc >> 8);
        EXPECT_EQ(std::uint8_t(p[132]), crc & 0xFF);
    }
}

struct BlockCase : Test::NamedCase
{
    std::vector<Answer> answers;
    bool acknowledged;
    int transmissions;
};

class SendBlock : public ::testing::TestWithParam<BlockCase>
{
};

TEST_P(SendBlock, RetransmitsUntilAcknowledgedOrTwentyOneTimes)
{
    const BlockCase &c = GetParam();
    ScriptedPort port;
    ASSERT_TRUE(port.open("com1"));
    answerEach(port, c.answers, false);
    const QByteArray data = sampleData(128);

    EXPECT_EQ(port.sendBlock(7, data), c.acknowledged);
    EXPECT_EQ(port.written, Xmodem::packet(7, data).repeated(c.transmissions));
    EXPECT_EQ(port.pacedMs, 0) << "blocks are not paced";
}

static std::vector<Answer> naks(int n, const QByteArray &then = {})
{
    std::vector<Answer> answers(std::size_t(n), Answer{0, nak});
    if (!then.isEmpty())
        answers.push_back({0, then});
    return answers;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SendBlock,
    ::testing::Values(BlockCase{"AckAtOnce", {{0, ack}}, true, 1},
                      BlockCase{"CCountsAsAck", {{0, "C"}}, true, 1},
                      BlockCase{"TwentyNaksThenAck", naks(20, ack), true, 21},
                      BlockCase{"TwentyOneNaksFail", naks(21, ack), false, 21},
                      BlockCase{"SilenceIsRetried", {{1, {}}, {1, {}}, {0, ack}}, true, 3},
                      BlockCase{"OtherByteIsRetried", {{0, "x"}, {0, ack}}, true, 2},
                      BlockCase{"SilentPeerFails", {}, false, 21}),
    Test::CaseName());

TEST(SendBlock, ShortDataIsPaddedAndOversizedDataRefused)
{
    ScriptedPort port;
    ASSERT_TRUE(port.open("com1"));
    answerEach(port, {{0, ack}}, false);
    EXPECT_TRUE(port.sendBlock(3, "abc"));
    EXPECT_EQ(port.written.mid(3, 128), "abc" + QByteArray(125, char(Xmodem::Padding)));

    port.written.clear();
    EXPECT_FALSE(port.sendBlock(4, sampleData(129)));
    EXPECT_TRUE(port.written.isEmpty());
}

struct EotCase : Test::NamedCase
{
    std::vector<Answer> answers;
    EotEnding ending;
    int eots;
    std::uint8_t answer = 0; ///< the byte that ended the wait, for Answered
};

class SendEot : public ::testing::TestWithParam<EotCase>
{
};

TEST_P(SendEot, WaitsForTheAnswerAndRepeatsAfterNak)
{
    const EotCase &c = GetParam();
    ScriptedPort port;
    ASSERT_TRUE(port.open("com1"));
    answerEach(port, c.answers, true);

    const EotResult result = port.sendEot();
    EXPECT_EQ(result.ending, c.ending);
    EXPECT_EQ(result.answer, c.answer);
    EXPECT_TRUE(result.accepted()) << "every block was acknowledged";
    EXPECT_EQ(result.confirmed(), c.ending == EotEnding::Answered);
    EXPECT_EQ(port.written, QByteArray(c.eots, char(ControlByte::Eot)));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SendEot,
    ::testing::Values(
        EotCase{"AckAtOnce", {{0, ack}}, EotEnding::Answered, 1, ControlByte::Ack},
        EotCase{"NakThenAck", {{0, nak}, {0, ack}}, EotEnding::Answered, 2, ControlByte::Ack},
        // One read time-out of silence is the whole wait: a late answer is not waited for.
        EotCase{"SilenceTakenAsTheEnd", {}, EotEnding::Silent, 1},
        EotCase{"AckAfterTheWaitIsTooLate", {{1, ack}}, EotEnding::Silent, 1},
        EotCase{"NakThenSilence", {{0, nak}, {3, ack}}, EotEnding::Silent, 2},
        // A boot monitor that prints text after the transfer has taken the EOT: the
        // first byte that is not NAK ends the wait, nothing more is sent.
        EotCase{"OtherByteEndsTheWaitAtOnce", {{0, "xC" + ack}}, EotEnding::Answered, 1, 'x'},
        EotCase{"MonitorTextAfterNak", {{0, nak}, {0, "\r\n>"}}, EotEnding::Answered, 2, '\r'},
        EotCase{"RefusedEveryTime",
                std::vector<Answer>(std::size_t(Xmodem::MaxEotTransmissions + 5), Answer{0, nak}),
                EotEnding::Refused, Xmodem::MaxEotTransmissions, ControlByte::Nak}),
    Test::CaseName());

TEST(SendEot, OtherByteIsNotFollowedByAnotherEot)
{
    ScriptedPort port;
    ASSERT_TRUE(port.open("com1"));
    port.peer = [](ScriptedPort &p, const QByteArray &written) {
        if (written.endsWith(char(ControlByte::Eot)))
            p.arrive("?");
    };
    EXPECT_EQ(port.sendEot().ending, EotEnding::Answered);
    EXPECT_EQ(port.reads, 1) << "the answer ends the wait at once";
    EXPECT_EQ(port.now, 0);
}

TEST(SendEot, SilenceIsWaitedOutForOneReadTimeOut)
{
    ScriptedPort port;
    ASSERT_TRUE(port.open("com1"));
    EXPECT_EQ(port.sendEot().ending, EotEnding::Silent);
    EXPECT_EQ(port.now, Xmodem::EotAnswerWaitMs);
    EXPECT_EQ(port.reads, 1);
}

// A receiver whose NAK comes late each time: no EOT goes out once the first is
// Xmodem::EotRetryLimitMs old, however few have been sent.
TEST(SendEot, NakForeverEndsAfterTheRetryLimit)
{
    ScriptedPort port;
    ASSERT_TRUE(port.open("com1"));
    port.peer = [](ScriptedPort &p, const QByteArray &written) {
        if (written.endsWith(char(ControlByte::Eot))) {
            p.now += 700;
            p.arrive(nak);
        }
    };
    const EotResult result = port.sendEot();
    EXPECT_EQ(result.ending, EotEnding::Refused);
    EXPECT_TRUE(result.accepted());
    EXPECT_FALSE(result.confirmed());
    const int eots = (Xmodem::EotRetryLimitMs + 699) / 700;
    EXPECT_LT(eots, Xmodem::MaxEotTransmissions);
    EXPECT_EQ(port.written, QByteArray(eots, char(ControlByte::Eot)));
    EXPECT_LE(port.now, Xmodem::EotRetryLimitMs + 700);
}

TEST(SendEot, LostLineEndsTheWaitAsFailure)
{
    ScriptedPort port;
    ASSERT_TRUE(port.open("com1"));
    port.peer = [](ScriptedPort &p, const QByteArray &) { p.loseLine(); };
    EXPECT_EQ(port.sendEot().ending, EotEnding::LineLost);
    EXPECT_LE(port.reads, 1);
}

TEST(WriteString, WaitsThePacingBeforeEachByte)
{
    ScriptedPort port;
    ASSERT_TRUE(port.open("com1"));
    LinkTiming timing = port.timing();
    timing.paceMs = 20;
    std::vector<qsizetype> writtenAtSleep;
    timing.sleep = [&](int ms) {
        EXPECT_EQ(ms, 20);
        writtenAtSleep.push_back(port.written.size());
    };
    port.setTiming(timing);

    EXPECT_TRUE(port.writeString("\x1b[1}"));
    EXPECT_EQ(port.written, "\x1b[1}");
    EXPECT_EQ(writtenAtSleep, (std::vector<qsizetype>{0, 1, 2, 3}));

    writtenAtSleep.clear();
    EXPECT_TRUE(port.writeString(""));
    EXPECT_TRUE(writtenAtSleep.empty());
}

TEST(ClosedPort, EveryTransferFailsWithoutEffect)
{
    ScriptedPort port;
    LinkTiming timing = port.timing();
    timing.paceMs = 20;
    port.setTiming(timing);

    EXPECT_FALSE(port.writeString("Hello"));
    EXPECT_FALSE(port.sendBlock(1, sampleData(128)));
    EXPECT_EQ(port.sendEot().ending, EotEnding::LineLost);
    std::uint8_t byte = 0xAA;
    EXPECT_FALSE(port.readByte(&byte));
    EXPECT_EQ(byte, 0);
    EXPECT_TRUE(port.written.isEmpty());
    EXPECT_EQ(port.pacedMs, 0);
}

// The stop check ends the paced text, the block repeats and the EOT wait at the next
// byte, transmission or read, so a user never waits for a whole command or transfer.
TEST(StopCheck, EndsPacingBlockRepeatsAndTheEotWait)
{
    ScriptedPort port;
    ASSERT_TRUE(port.open("com1"));
    LinkTiming timing = port.timing();
    timing.paceMs = 20;
    port.setTiming(timing);

    port.setStopCheck([&port] { return port.written.size() >= 3; });
    EXPECT_FALSE(port.writeString("memory erase 4 0\n"));
    EXPECT_EQ(port.written, "mem");
    EXPECT_EQ(port.pacedMs, 3 * 20);

    port.written.clear();
    port.setStopCheck([&port] { return port.written.size() >= 2 * Xmodem::PacketSize; });
    EXPECT_FALSE(port.sendBlock(1, sampleData(128))) << "the peer is silent";
    EXPECT_EQ(port.written.size(), 2 * Xmodem::PacketSize);

    port.written.clear();
    const qint64 start = port.now;
    port.setStopCheck([&port] { return !port.written.isEmpty(); });
    EXPECT_EQ(port.sendEot().ending, EotEnding::Stopped);
    EXPECT_EQ(port.written, QByteArray(1, char(ControlByte::Eot)));
    EXPECT_EQ(port.now - start, ScriptedPort::ReadTimeoutMs) << "stopped after the first read";

    port.setStopCheck({});
    port.written.clear();
    EXPECT_TRUE(port.writeString("ok"));
    EXPECT_EQ(port.written, "ok");
}

// A stop in paced text takes effect only where the board is between commands: the
// escape command, console line or monitor command under way is finished first, and
// an open string frame is closed (ESC "\") at once.
struct SafeStopCase : Test::NamedCase
{
    WireDialect dialect;
    QByteArray before; ///< written without pacing before the text
    QByteArray text;
    int stopAfter; ///< bytes of `text` written when the stop is asked
    QByteArray written;
};

class SafeStop : public ::testing::TestWithParam<SafeStopCase>
{
};

TEST_P(SafeStop, WaitsForTheEndOfTheCommandOrClosesTheFrame)
{
    const SafeStopCase &c = GetParam();
    ScriptedPort port;
    ASSERT_TRUE(port.open("com1"));
    port.setDialect(c.dialect);
    ASSERT_TRUE(port.writeBytes(c.before));
    const qsizetype start = port.written.size();
    port.setStopCheck([&] { return port.written.size() - start >= c.stopAfter; });
    EXPECT_FALSE(port.writeString(c.text));
    port.closeOpenFrame();
    EXPECT_EQ(port.written.mid(start), c.written);
    EXPECT_TRUE(port.betweenCommands());
    EXPECT_FALSE(port.frameOpen());
}

INSTANTIATE_TEST_SUITE_P(Cases, SafeStop,
                         ::testing::Values(SafeStopCase{"MainPortCommandIsFinished",
                                                        WireDialect::MainPort,
                                                        {},
                                                        "\x1b[9;3v\x1b[10;4v",
                                                        3,
                                                        "\x1b[9;3v"},
                                           SafeStopCase{"MainPortStopsBeforeTheNextCommand",
                                                        WireDialect::MainPort,
                                                        {},
                                                        "\x1b[9;3v\x1b[10;4v",
                                                        6,
                                                        "\x1b[9;3v"},
                                           SafeStopCase{"FrameIsClosed", WireDialect::MainPort,
                                                        "\x1bX", "abcdef", 3, "abc\x1b\\"},
                                           SafeStopCase{"FrameAfterItsEscIsClosedWithTheBackslash",
                                                        WireDialect::MainPort, "\x1bX", "ab\x1bxy",
                                                        3, "ab\x1b\\"},
                                           SafeStopCase{"ConsoleLineIsFinished",
                                                        WireDialect::Console,
                                                        {},
                                                        "memory erase 4 0\nmemory flush 4 1\n",
                                                        3,
                                                        "memory erase 4 0\n"},
                                           SafeStopCase{"MonitorCommandIsFinished",
                                                        WireDialect::BootMonitor,
                                                        {},
                                                        "S104000,#V#",
                                                        2,
                                                        "S104000,#"}),
                         Test::CaseName());

TEST(SafeStop, ClosingAnOpenTransferCancelsIt)
{
    ScriptedPort port;
    ASSERT_TRUE(port.open("com1"));
    port.setDialect(WireDialect::BootMonitor);
    port.peer = [](ScriptedPort &p, const QByteArray &written) {
        if (written.size() % Xmodem::PacketSize == 0)
            p.arrive(ack);
    };
    ASSERT_TRUE(port.sendBlock(1, sampleData(128)));
    EXPECT_TRUE(port.frameOpen());
    port.written.clear();
    port.closeOpenFrame();
    EXPECT_EQ(port.written, QByteArray(2, char(Xmodem::Cancel)));
    EXPECT_FALSE(port.frameOpen());

    port.written.clear();
    port.closeOpenFrame();
    EXPECT_TRUE(port.written.isEmpty()) << "nothing is open any more";
}
