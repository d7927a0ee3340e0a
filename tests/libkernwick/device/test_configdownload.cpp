// The configuration download over a scripted port and against zuvo-sim.

#include "downloadtest.h"
#include "libkernwick/config/configstream.h"
#include "libkernwick/config/wireform.h"
#include "libkernwick/device/configdownload.h"
#include "libkernwick/device/conversation.h"
#include "libkernwick/device/serialport.h"
#include "namedcase.h"
#include "qtprinters.h"
#include "simulator.h"
#include "simulatorlink.h"
#include "testapplication.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <map>

KERNWICK_TEST_APPLICATION(QCoreApplication);

using namespace Kernwick;
using namespace Kernwick::Test;

namespace {

using Progress = std::vector<std::pair<int, int>>;

// The configuration download on the scripted board, by default at the 9600 baud
// the configuration's board listens at.
struct ConfigDownload : ScriptedDownload
{
    DownloadOutcome run(const DeviceConfig &config = {}, qint32 baudRate = 9600)
    {
        return downloadConfiguration(*conversation, config, baudRate);
    }
};

} // namespace

TEST(ConfigDownload, SendsTheDownloadOrderStreamAfterTheBoardAnswers)
{
    ConfigDownload d;
    DeviceConfig config;
    config.horizontalStart = -20;
    EXPECT_TRUE(d.run(config, 19200).completed());
    EXPECT_EQ(d.port.written,
              identificationQuery + encodeConfigStream(config, ConfigOrder::Download));
    EXPECT_EQ(d.port.baudRate, 19200);
    // The line runs at 19200, the configuration's board at 9600: said first.
    EXPECT_EQ(d.record.log,
              zuvoDetectedLog +
                  QStringLiteral("The board will listen at 9600 baud after this configuration\r\n"
                                 "The next command must use the new settings\r\n"
                                 "Sending configuration\r\nConfiguration download complete\r\n"));
    EXPECT_EQ(d.record.progress, (Progress{{0, 10}, {10, 10}}));
    EXPECT_FALSE(d.port.isOpen());
    EXPECT_EQ(d.port.closes, 1);
    // The figures count parameter commands, the closing one included.
    const int commands = int(configOrder(ConfigOrder::Download).size()) + 1;
    const QStringList counts = transferCounts(d.record.transfers);
    ASSERT_FALSE(counts.isEmpty());
    EXPECT_EQ(counts.first(), QStringLiteral("0 of %1 parameters (0 %)").arg(commands));
    EXPECT_EQ(counts.last(), QStringLiteral("%1 of %1 parameters (100 %)").arg(commands));
    EXPECT_EQ(d.record.transfers.back().bytesSent,
              encodeConfigStream(config, ConfigOrder::Download).size());
}

struct LineChangeCase : NamedCase
{
    std::int32_t baud;
    std::int32_t flowControl;
    std::int32_t commParams;
    QStringList changes;
};

class LineChange : public ::testing::TestWithParam<LineChangeCase>
{
};

// Each setting that makes the board stop listening as the line speaks (9600 baud,
// 8 data bits, no parity, one stop bit, no flow control) is named.
TEST_P(LineChange, NamesEverySettingThatChangesTheLine)
{
    const LineChangeCase &c = GetParam();
    DeviceConfig config;
    config.serialBaudRate = c.baud;
    config.serialFlowControl = c.flowControl;
    config.commParams = c.commParams;
    EXPECT_EQ(lineChanges(config, 9600), c.changes);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LineChange,
    ::testing::Values(
        LineChangeCase{"Defaults", 9600, 1, 4, {}},
        LineChangeCase{"NoFlowControlAndEchoOn", 9600, 0, 4 + 64, {}},
        LineChangeCase{
            "Baud", 19200, 1, 4, {"The board will listen at 19200 baud after this configuration"}},
        LineChangeCase{"HardwareFlowControl",
                       9600,
                       2,
                       4,
                       {"The board will use hardware flow control after this configuration"}},
        LineChangeCase{"SevenBitsEvenParity",
                       9600,
                       1,
                       0 + 8,
                       {"The board will use 7 data bits, even parity and 1 stop bits after this "
                        "configuration"}},
        LineChangeCase{"TwoStopBitsAndAllElse",
                       115200,
                       2,
                       4 + 32,
                       {"The board will listen at 115200 baud after this configuration",
                        "The board will use hardware flow control after this configuration",
                        "The board will use 8 data bits, no parity and 2 stop bits after this "
                        "configuration"}}),
    CaseName());

