// The setup download over a scripted port and against zuvo-sim.

#include "downloadtest.h"
#include "folderfixture.h"
#include "libkernwick/config/configfile.h"
#include "libkernwick/config/configstream.h"
#include "libkernwick/device/bootscriptdownload.h"
#include "libkernwick/device/chunkencoding.h"
#include "libkernwick/device/conversation.h"
#include "libkernwick/device/serialport.h"
#include "libkernwick/device/setupdownload.h"
#include "namedcase.h"
#include "qtprinters.h"
#include "scriptedport.h"
#include "simulator.h"
#include "testapplication.h"

#include <QCoreApplication>
#include <QFile>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

KERNWICK_TEST_APPLICATION(QCoreApplication);

using namespace Kernwick;
using Kernwick::Test::ScriptedPort;
using Kernwick::Test::Simulator;
namespace Test = Kernwick::Test;

namespace Kernwick {
void PrintTo(const BoxMessage &box, std::ostream *os)
{
    *os << "{\"" << box.caption.toStdString() << "\", \"" << box.text.toStdString() << "\"}";
}
void PrintTo(PartOutcome outcome, std::ostream *os)
{
    constexpr const char *names[] = {"NotReached", "NotNamed", "Sent", "Failed"};
    *os << names[int(outcome)];
}
void PrintTo(const PartLine &line, std::ostream *os)
{
    constexpr const char *names[] = {"Font", "Configuration", "BootScript"};
    *os << names[int(line.part)] << ": ";
    PrintTo(line.outcome, os);
}
} // namespace Kernwick

namespace {

const QByteArray eraseCommand("\x1b[93;4;0|");
const QByteArray flushCommand("\x1b[92;4;1|");
const QByteArray script = "\x1b[2J\x1b[1;1HStation 4\r\n\x1bQlive\x1bR\r\n\x1b[0m";
constexpr char Ack = 0x06;
constexpr char Nak = 0x15;

const BoxMessage fileError{QStringLiteral("ZUVO Kernwick"), QStringLiteral("File Error")};
const BoxMessage noAckFromErase{QStringLiteral("ZUVO Kernwick"),
                                QStringLiteral("no ack from erase")};
const BoxMessage noSuchFile{QStringLiteral("No such file or directory"), QString()};

QByteArray configText()
{
    return encodeConfigStream(DeviceConfig{}, ConfigOrder::File);
}

// A font file's bytes: every byte tells its position.
QByteArray fontBytes(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char(i * 7 + i / 256);
    return bytes;
}

// What goes out for the chunk of `bytes` at `offset`: the string frame with the
// chunk's text, then its commit to memory device 4.
QByteArray chunkFrame(qint64 offset, QByteArrayView bytes)
{
    return "\x1bX" + encodeAscii85(bytes) + "\x1b\\\x1b[91;4;" + QByteArray::number(offset) + ';' +
           QByteArray::number(chunkChecksum(bytes)) + '|';
}

// The chunks of a whole font file, as they go out.
QByteArray fontFrames(const QByteArray &font, qsizetype chunks = -1)
{
    QByteArray frames;
    for (qsizetype at = 0; at < font.size() && chunks != 0; at += 256, --chunks)
        frames += chunkFrame(
            at, QByteArrayView(font).sliced(at, std::min<qsizetype>(256, font.size() - at)));
    return frames;
}

// A setup download on a scripted board: the erase and flush are answered with
// `eraseAnswer` and `flushAnswer` (none when 0), the chunks by `chunkAccepted`.
class SetupDownloadTest : public Test::FolderTest
{
protected:
    SetupDownloadTest()
    {
        // Every memory command ends in "|"; the text parts hold none.
        Kernwick::Test::answerCommands(port, "|", [this](const QByteArray &command) {
            char answer = 0;
            if (command.endsWith(eraseCommand)) {
                answer = eraseAnswer;
            } else if (command.endsWith(flushCommand)) {
                answer = flushAnswer;
            } else {
                const QList<QByteArray> numbers =
                    command.mid(command.lastIndexOf('[') + 1).split(';');
                const qint64 offset = numbers.value(2).toLongLong();
                chunkOffsets.push_back(offset);
                answer = chunkAccepted(offset) ? Ack : Nak;
            }
            return Kernwick::Test::CommandAnswer{0, answer ? QByteArray(1, answer) : QByteArray()};
        });
        conversation = std::make_unique<Conversation>(
            port, QStringLiteral("com3"),
            ConversationHooks{
                .appendLog = [this](const QString &text) { log += text; },
                .showBox = [this](const BoxMessage &box) { boxes.push_back(box); },
                .stopRequested =
                    [this] { return stopAfterBytes >= 0 && port.written.size() >= stopAfterBytes; },
                .progress =
                    [this](int position, int maximum) {
                        events.push_back(QStringLiteral("%1/%2").arg(position).arg(maximum));
                    },
                .transfer =
                    [this](const TransferProgress &figures) { transfers.push_back(figures); },
                .partStarted =
                    [this](const ProgressCaptions &captions, int maximum) {
                        events.push_back(QStringLiteral("start '%1' '%2' %3")
                                             .arg(captions.fileLine, captions.portLine)
                                             .arg(maximum));
                    },
                .partEnded = [this] { events.push_back(QStringLiteral("end")); },
                .memoryErased = [this](int device) { erased.push_back(device); },
            });
    }

