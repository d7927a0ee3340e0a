// The download commands' --ports: the same download on many boards at once.

#include "batchcommand.h"

#include "cliutil.h"

#include "libkernwick/device/serialport.h"

#include <QDir>
#include <QFile>
#include <QMutex>
#include <QMutexLocker>
#include <QSet>

#include <memory>
#include <vector>

#include <unistd.h>

namespace Kernwick::Cli {

namespace {

constexpr qint64 MaxRetries = 100;

QCommandLineOption portsOption()
{
    return {QStringLiteral("ports"),
            QStringLiteral("Download to many boards at once: a comma-separated list of ports "
                           "(com1 to com16 or device paths), or 'all' for every present port of "
                           "the port table. Used in place of --port."),
            QStringLiteral("LIST")};
}

QCommandLineOption logDirOption()
{
    return {QStringLiteral("log-dir"),
            QStringLiteral("With --ports: write each board's log into DIR/<port>.log instead of "
                           "standard output."),
            QStringLiteral("DIR")};
}

QCommandLineOption reportOption()
{
    return {QStringLiteral("report"),
            QStringLiteral("With --ports: write the summary as CSV (port, result, reason, "
                           "seconds, started, finished)."),
            QStringLiteral("FILE.csv")};
}

QCommandLineOption retryOption()
{
    return {QStringLiteral("retry"),
            QStringLiteral("With --ports: run a failed board's download again up to N times "
                           "(default 0; a stopped one never)."),
            QStringLiteral("N"), QStringLiteral("0")};
}

/// One board's line of the progress display on a terminal: its port and how far it
/// has come, or its state before the first piece and after the end.
QString boardProgressLine(const QString &portName, int done, int total, const QString &state)
{
    if (!state.isEmpty() || total <= 0)
        return QStringLiteral("[%1] %2").arg(portName, state);
    const int shown = qMin(done, total);
    return QStringLiteral("[%1] %2 of %3 (%4 %)")
        .arg(portName)
        .arg(shown)
        .arg(total)
        .arg(shown * 100 / total);
}

/// The log file of a port in --log-dir: the port's name with the path separators
/// replaced ("com3.log", "dev_ttyUSB0.log").
QString logFileName(const QString &portName)
{
    QString name = portName;
    while (name.startsWith(QLatin1Char('/')) || name.startsWith(QLatin1Char('\\')))
        name.remove(0, 1);
    for (QChar &c : name) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char(':'))
            c = QLatin1Char('_');
    }
    return name + QStringLiteral(".log");
}

void writeTo(FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream);
    std::fflush(stream);
}

/// The terminal's side of a batch, shared by the boards' threads: the log a line at
/// a time with the port in front, the boxes on standard error, and one progress line
/// per board at the bottom of standard error while it is a terminal.
class BatchConsole
{
public:
    BatchConsole(const QStringList &ports, bool progressLines)
        : m_ports(ports), m_progressLines(progressLines), m_boards(std::size_t(ports.size()))
    {
        for (Board &board : m_boards)
            board.state = QStringLiteral("waiting");
    }

    /// A text of board `board`'s log: printed once its line has ended.
    void logText(int board, const QString &text)
    {
        const QMutexLocker lock(&m_mutex);
        Board &b = m_boards[std::size_t(board)];
        b.line += text;
        qsizetype end = 0;
        while ((end = b.line.indexOf(QLatin1Char('\n'))) >= 0) {
            QString line = b.line.left(end);
            if (line.endsWith(QLatin1Char('\r')))
                line.chop(1);
            b.line.remove(0, end + 1);
            printLine(stdout, QStringLiteral("[%1] %2\n").arg(m_ports[board], line));
        }
    }

    /// Prints what is left of board `board`'s last log line.
    void endLog(int board)
    {
        const QMutexLocker lock(&m_mutex);
        Board &b = m_boards[std::size_t(board)];
        if (!b.line.isEmpty())
            printLine(stdout, QStringLiteral("[%1] %2\n").arg(m_ports[board], b.line));
        b.line.clear();
    }

    void error(int board, const QString &text)
    {
        const QMutexLocker lock(&m_mutex);
        printLine(stderr, QStringLiteral("kernwick-cli: [%1] %2\n").arg(m_ports[board], text));
    }