TEST(ConfigDownload, PacesEveryByteOfTheStream)
{
    ConfigDownload d;
    LinkTiming timing = d.port.timing();
    timing.paceMs = 20;
    d.port.setTiming(timing);
    EXPECT_TRUE(d.run().completed());
    // 20 ms before each of the query's 4 bytes and the stream's 306.
    EXPECT_EQ(d.port.pacedMs, (4 + 306) * 20);
}

TEST(ConfigDownload, BoardThatNeverAnswersGetsNoConfigurationByte)
{
    ConfigDownload d;
    d.port.peer = {};
    EXPECT_EQ(d.run().result, DownloadResult::Failed);
    EXPECT_EQ(d.port.written, identificationQuery);
    EXPECT_EQ(d.record.log, openedLog + QStringLiteral("Verifying ZUVO is present\r\n") + dots(20) +
                                zuvoNotDetected);
    EXPECT_EQ(d.record.progress, (Progress{{0, 10}}));
    EXPECT_FALSE(d.port.isOpen());
}

TEST(ConfigDownload, PortThatDoesNotOpenSendsNothing)
{
    ConfigDownload d;
    d.port.openSucceeds = false;
    EXPECT_EQ(d.run().result, DownloadResult::Failed);
    EXPECT_TRUE(d.port.written.isEmpty());
    EXPECT_EQ(d.record.log,
              QStringLiteral("Opening com port\r\n*Open port failed*\r\nPlease ensure port "
                             "is available"));
}

TEST(ConfigDownload, LostLineStopsTheStreamWithAFailureLine)
{
    ConfigDownload d;
    d.port.peer = [](ScriptedPort &p, const QByteArray &written) {
        if (written == identificationQuery)
            p.arrive("ZUVO v4.2");
        if (written.size() == identificationQuery.size() + 50)
            p.loseLine();
    };
    EXPECT_EQ(d.run().result, DownloadResult::Failed);
    EXPECT_EQ(d.port.written.size(), identificationQuery.size() + 50);
    EXPECT_EQ(d.record.log,
              zuvoDetectedLog + QStringLiteral("Sending configuration\r\n*Configuration "
                                               "download failed*\r\nOnly 50 of 306 bytes could "
                                               "be written to the port\r\nPlease check the "
                                               "connection and download again\r\nThe line "
                                               "to com1 was lost\r\n"));
    EXPECT_FALSE(d.record.log.contains(QStringLiteral("Configuration download complete")));
    EXPECT_EQ(d.record.progress, (Progress{{0, 10}}));
    EXPECT_FALSE(d.port.isOpen());
}

// A stop waits for the end of the parameter command being sent: the board is never
// left inside one, and the next command is not taken as part of it.
TEST(ConfigDownload, StopRequestEndsTheStreamAfterTheCommandWithThePortClosed)
{
    ConfigDownload d;
    d.stopAfterBytes = identificationQuery.size() + 100;
    EXPECT_EQ(d.run().result, DownloadResult::Stopped);
    const QByteArray sent = d.port.written.mid(identificationQuery.size());
    EXPECT_GT(sent.size(), 100);
    EXPECT_LT(sent.size(), 100 + 12) << "no more than the rest of one command";
    EXPECT_TRUE(sent.endsWith('v')) << sent.toStdString();
    EXPECT_EQ(d.record.log,
              zuvoDetectedLog + QStringLiteral("Sending configuration\r\n* Stopped *"));
    EXPECT_FALSE(d.port.isOpen());
}