    QString absent(const char *name) const { return path(QString::fromLatin1(name)); }

    // A font file of `size` bytes (see fontBytes()).
    QString font(qsizetype size) const { return write("font.zvf", fontBytes(size)); }

    DownloadOutcome run(const SetupBundle &bundle)
    {
        return downloadSetup(*conversation, bundle, 9600);
    }

    ScriptedPort port;
    QString log;
    std::vector<BoxMessage> boxes;
    std::vector<QString> events;
    std::vector<TransferProgress> transfers;
    std::vector<qint64> chunkOffsets;
    std::vector<int> erased;
    char eraseAnswer = Ack;
    char flushAnswer = Ack;
    std::function<bool(qint64 offset)> chunkAccepted = [](qint64) { return true; };
    qsizetype stopAfterBytes = -1;
    std::unique_ptr<Conversation> conversation;
};

QString partStart(const char *fileLine, int maximum)
{
    return QStringLiteral("start '%1' 'on com3' %2")
        .arg(QString::fromLatin1(fileLine))
        .arg(maximum);
}

const QString partEnd = QStringLiteral("end");

// The three lines of a setup download's outcome, in the order the parts are sent.
QList<PartLine> partLines(PartOutcome font, PartOutcome configuration, PartOutcome bootScript)
{
    return {{SetupPart::Font, font},
            {SetupPart::Configuration, configuration},
            {SetupPart::BootScript, bootScript}};
}

} // namespace

TEST_F(SetupDownloadTest, AllThreePartsGoOverOneOpeningWithAProgressDisplayEach)
{
    const SetupBundle bundle{font(1000), write("cfg.zvc", configText()), write("boot.zvb", script)};
    const DownloadOutcome result = run(bundle);

    EXPECT_TRUE(result.completed());
    EXPECT_EQ(result.parts, partLines(PartOutcome::Sent, PartOutcome::Sent, PartOutcome::Sent));
    EXPECT_EQ(port.written, eraseCommand + fontFrames(fontBytes(1000)) + flushCommand +
                                configText() + "\x1b[" + bootScriptFrame(script));
    EXPECT_EQ(chunkOffsets, (std::vector<qint64>{0, 256, 512, 768}));
    EXPECT_EQ(events, (std::vector<QString>{
                          partStart("Downloading Font: font.zvf", 3), "0/3", "1/3", "2/3", "3/3",
                          "4/3", partEnd, partStart("Downloading Config: cfg.zvc", 100), "0/100",
                          "100/100", partEnd, partStart("Downloading Bootscript: boot.zvb", 100),
                          "0/100", "100/100", partEnd}));
    EXPECT_EQ(port.openedNames, QStringList{QStringLiteral("com3")});
    EXPECT_EQ(port.baudRate, 9600);
    EXPECT_EQ(port.closes, 1);
    EXPECT_FALSE(port.isOpen());
    EXPECT_TRUE(boxes.empty());
    EXPECT_TRUE(log.isEmpty()) << "a setup download writes no log";
    // Each part's figures start afresh: chunks of the font, bytes of the texts.
    const QStringList counts = Kernwick::Test::transferCounts(transfers);
    const qsizetype frame = 2 + bootScriptFrame(script).size();
    EXPECT_EQ(counts.first(), QStringLiteral("0 of 4 chunks (0 %)"));
    EXPECT_TRUE(counts.contains(QStringLiteral("4 of 4 chunks (100 %)")))
        << counts.join('|').toStdString();
    EXPECT_TRUE(counts.contains(QStringLiteral("%1 of %1 bytes (100 %)").arg(configText().size())))
        << counts.join('|').toStdString();
    EXPECT_EQ(counts.last(), QStringLiteral("%1 of %1 bytes (100 %)").arg(frame));
}

