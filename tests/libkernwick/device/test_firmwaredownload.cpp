// The firmware downloads: exact logs and wire bytes on a scripted board with a fake
// clock, the real port against zuvo-sim in all three ways, and the repair download
// to lrzsz's rx behind a boot-monitor shim.

#include "downloadtest.h"
#include "libkernwick/device/boardprotocol.h"
#include "libkernwick/device/firmwaredownload.h"
#include "libkernwick/device/serialport.h"
#include "libkernwick/device/xmodem.h"
#include "lrzszreceiver.h"
#include "namedcase.h"
#include "qtprinters.h"
#include "simulator.h"
#include "testapplication.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <memory>

KERNWICK_TEST_APPLICATION(QCoreApplication);

using namespace Kernwick;
using namespace Kernwick::Test;

namespace {

const QByteArray receiveCommand = "S104000,#";
const QString startedLog = QStringLiteral("Preparing to download\r\nBeginning download\r\n");
const QString completeLog = QStringLiteral("Download complete\r\n");
const BoxMessage setStateBox{QStringLiteral("Error"), QStringLiteral("SetCommState Error")};

// A board for the firmware downloads: the main port's identification and reset,
// the console's prompt and "reset x", the boot monitor's "V#", "S104000,#" and "g#",
// and the XMODEM receiver. What it answers can be changed per test.
struct ScriptedMonitor
{
    QByteArray idAnswer = "ZUVO v4.12\r\n";
    QByteArray prompt = "\r\nzuvo>";
    QByteArray resetAnswer = "\r\nreset for download (boot monitor)";
    QByteArray monitorId = "boot\r\n>";
    std::function<CommandAnswer(int n)> receiveAnswer = [](int) { return CommandAnswer{0, "C"}; };
    std::function<CommandAnswer(int block)> blockAnswer = [](int) { return CommandAnswer{0, ack}; };
    std::function<CommandAnswer(int eot)> eotAnswer = [](int) { return CommandAnswer{0, ack}; };
    /// Runs when the main port's reset for download arrives.
    std::function<void(ScriptedPort &)> onReset;

    // What it saw.
    int receives = 0;
    int blocks = 0; ///< packets, retransmissions included
    int eots = 0;
    int starts = 0;
    std::vector<int> numbers; ///< block numbers on the wire, per packet
    QByteArray image;         ///< the data of acknowledged blocks

    void attach(ScriptedPort &port)
    {
        port.peer = [this](ScriptedPort &p, const QByteArray &written) { take(p, written.back()); };
    }

private:
    void answer(ScriptedPort &p, const CommandAnswer &a)
    {
        p.silence(a.first);
        p.arrive(a.second);
    }

    void take(ScriptedPort &p, char c)
    {
        if (m_transfer) {
            if (!m_packet.isEmpty()) {
                m_packet.append(c);
                if (m_packet.size() == Xmodem::PacketSize) {
                    numbers.push_back(std::uint8_t(m_packet[1]));
                    const CommandAnswer a = blockAnswer(++blocks);
                    if (a.second == ack)
                        image += m_packet.mid(3, Xmodem::BlockSize);
                    answer(p, a);
                    m_packet.clear();
                }
                return;
            }
            if (c == char(ControlByte::Soh)) {
                m_packet.append(c);
                return;
            }
            if (c == char(ControlByte::Eot)) {
                const CommandAnswer a = eotAnswer(++eots);
                m_transfer = a.second.startsWith(nak) || a.second.isEmpty();
                answer(p, a);
                return;
            }
        }
        m_text.append(c);
        if (m_text == "\r") {
            answer(p, {0, prompt});
        } else if (m_text.endsWith("\x1b[1}")) {
            answer(p, {0, idAnswer});
        } else if (m_text.endsWith("\x1b[8265;1|")) {
            if (onReset)
                onReset(p);
        } else if (m_text.endsWith("reset x\n")) {
            answer(p, {0, resetAnswer});
        } else if (m_text.endsWith("V#")) {
            answer(p, {0, monitorId});
        } else if (m_text.endsWith(receiveCommand)) {
            m_transfer = true;
            answer(p, receiveAnswer(++receives));
        } else if (m_text.endsWith("g#")) {
            ++starts;
        } else {
            return;
        }
        m_text.clear();
    }

