// The download command: sends a file of one kind to the board.

#include "cliutil.h"
#include "commands.h"

namespace Kernwick::Cli {

namespace {

// One kind of download; `run` gets the arguments from the kind's name on.
struct DownloadKind
{
    const char *name;
    const char *summary;
    int (*run)(const QStringList &args);
};

const DownloadKind downloadKinds[] = {
    {"config", "FILE.zvc: a configuration file", runDownloadConfig},
};

QString downloadUsage()
{
    QString text = QStringLiteral("Usage: kernwick-cli download <kind> FILE [options]\n\n"
                                  "Sends a file to the board. Kinds:\n");
    for (const DownloadKind &k : downloadKinds)
        text += QStringLiteral("  %1 %2\n")
                    .arg(QString::fromLatin1(k.name), -10)
                    .arg(QString::fromLatin1(k.summary));
    text += QStringLiteral("\nEvery kind prints its options with --help.\n");
    return text;
}

} // namespace

int runDownload(const QStringList &args)
{
    const QString kind = args.value(1);
    if (kind == QLatin1String("--help") || kind == QLatin1String("-h")) {
        print(downloadUsage());
        return Success;
    }
    for (const DownloadKind &k : downloadKinds) {
        if (kind == QLatin1String(k.name))
            return k.run(QStringList{QStringLiteral("download ") + kind} + args.mid(2));
    }
    if (kind.isEmpty())
        return usageError(
            QStringLiteral("download needs a kind (see kernwick-cli download --help)"));
    return usageError(
        QStringLiteral("unknown download kind '%1' (see kernwick-cli download --help)").arg(kind));
}

} // namespace Kernwick::Cli
