// kernwick-cli download font|firmware against zuvo-sim.

#include "clirun.h"
#include "namedcase.h"
#include "pty.h"
#include "qtprinters.h"
#include "simulator.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>

using namespace Kernwick;
using Kernwick::Test::CliResult;
using Kernwick::Test::runCli;
using Kernwick::Test::Simulator;

namespace {

const QByteArray opened =
    "Opening com port\r\nPort opened\r\nConfiguring com port\r\nPort configured successfully\r\n";

QByteArray sampleBytes(int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = (i / 20) % 4 == 1 ? '\0' : char((i * 53 + 7) & 0xFF);
    return bytes;
}

class CliDownload : public ::testing::Test
{
protected:
    QString writeFile(const QByteArray &bytes, const QString &name = QStringLiteral("file.bin"))
    {
        const QString path = m_dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
    QStringList board(const Simulator &sim) const
    {
        return {QStringLiteral("--port"), sim.device(), QStringLiteral("--pace-ms"),
                QStringLiteral("0"), QStringLiteral("--quiet")};
    }

private:
    QTemporaryDir m_dir;
};

} // namespace

TEST_F(CliDownload, FontGoesByteForByteAndPrintsTheLog)
{
    Simulator sim;
    ASSERT_TRUE(sim.start());
    const QByteArray font = sampleBytes(700);
    const CliResult r =
        runCli(QStringList{QStringLiteral("download"), QStringLiteral("font"), writeFile(font)} +
               board(sim));
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.isEmpty());
    EXPECT_TRUE(r.out.startsWith(opened + "Verifying ZUVO is present\r\n."));
    EXPECT_TRUE(r.out.endsWith("\r\nZUVO detected\r\nSending memory erase command\r\nMemory "
                               "erased\r\nDownloading font\r\nFont download complete\r\nSending "
                               "memory flush command\r\nMemory flushed: font loaded\r\nFont "
                               "download complete\n"))
        << r.out.toStdString();
    EXPECT_EQ(sim.stateFile(QStringLiteral("device4.bin")), font);
}

TEST_F(CliDownload, FontByTheDebugPortToAChosenDevice)
{
    Simulator sim;
    ASSERT_TRUE(sim.start({QStringLiteral("--mode"), QStringLiteral("debug")}));
    const QByteArray font = sampleBytes(300);
    const CliResult r =
        runCli(QStringList{QStringLiteral("download"), QStringLiteral("font"), writeFile(font),
                           QStringLiteral("--dialect"), QStringLiteral("debug"),
                           QStringLiteral("--device"), QStringLiteral("0")} +
               board(sim));
    EXPECT_EQ(r.exitCode, 0) << r.out.toStdString() << r.err.toStdString();
    EXPECT_EQ(sim.stateFile(QStringLiteral("device0.bin")), font);
    EXPECT_TRUE(sim.stateFile(QStringLiteral("wire.log")).contains("memory write 0 256 "));
}

struct FirmwareWay : Test::NamedCase
{
    const char *dialect;
    const char *mode;
};

class CliFirmware : public CliDownload, public ::testing::WithParamInterface<FirmwareWay>
{
};

TEST_P(CliFirmware, ImageArrivesAndTheDownloadCompletes)
{
    Simulator sim;
    ASSERT_TRUE(sim.start({QStringLiteral("--mode"), QString::fromLatin1(GetParam().mode)}));
    const QByteArray image = sampleBytes(5 * 128 + 3);
    const CliResult r =
        runCli(QStringList{QStringLiteral("download"), QStringLiteral("firmware"), writeFile(image),
                           QStringLiteral("--dialect"), QString::fromLatin1(GetParam().dialect)} +
               board(sim));
    EXPECT_EQ(r.exitCode, 0) << r.out.toStdString() << r.err.toStdString();
    EXPECT_TRUE(r.out.endsWith("Download complete\r\n")) << r.out.toStdString();
    EXPECT_TRUE(r.err.isEmpty()) << "the box is taken as confirmed, silently";
    EXPECT_EQ(sim.stateFile(QStringLiteral("firmware.bin")),
              image + QByteArray(6 * 128 - image.size(), '\x1a'));
}

INSTANTIATE_TEST_SUITE_P(Ways, CliFirmware,
                         ::testing::Values(FirmwareWay{"Main", "main", "main"},
                                           FirmwareWay{"Debug", "debug", "debug"},
                                           FirmwareWay{"Repair", "repair", "monitor"}),
                         Test::CaseName());

