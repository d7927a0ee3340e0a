#pragma once

// lrzsz's rx at the far end of a pseudo-terminal, as a board's XMODEM receiver sits
// at the far end of a serial line: an independent receiver for the transfers.
//
// rx does not get the terminal itself. It runs on a socket, and a relay thread
// copies bytes between that socket and the terminal's master side. On exit rx
// flushes its terminal (TCIOFLUSH); on the master of a Linux pseudo-terminal that
// flush also throws away the bytes rx wrote last that the port has not read yet -
// its answer to the EOT. A real line delivers what has left the sender, and so does
// the relay.
//
// As a boot monitor (the "shim") the relay also plays the monitor's command side:
// it answers "V#" with a prompt, starts rx on "S104000,#" and counts "g#" once rx
// has ended. It records when the first block reached rx, when the EOT did, and when
// rx sent its last answer, so that a benchmark can time the transfer alone.

#include "pty.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace Kernwick::Test {

class LrzszReceiver
{
public:
    using Clock = std::chrono::steady_clock;

    enum class Mode
    {
        Receiver,   ///< rx runs from the start
        BootMonitor ///< the monitor's commands first; rx runs from "S104000,#" on
    };

    /// When the transfer's steps passed the relay.
    struct Times
    {
        std::optional<Clock::time_point> firstBlock; ///< the first SOH reached rx
        std::optional<Clock::time_point> eot;        ///< the first EOT reached rx
        std::optional<Clock::time_point> lastAnswer; ///< rx's last byte reached the line
    };

    static constexpr char RxPath[] = "/usr/bin/rx";
    static constexpr char FileName[] = "received.bin";

    static bool available() { return QFile::exists(QString::fromLatin1(RxPath)); }

    explicit LrzszReceiver(Mode mode) : m_mode(mode)
    {
        if (m_pty.isValid())
            ::fcntl(m_pty.master(), F_SETFD, FD_CLOEXEC);
    }

    ~LrzszReceiver()
    {
        m_quit = true;
        if (m_relay.joinable())
            m_relay.join();
        std::lock_guard lock(m_mutex);
        if (m_rxPid > 0) {
            ::kill(m_rxPid, SIGKILL);
            ::waitpid(m_rxPid, nullptr, 0);
        }
        if (m_rxFd >= 0)
            ::close(m_rxFd);
    }

    LrzszReceiver(const LrzszReceiver &) = delete;
    LrzszReceiver &operator=(const LrzszReceiver &) = delete;

    /// Starts the relay (and, as a plain receiver, rx).
    bool start()
    {
        if (!m_pty.isValid() || !m_dir.isValid())
            return false;
        if (m_mode == Mode::Receiver && !spawnRx())
            return false;
        m_relay = std::thread([this] { relay(); });
        return true;
    }

    /// The device the sender opens.
    QString device() const { return m_pty.slavePath(); }

    /// Waits until rx has ended. False when it did not within `timeoutMs`.
    bool waitForRx(int timeoutMs)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                  [this] { return m_rxStatus.has_value(); });
    }
    /// rx's exit status once it has ended (-1 when it was killed).
    std::optional<int> rxStatus()
    {
        std::lock_guard lock(m_mutex);
        return m_rxStatus;
    }
    /// The file rx stored.
    QByteArray received() const { return readFile(m_dir.filePath(QString::fromLatin1(FileName))); }
    /// What rx printed on its standard error.
    QByteArray rxErrors() const { return readFile(m_dir.filePath(QStringLiteral("rx.err"))); }
    /// EOTs that reached rx at a block boundary.
    int eots()
    {
        std::lock_guard lock(m_mutex);
        return m_eots;
    }
    /// "g#" commands after rx ended.
    int firmwareStarts()
    {
        std::lock_guard lock(m_mutex);
        return m_starts;
    }
    Times times()
    {
        std::lock_guard lock(m_mutex);
        return m_times;
    }

