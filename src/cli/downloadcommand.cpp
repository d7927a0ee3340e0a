// "download <kind>": one board download per kind of file, dispatched from a table.

#include "cliutil.h"
#include "commands.h"

#include <QStringList>

namespace Kernwick::Cli {

namespace {

struct DownloadKind
{
    const char *name;
    const char *summary;
    int (*run)(const QStringList &args);
};

const DownloadKind kinds[] = {
    {"font", "A font file into one of the board's memory devices", runDownloadFont},
    {"firmware", "A firmware image to the board's boot monitor, then started", runDownloadFirmware},
    {"config", "A configuration file, sent as the configuration download does", runDownloadConfig},
    {"bootscript", "A boot script file, sent as the Bootscript Editor's Download does",
     runDownloadBootScript},
    {"setup", "A setup file's font, configuration and boot script, over one opening of the port",
     runDownloadSetup},
};

QString kindNames()
{
    QStringList names;
    for (const DownloadKind &kind : kinds)
        names.append(QString::fromLatin1(kind.name));
    return names.join(QStringLiteral(", "));
}

void printKinds()
{
    QString text = QStringLiteral("Usage: kernwick-cli download <kind> FILE [options]\n\nKinds:\n");
    for (const DownloadKind &kind : kinds)
        text += QStringLiteral("  %1 %2\n")
                    .arg(QString::fromLatin1(kind.name), -10)
                    .arg(QString::fromLatin1(kind.summary));
    text += QStringLiteral("\nEvery kind prints its options with --help.\n");
    print(text);
}

} // namespace

int runDownload(const QStringList &args)
{
    const QString kindName = args.value(1);
    if (kindName == QLatin1String("--help") || kindName == QLatin1String("-h")) {
        printKinds();
        return Success;
    }
    if (kindName.isEmpty())
        return usageError(QStringLiteral("download needs a kind: %1").arg(kindNames()));
    for (const DownloadKind &kind : kinds) {
        if (kindName == QLatin1String(kind.name))
            return kind.run(QStringList{QStringLiteral("download ") + kindName} + args.mid(2));
    }
    return usageError(
        QStringLiteral("unknown download kind '%1' (one of: %2)").arg(kindName, kindNames()));
}

} // namespace Kernwick::Cli
