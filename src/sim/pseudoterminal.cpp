#include "pseudoterminal.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace Kernwick::Sim {

namespace {

QString systemError(const char *what)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(what),
                                        QString::fromLocal8Bit(std::strerror(errno)));
}

} // namespace

bool PseudoTerminal::open(QString *error)
{
    close();
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0) {
        *error = systemError("cannot open a pseudo-terminal");
        return false;
    }
    char name[128] = {};
    if (::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0 ||
        ::ptsname_r(m_master, name, sizeof name) != 0) {
        *error = systemError("cannot prepare the pseudo-terminal");
        close();
        return false;
    }
    m_slavePath = QString::fromLocal8Bit(name);
    m_slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_slave < 0) {
        *error = systemError("cannot open the pseudo-terminal's slave");
        close();
        return false;
    }
    termios mode{};
    if (::tcgetattr(m_slave, &mode) != 0) {
        *error = systemError("cannot read the terminal settings");
        close();
        return false;
    }
    ::cfmakeraw(&mode);
    mode.c_cflag |= CLOCAL | CREAD;
    if (::tcsetattr(m_slave, TCSANOW, &mode) != 0) {
        *error = systemError("cannot set the terminal to raw mode");
        close();
        return false;
    }
    const int flags = ::fcntl(m_master, F_GETFL);
    if (flags < 0 || ::fcntl(m_master, F_SETFL, flags | O_NONBLOCK) != 0) {
        *error = systemError("cannot make the terminal non-blocking");
        close();
        return false;
    }
    // Without the watch a client that dies holding exclusive use keeps it.
    m_watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_watch >= 0 && ::inotify_add_watch(m_watch, name, IN_CLOSE) < 0) {
        ::close(m_watch);
        m_watch = -1;
    }
    return true;
}

bool PseudoTerminal::releaseAfterClose()
{
    if (m_watch < 0)
        return false;
    alignas(inotify_event) char buffer[4096];
    bool closed = false;
    while (::read(m_watch, buffer, sizeof buffer) > 0)
        closed = true;
    if (closed && m_slave >= 0)
        ::ioctl(m_slave, TIOCNXCL);
    return closed;
}

void PseudoTerminal::close()
{
    if (m_watch >= 0)
        ::close(m_watch);
    m_watch = -1;
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
    m_slave = -1;
    m_master = -1;
    m_slavePath.clear();
}

} // namespace Kernwick::Sim