TEST_F(SetupDownloadTest, PacesTheTextsAndPausesAroundTheTextParts)
{
    LinkTiming timing = port.timing();
    timing.paceMs = 20;
    port.setTiming(timing);
    EXPECT_TRUE(
        run({{}, write("cfg.zvc", "\x1b[9;1v\x1b[1v"), write("boot.zvb", script)}).completed());
    // Every text byte is paced, ESC "[", ESC "X" and ESC "\" are not; each text part
    // pauses once its display appears and once it is full.
    const qint64 textBytes = 10 + script.size() + 2 + 2;
    EXPECT_EQ(port.pacedMs, textBytes * 20 + 4 * SetupPartPauseMs);
}

TEST_F(SetupDownloadTest, OnlyAConfigurationSendsOnlyThat)
{
    const DownloadOutcome result = run({{}, write("cfg.zvc", configText()), {}});
    EXPECT_TRUE(result.completed());
    EXPECT_EQ(result.partOutcome(SetupPart::Font), PartOutcome::NotNamed);
    EXPECT_EQ(result.partOutcome(SetupPart::BootScript), PartOutcome::NotNamed);
    EXPECT_EQ(port.written, configText());
    EXPECT_TRUE(chunkOffsets.empty());
    EXPECT_EQ(port.closes, 1);
}

