#pragma once

#include "libkernwick/device/porttable.h"

#include <QObject>

#include <memory>

class QWidget;

namespace Kernwick {

class BoardTask;
struct MainActions;

/// The Serial menu's side of the main window: the chosen port and baud rate, the
/// start-up probe, and the commands that talk to the board. One conversation runs
/// at a time; while it runs, the commands that use the port are disabled.
class SerialController : public QObject
{
    Q_OBJECT

public:
    SerialController(MainActions &actions, QWidget *window, PortTable table);
    ~SerialController() override;

    const SerialSelection &selection() const { return m_selection; }
    const PortTable &portTable() const { return m_table; }
    /// The start-up probe: which of com1 to com16 open, the first of com1 to com8.
    void probe();
    /// Sets the selection directly (for the probe's result and for tests).
    void setSelection(const SerialSelection &selection);

    bool isBusy() const;
    /// Stops a running conversation and waits for its port to close.
    void stopAll();

    /// "Test com": opens the port and writes "Hello there!".
    void testCom();

signals:
    void busyChanged(bool busy);

private:
    void updateActions();
    void finished();

    MainActions &m_actions;
    QWidget *m_window;
    PortTable m_table;
    SerialSelection m_selection;
    std::unique_ptr<BoardTask> m_task;
    bool m_running = false;
};

} // namespace Kernwick
