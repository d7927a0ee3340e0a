// kernwick-cli terminal: standard input and output connected to the line.

#include "clirun.h"
#include "pty.h"
#include "qtprinters.h"
#include "simulator.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>

using Kernwick::Test::CliResult;
using Kernwick::Test::PseudoTerminal;
using Kernwick::Test::runCli;
using Kernwick::Test::Simulator;

namespace {

// kernwick-cli terminal on `device` as a process whose standard input the test writes.
struct TerminalProcess
{
    explicit TerminalProcess(const QString &device)
    {
        process.start(QStringLiteral(KERNWICK_CLI),
                      {QStringLiteral("terminal"), QStringLiteral("--port"), device,
                       QStringLiteral("--pace-ms"), QStringLiteral("0")});
    }
    ~TerminalProcess()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished();
        }
    }

    // Hands `bytes` to the process's standard input at once.
    void input(const QByteArray &bytes)
    {
        process.write(bytes);
        process.waitForBytesWritten(5000);
    }

    // Standard output until it contains `wanted` or 5 seconds passed.
    QByteArray outputUntil(const QByteArray &wanted)
    {
        while (!out.contains(wanted) && process.waitForReadyRead(5000))
            out += process.readAllStandardOutput();
        return out;
    }

    QProcess process;
    QByteArray out;
};

// What the far end of `line` receives, once kernwick-cli has opened the other end
// (until then the master reads nothing but hang-ups).
QByteArray receivedOn(PseudoTerminal &line, qsizetype count)
{
    QByteArray got;
    const QDeadlineTimer deadline(5000);
    while (got.size() < count && !deadline.hasExpired()) {
        const QByteArray piece = line.read(count - got.size(), 100);
        if (piece.isEmpty())
            QThread::msleep(20);
        got += piece;
    }
    return got;
}

} // namespace

TEST(CliTerminal, CarriesTheQueryOutAndTheAnswerBackAndEndsAtEndOfInput)
{
    Simulator sim;
    ASSERT_TRUE(sim.start());
    TerminalProcess t(sim.device());
    ASSERT_TRUE(t.process.waitForStarted());
    t.process.write("\x1b[1}");
    t.process.closeWriteChannel();
    ASSERT_TRUE(t.process.waitForFinished(10000));
    t.out += t.process.readAllStandardOutput();
    EXPECT_EQ(t.process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(t.process.exitCode(), 0) << t.process.readAllStandardError().toStdString();
    EXPECT_EQ(t.out, "ZUVO v4.12\r\n");
    sim.stop();
    EXPECT_EQ(sim.stateFile(QStringLiteral("wire.log")), "\x1b[1}");
}

TEST(CliTerminal, PassesEveryByteThroughUnchangedBothWays)
{
    PseudoTerminal line;
    ASSERT_TRUE(line.isValid());
    TerminalProcess t(line.slavePath());
    ASSERT_TRUE(t.process.waitForStarted());
    const QByteArray sent("\x1b[1}\r\n\0\x08\t\xff", 10);
    t.input(sent);
    // The bytes arrive once the port is open and configured; answer then.
    EXPECT_EQ(receivedOn(line, sent.size()), sent);
    const QByteArray answer("a\0b\r\n\x1b\0", 7);
    ASSERT_TRUE(line.write(answer));
    EXPECT_EQ(t.outputUntil(QByteArray("\x1b\0", 2)), answer) << "zero bytes pass through";
    t.process.closeWriteChannel();
    ASSERT_TRUE(t.process.waitForFinished(10000));
    EXPECT_EQ(t.process.exitCode(), 0);
}

TEST(CliTerminal, CtrlCEndsItWithExit130)
{
    Simulator sim;
    ASSERT_TRUE(sim.start());
    TerminalProcess t(sim.device());
    ASSERT_TRUE(t.process.waitForStarted());
    t.input("\x1b[1}");
    ASSERT_TRUE(t.outputUntil("\r\n").endsWith("\r\n"));
    ::kill(pid_t(t.process.processId()), SIGINT);
    ASSERT_TRUE(t.process.waitForFinished(5000));
    EXPECT_EQ(t.process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(t.process.exitCode(), 130);
}

TEST(CliTerminal, LostLineEndsItWithAnError)
{
    Simulator sim;
    ASSERT_TRUE(sim.start({QStringLiteral("--hangup-after"), QStringLiteral("5")}));
    TerminalProcess t(sim.device());
    ASSERT_TRUE(t.process.waitForStarted());
    t.input("\x1b[1}x");
    ASSERT_TRUE(t.process.waitForFinished(5000));
    EXPECT_EQ(t.process.exitCode(), 1);
    EXPECT_EQ(QString::fromLocal8Bit(t.process.readAllStandardError()),
              QStringLiteral("kernwick-cli: The line to %1 was lost\n").arg(sim.device()));
}

TEST(CliTerminal, AbsentPortPrintsTheBoxText)
{
    const CliResult r = runCli({QStringLiteral("terminal"), QStringLiteral("--port"),
                                QStringLiteral("/nonexistent/ttyZ0")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "kernwick-cli: OpenPort failed\n");
    EXPECT_TRUE(r.out.isEmpty());
}

TEST(CliTerminal, UsageErrorsAndHelp)
{
    EXPECT_EQ(runCli({QStringLiteral("terminal"), QStringLiteral("extra")}).exitCode, 2);
    EXPECT_EQ(runCli({QStringLiteral("terminal"), QStringLiteral("--baud"), QStringLiteral("0")})
                  .exitCode,
              2);
    const CliResult help = runCli({QStringLiteral("terminal"), QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith("Usage: kernwick-cli terminal")) << help.out.toStdString();
}
