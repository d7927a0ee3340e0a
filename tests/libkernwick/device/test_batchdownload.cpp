// The same download on many boards at once: the port list check, the failure
// reasons and the report, and batches on simulated boards with faults and a stop.

#include "libkernwick/device/batchdownload.h"
#include "libkernwick/device/fontdownload.h"
#include "namedcase.h"
#include "simulator.h"
#include "simulatorlink.h"
#include "testapplication.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QMutex>
#include <QTemporaryDir>
#include <QThread>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <atomic>

KERNWICK_TEST_APPLICATION(QCoreApplication);

using namespace Kernwick;
using Kernwick::Test::Simulator;
using Kernwick::Test::SimulatorLink;

namespace {

QByteArray sampleFont(int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 7 + 3) & 0xff);
    return bytes;
}

LinkTiming pacing(int paceMs)
{
    LinkTiming timing;
    timing.paceMs = paceMs;
    return timing;
}

// A font download of `bytes` to the default device, from a reader of its own.
BoardDownloadWork fontWork(const QByteArray &bytes)
{
    return [bytes](Conversation &conversation) {
        QBuffer file;
        file.setData(bytes);
        file.open(QIODevice::ReadOnly);
        return downloadFont(conversation, file, FontDownload{});
    };
}

} // namespace

// ---- The port list ----

struct PortsCase : Test::NamedCase
{
    QStringList ports;
    const char *problem; ///< empty: accepted
};

class BatchPorts : public ::testing::TestWithParam<PortsCase>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        for (const char *name : {"ttyA", "ttyB"}) {
            QFile device(m_dir.filePath(QString::fromLatin1(name)));
            ASSERT_TRUE(device.open(QIODevice::WriteOnly));
        }
        ASSERT_TRUE(QFile::link(m_dir.filePath(QStringLiteral("ttyA")),
                                m_dir.filePath(QStringLiteral("linkA"))));
    }
    // "@" stands for the test's folder.
    QStringList ports() const
    {
        QStringList ports = GetParam().ports;
        for (QString &port : ports)
            port.replace(QLatin1Char('@'), m_dir.path());
        return ports;
    }
    PortTable table() const
    {
        return PortTable::fromDevices(
            {m_dir.filePath(QStringLiteral("ttyA")), m_dir.filePath(QStringLiteral("ttyB"))});
    }
    QTemporaryDir m_dir;
};

