// Configuration file commands: config defaults|show|set|stream, and the
// configuration kind of the download command.

#include "batchcommand.h"
#include "boardoptions.h"
#include "cliutil.h"
#include "commands.h"
#include "configfileio.h"

#include "libkernwick/config/configparameters.h"
#include "libkernwick/config/configstream.h"
#include "libkernwick/device/configdownload.h"

#include <QRegularExpression>

#include <cstdio>
#include <limits>
#include <vector>

namespace Kernwick::Cli {

namespace {

// The stream holds ESC bytes; it goes out exactly as the board would get it.
void writeRawOutput(const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

bool expectFiles(const QCommandLineParser &parser, const QString &command, qsizetype lowest,
                 qsizetype highest, int *exitCode)
{
    const qsizetype count = parser.positionalArguments().size();
    if (count >= lowest && count <= highest)
        return true;
    *exitCode =
        usageError(QStringLiteral("%1: wrong number of arguments; see --help").arg(command));
    return false;
}

bool requireOutput(const QCommandLineParser &parser, const QCommandLineOption &output,
                   const QString &command, int *exitCode)
{
    if (!parser.value(output).isEmpty())
        return true;
    *exitCode = usageError(QStringLiteral("%1 needs an output file: -o FILE").arg(command));
    return false;
}

int runConfigDefaults(const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Writes the default configuration as a configuration file."));
    const QCommandLineOption output = outputOption(QStringLiteral("The .zvc file to write."));
    parser.addOption(output);
    int exitCode = Success;
    if (!parseArguments(parser, args, &exitCode) ||
        !expectFiles(parser, args[0], 0, 0, &exitCode) ||
        !requireOutput(parser, output, args[0], &exitCode))
        return exitCode;
    return saveConfigFile(parser.value(output), DeviceConfig{}) ? Success : WorkFailed;
}

int runConfigShow(const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Prints a configuration file: one line <number>=<value> per parameter in "
                       "file order, values in editor form (parameter 42 as its packed number)."));
    parser.addPositionalArgument(QStringLiteral("FILE.zvc"), QStringLiteral("The file to read."));
    int exitCode = Success;
    if (!parseArguments(parser, args, &exitCode) || !expectFiles(parser, args[0], 1, 1, &exitCode))
        return exitCode;
    DeviceConfig config;
    if (!loadConfigFile(parser.positionalArguments()[0], &config))
        return WorkFailed;
    QString text;
    for (const int number : configOrder(ConfigOrder::File))
        text += QStringLiteral("%1=%2\n").arg(number).arg(config.value(number));
    print(text);
    return Success;
}

struct Assignment
{
    int number;
    qint64 value;
};

// Reads one "N=V" argument, V in editor form, refusing what the editor would refuse.
bool parseAssignment(const QString &text, Assignment *assignment, int *exitCode)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,9})=(.*)$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch()) {
        *exitCode = usageError(
            QStringLiteral("'%1' is not a parameter assignment N=V (see --help)").arg(text));
        return false;
    }
    assignment->number = match.captured(1).toInt();
    const ConfigParameter *parameter = findConfigParameter(assignment->number);
    if (!parameter) {
        *exitCode =
            usageError(QStringLiteral("%1 is not one of the board's configuration parameters")
                           .arg(assignment->number));
        return false;
    }
    bool isInteger = false;
    assignment->value = match.captured(2).toLongLong(&isInteger, 10);
    const QString problem = isInteger ? editorValueProblem(assignment->number, assignment->value)
                                      : QStringLiteral("Please enter an integer.");
    if (!problem.isEmpty()) {
        *exitCode = usageError(
            QStringLiteral("%1: %2").arg(QString::fromLatin1(parameter->caption), problem));
        return false;
    }
    return true;
}

int runConfigSet(const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Changes parameters of a configuration file and saves the result. Values are in editor "
        "form: a checkbox 0 or 1, a radio group the index of its button counted from 0, a number "
        "as shown, parameter 42 as its packed number. A value the editor's controls cannot set "
        "is refused: a checkbox other than 0 or 1, an index past the group's buttons, a packed "
        "value with a parity above 4 or stop bits above 2. The insertion rates (30, 31) are sent "
        "times 1000 and must lie between -2147483 and 2147483."));
    parser.addPositionalArgument(QStringLiteral("IN.zvc"), QStringLiteral("The file to read."));
    parser.addPositionalArgument(QStringLiteral("N=V"),
                                 QStringLiteral("Parameter N gets the value V."),
                                 QStringLiteral("N=V..."));
    const QCommandLineOption output = outputOption(QStringLiteral("The .zvc file to write."));
    parser.addOption(output);
    int exitCode = Success;
    if (!parseArguments(parser, args, &exitCode) ||
        !expectFiles(parser, args[0], 2, std::numeric_limits<qsizetype>::max(), &exitCode) ||
        !requireOutput(parser, output, args[0], &exitCode))
        return exitCode;

    const QStringList positional = parser.positionalArguments();
    // Every assignment is checked before any file is read or written.
    std::vector<Assignment> assignments(std::size_t(positional.size() - 1));
    for (std::size_t i = 0; i < assignments.size(); ++i) {
        if (!parseAssignment(positional[qsizetype(i) + 1], &assignments[i], &exitCode))
            return exitCode;
    }
    DeviceConfig config;
    if (!loadConfigFile(positional[0], &config))
        return WorkFailed;
    for (const Assignment &a : assignments)
        config.setValue(a.number, std::int32_t(a.value)); // checked above
    return saveConfigFile(parser.value(output), config) ? Success : WorkFailed;
}