TEST_F(SetupDownloadTest, NoPathsOpensAndClosesThePortAndSendsNothing)
{
    const DownloadOutcome result = run({});
    EXPECT_TRUE(result.completed());
    EXPECT_EQ(result.parts,
              partLines(PartOutcome::NotNamed, PartOutcome::NotNamed, PartOutcome::NotNamed));
    EXPECT_TRUE(port.written.isEmpty());
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(port.openedNames.size(), 1);
    EXPECT_EQ(port.closes, 1);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(SetupDownloadTest, PortThatDoesNotOpenShowsItsBoxAndSendsNothing)
{
    port.openSucceeds = false;
    const DownloadOutcome result = run({font(10), write("cfg.zvc", configText()), {}});
    EXPECT_EQ(result.result, DownloadResult::Failed);
    EXPECT_EQ(result.parts,
              partLines(PartOutcome::NotReached, PartOutcome::NotReached, PartOutcome::NotReached));
    const BoxMessage openPortFailed{QStringLiteral("ZUVO Kernwick"),
                                    QStringLiteral("OpenPort failed")};
    EXPECT_EQ(boxes, std::vector<BoxMessage>{openPortFailed});
    EXPECT_TRUE(port.written.isEmpty());
    EXPECT_TRUE(events.empty());
}

TEST_F(SetupDownloadTest, FontThatCannotBeOpenedEndsTheWholeDownload)
{
    const DownloadOutcome result =
        run({absent("font.zvf"), write("cfg.zvc", configText()), write("boot.zvb", script)});
    EXPECT_FALSE(result.completed());
    EXPECT_EQ(result.partOutcome(SetupPart::Font), PartOutcome::Failed);
    EXPECT_EQ(result.partOutcome(SetupPart::Configuration), PartOutcome::NotReached);
    EXPECT_EQ(result.partOutcome(SetupPart::BootScript), PartOutcome::NotReached);
    // The box as the desktop program shows it, naming the file for the command line.
    EXPECT_EQ(boxes, std::vector<BoxMessage>{
                         aboutFile(fileError, absent("font.zvf"), "No such file or directory")});
    EXPECT_TRUE(port.written.isEmpty());
    EXPECT_FALSE(port.isOpen());
}

TEST_F(SetupDownloadTest, RefusedBlockNamesThePartAndTheBlockAndEndsTheWholeDownload)
{
    chunkAccepted = [](qint64 offset) { return offset != 512; };
    const DownloadOutcome result =
        run({font(1000), write("cfg.zvc", configText()), write("boot.zvb", script)});
    EXPECT_FALSE(result.completed());
    EXPECT_EQ(result.partOutcome(SetupPart::Font), PartOutcome::Failed);
    EXPECT_EQ(result.partOutcome(SetupPart::Configuration), PartOutcome::NotReached);
    EXPECT_EQ(boxes, (std::vector<BoxMessage>{
                         BoxMessage{QStringLiteral("ZUVO Kernwick"),
                                    QStringLiteral("Font part failed: block 2 of font.zvf was not "
                                                   "acknowledged by the board")}}));
    EXPECT_EQ(chunkOffsets, (std::vector<qint64>{0, 256, 512}));
    EXPECT_EQ(port.written, eraseCommand + fontFrames(fontBytes(1000), 3))
        << "no flush, nothing after";
    EXPECT_EQ(events.back(), partEnd) << "its progress display goes away";
    EXPECT_FALSE(port.isOpen());
}

TEST_F(SetupDownloadTest, RefusedFlushFailsTheFontPartAndTheOtherPartsGo)
{
    flushAnswer = Nak;
    const DownloadOutcome result =
        run({font(300), write("cfg.zvc", configText()), write("boot.zvb", script)});
    EXPECT_FALSE(result.completed());
    EXPECT_EQ(result.partOutcome(SetupPart::Font), PartOutcome::Failed);
    EXPECT_EQ(result.partOutcome(SetupPart::Configuration), PartOutcome::Sent);
    EXPECT_EQ(result.partOutcome(SetupPart::BootScript), PartOutcome::Sent);
    EXPECT_EQ(boxes, (std::vector<BoxMessage>{BoxMessage{
                         QStringLiteral("ZUVO Kernwick"),
                         QStringLiteral("Font part failed: the memory flush after font.zvf was "
                                        "not acknowledged (flush returns 21)")}}));
    EXPECT_TRUE(port.written.endsWith(configText() + "\x1b[" + bootScriptFrame(script)));
}

TEST_F(SetupDownloadTest, SilentFlushReportsZero)
{
    flushAnswer = 0;
    EXPECT_FALSE(run({font(10), {}, {}}).completed());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].text.endsWith(QStringLiteral("(flush returns 0)")));
}

TEST_F(SetupDownloadTest, MissingEraseAcknowledgementIsReportedAndTheFontStillGoesButFails)
{
    for (const char answer : {char(0), Nak}) {
        boxes.clear();
        chunkOffsets.clear();
        eraseAnswer = answer;
        const DownloadOutcome result = run({font(300), {}, {}});
        EXPECT_EQ(boxes, std::vector<BoxMessage>{noAckFromErase});
        EXPECT_TRUE(erased.empty());
        EXPECT_EQ(chunkOffsets.size(), 2u);
        EXPECT_EQ(result.partOutcome(SetupPart::Font), PartOutcome::Failed)
            << "the flush was acknowledged, but the old bytes beyond the font are still there";
        EXPECT_EQ(result.result, DownloadResult::Failed);
    }
}

