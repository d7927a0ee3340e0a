#include "clirun.h"
#include "namedcase.h"
#include "qtprinters.h"
#include "simulator.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

using Kernwick::Test::CliResult;
using Kernwick::Test::runCli;
using Kernwick::Test::Simulator;
namespace Test = Kernwick::Test;

namespace {

const QByteArray defaultShow = "9=1\n10=0\n11=0\n16=0\n17=0\n18=2\n28=1\n19=1\n20=1\n21=1\n22=3\n"
                               "23=0\n35=0\n24=0\n25=0\n26=0\n27=0\n36=0\n29=54\n30=100\n31=100\n"
                               "32=0\n33=10\n34=50\n48=0\n49=0\n50=0\n51=0\n52=0\n40=9600\n41=1\n"
                               "42=4\n44=4\n56=0\n57=0\n58=0\n59=0\n60=8\n61=8\n62=8\n63=8\n";

class CliConfig : public ::testing::Test
{
protected:
    QString path(const char *name) const { return m_dir.filePath(QString::fromLatin1(name)); }

    QByteArray read(const char *name) const
    {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QString write(const char *name, const QByteArray &bytes) const
    {
        QFile f(path(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path(name);
    }

    // Writes the default configuration file and returns its path.
    QString defaults(const char *name = "default.zvc") const
    {
        const CliResult r = runCli({QStringLiteral("config"), QStringLiteral("defaults"),
                                    QStringLiteral("-o"), path(name)});
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        return path(name);
    }

    QTemporaryDir m_dir;
};

QByteArray esc(const char *command)
{
    return QByteArray("\x1b[") + command;
}

} // namespace

TEST_F(CliConfig, DefaultsAreThe306ByteFileOrderStream)
{
    defaults();
    const QByteArray file = read("default.zvc");
    EXPECT_EQ(file.size(), 306);
    EXPECT_TRUE(file.startsWith(esc("9;1v") + esc("10;0v") + esc("11;0v") + esc("16;0v") +
                                esc("17;0v") + esc("18;3v") + esc("28;1v")));
    EXPECT_TRUE(file.endsWith(esc("63;8v") + esc("1v")));

    const CliResult stream = runCli({QStringLiteral("config"), QStringLiteral("stream"),
                                     QStringLiteral("--order"), QStringLiteral("file")});
    EXPECT_EQ(stream.exitCode, 0);
    EXPECT_EQ(stream.out, file);
}

TEST_F(CliConfig, StreamDefaultsToTheDownloadOrder)
{
    const CliResult r = runCli({QStringLiteral("config"), QStringLiteral("stream")});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.size(), 306);
    EXPECT_TRUE(r.out.startsWith(esc("9;1v") + esc("10;0v") + esc("11;0v") + esc("16;0v") +
                                 esc("17;0v") + esc("18;3v") + esc("19;1v")));
    EXPECT_TRUE(r.out.endsWith(esc("62;8v") + esc("63;8v") + esc("1v")));
    EXPECT_TRUE(r.out.contains(esc("30;100000v") + esc("31;100000v")));
    const CliResult fromFile =
        runCli({QStringLiteral("config"), QStringLiteral("stream"), defaults(),
                QStringLiteral("--order"), QStringLiteral("download")});
    EXPECT_EQ(fromFile.out, r.out);
}

TEST_F(CliConfig, ShowListsEditorValuesInFileOrder)
{
    const CliResult r = runCli({QStringLiteral("config"), QStringLiteral("show"), defaults()});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, defaultShow);
    EXPECT_TRUE(r.err.isEmpty());
}

TEST_F(CliConfig, SetChangesParametersAndKeepsTheRest)
{
    const CliResult r =
        runCli({QStringLiteral("config"), QStringLiteral("set"), defaults(), QStringLiteral("-o"),
                path("edited.zvc"), QStringLiteral("24=-20"), QStringLiteral("30=55"),
                QStringLiteral("58=2"), QStringLiteral("18=0"), QStringLiteral("42=105"),
                QStringLiteral("34=500"), QStringLiteral("26=-5")});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QByteArray file = read("edited.zvc");
    for (const char *stored :
         {"24;<20v", "30;55000v", "58;10v", "18;1v", "42;105v", "34;500v", "26;<5v"})
        EXPECT_TRUE(file.contains(esc(stored))) << stored;
    EXPECT_FALSE(file.contains('-'));

    QByteArray expected = defaultShow;
    expected.replace("\n24=0\n", "\n24=-20\n")
        .replace("\n30=100\n", "\n30=55\n")
        .replace("\n58=0\n", "\n58=2\n")
        .replace("\n18=2\n", "\n18=0\n")
        .replace("\n42=4\n", "\n42=105\n")
        .replace("\n34=50\n", "\n34=500\n")
        .replace("\n26=0\n", "\n26=-5\n");
    EXPECT_EQ(runCli({QStringLiteral("config"), QStringLiteral("show"), path("edited.zvc")}).out,
              expected);
    EXPECT_EQ(read("default.zvc").size(), 306) << "the input is never touched";
}

struct RefusedSetCase : Test::NamedCase
{
    const char *assignment;
    const char *message;
};

class CliConfigSetRefuses : public CliConfig, public ::testing::WithParamInterface<RefusedSetCase>
{
};

TEST_P(CliConfigSetRefuses, WithAUsageErrorAndNoOutput)
{
    const RefusedSetCase &c = GetParam();
    const CliResult r =
        runCli({QStringLiteral("config"), QStringLiteral("set"), defaults(), QStringLiteral("-o"),
                path("out.zvc"), QStringLiteral("33=20"), QString::fromLatin1(c.assignment)});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, QByteArray("kernwick-cli: ") + c.message + '\n');
    EXPECT_FALSE(QFile::exists(path("out.zvc")));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliConfigSetRefuses,
    ::testing::Values(
        RefusedSetCase{"NtscRateThatOverflows", "30=2147484",
                       "NTSC Insertion Rate (30): Please enter an integer between -2147483 and "
                       "2147483."},
        RefusedSetCase{"PalRateThatOverflows", "31=-2147484",
                       "PAL Insertion Rate (31): Please enter an integer between -2147483 and "
                       "2147483."},
        RefusedSetCase{"SpiTwoWireValue", "58=10",
                       "SPI 2 (58): Please enter an integer between 0 and 2."},
        RefusedSetCase{"CheckboxTwo", "32=2",
                       "Blink Enable (32): Please enter an integer between 0 and 1."},
        RefusedSetCase{"Letters", "33=abc", "Blinking Period (33): Please enter an integer."},
        RefusedSetCase{"Empty", "33=", "Blinking Period (33): Please enter an integer."},
        RefusedSetCase{"BeyondThirtyTwoBits", "40=2147483648",
                       "Serial Baud Rate (40): Please enter an integer."},
        RefusedSetCase{"UnknownParameter", "12=1",
                       "12 is not one of the board's configuration parameters"},
        RefusedSetCase{"NotAnAssignment", "blink",
                       "'blink' is not a parameter assignment N=V (see --help)"}),
    Test::CaseName());

