// The boot script download over a scripted port and against zuvo-sim.

#include "libkernwick/config/bootscriptfile.h"
#include "libkernwick/device/bootscriptdownload.h"
#include "libkernwick/device/conversation.h"
#include "libkernwick/device/serialport.h"
#include "namedcase.h"
#include "qtprinters.h"
#include "scriptedport.h"
#include "simulator.h"
#include "simulatorlink.h"
#include "testapplication.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

KERNWICK_TEST_APPLICATION(QCoreApplication);

using namespace Kernwick;
using Kernwick::Test::ScriptedPort;
using Kernwick::Test::Simulator;
using Kernwick::Test::SimulatorLink;
namespace Test = Kernwick::Test;

namespace {

const QByteArray identificationQuery("\x1b[1}");
const QByteArray emptyScriptFrame("\x1bX\x1b\\\x1b[8v\x1b[1v");
// Escape commands, an embedded string and CR LF line breaks.
const QByteArray script = "\x1b[2J\x1b[1;1HStation 4\r\n\x1bQlive\x1bR\r\n\x1b[0m";

const QString detectedLog = QStringLiteral("Opening com port\r\nPort opened\r\nConfiguring com "
                                           "port\r\nPort configured successfully\r\nVerifying ZUVO "
                                           "is present\r\n.......\r\nZUVO detected\r\n");
const QString stepsLog = QStringLiteral("Sending boot script\r\nSetting boot script\r\nSaving "
                                        "configuration\r\n");
const QString completeLine = QStringLiteral("Boot script download complete\r\n");

using Progress = std::vector<int>;

// A board on a scripted port that answers the identification query with "v4".
struct ScriptedDownload
{
    ScriptedDownload()
    {
        port.peer = [](ScriptedPort &p, const QByteArray &written) {
            if (written == identificationQuery)
                p.arrive("ZUVO v4.2");
        };
        ConversationHooks hooks;
        hooks.appendLog = [this](const QString &text) { log += text; };
        hooks.stopRequested = [this] {
            return stopAfterBytes >= 0 && port.written.size() >= stopAfterBytes;
        };
        conversation = std::make_unique<Conversation>(port, QStringLiteral("com1"), hooks);
    }

    bool run(const QByteArray &text)
    {
        return downloadBootScript(*conversation, text, 9600, [this](int position, int maximum) {
            EXPECT_EQ(maximum, BootScriptProgressEnd);
            progress.push_back(position);
        });
    }

    ScriptedPort port;
    QString log;
    Progress progress;
    qsizetype stopAfterBytes = -1;
    std::unique_ptr<Conversation> conversation;
};

} // namespace

TEST(BootScriptDownload, EmptyScriptGoesAsTheBareFrameWithEveryLogLine)
{
    ScriptedDownload d;
    EXPECT_TRUE(d.run({}));
    EXPECT_EQ(d.port.written, identificationQuery + emptyScriptFrame);
    EXPECT_EQ(d.log, detectedLog + stepsLog + completeLine);
    EXPECT_EQ(d.progress, (Progress{0, 3, 6, 9, 10}));
    EXPECT_EQ(d.port.baudRate, 9600);
    EXPECT_FALSE(d.port.isOpen());
    EXPECT_EQ(d.port.closes, 1);
}

TEST(BootScriptDownload, ScriptGoesUnchangedInsideTheFrame)
{
    ScriptedDownload d;
    EXPECT_TRUE(d.run(script));
    EXPECT_EQ(d.port.written, identificationQuery + "\x1bX" + script + "\x1b\\\x1b[8v\x1b[1v");
    EXPECT_EQ(bootScriptFrame(script), "\x1bX" + script + "\x1b\\\x1b[8v\x1b[1v");
    EXPECT_EQ(d.log, detectedLog + stepsLog + completeLine);
}

TEST(BootScriptDownload, PacesTheTextButNotTheControlBytes)
{
    ScriptedDownload d;
    LinkTiming timing = d.port.timing();
    timing.paceMs = 20;
    d.port.setTiming(timing);
    EXPECT_TRUE(d.run(script));
    // The query's 4 bytes, the script and "8v" and "1v"; never ESC "X", ESC "\" or ESC "[".
    EXPECT_EQ(d.port.pacedMs, (4 + script.size() + 2 + 2) * 20);
}

TEST(BootScriptDownload, BoardThatNeverAnswersGetsNothingOfTheScript)
{
    ScriptedDownload d;
    d.port.peer = {};
    EXPECT_FALSE(d.run(script));
    EXPECT_EQ(d.port.written, identificationQuery);
    EXPECT_TRUE(d.log.endsWith(QStringLiteral("* ZUVO not detected *\r\nPlease verify\r\nZUVO is "
                                              "connected to main serial port\r\ncomputer is "
                                              "connected to correct serial port\r\nZUVO is "
                                              "powered\r\ncheck ZUVO serial rate")));
    EXPECT_FALSE(d.log.contains(QStringLiteral("Sending boot script")));
    EXPECT_EQ(d.progress, (Progress{0}));
    EXPECT_FALSE(d.port.isOpen());
}

TEST(BootScriptDownload, PortThatDoesNotOpenSendsNothing)
{
    ScriptedDownload d;
    d.port.openSucceeds = false;
    EXPECT_FALSE(d.run(script));
    EXPECT_TRUE(d.port.written.isEmpty());
    EXPECT_EQ(d.log, QStringLiteral("Opening com port\r\n*Open port failed*\r\nPlease ensure port "
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
    ScriptedDownload d;
    d.port.peer = [&c](ScriptedPort &p, const QByteArray &written) {
        if (written == identificationQuery)
            p.arrive("ZUVO v4.2");
        if (written.size() == identificationQuery.size() + c.bytesTaken)
            p.loseLine();
    };
    EXPECT_FALSE(d.run(script));
    const qsizetype frameBytes = bootScriptFrame(script).size();
    EXPECT_EQ(d.port.written, identificationQuery + bootScriptFrame(script).first(c.bytesTaken));
    EXPECT_EQ(d.log, detectedLog + c.logAfterSending +
                         QStringLiteral("*Boot script download failed*\r\nOnly %1 of %2 bytes "
                                        "could be written to the port\r\nPlease check the "
                                        "connection and download again\r\n")
                             .arg(c.bytesTaken)
                             .arg(frameBytes));
    EXPECT_FALSE(d.log.contains(completeLine));
    EXPECT_EQ(d.progress, c.progress);
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

TEST(BootScriptDownload, StopRequestEndsItBetweenTwoBytesWithThePortClosed)
{
    ScriptedDownload d;
    d.stopAfterBytes = identificationQuery.size() + 8;
    EXPECT_FALSE(d.run(script));
    EXPECT_EQ(d.port.written.size(), identificationQuery.size() + 8);
    EXPECT_EQ(d.log, detectedLog + QStringLiteral("Sending boot script\r\n* Stopped *"));
    EXPECT_FALSE(d.port.isOpen());
}

TEST(BootScriptDownloadOnSimulator, EmptyScriptGoesAsTheBareFrame)
{
    Simulator sim;
    ASSERT_TRUE(sim.start());
    SimulatorLink link(sim.device());
    EXPECT_TRUE(downloadBootScript(*link.conversation, {}, 9600));
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
    EXPECT_TRUE(downloadBootScript(*link.conversation, loaded, 9600)) << link.log.toStdString();
    EXPECT_EQ(sim.stateFileOnceWritten(QStringLiteral("bootscript.bin"), script.size()), script);
}
