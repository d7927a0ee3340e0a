#pragma once

#include "libkernwick/device/boxmessage.h"
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
/// on the serial line. The thread makes and owns the serial port; log lines and
/// the end come back through queued signals. A message box the conversation shows
/// (a port set-up failure, say) is shown by the window's thread, and the
/// conversation waits for the user to close it; stop() releases such a wait.
class BoardTask : public QObject
{
    Q_OBJECT

public:
    /// The conversation's steps; returns whether the command completed.
    using Work = std::function<bool(Conversation &conversation)>;

    /// `boxParent` owns the message boxes; the port is opened on `table`.
    BoardTask(QString portName, PortTable table, Work work, QWidget *boxParent,
              QObject *parent = nullptr);
    /// Stops the conversation and waits for its thread: the port is closed after.
    ~BoardTask() override;

    void start();
    /// Asks the conversation to end at its next step, with the port closed.
    void stop();
    bool isRunning() const;

signals:
    void logAppended(const QString &text);
    void finished(bool completed);

private:
    void run();
    void showBoxFromWorker(const BoxMessage &box);

    QString m_portName;
    PortTable m_table;
    Work m_work;
    QPointer<QWidget> m_boxParent;
    QThread *m_thread = nullptr;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_boxOpen{false};
};

} // namespace Kernwick