    bool m_transfer = false;
    QByteArray m_packet;
    QByteArray m_text;
};

QByteArray padded(const QByteArray &file)
{
    const qsizetype size = (file.size() + 127) / 128 * 128;
    return file + QByteArray(size - file.size(), char(Xmodem::Padding));
}

QByteArray packets(const QByteArray &file)
{
    QByteArray wire;
    int k = 0;
    for (qsizetype at = 0; at < file.size(); at += 128)
        wire += Xmodem::packet(
            std::uint8_t(++k % 256),
            QByteArrayView(file).sliced(at).first(qMin<qsizetype>(128, file.size() - at)));
    return wire;
}

const QString mainDetected = QStringLiteral("Verifying ZUVO is present\r\n") + dots(7) +
                             QStringLiteral("\r\nZUVO detected\r\n");
const QString deviceDetected = QStringLiteral("Verifying device is present\r\n") + dots(7) +
                               QStringLiteral("\r\nDevice detected\r\n");

// Per way of reaching the monitor: what the log and the wire hold before the blocks.
struct WayCase : Test::NamedCase
{
    FirmwareDialect dialect;
    QString logBeforeBlocks;
    QByteArray wireBeforeBlocks;
    bool packetLines; ///< "packet k" per block (debug port)
};

const WayCase mainWay{"MainPort", FirmwareDialect::MainPort,
                      openedLog + mainDetected +
                          QStringLiteral("Sending reset for download command\r\nReconfiguring "
                                         "comport\r\n") +
                          startedLog,
                      "\x1b[1}\x1b[8265;1|" + receiveCommand, false};
const WayCase debugWay{"DebugPort", FirmwareDialect::DebugPort,
                       openedLog + deviceDetected +
                           QStringLiteral("Sending reset for download command\r\n") + startedLog,
                       "\rreset x\n" + receiveCommand, true};
const WayCase repairWay{"Repair", FirmwareDialect::Repair, openedLog + deviceDetected + startedLog,
                        "V#" + receiveCommand, false};

class FirmwareDownloadTest : public ::testing::Test
{
protected:
    void SetUp() override { board.attach(port); }

    DownloadOutcome download(const QByteArray &bytes, FirmwareDialect dialect,
                             qint32 baudRate = 9600)
    {
        QBuffer file;
        file.setData(bytes);
        file.open(QIODevice::ReadOnly);
        return download(file, dialect, baudRate);
    }
    DownloadOutcome download(QIODevice &file, FirmwareDialect dialect, qint32 baudRate = 9600)
    {
        Conversation c(port, QStringLiteral("com2"), record.hooks());
        return downloadFirmware(c, file, {dialect, baudRate});
    }

    ScriptedPort port;
    ScriptedMonitor board;
    Record record;
};

class EachWay : public FirmwareDownloadTest, public ::testing::WithParamInterface<WayCase>
{
};

} // namespace

TEST(FirmwareDownloadCaptions, NameTheFileWithoutFoldersAndThePort)
{
    const ProgressCaptions captions = firmwareDownloadCaptions(
        QStringLiteral("/srv/images/zuvo-4.13.bin"), QStringLiteral("com1"));
    EXPECT_EQ(captions.fileLine, QStringLiteral("Downloading file: zuvo-4.13.bin"));
    EXPECT_EQ(captions.portLine, QStringLiteral("on com1"));
}