TEST_F(CliDownload, FailedTransfersExitOneWithTheirReport)
{
    {
        Simulator sim;
        ASSERT_TRUE(sim.start({QStringLiteral("--nak-chunk"), QStringLiteral("1")}));
        const CliResult r = runCli(QStringList{QStringLiteral("download"), QStringLiteral("font"),
                                               writeFile(sampleBytes(600))} +
                                   board(sim));
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.out.endsWith("* Data transfer failed *\r\nPacket number 1\n"))
            << r.out.toStdString();
    }
    {
        Simulator sim;
        ASSERT_TRUE(sim.start({QStringLiteral("--mode"), QStringLiteral("monitor"),
                               QStringLiteral("--nak-block"), QStringLiteral("2")}));
        const CliResult r =
            runCli(QStringList{QStringLiteral("download"), QStringLiteral("firmware"),
                               writeFile(sampleBytes(600)), QStringLiteral("--dialect"),
                               QStringLiteral("repair")} +
                   board(sim));
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.err, "kernwick-cli: error downloading data\n");
        EXPECT_TRUE(r.out.endsWith("Beginning download\r\n")) << r.out.toStdString();
    }
    {
        // The board hangs up in the middle of a chunk: the line's loss is named.
        Simulator sim;
        ASSERT_TRUE(sim.start({QStringLiteral("--hangup-after"), QStringLiteral("500")}));
        const CliResult r =
            runCli(QStringList{QStringLiteral("download"), QStringLiteral("font"),
                               writeFile(sampleBytes(2000)), QStringLiteral("--quiet")} +
                   board(sim));
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.out.contains("Downloading font\r\n")) << r.out.toStdString();
        EXPECT_TRUE(r.out.contains(("The line to " + sim.device() + " was lost").toLocal8Bit()))
            << r.out.toStdString() << r.err.toStdString();
        EXPECT_FALSE(r.out.contains("ZUVO not detected"));
    }
}

TEST_F(CliDownload, UnreadableFileIsAFileErrorAndNothingIsSent)
{
    Simulator sim;
    ASSERT_TRUE(sim.start());
    for (const char *kind : {"font", "firmware"}) {
        for (const QString &path :
             {QStringLiteral("/nonexistent/font.zvf"), QFileInfo(writeFile("x")).absolutePath()}) {
            const CliResult r =
                runCli(QStringList{QStringLiteral("download"), QString::fromLatin1(kind), path} +
                       board(sim));
            EXPECT_EQ(r.exitCode, 1) << kind;
            const QString reason = path.endsWith(QStringLiteral(".zvf"))
                                       ? QStringLiteral("No such file or directory")
                                       : QStringLiteral("file to open is a directory");
            EXPECT_EQ(QString::fromLocal8Bit(r.err),
                      QStringLiteral("kernwick-cli: %1: %2\n").arg(path, reason));
            EXPECT_TRUE(r.out.isEmpty());
        }
    }
    sim.stop();
    EXPECT_TRUE(sim.stateFile(QStringLiteral("wire.log")).isEmpty());
}

