#pragma once

// A pseudo-terminal made by the test itself: the port under test opens the slave
// path, the test (or a program it starts) plays the far end on the master.

#include <QByteArray>
#include <QDeadlineTimer>
#include <QString>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

namespace Kernwick::Test {

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

} // namespace Kernwick::Test
