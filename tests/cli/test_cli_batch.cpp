// kernwick-cli download ... --ports: the same download to many simulated boards at once.

#include "clirun.h"
#include "folderfixture.h"
#include "simulator.h"
#include "simulatorlink.h"
#include "testapplication.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>

#include <gtest/gtest.h>

#include <csignal>

KERNWICK_TEST_APPLICATION(QCoreApplication);

using namespace Kernwick;
using Kernwick::Test::CliResult;
using Kernwick::Test::runCli;
using Kernwick::Test::Simulator;
using Kernwick::Test::SimulatorLink;

namespace {

QByteArray sampleFont(int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 31 + 5) & 0xFF);
    return bytes;
}

// The lines of `text` that start with `start`.
QList<QByteArray> linesStartingWith(const QByteArray &text, const QByteArray &start)
{
    QList<QByteArray> lines;
    for (const QByteArray &line : text.split('\n')) {
        if (line.startsWith(start))
            lines.append(line);
    }
    return lines;
}

class CliBatch : public Kernwick::Test::FolderTest
{
protected:
    CliResult download(const QStringList &args, const QStringList &ports)
    {
        return runCli(QStringList{QStringLiteral("download")} + args +
                      QStringList{QStringLiteral("--ports"), ports.join(QLatin1Char(',')),
                                  QStringLiteral("--pace-ms"), QStringLiteral("0")});
    }
};

} // namespace

// Eight boards, the third silent and the sixth hanging up after 500 bytes: the
// other six hold the whole font, the log lines name their port, the summary and the
// report name the two failures and their reasons, and the exit status is 1.
TEST_F(CliBatch, EightBoardsTwoFailing)
{
    Simulator sim;
    ASSERT_TRUE(sim.startBoards(8, {QStringLiteral("--board"), QStringLiteral("3"),
                                    QStringLiteral("--silent"), QStringLiteral("--board"),
                                    QStringLiteral("6"), QStringLiteral("--hangup-after"),
                                    QStringLiteral("500")}));
    const QByteArray font = sampleFont(2000);
    const CliResult r = download({QStringLiteral("font"), write(QStringLiteral("font.zvf"), font),
                                  QStringLiteral("--report"), path(QStringLiteral("report.csv"))},
                                 sim.devices());
    EXPECT_EQ(r.exitCode, 1) << r.out.toStdString() << r.err.toStdString();

    ASSERT_EQ(linesStartingWith(r.out, "Port ").size(), 1) << r.out.toStdString();
    const QByteArray table = r.out.mid(r.out.lastIndexOf("Port "));
    for (int board = 1; board <= 8; ++board) {
        SCOPED_TRACE(board);
        const QByteArray port = sim.device(board).toLocal8Bit();
        const QList<QByteArray> rows = linesStartingWith(table, port + ' ');
        ASSERT_EQ(rows.size(), 1) << table.toStdString();
        if (board == 3) {
            EXPECT_TRUE(rows[0].contains(" Failed: ZUVO not detected ")) << rows[0].toStdString();
        } else if (board == 6) {
            EXPECT_TRUE(rows[0].contains(" Failed: The line to " + port + " was lost "))
                << rows[0].toStdString();
        } else {
            EXPECT_TRUE(rows[0].contains(" Completed ")) << rows[0].toStdString();
            EXPECT_EQ(sim.stateFile(QStringLiteral("device4.bin"), board), font);
            EXPECT_TRUE(r.out.contains("[" + port + "] ZUVO detected\n"));
            EXPECT_TRUE(r.out.contains("[" + port + "] Font download complete\n"));
        }
    }

    const QList<QByteArray> csv = read(QStringLiteral("report.csv")).split('\n');
    ASSERT_EQ(csv.size(), 10); // the header, eight boards and the final line end
    EXPECT_EQ(csv[0], "port,result,reason,seconds,started,finished\r");
    EXPECT_TRUE(csv[3].startsWith(sim.device(3).toLocal8Bit() + ",Failed,ZUVO not detected,"))
        << csv[3].toStdString();
    const QByteArray lost = sim.device(6).toLocal8Bit();
    EXPECT_TRUE(csv[6].startsWith(lost + ",Failed,The line to " + lost + " was lost,"))
        << csv[6].toStdString();
    EXPECT_TRUE(csv[1].startsWith(sim.device(1).toLocal8Bit() + ",Completed,,"));
    EXPECT_EQ(csv[1].count(','), 5);
}

