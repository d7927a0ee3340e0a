// kernwick-cli download bootscript and download setup against zuvo-sim.

#include "clirun.h"
#include "folderfixture.h"
#include "namedcase.h"
#include "qtprinters.h"
#include "simulator.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>

using Kernwick::Test::CliResult;
using Kernwick::Test::runCli;
using Kernwick::Test::Simulator;
namespace Test = Kernwick::Test;

namespace {

const QByteArray identificationQuery = "\x1b[1}";
const QByteArray script = "\x1b[2J\x1b[1;1HStation 4\r\n\x1bQlive\x1bR\r\n\x1b[0m";
const QByteArray bootScriptLog = "Opening com port\r\nPort opened\r\nConfiguring com port\r\n"
                                 "Port configured successfully\r\nVerifying ZUVO is present\r\n"
                                 ".......\r\nZUVO detected\r\nSending boot script\r\n"
                                 "Setting boot script\r\nSaving configuration\r\n"
                                 "Boot script download complete\r\n";

QByteArray frame(const QByteArray &text)
{
    return "\x1bX" + text + "\x1b\\\x1b[8v\x1b[1v";
}

class CliScripts : public Test::FolderTest
{
protected:
    static CliResult download(const char *kind, const QString &file, const Simulator &sim,
                              const char *paceMs = "0")
    {
        return runCli({QStringLiteral("download"), QString::fromLatin1(kind), file,
                       QStringLiteral("--port"), sim.device(), QStringLiteral("--pace-ms"),
                       QString::fromLatin1(paceMs), QStringLiteral("--quiet")});
    }
};

} // namespace

TEST_F(CliScripts, BootScriptDownloadPrintsEveryLogLineAndTheBoardTakesTheScript)
{
    Simulator sim;
    ASSERT_TRUE(sim.start());
    const CliResult r = download("bootscript", write("boot.zvb", script), sim);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, bootScriptLog);
    EXPECT_TRUE(r.err.isEmpty());
    const QByteArray wire = identificationQuery + frame(script);
    EXPECT_EQ(sim.receivedAfterStop(wire.size()), wire);
    EXPECT_EQ(sim.stateFile(QStringLiteral("bootscript.bin")), script);
}

struct BootScriptFileCase : Test::NamedCase
{
    QByteArray file;
    int exitCode;
    QByteArray sent; ///< the script the board gets, when the download runs
};

class CliBootScriptFiles : public CliScripts,
                           public ::testing::WithParamInterface<BootScriptFileCase>
{
};

