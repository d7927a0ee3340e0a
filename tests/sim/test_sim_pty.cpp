// zuvo-sim as a program: a client on its pseudo-terminal talks to it with plain
// POSIX calls, and the recorded state files, the symbolic link, the exit and the
// line faults are checked from outside.

#include "pty.h"
#include "qtprinters.h"
#include "randombytes.h"
#include "simulator.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <memory>
#include <poll.h>
#include <random>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

using Kernwick::Test::Simulator;
using Port = Kernwick::Test::DevicePort;
using namespace std::chrono_literals;

using Kernwick::Test::randomBytes;

namespace {

using Clock = std::chrono::steady_clock;

} // namespace

TEST(SimProgram, HelpDescribesEveryOption)
{
    QProcess sim;
    sim.start(QStringLiteral(ZUVO_SIM), {QStringLiteral("--help")});
    ASSERT_TRUE(sim.waitForFinished(10000));
    EXPECT_EQ(sim.exitCode(), 0);
    const QByteArray help = sim.readAllStandardOutput();
    for (const char *option :
         {"--link", "--mode", "--state", "--silent", "--wrong-id", "--reply-delay-ms",
          "--hangup-after", "--nak-chunk", "--nak-erase", "--nak-flush", "--nak-block",
          "--idle-drop-ms", "wire.log", "config.txt", "unfinished"})
        EXPECT_TRUE(help.contains(option)) << option;

    sim.start(QStringLiteral(ZUVO_SIM), {QStringLiteral("--mode"), QStringLiteral("serial")});
    ASSERT_TRUE(sim.waitForFinished(10000));
    EXPECT_EQ(sim.exitCode(), 2);
    EXPECT_TRUE(sim.readAllStandardError().startsWith("zuvo-sim: "));
}

TEST(SimProgram, MainPortDownloadsReachTheStateFolder)
{
    Simulator sim;
    ASSERT_TRUE(sim.start());
    Port port(sim.device());
    ASSERT_TRUE(port.isOpen());

    const QByteArray identify = "\x1b[1}";
    ASSERT_TRUE(port.write(identify));
    EXPECT_EQ(port.readUntil("\r\n"), "ZUVO v4.12\r\n");
    EXPECT_EQ(sim.stateFile("wire.log"), identify);

    // Erase, the 259 bytes "z"*64 (256 zeros) + "abc" as two chunks, flush.
    const QByteArray font = "\x1b[93;3;0|"
                            "\x1bX" +
                            QByteArray(64, 'z') +
                            "\x1b\\\x1b[91;3;0;176294500|"
                            "\x1bX@:E^\x1b\\\x1b[91;3;256;1457543324|"
                            "\x1b[92;3;1|";
    ASSERT_TRUE(port.write(font));
    EXPECT_EQ(port.readUntil("\x06\x06\x06\x06"), "\x06\x06\x06\x06");
    EXPECT_EQ(sim.stateFile("device3.bin"), QByteArray(256, '\0') + "abc");

    const QByteArray script = "Hi\r\n\x1b[2;3H";
    ASSERT_TRUE(port.write("\x1b[26;<5v\x1b[9;1v\x1b[1v\x1bX" + script + "\x1b\\\x1b[8v\x1b[1v" +
                           identify));
    EXPECT_EQ(port.readUntil("\r\n"), "ZUVO v4.12\r\n");
    EXPECT_EQ(sim.stateFile("config.txt"), "9=1\n26=-5\n");
    EXPECT_EQ(sim.stateFile("bootscript.bin"), script);
    EXPECT_EQ(sim.stateFile("wire.log"), identify + font + "\x1b[26;<5v\x1b[9;1v\x1b[1v\x1bX" +
                                             script + "\x1b\\\x1b[8v\x1b[1v" + identify);
}

