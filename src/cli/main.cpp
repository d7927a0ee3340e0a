// kernwick-cli: the command-line twin of the desktop program.

#include "cliutil.h"
#include "commands.h"

#include <QCoreApplication>

using namespace Kernwick::Cli;

static void printUsage()
{
    QString text = QStringLiteral("Usage: kernwick-cli <command> [options]\n\nCommands:\n");
    for (const Command &c : commands())
        text += QStringLiteral("  %1 %2\n")
                    .arg(QString::fromLatin1(c.name), -12)
                    .arg(QString::fromLatin1(c.summary));
    text += QStringLiteral("\nEvery command prints its options with --help.\n");
    print(text);
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kernwick-cli"));
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty()) {
        printUsage();
        return UsageError;
    }
    if (args[0] == QLatin1String("--help") || args[0] == QLatin1String("-h") ||
        args[0] == QLatin1String("help")) {
        printUsage();
        return Success;
    }
    for (const Command &c : commands()) {
        if (args[0] == QLatin1String(c.name))
            return c.run(args);
    }
    return usageError(
        QStringLiteral("unknown command '%1' (see kernwick-cli --help)").arg(args[0]));
}
