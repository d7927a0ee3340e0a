#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

namespace Kernwick {

class SerialController;
class TerminalDialog;

/// The Serial menu's dialogs that talk to the board while they are open:
/// "Terminal", "Bootscript Editor" and "Setup Editor". The editors are modal and
/// live for one command; their downloads run through the serial controller like
/// every other, and their Download buttons are greyed while a conversation holds
/// the port. The terminal is not modal: there is at most one, the command brings
/// it to the front, and it goes when it is quit.
class BoardDialogs : public QObject
{
    Q_OBJECT

public:
    BoardDialogs(SerialController &serial, QWidget *window, QObject *parent = nullptr);

    void openTerminal();
    /// The terminal while it is open.
    TerminalDialog *terminal() const;
    void openBootscriptEditor();
    void openSetupEditor();

private:
    SerialController &m_serial;
    QWidget *m_window;
    QPointer<TerminalDialog> m_terminal;
};

} // namespace Kernwick
