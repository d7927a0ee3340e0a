// The font download: exact logs and wire bytes on a scripted board with a fake
// clock, then the real port against zuvo-sim, also from a worker thread.

#include "downloadtest.h"
#include "libkernwick/device/boardprotocol.h"
#include "libkernwick/device/chunkencoding.h"
#include "libkernwick/device/fontdownload.h"
#include "libkernwick/device/serialport.h"
#include "libkernwick/font/font.h"
#include "libkernwick/font/zvffile.h"
#include "namedcase.h"
#include "qtprinters.h"
#include "simulator.h"
#include "testapplication.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

KERNWICK_TEST_APPLICATION(QCoreApplication);

using namespace Kernwick;
using namespace Kernwick::Test;

namespace {

const QString erasedLog =
    QStringLiteral("Sending memory erase command\r\nMemory erased\r\nDownloading font\r\n");
const QString flushedLog = QStringLiteral("Font download complete\r\nSending memory flush "
                                          "command\r\nMemory flushed: font loaded\r\nFont "
                                          "download complete");
const QString mainDetected = QStringLiteral("Verifying ZUVO is present\r\n") + dots(7) +
                             QStringLiteral("\r\nZUVO detected\r\n");
// "\r\nzuvo>": the ">" is the seventh byte.
const QString debugDetected = mainDetected;

QString eraseFailed(int answer)
{
    return QStringLiteral("Sending memory erase command\r\n* Memory erase failed *\r\n* Erase "
                          "returns %1 *\r\nPlease check that memory device is present and "
                          "enabled\r\nUse device 4 for internal ZUVO memory")
        .arg(answer);
}

QString flushFailed(int answer)
{
    return QStringLiteral("Font download complete\r\nSending memory flush command\r\n* Memory "
                          "flush failed *\r\n* flush returns %1 *\r\nPossible corrupted font file")
        .arg(answer);
}

// A board that identifies itself, answers every memory command with ACK and the
// console with its prompt.
CommandAnswer mainBoard(const QByteArray &command)
{
    return command == "\x1b[1}" ? CommandAnswer{0, "ZUVO v4.12\r\n"} : CommandAnswer{0, ack};
}

CommandAnswer consoleBoard(const QByteArray &)
{
    return {0, "\r\nzuvo>"};
}

void answerAsBoard(ScriptedPort &port, FontDialect dialect,
                   std::function<CommandAnswer(const QByteArray &)> answer = {})
{
    if (!answer)
        answer = dialect == FontDialect::MainPort ? mainBoard : consoleBoard;
    answerCommands(port, dialect == FontDialect::MainPort ? "}|" : "\n", std::move(answer));
}

// The bytes a board receives for `file`, as the two dialects frame them.
QByteArray expectedWire(const QByteArray &file, int device, FontDialect dialect)
{
    const QByteArray d = QByteArray::number(device);
    const bool main = dialect == FontDialect::MainPort;
    QByteArray wire = main ? "\x1b[1}\x1b[93;" + d + ";0|" : "\nmemory erase " + d + " 0\n";
    for (qsizetype at = 0; at < file.size(); at += 256) {
        const QByteArray chunk = file.mid(at, 256);
        const QByteArray text = encodeAscii85(chunk);
        const QByteArray at_ = QByteArray::number(at);
        const QByteArray sum = QByteArray::number(chunkChecksum(chunk));
        if (main) {
            wire += "\x1bX" + text + "\x1b\\\x1b[91;" + d + ';' + at_ + ';' + sum + '|';
        } else {
            for (qsizetype p = 0; p < text.size(); p += 56)
                wire += "str " + text.mid(p, 56) + '\n';
            wire += "memory write " + d + ' ' + at_ + ' ' + sum + '\n';
        }
    }
    wire += main ? "\x1b[92;" + d + ";1|" : "memory flush " + d + " 1\n";
    return wire;
}

class FontDownloadTest : public ::testing::Test
{
protected:
    DownloadOutcome download(const QByteArray &bytes, FontDownload request = {},
                             const QString &portName = QStringLiteral("com1"))
    {
        QBuffer file;
        file.setData(bytes);
        file.open(QIODevice::ReadOnly);
        return download(file, request, portName);
    }
    DownloadOutcome download(QIODevice &file, FontDownload request = {},
                             const QString &portName = QStringLiteral("com1"))
    {
        Conversation c(port, portName, record.hooks());
        return downloadFont(c, file, request);
    }
    static FontDownload debug(int device = DefaultMemoryDevice)
    {
        return {device, FontDialect::DebugPort, 9600};
    }

