#pragma once

#include <QByteArray>
#include <QCommandLineParser>
#include <QString>
#include <QStringList>

namespace Kernwick {
struct ThresholdChoice;
}

namespace Kernwick::Cli {

enum ExitCode
{
    Success = 0,
    WorkFailed = 1,
    UsageError = 2,
    Interrupted = 130 ///< a board command stopped by Ctrl-C, its port closed first
};

/// Makes Ctrl-C (SIGINT) ask the running board command to stop instead of killing
/// the program, so the conversation can close its port first.
void stopOnInterrupt();
/// Whether Ctrl-C was pressed since stopOnInterrupt().
bool interruptRequested();

/// Prints "kernwick-cli: <message>" on standard error: what a command that goes
/// on wants the user to know.
void note(const QString &message);
/// Prints "kernwick-cli: <message>" on standard error and returns WorkFailed.
int fail(const QString &message);
/// A path as an error message shows it: control characters as escapes ("\r",
/// "\x01"), so that a stray CR from a CR LF file is seen.
QString shownPath(const QString &path);
/// Prints "kernwick-cli: <path>: <reason>" on standard error and returns WorkFailed;
/// a reason that already starts with the path is not given it twice.
int failFile(const QString &path, const QString &reason);

/// Prints "kernwick-cli: <message>" on standard error and returns UsageError.
int usageError(const QString &message);

/// Prints text on standard output.
void print(const QString &text);

/// Parses a subcommand's arguments (args[0] is the subcommand's name). Adds --help.
/// Returns false when the command must end at once with *exitCode: after --help
/// (0) or on a usage error (2, already reported).
bool parseArguments(QCommandLineParser &parser, const QStringList &args, int *exitCode);

/// Whether the command was given no positional arguments; reports a usage error
/// ("<command> takes no arguments") when it was.
bool noArguments(const QCommandLineParser &parser, const QString &command, int *exitCode);

/// Reads a non-negative decimal number option or argument; reports a usage error
/// naming `what` when it is not one.
bool parseNumber(const QString &text, const QString &what, qint64 *value, int *exitCode);

/// Reads a decimal number in [low, high]; reports a usage error naming `what`
/// when it is not one.
bool parseNumberInRange(const QString &text, const QString &what, qint64 low, qint64 high,
                        int *value, int *exitCode);

/// Reads the --black and --white threshold options (0 to 255) into `choice` where
/// they are set; reports a usage error otherwise.
bool readThresholds(const QCommandLineParser &parser, const QCommandLineOption &black,
                    const QCommandLineOption &white, ThresholdChoice *choice, int *exitCode);

/// Whether two paths name one existing file, so an output would overwrite its input.
bool isSameFile(const QString &first, const QString &second);

/// The -o/--output option with its description.
QCommandLineOption outputOption(const QString &description);

/// Writes an output file atomically; on failure reports it and returns false.
bool writeOutput(const QString &path, const QByteArray &bytes);

} // namespace Kernwick::Cli
