#pragma once

#include "board.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace Kernwick::Sim {

/// What one board does wrong on purpose: on its line and in its answers.
struct BoardSetup
{
    bool silent = false;          ///< never send a byte
    int replyDelayMs = 0;         ///< pause before each answer
    std::int64_t hangupAfter = 0; ///< close the terminal after this many bytes; 0 never
    BoardFaults faults;
};

/// Everything the command line chooses.
struct SimOptions
{
    /// The most boards one simulator plays.
    static constexpr int MaxBoards = 256;

    QString link;     ///< symbolic link to make to the device; empty for none
    QString stateDir; ///< folder to record into; empty for none
    Interface mode = Interface::MainPort;
    bool verbose = false; ///< print the board's events to standard error
    /// Set by --boards: the links and state folders carry the board's number.
    bool numbered = false;
    /// One setup a board, board 1 first.
    std::vector<BoardSetup> boards = std::vector<BoardSetup>(1);

    /// Board `k`'s link (1-based): the link itself, or the link followed by `k`
    /// when numbered; empty without a link.
    QString linkOf(int k) const;
    /// Board `k`'s state folder: the folder itself, or its subfolder `k` when
    /// numbered; empty without a folder.
    QString stateDirOf(int k) const;
};

enum class OptionsOutcome
{
    Run,
    ShowHelp,
    ShowVersion,
    Error
};

/// Reads the command line; `arguments` starts with the program name. Fault options
/// apply to every board, except those after a "--board K", which apply to board K
/// alone (up to the next "--board"). For ShowHelp and ShowVersion `text` receives
/// what to print, for Error the message.
OptionsOutcome parseOptions(const QStringList &arguments, SimOptions *options, QString *text);

/// Reads a fault repetition "K" or "K:T" (K ≥ 0, T ≥ 1) into `key` and `times`
/// (-1 when T is absent: always). Returns false for anything else.
bool parseRepeatSpec(const QString &spec, std::int64_t *key, int *times);

} // namespace Kernwick::Sim