TEST(CliDownloadUsage, BadArgumentsAreUsageErrors)
{
    const QStringList cases[] = {
        {},
        {QStringLiteral("nothing"), QStringLiteral("f")},
        {QStringLiteral("font")},
        {QStringLiteral("font"), QStringLiteral("a"), QStringLiteral("b")},
        {QStringLiteral("font"), QStringLiteral("f"), QStringLiteral("--device"),
         QStringLiteral("5")},
        {QStringLiteral("font"), QStringLiteral("f"), QStringLiteral("--device"),
         QStringLiteral("-1")},
        {QStringLiteral("font"), QStringLiteral("f"), QStringLiteral("--device"),
         QStringLiteral("four")},
        {QStringLiteral("font"), QStringLiteral("f"), QStringLiteral("--dialect"),
         QStringLiteral("repair")},
        {QStringLiteral("firmware")},
        {QStringLiteral("firmware"), QStringLiteral("f"), QStringLiteral("--dialect"),
         QStringLiteral("serial")},
        {QStringLiteral("firmware"), QStringLiteral("f"), QStringLiteral("--device"),
         QStringLiteral("1")},
        {QStringLiteral("firmware"), QStringLiteral("f"), QStringLiteral("--baud"),
         QStringLiteral("0")},
    };
    for (const QStringList &args : cases) {
        const CliResult r = runCli(QStringList{QStringLiteral("download")} + args);
        EXPECT_EQ(r.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(r.err.startsWith("kernwick-cli: ")) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
}

TEST(CliDownloadUsage, HelpNamesTheKindsAndTheirOptions)
{
    const CliResult kinds = runCli({QStringLiteral("download"), QStringLiteral("--help")});
    EXPECT_EQ(kinds.exitCode, 0);
    EXPECT_TRUE(kinds.out.contains("  font ") && kinds.out.contains("  firmware "));
    const CliResult font =
        runCli({QStringLiteral("download"), QStringLiteral("font"), QStringLiteral("--help")});
    EXPECT_EQ(font.exitCode, 0);
    EXPECT_TRUE(font.out.startsWith("Usage: kernwick-cli download font")) << font.out.toStdString();
    EXPECT_TRUE(font.out.contains("--device") && font.out.contains("--dialect"));
    const CliResult firmware =
        runCli({QStringLiteral("download"), QStringLiteral("firmware"), QStringLiteral("-h")});
    EXPECT_EQ(firmware.exitCode, 0);
    EXPECT_TRUE(firmware.out.contains("main|debug|repair"));
}

// Ctrl-C during a download: the conversation stops at its next step, closes the
// port, logs "* Stopped *" and the program exits 130.
struct InterruptCase : Test::NamedCase
{
    QStringList simArgs;
    QStringList cliArgs;       ///< after "download"; the file is appended
    QByteArray interruptAfter; ///< in the printed log
};

class CliInterrupt : public CliDownload, public ::testing::WithParamInterface<InterruptCase>
{
};

TEST_P(CliInterrupt, ExitsOneThirtyWithThePortClosed)
{
    const InterruptCase &c = GetParam();
    Simulator sim;
    ASSERT_TRUE(sim.start(c.simArgs));
    QProcess cli;
    cli.start(
        QStringLiteral(KERNWICK_CLI),
        QStringList{QStringLiteral("download")} + c.cliArgs +
            QStringList{writeFile(sampleBytes(4000)), QStringLiteral("--port"), sim.device()});
    ASSERT_TRUE(cli.waitForStarted());
    QByteArray out;
    const QDeadlineTimer deadline(20000);
    while (!out.contains(c.interruptAfter) && !deadline.hasExpired() &&
           cli.state() == QProcess::Running) {
        cli.waitForReadyRead(100);
        out += cli.readAllStandardOutput();
    }
    ASSERT_TRUE(out.contains(c.interruptAfter)) << out.toStdString();
    ::kill(pid_t(cli.processId()), SIGINT);
    ASSERT_TRUE(cli.waitForFinished(20000));
    out += cli.readAllStandardOutput();

    EXPECT_EQ(cli.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(cli.exitCode(), 130) << out.toStdString();
    EXPECT_TRUE(out.endsWith("* Stopped *\n")) << out.toStdString();
    EXPECT_FALSE(out.contains("failed")) << out.toStdString();
    EXPECT_FALSE(out.contains("not detected")) << out.toStdString();
    // Nothing else comes after the stop.
    EXPECT_FALSE(sim.stateFile(QStringLiteral("wire.log")).contains("\x1b[92;"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliInterrupt,
    ::testing::Values(
        // A silent board: the detection would wait 20 reads.
        InterruptCase{"SilentBoardDuringDetection",
                      {QStringLiteral("--silent")},
                      {QStringLiteral("font"), QStringLiteral("--pace-ms"), QStringLiteral("0")},
                      "Verifying ZUVO is present\r\n.."},
        // A slow board and the real pacing: stopped inside the chunks.
        InterruptCase{"SlowBoardDuringTheChunks",
                      {QStringLiteral("--reply-delay-ms"), QStringLiteral("300")},
                      {QStringLiteral("font")},
                      "Downloading font\r\n"},
        InterruptCase{
            "SilentMonitorDuringRepair",
            {QStringLiteral("--silent"), QStringLiteral("--mode"), QStringLiteral("monitor")},
            {QStringLiteral("firmware"), QStringLiteral("--dialect"), QStringLiteral("repair"),
             QStringLiteral("--pace-ms"), QStringLiteral("0")},
            "Verifying device is present\r\n.."}),
    Test::CaseName());

// The progress line on a terminal: redrawn in place with CR, cleared at the end,
// while the log on standard output stays as it was.
TEST_F(CliDownload, ProgressOnATerminalIsOneLineRedrawnAndClearedAtTheEnd)
{
    Simulator sim;
    ASSERT_TRUE(sim.start());
    Kernwick::Test::PseudoTerminal terminal;
    ASSERT_TRUE(terminal.isValid());
    const QByteArray slave = QFile::encodeName(terminal.slavePath());
    QProcess cli;
    // Standard error on the terminal, opened in the child so that it does not become
    // the test's controlling terminal.
    cli.setChildProcessModifier([&slave] {
        const int fd = ::open(slave.constData(), O_WRONLY | O_NOCTTY);
        if (fd >= 0)
            ::dup2(fd, 2);
    });
    const QByteArray font = sampleBytes(4000);
    cli.start(QStringLiteral(KERNWICK_CLI),
              QStringList{QStringLiteral("download"), QStringLiteral("font"), writeFile(font),
                          QStringLiteral("--port"), sim.device(), QStringLiteral("--pace-ms"),
                          QStringLiteral("0")});
    ASSERT_TRUE(cli.waitForStarted());
    QByteArray err;
    const QDeadlineTimer deadline(60000);
    while (cli.state() == QProcess::Running && !deadline.hasExpired()) {
        cli.waitForFinished(50);
        err += terminal.read(1 << 16, 10);
    }
    err += terminal.read(1 << 16, 200);
    ASSERT_EQ(cli.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(cli.exitCode(), 0);
    EXPECT_EQ(cli.readAllStandardError(), QByteArray()) << "standard error is the terminal";

    EXPECT_TRUE(err.startsWith("\r0 of 16 chunks (0 %), 0 bytes sent\x1b[K")) << err.toStdString();
    EXPECT_TRUE(err.contains("\r16 of 16 chunks (100 %), ")) << err.toStdString();
    EXPECT_TRUE(err.endsWith("\r\x1b[K")) << "cleared at the end: " << err.toStdString();
    EXPECT_FALSE(err.contains('\n')) << "never a new line: " << err.toStdString();
    // The log is as without the progress line.
    const QByteArray out = cli.readAllStandardOutput();
    EXPECT_TRUE(out.startsWith(opened + "Verifying ZUVO is present\r\n.")) << out.toStdString();
    EXPECT_TRUE(out.endsWith("Memory flushed: font loaded\r\nFont download complete\n"))
        << out.toStdString();
    EXPECT_EQ(sim.stateFile(QStringLiteral("device4.bin")), font);
}

// With standard error not a terminal: a plain line at each tenth of the transfer;
// --progress plain does the same, --quiet shows none, and a style is checked.
TEST_F(CliDownload, ProgressIntoAPipeIsALineEveryTenPercent)
{
    Simulator sim;
    ASSERT_TRUE(sim.start());
    const QString file = writeFile(sampleBytes(4000));
    const QStringList command{
        QStringLiteral("download"), QStringLiteral("font"), file,
        QStringLiteral("--port"),   sim.device(),           QStringLiteral("--pace-ms"),
        QStringLiteral("0")};
    for (const QStringList &style : {QStringList{}, QStringList{"--progress", "plain"}}) {
        const CliResult r = runCli(command + style);
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_FALSE(r.err.contains('\r'));
        EXPECT_FALSE(r.err.contains('\x1b'));
        const QList<QByteArray> lines = r.err.trimmed().split('\n');
        ASSERT_GE(lines.size(), 2) << r.err.toStdString();
        EXPECT_LE(lines.size(), 11) << r.err.toStdString();
        EXPECT_EQ(lines.first(), "0 of 16 chunks (0 %), 0 bytes sent");
        EXPECT_TRUE(lines.last().startsWith("16 of 16 chunks (100 %), ")) << r.err.toStdString();
        int lastTenth = -1;
        for (const QByteArray &line : lines) {
            const int percent = line.mid(line.indexOf('(') + 1).split(' ').value(0).toInt();
            EXPECT_GT(percent / 10, lastTenth) << line.toStdString();
            lastTenth = percent / 10;
        }
        EXPECT_TRUE(r.out.endsWith("Font download complete\n"));
    }
    const CliResult quiet = runCli(command + QStringList{QStringLiteral("--quiet")});
    EXPECT_EQ(quiet.exitCode, 0);
    EXPECT_EQ(quiet.err, QByteArray());
    const CliResult wrong = runCli(command + QStringList{"--progress", "fancy"});
    EXPECT_EQ(wrong.exitCode, 2);
    EXPECT_EQ(wrong.err, "kernwick-cli: --progress must be auto or plain, not 'fancy'\n");
}
