#include "device/terminaldialog.h"

#include "device/boardtask.h"
#include "device/conversationhost.h"
#include "device/terminalline.h"
#include "device/transmitedit.h"
#include "widgets/messages.h"
#include "widgets/settings.h"

#include "libkernwick/config/textfile.h"
#include "libkernwick/device/terminalsession.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

namespace Kernwick {

namespace {

const QString EscShown = QStringLiteral("<ESC>");
const QString LineEndKey = QStringLiteral("Terminal/Line End");

} // namespace

TerminalDialog::TerminalDialog(ConversationHost &host, QWidget *parent)
    : QDialog(parent), m_host(host), m_receive(new QPlainTextEdit(this)),
      m_transmit(new TransmitEdit(this)),
      m_connect(new QPushButton(QStringLiteral("Connect"), this)),
      m_quit(new QPushButton(QStringLiteral("Quit"), this)),
      m_sendFile(new QPushButton(QStringLiteral("Send File"), this)),
      m_lineEndBox(new QComboBox(this)), m_status(new QLabel(this))
{
    setModal(false);
    for (const LineEnd lineEnd : {LineEnd::CrLf, LineEnd::Cr, LineEnd::Lf})
        m_lineEndBox->addItem(lineEndName(lineEnd), int(lineEnd));
    m_lineEndBox->setCurrentIndex(
        m_lineEndBox->findData(int(lineEndNamed(programSettings().value(LineEndKey).toString()))));
    m_lineEndBox->setFocusPolicy(Qt::TabFocus);
    connect(m_lineEndBox, &QComboBox::currentIndexChanged, this,
            [this] { programSettings().setValue(LineEndKey, lineEndName(lineEnd())); });
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    const QFontMetrics metrics(fixed);
    for (QPlainTextEdit *box : {m_receive, static_cast<QPlainTextEdit *>(m_transmit)}) {
        box->setFont(fixed);
        box->setMinimumWidth(metrics.horizontalAdvance(QLatin1Char('M')) * 72);
        box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    }
    m_receive->setReadOnly(true);
    m_receive->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_receive->setMinimumHeight(metrics.lineSpacing() * 10);
    m_transmit->setMinimumHeight(metrics.lineSpacing() * 10);

    m_quit->setDefault(true);
    for (QPushButton *button : {m_connect, m_quit, m_sendFile}) {
        button->setMinimumWidth(90);
        // The buttons are clicked; keys belong to the boxes and the dialog.
        button->setFocusPolicy(Qt::TabFocus);
    }
    connect(m_connect, &QPushButton::clicked, this, &TerminalDialog::toggleConnection);
    connect(m_quit, &QPushButton::clicked, this, &TerminalDialog::quit);
    connect(m_sendFile, &QPushButton::clicked, this, &TerminalDialog::sendFile);
    connect(m_transmit, &TransmitEdit::characterTyped, this,
            [this](std::uint8_t character) { send(typedBytes(character, lineEnd())); });

    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(24);
    buttons->addStretch();
    buttons->addWidget(m_connect);
    buttons->addWidget(m_quit);
    buttons->addWidget(m_sendFile);
    buttons->addStretch();
    auto *transmitHeading = new QHBoxLayout;
    transmitHeading->addWidget(new QLabel(QStringLiteral("Transmit"), this));
    transmitHeading->addStretch();
    auto *lineEndLabel = new QLabel(QStringLiteral("&Enter sends"), this);
    lineEndLabel->setBuddy(m_lineEndBox);
    transmitHeading->addWidget(lineEndLabel);
    transmitHeading->addWidget(m_lineEndBox);
    m_status->setFrameShape(QFrame::StyledPanel);
    m_status->setFrameShadow(QFrame::Sunken);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Receive"), this));
    layout->addWidget(m_receive, 1);
    layout->addSpacing(8);
    layout->addLayout(transmitHeading);
    layout->addWidget(m_transmit, 1);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->addWidget(m_status);
    updateStatus();
    m_transmit->setFocus();
}

LineEnd TerminalDialog::lineEnd() const
{
    return LineEnd(m_lineEndBox->currentData().toInt());
}

void TerminalDialog::updateStatus()
{
    const QString port = m_line ? m_linePort : m_host.selection().portName;
    const qint32 baud = m_line ? m_lineBaud : m_host.selection().baudRate;
    QString state;
    if (m_connected)
        state = m_stopping ? QStringLiteral("disconnecting") : QStringLiteral("connected");
    else if (m_line)
        state = QStringLiteral("connecting");
    else if (m_host.isBusy())
        state = QStringLiteral("not connected; the port is in use by another command");
    else
        state = QStringLiteral("not connected");
    const QString portText = port.isEmpty() ? QStringLiteral("no port") : port;
    setWindowTitle(QStringLiteral("Terminal - %1 at %2 baud - %3")
                       .arg(portText)
                       .arg(baud)
                       .arg(m_connected && !m_stopping ? QStringLiteral("connected")
                                                       : QStringLiteral("not connected")));
    m_status->setText(QStringLiteral("%1 at %2 baud: %3").arg(portText).arg(baud).arg(state));
    // Connect waits for a free port; Disconnect for the line to be open.
    m_connect->setEnabled(m_line ? m_connected && !m_stopping : !m_host.isBusy());
}

TerminalDialog::~TerminalDialog()
{
    // Nothing of the line reaches a dialog that is going away.
    if (m_line)
        disconnect(m_line, nullptr, this, nullptr);
    closeLine();
}

void TerminalDialog::toggleConnection()
{
    if (m_line) {
        // Disconnect: the button comes back once the port is closed.
        m_line->stop();
        m_stopping = true;
        updateStatus();
        return;
    }
    const QString problem = m_host.portProblem();
    if (!problem.isEmpty()) {
        showWarning(this, QStringLiteral("OpenPort failed\n%1").arg(problem));
        return;
    }
    auto outbox = std::make_shared<TerminalOutbox>();
    const qint32 baud = m_host.selection().baudRate;
    const QString port = m_host.selection().portName;
    BoardTask *line = m_host.startConversation(
        [outbox, baud](Conversation &conversation, BoardTask &task) {
            return runTerminalLine(conversation, task, *outbox, baud);
        },
        this);
    if (!line)
        return; // another conversation holds the port
    m_line = line;
    m_outbox = outbox;
    m_linePort = port;
    m_lineBaud = baud;
    connect(line, &BoardTask::connected, this, &TerminalDialog::lineOpened);
    connect(line, &BoardTask::received, this, &TerminalDialog::showReceived);
    connect(line, &BoardTask::finished, this, &TerminalDialog::lineEnded);
    updateStatus();
}

void TerminalDialog::lineOpened()
{
    m_connected = true;
    m_connect->setText(QStringLiteral("Disconnect"));
    updateStatus();
}

void TerminalDialog::lineEnded()
{
    m_connected = false;
    m_stopping = false;
    m_line = nullptr;
    m_outbox.reset();
    m_connect->setText(QStringLiteral("Connect"));
    updateStatus();
}

void TerminalDialog::closeLine()
{
    if (!m_line)
        return;
    m_line->stop();
    m_line->waitUntilFinished();
}

void TerminalDialog::send(QByteArrayView bytes)
{
    // While not connected the port is closed and nothing goes out.
    if (m_connected && m_outbox)
        m_outbox->put(bytes);
}

void TerminalDialog::showReceived(const QByteArray &bytes)
{
    const QString text = m_received.take(bytes);
    if (text.isEmpty())
        return;
    QScrollBar *scroll = m_receive->verticalScrollBar();
    const bool following = scroll->value() == scroll->maximum();
    // Received text goes to the end in the order it came, wherever the user has
    // clicked, and what the user selected stays selected.
    QTextCursor end(m_receive->document());
    end.movePosition(QTextCursor::End);
    end.insertText(text);
    if (following)
        scroll->setValue(scroll->maximum());
}

void TerminalDialog::sendFile()
{
    const QString path = chooseFile(
        this, FileRequest::open(QStringLiteral("Send File"), QStringLiteral("All Files (*)")));
    if (path.isEmpty())
        return;
    QByteArray bytes;
    QString error;
    if (!readBoundedFile(path, MaxSentFileBytes, &bytes, &error)) {
        showWarning(this, error);
        return;
    }
    send(bytes);
    // A zero byte shows as nothing, as it always has.
    m_transmit->insertShown(sentFileEcho(bytes).remove(QChar(0)));
}

void TerminalDialog::quit()
{
    closeLine();
    accept();
}

void TerminalDialog::reject()
{
    send(QByteArrayView("\x1b", 1));
    m_transmit->insertShown(EscShown);
}

void TerminalDialog::closeEvent(QCloseEvent *event)
{
    // The close box quits; the dialog's own close would be its Cancel command.
    quit();
    event->accept();
}

} // namespace Kernwick