TEST_F(SetupDownloadTest, EmptyFontIsErasedAndFlushed)
{
    const DownloadOutcome result = run({write("empty.zvf", {}), {}, {}});
    EXPECT_TRUE(result.completed());
    EXPECT_EQ(erased, std::vector<int>{SetupFontDevice});
    EXPECT_TRUE(chunkOffsets.empty());
    EXPECT_EQ(port.written, eraseCommand + flushCommand);
    EXPECT_EQ(events,
              (std::vector<QString>{partStart("Downloading Font: empty.zvf", 0), "0/0", partEnd}));
}

struct TextPartCase : Test::NamedCase
{
    bool configuration; ///< which part holds the file; the other holds a good one
    QByteArray file;
    bool exists;
    bool sent;
    QByteArray sentText; ///< what goes out for it, when sent
};

class SetupTextPart : public SetupDownloadTest, public ::testing::WithParamInterface<TextPartCase>
{
};

TEST_P(SetupTextPart, IsSentOrRefusedAndTheOtherPartsGo)
{
    const TextPartCase &c = GetParam();
    const QString file = c.exists ? write("part.txt", c.file) : absent("part.txt");
    const QString good =
        write(c.configuration ? "boot.zvb" : "cfg.zvc", c.configuration ? script : configText());
    const SetupBundle bundle{font(10), c.configuration ? file : good,
                             c.configuration ? good : file};
    const DownloadOutcome result = run(bundle);

    const PartOutcome tested = c.configuration ? result.partOutcome(SetupPart::Configuration)
                                               : result.partOutcome(SetupPart::BootScript);
    EXPECT_EQ(tested, c.sent ? PartOutcome::Sent : PartOutcome::Failed);
    EXPECT_EQ(result.partOutcome(SetupPart::Font), PartOutcome::Sent);
    EXPECT_EQ(c.configuration ? result.partOutcome(SetupPart::BootScript)
                              : result.partOutcome(SetupPart::Configuration),
              PartOutcome::Sent);
    EXPECT_EQ(result.completed(), c.sent);

    const QByteArray config = c.configuration ? (c.sent ? c.sentText : QByteArray()) : configText();
    const QByteArray boot = c.configuration ? "\x1b[" + bootScriptFrame(script)
                            : c.sent        ? "\x1b[" + bootScriptFrame(c.sentText)
                                            : QByteArray();
    EXPECT_EQ(port.written,
              eraseCommand + fontFrames(fontBytes(10)) + flushCommand + config + boot);

    if (c.sent) {
        EXPECT_TRUE(boxes.empty());
    } else if (!c.exists) {
        EXPECT_EQ(boxes, std::vector<BoxMessage>{aboutFile(
                             noSuchFile, file, QStringLiteral("No such file or directory"))});
    } else {
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].caption, QStringLiteral("ZUVO Kernwick"));
        EXPECT_EQ(boxes[0].text,
                  QStringLiteral("The %1 file %2 is longer than 512 bytes, the most a setup "
                                 "download sends; it was not sent")
                      .arg(c.configuration ? QStringLiteral("configuration")
                                           : QStringLiteral("boot script"),
                           file));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SetupTextPart,
    ::testing::Values(
        TextPartCase{"BootScriptOf600BytesIsRefused", false, QByteArray(600, 'b'), true, false, {}},
        TextPartCase{
            "ConfigurationOf600BytesIsRefused", true, QByteArray(600, 'c'), true, false, {}},
        TextPartCase{"BootScriptOf513BytesIsRefused", false, QByteArray(513, 'b'), true, false, {}},
        TextPartCase{"BootScriptOf512BytesGoesWhole", false, QByteArray(512, 'b'), true, true,
                     QByteArray(512, 'b')},
        TextPartCase{"ConfigurationOf512BytesGoesWhole", true, QByteArray(512, 'c'), true, true,
                     QByteArray(512, 'c')},
        TextPartCase{
            "TenMegabyteBootScriptIsRefused", false, QByteArray(10 << 20, 'b'), true, false, {}},
        TextPartCase{"MissingBootScriptShowsTheSystemText", false, {}, false, false, {}},
        TextPartCase{"MissingConfigurationShowsTheSystemText", true, {}, false, false, {}},
        TextPartCase{"ConfigurationGoesUpToItsFirstNul", true, QByteArray("\x1b[9;1v\0\x1b[1v", 12),
                     true, true, "\x1b[9;1v"},
        TextPartCase{"BootScriptGoesUpToItsFirstNul", false, QByteArray("AB\0CD", 5), true, true,
                     "AB"},
        TextPartCase{"EmptyBootScriptGoesAsTheBareFrame", false, {}, true, true, {}}),
    Test::CaseName());