// The whole image arrives, its short tail padded with 0x1A; "Download Complete" is
// confirmed before "g#" starts the firmware.
TEST_P(EachWay, SendsTheImageInBlocksThenEotThenStartsItAfterTheBox)
{
    const WayCase &w = GetParam();
    const QByteArray file = sampleFile(2 * 128 + 44);
    bool boxBeforeStart = false;
    record.onConfirm = [&](const BoxMessage &) {
        boxBeforeStart = board.starts == 0 && port.written.endsWith(char(ControlByte::Eot));
    };

    const DownloadOutcome outcome = download(file, w.dialect);
    EXPECT_EQ(outcome.result, DownloadResult::Completed);
    EXPECT_FALSE(outcome.box);
    EXPECT_EQ(board.image, padded(file));
    EXPECT_EQ(port.written, w.wireBeforeBlocks + packets(file) + "\x04g#");
    const QString packetLines =
        w.packetLines ? QStringLiteral("packet 1\r\npacket 2\r\npacket 3\r\n") : QString();
    EXPECT_EQ(record.log, w.logBeforeBlocks + packetLines + completeLog);
    EXPECT_EQ(record.confirmed, std::vector<BoxMessage>{downloadCompleteBox()});
    EXPECT_TRUE(boxBeforeStart);
    EXPECT_EQ(board.starts, 1);
    EXPECT_EQ(record.progress, (std::vector<std::pair<int, int>>{{0, 2}, {1, 2}, {2, 2}, {3, 2}}));
    // The figures count the padded last block too, and the bytes of the packets.
    EXPECT_EQ(transferCounts(record.transfers),
              (QStringList{"0 of 3 blocks (0 %)", "1 of 3 blocks (33 %)", "2 of 3 blocks (66 %)",
                           "3 of 3 blocks (100 %)"}));
    EXPECT_EQ(record.transfers.back().bytesSent, packets(file).size());
    EXPECT_EQ(port.baudRate, 115200);
    EXPECT_EQ(port.readTimeout, 500);
    EXPECT_FALSE(port.isOpen());
    EXPECT_TRUE(record.boxes.empty());
}

TEST_P(EachWay, EmptyFileSendsEotAtOnce)
{
    const DownloadOutcome outcome = download(QByteArray(), GetParam().dialect);
    EXPECT_TRUE(outcome.completed());
    EXPECT_EQ(port.written, GetParam().wireBeforeBlocks + "\x04g#");
    EXPECT_EQ(record.log, GetParam().logBeforeBlocks + completeLog);
    EXPECT_EQ(record.progress, (std::vector<std::pair<int, int>>{{0, 0}}));
}

TEST_P(EachWay, BlockNumbersWrapAt256)
{
    const QByteArray file = sampleFile(257 * 128 + 1);
    EXPECT_TRUE(download(file, GetParam().dialect).completed());
    ASSERT_EQ(board.numbers.size(), 258u);
    EXPECT_EQ(board.numbers[0], 1);
    EXPECT_EQ(board.numbers[254], 255);
    EXPECT_EQ(board.numbers[255], 0) << "block 256";
    EXPECT_EQ(board.numbers[256], 1) << "block 257";
    EXPECT_EQ(board.numbers[257], 2);
    EXPECT_EQ(board.image, padded(file));
    EXPECT_EQ(record.progress.back(), std::make_pair(258, 257));
}

TEST_P(EachWay, BlockRefused21TimesFailsWithTheCommandsReport)
{
    const WayCase &w = GetParam();
    board.blockAnswer = [](int block) { return CommandAnswer{0, block >= 2 ? nak : ack}; };
    const DownloadOutcome outcome = download(sampleFile(5 * 128), w.dialect);

    EXPECT_EQ(outcome.result, DownloadResult::Failed);
    EXPECT_EQ(board.blocks, 1 + Xmodem::MaxTransmissions);
    EXPECT_EQ(board.eots, 0) << "no EOT after a failed block";
    EXPECT_EQ(board.starts, 0) << "no g# after a failed block";
    EXPECT_TRUE(record.confirmed.empty());
    EXPECT_FALSE(port.isOpen());
    switch (w.dialect) {
    case FirmwareDialect::DebugPort:
        EXPECT_EQ(record.log, w.logBeforeBlocks + QStringLiteral("packet 1\r\nError uploading "
                                                                 "data-packet no. 2\r\n"));
        EXPECT_FALSE(outcome.box);
        break;
    case FirmwareDialect::MainPort:
        EXPECT_EQ(record.log,
                  w.logBeforeBlocks + QStringLiteral("* Data transfer failed\r\nPacket # 2"));
        EXPECT_FALSE(outcome.box);
        break;
    case FirmwareDialect::Repair:
        EXPECT_EQ(record.log, w.logBeforeBlocks);
        EXPECT_EQ(outcome.box, repairFailedBox());
        EXPECT_TRUE(outcome.dismissProgress);
        break;
    }
}