    void progress(int board, int done, int total)
    {
        const QMutexLocker lock(&m_mutex);
        Board &b = m_boards[std::size_t(board)];
        b.done = done;
        b.total = total;
        b.state.clear();
        redraw();
    }

    void setState(int board, const QString &state)
    {
        const QMutexLocker lock(&m_mutex);
        m_boards[std::size_t(board)].state = state;
        redraw();
    }

    /// Takes the progress lines away, for the summary.
    void endProgress()
    {
        const QMutexLocker lock(&m_mutex);
        erase();
        m_progressLines = false;
    }

private:
    struct Board
    {
        QString line; ///< the log's line not yet ended
        int done = 0;
        int total = 0;
        QString state; ///< shown instead of the count when set
    };

    // Prints a whole line above the progress lines.
    void printLine(FILE *stream, const QString &text)
    {
        erase();
        writeTo(stream, text);
        draw();
    }

    void redraw()
    {
        erase();
        draw();
    }

    void erase()
    {
        if (m_drawn == 0)
            return;
        // Up to the first progress line, then clear to the end of the screen.
        writeTo(stderr, QStringLiteral("\r\x1b[%1A\x1b[J").arg(m_drawn));
        m_drawn = 0;
    }

    void draw()
    {
        if (!m_progressLines)
            return;
        QString text;
        for (qsizetype n = 0; n < m_ports.size(); ++n) {
            const Board &b = m_boards[std::size_t(n)];
            text += boardProgressLine(m_ports[n], b.done, b.total, b.state) + QLatin1Char('\n');
        }
        writeTo(stderr, text);
        m_drawn = int(m_ports.size());
    }

    QMutex m_mutex;
    QStringList m_ports;
    bool m_progressLines;
    std::vector<Board> m_boards;
    int m_drawn = 0; ///< progress lines on the screen
};

// The ports of --ports: the list as given, or every present port for "all".
bool readPorts(const QCommandLineParser &parser, QStringList *ports, int *exitCode)
{
    const QString list = parser.value(portsOption());
    if (list == QLatin1String("all")) {
        CSerialPort probe;
        const SerialSelection selection = probePorts(probe);
        for (int n = 1; n <= PortTable::PortCount; ++n) {
            if (selection.portPresent.test(std::size_t(n - 1)))
                ports->append(PortTable::portName(n));
        }
        if (ports->isEmpty()) {
            *exitCode = fail(QStringLiteral("--ports all: no port of the port table is present"));
            return false;
        }
        return true;
    }
    for (const QString &name : list.split(QLatin1Char(',')))
        ports->append(name.trimmed());
    const QString problem = batchPortsProblem(*ports, PortTable::fromSystem());
    if (!problem.isEmpty()) {
        *exitCode = usageError(QStringLiteral("--ports: %1").arg(problem));
        return false;
    }
    return true;
}

// One log file per port in `dir`, all opened before any board starts.
bool openLogFiles(const QString &dir, const QStringList &ports,
                  std::vector<std::unique_ptr<QFile>> *files)
{
    if (!QDir().mkpath(dir)) {
        fail(QStringLiteral("%1: the log folder cannot be made").arg(dir));
        return false;
    }
    QSet<QString> taken;
    for (const QString &port : ports) {
        // Two paths can make one name ("/a/b" and "a_b"): the second gets a number.
        QString name = logFileName(port);
        for (int n = 2; taken.contains(name); ++n)
            name = logFileName(port).chopped(4) + QStringLiteral("-%1.log").arg(n);
        taken.insert(name);
        auto file = std::make_unique<QFile>(QDir(dir).filePath(name));
        if (!file->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            fail(QStringLiteral("%1: %2").arg(file->fileName(), file->errorString()));
            return false;
        }
        files->push_back(std::move(file));
    }
    return true;
}

QString summaryTable(const QList<BoardResult> &results)
{
    const QString portHeader = QStringLiteral("Port");
    const QString resultHeader = QStringLiteral("Result");
    qsizetype portWidth = portHeader.size();
    qsizetype resultWidth = resultHeader.size();
    for (const BoardResult &board : results) {
        portWidth = qMax(portWidth, board.portName.size());
        resultWidth = qMax(resultWidth, boardResultText(board).size());
    }
    const auto row = [&](const QString &port, const QString &result, const QString &seconds) {
        return QStringLiteral("%1  %2  %3\n")
            .arg(port, -int(portWidth))
            .arg(result, -int(resultWidth))
            .arg(seconds, 7);
    };
    QString table = row(portHeader, resultHeader, QStringLiteral("Seconds"));
    for (const BoardResult &board : results)
        table += row(board.portName, boardResultText(board),
                     QString::number(double(board.elapsedMs()) / 1000.0, 'f', 1));
    return table;
}

} // namespace