TEST_F(SetupDownloadTest, FolderInsteadOfAFileIsRefusedWithTheSystemText)
{
    const DownloadOutcome result = run({{}, absent(""), {}});
    EXPECT_EQ(result.partOutcome(SetupPart::Configuration), PartOutcome::Failed);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_FALSE(boxes[0].caption.isEmpty());
    EXPECT_TRUE(boxes[0].text.isEmpty());
    EXPECT_TRUE(port.written.isEmpty());
}

TEST_F(SetupDownloadTest, LostLineEndsTheDownloadWithABoxNamingThePart)
{
    port.peer = [](ScriptedPort &p, const QByteArray &written) {
        if (written.size() == 40)
            p.loseLine();
    };
    const DownloadOutcome result =
        run({{}, write("cfg.zvc", configText()), write("boot.zvb", script)});
    EXPECT_FALSE(result.completed());
    EXPECT_EQ(result.partOutcome(SetupPart::Configuration), PartOutcome::Failed);
    EXPECT_EQ(result.partOutcome(SetupPart::BootScript), PartOutcome::NotReached);
    EXPECT_EQ(boxes, (std::vector<BoxMessage>{BoxMessage{
                         QStringLiteral("ZUVO Kernwick"),
                         QStringLiteral("Configuration part failed: only 40 of 306 bytes could "
                                        "be written to the port")}}));
    EXPECT_EQ(port.written, configText().first(40));
    EXPECT_EQ(events.back(), partEnd);
}

TEST_F(SetupDownloadTest, StopRequestEndsItQuietlyWithThePortClosed)
{
    stopAfterBytes = 20;
    const DownloadOutcome result =
        run({font(1000), write("cfg.zvc", configText()), write("boot.zvb", script)});
    EXPECT_EQ(result.result, DownloadResult::Stopped);
    EXPECT_FALSE(result.completed());
    EXPECT_TRUE(boxes.empty());
    EXPECT_LT(chunkOffsets.size(), 4u);
    EXPECT_FALSE(port.written.contains(flushCommand));
    EXPECT_FALSE(port.isOpen());
}

// The stop waits for the end of the parameter command it came in.
TEST_F(SetupDownloadTest, StopRequestInsideATextPartEndsItAfterTheCommand)
{
    stopAfterBytes = 10;
    const DownloadOutcome result =
        run({{}, write("cfg.zvc", configText()), write("boot.zvb", script)});
    EXPECT_EQ(result.result, DownloadResult::Stopped);
    EXPECT_EQ(result.partOutcome(SetupPart::BootScript), PartOutcome::NotReached);
    const qsizetype commandEnd = configText().indexOf('v', 10) + 1;
    EXPECT_EQ(port.written, configText().first(commandEnd));
    EXPECT_TRUE(boxes.empty());
    EXPECT_FALSE(port.isOpen());
}

namespace {

// A setup download on the real port with no pacing, against zuvo-sim.
class SetupOnSimulator : public Test::FolderTest
{
protected:
    // Starts the board with its fault options `args`.
    bool start(const QStringList &args = {})
    {
        if (!sim.start(args))
            return false;
        LinkTiming timing;
        timing.paceMs = 0;
        port.setTiming(timing);
        ConversationHooks hooks;
        hooks.showBox = [this](const BoxMessage &box) { boxes.push_back(box); };
        conversation = std::make_unique<Conversation>(port, sim.device(), hooks);
        return true;
    }

    // Everything the board received, once `size` bytes are there and it has stopped.
    QByteArray received(qsizetype size) { return sim.receivedAfterStop(size); }

