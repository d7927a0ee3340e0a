// zuvo-sim as a program: a client on its pseudo-terminal talks to it with plain
// POSIX calls, and the recorded state files, the symbolic link, the exit and the
// line faults are checked from outside.

#include "randombytes.h"
#include "simulator.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <random>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

using Kernwick::Test::Simulator;
using namespace std::chrono_literals;

using Kernwick::Test::randomBytes;

namespace {

using Clock = std::chrono::steady_clock;

// The client's end of the line: the simulator's device opened as a raw port.
class Port
{
public:
    explicit Port(const QString &device)
    {
        m_fd = ::open(QFile::encodeName(device).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (m_fd < 0)
            return;
        termios mode{};
        ::tcgetattr(m_fd, &mode);
        ::cfmakeraw(&mode);
        ::tcsetattr(m_fd, TCSANOW, &mode);
    }
    ~Port()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool isOpen() const { return m_fd >= 0; }
    int fd() const { return m_fd; }

    bool write(QByteArrayView bytes)
    {
        qsizetype done = 0;
        const auto deadline = Clock::now() + 5s;
        while (done < bytes.size() && Clock::now() < deadline) {
            const ssize_t n = ::write(m_fd, bytes.data() + done, size_t(bytes.size() - done));
            if (n > 0) {
                done += n;
            } else if (n < 0 && errno == EAGAIN) {
                pollfd p{m_fd, POLLOUT, 0};
                ::poll(&p, 1, 50);
            } else {
                return false;
            }
        }
        return done == bytes.size();
    }

    // Reads until the text received contains `wanted` or `limit` has passed.
    QByteArray readUntil(QByteArrayView wanted, std::chrono::milliseconds limit = 5s)
    {
        QByteArray got;
        const auto deadline = Clock::now() + limit;
        while (!(wanted.size() > 0 && got.contains(wanted))) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0)
                break;
            pollfd p{m_fd, POLLIN, 0};
            if (::poll(&p, 1, int(left.count())) <= 0)
                continue;
            char buffer[512];
            const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
            if (n <= 0) {
                m_hungUp = n == 0 || errno != EAGAIN;
                if (m_hungUp)
                    break;
                continue;
            }
            got.append(buffer, n);
        }
        return got;
    }
    // Everything that arrives within `limit`.
    QByteArray readFor(std::chrono::milliseconds limit) { return readUntil({}, limit); }
    bool hungUp() const { return m_hungUp; }

private:
    int m_fd = -1;
    bool m_hungUp = false;
};

} // namespace

TEST(SimProgram, HelpDescribesEveryOption)
{
    QProcess sim;
    sim.start(QStringLiteral(ZUVO_SIM), {QStringLiteral("--help")});
    ASSERT_TRUE(sim.waitForFinished(10000));
    EXPECT_EQ(sim.exitCode(), 0);
    const QByteArray help = sim.readAllStandardOutput();
    for (const char *option : {"--link", "--mode", "--state", "--silent", "--wrong-id",
                               "--reply-delay-ms", "--hangup-after", "--nak-chunk", "--nak-erase",
                               "--nak-flush", "--nak-block", "wire.log", "config.txt"})
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
    Port second(sim.device());
    ASSERT_TRUE(second.isOpen()); // as root the flag does not refuse the opening
    int exclusive = -1;
    const auto deadline = Clock::now() + 5s;
    do {
        std::this_thread::sleep_for(10ms);
        ASSERT_EQ(::ioctl(second.fd(), TIOCGEXCL, &exclusive), 0);
    } while (exclusive != 0 && Clock::now() < deadline);
    EXPECT_EQ(exclusive, 0);
    ASSERT_TRUE(second.write("\x1b[1}"));
    EXPECT_EQ(second.readUntil("\r\n"), "ZUVO v4.12\r\n");
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