// An independent XMODEM-CRC sender (lrzsz's sx) delivers firmware after a console reset.
TEST(SimProgram, ConsoleResetThenFirmwareFromAnIndependentSender)
{
    const QString sx = QStandardPaths::findExecutable(QStringLiteral("sx"));
    if (sx.isEmpty())
        GTEST_SKIP() << "sx (lrzsz) is not installed";
    QTemporaryDir work;
    const QString imagePath = work.filePath(QStringLiteral("firmware.img"));
    const QByteArray image = randomBytes(40 * 128, 77);
    {
        QFile f(imagePath);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(image);
    }

    Simulator sim;
    ASSERT_TRUE(sim.start({QStringLiteral("--mode"), QStringLiteral("debug")}));
    Port port(sim.device());
    ASSERT_TRUE(port.write("\r"));
    EXPECT_EQ(port.readUntil(">"), "\r\nzuvo>");
    ASSERT_TRUE(port.write("reset x\n"));
    EXPECT_TRUE(port.readUntil(")").contains(')'));

    QProcess sender;
    sender.setStandardInputFile(sim.device());
    sender.setStandardOutputFile(sim.device());
    sender.start(sx, {imagePath});
    ASSERT_TRUE(sender.waitForStarted(5000));
    ASSERT_TRUE(port.write("S104000,#")); // the "C" goes to the waiting sender
    ASSERT_TRUE(sender.waitForFinished(30000)) << sender.readAllStandardError().toStdString();
    EXPECT_EQ(sender.exitCode(), 0) << sender.readAllStandardError().toStdString();
    EXPECT_EQ(sim.stateFile("firmware.bin"), image);

    ASSERT_TRUE(port.write("g#\r"));
    EXPECT_EQ(port.readUntil(">"), "\r\nzuvo>"); // the console is back
}

TEST(SimProgram, LinkIsMadeAndRemovedOnTermination)
{
    QTemporaryDir work;
    const QString link = work.filePath(QStringLiteral("zuvo"));
    Simulator sim;
    ASSERT_TRUE(sim.start({QStringLiteral("--link"), link}));
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), sim.device());
    {
        Port port(link);
        ASSERT_TRUE(port.write("\x1b[1}"));
        EXPECT_EQ(port.readUntil("\r\n"), "ZUVO v4.12\r\n");
    }
    sim.stop();
    EXPECT_EQ(sim.process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(sim.process().exitCode(), 0);
    EXPECT_FALSE(QFileInfo(link).isSymLink());
}

TEST(SimProgram, HangsUpAfterTheGivenByteCount)
{
    Simulator sim;
    ASSERT_TRUE(sim.start({QStringLiteral("--hangup-after"), QStringLiteral("6")}));
    Port port(sim.device());
    ASSERT_TRUE(port.write("\x1b[1}\x1b[1}"));
    port.readFor(5s);
    EXPECT_TRUE(port.hungUp());
    ASSERT_TRUE(sim.process().waitForFinished(5000));
    EXPECT_EQ(sim.process().exitCode(), 0);
    EXPECT_EQ(sim.stateFile("wire.log"), "\x1b[1}\x1b[");
}

// A frame a client leaves open when it closes the line stays open for the next
// client, and the event log says so; so it does for input open when it stops.
TEST(SimProgram, UnfinishedInputIsLoggedAndKept)
{
    const QByteArray commit = "\x1bX@:E^\x1b\\\x1b[91;4;0;1457543324|"; // "abc" at 0
    Simulator sim;
    ASSERT_TRUE(sim.start());
    {
        Port first(sim.device());
        ASSERT_TRUE(first.write(commit.left(4)));
    }
    EXPECT_EQ(sim.unfinishedInputOnceLogged(),
              QStringList{"unfinished string frame (2 bytes) left open when the line was closed"});

    Port second(sim.device());
    ASSERT_TRUE(second.write(commit.mid(4) + "\x1b[92;4;1|"));
    EXPECT_EQ(second.readUntil("\x06\x06"), "\x06\x06");
    EXPECT_EQ(sim.stateFile("device4.bin"), "abc");

    ASSERT_TRUE(second.write("\x1b[93;4"));
    sim.stateFileOnceWritten("wire.log", commit.size() + 9 + 6);
    sim.stop();
    EXPECT_EQ(sim.unfinishedInput(),
              (QStringList{"unfinished string frame (2 bytes) left open when the line was closed",
                           "unfinished escape command \"ESC[93;4\" left open when the "
                           "simulator stopped"}));
}