    // The board's configuration record: "<number>=<wire value>" lines.
    QByteArray boardConfig() const { return sim.stateFile(QStringLiteral("config.txt")); }

    static QByteArray configRecord(const DeviceConfig &config)
    {
        QByteArray record;
        std::array<int, ConfigParameterCount> numbers = configOrder(ConfigOrder::File);
        std::sort(numbers.begin(), numbers.end());
        const QByteArray stream = encodeConfigStream(config, ConfigOrder::File);
        for (const int number : numbers) {
            const QByteArray key = "\x1b[" + QByteArray::number(number) + ';';
            const qsizetype at = stream.indexOf(key) + key.size();
            record += QByteArray::number(number) + '=' +
                      stream.mid(at, stream.indexOf('v', at) - at).replace('<', '-') + '\n';
        }
        return record;
    }

    Simulator sim;
    CSerialPort port{PortTable::fromDevices({})};
    std::vector<BoxMessage> boxes;
    std::unique_ptr<Conversation> conversation;
};

DeviceConfig editedConfig()
{
    DeviceConfig config;
    config.horizontalStart = -20;
    config.serialBaudRate = 115200;
    config.spi2 = 2;
    return config;
}

} // namespace

TEST_F(SetupOnSimulator, AllThreeFilesReachTheBoard)
{
    ASSERT_TRUE(start());
    const QByteArray fontFile = fontBytes(1000);
    const QByteArray config = encodeConfigStream(editedConfig(), ConfigOrder::File);
    const SetupBundle bundle{write("font.zvf", fontFile), write("cfg.zvc", config),
                             write("boot.zvb", script)};
    const DownloadOutcome result = downloadSetup(*conversation, bundle, 9600);
    EXPECT_TRUE(result.completed());
    EXPECT_TRUE(boxes.empty());
    EXPECT_FALSE(port.isOpen());

    const QByteArray wire = eraseCommand + fontFrames(fontFile) + flushCommand + config + "\x1b[" +
                            bootScriptFrame(script);
    EXPECT_EQ(received(wire.size()), wire);
    EXPECT_EQ(sim.stateFile(QStringLiteral("device4.bin")), fontFile);
    EXPECT_EQ(boardConfig(), configRecord(editedConfig()));
    EXPECT_EQ(sim.stateFile(QStringLiteral("bootscript.bin")), script);
}

TEST_F(SetupOnSimulator, OnlyAConfigurationSendsOnlyThat)
{
    ASSERT_TRUE(start());
    const QByteArray config = encodeConfigStream(editedConfig(), ConfigOrder::File);
    EXPECT_TRUE(downloadSetup(*conversation, {{}, write("cfg.zvc", config), {}}, 9600).completed());
    EXPECT_EQ(received(config.size()), config);
    EXPECT_EQ(boardConfig(), configRecord(editedConfig()));
    EXPECT_TRUE(sim.stateFile(QStringLiteral("device4.bin")).isEmpty());
    EXPECT_FALSE(QFile::exists(sim.stateDir() + QStringLiteral("/bootscript.bin")));
}

TEST_F(SetupOnSimulator, NoFilesOpensAndClosesThePortAndSendsNothing)
{
    ASSERT_TRUE(start());
    const DownloadOutcome result = downloadSetup(*conversation, {}, 9600);
    EXPECT_TRUE(result.completed());
    EXPECT_FALSE(port.isOpen());
    EXPECT_TRUE(received(0).isEmpty());
}

