// zuvo-sim: a ZUVO board on a pseudo-terminal.

#include "board.h"
#include "pseudoterminal.h"
#include "simoptions.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

using namespace Kernwick::Sim;

namespace {

constexpr qsizetype MaxUnsentOutput = 1024 * 1024;

int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const int saved = errno;
    const char c = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &c, 1);
    errno = saved;
}

bool installSignalHandlers(QString *error)
{
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        *error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    for (const int s : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(s, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    return true;
}

void complain(const QString &message)
{
    std::fprintf(stderr, "zuvo-sim: %s\n", qPrintable(message));
    std::fflush(stderr);
}

// The symbolic link of --link, removed when the simulator ends (if it is still ours).
class Link
{
public:
    bool make(const QString &path, const QString &target, QString *error)
    {
        const QFileInfo existing(path);
        if (existing.isSymLink()) {
            QFile::remove(path);
        } else if (existing.exists()) {
            *error =
                QStringLiteral("%1 exists and is not a symbolic link; not replacing it").arg(path);
            return false;
        }
        if (::symlink(QFile::encodeName(target).constData(), QFile::encodeName(path).constData()) !=
            0) {
            *error = QStringLiteral("cannot link %1: %2")
                         .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
            return false;
        }
        m_path = path;
        m_target = target;
        return true;
    }

    ~Link()
    {
        if (!m_path.isEmpty() &&
            QFileInfo(m_path).symLinkTarget() == QFileInfo(m_target).absoluteFilePath())
            QFile::remove(m_path);
    }

private:
    QString m_path;
    QString m_target;
};

struct DelayedAnswer
{
    Clock::time_point due;
    QByteArray bytes;
};

class Runner
{
public:
    Runner(const SimOptions &options, PseudoTerminal &terminal)
        : m_options(options), m_terminal(terminal),
          m_board(options.mode, options.faults, options.stateDir)
    {
    }

    // Answers as the board until a signal (0), the --hangup-after count (0) or a
    // terminal failure (1).
    int run()
    {
        for (;;) {
            const Clock::time_point now = Clock::now();
            m_board.tick(now);
            collect(now);
            if (!sendDue(now))
                return 1;

            std::optional<Clock::time_point> deadline = m_board.nextDeadline();
            if (!m_delayed.empty() && (!deadline || m_delayed.front().due < *deadline))
                deadline = m_delayed.front().due;
            int timeoutMs = -1;
            if (deadline) {
                const auto wait =
                    std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now()).count();
                timeoutMs = int(std::clamp<decltype(wait)>(wait, 0, 60000));
            }

            pollfd fds[3] = {
                {m_terminal.masterFd(), short(POLLIN | (m_output.isEmpty() ? 0 : POLLOUT)), 0},
                {signalPipe[0], POLLIN, 0},
                {m_terminal.watchFd(), POLLIN, 0}};
            if (::poll(fds, 3, timeoutMs) < 0) {
                if (errno == EINTR)
                    continue;
                complain(
                    QStringLiteral("poll: %1").arg(QString::fromLocal8Bit(std::strerror(errno))));
                return 1;
            }
            if (fds[1].revents != 0)
                return finish(QStringLiteral("when the simulator stopped"));
            if (fds[0].revents & POLLIN) {
                if (const Input in = readInput(); in != Input::More)
                    return in == Input::HangUp ? finish(QStringLiteral("when it hung up")) : 1;
            } else if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) {
                complain(QStringLiteral("the terminal failed"));
                return 1;
            }
            if (fds[2].revents != 0 && m_terminal.releaseAfterClose()) {
                // What the client wrote before it closed may still be on its way.
                if (const Input in = drainInput(); in != Input::More)
                    return in == Input::HangUp ? finish(QStringLiteral("when it hung up")) : 1;
                m_board.reportUnfinished(QStringLiteral("when the line was closed"));
                collect(Clock::now());
            }
        }
    }

private:
    enum class Input
    {
        More,
        HangUp,
        Failed
    };

    // Reads once from the line and feeds the board. `drained` tells whether the
    // line had nothing more to read.
    Input readInput(bool *drained = nullptr)
    {
        char buffer[4096];
        const ssize_t n = ::read(m_terminal.masterFd(), buffer, sizeof buffer);
        if (drained)
            *drained = n < 0 && errno == EAGAIN;
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            return Input::More;
        if (n <= 0) {
            complain(QStringLiteral("terminal read failed: %1")
                         .arg(QString::fromLocal8Bit(std::strerror(n < 0 ? errno : EIO))));
            return Input::Failed;
        }
        qsizetype take = n;
        if (m_options.hangupAfter > 0)
            take = qsizetype(std::min<std::int64_t>(take, m_options.hangupAfter - m_received));
        m_received += take;
        const Clock::time_point now = Clock::now();
        m_board.receive(QByteArrayView(buffer, take), now);
        collect(now);
        if (m_options.hangupAfter > 0 && m_received >= m_options.hangupAfter) {
            note(QStringLiteral("hanging up after %1 bytes").arg(m_received));
            return Input::HangUp;
        }
        return Input::More;
    }

    // Reads what the line holds, a bounded amount (a client may write on and on).
    // A read of an empty line first takes in what the client's writes still have
    // on their way.
    Input drainInput()
    {
        bool drained = false;
        for (int reads = 0; reads < 64 && !drained; ++reads) {
            if (const Input in = readInput(&drained); in != Input::More)
                return in;
        }
        return Input::More;
    }

    // Before the simulator ends: takes in what the line still holds and reports
    // what that leaves unfinished.
    int finish(const QString &occasion)
    {
        if (m_options.hangupAfter == 0 || m_received < m_options.hangupAfter)
            drainInput();
        m_board.reportUnfinished(occasion);
        collect(Clock::now());
        return 0;
    }

    void note(const QString &text)
    {
        if (m_options.verbose)
            complain(text);
    }

    void collect(Clock::time_point now)
    {
        for (const BoardEvent &e : m_board.takeEvents()) {
            if (m_options.verbose || e.kind == EventKind::RecordingFailed)
                complain(e.text);
        }
        for (QByteArray &answer : m_board.takeAnswers()) {
            if (m_options.silent)
                continue;
            m_delayed.push_back(
                {now + std::chrono::milliseconds(m_options.replyDelayMs), std::move(answer)});
        }
    }

    bool sendDue(Clock::time_point now)
    {
        while (!m_delayed.empty() && m_delayed.front().due <= now) {
            QByteArray &bytes = m_delayed.front().bytes;
            if (m_output.size() + bytes.size() <= MaxUnsentOutput) {
                m_output += bytes;
            } else if (!m_overflowReported) {
                // Nobody reads the line; answers are dropped rather than piling up.
                complain(QStringLiteral("nobody reads the terminal: dropping answers"));
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
            complain(QStringLiteral("terminal write failed: %1")
                         .arg(QString::fromLocal8Bit(std::strerror(errno))));
            return false;
        }
        return true;
    }

    const SimOptions &m_options;
    PseudoTerminal &m_terminal;
    Board m_board;
    std::deque<DelayedAnswer> m_delayed;
    QByteArray m_output;
    bool m_overflowReported = false;
    std::int64_t m_received = 0;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zuvo-sim"));

    SimOptions options;
    QString text;
    switch (parseOptions(QCoreApplication::arguments(), &options, &text)) {
    case OptionsOutcome::Run:
        break;
    case OptionsOutcome::ShowHelp:
    case OptionsOutcome::ShowVersion:
        std::fputs(qPrintable(text + QLatin1Char('\n')), stdout);
        return 0;
    case OptionsOutcome::Error:
        complain(text);
        std::fputs("Try 'zuvo-sim --help'.\n", stderr);
        return 2;
    }

    if (!options.stateDir.isEmpty() && !QDir().mkpath(options.stateDir)) {
        complain(QStringLiteral("cannot create the state folder %1").arg(options.stateDir));
        return 1;
    }
    QString error;
    if (!installSignalHandlers(&error)) {
        complain(error);
        return 1;
    }
    PseudoTerminal terminal;
    if (!terminal.open(&error)) {
        complain(error);
        return 1;
    }
    Link link;
    if (!options.link.isEmpty() && !link.make(options.link, terminal.slavePath(), &error)) {
        complain(error);
        return 1;
    }

    Runner runner(options, terminal);
    std::printf("%s\n", qPrintable(terminal.slavePath()));
    std::fflush(stdout);
    const int status = runner.run();
    terminal.close();
    return status;
}
