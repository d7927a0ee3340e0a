#include "app/boarddialogs.h"

#include "app/downloadcommands.h"
#include "app/serialcontroller.h"
#include "config/bootscripteditor.h"
#include "config/setupeditor.h"
#include "device/terminaldialog.h"
#include "widgets/messages.h"

namespace Kernwick {

BoardDialogs::BoardDialogs(SerialController &serial, QWidget *window, QObject *parent)
    : QObject(parent), m_serial(serial), m_window(window)
{
}

TerminalDialog *BoardDialogs::terminal() const
{
    return m_terminal;
}

void BoardDialogs::openTerminal()
{
    if (m_terminal) {
        m_terminal->show();
        m_terminal->raise();
        m_terminal->activateWindow();
        return;
    }
    if (m_serial.isBusy() || !m_serial.checkPort())
        return;
    auto *terminal = new TerminalDialog(m_serial, m_window);
    m_terminal = terminal;
    connect(terminal, &QDialog::finished, terminal, &QObject::deleteLater);
    connect(&m_serial, &SerialController::selectionChanged, terminal,
            &TerminalDialog::updateStatus);
    connect(&m_serial, &SerialController::busyChanged, terminal, &TerminalDialog::updateStatus);
    terminal->show();
}

void BoardDialogs::openBootscriptEditor()
{
    if (m_serial.isBusy())
        return;
    BootscriptEditor editor(m_window);
    editor.setDownloadAvailable(true);
    connect(&m_serial, &SerialController::busyChanged, &editor,
            [&editor](bool busy) { editor.setDownloadAvailable(!busy); });
    connect(&editor, &BootscriptEditor::downloadRequested, this,
            [this, &editor](const QByteArray &script) {
                m_serial.downloads().downloadBootScript(script, &editor);
            });
    runDialog(editor);
}

void BoardDialogs::openSetupEditor()
{
    if (m_serial.isBusy())
        return;
    SetupEditor editor(m_window);
    editor.setDownloadAvailable(true);
    connect(&m_serial, &SerialController::busyChanged, &editor,
            [&editor](bool busy) { editor.setDownloadAvailable(!busy); });
    connect(&editor, &SetupEditor::downloadRequested, this,
            [this, &editor](const SetupBundle &bundle) {
                m_serial.downloads().downloadSetup(bundle, &editor);
            });
    runDialog(editor);
}

} // namespace Kernwick