TEST_P(BatchPorts, RefusesTwoNamesForOneDevice)
{
    QString expected = QString::fromLatin1(GetParam().problem);
    expected.replace(QLatin1Char('@'), m_dir.path());
    EXPECT_EQ(batchPortsProblem(ports(), table()), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BatchPorts,
    ::testing::Values(PortsCase{"Distinct", {"com1", "com2", "com3", "com4"}, ""},
                      PortsCase{"DistinctPaths", {"@/ttyA", "@/ttyB"}, ""},
                      PortsCase{"None", {}, "No port is named"},
                      PortsCase{"EmptyName", {"com1", ""}, "A port name in the list is empty"},
                      PortsCase{"ComTwice", {"com1", "com2", "com1"}, "Port com1 is listed twice"},
                      PortsCase{"PathTwice", {"@/ttyB", "@/ttyB"}, "Port @/ttyB is listed twice"},
                      PortsCase{"ComAndItsDevice",
                                {"com2", "@/ttyB"},
                                "Ports com2 and @/ttyB are the same device (@/ttyB)"},
                      PortsCase{"LinkAndItsTarget",
                                {"@/linkA", "com1"},
                                "Ports @/linkA and com1 are the same device (@/ttyA)"},
                      PortsCase{"UnnormalisedPath",
                                {"@/ttyA", "@//./ttyA"},
                                "Ports @/ttyA and @//./ttyA are the same device (@/ttyA)"}),
    Test::CaseName());

// ---- The reason and the report ----

TEST(FailureReason, TakesTheFirstLineOfTheLastReport)
{
    const DownloadOutcome failed(DownloadResult::Failed);
    FailureReason silent;
    for (const char *text :
         {"Opening com port\r\n", "Verifying ZUVO is present\r\n", ".", ".",
          "\r\n* ZUVO not detected *\r\nPlease verify\r\nZUVO is connected to main serial port"})
        silent.logAppended(QString::fromLatin1(text));
    EXPECT_EQ(silent.reason(failed), QStringLiteral("ZUVO not detected"));

    // The stop line and dots after a failure do not hide it.
    FailureReason refused;
    refused.logAppended(QStringLiteral("* Data transfer failed *\r\nPacket number 3"));
    refused.logAppended(QStringLiteral("."));
    refused.logAppended(QStringLiteral("\r\n* Stopped *"));
    EXPECT_EQ(refused.reason(failed), QStringLiteral("Data transfer failed"));

    // A box shown speaks over the log, and the outcome's own box over both.
    refused.boxShown({QStringLiteral("Kernwick"), QStringLiteral("Font: no ack\nfor block 2")});
    EXPECT_EQ(refused.reason(failed), QStringLiteral("Font: no ack"));
    EXPECT_EQ(refused.reason(DownloadOutcome(DownloadResult::Failed, fileErrorBox())),
              fileErrorBox().text);
    // A box titled with the system's text and no body.
    FailureReason system;
    system.boxShown({QStringLiteral("Access denied."), QString()});
    EXPECT_EQ(system.reason(failed), QStringLiteral("Access denied."));

    EXPECT_EQ(FailureReason().reason(failed), QStringLiteral("Failed"));
}

TEST(BatchReport, CsvQuotesWhatNeedsIt)
{
    const QDateTime start(QDate(2026, 3, 4), QTime(10, 0, 0), QTimeZone::utc());
    BoardResult done{
        QStringLiteral("com3"), DownloadResult::Completed, {}, start, start.addMSecs(12345), 1};
    BoardResult failed{QStringLiteral("/dev/pts/4"),
                       DownloadResult::Failed,
                       QStringLiteral("Font: no ack, block \"2\""),
                       start,
                       start.addMSecs(999),
                       3};
    BoardResult stopped{QStringLiteral("com5"), DownloadResult::Stopped, {}, start, start, 1};
    EXPECT_EQ(
        batchReportCsv({done, failed, stopped}),
        QByteArray("port,result,reason,seconds,started,finished\r\n"
                   "com3,Completed,,12.3,2026-03-04T10:00:00.000Z,2026-03-04T10:00:12.345Z\r\n"
                   "/dev/pts/4,Failed,\"Font: no ack, block \"\"2\"\"\",1.0,"
                   "2026-03-04T10:00:00.000Z,2026-03-04T10:00:00.999Z\r\n"
                   "com5,Stopped,,0.0,2026-03-04T10:00:00.000Z,2026-03-04T10:00:00.000Z\r\n"));
    EXPECT_EQ(boardResultText(done), QStringLiteral("Completed"));
    EXPECT_EQ(boardResultText(failed), QStringLiteral("Failed: Font: no ack, block \"2\""));
    EXPECT_EQ(boardResultText(stopped), QStringLiteral("Stopped"));
}

// ---- Batches on simulated boards ----

// Four boards, board 2 silent and board 4 hanging up inside the font: the other two
// hold the whole font, the failures name their reasons, and every port is closed.
TEST(BatchOnSimulator, AFailingBoardAffectsNoOther)
{
    Simulator sim;
    ASSERT_TRUE(sim.startBoards(4, {QStringLiteral("--board"), QStringLiteral("2"),
                                    QStringLiteral("--silent"), QStringLiteral("--board"),
                                    QStringLiteral("4"), QStringLiteral("--hangup-after"),
                                    QStringLiteral("500")}));
    const QByteArray font = sampleFont(1500);
    QMutex mutex;
    QStringList logs(4);
    std::atomic<int> finishedOnOtherThreads{0};
    const Qt::HANDLE mainThread = QThread::currentThreadId();
    BatchDownload batch(sim.devices(), PortTable::fromDevices({}), pacing(0), fontWork(font),
                        {.conversation =
                             [&](int board) {
                                 return ConversationHooks{
                                     .appendLog = [&, board](const QString &text) {
                                         const QMutexLocker lock(&mutex);
                                         logs[board] += text;
                                     }};
                             },
                         .finished =
                             [&](int, const BoardResult &) {
                                 if (QThread::currentThreadId() != mainThread)
                                     ++finishedOnOtherThreads;
                             }});
    batch.start();
    batch.wait();
    EXPECT_TRUE(batch.isFinished());
    EXPECT_FALSE(batch.allCompleted());
    EXPECT_EQ(finishedOnOtherThreads, 4);

    const QList<BoardResult> results = batch.results();
    ASSERT_EQ(results.size(), 4);
    const DownloadResult expected[] = {DownloadResult::Completed, DownloadResult::Failed,
                                       DownloadResult::Completed, DownloadResult::Failed};
    for (int board = 0; board < 4; ++board) {
        SCOPED_TRACE(board + 1);
        EXPECT_EQ(results[board].portName, sim.device(board + 1));
        EXPECT_EQ(results[board].result, expected[board]) << logs[board].toStdString();
        EXPECT_EQ(results[board].attempts, 1);
        EXPECT_LE(results[board].started, results[board].finished);
        if (expected[board] == DownloadResult::Completed) {
            EXPECT_EQ(sim.stateFile(QStringLiteral("device4.bin"), board + 1), font);
            EXPECT_TRUE(results[board].reason.isEmpty());
        }
    }
    EXPECT_EQ(results[1].reason, QStringLiteral("ZUVO not detected"));
    EXPECT_EQ(results[3].reason, QStringLiteral("The line to %1 was lost").arg(sim.device(4)))
        << logs[3].toStdString();
}

// A board whose chunk is refused once succeeds on its retry; the others are tried once.
TEST(BatchOnSimulator, RetriesAFailedBoard)
{
    Simulator sim;
    ASSERT_TRUE(sim.startBoards(2, {QStringLiteral("--board"), QStringLiteral("2"),
                                    QStringLiteral("--nak-chunk"), QStringLiteral("1:1")}));
    const QByteArray font = sampleFont(700);
    QMutex mutex;
    QList<std::pair<int, int>> attempts;
    BatchDownload batch(sim.devices(), PortTable::fromDevices({}), pacing(0), fontWork(font),
                        {.attemptStarted = [&](int board, int attempt) {
                            const QMutexLocker lock(&mutex);
                            attempts.append({board, attempt});
                        }});
    batch.setRetries(2);
    batch.start();
    batch.wait();
    EXPECT_TRUE(batch.allCompleted());
    const QList<BoardResult> results = batch.results();
    EXPECT_EQ(results[0].attempts, 1);
    EXPECT_EQ(results[1].attempts, 2);
    EXPECT_EQ(attempts.count({1, 2}), 1);
    EXPECT_EQ(attempts.count({0, 2}), 0);
    EXPECT_EQ(sim.stateFile(QStringLiteral("device4.bin"), 2), font);
}

// One stop ends every board: each is Stopped, its port closed, none is tried again,
// and each board answers the next command.
TEST(BatchOnSimulator, OneStopEndsEveryBoard)
{
    Simulator sim;
    ASSERT_TRUE(sim.startBoards(3));
    std::atomic<int> boardsUnderWay{0};
    std::atomic<int> attemptsStarted{0};
    BatchDownload batch(sim.devices(), PortTable::fromDevices({}), pacing(2),
                        fontWork(sampleFont(16 * 1024)),
                        {.conversation =
                             [&](int) {
                                 auto counted = std::make_shared<bool>(false);
                                 return ConversationHooks{.progress = [&, counted](int done, int) {
                                     if (done > 0 && !*counted) {
                                         *counted = true;
                                         ++boardsUnderWay;
                                     }
                                 }};
                             },
                         .attemptStarted = [&](int, int) { ++attemptsStarted; }});
    batch.setRetries(3);
    batch.start();
    const QDeadlineTimer deadline(60000);
    while (boardsUnderWay < 3 && !batch.isFinished() && !deadline.hasExpired())
        QThread::msleep(20);
    ASSERT_EQ(boardsUnderWay, 3);
    batch.stop();
    batch.wait();
    EXPECT_EQ(attemptsStarted, 3);
    for (const BoardResult &result : batch.results()) {
        SCOPED_TRACE(result.portName.toStdString());
        EXPECT_EQ(result.result, DownloadResult::Stopped);
        EXPECT_TRUE(result.reason.isEmpty());
    }
    for (int board = 1; board <= 3; ++board) {
        SCOPED_TRACE(board);
        EXPECT_TRUE(sim.unfinishedInput(board).isEmpty())
            << sim.unfinishedInput(board).join(QLatin1Char('\n')).toStdString();
        SimulatorLink link(sim.device(board));
        EXPECT_TRUE(link.conversation->openPortLogged(9600));
        EXPECT_TRUE(link.conversation->detectBoard()) << link.log.toStdString();
        link.conversation->end();
    }
}

// A stop asked through a board's own hook (Ctrl-C) stops the whole batch.
TEST(BatchOnSimulator, ABoardsStopHookStopsTheBatch)
{
    Simulator sim;
    ASSERT_TRUE(sim.startBoards(2));
    std::atomic<bool> interrupt{false};
    std::atomic<int> progressed{0};
    BatchDownload batch(sim.devices(), PortTable::fromDevices({}), pacing(2),
                        fontWork(sampleFont(16 * 1024)), {.conversation = [&](int board) {
                            ConversationHooks hooks;
                            hooks.progress = [&](int done, int) {
                                if (done > 0)
                                    ++progressed;
                            };
                            // Only the first board hears the interrupt.
                            if (board == 0)
                                hooks.stopRequested = [&] { return interrupt.load(); };
                            return hooks;
                        }});
    batch.start();
    const QDeadlineTimer deadline(60000);
    while (progressed == 0 && !deadline.hasExpired())
        QThread::msleep(20);
    interrupt = true;
    batch.wait();
    EXPECT_TRUE(batch.stopRequested());
    for (const BoardResult &result : batch.results())
        EXPECT_EQ(result.result, DownloadResult::Stopped) << result.portName.toStdString();
}