void addBatchOptions(QCommandLineParser &parser)
{
    parser.addOptions({portsOption(), logDirOption(), reportOption(), retryOption()});
}

bool batchRequested(const QCommandLineParser &parser)
{
    return parser.isSet(portsOption());
}

int runBatch(const QCommandLineParser &parser, const BoardOptions &options,
             const BoardDownloadWork &work)
{
    int exitCode = Success;
    if (parser.isSet(QStringLiteral("port")))
        return usageError(QStringLiteral("--port and --ports cannot be used together"));
    qint64 retries = 0;
    if (!parseNumber(parser.value(retryOption()), QStringLiteral("--retry"), &retries, &exitCode))
        return exitCode;
    if (retries > MaxRetries)
        return usageError(QStringLiteral("--retry must be at most %1").arg(MaxRetries));
    QStringList ports;
    if (!readPorts(parser, &ports, &exitCode))
        return exitCode;
    std::vector<std::unique_ptr<QFile>> logFiles;
    if (parser.isSet(logDirOption()) &&
        !openLogFiles(parser.value(logDirOption()), ports, &logFiles))
        return WorkFailed;
    const bool toFiles = !logFiles.empty();

    stopOnInterrupt();
    BatchConsole console(ports, ::isatty(STDERR_FILENO) == 1);
    // Each board's hooks; a board's log file is written by its thread alone.
    std::vector<char> fileLineOpen(std::size_t(ports.size()), 0);
    const auto log = [&](int board, const QString &text) {
        if (!toFiles) {
            console.logText(board, text);
            return;
        }
        logFiles[std::size_t(board)]->write(text.toLocal8Bit());
        logFiles[std::size_t(board)]->flush();
        if (!text.isEmpty())
            fileLineOpen[std::size_t(board)] = !text.endsWith(QLatin1Char('\n'));
    };
    // Ends the log's last line if it is still open.
    const auto endLine = [&](int board) {
        if (!toFiles)
            console.endLog(board);
        else if (fileLineOpen[std::size_t(board)])
            log(board, QStringLiteral("\r\n"));
    };
    const int attempts = int(retries) + 1;
    BatchHooks hooks{
        .conversation =
            [&](int board) {
                return ConversationHooks{
                    .appendLog = [&, board](const QString &text) { log(board, text); },
                    .showBox =
                        [&, board](const BoxMessage &box) {
                            console.error(board, box.text.isEmpty() ? box.caption : box.text);
                        },
                    .stopRequested = [] { return interruptRequested(); },
                    .progress = [&, board](int done,
                                           int total) { console.progress(board, done, total); },
                    .partStarted =
                        [&, board](const ProgressCaptions &captions, int) {
                            endLine(board);
                            log(board, QStringLiteral("%1 %2\r\n")
                                           .arg(captions.fileLine, captions.portLine));
                        },
                };
            },
        .attemptStarted =
            [&](int board, int attempt) {
                console.setState(board, QStringLiteral("starting"));
                if (attempt > 1) {
                    endLine(board);
                    log(board, QStringLiteral("Trying again: attempt %1 of %2\r\n")
                                   .arg(attempt)
                                   .arg(attempts));
                }
            },
        .finished =
            [&](int board, const BoardResult &result) {
                console.endLog(board);
                console.setState(board, boardResultText(result));
            },
    };
    LinkTiming timing;
    timing.paceMs = options.paceMs;
    BatchDownload batch(ports, PortTable::fromSystem(), timing, work, hooks);
    batch.setRetries(int(retries));
    batch.start();
    batch.wait();
    console.endProgress();

    const QList<BoardResult> results = batch.results();
    print(summaryTable(results));
    bool reported = true;
    if (parser.isSet(reportOption()))
        reported = writeOutput(parser.value(reportOption()), batchReportCsv(results));
    if (interruptRequested())
        return Interrupted;
    return batch.allCompleted() && reported ? Success : WorkFailed;
}

} // namespace Kernwick::Cli