private:
    static QByteArray readFile(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    bool spawnRx()
    {
        int ends[2];
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0)
            return false;
        const QByteArray dir = QFile::encodeName(m_dir.path());
        const QByteArray errors = QFile::encodeName(m_dir.filePath(QStringLiteral("rx.err")));
        const int errorFd =
            ::open(errors.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        // rx refuses paths outside its working directory.
        char *const argv[] = {const_cast<char *>("rx"),     const_cast<char *>("-c"),
                              const_cast<char *>("-b"),     const_cast<char *>("-q"),
                              const_cast<char *>(FileName), nullptr};
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::dup2(ends[1], STDIN_FILENO);
            ::dup2(ends[1], STDOUT_FILENO);
            if (errorFd >= 0)
                ::dup2(errorFd, STDERR_FILENO);
            if (::chdir(dir.constData()) == 0)
                ::execv(RxPath, argv);
            ::_exit(127);
        }
        ::close(ends[1]);
        if (errorFd >= 0)
            ::close(errorFd);
        if (pid < 0) {
            ::close(ends[0]);
            return false;
        }
        std::lock_guard lock(m_mutex);
        m_rxPid = pid;
        m_rxFd = ends[0];
        m_packetLeft = 0;
        return true;
    }

    void writeLine(const char *bytes, qsizetype size)
    {
        qsizetype done = 0;
        while (done < size) {
            const ssize_t n = ::write(m_pty.master(), bytes + done, size_t(size - done));
            if (n > 0)
                done += n;
            else if (n < 0 && errno != EINTR)
                return;
        }
    }

    void toRx(const QByteArray &bytes)
    {
        const Clock::time_point now = Clock::now();
        {
            std::lock_guard lock(m_mutex);
            for (const char c : bytes) {
                if (m_packetLeft > 0) {
                    --m_packetLeft;
                } else if (c == 0x01) {
                    if (!m_times.firstBlock)
                        m_times.firstBlock = now;
                    m_packetLeft = 132;
                } else if (c == 0x04) {
                    if (!m_times.eot)
                        m_times.eot = now;
                    ++m_eots;
                }
            }
        }
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t n =
                ::send(m_rxFd, bytes.constData() + done, size_t(bytes.size() - done), MSG_NOSIGNAL);
            if (n > 0)
                done += n;
            else if (n < 0 && errno != EINTR)
                return; // rx has gone; what it missed is lost as on a real line
        }
    }

    // The boot monitor's command side, while rx is not running.
    void monitorCommand(char c, QByteArray *forRx, const QByteArray &rest)
    {
        if (c == '\r' || c == '\n') {
            m_command.clear();
            return;
        }
        if (c != '#') {
            if (m_command.size() < 64)
                m_command.append(c);
            return;
        }
        const QByteArray command = std::exchange(m_command, {});
        if (command == "V") {
            writeLine("rx shim\r\n>", 10);
        } else if (command.startsWith('S')) {
            if (spawnRx())
                *forRx = rest;
        } else if (command == "g") {
            std::lock_guard lock(m_mutex);
            ++m_starts;
        }
    }

    void fromLine(const QByteArray &bytes)
    {
        if (m_rxFd >= 0) {
            toRx(bytes);
            return;
        }
        if (m_mode != Mode::BootMonitor)
            return;
        for (qsizetype i = 0; i < bytes.size() && m_rxFd < 0; ++i) {
            QByteArray forRx;
            monitorCommand(bytes[i], &forRx, bytes.mid(i + 1));
            if (m_rxFd >= 0 && !forRx.isEmpty())
                toRx(forRx);
        }
    }

    void rxEnded()
    {
        int status = 0;
        ::waitpid(m_rxPid, &status, 0);
        std::lock_guard lock(m_mutex);
        ::close(m_rxFd);
        m_rxFd = -1;
        m_rxPid = -1;
        m_rxStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        m_changed.notify_all();
    }

    void relay()
    {
        char buffer[4096];
        while (!m_quit) {
            pollfd fds[2] = {{m_pty.master(), POLLIN, 0}, {m_rxFd, POLLIN, 0}};
            const nfds_t count = m_rxFd >= 0 ? 2 : 1;
            if (::poll(fds, count, 20) < 0)
                continue;
            if (fds[0].revents & POLLIN) {
                const ssize_t n = ::read(m_pty.master(), buffer, sizeof buffer);
                if (n > 0)
                    fromLine(QByteArray(buffer, n));
            } else if (fds[0].revents & (POLLHUP | POLLERR)) {
                // Nobody holds the line's other end (yet, or any more).
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
            if (count == 2 && (fds[1].revents & (POLLIN | POLLHUP | POLLERR))) {
                const ssize_t n = ::read(m_rxFd, buffer, sizeof buffer);
                if (n > 0) {
                    writeLine(buffer, n);
                    std::lock_guard lock(m_mutex);
                    m_times.lastAnswer = Clock::now();
                } else if (n == 0 || errno != EINTR) {
                    rxEnded();
                }
            }
        }
    }

    const Mode m_mode;
    PseudoTerminal m_pty;
    QTemporaryDir m_dir;
    std::thread m_relay;
    std::atomic<bool> m_quit{false};

    std::mutex m_mutex;
    std::condition_variable m_changed;
    pid_t m_rxPid = -1;
    int m_rxFd = -1; // written by the relay thread only, once started
    std::optional<int> m_rxStatus;
    int m_packetLeft = 0;
    int m_eots = 0;
    int m_starts = 0;
    Times m_times;
    QByteArray m_command;
};

} // namespace Kernwick::Test
