// The boot script download over a scripted port and against zuvo-sim.

#include "downloadtest.h"
#include "libkernwick/config/bootscriptfile.h"
#include "libkernwick/device/bootscriptdownload.h"
#include "libkernwick/device/conversation.h"
#include "libkernwick/device/serialport.h"
#include "namedcase.h"
#include "qtprinters.h"
#include "simulator.h"
#include "simulatorlink.h"
#include "testapplication.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

KERNWICK_TEST_APPLICATION(QCoreApplication);

using namespace Kernwick;
using namespace Kernwick::Test;

namespace {

const QByteArray emptyScriptFrame("\x1bX\x1b\\\x1b[8v\x1b[1v");
// Escape commands, an embedded string and CR LF line breaks.
const QByteArray script = "\x1b[2J\x1b[1;1HStation 4\r\n\x1bQlive\x1bR\r\n\x1b[0m";

const QString stepsLog = QStringLiteral("Sending boot script\r\nSetting boot script\r\nSaving "
                                        "configuration\r\n");
const QString completeLine = QStringLiteral("Boot script download complete\r\n");

using Progress = std::vector<int>;

// The boot script download at 9600 baud on the scripted board.
struct BootScriptDownload : ScriptedDownload
{
    DownloadOutcome run(const QByteArray &text)
    {
        return downloadBootScript(*conversation, text, 9600);
    }

    // Where the progress reports stood, each of BootScriptProgressEnd.
    Progress progress()
    {
        Progress positions;
        for (const auto &[position, maximum] : record.progress) {
            EXPECT_EQ(maximum, BootScriptProgressEnd);
            positions.push_back(position);
        }
        return positions;
    }
};

} // namespace

TEST(BootScriptDownload, EmptyScriptGoesAsTheBareFrameWithEveryLogLine)
{
    BootScriptDownload d;
    EXPECT_TRUE(d.run({}).completed());
    EXPECT_EQ(d.port.written, identificationQuery + emptyScriptFrame);
    EXPECT_EQ(d.record.log, zuvoDetectedLog + stepsLog + completeLine);
    EXPECT_EQ(d.progress(), (Progress{0, 3, 6, 9, 10}));
    EXPECT_EQ(d.port.baudRate, 9600);
    EXPECT_FALSE(d.port.isOpen());
    EXPECT_EQ(d.port.closes, 1);
}

TEST(BootScriptDownload, ScriptGoesUnchangedInsideTheFrame)
{
    BootScriptDownload d;
    EXPECT_TRUE(d.run(script).completed());
    EXPECT_EQ(d.port.written, identificationQuery + "\x1bX" + script + "\x1b\\\x1b[8v\x1b[1v");
    EXPECT_EQ(bootScriptFrame(script), "\x1bX" + script + "\x1b\\\x1b[8v\x1b[1v");
    EXPECT_EQ(d.record.log, zuvoDetectedLog + stepsLog + completeLine);
    // The figures count the bytes of the frame and its commands.
    const qsizetype frame = bootScriptFrame(script).size();
    ASSERT_FALSE(d.record.transfers.empty());
    EXPECT_EQ(transferCounts(d.record.transfers).last(),
              QStringLiteral("%1 of %1 bytes (100 %)").arg(frame));
    EXPECT_EQ(d.record.transfers.back().bytesSent, frame);
}

TEST(BootScriptDownload, PacesTheTextButNotTheControlBytes)
{
    BootScriptDownload d;
    LinkTiming timing = d.port.timing();
    timing.paceMs = 20;
    d.port.setTiming(timing);
    EXPECT_TRUE(d.run(script).completed());
    // The query's 4 bytes, the script and "8v" and "1v"; never ESC "X", ESC "\" or ESC "[".
    EXPECT_EQ(d.port.pacedMs, (4 + script.size() + 2 + 2) * 20);
}

TEST(BootScriptDownload, BoardThatNeverAnswersGetsNothingOfTheScript)
{
    BootScriptDownload d;
    d.port.peer = {};
    EXPECT_EQ(d.run(script).result, DownloadResult::Failed);
    EXPECT_EQ(d.port.written, identificationQuery);
    EXPECT_TRUE(d.record.log.endsWith(zuvoNotDetected));
    EXPECT_FALSE(d.record.log.contains(QStringLiteral("Sending boot script")));
    EXPECT_EQ(d.progress(), (Progress{0}));
    EXPECT_FALSE(d.port.isOpen());
}

TEST(BootScriptDownload, PortThatDoesNotOpenSendsNothing)
{
    BootScriptDownload d;
    d.port.openSucceeds = false;
    EXPECT_EQ(d.run(script).result, DownloadResult::Failed);
    EXPECT_TRUE(d.port.written.isEmpty());
    EXPECT_EQ(d.record.log,
              QStringLiteral("Opening com port\r\n*Open port failed*\r\nPlease ensure port "
                             "is available"));
}