    ScriptedPort port;
    Record record;
};

} // namespace

TEST(FontDownloadCaptions, NameTheFileWithoutFoldersTheDeviceAndThePort)
{
    const ProgressCaptions captions =
        fontDownloadCaptions(QStringLiteral("/home/me/fonts/big.zvf"), 2, QStringLiteral("com3"));
    EXPECT_EQ(captions.fileLine, QStringLiteral("Downloading font: big.zvf"));
    EXPECT_EQ(captions.portLine, QStringLiteral("to device 2 on com3"));
}

TEST_F(FontDownloadTest, MainPortSendsFramedChunksAndLogsEveryStep)
{
    answerAsBoard(port, FontDialect::MainPort);
    const FontDownload request{4, FontDialect::MainPort, 19200};
    const DownloadOutcome outcome = download("abc", request);

    EXPECT_EQ(outcome.result, DownloadResult::Completed);
    EXPECT_FALSE(outcome.box);
    // "abc": one partial group, "@:E^", checksum 1457543324.
    EXPECT_EQ(port.written,
              "\x1b[1}\x1b[93;4;0|\x1bX@:E^\x1b\\\x1b[91;4;0;1457543324|\x1b[92;4;1|");
    EXPECT_EQ(record.log, openedLog + mainDetected + erasedLog + flushedLog);
    EXPECT_EQ(record.erased, std::vector<int>{4});
    EXPECT_EQ(port.baudRate, 19200);
    EXPECT_FALSE(port.isOpen());
    EXPECT_TRUE(record.boxes.empty());
}

TEST_F(FontDownloadTest, DebugPortSendsStrPiecesOfFiftySixCharacters)
{
    answerAsBoard(port, FontDialect::DebugPort);
    const QByteArray file = sampleFile(300);
    const DownloadOutcome outcome = download(file, debug(0));

    EXPECT_EQ(outcome.result, DownloadResult::Completed);
    EXPECT_EQ(port.written, expectedWire(file, 0, FontDialect::DebugPort));
    EXPECT_TRUE(port.written.contains("\nstr " + encodeAscii85(file.first(256)).first(56) + '\n'));
    EXPECT_EQ(record.log, openedLog + debugDetected + erasedLog + flushedLog);
    EXPECT_EQ(port.baudRate, 115200) << "the debug port runs at 115200 whatever the selection";
    EXPECT_FALSE(port.isOpen());
}

struct ChunkingCase : Test::NamedCase
{
    int size;
    std::vector<std::pair<int, int>> progress;
};

class Chunking : public FontDownloadTest, public ::testing::WithParamInterface<ChunkingCase>
{
};

// Chunks of 256 bytes at offsets 256·k; the progress total counts whole chunks only
// (16 bits at most), the position the chunks sent.
TEST_P(Chunking, SendsChunksAtTheirOffsetsWithProgress)
{
    for (const FontDialect dialect : {FontDialect::MainPort, FontDialect::DebugPort}) {
        port.written.clear();
        record.progress.clear();
        answerAsBoard(port, dialect);
        const QByteArray file = sampleFile(GetParam().size);
        const DownloadOutcome outcome = download(file, {3, dialect, 9600});
        EXPECT_EQ(outcome.result, DownloadResult::Completed);
        EXPECT_EQ(port.written, expectedWire(file, 3, dialect));
        EXPECT_EQ(record.progress, GetParam().progress);
    }
}

