#pragma once

#include "board.h"
#include "pseudoterminal.h"
#include "simoptions.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <deque>
#include <optional>
#include <poll.h>
#include <vector>

namespace Kernwick::Sim {

/// Prints "zuvo-sim: " and `message` as one line on standard error.
void complain(const QString &message);

/// A Board on a pseudo-terminal of its own: it feeds the board what a client
/// writes and writes back its answers, with the line's faults of its setup
/// (silence, late answers, a hang-up). It never blocks; its caller polls the
/// descriptors it lists and hands it what they report. Boards on terminals of
/// their own share nothing, so one that hangs up or fails leaves the others be.
class TerminalBoard
{
public:
    /// How many descriptors addPollFds() appends.
    static constexpr int PollFdCount = 2;

    /// A board starting on `mode` with `setup`, recording into `stateDir` (empty:
    /// nothing). Every message it prints starts with `label` ("board 2: "), which
    /// may be empty; with `verbose` it prints each event too.
    TerminalBoard(Interface mode, const BoardSetup &setup, const QString &stateDir,
                  const QString &label, bool verbose);
    TerminalBoard(const TerminalBoard &) = delete;
    TerminalBoard &operator=(const TerminalBoard &) = delete;
    /// Closes the terminal and removes the link.
    ~TerminalBoard();

    /// Opens the terminal and, when `link` is not empty, makes it a symbolic link
    /// to the device (replacing an old symbolic link, never another file). On
    /// failure returns false and sets `error`.
    bool open(const QString &link, QString *error);
    /// The device path clients open, such as "/dev/pts/3".
    QString devicePath() const { return m_devicePath; }

    /// False once the board has hung up or its terminal failed.
    bool isRunning() const { return m_terminal.isOpen(); }
    bool hasFailed() const { return m_failed; }

    /// Runs what is due by `now` and writes the answers whose time has come.
    void runDue(Clock::time_point now);
    /// When runDue() next has something to do, if ever.
    std::optional<Clock::time_point> nextDeadline() const;

    /// Appends the descriptors to poll (PollFdCount of them).
    void addPollFds(std::vector<pollfd> *fds) const;
    /// Takes what poll() reported for the descriptors addPollFds() appended.
    void handle(const pollfd *fds);

    /// Before the simulator ends: reads what the line still holds, reports input
    /// left unfinished `occasion` ("when the simulator stopped") and closes.
    void finish(const QString &occasion);

private:
    enum class Input
    {
        More,
        HangUp,
        Failed
    };

    Input readInput(bool *drained = nullptr);
    Input drainInput();
    void collect(Clock::time_point now);
    void sendDue(Clock::time_point now);
    void hangUp();
    void fail(const QString &message);
    void close();
    void say(const QString &text) const;

    struct DelayedAnswer
    {
        Clock::time_point due;
        QByteArray bytes;
    };

    BoardSetup m_setup;
    QString m_label;
    bool m_verbose;
    Board m_board;
    PseudoTerminal m_terminal;
    QString m_devicePath;
    QString m_link;
    std::deque<DelayedAnswer> m_delayed;
    QByteArray m_output;
    bool m_overflowReported = false;
    std::int64_t m_received = 0;
    bool m_failed = false;
};

} // namespace Kernwick::Sim
