#pragma once

#include "libkernwick/device/boxmessage.h"
#include "libkernwick/device/download.h"
#include "libkernwick/device/linktiming.h"
#include "libkernwick/device/porttable.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <atomic>
#include <functional>

class QThread;

namespace Kernwick {

class Conversation;

/// Runs one board conversation on a thread of its own, so the window never waits
/// on the serial line. The thread makes and owns the serial port; log lines,
/// progress and the end come back through queued signals. A message box the
/// conversation shows (a port set-up failure, "Download Complete" before the
/// firmware is started) is shown by the window's thread, and the conversation
/// waits for the user to close it; stop() releases such a wait.
class BoardTask : public QObject
{
    Q_OBJECT

public:
    /// The conversation's steps and how they ended.
    using Work = std::function<DownloadOutcome(Conversation &conversation)>;

    /// `boxParent` owns the message boxes; the port is opened on `table` with
    /// `timing` (pacing and read time-out).
    BoardTask(QString portName, PortTable table, LinkTiming timing, Work work, QWidget *boxParent,
              QObject *parent = nullptr);
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

signals:
    void logAppended(const QString &text);
    /// `done` of `total` blocks or chunks sent.
    void progressed(int done, int total);
    void finished(const Kernwick::DownloadOutcome &outcome);

private:
    void run();
    /// Has the window's thread show `box` and waits until the user has closed it
    /// (or a stop is asked for).
    void showBoxFromWorker(const BoxMessage &box, bool confirmation);

    QString m_portName;
    PortTable m_table;
    LinkTiming m_timing;
    Work m_work;
    QPointer<QWidget> m_boxParent;
    QThread *m_thread = nullptr;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_boxOpen{false};
};

} // namespace Kernwick
