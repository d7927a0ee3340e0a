#pragma once

// Both ends of a terminal line for tests: a pseudo-terminal made by the test itself
// (the port under test opens the slave path, the test or a program it starts plays the
// far end on the master), and a raw client port on a terminal device.

#include <QByteArray>
#include <QDeadlineTimer>
#include <QString>

#include <QByteArrayView>
#include <QFile>

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace Kernwick::Test {

/// A pseudo-terminal whose master the test holds.
class PseudoTerminal
{
public:
    PseudoTerminal()
    {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
        char name[128] = {};
        if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0 ||
            ::ptsname_r(m_master, name, sizeof name) != 0) {
            closeMaster();
            return;
        }
        m_slave = QString::fromLocal8Bit(name);
    }
    ~PseudoTerminal() { closeMaster(); }
    PseudoTerminal(const PseudoTerminal &) = delete;
    PseudoTerminal &operator=(const PseudoTerminal &) = delete;

    bool isValid() const { return m_master >= 0; }
    int master() const { return m_master; }
    QString slavePath() const { return m_slave; }

    /// Hangs up: the slave side sees the line vanish.
    void closeMaster()
    {
        if (m_master >= 0)
            ::close(m_master);
        m_master = -1;
    }

    bool write(const QByteArray &bytes)
    {
        return ::write(m_master, bytes.constData(), size_t(bytes.size())) == bytes.size();
    }

    /// Reads until `count` bytes came or `timeoutMs` passed.
    QByteArray read(qsizetype count, int timeoutMs = 2000)
    {
        QByteArray got;
        const QDeadlineTimer deadline(timeoutMs);
        while (got.size() < count && !deadline.hasExpired()) {
            pollfd p{m_master, POLLIN, 0};
            if (::poll(&p, 1, int(deadline.remainingTime())) <= 0)
                break;
            char buffer[256];
            const ssize_t n =
                ::read(m_master, buffer, size_t(qMin<qsizetype>(count - got.size(), 256)));
            if (n <= 0)
                break;
            got.append(buffer, n);
        }
        return got;
    }

private:
    int m_master = -1;
    QString m_slave;
};

/// The client's end of a line: a terminal device (a simulator's, say) opened as a
/// raw, non-blocking port with plain POSIX calls.
class DevicePort
{
public:
    explicit DevicePort(const QString &device)
    {
        m_fd = ::open(QFile::encodeName(device).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (m_fd < 0)
            return;
        termios mode{};
        ::tcgetattr(m_fd, &mode);
        ::cfmakeraw(&mode);
        ::tcsetattr(m_fd, TCSANOW, &mode);
    }
    ~DevicePort()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool isOpen() const { return m_fd >= 0; }
    int fd() const { return m_fd; }

    bool write(QByteArrayView bytes)
    {
        qsizetype done = 0;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (done < bytes.size() && std::chrono::steady_clock::now() < deadline) {
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
    QByteArray readUntil(QByteArrayView wanted,
                         std::chrono::milliseconds limit = std::chrono::seconds(5))
    {
        QByteArray got;
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!(wanted.size() > 0 && got.contains(wanted))) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
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

} // namespace Kernwick::Test
