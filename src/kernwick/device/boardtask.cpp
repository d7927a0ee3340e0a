#include "device/boardtask.h"

#include "app/messages.h"

#include <QWidget>

#include "libkernwick/device/conversation.h"
#include "libkernwick/device/serialport.h"

#include <QCoreApplication>
#include <QThread>

namespace Kernwick {

BoardTask::BoardTask(QString portName, PortTable table, Work work, QWidget *boxParent,
                     QObject *parent)
    : QObject(parent), m_portName(std::move(portName)), m_table(std::move(table)),
      m_work(std::move(work)), m_boxParent(boxParent)
{
}

BoardTask::~BoardTask()
{
    stop();
    if (m_thread) {
        // Boxes waiting for this thread would never be answered: keep serving
        // queued calls until the conversation has let go of the port.
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
    m_stop = true;
}

bool BoardTask::isRunning() const
{
    return m_thread && m_thread->isRunning();
}

void BoardTask::run()
{
    // The port lives and dies on this thread, as its notifiers require.
    CSerialPort port(m_table);
    bool completed = false;
    {
        ConversationHooks hooks;
        hooks.appendLog = [this](const QString &text) {
            QMetaObject::invokeMethod(
                this, [this, text] { emit logAppended(text); }, Qt::QueuedConnection);
        };
        hooks.showBox = [this](const BoxMessage &box) { showBoxFromWorker(box); };
        hooks.stopRequested = [this] { return m_stop.load(); };
        Conversation conversation(port, m_portName, hooks);
        completed = m_work(conversation);
    } // the conversation closes the port here, on every path
    QMetaObject::invokeMethod(
        this, [this, completed] { emit finished(completed); }, Qt::QueuedConnection);
}

void BoardTask::showBoxFromWorker(const BoxMessage &box)
{
    if (m_stop)
        return;
    m_boxOpen = true;
    QMetaObject::invokeMethod(
        this,
        [this, box] {
            showFailure(m_boxParent, box);
            m_boxOpen = false;
        },
        Qt::QueuedConnection);
    // The conversation goes on only once the user has closed the box.
    while (m_boxOpen && !m_stop)
        QThread::msleep(10);
}

} // namespace Kernwick