TEST_P(CliBootScriptFiles, GiveAResultOrAClearError)
{
    const BootScriptFileCase &c = GetParam();
    const QString file = write("case.zvb", c.file);
    Simulator sim;
    ASSERT_TRUE(sim.start());
    const CliResult r = download("bootscript", file, sim);
    EXPECT_EQ(r.exitCode, c.exitCode) << r.err.toStdString();
    if (c.exitCode == 0) {
        EXPECT_EQ(r.out, bootScriptLog);
        const QByteArray wire = identificationQuery + frame(c.sent);
        EXPECT_EQ(sim.receivedAfterStop(wire.size()), wire);
    } else {
        EXPECT_EQ(
            QString::fromLocal8Bit(r.err),
            QStringLiteral("kernwick-cli: %1: the file is larger than 65536 bytes\n").arg(file));
        EXPECT_TRUE(r.out.isEmpty()) << "the port is not even opened";
        EXPECT_TRUE(sim.receivedAfterStop(0).isEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliBootScriptFiles,
    ::testing::Values(BootScriptFileCase{"Empty", {}, 0, {}},
                      BootScriptFileCase{"NulBytesDropTheRestOfTheirPiece",
                                         QByteArray("ABC\0xxxxxxDEF\0yyyyyyGH", 22), 0, "ABCDEFGH"},
                      BootScriptFileCase{"TenMegabytes", QByteArray(10 * 1024 * 1024, 'A'), 1, {}}),
    Test::CaseName());

TEST_F(CliScripts, BootScriptFileThatCannotBeReadPrintsTheSystemText)
{
    const CliResult r =
        runCli({QStringLiteral("download"), QStringLiteral("bootscript"), path("absent.zvb"),
                QStringLiteral("--port"), QStringLiteral("/nonexistent/ttyZ0")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(
        QString::fromLocal8Bit(r.err),
        QStringLiteral("kernwick-cli: %1: No such file or directory\n").arg(path("absent.zvb")));
    EXPECT_TRUE(r.out.isEmpty());
}

TEST_F(CliScripts, BootScriptToAnAbsentPortFails)
{
    const CliResult r =
        runCli({QStringLiteral("download"), QStringLiteral("bootscript"), write("boot.zvb", script),
                QStringLiteral("--port"), QStringLiteral("/nonexistent/ttyZ0")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "Opening com port\r\n*Open port failed*\r\nPlease ensure port is available\n");
    EXPECT_EQ(r.err, "kernwick-cli: Boot script download failed\n");
}

TEST_F(CliScripts, LineLostDuringTheBootScriptFailsWithoutTheCompletionLine)
{
    Simulator sim;
    // The board goes away after the query and 20 bytes of the frame; at the real
    // pacing the rest of the script cannot be written.
    ASSERT_TRUE(sim.start({QStringLiteral("--hangup-after"), QStringLiteral("24")}));
    const CliResult r = download("bootscript", write("boot.zvb", script), sim, "20");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.out.contains("Sending boot script\r\n*Boot script download failed*\r\nOnly "))
        << r.out.toStdString();
    EXPECT_FALSE(r.out.contains("Boot script download complete"));
    EXPECT_EQ(r.err, "kernwick-cli: Boot script download failed\n");
}

TEST_F(CliScripts, UsageErrorsAndHelp)
{
    const QStringList usage[] = {
        {QStringLiteral("download"), QStringLiteral("bootscript")},
        {QStringLiteral("download"), QStringLiteral("bootscript"), path("a.zvb"), path("b.zvb")},
        {QStringLiteral("download"), QStringLiteral("bootscript"), path("a.zvb"),
         QStringLiteral("--baud"), QStringLiteral("fast")},
        {QStringLiteral("download"), QStringLiteral("setup")},
        {QStringLiteral("download"), QStringLiteral("setup"), path("a.zvs"), path("b.zvs")},
    };
    for (const QStringList &args : usage) {
        const CliResult r = runCli(args);
        EXPECT_EQ(r.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(r.err.startsWith("kernwick-cli: ")) << r.err.toStdString();
    }
    for (const char *kind : {"bootscript", "setup"}) {
        const CliResult r = runCli(
            {QStringLiteral("download"), QString::fromLatin1(kind), QStringLiteral("--help")});
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_TRUE(r.out.startsWith("Usage: kernwick-cli download " + QByteArray(kind)))
            << r.out.toStdString();
    }
    const CliResult kinds = runCli({QStringLiteral("download"), QStringLiteral("--help")});
    EXPECT_TRUE(kinds.out.contains("  bootscript A boot script file")) << kinds.out.toStdString();
    EXPECT_TRUE(kinds.out.contains("  setup      A setup file's font")) << kinds.out.toStdString();
}

namespace {

// Three files to bundle: the default font and configuration as kernwick-cli
// writes them, and a boot script.
class CliSetup : public CliScripts
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(
            runCli({QStringLiteral("default"), QStringLiteral("-o"), path("font.zvf")}).exitCode,
            0);
        ASSERT_EQ(runCli({QStringLiteral("config"), QStringLiteral("defaults"),
                          QStringLiteral("-o"), path("cfg.zvc")})
                      .exitCode,
                  0);
        write("boot.zvb", script);
    }

    QByteArray file(const char *name) const
    {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QString bundle(const QString &font, const QString &config, const QString &boot) const
    {
        return write("setup.zvs", "Font=" + font.toUtf8() + "\nConfig=" + config.toUtf8() +
                                      "\nBoot=" + boot.toUtf8());
    }

    QByteArray partLines(const Simulator &sim, bool font, bool config, bool boot) const
    {
        const QByteArray on = " on " + sim.device().toUtf8() + "\n";
        return (font ? "Downloading Font: font.zvf" + on : QByteArray()) +
               (config ? "Downloading Config: cfg.zvc" + on : QByteArray()) +
               (boot ? "Downloading Bootscript: boot.zvb" + on : QByteArray());
    }
};

} // namespace

TEST_F(CliSetup, AllThreeFilesReachTheBoard)
{
    Simulator sim;
    ASSERT_TRUE(sim.start());
    const CliResult r =
        download("setup", bundle(path("font.zvf"), path("cfg.zvc"), path("boot.zvb")), sim);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, partLines(sim, true, true, true));
    EXPECT_TRUE(r.err.isEmpty());
    const QByteArray config = file("cfg.zvc");
    const QByteArray ending = config + "\x1b[" + frame(script);
    const QByteArray wire = sim.receivedAfterStop(0);
    EXPECT_TRUE(wire.startsWith("\x1b[93;4;0|")) << "no board check before the erase";
    EXPECT_TRUE(wire.endsWith(ending));
    EXPECT_EQ(sim.stateFile(QStringLiteral("device4.bin")), file("font.zvf"));
    EXPECT_EQ(sim.stateFile(QStringLiteral("bootscript.bin")), script);
    EXPECT_TRUE(sim.stateFile(QStringLiteral("config.txt")).startsWith("9=1\n10=0\n"));
}

TEST_F(CliSetup, OnlyAConfigurationSendsOnlyThat)
{
    Simulator sim;
    ASSERT_TRUE(sim.start());
    const CliResult r = download("setup", bundle({}, path("cfg.zvc"), {}), sim);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, partLines(sim, false, true, false));
    EXPECT_EQ(sim.receivedAfterStop(file("cfg.zvc").size()), file("cfg.zvc"));
}

TEST_F(CliSetup, ScriptOf600BytesIsRefusedWithItsMessageWhileTheOtherPartsGo)
{
    const QString longScript = write("long.zvb", QByteArray(600, 'S'));
    Simulator sim;
    ASSERT_TRUE(sim.start());
    const CliResult r =
        download("setup", bundle(path("font.zvf"), path("cfg.zvc"), longScript), sim);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(QString::fromLocal8Bit(r.err),
              QStringLiteral("kernwick-cli: The boot script file %1 is longer than 512 bytes, the "
                             "most a setup download sends; it was not sent\n")
                  .arg(longScript));
    EXPECT_EQ(r.out, partLines(sim, true, true, false));
    EXPECT_TRUE(sim.receivedAfterStop(0).endsWith(file("cfg.zvc")));
    EXPECT_EQ(sim.stateFile(QStringLiteral("device4.bin")), file("font.zvf"));
    EXPECT_FALSE(QFile::exists(sim.stateDir() + QStringLiteral("/bootscript.bin")));
}

TEST_F(CliSetup, RefusedFontBlockExitsWithTheTextNamingThePartAndTheBlock)
{
    Simulator sim;
    ASSERT_TRUE(sim.start({QStringLiteral("--nak-chunk"), QStringLiteral("2")}));
    const CliResult r =
        download("setup", bundle(path("font.zvf"), path("cfg.zvc"), path("boot.zvb")), sim);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "kernwick-cli: Font part failed: block 2 of font.zvf was not acknowledged "
                     "by the board\n");
    EXPECT_EQ(r.out, partLines(sim, true, false, false));
    EXPECT_FALSE(sim.receivedAfterStop(0).contains("\x1b[92;4;1|")) << "no flush, nothing after";
}

TEST_F(CliSetup, RefusedFlushFailsWithItsTextAndTheOtherPartsGo)
{
    Simulator sim;
    ASSERT_TRUE(sim.start({QStringLiteral("--nak-flush")}));
    const CliResult r = download("setup", bundle(path("font.zvf"), {}, path("boot.zvb")), sim);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "kernwick-cli: Font part failed: the memory flush after font.zvf was not "
                     "acknowledged (flush returns 21)\n");
    sim.receivedAfterStop(0);
    EXPECT_EQ(sim.stateFile(QStringLiteral("bootscript.bin")), script);
}

