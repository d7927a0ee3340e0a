// The simulated board fed with byte streams and a fake clock: every dialect's
// requests and answers, chunk decoding and checks, XMODEM-CRC receive, the
// configuration and boot script, the recorded state files and the faults.

#include "board.h"
#include "boardcodec.h"
#include "namedcase.h"
#include "qtprinters.h"
#include "randombytes.h"
#include "simoptions.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <random>

using namespace Kernwick::Sim;
using namespace std::chrono_literals;

using Kernwick::Test::randomBytes;

namespace {

const QByteArray Ack(1, '\x06');
const QByteArray Nak(1, '\x15');
const QByteArray Prompt = "\r\nzuvo>";

// A plain ASCII85 writer for test data, independent of the board's reader.
QByteArray encode85(QByteArrayView bytes)
{
    QByteArray out;
    for (qsizetype at = 0; at < bytes.size(); at += 4) {
        const int n = int(std::min<qsizetype>(4, bytes.size() - at));
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v = (v << 8) | (i < n ? std::uint8_t(bytes[at + i]) : 0u);
        if (n == 4 && v == 0) {
            out += 'z';
            continue;
        }
        char digits[5];
        for (int i = 4; i >= 0; --i) {
            digits[i] = char(v % 85 + 33);
            v /= 85;
        }
        out.append(digits, n + 1);
    }
    return out;
}

QByteArray mainCommit(int device, qint64 offset, QByteArrayView bytes)
{
    return "\x1bX" + encode85(bytes) + "\x1b\\" +
           QStringLiteral("\x1b[91;%1;%2;%3|")
               .arg(device)
               .arg(offset)
               .arg(chunkChecksum(bytes))
               .toLatin1();
}

QByteArray packet(std::uint8_t number, QByteArrayView data, int crcError = 0,
                  int complementError = 0)
{
    QByteArray p;
    p += '\x01';
    p += char(number);
    p += char(std::uint8_t(~number) ^ complementError);
    p += data;
    const std::uint16_t crc = std::uint16_t(crc16Xmodem(data) ^ crcError);
    p += char(crc >> 8);
    p += char(crc & 0xFF);
    return p;
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// The events about unfinished input since the last call.
QStringList unfinished(Board &board)
{
    QStringList texts;
    for (const BoardEvent &e : board.takeEvents()) {
        if (e.text.startsWith("unfinished"))
            texts.append(e.text);
    }
    return texts;
}

// A board with a fake clock; every call returns the answers it produced.
class Rig
{
public:
    explicit Rig(Interface start, BoardFaults faults = {}, const QString &state = {})
        : board(start, std::move(faults), state)
    {
    }

    QByteArray send(QByteArrayView bytes)
    {
        board.receive(bytes, now);
        return answers();
    }
    QByteArray wait(std::chrono::milliseconds step)
    {
        now += step;
        board.tick(now);
        return answers();
    }
    QByteArray answers()
    {
        QByteArray all;
        for (const QByteArray &a : board.takeAnswers())
            all += a;
        return all;
    }

    Board board;
    Clock::time_point now = Clock::time_point{} + 1h;
};

} // namespace

// ---- Chunk text and checksums ----------------------------------------------

TEST(BoardCodec, KnownChunksDecodeAndSum)
{
    struct Vector
    {
        QByteArray bytes;
        QByteArray text;
        std::uint32_t checksum;
    };
    const Vector vectors[] = {
        {QByteArray(256, '\0'), QByteArray(64, 'z'), 176294500u},
        {"abc", QByteArray("\x40\x3a\x45\x5e"), 1457543324u}, // codes 64, 58, 69, 94
        {QByteArray(1, '\0'), "!!", 0x757DF59Cu},
        {QByteArray(4, '\xff'), "s8W-!", (0xFFFFFFFFu + 0x757DF59Cu) & 0x7FFFFFFFu},
    };
    for (const Vector &v : vectors) {
        SCOPED_TRACE(v.text.toStdString());
        EXPECT_EQ(encode85(v.bytes), v.text);
        const auto decoded = decodeAscii85(v.text);
        ASSERT_TRUE(decoded);
        EXPECT_EQ(*decoded, v.bytes);
        EXPECT_EQ(chunkChecksum(v.bytes), v.checksum);
    }
}

TEST(BoardCodec, EveryChunkLengthRoundTrips)
{
    for (int size = 1; size <= 256; ++size) {
        QByteArray bytes = randomBytes(size, unsigned(size));
        if (size % 3 == 0)
            bytes.replace(0, std::min(size, 8), QByteArray(std::min(size, 8), '\0'));
        const auto decoded = decodeAscii85(encode85(bytes));
        ASSERT_TRUE(decoded) << size;
        EXPECT_EQ(*decoded, bytes) << size;
        EXPECT_LT(chunkChecksum(bytes), 0x80000000u);
    }
}

TEST(BoardCodec, RefusesMalformedText)
{
    const char *const bad[] = {
        "!",        // a lone final digit stands for no byte
        "z!",       // the same after a zero group
        "!z!!!",    // "z" inside a group
        "s8W-\"",   // 2^32, one above the largest group
        "!!!! !!!", // white space
        "vvvvv",    // beyond the last digit "u"
        "!!~>",     // an end marker the board does not use
    };
    for (const char *text : bad)
        EXPECT_FALSE(decodeAscii85(text)) << text;
    EXPECT_EQ(decodeAscii85(""), QByteArray());
}

TEST(BoardCodec, XmodemCrc)
{
    EXPECT_EQ(crc16Xmodem("123456789"), 0x31C3);
    EXPECT_EQ(crc16Xmodem(QByteArray(128, '\0')), 0);
    EXPECT_EQ(crc16Xmodem("A"), 0x58E5);
}

// ---- Requests and answers of each dialect ------------------------------------

struct Exchange : Kernwick::Test::NamedCase
{
    Interface start;
    QByteArray input;
    QByteArray answer;
    Interface after;
};

class BoardExchange : public ::testing::TestWithParam<Exchange>
{
};

TEST_P(BoardExchange, AnswersExactly)
{
    const Exchange &e = GetParam();
    Rig rig(e.start);
    EXPECT_EQ(rig.send(e.input), e.answer);
    EXPECT_EQ(rig.board.interface(), e.after);
}

constexpr Interface Main = Interface::MainPort;
constexpr Interface Debug = Interface::DebugConsole;
constexpr Interface Monitor = Interface::BootMonitor;

INSTANTIATE_TEST_SUITE_P(
    Dialects, BoardExchange,
    ::testing::Values(
        Exchange{"Identify", Main, "\x1b[1}", "ZUVO v4.12\r\n", Main},
        Exchange{"IdentifyAfterText", Main, "hello\r\n\x1b[1}", "ZUVO v4.12\r\n", Main},
        Exchange{"ResyncOnEsc", Main, "\x1b[9\x1b\x1b[1}", "ZUVO v4.12\r\n", Main},
        Exchange{"CanCancels", Main, "\x1b[1\x18}", "", Main},
        Exchange{"OtherQuery", Main, "\x1b[2}", "", Main},
        Exchange{"Erase", Main, "\x1b[93;4;0|", Ack, Main},
        Exchange{"EraseNoDevice", Main, "\x1b[93;5;0|", Nak, Main},
        Exchange{"EraseNegative", Main, "\x1b[93;<1;0|", Nak, Main},
        Exchange{"EraseShort", Main, "\x1b[93;4|", Nak, Main},
        Exchange{"Flush", Main, "\x1b[92;0;1|", Ack, Main},
        Exchange{"CommitNothingStaged", Main, "\x1b[91;4;0;176294500|", Nak, Main},
        Exchange{"Parameter", Main, "\x1b[24;<20v", "", Main},
        Exchange{"UnknownSequence", Main, "\x1b[2J\x1b[0m", "", Main},
        Exchange{"Reset", Main, "\x1b[8265;1|", "", Monitor},
        Exchange{"ResetThenIdentify", Main, "\x1b[8265;1|V#", "ZUVO boot monitor\r\n>", Monitor},
        Exchange{"ConsoleCr", Debug, "\r", Prompt, Debug},
        Exchange{"ConsoleLf", Debug, "\n", Prompt, Debug},
        Exchange{"ConsoleCrLf", Debug, "\r\n", Prompt, Debug},
        Exchange{"ConsoleErase", Debug, "memory erase 4 0\n", Prompt, Debug},
        Exchange{"ConsoleEraseNoDevice", Debug, "memory erase 7 0\n", "error\r\n", Debug},
        Exchange{"ConsoleFlush", Debug, "memory flush 4 1\n", Prompt, Debug},
        Exchange{"ConsoleFlushShort", Debug, "memory flush\n", "error\r\n", Debug},
        Exchange{"ConsoleStr", Debug, "str 9jqo^\n", Prompt, Debug},
        Exchange{"ConsoleWriteNothing", Debug, "memory write 4 0 1\n", "error\r\nzuvo>", Debug},
        Exchange{"ConsoleUnknown", Debug, "help me\n", "unknown command\r\nzuvo>", Debug},
        Exchange{"ConsoleReset", Debug, "reset x\n", "\r\nreset for download (boot monitor)",
                 Monitor},
        Exchange{"MonitorIdentify", Monitor, "V#", "ZUVO boot monitor\r\n>", Monitor},
        Exchange{"MonitorIdentifyAfterNoise", Monitor, "junk\r\nV#", "ZUVO boot monitor\r\n>",
                 Monitor},
        Exchange{"MonitorReceive", Monitor, "S104000,#", "C", Monitor},
        Exchange{"MonitorUnknown", Monitor, "xyz#", "?\r\n>", Monitor},
        Exchange{"MonitorStartFirmware", Monitor, "g#", "", Main}),
    Kernwick::Test::CaseName());

TEST(Board, WrongIdentificationFault)
{
    BoardFaults faults;
    faults.wrongId = true;
    Rig rig(Main, faults);
    const QByteArray id = rig.send("\x1b[1}");
    EXPECT_EQ(id, "ZUVO v3.1\r\n");
    EXPECT_FALSE(id.contains("v4"));
}

TEST(Board, ResetAndStartReturnToTheResettingInterface)
{
    Rig debug(Debug);
    debug.send("reset x\n");
    debug.send("g#");
    EXPECT_EQ(debug.board.interface(), Debug);
    EXPECT_EQ(debug.send("\r"), Prompt);
    EXPECT_EQ(debug.board.firmwareStarts(), 1);

    Rig main(Main);
    main.send("\x1b[8265;1|");
    EXPECT_EQ(main.send("g#\x1b[1}"), "ZUVO v4.12\r\n");
}

// However long the line stays quiet inside a command or frame, its end still
// completes it: the board has no idle limit there.
TEST(BoardUnfinished, CommandsAndFramesStayOpenUntilTheyEnd)
{
    const QByteArray commit = mainCommit(4, 0, "abc");
    const QByteArray script = "\x1bXHi\x1b[2;3H\x1b\\\x1b[8v";
    for (const QByteArray &input : {commit, script}) {
        for (qsizetype split = 1; split < input.size(); ++split) {
            SCOPED_TRACE(readableBytes(input.left(split)).toStdString());
            QTemporaryDir state;
            Rig rig(Main, {}, state.path());
            EXPECT_EQ(rig.send(input.left(split)), "");
            EXPECT_EQ(rig.board.nextDeadline(), std::nullopt);
            EXPECT_EQ(rig.wait(10min), "");
            EXPECT_EQ(rig.send(input.mid(split)), input == commit ? Ack : "");
            if (input == commit)
                EXPECT_EQ(rig.board.device(4), "abc");
            else
                EXPECT_EQ(rig.board.bootScript(), "Hi\x1b[2;3H");
            EXPECT_FALSE(
                readFile(QDir(state.path()).filePath("events.log")).contains("unfinished"));
        }
    }
}

TEST(BoardUnfinished, IdleDropOnlyWhenAsked)
{
    BoardFaults faults;
    faults.idleDrop = 200ms;
    const QByteArray commit = mainCommit(4, 0, "abc");
    const qsizetype inFrame = 4;                     // ESC X and two digits
    const qsizetype inCommand = commit.indexOf(';'); // ESC[91
    Rig rig(Main, faults);

    // A pause shorter than the limit keeps the frame.
    rig.send(commit.left(inFrame));
    EXPECT_EQ(rig.board.nextDeadline(), rig.now + 200ms);
    EXPECT_EQ(rig.wait(199ms), "");
    EXPECT_EQ(rig.send(commit.mid(inFrame)), Ack);
    EXPECT_TRUE(unfinished(rig.board).isEmpty());

    // As long as the limit drops it; its end then finds no frame to end.
    rig.send(commit.left(inFrame));
    rig.wait(200ms);
    EXPECT_EQ(unfinished(rig.board),
              QStringList{"unfinished string frame (2 bytes) dropped after 200 ms of silence"});
    EXPECT_EQ(rig.board.nextDeadline(), std::nullopt);
    EXPECT_EQ(rig.send(commit.mid(inFrame)), Nak);

    // A command's remainder is plain text once the command is dropped.
    rig.send(commit.left(inCommand));
    rig.wait(1s);
    EXPECT_EQ(unfinished(rig.board),
              QStringList{"unfinished escape command \"ESC[91\" dropped after 200 ms of silence"});
    EXPECT_EQ(rig.send(commit.mid(inCommand)), "");
    EXPECT_EQ(rig.board.device(4), "abc");
}

// Every command, frame or console line cut short or left open is in the event
// log, and a complete one never is.
TEST(BoardUnfinished, CutAndOpenInputIsLogged)
{
    struct Case
    {
        const char *name;
        Interface start;
        QByteArray input;
        QStringList events; // "unfinished" events, the last from reportUnfinished()
    };
    const QString closed = QStringLiteral("when the line was closed");
    const Case cases[] = {
        {"command cut by ESC",
         Main,
         "\x1b[9;1\x1b[1}",
         {"unfinished escape command \"ESC[9;1\" cut by ESC"}},
        {"command cut by CAN",
         Main,
         "\x1b[93;4\x18;0|",
         {"unfinished escape command \"ESC[93;4\" cut by CAN"}},
        {"command cut by a control byte",
         Main,
         "\x1b[1\n}",
         {"unfinished escape command \"ESC[1\" cut by \\x0a"}},
        {"frame cut by SUB", Main, "\x1bXab\x1a", {"unfinished string frame (2 bytes) cut by SUB"}},
        {"frame holding ESC [ left open",
         Main,
         "\x1bXab\x1b[1}",
         {"unfinished string frame (6 bytes) left open when the line was closed"}},
        {"command left open",
         Main,
         "\x1b[91;4;0",
         {"unfinished escape command \"ESC[91;4;0\" left open when the line was closed"}},
        {"console line left open",
         Debug,
         "str 9jqo^\nstr abc",
         {"unfinished console line \"str abc\" left open when the line was closed"}},
        {"complete input", Main, "\x1bXab\x1b\\\x1b[1}text\x1b\x1b[2}", {}},
        {"complete console lines", Debug, "str abc\r\nmemory flush 4 1\n", {}},
        {"lone ESC", Main, "\x1b", {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir state;
        Rig rig(c.start, {}, state.path());
        rig.send(c.input);
        rig.board.reportUnfinished(closed);
        EXPECT_EQ(unfinished(rig.board), c.events);
        const QByteArray log = readFile(QDir(state.path()).filePath("events.log"));
        for (const QString &e : c.events)
            EXPECT_TRUE(log.contains(e.toUtf8() + "\n")) << log.toStdString();
        EXPECT_EQ(log.count("unfinished"), c.events.size());
    }
}

// ---- Memory devices ---------------------------------------------------------

TEST(BoardMemory, MainPortStoresChunksAtTheirOffsets)
{
    const QByteArray font = randomBytes(300, 7) + QByteArray(212, '\0') + "tail";
    Rig rig(Main);
    EXPECT_EQ(rig.send("\x1b[93;2;0|"), Ack);
    for (qint64 offset = 0; offset < font.size(); offset += 256)
        EXPECT_EQ(rig.send(mainCommit(2, offset, font.mid(offset, 256))), Ack) << offset;
    EXPECT_EQ(rig.board.device(2), font);
    EXPECT_EQ(rig.board.device(4), QByteArray());

    // Erasing clears the device; a new font may then be shorter.
    EXPECT_EQ(rig.send("\x1b[93;2;0|" + mainCommit(2, 0, "abc")), Ack + Ack);
    EXPECT_EQ(rig.board.device(2), "abc");
}

TEST(BoardMemory, DebugConsoleStoresConcatenatedPieces)
{
    const QByteArray chunk = randomBytes(256, 3);
    const QByteArray text = encode85(chunk);
    Rig rig(Debug);
    for (qsizetype at = 0; at < text.size(); at += 56)
        ASSERT_EQ(rig.send("str " + text.mid(at, 56) + "\n"), Prompt);
    const QByteArray write =
        QStringLiteral("memory write 4 0 %1\n").arg(chunkChecksum(chunk)).toLatin1();
    EXPECT_EQ(rig.send(write), Prompt);
    EXPECT_EQ(rig.board.device(4), chunk);
    // The pieces were used up by the write.
    EXPECT_EQ(rig.send(write), "error\r\nzuvo>");
}

// Every refused commit leaves the device as it was, in both dialects.
TEST(BoardMemory, RefusedChunksStoreNothing)
{
    const QByteArray good = randomBytes(256, 11);
    const QByteArray goodText = encode85(good);
    const std::uint32_t goodSum = chunkChecksum(good);
    struct Refusal
    {
        const char *why;
        QByteArray text;
        qint64 device;
        qint64 offset;
        qint64 checksum;
    };
    const Refusal refusals[] = {
        {"checksum off by one", goodText, 4, 256, goodSum + 1},
        {"checksum with bit 31 set", goodText, 4, 256, qint64(goodSum) | 0x80000000LL},
        {"undecodable text", goodText.left(100) + "~" + goodText.mid(100), 4, 256, goodSum},
        {"lone final digit", goodText + "!", 4, 256, goodSum},
        {"more than 256 bytes", encode85(good + "x"), 4, 256, chunkChecksum(good + "x")},
        {"empty text", "", 4, 256, chunkChecksum("")},
        {"offset not a chunk boundary", goodText, 4, 128, goodSum},
        {"gap after the written bytes", goodText, 4, 512, goodSum},
        {"no such device", goodText, 5, 0, goodSum},
    };
    for (const bool debug : {false, true}) {
        for (const Refusal &r : refusals) {
            SCOPED_TRACE(std::string(r.why) + (debug ? " (console)" : " (main port)"));
            Rig rig(debug ? Debug : Main);
            const QByteArray first = encode85(good);
            if (debug) {
                ASSERT_EQ(rig.send("str " + first + "\nmemory write 4 0 " +
                                   QByteArray::number(goodSum) + "\n"),
                          Prompt + Prompt);
                QByteArray input;
                for (qsizetype at = 0; at < r.text.size(); at += 56)
                    input += "str " + r.text.mid(at, 56) + "\n";
                rig.send(input);
                EXPECT_EQ(rig.send(QStringLiteral("memory write %1 %2 %3\n")
                                       .arg(r.device)
                                       .arg(r.offset)
                                       .arg(r.checksum)
                                       .toLatin1()),
                          "error\r\nzuvo>");
            } else {
                ASSERT_EQ(rig.send(mainCommit(4, 0, good)), Ack);
                EXPECT_EQ(rig.send("\x1bX" + r.text + "\x1b\\" +
                                   QStringLiteral("\x1b[91;%1;%2;%3|")
                                       .arg(r.device)
                                       .arg(r.offset)
                                       .arg(r.checksum)
                                       .toLatin1()),
                          Nak);
            }
            EXPECT_EQ(rig.board.device(4), good);
        }
    }
}

TEST(BoardMemory, NakChunkFaultRefusesTheChosenChunkTimes)
{
    BoardFaults faults;
    faults.nakChunks[1] = 2;
    const QByteArray chunk = randomBytes(256, 5);
    Rig rig(Main, faults);
    EXPECT_EQ(rig.send(mainCommit(4, 0, chunk)), Ack);
    EXPECT_EQ(rig.send(mainCommit(4, 256, chunk)), Nak);
    EXPECT_EQ(rig.send(mainCommit(4, 256, chunk)), Nak);
    EXPECT_EQ(rig.board.device(4).size(), 256);
    EXPECT_EQ(rig.send(mainCommit(4, 256, chunk)), Ack);
    EXPECT_EQ(rig.board.device(4), chunk + chunk);

    BoardFaults always;
    always.nakChunks[0] = -1;
    Rig console(Debug, always);
    const QByteArray write = "str " + encode85("abc") + "\nmemory write 4 0 " +
                             QByteArray::number(chunkChecksum("abc")) + "\n";
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(console.send(write), Prompt + "error\r\nzuvo>");
    EXPECT_EQ(console.board.device(4), QByteArray());
}

TEST(BoardMemory, EraseAndFlushFaults)
{
    BoardFaults faults;
    faults.nakErase = true;
    faults.nakFlush = true;
    Rig main(Main, faults);
    EXPECT_EQ(main.send("\x1b[93;4;0|\x1b[92;4;1|"), Nak + Nak);
    Rig debug(Debug, faults);
    const QByteArray answers = debug.send("memory erase 4 0\nmemory flush 4 1\n");
    EXPECT_EQ(answers, "error\r\nerror\r\n");
    EXPECT_FALSE(answers.contains('>'));
}

// ---- Configuration and boot script -----------------------------------------

TEST(BoardConfig, SaveRecordsParametersAsLastReceived)
{
    QTemporaryDir state;
    Rig rig(Main, {}, state.path());
    const QString file = QDir(state.path()).filePath("config.txt");
    EXPECT_EQ(rig.send("\x1b[30;100000v\x1b[24;<20v\x1b[9;1v\x1b[24;<5v\x1b[58;10v"), "");
    EXPECT_FALSE(QFile::exists(file)); // written when the board saves
    // Ignored: a plain minus, a number beyond 32 bits, numbers outside 9 to 63.
    rig.send("\x1b[26;-5v\x1b[27;4294967296v\x1b[64;1v\x1b[8;1v");
    EXPECT_EQ(rig.send("\x1b[1v"), "");
    EXPECT_EQ(readFile(file), "9=1\n24=-5\n30=100000\n58=10\n");
    const std::map<int, std::int32_t> expected{{9, 1}, {24, -5}, {30, 100000}, {58, 10}};
    EXPECT_EQ(rig.board.config(), expected);
}

TEST(BoardConfig, BootScriptIsThePendingString)
{
    const QByteArray script = "Hello\r\n\x1b[5;5H\x1bQtext\x1bR\x1b\x1b[1v";
    struct Case
    {
        const char *name;
        QByteArray input;
        std::optional<QByteArray> script;
    };
    const Case cases[] = {
        {"download", "\x1bX" + script + "\x1b\\\x1b[8v\x1b[1v", script},
        {"setup bundle", "\x1b[\x1bX" + script + "\x1b\\\x1b[8v\x1b[1v", script},
        {"empty script", "\x1bX\x1b\\\x1b[8v\x1b[1v", QByteArray()},
        {"no string frame", "\x1b[8v\x1b[1v", std::nullopt},
        {"string used by a chunk", "\x1bX!!\x1b\\\x1b[91;4;0;1|\x1b[8v", std::nullopt},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir state;
        Rig rig(Main, {}, state.path());
        rig.send(c.input);
        EXPECT_EQ(rig.board.bootScript(), c.script);
        EXPECT_EQ(readFile(QDir(state.path()).filePath("bootscript.bin")),
                  c.script.value_or("<missing>"));
        EXPECT_EQ(rig.send("\x1b[1}"), "ZUVO v4.12\r\n"); // back in step
    }
}

// ---- XMODEM-CRC receive -----------------------------------------------------

TEST(BoardXmodem, ReceivesBlocksAndRecordsTheImage)
{
    QTemporaryDir state;
    const QByteArray image = randomBytes(3 * 128, 21);
    Rig rig(Monitor, {}, state.path());
    ASSERT_EQ(rig.send("S104000,#"), "C");
    for (int k = 1; k <= 3; ++k)
        EXPECT_EQ(rig.send(packet(std::uint8_t(k), image.mid((k - 1) * 128, 128))), Ack) << k;
    EXPECT_EQ(rig.send("\x04"), Ack);
    EXPECT_EQ(rig.board.firmware(), image);
    EXPECT_EQ(readFile(QDir(state.path()).filePath("firmware.bin")), image);
    EXPECT_EQ(rig.send("g#"), "");
    EXPECT_EQ(rig.board.firmwareStarts(), 1);
    EXPECT_EQ(rig.board.interface(), Main);
}

TEST(BoardXmodem, BadBlocksAreRefusedAndTheTransferRecovers)
{
    const QByteArray one = randomBytes(128, 1);
    const QByteArray two = randomBytes(128, 2);
    struct Case
    {
        const char *name;
        QByteArray bad;
        QByteArray answer;
    };
    const Case cases[] = {
        {"bad CRC", packet(2, two, 0x0100), Nak},
        {"bad CRC low byte", packet(2, two, 0x0001), Nak},
        {"bad complement", packet(2, two, 0, 0x01), Nak},
        {"out of sequence", packet(3, two), Nak},
        {"zero before its turn", packet(0, two), Nak},
        {"duplicate of block 1", packet(1, one), Ack},
        {"block 1 again with other data", packet(1, two), Ack},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig(Monitor);
        rig.send("S104000,#");
        ASSERT_EQ(rig.send(packet(1, one)), Ack);
        EXPECT_EQ(rig.send(c.bad), c.answer);
        EXPECT_EQ(rig.send(packet(2, two)), Ack);
        EXPECT_EQ(rig.send("\x04"), Ack);
        EXPECT_EQ(rig.board.firmware(), one + two);
    }
}

TEST(BoardXmodem, NakBlockFaultAndEmptyTransfer)
{
    BoardFaults faults;
    faults.nakBlocks[2] = 2;
    const QByteArray image = randomBytes(256, 9);
    Rig rig(Monitor, faults);
    rig.send("S104000,#");
    EXPECT_EQ(rig.send(packet(1, image.left(128))), Ack);
    EXPECT_EQ(rig.send(packet(2, image.mid(128))), Nak);
    EXPECT_EQ(rig.send(packet(2, image.mid(128))), Nak);
    EXPECT_EQ(rig.send(packet(2, image.mid(128))), Ack);
    EXPECT_EQ(rig.send("\x04"), Ack);
    EXPECT_EQ(rig.board.firmware(), image);

    // A new transfer without blocks gives an empty image.
    EXPECT_EQ(rig.send("S104000,#\x04"), "C" + Ack);
    EXPECT_EQ(rig.board.firmware(), QByteArray());
}

TEST(BoardXmodem, BlockNumbersWrapAfter255)
{
    const QByteArray image = randomBytes(257 * 128, 4);
    Rig rig(Monitor);
    rig.send("S104000,#");
    QByteArray answers;
    for (int k = 1; k <= 257; ++k)
        answers += rig.send(packet(std::uint8_t(k % 256), image.mid((k - 1) * 128, 128)));
    EXPECT_EQ(answers, QByteArray(257, '\x06'));
    rig.send("\x04");
    EXPECT_EQ(rig.board.firmware(), image);
}

TEST(BoardXmodem, InvitesEveryThreeSecondsThenGivesUp)
{
    Rig rig(Monitor);
    QByteArray invites = rig.send("S104000,#");
    invites += rig.wait(2900ms);
    EXPECT_EQ(invites, "C");
    for (int i = 0; i < 12; ++i)
        invites += rig.wait(3000ms);
    EXPECT_EQ(invites, QByteArray(10, 'C'));
    // Given up: a block is no longer taken, commands are.
    EXPECT_FALSE(rig.send(packet(1, QByteArray(128, 'x'))).contains('\x06'));
    EXPECT_TRUE(rig.send("\rV#").endsWith("ZUVO boot monitor\r\n>"));
}

TEST(BoardXmodem, HalfBlockIsNakedAfterAPauseAndMonitorStillListens)
{
    const QByteArray block = randomBytes(128, 8);
    Rig rig(Monitor);
    rig.send("S104000,#");
    EXPECT_EQ(rig.send(packet(1, block).left(60)), "");
    EXPECT_EQ(rig.wait(Board::BlockIdleLimit), Nak);
    EXPECT_EQ(rig.send(packet(1, block)), Ack);
    // A sender that gave up mid-transfer can start over with the identification.
    EXPECT_EQ(rig.send("V#"), "ZUVO boot monitor\r\n>");
    EXPECT_FALSE(rig.send(packet(2, block)).contains('\x06'));
    EXPECT_FALSE(rig.board.firmware());
}

// ---- Recording and hostile input -------------------------------------------

TEST(BoardState, RecordsWireAndFlushedDevices)
{
    QTemporaryDir state;
    const QDir dir(state.path());
    const QByteArray input = "\x1b[93;1;0|" + mainCommit(1, 0, "font") + "\x1b[92;1;1|";
    {
        Rig rig(Main, {}, state.path());
        rig.send(input.left(5));
        EXPECT_EQ(readFile(dir.filePath("wire.log")), input.left(5)); // readable at once
        EXPECT_EQ(rig.send(input.mid(5)), Ack + Ack + Ack);
        EXPECT_EQ(readFile(dir.filePath("device1.bin")), "font");
        EXPECT_FALSE(QFile::exists(dir.filePath("device4.bin")));
    }
    EXPECT_EQ(readFile(dir.filePath("wire.log")), input);
    EXPECT_TRUE(readFile(dir.filePath("events.log")).contains("device 1 flushed (4 bytes)"));
}

TEST(BoardState, UnwritableStateIsReportedNotFatal)
{
    QTemporaryDir state;
    const QString blocked = QDir(state.path()).filePath("device4.bin");
    ASSERT_TRUE(QDir().mkpath(blocked)); // a folder where the file should go
    Rig rig(Main, {}, state.path());
    EXPECT_EQ(rig.send("\x1b[92;4;1|"), Ack);
    bool reported = false;
    for (const BoardEvent &e : rig.board.takeEvents())
        reported |= e.kind == EventKind::RecordingFailed && e.text.contains("device4.bin");
    EXPECT_TRUE(reported);
}

TEST(BoardState, GarbageNeverWedgesAnyInterface)
{
    for (const Interface start : {Main, Debug, Monitor}) {
        SCOPED_TRACE(int(start));
        Rig rig(start);
        std::mt19937 random(1234 + unsigned(start));
        for (int i = 0; i < 400; ++i) {
            QByteArray piece = randomBytes(1 + random() % 200, unsigned(random()));
            if (i % 50 == 0) // now and then something almost meaningful
                piece += QByteArrayList{"\x1b[91;4;0;", "\x1bX!!", "str zz", "S104000,#",
                                        "\x01\x01\xfe"}[random() % 5];
            rig.send(piece);
            rig.wait(std::chrono::milliseconds(random() % 700));
        }
        rig.wait(Board::BlockIdleLimit);
        rig.answers();
        switch (rig.board.interface()) {
        case Main:
            // A frame or command stays open; two CANs end either, even after an ESC.
            EXPECT_EQ(rig.send("\x18\x18\x1b[1}"), "ZUVO v4.12\r\n");
            break;
        case Debug:
            EXPECT_TRUE(rig.send("\n").endsWith(Prompt));
            break;
        case Monitor:
            EXPECT_TRUE(rig.send("\rV#").endsWith("ZUVO boot monitor\r\n>"));
            break;
        }
    }
}

// ---- Command line ------------------------------------------------------------

TEST(SimOptions, ReadsEveryOption)
{
    SimOptions o;
    QString text;
    ASSERT_EQ(parseOptions({"zuvo-sim",   "--link",           "/tmp/zuvo",   "--mode",
                            "monitor",    "--state",          "/tmp/s",      "--silent",
                            "--wrong-id", "--reply-delay-ms", "250",         "--hangup-after",
                            "100",        "--nak-chunk",      "3",           "--nak-chunk",
                            "5:2",        "--nak-erase",      "--nak-flush", "--nak-block",
                            "7:1",        "--idle-drop-ms",   "250"},
                           &o, &text),
              OptionsOutcome::Run)
        << text.toStdString();
    EXPECT_EQ(o.link, "/tmp/zuvo");
    EXPECT_EQ(o.stateDir, "/tmp/s");
    EXPECT_EQ(o.mode, Monitor);
    ASSERT_EQ(o.boards.size(), 1u);
    const BoardSetup &setup = o.boards[0];
    EXPECT_TRUE(setup.silent);
    EXPECT_TRUE(setup.faults.wrongId);
    EXPECT_EQ(setup.replyDelayMs, 250);
    EXPECT_EQ(setup.hangupAfter, 100);
    EXPECT_EQ(setup.faults.nakChunks, (std::map<std::int64_t, int>{{3, -1}, {5, 2}}));
    EXPECT_TRUE(setup.faults.nakErase);
    EXPECT_TRUE(setup.faults.nakFlush);
    EXPECT_EQ(setup.faults.nakBlocks, (std::map<std::int64_t, int>{{7, 1}}));
    EXPECT_EQ(setup.faults.idleDrop, 250ms);
    // One board uses the link and the folder as they are.
    EXPECT_FALSE(o.numbered);
    EXPECT_EQ(o.linkOf(1), "/tmp/zuvo");
    EXPECT_EQ(o.stateDirOf(1), "/tmp/s");

    SimOptions defaults;
    ASSERT_EQ(parseOptions({"zuvo-sim"}, &defaults, &text), OptionsOutcome::Run);
    EXPECT_EQ(defaults.mode, Main);
    ASSERT_EQ(defaults.boards.size(), 1u);
    EXPECT_EQ(defaults.boards[0].hangupAfter, 0);
    EXPECT_TRUE(defaults.boards[0].faults.nakChunks.empty());
    EXPECT_EQ(defaults.boards[0].faults.idleDrop, std::nullopt);
    EXPECT_EQ(defaults.linkOf(1), "");
    EXPECT_EQ(defaults.stateDirOf(1), "");
}

// Fault options before the first --board go to every board; those after
// --board K to board K alone, on top of the others.
TEST(SimOptions, BoardAimsTheFaultsAfterIt)
{
    SimOptions o;
    QString text;
    ASSERT_EQ(
        parseOptions({"zuvo-sim",    "--boards", "3",           "--link",           "/tmp/zuvo",
                      "--state",     "/tmp/s",   "--nak-flush", "--nak-chunk",      "1:2",
                      "--board",     "2",        "--silent",    "--nak-chunk",      "1",
                      "--nak-chunk", "4:1",      "--board=3",   "--reply-delay-ms", "50",
                      "--board",     "2",        "--wrong-id"},
                     &o, &text),
        OptionsOutcome::Run)
        << text.toStdString();
    ASSERT_EQ(o.boards.size(), 3u);
    const BoardSetup &one = o.boards[0], &two = o.boards[1], &three = o.boards[2];
    for (const BoardSetup *b : {&one, &two, &three})
        EXPECT_TRUE(b->faults.nakFlush);
    EXPECT_FALSE(one.silent);
    EXPECT_FALSE(one.faults.wrongId);
    EXPECT_EQ(one.replyDelayMs, 0);
    EXPECT_EQ(one.faults.nakChunks, (std::map<std::int64_t, int>{{1, 2}}));
    EXPECT_TRUE(two.silent);
    EXPECT_TRUE(two.faults.wrongId);
    EXPECT_EQ(two.replyDelayMs, 0);
    EXPECT_EQ(two.faults.nakChunks, (std::map<std::int64_t, int>{{1, -1}, {4, 1}}));
    EXPECT_FALSE(three.silent);
    EXPECT_EQ(three.replyDelayMs, 50);
    EXPECT_EQ(three.faults.nakChunks, (std::map<std::int64_t, int>{{1, 2}}));

    EXPECT_TRUE(o.numbered);
    EXPECT_EQ(o.linkOf(2), "/tmp/zuvo2");
    EXPECT_EQ(o.stateDirOf(3), "/tmp/s/3");

    // --boards numbers the links and folders even for one board.
    SimOptions single;
    ASSERT_EQ(parseOptions(
                  {"zuvo-sim", "--boards", "1", "--link", "/tmp/zuvo", "--board", "1", "--silent"},
                  &single, &text),
              OptionsOutcome::Run)
        << text.toStdString();
    EXPECT_EQ(single.linkOf(1), "/tmp/zuvo1");
    EXPECT_TRUE(single.boards.at(0).silent);
}

TEST(SimOptions, RefusesBadValues)
{
    const QStringList bad[] = {
        {"--mode", "serial"},
        {"--reply-delay-ms", "-1"},
        {"--reply-delay-ms", "x"},
        {"--hangup-after", "0"},
        {"--nak-chunk", "1:0"},
        {"--nak-chunk", "-1"},
        {"--nak-chunk", "1:2:3"},
        {"--nak-block", "0"},
        {"--idle-drop-ms", "0"},
        {"--idle-drop-ms", "600001"},
        {"--idle-drop-ms", "5s"},
        {"--boards", "0"},
        {"--boards", "257"},
        {"--board", "2"}, // without --boards there is one board
        {"--boards", "3", "--board", "4"},
        {"--boards", "3", "--board", "0"},
        {"--boards", "3", "--board"},
        {"--boards", "3", "--board", "x"},
        {"--boards", "3", "--board", "2", "--mode", "debug"},
        {"--boards", "3", "--board", "2", "--link", "/tmp/zuvo"},
        {"--boards", "3", "--board", "2", "--boards", "4"},
        {"--boards", "3", "--board", "2", "--nak-chunk", "x"},
        {"--boards", "3", "--board", "2", "extra"},
        {"--bogus"},
        {"extra"},
    };
    for (const QStringList &args : bad) {
        SimOptions o;
        QString text;
        EXPECT_EQ(parseOptions(QStringList{"zuvo-sim"} + args, &o, &text), OptionsOutcome::Error)
            << args.join(' ').toStdString();
        EXPECT_FALSE(text.isEmpty());
    }
}
