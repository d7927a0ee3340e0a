#include "device/boardtask.h"

#include "widgets/messages.h"

#include "libkernwick/device/conversation.h"
#include "libkernwick/device/serialport.h"

#include <QCoreApplication>
#include <QThread>

namespace Kernwick {

BoardTask::BoardTask(QString portName, PortTable table, LinkTiming timing, Work work,
                     QWidget *boxParent, QObject *parent)
    : BoardTask(
          std::move(portName), std::move(table), std::move(timing),
          [work = std::move(work)](Conversation &conversation, BoardTask &) {
              return work(conversation);
          },
          boxParent, parent)
{
}

BoardTask::BoardTask(QString portName, PortTable table, LinkTiming timing, ReportingWork work,
                     QWidget *boxParent, QObject *parent)
    : QObject(parent), m_portName(std::move(portName)), m_table(std::move(table)),
      m_timing(std::move(timing)), m_work(std::move(work)), m_boxParent(boxParent)
{
}

BoardTask::~BoardTask()
{
    // Nobody hears the end of a task that is being destroyed.
    disconnect(this, nullptr, nullptr, nullptr);
    stop();
    if (m_thread) {
        // A box the thread waits for is released by the stop; keep serving queued
        // calls until the conversation has let go of the port.
        while (!m_thread->wait(20))
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        delete m_thread;
    }
}

void BoardTask::start()
{
    if (m_thread)
        return;
    m_thread = QThread::create([this] { run(); });
    m_thread->start();
}

void BoardTask::stop()
{
    // Under the box's lock, so that a thread about to wait for its box either sees
    // the stop first or is waiting already and is woken.
    const QMutexLocker lock(&m_boxMutex);
    m_stop = true;
    m_boxWait.wakeAll();
}

bool BoardTask::isRunning() const
{
    return m_thread && m_thread->isRunning();
}

void BoardTask::waitUntilFinished()
{
    if (!m_thread)
        return;
    while (!m_thread->wait(20))
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

void BoardTask::run()
{
    DownloadOutcome outcome;
    {
        // The port lives and dies on this thread, as its notifiers require.
        CSerialPort port(m_table);
        port.setTiming(m_timing);
        Conversation conversation(
            port, m_portName,
            {
                .appendLog =
                    [this](const QString &text) { post([this, text] { emit logAppended(text); }); },
                .showBox = [this](const BoxMessage &box) { showBoxFromWorker(box, false); },
                .stopRequested = [this] { return m_stop.load(); },
                .progress =
                    [this](int done, int total) {
                        post([this, done, total] { emit progressed(done, total); });
                    },
                .transfer =
                    [this](const TransferProgress &progress) {
                        post([this, progress] { emit transferred(progress); });
                    },
                .confirm = [this](const BoxMessage &box) { showBoxFromWorker(box, true); },
                .partStarted =
                    [this](const ProgressCaptions &captions, int total) {
                        post([this, captions, total] { emit partStarted(captions, total); });
                    },
                .partEnded = [this] { post([this] { emit partEnded(); }); },
                .memoryErased =
                    [this](int device) { post([this, device] { emit memoryErased(device); }); },
            });
        outcome = m_work(conversation, *this);
    } // the conversation closes the port here, on every path
    // What the work holds (the file being sent) is let go of here, as the command ends.
    m_work = {};
    post([this, outcome] { emit finished(outcome); });
}

void BoardTask::post(std::function<void()> report)
{
    QMetaObject::invokeMethod(this, std::move(report), Qt::QueuedConnection);
}

void BoardTask::reportConnected()
{
    post([this] { emit connected(); });
}

void BoardTask::deliver(const QByteArray &bytes)
{
    post([this, bytes] { emit received(bytes); });
}

void BoardTask::showBoxFromWorker(const BoxMessage &box, bool confirmation)
{
    QMutexLocker lock(&m_boxMutex);
    if (m_stop)
        return;
    m_boxOpen = true;
    QMetaObject::invokeMethod(
        this,
        [this, box, confirmation] {
            // A box still on its way when the task stops is not shown any more.
            if (!m_stop) {
                const QPointer<BoardTask> alive(this);
                if (confirmation)
                    showMessage(m_boxParent,
                                {box.caption, box.text, MessageIcon::Information, false});
                else
                    showFailure(m_boxParent, box);
                // A task destroyed while its box was open has been stopped, which
                // released the wait.
                if (!alive)
                    return;
            }
            boxClosed();
        },
        Qt::QueuedConnection);
    // The conversation goes on only once the user has closed the box.
    while (m_boxOpen && !m_stop)
        m_boxWait.wait(&m_boxMutex);
    m_boxOpen = false;
}

void BoardTask::boxClosed()
{
    const QMutexLocker lock(&m_boxMutex);
    m_boxOpen = false;
    m_boxWait.wakeAll();
}

} // namespace Kernwick