// The font still goes after a refused erase, and so do the other parts, but the old
// bytes beyond the new font stay in the board's memory: the command fails and says why.
TEST_F(CliSetup, RefusedEraseExitsOneWithTheReasonWhileEveryPartGoes)
{
    Simulator sim;
    ASSERT_TRUE(sim.start({QStringLiteral("--nak-erase")}));
    const CliResult r =
        download("setup", bundle(path("font.zvf"), path("cfg.zvc"), path("boot.zvb")), sim);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "kernwick-cli: no ack from erase\nkernwick-cli: setup download failed: the "
                     "board did not acknowledge the memory erase before font.zvf (no ack from "
                     "erase)\n");
    EXPECT_EQ(r.out, partLines(sim, true, true, true));
    sim.receivedAfterStop(0);
    EXPECT_EQ(sim.stateFile(QStringLiteral("bootscript.bin")), script);
}

struct SetupFileCase : Test::NamedCase
{
    std::function<QByteArray(const QString &dir)> file;
    int exitCode;
    const char *err; ///< "%1" stands for the setup file's path, "%2" for its folder
    bool anythingSent;
};

class CliSetupFiles : public CliSetup, public ::testing::WithParamInterface<SetupFileCase>
{
};

TEST_P(CliSetupFiles, GiveAResultOrAClearError)
{
    const SetupFileCase &c = GetParam();
    const QString setup = write("case.zvs", c.file(m_dir.path()));
    Simulator sim;
    ASSERT_TRUE(sim.start());
    const CliResult r = download("setup", setup, sim);
    EXPECT_EQ(r.exitCode, c.exitCode) << r.err.toStdString();
    EXPECT_EQ(QString::fromLocal8Bit(r.err),
              QString::fromUtf8(c.err).replace("%1", setup).replace("%2", m_dir.path()));
    EXPECT_EQ(!sim.receivedAfterStop(0).isEmpty(), c.anythingSent);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliSetupFiles,
    ::testing::Values(
        SetupFileCase{"Empty", [](const QString &) { return QByteArray(); }, 0, "", false},
        SetupFileCase{"NoSeparators", [](const QString &) { return QByteArray("no paths here"); },
                      0, "", false},
        SetupFileCase{"NulBytes",
                      [](const QString &dir) {
                          return QByteArray("Font=\0", 6) + dir.toUtf8() + "/font.zvf";
                      },
                      0, "", false},
        SetupFileCase{"TenMegabytes",
                      [](const QString &) { return QByteArray(10 * 1024 * 1024, '='); }, 1,
                      "kernwick-cli: %1: the file is larger than 65536 bytes\n", false},
        SetupFileCase{"MissingFont",
                      [](const QString &dir) {
                          return "Font=" + dir.toUtf8() + "/absent.zvf\nConfig=" + dir.toUtf8() +
                                 "/cfg.zvc\nBoot=";
                      },
                      1, "kernwick-cli: %2/absent.zvf: No such file or directory\n", false},
        SetupFileCase{"MissingConfigurationAndBootScript",
                      [](const QString &dir) {
                          return "Font=" + dir.toUtf8() + "/font.zvf\nConfig=" + dir.toUtf8() +
                                 "/absent.zvc\nBoot=" + dir.toUtf8() + "/absent.zvb";
                      },
                      1,
                      "kernwick-cli: %2/absent.zvc: No such file or directory\nkernwick-cli: "
                      "%2/absent.zvb: No such file or directory\n",
                      true},
        SetupFileCase{"WindowsPaths",
                      [](const QString &) {
                          return QByteArray("Font=\nConfig=D:\\cfg.zvc\r\nBoot=D:\\boot.zvb");
                      },
                      // The configuration's path keeps the CR of its CR LF line end.
                      1,
                      "kernwick-cli: D:\\cfg.zvc\\r: No such file or directory\nkernwick-cli: "
                      "D:\\boot.zvb: No such file or directory\n",
                      false}),
    Test::CaseName());

