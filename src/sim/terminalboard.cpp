#include "terminalboard.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace Kernwick::Sim {

namespace {

constexpr qsizetype MaxUnsentOutput = 1024 * 1024;
// Reads of the line before the simulator ends or after a client closed it: enough
// for anything a client wrote before, not endless for one that writes on and on.
constexpr int DrainReads = 64;

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

void complain(const QString &message)
{
    std::fprintf(stderr, "zuvo-sim: %s\n", qPrintable(message));
    std::fflush(stderr);
}

TerminalBoard::TerminalBoard(Interface mode, const BoardSetup &setup, const QString &stateDir,
                             const QString &label, bool verbose)
    : m_setup(setup), m_label(label), m_verbose(verbose), m_board(mode, setup.faults, stateDir)
{
}

TerminalBoard::~TerminalBoard()
{
    close();
}

bool TerminalBoard::open(const QString &link, QString *error)
{
    if (!m_terminal.open(error))
        return false;
    m_devicePath = m_terminal.slavePath();
    if (link.isEmpty())
        return true;
    const QFileInfo existing(link);
    if (existing.isSymLink()) {
        QFile::remove(link);
    } else if (existing.exists()) {
        *error = QStringLiteral("%1 exists and is not a symbolic link; not replacing it").arg(link);
        return false;
    }
    if (::symlink(QFile::encodeName(m_devicePath).constData(),
                  QFile::encodeName(link).constData()) != 0) {
        *error = QStringLiteral("cannot link %1: %2").arg(link, systemError());
        return false;
    }
    m_link = link;
    return true;
}

void TerminalBoard::close()
{
    // The link goes with the device, unless someone has pointed it elsewhere since.
    if (!m_link.isEmpty() &&
        QFileInfo(m_link).symLinkTarget() == QFileInfo(m_devicePath).absoluteFilePath())
        QFile::remove(m_link);
    m_link.clear();
    m_terminal.close();
}

void TerminalBoard::runDue(Clock::time_point now)
{
    if (!isRunning())
        return;
    m_board.tick(now);
    collect(now);
    sendDue(now);
}

std::optional<Clock::time_point> TerminalBoard::nextDeadline() const
{
    if (!isRunning())
        return std::nullopt;
    std::optional<Clock::time_point> deadline = m_board.nextDeadline();
    if (!m_delayed.empty() && (!deadline || m_delayed.front().due < *deadline))
        deadline = m_delayed.front().due;
    return deadline;
}

void TerminalBoard::addPollFds(std::vector<pollfd> *fds) const
{
    // A closed board's descriptors are -1, which poll() passes over.
    fds->push_back({m_terminal.masterFd(), short(POLLIN | (m_output.isEmpty() ? 0 : POLLOUT)), 0});
    fds->push_back({m_terminal.watchFd(), POLLIN, 0});
}

void TerminalBoard::handle(const pollfd *fds)
{
    if (!isRunning())
        return;
    if (fds[0].revents & POLLIN) {
        if (readInput() != Input::More)
            return;
    } else if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) {
        fail(QStringLiteral("the terminal failed"));
        return;
    }
    if (fds[1].revents != 0 && m_terminal.releaseAfterClose()) {
        // What the client wrote before it closed may still be on its way.
        if (drainInput() != Input::More)
            return;
        m_board.reportUnfinished(QStringLiteral("when the line was closed"));
        collect(Clock::now());
    }
}

void TerminalBoard::finish(const QString &occasion)
{
    if (!isRunning())
        return;
    if (drainInput() != Input::More)
        return;
    m_board.reportUnfinished(occasion);
    collect(Clock::now());
    close();
}

// Reads once from the line and feeds the board. `drained` tells whether the line
// had nothing more to read.
TerminalBoard::Input TerminalBoard::readInput(bool *drained)
{
    char buffer[4096];
    const ssize_t n = ::read(m_terminal.masterFd(), buffer, sizeof buffer);
    if (drained)
        *drained = n < 0 && errno == EAGAIN;
    if (n < 0 && (errno == EAGAIN || errno == EINTR))
        return Input::More;
    if (n <= 0) {
        if (n == 0)
            errno = EIO;
        fail(QStringLiteral("terminal read failed: %1").arg(systemError()));
        return Input::Failed;
    }
    qsizetype take = n;
    if (m_setup.hangupAfter > 0)
        take = qsizetype(std::min<std::int64_t>(take, m_setup.hangupAfter - m_received));
    m_received += take;
    const Clock::time_point now = Clock::now();
    m_board.receive(QByteArrayView(buffer, take), now);
    collect(now);
    if (m_setup.hangupAfter > 0 && m_received >= m_setup.hangupAfter) {
        hangUp();
        return Input::HangUp;
    }
    return Input::More;
}

// Reads what the line holds, a bounded amount. A read of an empty line first takes
// in what the client's writes still have on their way.
TerminalBoard::Input TerminalBoard::drainInput()
{
    bool drained = false;
    for (int reads = 0; reads < DrainReads && !drained; ++reads) {
        if (const Input in = readInput(&drained); in != Input::More)
            return in;
    }
    return Input::More;
}

void TerminalBoard::hangUp()
{
    if (m_verbose)
        say(QStringLiteral("hanging up after %1 bytes").arg(m_received));
    m_board.reportUnfinished(QStringLiteral("when it hung up"));
    collect(Clock::now());
    close();
}

void TerminalBoard::fail(const QString &message)
{
    say(message);
    m_failed = true;
    close();
}

void TerminalBoard::say(const QString &text) const
{
    complain(m_label + text);
}

void TerminalBoard::collect(Clock::time_point now)
{
    for (const BoardEvent &e : m_board.takeEvents()) {
        if (m_verbose || e.kind == EventKind::RecordingFailed)
            say(e.text);
    }
    for (QByteArray &answer : m_board.takeAnswers()) {
        if (m_setup.silent)
            continue;
        m_delayed.push_back(
            {now + std::chrono::milliseconds(m_setup.replyDelayMs), std::move(answer)});
    }
}

void TerminalBoard::sendDue(Clock::time_point now)
{
    while (!m_delayed.empty() && m_delayed.front().due <= now) {
        QByteArray &bytes = m_delayed.front().bytes;
        if (m_output.size() + bytes.size() <= MaxUnsentOutput) {
            m_output += bytes;
        } else if (!m_overflowReported) {
            // Nobody reads the line; answers are dropped rather than piling up.
            say(QStringLiteral("nobody reads the terminal: dropping answers"));
            m_overflowReported = true;
        }
        m_delayed.pop_front();
    }
    while (!m_output.isEmpty()) {
        const ssize_t n = ::write(m_terminal.masterFd(), m_output.constData(), m_output.size());
        if (n > 0) {
            m_output.remove(0, n);
            m_overflowReported = false;
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            break;
        fail(QStringLiteral("terminal write failed: %1").arg(systemError()));
        return;
    }
}

} // namespace Kernwick::Sim
