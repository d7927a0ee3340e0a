#pragma once

// Runs kernwick-cli (or another program) as a process and collects what it printed.

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace Kernwick::Test {

/// What a program printed and how it ended (-1 when it crashed or timed out).
struct ProcessResult
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};
using CliResult = ProcessResult;

/// Runs `program` with `args` and waits for it; killed after `timeoutMs`.
inline ProcessResult runProcess(const QString &program, const QStringList &args,
                                const QString &workingDirectory = {}, int timeoutMs = 120000)
{
    QProcess process;
    if (!workingDirectory.isEmpty())
        process.setWorkingDirectory(workingDirectory);
    process.start(program, args);
    ProcessResult result;
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

inline CliResult runCli(const QStringList &args, const QString &workingDirectory = {},
                        int timeoutMs = 60000)
{
    return runProcess(QStringLiteral(KERNWICK_CLI), args, workingDirectory, timeoutMs);
}

inline QString testData(const QString &relative)
{
    return QStringLiteral(KERNWICK_TEST_DATA "/") + relative;
}

} // namespace Kernwick::Test