TEST_F(CliSetup, SetupFileThatCannotBeReadPrintsTheSystemText)
{
    const CliResult r =
        runCli({QStringLiteral("download"), QStringLiteral("setup"), path("absent.zvs"),
                QStringLiteral("--port"), QStringLiteral("/nonexistent/ttyZ0")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(
        QString::fromLocal8Bit(r.err),
        QStringLiteral("kernwick-cli: %1: No such file or directory\n").arg(path("absent.zvs")));
    EXPECT_TRUE(r.out.isEmpty());
}

TEST_F(CliSetup, AbsentPortPrintsTheBoxText)
{
    const CliResult r = runCli({QStringLiteral("download"), QStringLiteral("setup"),
                                bundle({}, path("cfg.zvc"), {}), QStringLiteral("--port"),
                                QStringLiteral("/nonexistent/ttyZ0")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "kernwick-cli: OpenPort failed\n");
    EXPECT_TRUE(r.out.isEmpty());
}

namespace {

// Starts kernwick-cli `args` at the real pacing, presses Ctrl-C once standard
// output holds `after`, and returns everything it printed.
QByteArray interruptAfter(QProcess &cli, const QStringList &args, const QByteArray &after)
{
    cli.start(QStringLiteral(KERNWICK_CLI), args);
    if (!cli.waitForStarted())
        return {};
    QByteArray out;
    while (!out.contains(after) && cli.waitForReadyRead(10000))
        out += cli.readAllStandardOutput();
    ::kill(pid_t(cli.processId()), SIGINT);
    cli.waitForFinished(5000);
    return out + cli.readAllStandardOutput();
}

} // namespace

TEST_F(CliScripts, CtrlCDuringTheBootScriptStopsWithThePortClosed)
{
    Simulator sim;
    ASSERT_TRUE(sim.start());
    QProcess cli;
    // 300 bytes at 20 ms each take six seconds.
    const QByteArray out = interruptAfter(cli,
                                          {QStringLiteral("download"), QStringLiteral("bootscript"),
                                           write("long.zvb", QByteArray(300, 'L')),
                                           QStringLiteral("--port"), sim.device()},
                                          "Sending boot script\r\n");
    ASSERT_EQ(cli.state(), QProcess::NotRunning);
    EXPECT_EQ(cli.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(cli.exitCode(), 130);
    EXPECT_TRUE(out.endsWith("Sending boot script\r\n* Stopped *\n")) << out.toStdString();
    sim.stop();
    // Stopped before the frame, or inside it with the frame closed at once: never a
    // cut frame, and the script is not taken.
    const QByteArray wire = sim.stateFile(QStringLiteral("wire.log"));
    EXPECT_TRUE(!wire.contains("\x1bX") || wire.endsWith("\x1b\\")) << wire.toStdString();
    EXPECT_FALSE(wire.contains("[8v")) << wire.toStdString();
}

TEST_F(CliSetup, CtrlCDuringAPartStopsWithThePortClosed)
{
    Simulator sim;
    ASSERT_TRUE(sim.start());
    QProcess cli;
    const QByteArray out =
        interruptAfter(cli,
                       {QStringLiteral("download"), QStringLiteral("setup"),
                        bundle({}, path("cfg.zvc"), path("boot.zvb")), QStringLiteral("--port"),
                        sim.device(), QStringLiteral("--quiet")},
                       "Downloading Config");
    ASSERT_EQ(cli.state(), QProcess::NotRunning);
    EXPECT_EQ(cli.exitCode(), 130);
    EXPECT_EQ(out, partLines(sim, false, true, false));
    EXPECT_TRUE(cli.readAllStandardError().isEmpty());
    sim.stop();
    EXPECT_LT(sim.stateFile(QStringLiteral("wire.log")).size(), file("cfg.zvc").size());
}
