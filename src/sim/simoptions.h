#pragma once

#include "board.h"

#include <QString>
#include <QStringList>

#include <cstdint>

namespace Kernwick::Sim {

/// Everything the command line chooses.
struct SimOptions
{
    QString link;     ///< symbolic link to make to the device; empty for none
    QString stateDir; ///< folder to record into; empty for none
    Interface mode = Interface::MainPort;
    bool verbose = false;         ///< print the board's events to standard error
    bool silent = false;          ///< never send a byte
    int replyDelayMs = 0;         ///< pause before each answer
    std::int64_t hangupAfter = 0; ///< close the terminal after this many bytes; 0 never
    BoardFaults faults;
};

enum class OptionsOutcome
{
    Run,
    ShowHelp,
    ShowVersion,
    Error
};

/// Reads the command line; `arguments` starts with the program name. For ShowHelp
/// and ShowVersion `text` receives what to print, for Error the message.
OptionsOutcome parseOptions(const QStringList &arguments, SimOptions *options, QString *text);

/// Reads a fault repetition "K" or "K:T" (K ≥ 0, T ≥ 1) into `key` and `times`
/// (-1 when T is absent: always). Returns false for anything else.
bool parseRepeatSpec(const QString &spec, std::int64_t *key, int *times);

} // namespace Kernwick::Sim