TEST_P(EachWay, TwentyRefusalsThenAckStillSucceeds)
{
    board.blockAnswer = [](int block) { return CommandAnswer{0, block <= 20 ? nak : ack}; };
    EXPECT_TRUE(download(sampleFile(128), GetParam().dialect).completed());
    EXPECT_EQ(board.blocks, Xmodem::MaxTransmissions);
}

// Every block was acknowledged: a receiver that refuses every EOT has the file, so
// the transfer ends as done, with a log line that the end was not confirmed.
TEST_P(EachWay, RefusedEndOfTransferIsTakenAsDoneUnconfirmed)
{
    board.eotAnswer = [](int) { return CommandAnswer{0, nak}; };
    const DownloadOutcome outcome = download(sampleFile(128), GetParam().dialect);
    EXPECT_EQ(outcome.result, DownloadResult::Completed);
    EXPECT_EQ(board.eots, Xmodem::MaxEotTransmissions);
    EXPECT_EQ(board.starts, 1);
    EXPECT_TRUE(record.log.contains(
        QStringLiteral("End of transfer not confirmed by the receiver\r\nDownload complete\r\n")));
}

// The monitor's text after the transfer counts as its answer: one EOT, no wait.
TEST_P(EachWay, TextAfterEotEndsTheTransferAtOnce)
{
    board.eotAnswer = [](int) { return CommandAnswer{0, "\r\nOK\r\n>"}; };
    EXPECT_TRUE(download(sampleFile(128), GetParam().dialect).completed());
    EXPECT_EQ(board.eots, 1);
}

TEST_P(EachWay, UnreadableFileEndsWithTheFileErrorBox)
{
    BrokenFile file(sampleFile(600), 256);
    const DownloadOutcome outcome = download(file, GetParam().dialect);
    EXPECT_EQ(outcome.result, DownloadResult::Failed);
    EXPECT_EQ(outcome.box, fileErrorBox());
    EXPECT_EQ(board.blocks, 2);
    EXPECT_EQ(board.eots, 0);
    EXPECT_FALSE(port.isOpen());
}

TEST_P(EachWay, StopDuringTheBlocksEndsWithoutEotOrStart)
{
    // The third block's answer comes after 100 silent reads; the stop is seen after
    // the first of them.
    board.blockAnswer = [](int block) { return CommandAnswer{block >= 3 ? 100 : 0, ack}; };
    record.stopWhen = [this] { return board.blocks >= 3; };
    const qint64 before = port.now;
    const DownloadOutcome outcome = download(sampleFile(10 * 128), GetParam().dialect);
    EXPECT_EQ(outcome.result, DownloadResult::Stopped);
    EXPECT_TRUE(record.log.endsWith(QStringLiteral("* Stopped *"))) << record.log.toStdString();
    EXPECT_EQ(board.eots, 0);
    EXPECT_EQ(board.starts, 0);
    EXPECT_FALSE(port.isOpen());
    EXPECT_LT(port.now - before, 100 * 500) << "not after the block's 100 silent reads";
    EXPECT_EQ(board.blocks, 3);
}

TEST_P(EachWay, StopWhileTheBoxIsUpSendsNoStart)
{
    record.onConfirm = [this](const BoxMessage &) { record.stopWhen = [] { return true; }; };
    const DownloadOutcome outcome = download(sampleFile(128), GetParam().dialect);
    EXPECT_EQ(outcome.result, DownloadResult::Stopped);
    EXPECT_EQ(board.starts, 0);
    EXPECT_TRUE(record.log.endsWith(completeLog + QStringLiteral("* Stopped *")));
    EXPECT_FALSE(port.isOpen());
}