TEST(SimProgram, IdleDropIsAFaultToAskFor)
{
    Simulator sim;
    ASSERT_TRUE(sim.start({QStringLiteral("--idle-drop-ms"), QStringLiteral("100")}));
    Port port(sim.device());
    ASSERT_TRUE(port.write("\x1bX@:"));
    EXPECT_EQ(sim.unfinishedInputOnceLogged(),
              QStringList{"unfinished string frame (2 bytes) dropped after 100 ms of silence"});
    // The frame's end finds no frame, so the commit has no chunk text.
    ASSERT_TRUE(port.write("E^\x1b\\\x1b[91;4;0;1457543324|"));
    EXPECT_EQ(port.readUntil("\x15"), "\x15");
}

TEST(SimProgram, AnswerFaults)
{
    struct Case
    {
        const char *name;
        QStringList args;
        QByteArray early; // what has arrived after 300 ms
        QByteArray answer;
    };
    const Case cases[] = {
        {"silent", {"--silent"}, "", ""},
        {"wrong id", {"--wrong-id"}, "ZUVO v3.1\r\n", "ZUVO v3.1\r\n"},
        {"late", {"--reply-delay-ms", "800"}, "", "ZUVO v4.12\r\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Simulator sim;
        ASSERT_TRUE(sim.start(c.args));
        Port port(sim.device());
        ASSERT_TRUE(port.write("\x1b[1}"));
        QByteArray got = port.readFor(300ms);
        EXPECT_EQ(got, c.early);
        if (!got.endsWith("\r\n"))
            got += port.readUntil("\r\n", c.answer.isEmpty() ? 700ms : 5s);
        EXPECT_EQ(got, c.answer);
        EXPECT_EQ(sim.stateFile("wire.log"), "\x1b[1}");
    }
}

// A client that dies holding exclusive use of the line does not lock the next out.
TEST(SimProgram, ExclusiveUseEndsWithTheClient)
{
    Simulator sim;
    ASSERT_TRUE(sim.start());
    {
        Port first(sim.device());
        ASSERT_TRUE(first.isOpen());
        ASSERT_EQ(::ioctl(first.fd(), TIOCEXCL), 0);
    } // closed without giving exclusive use back
    // The simulator gives exclusive use back when it sees the close. Until then a
    // user without root's privilege is refused (EBUSY) and root is let in with the
    // flag still set; so open again until the line is free.
    std::unique_ptr<Port> second;
    int exclusive = -1;
    const auto deadline = Clock::now() + 5s;
    do {
        std::this_thread::sleep_for(10ms);
        second = std::make_unique<Port>(sim.device());
        if (second->isOpen()) {
            ASSERT_EQ(::ioctl(second->fd(), TIOCGEXCL, &exclusive), 0);
        }
    } while (exclusive != 0 && Clock::now() < deadline);
    ASSERT_TRUE(second->isOpen());
    EXPECT_EQ(exclusive, 0);
    ASSERT_TRUE(second->write("\x1b[1}"));
    EXPECT_EQ(second->readUntil("\r\n"), "ZUVO v4.12\r\n");
}

TEST(SimProgram, GarbageOnTheLineLeavesItAnswering)
{
    Simulator sim;
    ASSERT_TRUE(sim.start());
    Port port(sim.device());
    const QByteArray garbage = randomBytes(16 * 1024, 2024);
    for (qsizetype at = 0; at < garbage.size(); at += 1000)
        ASSERT_TRUE(port.write(
            QByteArrayView(garbage).sliced(at, std::min<qsizetype>(1000, garbage.size() - at))));
    port.readFor(300ms);
    // CAN ends a half command or string frame; then the identification.
    ASSERT_TRUE(port.write("\x18\x1b[1}"));
    EXPECT_TRUE(port.readUntil("v4.12\r\n").endsWith("ZUVO v4.12\r\n"));
    EXPECT_EQ(sim.process().state(), QProcess::Running);
    EXPECT_EQ(sim.stateFile("wire.log"), garbage + "\x18\x1b[1}");
}

// Three boards, each on its own terminal, link and state folder; a fault aimed at
// board 2 makes it alone silent.
TEST(SimBoards, EachBoardHasItsOwnLineAndState)
{
    QTemporaryDir work;
    const QString link = work.filePath(QStringLiteral("zuvo"));
    Simulator sim;
    ASSERT_TRUE(sim.startBoards(3, {QStringLiteral("--link"), link, QStringLiteral("--board"),
                                    QStringLiteral("2"), QStringLiteral("--silent")}));
    const QStringList devices = sim.devices();
    ASSERT_EQ(devices.size(), 3);
    EXPECT_EQ(QSet<QString>(devices.begin(), devices.end()).size(), 3);
    EXPECT_FALSE(QFileInfo::exists(link));

    const QByteArray answers[] = {"ZUVO v4.12\r\n", "", "ZUVO v4.12\r\n"};
    for (int k = 1; k <= 3; ++k) {
        SCOPED_TRACE(k);
        const QString path = link + QString::number(k);
        EXPECT_EQ(QFileInfo(path).symLinkTarget(), devices[k - 1]);
        Port port(path);
        ASSERT_TRUE(port.isOpen());
        const QByteArray setting = QStringLiteral("\x1b[9;%1v\x1b[1v").arg(k).toLatin1();
        ASSERT_TRUE(port.write("\x1b[1}" + setting));
        // The configuration is saved after the identification is answered.
        EXPECT_EQ(sim.stateFileOnceWritten("config.txt", 1, k),
                  "9=" + QByteArray::number(k) + "\n");
        EXPECT_EQ(port.readUntil("\r\n", answers[k - 1].isEmpty() ? 1s : 5s), answers[k - 1]);
        EXPECT_EQ(sim.stateFile("wire.log", k), "\x1b[1}" + setting);
    }
    // Nothing is recorded beside the boards' folders.
    EXPECT_EQ(
        QDir(QFileInfo(sim.stateDir(1)).path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
        (QStringList{"1", "2", "3"}));
}

// A board that hangs up leaves the others answering; the simulator ends when
// stopped, removing the links of the boards still there.
TEST(SimBoards, AHangUpLeavesTheOthersAnswering)
{
    QTemporaryDir work;
    const QString link = work.filePath(QStringLiteral("zuvo"));
    Simulator sim;
    ASSERT_TRUE(sim.startBoards(3, {QStringLiteral("--link"), link, QStringLiteral("--verbose"),
                                    QStringLiteral("--board"), QStringLiteral("2"),
                                    QStringLiteral("--hangup-after"), QStringLiteral("4")}));
    {
        Port second(link + "2");
        ASSERT_TRUE(second.write("\x1b[1}"));
        second.readFor(5s);
        EXPECT_TRUE(second.hungUp());
    }
    for (const int k : {1, 3, 1}) {
        SCOPED_TRACE(k);
        Port port(link + QString::number(k));
        ASSERT_TRUE(port.write("\x1b[1}"));
        EXPECT_EQ(port.readUntil("\r\n"), "ZUVO v4.12\r\n");
    }
    EXPECT_EQ(sim.process().state(), QProcess::Running);
    EXPECT_FALSE(QFileInfo(link + "2").isSymLink());

    sim.stop();
    EXPECT_EQ(sim.process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(sim.process().exitCode(), 0);
    for (const int k : {1, 3})
        EXPECT_FALSE(QFileInfo(link + QString::number(k)).isSymLink()) << k;
    const QByteArray errors = sim.process().readAllStandardError();
    EXPECT_TRUE(errors.contains("zuvo-sim: board 2: hanging up after 4 bytes\n"))
        << errors.toStdString();
    EXPECT_TRUE(errors.contains("zuvo-sim: board 3: board started on the main port\n"));
}
