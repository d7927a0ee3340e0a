#pragma once

#include <QObject>

class QWidget;

namespace Kernwick {

class SerialController;

/// The Serial menu's modal dialogs that talk to the board while they are open:
/// "Terminal", "Bootscript Editor" and "Setup Editor". Each lives for one command.
/// The editors' downloads run through the serial controller like every other, and
/// their Download buttons are greyed while a conversation holds the port.
class BoardDialogs : public QObject
{
    Q_OBJECT

public:
    BoardDialogs(SerialController &serial, QWidget *window, QObject *parent = nullptr);

    void openTerminal();
    void openBootscriptEditor();
    void openSetupEditor();

private:
    SerialController &m_serial;
    QWidget *m_window;
};

} // namespace Kernwick
