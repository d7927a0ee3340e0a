#pragma once

#include "device/receivedtext.h"

#include <QDialog>
#include <QPointer>

#include <cstdint>
#include <memory>

class QPlainTextEdit;
class QPushButton;

namespace Kernwick {

class BoardTask;
class ConversationHost;
class TerminalOutbox;
class TransmitEdit;

/// "Terminal": talks to the board by hand on the chosen port and baud rate. What
/// arrives is shown in the receive box as it comes (see ReceivedText); what the
/// user types in the transmit box goes out at once, character by character (CR
/// followed by LF), and Send File pushes a whole file out byte for byte. While not
/// connected, typed text and files are shown but nothing is sent.
///
/// The line runs as a conversation of the serial controller, on a thread of its
/// own, so the window never waits on it, and no download can start while the
/// terminal is connected. Connect opens the port ("OpenPort failed" and the other
/// opening boxes when it cannot, the button then still reading "Connect"); the
/// button reads "Disconnect" while connected. The dialog's Cancel command (an
/// Escape the transmit box does not take) sends ESC and shows "<ESC>". Quit and the
/// close box close the port and the dialog; each opening starts disconnected with
/// empty boxes.
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
    QPointer<BoardTask> m_line;
    std::shared_ptr<TerminalOutbox> m_outbox;
    bool m_connected = false;
    ReceivedText m_received;
};

} // namespace Kernwick
