#pragma once

#include <QStringList>

#include <span>

namespace Kernwick::Cli {

/// One subcommand. `run` gets the arguments from the subcommand's name on and
/// returns the exit status.
struct Command
{
    const char *name;
    const char *summary;
    int (*run)(const QStringList &args);
    bool draws = false; ///< measures or draws text, so it needs a GUI application object
};

std::span<const Command> commands();
/// The command named `name`, or nullptr.
const Command *findCommand(const QString &name);

// Font files
int runInfo(const QStringList &args);
int runDump(const QStringList &args);
int runNew(const QStringList &args);
int runDefault(const QStringList &args);
int runExportC(const QStringList &args);
int runConcat(const QStringList &args);
int runImportBdf(const QStringList &args);
int runExportBdf(const QStringList &args);
int runTransform(const QStringList &args);
int runImportImage(const QStringList &args);
int runChart(const QStringList &args);
int runImportTypeface(const QStringList &args);
int runExportSheet(const QStringList &args);
int runImportSheet(const QStringList &args);

// Configuration files
int runConfig(const QStringList &args);

// Board
int runPorts(const QStringList &args);
int runTestCom(const QStringList &args);
int runIdentify(const QStringList &args);
int runDownload(const QStringList &args);

// Kinds of "download" (args[0] is "download <kind>")
int runDownloadFont(const QStringList &args);
int runDownloadFirmware(const QStringList &args);
int runDownloadConfig(const QStringList &args);
int runDownloadBootScript(const QStringList &args);
int runDownloadSetup(const QStringList &args);
int runTerminal(const QStringList &args);

} // namespace Kernwick::Cli