INSTANTIATE_TEST_SUITE_P(Ways, EachWay, ::testing::Values(mainWay, debugWay, repairWay),
                         Test::CaseName());

TEST_F(FirmwareDownloadTest, MainPortReopensAtTheMonitorRateAndSetsTheTimeoutsAgain)
{
    std::vector<qint32> rates;
    board.onReset = [&rates](ScriptedPort &p) { rates.push_back(p.baudRate); };
    EXPECT_TRUE(download(sampleFile(128), FirmwareDialect::MainPort, 38400).completed());
    EXPECT_EQ(rates, std::vector<qint32>{38400}) << "the reset goes at the selected rate";
    EXPECT_EQ(port.openedNames, (QStringList{QStringLiteral("com2"), QStringLiteral("com2")}));
    EXPECT_EQ(port.baudRate, 115200);
    EXPECT_EQ(port.timeoutSettings, 2);
    EXPECT_EQ(port.closes, 2);
}

struct ReopenCase : Test::NamedCase
{
    std::function<void(ScriptedPort &)> onReset;
    QString logTail;
    std::vector<BoxMessage> boxes;
};

class ReopenFailure : public FirmwareDownloadTest, public ::testing::WithParamInterface<ReopenCase>
{
};

TEST_P(ReopenFailure, EndsWithItsTextAndThePortClosed)
{
    board.onReset = GetParam().onReset;
    const DownloadOutcome outcome = download(sampleFile(128), FirmwareDialect::MainPort);
    EXPECT_EQ(outcome.result, DownloadResult::Failed);
    EXPECT_EQ(record.log, openedLog + mainDetected +
                              QStringLiteral("Sending reset for download command\r\nReconfiguring "
                                             "comport\r\n") +
                              GetParam().logTail);
    EXPECT_EQ(record.boxes, GetParam().boxes);
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(board.receives, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReopenFailure,
    ::testing::Values(ReopenCase{"Open",
                                 [](ScriptedPort &p) { p.openSucceeds = false; },
                                 QStringLiteral("* Failed to reopen port *\r\n"),
                                 {}},
                      ReopenCase{"Configure",
                                 [](ScriptedPort &p) { p.configureFailure = setStateBox; },
                                 QStringLiteral("* Failed to reconfigure port *\r\n"),
                                 {setStateBox}},
                      ReopenCase{"Timeouts",
                                 [](ScriptedPort &p) { p.timeoutsFail = true; },
                                 QStringLiteral("* Failed to reconfigure port *\r\n"),
                                 {{QStringLiteral("Com Port Error"),
                                   QStringLiteral("StCommTimeouts function failed")}}}),
    Test::CaseName());

TEST_F(FirmwareDownloadTest, DebugPortAsksAgainForEveryByteBeforeTheC)
{
    board.receiveAnswer = [](int n) {
        return n == 1 ? CommandAnswer{0, "xy"} : CommandAnswer{0, n == 3 ? "C" : ""};
    };
    EXPECT_TRUE(download(sampleFile(128), FirmwareDialect::DebugPort).completed());
    EXPECT_EQ(board.receives, 3);
    EXPECT_EQ(port.written.count(receiveCommand), 3);
}

TEST_F(FirmwareDownloadTest, DebugPortSendsTheBlocksAfterOneSilentRead)
{
    board.receiveAnswer = [](int) { return CommandAnswer{0, {}}; };
    EXPECT_TRUE(download(sampleFile(256), FirmwareDialect::DebugPort).completed());
    EXPECT_EQ(board.receives, 1);
    EXPECT_EQ(board.image, sampleFile(256));
    // The detection's drain (one silent read), 100 ms after "reset x", 10 ms after
    // each byte of the answer before its ")", 10 ms after "S104000,#", and one
    // silent read for the "C" that never comes.
    const int pausesInAnswer = int(board.resetAnswer.indexOf(')'));
    EXPECT_EQ(port.now, 500 + 100 + 10 * pausesInAnswer + 10 + 500);
}

TEST_F(FirmwareDownloadTest, RepairSilentMonitorIsNotDetectedAfterFortyReads)
{
    board.monitorId.clear();
    EXPECT_EQ(download(sampleFile(128), FirmwareDialect::Repair).result, DownloadResult::Failed);
    EXPECT_EQ(port.reads, 40);
    EXPECT_TRUE(record.log.endsWith(QStringLiteral("* Device not detected *\r\nPlease "
                                                   "verify\r\ndevice is connected to main serial "
                                                   "port\r\ncomputer is connected to correct "
                                                   "serial port\r\nZUVO is powered\r\ncheck "
                                                   "ZUVO serial rate")));
    EXPECT_FALSE(port.isOpen());
}

// ---- Against zuvo-sim ------------------------------------------------------------

namespace {

struct SimWay : Test::NamedCase
{
    FirmwareDialect dialect;
    const char *mode;
    const char *before; ///< the wire up to the first block
};

class FirmwareOnSimulator : public ::testing::TestWithParam<SimWay>
{
protected:
    DownloadOutcome download(const QByteArray &bytes, const QStringList &faults = {})
    {
        if (!sim.start(QStringList{QStringLiteral("--mode"), QString::fromLatin1(GetParam().mode)} +
                       faults)) {
            ADD_FAILURE() << "zuvo-sim did not start";
            return {};
        }
        CSerialPort port{PortTable::fromDevices({})};
        LinkTiming timing;
        timing.paceMs = 0;
        port.setTiming(timing);
        Conversation c(port, sim.device(), record.hooks());
        QBuffer file;
        file.setData(bytes);
        file.open(QIODevice::ReadOnly);
        const DownloadOutcome outcome = downloadFirmware(c, file, {GetParam().dialect, 9600});
        portClosed = !port.isOpen();
        return outcome;
    }
    QByteArray wire() { return sim.stateFile(QStringLiteral("wire.log")); }
    // "g#" is not answered: the simulator may record it a moment after the download
    // has ended.
    QByteArray wireEndingWith(const QByteArray &tail)
    {
        const QDeadlineTimer deadline(5000);
        QByteArray received = wire();
        while (!received.endsWith(tail) && !deadline.hasExpired()) {
            QThread::msleep(20);
            received = wire();
        }
        return received;
    }

    Simulator sim;
    Record record;
    bool portClosed = false;
};

} // namespace

// 257 blocks: the 256th travels as number 0 (the simulator takes blocks only in
// sequence), the last holds 50 bytes and is padded.
TEST_P(FirmwareOnSimulator, ImageArrivesWholeAndStarts)
{
    const QByteArray file = sampleFile(256 * 128 + 50);
    const DownloadOutcome outcome = download(file);
    EXPECT_EQ(outcome.result, DownloadResult::Completed) << record.log.toStdString();
    EXPECT_TRUE(portClosed);
    EXPECT_EQ(sim.stateFile(QStringLiteral("firmware.bin")), padded(file));
    const QByteArray received = wireEndingWith("\x04g#");
    EXPECT_TRUE(received.startsWith(GetParam().before)) << received.left(40).toStdString();
    EXPECT_TRUE(received.contains("\x01\x00\xff")) << "block 256 as number 0";
    EXPECT_TRUE(received.endsWith("\x04g#"));
    EXPECT_TRUE(record.log.endsWith(completeLog));
    EXPECT_EQ(record.confirmed.size(), 1u);
}

TEST_P(FirmwareOnSimulator, EmptyImageSendsEotAtOnce)
{
    EXPECT_TRUE(download({}).completed()) << record.log.toStdString();
    EXPECT_TRUE(wireEndingWith("g#").endsWith(receiveCommand + "\x04g#"));
    QFile firmware(sim.stateDir() + QStringLiteral("/firmware.bin"));
    EXPECT_TRUE(firmware.exists());
    EXPECT_EQ(firmware.size(), 0);
}

TEST_P(FirmwareOnSimulator, BlockRefused21TimesFails)
{
    const DownloadOutcome outcome =
        download(sampleFile(4 * 128), {QStringLiteral("--nak-block"), QStringLiteral("3")});
    EXPECT_EQ(outcome.result, DownloadResult::Failed);
    EXPECT_TRUE(portClosed);
    EXPECT_FALSE(wire().contains("g#"));
    switch (GetParam().dialect) {
    case FirmwareDialect::DebugPort:
        EXPECT_TRUE(record.log.endsWith(
            QStringLiteral("packet 2\r\nError uploading data-packet no. 3\r\n")));
        break;
    case FirmwareDialect::MainPort:
        EXPECT_TRUE(record.log.endsWith(startedLog +
                                        QStringLiteral("* Data transfer failed\r\nPacket # 3")));
        break;
    case FirmwareDialect::Repair:
        EXPECT_TRUE(record.log.endsWith(startedLog));
        EXPECT_EQ(outcome.box, repairFailedBox());
        break;
    }
}

INSTANTIATE_TEST_SUITE_P(Ways, FirmwareOnSimulator,
                         ::testing::Values(SimWay{"MainPort", FirmwareDialect::MainPort, "main",
                                                  "\x1b[1}\x1b[8265;1|S104000,#\x01\x01\xfe"},
                                           SimWay{"DebugPort", FirmwareDialect::DebugPort, "debug",
                                                  "\rreset x\nS104000,#\x01\x01\xfe"},
                                           SimWay{"Repair", FirmwareDialect::Repair, "monitor",
                                                  "V#S104000,#\x01\x01\xfe"}),
                         Test::CaseName());

// lrzsz's rx behind a shim that plays the boot monitor's commands: an independent
// receiver stores what the repair download sends.
TEST(RepairDownloadToLrzsz, DeliversTheFile)
{
    if (!LrzszReceiver::available())
        GTEST_SKIP() << "lrzsz is not installed";
    LrzszReceiver rx(LrzszReceiver::Mode::BootMonitor);
    ASSERT_TRUE(rx.start());
    CSerialPort port{PortTable::fromDevices({})};
    LinkTiming timing;
    timing.paceMs = 0;
    port.setTiming(timing);
    Record record;
    // The user closes the box later than rx ends, so "g#" reaches the monitor.
    record.onConfirm = [&rx](const BoxMessage &) { rx.waitForRx(10000); };
    Conversation c(port, rx.device(), record.hooks());
    const QByteArray file = sampleFile(40 * 128 + 77);
    QBuffer buffer;
    buffer.setData(file);
    buffer.open(QIODevice::ReadOnly);

    const DownloadOutcome outcome = downloadFirmware(c, buffer, {FirmwareDialect::Repair, 9600});
    EXPECT_EQ(outcome.result, DownloadResult::Completed) << record.log.toStdString();
    // The shim answers "V#" with "rx shim\r\n>": ten reads to the ">". rx answers the
    // EOT only after a second of silence, later than the one read a sender waits.
    EXPECT_EQ(record.log, openedLog + QStringLiteral("Verifying device is present\r\n") + dots(10) +
                              QStringLiteral("\r\nDevice detected\r\n") + startedLog +
                              QStringLiteral("End of transfer not confirmed by the receiver\r\n") +
                              completeLog);
    EXPECT_EQ(rx.rxStatus(), 0) << rx.rxErrors().toStdString();
    EXPECT_EQ(rx.received(), padded(file));
    EXPECT_EQ(rx.eots(), 1);
    EXPECT_FALSE(port.isOpen());
    // "g#" is written before the port closes; give the relay a moment to see it.
    for (int i = 0; i < 100 && rx.firmwareStarts() == 0; ++i)
        QThread::msleep(10);
    EXPECT_EQ(rx.firmwareStarts(), 1);
}