TEST(ConfigDownloadOnSimulator, EveryValueArrives)
{
    // Each parameter: the editor value sent and the wire value the board must hold.
    const std::map<int, std::pair<std::int32_t, std::int32_t>> values = {{9, {0, 0}},
                                                                         {10, {1, 1}},
                                                                         {11, {2, 2}},
                                                                         {16, {1, 1}},
                                                                         {17, {1, 1}},
                                                                         {18, {0, 1}},
                                                                         {19, {0, 0}},
                                                                         {20, {0, 0}},
                                                                         {21, {0, 0}},
                                                                         {22, {1, 1}},
                                                                         {23, {7, 7}},
                                                                         {24, {-20, -20}},
                                                                         {25, {480, 480}},
                                                                         {26, {-5, -5}},
                                                                         {27, {288, 288}},
                                                                         {28, {0, 0}},
                                                                         {29, {127, 127}},
                                                                         {30, {55, 55000}},
                                                                         {31, {99, 99000}},
                                                                         {32, {1, 1}},
                                                                         {33, {20, 20}},
                                                                         {34, {500, 500}},
                                                                         {35, {3, 3}},
                                                                         {36, {8, 8}},
                                                                         {40, {115200, 115200}},
                                                                         {41, {2, 2}},
                                                                         {42, {105, 105}},
                                                                         {44, {3, 3}},
                                                                         {48, {1, 1}},
                                                                         {49, {2, 2}},
                                                                         {50, {3, 3}},
                                                                         {51, {2, 2}},
                                                                         {52, {1, 1}},
                                                                         {56, {1, 1}},
                                                                         {57, {1, 1}},
                                                                         {58, {2, 10}},
                                                                         {59, {1, 1}},
                                                                         {60, {2, 2}},
                                                                         {61, {255, 255}},
                                                                         {62, {100, 100}},
                                                                         {63, {3, 3}}};
    ASSERT_EQ(values.size(), std::size_t(ConfigParameterCount));
    DeviceConfig config;
    for (const auto &[number, value] : values)
        config.setValue(number, value.first);

    Simulator sim;
    ASSERT_TRUE(sim.start());
    SimulatorLink link(sim.device());
    EXPECT_TRUE(downloadConfiguration(*link.conversation, config, 9600).completed())
        << link.log.toStdString();
    EXPECT_TRUE(link.log.endsWith(
        QStringLiteral("Sending configuration\r\nConfiguration download complete\r\n")));

    // config.txt: "<number>=<wire value>" per parameter received.
    const QByteArray received = sim.stateFileOnceWritten(QStringLiteral("config.txt"));
    std::map<int, std::int32_t> board;
    for (const QByteArray &line : received.split('\n')) {
        if (line.isEmpty())
            continue;
        const QList<QByteArray> parts = line.split('=');
        ASSERT_EQ(parts.size(), 2) << line.toStdString();
        board[parts[0].toInt()] = parts[1].toInt();
    }
    ASSERT_EQ(board.size(), std::size_t(ConfigParameterCount)) << received.toStdString();
    for (const auto &[number, value] : values)
        EXPECT_EQ(board[number], value.second) << "parameter " << number;
}

TEST(ConfigDownloadOnSimulator, BoardWithoutV4GetsNoConfigurationByte)
{
    Simulator sim;
    ASSERT_TRUE(sim.start({QStringLiteral("--wrong-id")}));
    SimulatorLink link(sim.device());
    EXPECT_EQ(downloadConfiguration(*link.conversation, DeviceConfig{}, 9600).result,
              DownloadResult::Failed);
    EXPECT_TRUE(link.log.endsWith(zuvoNotDetected));
    EXPECT_FALSE(link.port.isOpen());
    sim.stop();
    EXPECT_EQ(sim.stateFile(QStringLiteral("wire.log")), identificationQuery);
    EXPECT_TRUE(sim.stateFile(QStringLiteral("config.txt")).isEmpty());
}
