#pragma once

#include "libkernwick/device/boxmessage.h"
#include "libkernwick/device/download.h"
#include "libkernwick/device/linktiming.h"
#include "libkernwick/device/porttable.h"
#include "libkernwick/device/transferprogress.h"

#include <QMutex>
#include <QObject>
#include <QPointer>
#include <QWaitCondition>
#include <QWidget>

#include <atomic>
#include <functional>

class QThread;

namespace Kernwick {

class Conversation;

/// Runs one board conversation on a thread of its own, so the window never waits
/// on the serial line. The thread makes and owns the serial port; log lines,
/// progress, the parts of a download in parts and the end come back through
/// queued signals. A message box the conversation shows (a port set-up failure,
/// "Download Complete" before the firmware is started) is shown by the window's
/// thread, and the conversation's thread sleeps until the user has closed it or
/// stop() is called, whichever comes first.
///
/// A conversation that reports more than its hooks carry gets the task as well and
/// calls its reporting functions (reportConnected(), deliver()) from its own
/// thread; they arrive on the window's thread as signals, in order with the log
/// lines, progress and end.
class BoardTask : public QObject
{
    Q_OBJECT

public:
    /// The conversation's steps and how they ended.
    using Work = std::function<DownloadOutcome(Conversation &conversation)>;
    /// The steps of a conversation that also reports through its task.
    using ReportingWork =
        std::function<DownloadOutcome(Conversation &conversation, BoardTask &task)>;

    /// `boxParent` owns the message boxes; the port is opened on `table` with
    /// `timing` (pacing and read time-out).
    BoardTask(QString portName, PortTable table, LinkTiming timing, Work work, QWidget *boxParent,
              QObject *parent = nullptr);
    BoardTask(QString portName, PortTable table, LinkTiming timing, ReportingWork work,
              QWidget *boxParent, QObject *parent = nullptr);
    /// Stops the conversation and waits for its thread: the port is closed after.
    ~BoardTask() override;

    void start();
    /// Asks the conversation to end at its next step, with the port closed.
    void stop();
    bool isRunning() const;
    /// Waits until the conversation has ended and its port is closed, serving the
    /// window's queued calls meanwhile (but no user input); then delivers the log
    /// lines, progress and end still on their way.
    void waitUntilFinished();
    /// The window whose message boxes the conversation shows from now on.
    void setBoxParent(QWidget *boxParent) { m_boxParent = boxParent; }

    // Reports from the conversation's thread.

    /// The line is open and the conversation now serves the user (the terminal).
    void reportConnected();
    /// Bytes that came in on the line, exactly as received (the terminal).
    void deliver(const QByteArray &bytes);

signals:
    void logAppended(const QString &text);
    /// `done` of `total` blocks or chunks sent.
    void progressed(int done, int total);
    /// The figures of the transfer under way: done of total in its unit, the bytes
    /// sent and the time taken.
    void transferred(const Kernwick::TransferProgress &progress);
    /// The board acknowledged the erase of memory `device`.
    void memoryErased(int device);
    /// A part of the conversation starts; it shows a progress display of its own
    /// with `captions` and a bar of 0 to `total` (the setup download's parts).
    void partStarted(const Kernwick::ProgressCaptions &captions, int total);
    /// The part that runs has ended; its display goes away.
    void partEnded();
    void connected();
    void received(const QByteArray &bytes);
    void finished(const Kernwick::DownloadOutcome &outcome);

private:
    void run();
    /// Has the window's thread show `box` and waits until the user has closed it
    /// (or a stop is asked for).
    void showBoxFromWorker(const BoxMessage &box, bool confirmation);
    /// The window's thread: the box is closed (or was never shown).
    void boxClosed();
    /// Has the window's thread run `report`, queued behind the reports before it.
    void post(std::function<void()> report);

    QString m_portName;
    PortTable m_table;
    LinkTiming m_timing;
    ReportingWork m_work;
    QPointer<QWidget> m_boxParent;
    QThread *m_thread = nullptr;
    std::atomic<bool> m_stop{false};
    /// Guards m_boxOpen; the conversation's thread waits on m_boxWait while a box is
    /// open, and closing the box or stop() wakes it.
    QMutex m_boxMutex;
    QWaitCondition m_boxWait;
    bool m_boxOpen = false;
};

} // namespace Kernwick