TEST_F(CliConfig, RatesAtTheLimitAreAccepted)
{
    const CliResult r =
        runCli({QStringLiteral("config"), QStringLiteral("set"), defaults(), QStringLiteral("-o"),
                path("out.zvc"), QStringLiteral("30=2147483"), QStringLiteral("31=-2147483")});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(read("out.zvc").contains(esc("30;2147483000v") + esc("31;<2147483000v")));
}

TEST_F(CliConfig, UnreadableInputPrintsTheSystemText)
{
    const QStringList commands[] = {
        {QStringLiteral("config"), QStringLiteral("show"), path("absent.zvc")},
        {QStringLiteral("config"), QStringLiteral("stream"), path("absent.zvc")},
        {QStringLiteral("config"), QStringLiteral("set"), path("absent.zvc"), QStringLiteral("-o"),
         path("out.zvc"), QStringLiteral("9=0")},
        {QStringLiteral("download"), QStringLiteral("config"), path("absent.zvc"),
         QStringLiteral("--port"), QStringLiteral("/nonexistent/ttyZ0")},
    };
    for (const QStringList &args : commands) {
        const CliResult r = runCli(args);
        EXPECT_EQ(r.exitCode, 1) << args.join(' ').toStdString();
        EXPECT_EQ(QString::fromLocal8Bit(r.err),
                  QStringLiteral("kernwick-cli: %1: No such file or directory\n")
                      .arg(path("absent.zvc")));
        EXPECT_TRUE(r.out.isEmpty());
    }
    EXPECT_FALSE(QFile::exists(path("out.zvc")));
}