struct LostLineCase : Test::NamedCase
{
    qsizetype bytesTaken; ///< bytes of the frame written before the line goes
    QString logAfterSending;
    Progress progress;
};

class BootScriptLostLine : public ::testing::TestWithParam<LostLineCase>
{
};

TEST_P(BootScriptLostLine, StopsWithAFailureLineAndNoCompletion)
{
    const LostLineCase &c = GetParam();
    BootScriptDownload d;
    d.port.peer = [&c](ScriptedPort &p, const QByteArray &written) {
        if (written == identificationQuery)
            p.arrive("ZUVO v4.2");
        if (written.size() == identificationQuery.size() + c.bytesTaken)
            p.loseLine();
    };
    EXPECT_EQ(d.run(script).result, DownloadResult::Failed);
    const qsizetype frameBytes = bootScriptFrame(script).size();
    EXPECT_EQ(d.port.written, identificationQuery + bootScriptFrame(script).first(c.bytesTaken));
    EXPECT_EQ(d.record.log,
              zuvoDetectedLog + c.logAfterSending +
                  QStringLiteral("*Boot script download failed*\r\nOnly %1 of %2 bytes "
                                 "could be written to the port\r\nPlease check the "
                                 "connection and download again\r\nThe line to com1 was "
                                 "lost\r\n")
                      .arg(c.bytesTaken)
                      .arg(frameBytes));
    EXPECT_FALSE(d.record.log.contains(completeLine));
    EXPECT_EQ(d.progress(), c.progress);
    EXPECT_FALSE(d.port.isOpen());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BootScriptLostLine,
    ::testing::Values(
        LostLineCase{"AfterTheFrameStart", 1, QStringLiteral("Sending boot script\r\n"), {0}},
        LostLineCase{"InsideTheScript", 2 + 10, QStringLiteral("Sending boot script\r\n"), {0}},
        LostLineCase{"BeforeTheFrameEnd",
                     2 + script.size() + 1,
                     QStringLiteral("Sending boot script\r\n"),
                     {0}},
        LostLineCase{"InsideTheBootScriptCommand",
                     2 + script.size() + 2 + 3,
                     QStringLiteral("Sending boot script\r\nSetting boot script\r\n"),
                     {0, 3}},
        LostLineCase{"BeforeTheLastByteOfTheSave",
                     2 + script.size() + 2 + 4 + 3,
                     QStringLiteral("Sending boot script\r\nSetting boot script\r\nSaving "
                                    "configuration\r\n"),
                     {0, 3, 6, 9}}),
    Test::CaseName());

// A stop inside the script closes its string frame at once, so the board does not
// take the next command for more of the script.
TEST(BootScriptDownload, StopRequestClosesTheFrameAndEndsWithThePortClosed)
{
    BootScriptDownload d;
    d.stopAfterBytes = identificationQuery.size() + 8;
    EXPECT_EQ(d.run(script).result, DownloadResult::Stopped);
    EXPECT_EQ(d.port.written.size(), identificationQuery.size() + 8 + 2);
    EXPECT_TRUE(d.port.written.endsWith("\x1b\\"));
    EXPECT_EQ(d.record.log, zuvoDetectedLog + QStringLiteral("Sending boot script\r\n* Stopped *"));
    EXPECT_FALSE(d.port.isOpen());
}

TEST(BootScriptDownloadOnSimulator, EmptyScriptGoesAsTheBareFrame)
{
    Simulator sim;
    ASSERT_TRUE(sim.start());
    SimulatorLink link(sim.device());
    EXPECT_TRUE(downloadBootScript(*link.conversation, {}, 9600).completed());
    EXPECT_TRUE(link.log.endsWith(stepsLog + completeLine)) << link.log.toStdString();
    const QByteArray wire = identificationQuery + emptyScriptFrame;
    EXPECT_EQ(sim.stateFileOnceWritten(QStringLiteral("wire.log"), wire.size()), wire);
}

TEST(BootScriptDownloadOnSimulator, SavedAndLoadedScriptArrivesUnchanged)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("boot.zvb"));
    QString error;
    ASSERT_TRUE(saveBootScriptFile(file, script, &error)) << error.toStdString();
    QByteArray loaded;
    ASSERT_TRUE(loadBootScriptFile(file, &loaded, &error)) << error.toStdString();
    ASSERT_EQ(loaded, script);

    Simulator sim;
    ASSERT_TRUE(sim.start());
    SimulatorLink link(sim.device());
    EXPECT_TRUE(downloadBootScript(*link.conversation, loaded, 9600).completed())
        << link.log.toStdString();
    EXPECT_EQ(sim.stateFileOnceWritten(QStringLiteral("bootscript.bin"), script.size()), script);
}