int runConfigStream(const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Writes a configuration's escape-command stream to standard output, "
                       "exactly as the board receives it. Without a file, the defaults."));
    parser.addPositionalArgument(QStringLiteral("IN.zvc"),
                                 QStringLiteral("The file to read (optional)."),
                                 QStringLiteral("[IN.zvc]"));
    const QCommandLineOption order(
        QStringLiteral("order"),
        QStringLiteral("download (default; as the configuration download sends it) or file (as "
                       "a .zvc file stores it)."),
        QStringLiteral("download|file"), QStringLiteral("download"));
    parser.addOption(order);
    int exitCode = Success;
    if (!parseArguments(parser, args, &exitCode) || !expectFiles(parser, args[0], 0, 1, &exitCode))
        return exitCode;
    const QString orderName = parser.value(order);
    if (orderName != QLatin1String("download") && orderName != QLatin1String("file"))
        return usageError(
            QStringLiteral("--order must be download or file, not '%1'").arg(orderName));

    DeviceConfig config;
    if (!parser.positionalArguments().isEmpty() &&
        !loadConfigFile(parser.positionalArguments()[0], &config))
        return WorkFailed;
    writeRawOutput(encodeConfigStream(
        config, orderName == QLatin1String("file") ? ConfigOrder::File : ConfigOrder::Download));
    return Success;
}

const Command configCommands[] = {
    {"defaults", "Writes the default configuration: defaults -o OUT.zvc", runConfigDefaults},
    {"show", "Prints a configuration file's values: show FILE.zvc", runConfigShow},
    {"set", "Changes parameters and saves: set IN.zvc -o OUT.zvc N=V...", runConfigSet},
    {"stream", "Writes the escape-command stream: stream [IN.zvc] [--order download|file]",
     runConfigStream},
};

QString configUsage()
{
    QString text = QStringLiteral("Usage: kernwick-cli config <command> [options]\n\n"
                                  "Configuration file (.zvc) commands:\n");
    for (const Command &c : configCommands)
        text += QStringLiteral("  %1 %2\n")
                    .arg(QString::fromLatin1(c.name), -10)
                    .arg(QString::fromLatin1(c.summary));
    text += QStringLiteral("\nEvery command prints its options with --help.\n");
    return text;
}

} // namespace

int runConfig(const QStringList &args)
{
    const QString command = args.value(1);
    if (command == QLatin1String("--help") || command == QLatin1String("-h")) {
        print(configUsage());
        return Success;
    }
    for (const Command &c : configCommands) {
        if (command == QLatin1String(c.name))
            return c.run(QStringList{QStringLiteral("config ") + command} + args.mid(2));
    }
    if (command.isEmpty())
        return usageError(QStringLiteral("config needs a command: defaults, show, set or stream "
                                         "(see kernwick-cli config --help)"));
    return usageError(QStringLiteral("unknown config command '%1' (see kernwick-cli config --help)")
                          .arg(command));
}

int runDownloadConfig(const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Sends a configuration file to the board as the configuration download "
                       "does: decoded, then sent in download order and saved on the board."));
    parser.addPositionalArgument(QStringLiteral("FILE.zvc"), QStringLiteral("The file to send."));
    addBoardOptions(parser);
    addBatchOptions(parser);
    addProgressOptions(parser);
    int exitCode = Success;
    if (!parseArguments(parser, args, &exitCode) || !expectFiles(parser, args[0], 1, 1, &exitCode))
        return exitCode;
    BoardOptions options;
    if (!readBoardOptions(parser, &options, &exitCode) ||
        !readProgressOptions(parser, &options, &exitCode))
        return exitCode;
    DeviceConfig config;
    if (!loadConfigFile(parser.positionalArguments()[0], &config))
        return WorkFailed;
    if (batchRequested(parser)) {
        return runBatch(parser, options, [config, baud = options.baudRate](Conversation &c) {
            return downloadConfiguration(c, config, baud);
        });
    }

    BoardLink link(options);
    return link.finish(downloadConfiguration(link.conversation(), config, options.baudRate),
                       QStringLiteral("Configuration download failed"));
}

} // namespace Kernwick::Cli