// A port named twice, or by its com name and its device path, is refused before
// any port is opened.
TEST_F(CliBatch, APortNamedTwiceIsRefusedBeforeAnyOpens)
{
    Simulator sim;
    ASSERT_TRUE(sim.startBoards(2));
    const QString font = write(QStringLiteral("font.zvf"), sampleFont(300));
    const CliResult twice =
        download({QStringLiteral("font"), font}, {sim.device(1), sim.device(2), sim.device(1)});
    EXPECT_EQ(twice.exitCode, 2);
    EXPECT_EQ(twice.err,
              "kernwick-cli: --ports: Port " + sim.device(1).toLocal8Bit() + " is listed twice\n");
    EXPECT_TRUE(twice.out.isEmpty()) << twice.out.toStdString();

    qputenv("KERNWICK_PORTS", (sim.device(1) + QLatin1Char(',') + sim.device(2)).toLocal8Bit());
    const CliResult aliased =
        download({QStringLiteral("font"), font}, {QStringLiteral("com2"), sim.device(2)});
    qunsetenv("KERNWICK_PORTS");
    EXPECT_EQ(aliased.exitCode, 2);
    EXPECT_TRUE(aliased.err.contains("Ports com2 and " + sim.device(2).toLocal8Bit() +
                                     " are the same device"))
        << aliased.err.toStdString();
    EXPECT_TRUE(aliased.out.isEmpty());

    const CliResult both =
        runCli({QStringLiteral("download"), QStringLiteral("font"), font, QStringLiteral("--port"),
                sim.device(1), QStringLiteral("--ports"), sim.device(2)});
    EXPECT_EQ(both.exitCode, 2);
    EXPECT_EQ(both.err, "kernwick-cli: --port and --ports cannot be used together\n");
    // Not one byte reached a board.
    for (int board = 1; board <= 2; ++board)
        EXPECT_TRUE(sim.stateFile(QStringLiteral("wire.log"), board).isEmpty()) << board;
}

// --log-dir writes each board's log, unprefixed, into a file named after its port;
// --retry runs a refused board's download again.
TEST_F(CliBatch, LogFilesAndARetry)
{
    Simulator sim;
    ASSERT_TRUE(sim.startBoards(2, {QStringLiteral("--board"), QStringLiteral("2"),
                                    QStringLiteral("--nak-chunk"), QStringLiteral("1:1")}));
    const QByteArray font = sampleFont(700);
    qputenv("KERNWICK_PORTS", (sim.device(1) + QLatin1Char(',') + sim.device(2)).toLocal8Bit());
    const CliResult r = download({QStringLiteral("font"), write(QStringLiteral("font.zvf"), font),
                                  QStringLiteral("--log-dir"), path(QStringLiteral("logs")),
                                  QStringLiteral("--retry"), QStringLiteral("2")},
                                 {QStringLiteral("com1"), sim.device(2)});
    qunsetenv("KERNWICK_PORTS");
    EXPECT_EQ(r.exitCode, 0) << r.out.toStdString() << r.err.toStdString();
    // Standard output holds the summary alone.
    EXPECT_FALSE(r.out.contains('[')) << r.out.toStdString();
    EXPECT_EQ(r.out.count('\n'), 3) << r.out.toStdString();

    QString second = sim.device(2);
    second.replace(QLatin1Char('/'), QLatin1Char('_'));
    EXPECT_EQ(QDir(path(QStringLiteral("logs"))).entryList(QDir::Files),
              (QStringList{QStringLiteral("com1.log"), second.mid(1) + QStringLiteral(".log")}));
    const QByteArray first = read(QStringLiteral("logs/com1.log"));
    EXPECT_TRUE(first.startsWith("Opening com port\r\nPort opened\r\n")) << first.toStdString();
    EXPECT_TRUE(first.endsWith("Memory flushed: font loaded\r\nFont download complete"));
    EXPECT_FALSE(first.contains("Trying again"));
    const QByteArray retried =
        read(QStringLiteral("logs/") + second.mid(1) + QStringLiteral(".log"));
    const qsizetype refused = retried.indexOf("* Data transfer failed *\r\nPacket number 1");
    const qsizetype again = retried.indexOf("\r\nTrying again: attempt 2 of 3\r\nOpening com port");
    EXPECT_GE(refused, 0) << retried.toStdString();
    EXPECT_GT(again, refused) << retried.toStdString();
    EXPECT_TRUE(retried.endsWith("Font download complete"));
    EXPECT_EQ(sim.stateFile(QStringLiteral("device4.bin"), 2), font);
}

