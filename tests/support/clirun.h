#pragma once

// Runs kernwick-cli as a process and collects what it printed.

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace Kernwick::Test {

struct CliResult
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

inline CliResult runCli(const QStringList &args, const QString &workingDirectory = {},
                        int timeoutMs = 60000)
{
    QProcess process;
    if (!workingDirectory.isEmpty())
        process.setWorkingDirectory(workingDirectory);
    process.start(QStringLiteral(KERNWICK_CLI), args);
    CliResult result;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        result.err = "timed out";
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

inline QString testData(const QString &relative)
{
    return QStringLiteral(KERNWICK_TEST_DATA "/") + relative;
}

} // namespace Kernwick::Test
