#include "cliutil.h"

#include "libkernwick/font/threshold.h"
#include "libkernwick/io/savefile.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <csignal>
#include <cstdio>

namespace Kernwick::Cli {

namespace {

volatile std::sig_atomic_t interrupted = 0;

extern "C" void onInterrupt(int)
{
    interrupted = 1;
}

} // namespace

void stopOnInterrupt()
{
    interrupted = 0;
    std::signal(SIGINT, onInterrupt);
}

bool interruptRequested()
{
    return interrupted != 0;
}

static void printTo(FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream);
    std::fflush(stream);
}

void note(const QString &message)
{
    printTo(stderr, QStringLiteral("kernwick-cli: %1\n").arg(message));
}

int fail(const QString &message)
{
    note(message);
    return WorkFailed;
}

QString shownPath(const QString &path)
{
    QString shown;
    for (const QChar c : path) {
        if (c == QLatin1Char('\r'))
            shown += QStringLiteral("\\r");
        else if (c == QLatin1Char('\n'))
            shown += QStringLiteral("\\n");
        else if (c == QLatin1Char('\t'))
            shown += QStringLiteral("\\t");
        else if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            shown += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            shown += c;
    }
    return shown;
}

int failFile(const QString &path, const QString &reason)
{
    const QString prefix = path + QStringLiteral(": ");
    const QString text = reason.startsWith(prefix) ? reason.mid(prefix.size()) : reason;
    return fail(QStringLiteral("%1: %2").arg(shownPath(path), text));
}

int usageError(const QString &message)
{
    note(message);
    return UsageError;
}

void print(const QString &text)
{
    printTo(stdout, text);
}

bool parseArguments(QCommandLineParser &parser, const QStringList &args, int *exitCode)
{
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Shows this help."));
    parser.addOption(help);
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    if (!parser.parse(args)) {
        *exitCode = usageError(parser.errorText());
        return false;
    }
    if (parser.isSet(help)) {
        // The parser names the program by its full path; show the command instead.
        QString text = parser.helpText();
        const QString program = QCoreApplication::arguments().value(0);
        const qsizetype at = text.indexOf(program);
        if (at >= 0)
            text.replace(at, program.size(), QStringLiteral("kernwick-cli ") + args.value(0));
        print(text);
        *exitCode = Success;
        return false;
    }
    return true;
}

bool noArguments(const QCommandLineParser &parser, const QString &command, int *exitCode)
{
    if (parser.positionalArguments().isEmpty())
        return true;
    *exitCode = usageError(QStringLiteral("%1 takes no arguments").arg(command));
    return false;
}

bool parseNumber(const QString &text, const QString &what, qint64 *value, int *exitCode)
{
    bool ok = false;
    *value = text.toLongLong(&ok, 10);
    if (!ok || *value < 0) {
        *exitCode =
            usageError(QStringLiteral("%1 must be a decimal number, not '%2'").arg(what, text));
        return false;
    }
    return true;
}

bool parseNumberInRange(const QString &text, const QString &what, qint64 low, qint64 high,
                        int *value, int *exitCode)
{
    qint64 number = 0;
    if (!parseNumber(text, what, &number, exitCode))
        return false;
    if (number < low || number > high) {
        *exitCode = usageError(QStringLiteral("%1 must be from %2 to %3, not '%4'")
                                   .arg(what)
                                   .arg(low)
                                   .arg(high)
                                   .arg(text));
        return false;
    }
    *value = int(number);
    return true;
}

bool readThresholds(const QCommandLineParser &parser, const QCommandLineOption &black,
                    const QCommandLineOption &white, ThresholdChoice *choice, int *exitCode)
{
    if (parser.isSet(black) && !parseNumberInRange(parser.value(black), QStringLiteral("--black"),
                                                   0, 255, &choice->blackThreshold, exitCode))
        return false;
    return !parser.isSet(white) ||
           parseNumberInRange(parser.value(white), QStringLiteral("--white"), 0, 255,
                              &choice->whiteThreshold, exitCode);
}

bool isSameFile(const QString &first, const QString &second)
{
    const QFileInfo a(first);
    const QFileInfo b(second);
    return a.exists() && b.exists() && a.canonicalFilePath() == b.canonicalFilePath();
}

QCommandLineOption outputOption(const QString &description)
{
    return QCommandLineOption(QStringList{QStringLiteral("o"), QStringLiteral("output")},
                              description, QStringLiteral("file"));
}

bool writeOutput(const QString &path, const QByteArray &bytes)
{
    QString error;
    if (saveFileAtomically(path, bytes, &error))
        return true;
    failFile(path, error);
    return false;
}

} // namespace Kernwick::Cli
