#pragma once

#include "device/receivedtext.h"
#include "device/terminalline.h"

#include <QDialog>
#include <QPointer>

#include <cstdint>
#include <memory>

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace Kernwick {

class BoardTask;
class ConversationHost;
class TerminalOutbox;
class TransmitEdit;

/// "Terminal": talks to the board by hand on the chosen port and baud rate. What
/// arrives is shown in the receive box as it comes (see ReceivedText); what the
/// user types in the transmit box goes out at once, character by character, Enter
/// as the line end chosen under "Enter sends" (CR LF unless the settings keep CR or
/// LF), and Send File pushes a whole file out byte for byte. While not connected,
/// typed text and files are shown but nothing is sent.
///
/// The terminal is not modal: the main window stays usable beside it. Its title
/// and its status line show the port, the baud rate and whether it is connected.
/// The line runs as a conversation of the serial controller, on a thread of its
/// own, so the window never waits on it, and no download can start while the
/// terminal is connected (nor can it connect while one runs). Connect first checks
/// that the port opens and otherwise says which port and why ("OpenPort failed"
/// and the reason), the button then still reading "Connect"; it reads
/// "Disconnect" while connected. The dialog's Cancel command (an Escape the
/// transmit box does not take) sends ESC and shows "<ESC>". Quit and the close box
/// close the port and the dialog; each opening starts disconnected with empty
/// boxes.
class TerminalDialog : public QDialog
{
    Q_OBJECT

public:
    /// The most Send File sends: a terminal pushes out small files by hand.
    static constexpr qint64 MaxSentFileBytes = 1024 * 1024;

    explicit TerminalDialog(ConversationHost &host, QWidget *parent = nullptr);
    ~TerminalDialog() override;

    bool isConnected() const { return m_connected; }

    QPlainTextEdit *receiveBox() const { return m_receive; }
    TransmitEdit *transmitBox() const { return m_transmit; }
    QPushButton *connectButton() const { return m_connect; }
    QPushButton *quitButton() const { return m_quit; }
    QPushButton *sendFileButton() const { return m_sendFile; }
    QComboBox *lineEndBox() const { return m_lineEndBox; }
    QLabel *statusLine() const { return m_status; }
    LineEnd lineEnd() const;

    /// Brings the title, the status line and the Connect button up to date with
    /// the chosen port and rate and with whether the port is free.
    void updateStatus();

    /// "Connect" / "Disconnect".
    void toggleConnection();
    void sendFile();
    /// Closes the port (waiting until it is closed) and ends the dialog.
    void quit();
    /// The Cancel command: sends ESC and shows "<ESC>" in the transmit box.
    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void send(QByteArrayView bytes);
    void showReceived(const QByteArray &bytes);
    void lineOpened();
    void lineEnded();
    /// Stops the line and waits until its port is closed.
    void closeLine();

    ConversationHost &m_host;
    QPlainTextEdit *m_receive;
    TransmitEdit *m_transmit;
    QPushButton *m_connect;
    QPushButton *m_quit;
    QPushButton *m_sendFile;
    QComboBox *m_lineEndBox;
    QLabel *m_status;
    QPointer<BoardTask> m_line;
    /// The port and rate of the line while there is one.
    QString m_linePort;
    qint32 m_lineBaud = 0;
    bool m_stopping = false;
    std::shared_ptr<TerminalOutbox> m_outbox;
    bool m_connected = false;
    ReceivedText m_received;
};

} // namespace Kernwick