// The figures count every chunk, a short last one too, and the bytes of the chunks
// and their commands from the first chunk on.
TEST_F(FontDownloadTest, TransferFiguresCountChunksAndTheirBytes)
{
    answerAsBoard(port, FontDialect::MainPort);
    const QByteArray file = sampleFile(300);
    ASSERT_TRUE(download(file, {3, FontDialect::MainPort, 9600}).completed());
    EXPECT_EQ(
        transferCounts(record.transfers),
        (QStringList{"0 of 2 chunks (0 %)", "1 of 2 chunks (50 %)", "2 of 2 chunks (100 %)"}));
    const QByteArray wire = expectedWire(file, 3, FontDialect::MainPort);
    const qsizetype chunkBytes = wire.indexOf("\x1b[92;") - wire.indexOf("\x1bX");
    EXPECT_EQ(record.transfers.back().bytesSent, chunkBytes);
    EXPECT_EQ(record.transfers.front().bytesSent, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, Chunking,
    ::testing::Values(ChunkingCase{"Empty", 0, {{0, 0}}},
                      ChunkingCase{"OneByte", 1, {{0, 0}, {1, 0}}},
                      ChunkingCase{"OneChunk", 256, {{0, 1}, {1, 1}}},
                      ChunkingCase{"ThreeHundredBytes", 300, {{0, 1}, {1, 1}, {2, 1}}},
                      ChunkingCase{"TwoChunks", 512, {{0, 2}, {1, 2}, {2, 2}}}),
    Test::CaseName());

TEST_F(FontDownloadTest, EmptyFileErasesAndFlushes)
{
    answerAsBoard(port, FontDialect::MainPort);
    EXPECT_TRUE(download(QByteArray()).completed());
    EXPECT_EQ(port.written, "\x1b[1}\x1b[93;4;0|\x1b[92;4;1|");
    EXPECT_EQ(record.log, openedLog + mainDetected + erasedLog + flushedLog);
}

struct StepFailureCase : Test::NamedCase
{
    FontDialect dialect;
    const char *failingCommand; ///< the start of the command answered badly
    CommandAnswer answer;
    QString logTail; ///< the log from the erase on
    int maxReads;    ///< every wait stays bounded
};

class StepFailure : public FontDownloadTest, public ::testing::WithParamInterface<StepFailureCase>
{
};

TEST_P(StepFailure, IsLoggedWithItsTextAndClosesThePort)
{
    const StepFailureCase &c = GetParam();
    answerAsBoard(port, c.dialect, [&c](const QByteArray &command) {
        if (command.startsWith(c.failingCommand))
            return c.answer;
        return c.dialect == FontDialect::MainPort ? mainBoard(command) : consoleBoard(command);
    });
    const DownloadOutcome outcome = download(sampleFile(600), {4, c.dialect, 9600});

    EXPECT_EQ(outcome.result, DownloadResult::Failed);
    EXPECT_FALSE(outcome.box);
    const QString before = openedLog + mainDetected;
    ASSERT_TRUE(record.log.startsWith(before)) << record.log.toStdString();
    EXPECT_EQ(record.log.mid(before.size()), c.logTail);
    // Only an acknowledged erase counts as one.
    const bool eraseAnswered = c.logTail.startsWith(erasedLog);
    EXPECT_EQ(record.erased, eraseAnswered ? std::vector<int>{4} : std::vector<int>{});
    EXPECT_FALSE(port.isOpen());
    EXPECT_LE(port.reads, c.maxReads);
}

const QString afterErase = erasedLog;

INSTANTIATE_TEST_SUITE_P(
    Cases, StepFailure,
    ::testing::Values(
        // A silent erase reports 0, a refusal the byte's value.
        StepFailureCase{
            "MainEraseSilent", FontDialect::MainPort, "\x1b[93;", {1, {}}, eraseFailed(0), 20},
        StepFailureCase{
            "MainEraseNak", FontDialect::MainPort, "\x1b[93;", {0, nak}, eraseFailed(21), 20},
        // 50 reads for ">" (25 s of silence), then the last byte read: 0.
        StepFailureCase{"DebugEraseError",
                        FontDialect::DebugPort,
                        "memory erase",
                        {0, "error\r\n"},
                        eraseFailed(0),
                        20 + 50},
        StepFailureCase{"MainChunkRefused",
                        FontDialect::MainPort,
                        "\x1bX",
                        {0, nak},
                        afterErase + QStringLiteral("* Data transfer failed *\r\nPacket number 0"),
                        20},
        StepFailureCase{"MainChunkSilent",
                        FontDialect::MainPort,
                        "\x1bX",
                        {1, {}},
                        afterErase + QStringLiteral("* Data transfer failed *\r\nPacket number 0"),
                        20},
        // The console prints its prompt after an error too: the error line decides.
        StepFailureCase{"DebugCommitRefused",
                        FontDialect::DebugPort,
                        "memory write",
                        {0, "error\r\nzuvo>"},
                        afterErase + QStringLiteral("* Data transfer failed *\r\nPacket number 0"),
                        200},
        StepFailureCase{"DebugPieceUnknown",
                        FontDialect::DebugPort,
                        "str ",
                        {0, "unknown command\r\nzuvo>"},
                        afterErase + QStringLiteral("* Data transfer failed *\r\nPacket number 0"),
                        200},
        // A board that falls silent mid-chunk: 1024 reads, then the chunk fails.
        StepFailureCase{"DebugPieceSilent",
                        FontDialect::DebugPort,
                        "str ",
                        {0, {}},
                        afterErase + QStringLiteral("* Data transfer failed *\r\nPacket number 0"),
                        20 + 7 + 1024 + 10},
        StepFailureCase{"MainFlushNak",
                        FontDialect::MainPort,
                        "\x1b[92;",
                        {0, nak},
                        afterErase + flushFailed(21),
                        20},
        StepFailureCase{"DebugFlushSilent",
                        FontDialect::DebugPort,
                        "memory flush",
                        {0, {}},
                        afterErase + flushFailed(0),
                        400}),
    Test::CaseName());

// Only a line of the answer that starts with the refusal counts: a console that
// echoes what it gets echoes data that may spell "error" (bytes D6 93 50 41).
TEST_F(FontDownloadTest, EchoedDataIsNotARefusal)
{
    answerAsBoard(port, FontDialect::DebugPort, [](const QByteArray &line) {
        return CommandAnswer{0, line + "\r\nzuvo>"};
    });
    const QByteArray file = QByteArray::fromHex("d6935041") + sampleFile(100);
    ASSERT_TRUE(encodeAscii85(file).startsWith("error"));
    EXPECT_TRUE(download(file, debug()).completed()) << record.log.toStdString();
    EXPECT_TRUE(port.written.contains("str error"));
}

// The console's erase and flush are refused as its chunk lines are: a line that
// starts "error" or "unknown command" before the prompt, or with no prompt after it,
// where the first silent read ends the wait.
struct ConsoleRefusalCase : Test::NamedCase
{
    const char *command; ///< the start of the console line refused
    QByteArray answer;
    const char *logged;
};

class ConsoleRefusal : public FontDownloadTest,
                       public ::testing::WithParamInterface<ConsoleRefusalCase>
{
};

TEST_P(ConsoleRefusal, FailsTheDownloadAtOnce)
{
    const ConsoleRefusalCase &c = GetParam();
    answerAsBoard(port, FontDialect::DebugPort, [&c](const QByteArray &line) {
        return line.startsWith(c.command) ? CommandAnswer{0, c.answer} : consoleBoard(line);
    });
    EXPECT_EQ(download(sampleFile(100), debug()).result, DownloadResult::Failed);
    EXPECT_TRUE(record.log.contains(QString::fromLatin1(c.logged))) << record.log.toStdString();
    EXPECT_LT(port.reads, 100) << "no wait for the prompt after a refusal";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ConsoleRefusal,
    ::testing::Values(ConsoleRefusalCase{"EraseErrorThenPrompt", "memory erase", "error\r\nzuvo>",
                                         "* Memory erase failed *"},
                      ConsoleRefusalCase{"EraseErrorWithoutPrompt", "memory erase",
                                         "\r\nError: no device\r\n", "* Memory erase failed *"},
                      ConsoleRefusalCase{"FlushUnknown", "memory flush", "unknown command\r\nzuvo>",
                                         "* Memory flush failed *"},
                      ConsoleRefusalCase{"ChunkErrorWithoutPrompt", "str", "error\r\n",
                                         "* Data transfer failed *"}),
    Test::CaseName());

TEST_F(FontDownloadTest, RefusedLaterChunkNamesItsNumber)
{
    int commits = 0;
    answerAsBoard(port, FontDialect::MainPort, [&commits](const QByteArray &command) {
        if (command.startsWith("\x1bX") && ++commits == 3)
            return CommandAnswer{0, nak};
        return mainBoard(command);
    });
    EXPECT_EQ(download(sampleFile(1000)).result, DownloadResult::Failed);
    EXPECT_TRUE(record.log.endsWith(QStringLiteral("* Data transfer failed *\r\nPacket number 2")))
        << record.log.toStdString();
    EXPECT_EQ(record.progress, (std::vector<std::pair<int, int>>{{0, 3}, {1, 3}, {2, 3}}));
}

TEST_F(FontDownloadTest, SilentBoardIsNotDetectedAndNothingIsErased)
{
    const DownloadOutcome outcome = download(sampleFile(300));
    EXPECT_EQ(outcome.result, DownloadResult::Failed);
    EXPECT_EQ(record.log, openedLog + QStringLiteral("Verifying ZUVO is present\r\n") + dots(20) +
                              zuvoNotDetected);
    EXPECT_EQ(port.written, "\x1b[1}");
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(port.now, 20 * 500);
}

TEST_F(FontDownloadTest, MissingPortEndsAtTheOpening)
{
    port.openSucceeds = false;
    EXPECT_EQ(download(sampleFile(300)).result, DownloadResult::Failed);
    EXPECT_EQ(record.log, QStringLiteral("Opening com port\r\n*Open port failed*\r\nPlease ensure "
                                         "port is available"));
    EXPECT_TRUE(port.written.isEmpty());
}

TEST_F(FontDownloadTest, UnreadableFileEndsWithTheFileErrorBox)
{
    answerAsBoard(port, FontDialect::MainPort);
    BrokenFile file(sampleFile(600), 300);
    const DownloadOutcome outcome = download(file);
    EXPECT_EQ(outcome.result, DownloadResult::Failed);
    ASSERT_TRUE(outcome.box);
    EXPECT_EQ(outcome.box->text, QStringLiteral("File Error"));
    EXPECT_FALSE(port.isOpen());
    EXPECT_FALSE(port.written.contains("\x1b[92;")) << "no flush of a partial font";
}

struct StopCase : Test::NamedCase
{
    FontDialect dialect;
    std::function<bool(const ScriptedPort &)> when;
    QString logTail; ///< the log from the erase on
};

class StopDuring : public FontDownloadTest, public ::testing::WithParamInterface<StopCase>
{
};

TEST_P(StopDuring, EndsAtTheNextStepWithThePortClosed)
{
    const StopCase &c = GetParam();
    LinkTiming timing = port.timing();
    timing.paceMs = 20;
    port.setTiming(timing);
    answerAsBoard(port, c.dialect);
    record.stopWhen = [this, &c] { return c.when(port); };

    const DownloadOutcome outcome = download(sampleFile(600), {4, c.dialect, 9600});
    EXPECT_EQ(outcome.result, DownloadResult::Stopped);
    EXPECT_FALSE(outcome.box);
    EXPECT_TRUE(record.log.endsWith(c.logTail)) << record.log.toStdString();
    EXPECT_FALSE(port.isOpen());
    EXPECT_FALSE(record.log.contains(QStringLiteral("failed")));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StopDuring,
    ::testing::Values(StopCase{"DetectionReads", FontDialect::MainPort,
                               [](const ScriptedPort &p) { return p.reads >= 3; },
                               QStringLiteral("Verifying ZUVO is present\r\n...\r\n* Stopped *")},
                      // Inside the paced text of the first chunk.
                      StopCase{"ChunkPacing", FontDialect::MainPort,
                               [](const ScriptedPort &p) { return p.written.size() >= 40; },
                               erasedLog + QStringLiteral("* Stopped *")},
                      StopCase{"InsideAConsoleLine", FontDialect::DebugPort,
                               [](const ScriptedPort &p) {
                                   return p.written.contains("memory write 4 256");
                               },
                               erasedLog + QStringLiteral("* Stopped *")}),
    Test::CaseName());

// ---- Against zuvo-sim ------------------------------------------------------------

namespace {

// A real font file: the default font with some painted pixels, so that chunks hold
// both zero groups and other data.
QByteArray fontFile()
{
    Font font = defaultFont();
    for (std::size_t g = 0; g < font.glyphs.size(); g += 3) {
        for (std::size_t p = g % 5; p < font.glyphs[g].pixels.size(); p += 7)
            font.glyphs[g].pixels[p] = 1;
    }
    return writeZvf(font);
}

struct SimLink
{
    explicit SimLink(const QString &device)
    {
        LinkTiming timing;
        timing.paceMs = 0;
        port.setTiming(timing);
        conversation = std::make_unique<Conversation>(port, device, record.hooks());
    }

    DownloadOutcome download(const QByteArray &bytes, const FontDownload &request)
    {
        QBuffer file;
        file.setData(bytes);
        file.open(QIODevice::ReadOnly);
        return downloadFont(*conversation, file, request);
    }

    CSerialPort port{PortTable::fromDevices({})};
    Record record;
    std::unique_ptr<Conversation> conversation;
};

QStringList simMode(FontDialect dialect)
{
    return {QStringLiteral("--mode"),
            dialect == FontDialect::MainPort ? QStringLiteral("main") : QStringLiteral("debug")};
}

struct DeviceCase : Test::NamedCase
{
    FontDialect dialect;
    int device;
};

class FontOnSimulator : public ::testing::TestWithParam<DeviceCase>
{
};

} // namespace

TEST_P(FontOnSimulator, ArrivesByteForByteInTheChosenDevice)
{
    const DeviceCase &c = GetParam();
    Simulator sim;
    ASSERT_TRUE(sim.start(simMode(c.dialect)));
    SimLink link(sim.device());
    const QByteArray file = fontFile();
    ASSERT_GT(file.size(), 2 * 256);

    const DownloadOutcome outcome = link.download(file, {c.device, c.dialect, 9600});
    EXPECT_EQ(outcome.result, DownloadResult::Completed) << link.record.log.toStdString();
    EXPECT_TRUE(link.record.log.endsWith(erasedLog + flushedLog));
    EXPECT_FALSE(link.port.isOpen());
    EXPECT_EQ(sim.stateFile(QStringLiteral("device%1.bin").arg(c.device)), file);
}

INSTANTIATE_TEST_SUITE_P(DialectsAndDevices, FontOnSimulator,
                         ::testing::Values(DeviceCase{"Main0", FontDialect::MainPort, 0},
                                           DeviceCase{"Main1", FontDialect::MainPort, 1},
                                           DeviceCase{"Main2", FontDialect::MainPort, 2},
                                           DeviceCase{"Main3", FontDialect::MainPort, 3},
                                           DeviceCase{"Main4", FontDialect::MainPort, 4},
                                           DeviceCase{"Debug0", FontDialect::DebugPort, 0},
                                           DeviceCase{"Debug1", FontDialect::DebugPort, 1},
                                           DeviceCase{"Debug2", FontDialect::DebugPort, 2},
                                           DeviceCase{"Debug3", FontDialect::DebugPort, 3},
                                           DeviceCase{"Debug4", FontDialect::DebugPort, 4}),
                         Test::CaseName());

TEST(FontToSimulator, ThreeHundredBytesGoAsTwoChunks)
{
    Simulator sim;
    ASSERT_TRUE(sim.start());
    SimLink link(sim.device());
    const QByteArray file = sampleFile(300);
    EXPECT_TRUE(link.download(file, {}).completed()) << link.record.log.toStdString();
    EXPECT_EQ(sim.stateFile(QStringLiteral("device4.bin")), file);
    const QByteArray wire = sim.stateFile(QStringLiteral("wire.log"));
    EXPECT_EQ(wire.count("\x1b[91;"), 2);
    EXPECT_TRUE(wire.contains("\x1b[91;4;0;" + QByteArray::number(chunkChecksum(file.first(256)))));
    EXPECT_TRUE(
        wire.contains("\x1b[91;4;256;" + QByteArray::number(chunkChecksum(file.sliced(256)))));
    EXPECT_EQ(link.record.progress, (std::vector<std::pair<int, int>>{{0, 1}, {1, 1}, {2, 1}}));
}

TEST(FontToSimulator, EmptyFileErasesAndFlushes)
{
    Simulator sim;
    ASSERT_TRUE(sim.start(simMode(FontDialect::DebugPort)));
    SimLink link(sim.device());
    EXPECT_TRUE(link.download({}, {2, FontDialect::DebugPort, 9600}).completed());
    const QByteArray wire = sim.stateFile(QStringLiteral("wire.log"));
    EXPECT_TRUE(wire.endsWith("memory erase 2 0\nmemory flush 2 1\n")) << wire.toStdString();
    QFile device(sim.stateDir() + QStringLiteral("/device2.bin"));
    EXPECT_TRUE(device.exists());
    EXPECT_EQ(device.size(), 0);
}

class RefusedChunkOnSimulator : public ::testing::TestWithParam<FontDialect>
{
};

TEST_P(RefusedChunkOnSimulator, LogsTheChunkNumber)
{
    Simulator sim;
    ASSERT_TRUE(sim.start(simMode(GetParam()) +
                          QStringList{QStringLiteral("--nak-chunk"), QStringLiteral("1")}));
    SimLink link(sim.device());
    const DownloadOutcome outcome = link.download(sampleFile(700), {4, GetParam(), 9600});
    EXPECT_EQ(outcome.result, DownloadResult::Failed);
    EXPECT_TRUE(link.record.log.endsWith(erasedLog + QStringLiteral("* Data transfer failed "
                                                                    "*\r\nPacket number 1")))
        << link.record.log.toStdString();
    EXPECT_FALSE(link.port.isOpen());
    EXPECT_FALSE(sim.stateFile(QStringLiteral("wire.log")).contains("flush"));
}

INSTANTIATE_TEST_SUITE_P(Dialects, RefusedChunkOnSimulator,
                         ::testing::Values(FontDialect::MainPort, FontDialect::DebugPort),
                         [](const ::testing::TestParamInfo<FontDialect> &info) {
                             return info.param == FontDialect::MainPort ? "MainPort" : "DebugPort";
                         });

TEST(FontToSimulator, RefusedEraseReportsTheNak)
{
    Simulator sim;
    ASSERT_TRUE(sim.start({QStringLiteral("--nak-erase")}));
    SimLink link(sim.device());
    EXPECT_EQ(link.download(sampleFile(10), {}).result, DownloadResult::Failed);
    EXPECT_TRUE(link.record.log.endsWith(eraseFailed(21))) << link.record.log.toStdString();
    EXPECT_FALSE(link.port.isOpen());
}

// The conversation runs on a worker thread that owns its port, as the desktop
// program runs it; the window's thread only reads the reports and asks to stop.
namespace {

struct WorkerRun
{
    Record record;
    std::atomic<bool> stop{false};
    std::atomic<bool> portOpenAtEnd{true};
    DownloadOutcome outcome;

    void run(const QString &device, const QByteArray &bytes, const FontDownload &request)
    {
        record.stopWhen = [this] { return stop.load(); };
        std::unique_ptr<QThread> worker(QThread::create([&] {
            CSerialPort port(PortTable::fromDevices({})); // built on the worker thread
            LinkTiming timing;
            timing.paceMs = 0;
            port.setTiming(timing);
            Conversation conversation(port, device, record.hooks());
            QBuffer file;
            file.setData(bytes);
            file.open(QIODevice::ReadOnly);
            outcome = downloadFont(conversation, file, request);
            portOpenAtEnd = port.isOpen();
        }));
        worker->start();
        while (!worker->wait(20)) {
            if (onWait)
                onWait(*this);
        }
    }

    std::function<void(WorkerRun &)> onWait;
};

} // namespace

TEST(FontDownloadOnAWorkerThread, CompletesWithItsOwnPort)
{
    Simulator sim;
    ASSERT_TRUE(sim.start(simMode(FontDialect::DebugPort)));
    WorkerRun run;
    const QByteArray file = fontFile();
    run.run(sim.device(), file, {1, FontDialect::DebugPort, 9600});
    EXPECT_EQ(run.outcome.result, DownloadResult::Completed) << run.record.log.toStdString();
    EXPECT_FALSE(run.portOpenAtEnd);
    EXPECT_EQ(sim.stateFile(QStringLiteral("device1.bin")), file);
    EXPECT_EQ(run.record.progress.back().first, int((file.size() + 255) / 256));
}

TEST(FontDownloadOnAWorkerThread, StopFromTheWindowThreadEndsItWithThePortClosed)
{
    Simulator sim;
    ASSERT_TRUE(sim.start({QStringLiteral("--reply-delay-ms"), QStringLiteral("300")}));
    WorkerRun run;
    run.onWait = [](WorkerRun &r) {
        if (r.record.logSoFar().contains(QStringLiteral("Downloading font")))
            r.stop = true;
    };
    run.run(sim.device(), fontFile(), {});
    EXPECT_EQ(run.outcome.result, DownloadResult::Stopped);
    EXPECT_TRUE(run.record.log.endsWith(erasedLog + QStringLiteral("* Stopped *")))
        << run.record.log.toStdString();
    EXPECT_FALSE(run.portOpenAtEnd);
    EXPECT_FALSE(sim.stateFile(QStringLiteral("wire.log")).contains("\x1b[92;"));
}