// --ports all takes every present port of the port table.
TEST_F(CliBatch, AllMeansEveryPresentPort)
{
    Simulator sim;
    ASSERT_TRUE(sim.startBoards(2));
    qputenv("KERNWICK_PORTS", (sim.device(1) + QStringLiteral(",,") + sim.device(2)).toLocal8Bit());
    const QString script = write(QStringLiteral("boot.zvb"), "echo ready\r");
    const CliResult r = runCli({QStringLiteral("download"), QStringLiteral("bootscript"), script,
                                QStringLiteral("--ports"), QStringLiteral("all"),
                                QStringLiteral("--pace-ms"), QStringLiteral("0")});
    qunsetenv("KERNWICK_PORTS");
    EXPECT_EQ(r.exitCode, 0) << r.out.toStdString() << r.err.toStdString();
    EXPECT_EQ(linesStartingWith(r.out, "com1 ").size(), 1) << r.out.toStdString();
    EXPECT_EQ(linesStartingWith(r.out, "com3 ").size(), 1) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("[com3] Boot script download complete\n"));
    for (int board = 1; board <= 2; ++board)
        EXPECT_EQ(sim.stateFileOnceWritten(QStringLiteral("bootscript.bin"), 1, board),
                  "echo ready\r")
            << board;
}

// Ctrl-C during a batch: every board stops with its port closed, the summary says
// so, the exit status is 130, and every board answers the next command.
TEST_F(CliBatch, CtrlCStopsEveryBoard)
{
    Simulator sim;
    ASSERT_TRUE(sim.startBoards(3));
    QProcess cli;
    cli.start(QStringLiteral(KERNWICK_CLI),
              {QStringLiteral("download"), QStringLiteral("font"),
               write(QStringLiteral("font.zvf"), sampleFont(16 * 1024)), QStringLiteral("--ports"),
               sim.devices().join(QLatin1Char(',')), QStringLiteral("--pace-ms"),
               QStringLiteral("2")});
    ASSERT_TRUE(cli.waitForStarted());
    QByteArray out;
    const QDeadlineTimer deadline(60000);
    while (out.count("] Downloading font\n") < 3 && !deadline.hasExpired() &&
           cli.state() == QProcess::Running) {
        cli.waitForReadyRead(100);
        out += cli.readAllStandardOutput();
    }
    ASSERT_EQ(out.count("] Downloading font\n"), 3) << out.toStdString();
    ::kill(pid_t(cli.processId()), SIGINT);
    ASSERT_TRUE(cli.waitForFinished(30000));
    out += cli.readAllStandardOutput();
    EXPECT_EQ(cli.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(cli.exitCode(), 130) << out.toStdString();
    for (int board = 1; board <= 3; ++board) {
        SCOPED_TRACE(board);
        const QByteArray port = sim.device(board).toLocal8Bit();
        EXPECT_TRUE(out.contains("[" + port + "] * Stopped *\n")) << out.toStdString();
        const QList<QByteArray> rows = linesStartingWith(out, port + ' ');
        ASSERT_EQ(rows.size(), 1);
        EXPECT_TRUE(rows[0].contains(" Stopped ")) << rows[0].toStdString();
        // The port is closed, and the board was left between two commands.
        SimulatorLink link(sim.device(board));
        EXPECT_TRUE(link.conversation->openPortLogged(9600)) << link.log.toStdString();
        EXPECT_TRUE(link.conversation->detectBoard()) << link.log.toStdString();
    }
}