TEST_F(CliConfig, UnwritableOutputPrintsTheSystemText)
{
    const CliResult r = runCli({QStringLiteral("config"), QStringLiteral("defaults"),
                                QStringLiteral("-o"), path("missing/out.zvc")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(QString::fromLocal8Bit(r.err),
              QStringLiteral("kernwick-cli: %1: No such file or directory\n")
                  .arg(path("missing/out.zvc")));
}

TEST_F(CliConfig, HostileFilesGiveAResultOrAnError)
{
    const QString empty = write("empty.zvc", {});
    const CliResult shown = runCli({QStringLiteral("config"), QStringLiteral("show"), empty});
    EXPECT_EQ(shown.exitCode, 0);
    EXPECT_TRUE(shown.out.startsWith("9=0\n10=0\n11=0\n16=0\n17=0\n18=-1\n"))
        << shown.out.toStdString();

    const QString huge = write("huge.zvc", QByteArray(10 * 1024 * 1024, '9'));
    const CliResult refused = runCli({QStringLiteral("config"), QStringLiteral("show"), huge});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(
        QString::fromLocal8Bit(refused.err),
        QStringLiteral("kernwick-cli: %1: the file is larger than 1048576 bytes\n").arg(huge));
    EXPECT_TRUE(refused.out.isEmpty());
}

TEST_F(CliConfig, UsageErrors)
{
    const QStringList cases[] = {
        {QStringLiteral("config")},
        {QStringLiteral("config"), QStringLiteral("bogus")},
        {QStringLiteral("config"), QStringLiteral("show")},
        {QStringLiteral("config"), QStringLiteral("show"), path("a.zvc"), path("b.zvc")},
        {QStringLiteral("config"), QStringLiteral("defaults")},
        {QStringLiteral("config"), QStringLiteral("set"), path("a.zvc"), QStringLiteral("9=1")},
        {QStringLiteral("config"), QStringLiteral("set"), path("a.zvc"), QStringLiteral("-o"),
         path("b.zvc")},
        {QStringLiteral("config"), QStringLiteral("stream"), QStringLiteral("--order"),
         QStringLiteral("sideways")},
        {QStringLiteral("download")},
        {QStringLiteral("download"), QStringLiteral("bogus")},
        {QStringLiteral("download"), QStringLiteral("config")},
    };
    for (const QStringList &args : cases) {
        const CliResult r = runCli(args);
        EXPECT_EQ(r.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(r.err.startsWith("kernwick-cli: ")) << r.err.toStdString();
    }
}

TEST_F(CliConfig, EverySubcommandPrintsHelp)
{
    const QStringList cases[] = {
        {QStringLiteral("config"), QStringLiteral("--help")},
        {QStringLiteral("config"), QStringLiteral("defaults"), QStringLiteral("--help")},
        {QStringLiteral("config"), QStringLiteral("show"), QStringLiteral("--help")},
        {QStringLiteral("config"), QStringLiteral("set"), QStringLiteral("--help")},
        {QStringLiteral("config"), QStringLiteral("stream"), QStringLiteral("--help")},
        {QStringLiteral("download"), QStringLiteral("--help")},
        {QStringLiteral("download"), QStringLiteral("config"), QStringLiteral("--help")},
    };
    for (const QStringList &args : cases) {
        const CliResult r = runCli(args);
        EXPECT_EQ(r.exitCode, 0) << args.join(' ').toStdString();
        const QByteArray usage =
            "Usage: kernwick-cli " + args.mid(0, args.size() - 1).join(' ').toLatin1();
        EXPECT_TRUE(r.out.startsWith(usage)) << r.out.toStdString();
    }
}

namespace {

const QByteArray downloadLogStart = "Opening com port\r\nPort opened\r\nConfiguring com port\r\n"
                                    "Port configured successfully\r\nVerifying ZUVO is present\r\n";

} // namespace

TEST_F(CliConfig, DownloadSendsTheFileAndTheBoardHoldsEveryValue)
{
    ASSERT_EQ(runCli({QStringLiteral("config"), QStringLiteral("set"), defaults(),
                      QStringLiteral("-o"), path("edited.zvc"), QStringLiteral("24=-20"),
                      QStringLiteral("30=55"), QStringLiteral("58=2"), QStringLiteral("42=105")})
                  .exitCode,
              0);
    Simulator sim;
    ASSERT_TRUE(sim.start());
    const CliResult r =
        runCli({QStringLiteral("download"), QStringLiteral("config"), path("edited.zvc"),
                QStringLiteral("--port"), sim.device(), QStringLiteral("--pace-ms"),
                QStringLiteral("0"), QStringLiteral("--quiet")});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    // 42=105 leaves the line's 8N1: the log says so before the values go.
    EXPECT_EQ(r.out, downloadLogStart + ".......\r\nZUVO detected\r\nThe board will use 7 data "
                                        "bits, odd parity and 2 stop bits after this "
                                        "configuration\r\nThe next command must use the new "
                                        "settings\r\nSending configuration\r\n"
                                        "Configuration download complete\r\n");
    EXPECT_TRUE(r.err.isEmpty());

    QByteArray expected = "9=1\n10=0\n11=0\n16=0\n17=0\n18=3\n19=1\n20=1\n21=1\n22=3\n23=0\n"
                          "24=-20\n25=0\n26=0\n27=0\n28=1\n29=54\n30=55000\n31=100000\n32=0\n"
                          "33=10\n34=50\n35=0\n36=0\n40=9600\n41=1\n42=105\n44=4\n48=0\n49=0\n"
                          "50=0\n51=0\n52=0\n56=0\n57=0\n58=10\n59=0\n60=8\n61=8\n62=8\n63=8\n";
    EXPECT_EQ(sim.stateFileOnceWritten(QStringLiteral("config.txt")), expected);
    sim.stop();
    // The whole of what the board received: the query, then the download-order stream.
    const CliResult stream =
        runCli({QStringLiteral("config"), QStringLiteral("stream"), path("edited.zvc")});
    EXPECT_EQ(sim.stateFile(QStringLiteral("wire.log")), "\x1b[1}" + stream.out);
}

TEST_F(CliConfig, DownloadToABoardWithoutV4SendsNoConfigurationByte)
{
    Simulator sim;
    ASSERT_TRUE(sim.start({QStringLiteral("--wrong-id")}));
    const CliResult r = runCli({QStringLiteral("download"), QStringLiteral("config"), defaults(),
                                QStringLiteral("--port"), sim.device(), QStringLiteral("--pace-ms"),
                                QStringLiteral("0")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.out.startsWith(downloadLogStart));
    EXPECT_TRUE(r.out.contains("* ZUVO not detected *"));
    EXPECT_FALSE(r.out.contains("Sending configuration"));
    sim.stop();
    EXPECT_EQ(sim.stateFile(QStringLiteral("wire.log")), "\x1b[1}");
}

TEST_F(CliConfig, DownloadCutOffMidStreamFailsWithoutTheCompletionLine)
{
    Simulator sim;
    // The board goes away after the query and 60 bytes of the stream; at the real
    // pacing the remaining bytes cannot be written.
    ASSERT_TRUE(sim.start({QStringLiteral("--hangup-after"), QStringLiteral("64")}));
    const CliResult r = runCli({QStringLiteral("download"), QStringLiteral("config"), defaults(),
                                QStringLiteral("--port"), sim.device(), QStringLiteral("--quiet")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.out.contains("Sending configuration\r\n*Configuration download failed*\r\n"))
        << r.out.toStdString();
    EXPECT_FALSE(r.out.contains("Configuration download complete"));
    EXPECT_EQ(r.err, "kernwick-cli: Configuration download failed\n");
}

TEST_F(CliConfig, CtrlCDuringTheStreamStopsWithThePortClosed)
{
    Simulator sim;
    ASSERT_TRUE(sim.start());
    QProcess cli;
    cli.start(QStringLiteral(KERNWICK_CLI), {QStringLiteral("download"), QStringLiteral("config"),
                                             defaults(), QStringLiteral("--port"), sim.device()});
    ASSERT_TRUE(cli.waitForStarted());
    // At the real pacing the stream takes about six seconds.
    QByteArray out;
    while (!out.contains("Sending configuration\r\n") && cli.waitForReadyRead(10000))
        out += cli.readAllStandardOutput();
    ASSERT_TRUE(out.contains("Sending configuration\r\n")) << out.toStdString();
    ::kill(pid_t(cli.processId()), SIGINT);
    ASSERT_TRUE(cli.waitForFinished(5000));
    out += cli.readAllStandardOutput();
    EXPECT_EQ(cli.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(cli.exitCode(), 130);
    EXPECT_FALSE(out.contains("Configuration download complete"));
    EXPECT_TRUE(out.endsWith("\r\n* Stopped *\n")) << out.toStdString();
    sim.stop();
    EXPECT_FALSE(sim.stateFile(QStringLiteral("wire.log")).endsWith("\x1b[1v"))
        << "the board never got the command that saves the configuration";
}