TEST_F(SetupOnSimulator, ScriptOf600BytesIsRefusedWhileTheOtherPartsGo)
{
    ASSERT_TRUE(start());
    const QByteArray fontFile = fontBytes(300);
    const QByteArray config = encodeConfigStream(editedConfig(), ConfigOrder::File);
    const QString longScript = write("long.zvb", QByteArray(600, 'S'));
    const DownloadOutcome result = downloadSetup(
        *conversation, {write("font.zvf", fontFile), write("cfg.zvc", config), longScript}, 9600);
    EXPECT_FALSE(result.completed());
    EXPECT_EQ(result.partOutcome(SetupPart::Font), PartOutcome::Sent);
    EXPECT_EQ(result.partOutcome(SetupPart::Configuration), PartOutcome::Sent);
    EXPECT_EQ(result.partOutcome(SetupPart::BootScript), PartOutcome::Failed);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, QStringLiteral("The boot script file %1 is longer than 512 bytes, the "
                                            "most a setup download sends; it was not sent")
                                 .arg(longScript));

    const QByteArray wire = eraseCommand + fontFrames(fontFile) + flushCommand + config;
    EXPECT_EQ(received(wire.size()), wire);
    EXPECT_EQ(sim.stateFile(QStringLiteral("device4.bin")), fontFile);
    EXPECT_EQ(boardConfig(), configRecord(editedConfig()));
    EXPECT_FALSE(QFile::exists(sim.stateDir() + QStringLiteral("/bootscript.bin")));
}

TEST_F(SetupOnSimulator, RefusedChunkNamesTheBlockAndNothingMoreIsSent)
{
    ASSERT_TRUE(start({QStringLiteral("--nak-chunk"), QStringLiteral("1")}));
    const QByteArray fontFile = fontBytes(1000);
    const DownloadOutcome result = downloadSetup(
        *conversation,
        {write("font.zvf", fontFile), write("cfg.zvc", configText()), write("boot.zvb", script)},
        9600);
    EXPECT_EQ(result.partOutcome(SetupPart::Font), PartOutcome::Failed);
    EXPECT_EQ(result.partOutcome(SetupPart::Configuration), PartOutcome::NotReached);
    EXPECT_EQ(boxes, (std::vector<BoxMessage>{
                         BoxMessage{QStringLiteral("ZUVO Kernwick"),
                                    QStringLiteral("Font part failed: block 1 of font.zvf was not "
                                                   "acknowledged by the board")}}));
    const QByteArray wire = eraseCommand + fontFrames(fontFile, 2);
    EXPECT_EQ(received(wire.size()), wire);
    EXPECT_TRUE(sim.stateFile(QStringLiteral("device4.bin")).isEmpty()) << "never flushed";
}

TEST_F(SetupOnSimulator, RefusedFlushFailsTheFontAndTheOtherPartsGo)
{
    ASSERT_TRUE(start({QStringLiteral("--nak-flush")}));
    const DownloadOutcome result = downloadSetup(
        *conversation, {write("font.zvf", fontBytes(300)), {}, write("boot.zvb", script)}, 9600);
    EXPECT_EQ(result.partOutcome(SetupPart::Font), PartOutcome::Failed);
    EXPECT_EQ(result.partOutcome(SetupPart::BootScript), PartOutcome::Sent);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].text.endsWith(QStringLiteral("(flush returns 21)")))
        << boxes[0].text.toStdString();
    const QByteArray frame = "\x1b[" + bootScriptFrame(script);
    EXPECT_TRUE(received(1).endsWith(frame));
    EXPECT_EQ(sim.stateFile(QStringLiteral("bootscript.bin")), script);
}

// The font goes as it always has, but the part fails: what the board held beyond
// the new font was not erased.
TEST_F(SetupOnSimulator, RefusedEraseIsReportedAndTheFontStillGoesButFails)
{
    ASSERT_TRUE(start({QStringLiteral("--nak-erase")}));
    const QByteArray fontFile = fontBytes(300);
    const DownloadOutcome result =
        downloadSetup(*conversation, {write("font.zvf", fontFile), {}, {}}, 9600);
    EXPECT_EQ(boxes, std::vector<BoxMessage>{noAckFromErase});
    const QByteArray wire = eraseCommand + fontFrames(fontFile) + flushCommand;
    EXPECT_EQ(received(wire.size()), wire);
    EXPECT_EQ(result.partOutcome(SetupPart::Font), PartOutcome::Failed);
    EXPECT_EQ(result.result, DownloadResult::Failed);
    EXPECT_TRUE(result.parts.front().reason.contains(QStringLiteral("no ack from erase")));
}
