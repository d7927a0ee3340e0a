#pragma once

// Runs kernwick-cli (or another program) as a process and collects what it printed.

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <sys/resource.h>

namespace Kernwick::Test {

/// What a program printed and how it ended (-1 when it crashed or timed out).
struct ProcessResult
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};
using CliResult = ProcessResult;

/// Waits for a started `process` to end and collects what it printed; killed after
/// `timeoutMs`.
inline ProcessResult finishProcess(QProcess &process, int timeoutMs)
{
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

/// Runs `program` with `args` and waits for it; killed after `timeoutMs`.
inline ProcessResult runProcess(const QString &program, const QStringList &args,
                                const QString &workingDirectory = {}, int timeoutMs = 120000)
{
    QProcess process;
    if (!workingDirectory.isEmpty())
        process.setWorkingDirectory(workingDirectory);
    process.start(program, args);
    return finishProcess(process, timeoutMs);
}

inline CliResult runCli(const QStringList &args, const QString &workingDirectory = {},
                        int timeoutMs = 60000)
{
    return runProcess(QStringLiteral(KERNWICK_CLI), args, workingDirectory, timeoutMs);
}

/// Runs kernwick-cli with `megabytes` of memory at most. Under AddressSanitizer
/// (whose shadow memory rules out an address space limit) no allocation may be
/// larger and the resident set may not grow past it; otherwise the data segment
/// (heap and private writable mappings) is limited. Past the limit an allocation
/// fails or the program ends with the sanitizer's report on standard error.
inline CliResult runCliWithMemoryLimit(const QStringList &args, int megabytes)
{
    QProcess process;
#if defined(__SANITIZE_ADDRESS__)
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("ASAN_OPTIONS",
               env.value("ASAN_OPTIONS") + QStringLiteral(":allocator_may_return_null=1"
                                                          ":max_allocation_size_mb=%1"
                                                          ":hard_rss_limit_mb=%1")
                                               .arg(megabytes));
    process.setProcessEnvironment(env);
#else
    process.setChildProcessModifier([megabytes] {
        const rlimit limit{rlim_t(megabytes) << 20, rlim_t(megabytes) << 20};
        setrlimit(RLIMIT_DATA, &limit);
    });
#endif
    process.start(QStringLiteral(KERNWICK_CLI), args);
    return finishProcess(process, 60000);
}

inline QString testData(const QString &relative)
{
    return QStringLiteral(KERNWICK_TEST_DATA "/") + relative;
}

} // namespace Kernwick::Test
