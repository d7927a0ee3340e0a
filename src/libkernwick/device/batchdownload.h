#pragma once

#include "libkernwick/device/conversation.h"
#include "libkernwick/device/download.h"
#include "libkernwick/device/linktiming.h"
#include "libkernwick/device/porttable.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QThread>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

namespace Kernwick {

/// The steps of one board's download in a batch: a download function with its file
/// and choices bound. Called on the board's own thread, once per attempt; it opens
/// what it reads (the file) itself, so that no two boards share a reader.
using BoardDownloadWork = std::function<DownloadOutcome(Conversation &conversation)>;

/// Why the ports of a batch cannot be used, before any is opened: the list is empty,
/// a name is empty, or two entries name one device (the same name twice, a "comN"
/// and the device path it stands for, or two paths of one device, such as a link and
/// its target). Empty when the list is fine.
QString batchPortsProblem(const QStringList &portNames, const PortTable &table);

/// How one board's download in a batch ended.
struct BoardResult
{
    QString portName;
    DownloadResult result = DownloadResult::Failed;
    /// Why it failed, in one line (the first line of the failure report); empty
    /// unless it failed.
    QString reason;
    QDateTime started;  ///< when the first attempt began
    QDateTime finished; ///< when the last attempt ended
    int attempts = 0;

    qint64 elapsedMs() const { return started.msecsTo(finished); }
};

/// "Completed", "Failed: <reason>" or "Stopped".
QString boardResultText(const BoardResult &result);
/// "Completed", "Failed" or "Stopped".
QString downloadResultName(DownloadResult result);
/// The batch report as CSV (RFC 4180, CRLF line ends): a header line "port, result,
/// reason, seconds, started, finished", then one line per board with the seconds to
/// one decimal and the times in ISO 8601 (UTC, milliseconds).
QByteArray batchReportCsv(const QList<BoardResult> &results);

/// Follows one conversation's log and message boxes and keeps the first line of the
/// last failure report in them: the reason a failed download gives.
class FailureReason
{
public:
    void logAppended(const QString &text);
    void boxShown(const BoxMessage &box);
    /// The reason for `outcome`: its own box, else the last box shown, else the last
    /// log text's first line; "Failed" when there is none.
    QString reason(const DownloadOutcome &outcome) const;

private:
    QString m_lastLog;
    QString m_lastBox;
};

/// What a batch reports, each on the thread of the board it names (0 for the first
/// port).
struct BatchHooks
{
    /// The hooks of board `board`'s conversation, asked before each attempt. Its
    /// stopRequested, when set, is asked along with the batch's own stop, and
    /// once it says yes the whole batch stops.
    std::function<ConversationHooks(int board)> conversation = {};
    /// An attempt begins (1 for the first).
    std::function<void(int board, int attempt)> attemptStarted = {};
    /// The board's last attempt has ended and its port is closed.
    std::function<void(int board, const BoardResult &result)> finished = {};
};

/// The same download on many ports at once: each board runs on a thread of its own
/// with its own serial port and conversation, so a board that fails (silent, refusing
/// a chunk, its line lost) affects no other. One stop ends them all at their next
/// safe point. A failed board's download can be run again up to a number of times; a
/// stopped one never is.
class BatchDownload
{
public:
    /// Checks nothing: see batchPortsProblem(). The ports are opened on `table` with
    /// `timing` (pacing and read time-out).
    BatchDownload(QStringList portNames, PortTable table, LinkTiming timing, BoardDownloadWork work,
                  BatchHooks hooks = {});
    /// Stops the boards and waits until every port is closed.
    ~BatchDownload();
    BatchDownload(const BatchDownload &) = delete;
    BatchDownload &operator=(const BatchDownload &) = delete;

    /// Runs a failed board's download again up to `retries` times. Before start().
    void setRetries(int retries) { m_retries = retries < 0 ? 0 : retries; }

    /// Starts every board's thread.
    void start();
    /// Asks every board to stop at its next safe point; no board is tried again.
    /// Any thread may call it.
    void stop() { m_stop = true; }
    bool stopRequested() const { return m_stop; }
    /// Whether every board has ended (true before start()).
    bool isFinished() const { return m_running == 0; }
    /// Waits until every board has ended and its port is closed.
    void wait();

    const QStringList &portNames() const { return m_portNames; }
    /// The boards' results, in the order of the ports. Complete once finished.
    QList<BoardResult> results() const;
    /// Whether every board completed. Once finished.
    bool allCompleted() const;

private:
    void runBoard(int board);

    QStringList m_portNames;
    PortTable m_table;
    LinkTiming m_timing;
    BoardDownloadWork m_work;
    BatchHooks m_hooks;
    int m_retries = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_running{0};
    /// One per board, written only by the board's thread until it has ended.
    std::vector<BoardResult> m_results;
    std::vector<std::unique_ptr<QThread>> m_threads;
};

} // namespace Kernwick
