// zuvo-sim: ZUVO boards on pseudo-terminals.

#include "simoptions.h"
#include "terminalboard.h"

#include <QCoreApplication>
#include <QDir>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <poll.h>
#include <unistd.h>
#include <vector>

using namespace Kernwick::Sim;

namespace {

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

using Boards = std::vector<std::unique_ptr<TerminalBoard>>;

// Answers as the boards until a signal, or until every board has hung up or
// failed. Exit status 1 when a board's terminal failed, otherwise 0.
int run(Boards &boards)
{
    auto status = [&] {
        for (const auto &board : boards) {
            if (board->hasFailed())
                return 1;
        }
        return 0;
    };
    std::vector<pollfd> fds;
    for (;;) {
        const Clock::time_point now = Clock::now();
        std::optional<Clock::time_point> deadline;
        bool running = false;
        for (const auto &board : boards) {
            board->runDue(now);
            if (!board->isRunning())
                continue;
            running = true;
            if (const auto next = board->nextDeadline(); next && (!deadline || *next < *deadline))
                deadline = next;
        }
        if (!running)
            return status();

        int timeoutMs = -1;
        if (deadline) {
            const auto wait =
                std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now()).count();
            timeoutMs = int(std::clamp<decltype(wait)>(wait, 0, 60000));
        }
        fds.assign(1, {signalPipe[0], POLLIN, 0});
        for (const auto &board : boards)
            board->addPollFds(&fds);
        if (::poll(fds.data(), nfds_t(fds.size()), timeoutMs) < 0) {
            if (errno == EINTR)
                continue;
            complain(QStringLiteral("poll: %1").arg(QString::fromLocal8Bit(std::strerror(errno))));
            return 1;
        }
        if (fds[0].revents != 0) {
            for (const auto &board : boards)
                board->finish(QStringLiteral("when the simulator stopped"));
            return status();
        }
        for (size_t i = 0; i < boards.size(); ++i)
            boards[i]->handle(&fds[1 + i * TerminalBoard::PollFdCount]);
    }
}

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

    QString error;
    if (!installSignalHandlers(&error)) {
        complain(error);
        return 1;
    }
    Boards boards;
    for (int k = 1; k <= int(options.boards.size()); ++k) {
        const QString stateDir = options.stateDirOf(k);
        if (!stateDir.isEmpty() && !QDir().mkpath(stateDir)) {
            complain(QStringLiteral("cannot create the state folder %1").arg(stateDir));
            return 1;
        }
        const QString label = options.numbered ? QStringLiteral("board %1: ").arg(k) : QString();
        boards.push_back(std::make_unique<TerminalBoard>(options.mode, options.boards[k - 1],
                                                         stateDir, label, options.verbose));
        if (!boards.back()->open(options.linkOf(k), &error)) {
            complain(label + error);
            return 1;
        }
    }
    for (const auto &board : boards)
        std::printf("%s\n", qPrintable(board->devicePath()));
    std::fflush(stdout);
    return run(boards);
}
