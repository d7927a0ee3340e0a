#include "app/serialcontroller.h"

#include "app/mainactions.h"
#include "device/boardtask.h"

#include "libkernwick/device/conversation.h"
#include "libkernwick/device/serialport.h"
#include "libkernwick/device/testcom.h"

#include <QAction>
#include <QWidget>

namespace Kernwick {

SerialController::SerialController(MainActions &actions, QWidget *window, PortTable table)
    : QObject(window), m_actions(actions), m_window(window), m_table(std::move(table))
{
    for (QAction *port : m_actions.ports) {
        connect(port, &QAction::triggered, this, [this, port] {
            m_selection.portName = port->data().toString();
            updateActions();
        });
    }
    for (QAction *baud : m_actions.bauds) {
        connect(baud, &QAction::triggered, this, [this, baud] {
            m_selection.baudRate = baud->data().toInt();
            updateActions();
        });
    }
    connect(m_actions.testCom, &QAction::triggered, this, &SerialController::testCom);
    // Built with their own commands later: shown, but not yet available.
    for (QAction *later :
         {m_actions.downloadFontMain, m_actions.downloadFontDebug, m_actions.downloadFirmwareMain,
          m_actions.downloadFirmwareDebug, m_actions.downloadFirmwareRepair, m_actions.terminal,
          m_actions.bootscriptEditor, m_actions.configurationEditor, m_actions.setupEditor})
        later->setEnabled(false);
    updateActions();
}

SerialController::~SerialController() = default;

void SerialController::probe()
{
    CSerialPort port(m_table);
    setSelection(probePorts(port));
}

void SerialController::setSelection(const SerialSelection &selection)
{
    m_selection = selection;
    updateActions();
}

bool SerialController::isBusy() const
{
    return m_running;
}

void SerialController::stopAll()
{
    m_task.reset(); // stops the conversation and waits until its port is closed
    if (m_running) {
        m_running = false;
        updateActions();
        emit busyChanged(false);
    }
}

void SerialController::updateActions()
{
    for (int n = 1; n <= PortTable::PortCount; ++n) {
        QAction *port = m_actions.ports[std::size_t(n - 1)];
        const QString device = m_table.device(n);
        port->setEnabled(m_selection.portPresent.test(std::size_t(n - 1)));
        port->setChecked(m_selection.portName == PortTable::portName(n));
        port->setStatusTip(device.isEmpty()
                               ? QStringLiteral("com %1 has no device on this computer").arg(n)
                               : QStringLiteral("Use com %1: %2").arg(n).arg(device));
    }
    for (QAction *baud : m_actions.bauds)
        baud->setChecked(baud->data().toInt() == m_selection.baudRate);
    m_actions.testCom->setEnabled(!isBusy());
}

void SerialController::testCom()
{
    if (isBusy())
        return;
    const qint32 baud = m_selection.baudRate;
    m_task = std::make_unique<BoardTask>(
        m_selection.portName, m_table,
        [baud](Conversation &conversation) { return Kernwick::testCom(conversation, baud); },
        m_window);
    connect(m_task.get(), &BoardTask::finished, this, &SerialController::finished);
    m_running = true;
    m_task->start();
    updateActions();
    emit busyChanged(true);
}

void SerialController::finished()
{
    m_running = false;
    updateActions();
    emit busyChanged(false);
}

} // namespace Kernwick
