// kernwick-cli: the command-line twin of the desktop program.

#include "cliutil.h"
#include "commands.h"

#include <QGuiApplication>

#include <memory>

using namespace Kernwick::Cli;

static void printUsage()
{
    QString text = QStringLiteral("Usage: kernwick-cli <command> [options]\n\nCommands:\n");
    for (const Command &c : commands())
        text += QStringLiteral("  %1 %2\n")
                    .arg(QString::fromLatin1(c.name), -12)
                    .arg(QString::fromLatin1(c.summary));
    text += QStringLiteral("\nEvery command prints its options with --help; --version prints the "
                           "version.\n");
    print(text);
}

static QtMessageHandler qtHandler = nullptr;

// The offscreen platform asks for a runtime folder it never uses and complains when
// the session has none; that is no news for a command's error stream. Nor are the
// picture readers' words on a damaged or oversized picture (libpng's, and those of
// Qt's readers), which the command reports in its own line.
static void dropKnownNotes(QtMsgType type, const QMessageLogContext &context,
                           const QString &message)
{
    const bool pictureReader =
        context.category && qstrncmp(context.category, "qt.gui.imageio", 14) == 0;
    if (type == QtWarningMsg && (message.startsWith(QLatin1String("QStandardPaths: ")) ||
                                 message.startsWith(QLatin1String("libpng ")) || pictureReader))
        return;
    qtHandler(type, context, message);
}

// Commands that draw need fonts and so a GUI application object; it never shows a
// window, so without a platform chosen by the user it runs offscreen. The others
// stay on the plain core application and load no platform plugin.
static std::unique_ptr<QCoreApplication> makeApplication(int &argc, char **argv)
{
    const Command *command = argc > 1 ? findCommand(QString::fromLocal8Bit(argv[1])) : nullptr;
    if (command == nullptr || !command->draws)
        return std::make_unique<QCoreApplication>(argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return std::make_unique<QGuiApplication>(argc, argv);
}

int main(int argc, char **argv)
{
    qtHandler = qInstallMessageHandler(dropKnownNotes);
    const std::unique_ptr<QCoreApplication> app = makeApplication(argc, argv);
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
    if (args[0] == QLatin1String("--version")) {
        print(QStringLiteral("kernwick-cli " KERNWICK_VERSION "\n"));
        return Success;
    }
    if (const Command *command = findCommand(args[0]))
        return command->run(args);
    return usageError(
        QStringLiteral("unknown command '%1' (see kernwick-cli --help)").arg(args[0]));
}
