#include "libkernwick/device/conversation.h"

#include "libkernwick/device/boardprotocol.h"
#include "libkernwick/device/byteport.h"

#include <QList>

namespace Kernwick {

namespace {

const QString zuvoNotDetected = QStringLiteral(
    "\r\n* ZUVO not detected *\r\nPlease verify\r\nZUVO is connected to main serial port\r\n"
    "computer is connected to correct serial port\r\nZUVO is powered\r\ncheck ZUVO serial rate");
const QString deviceNotDetected = QStringLiteral(
    "\r\n* Device not detected *\r\nPlease verify\r\ndevice is connected to main serial port\r\n"
    "computer is connected to correct serial port\r\nZUVO is powered\r\ncheck ZUVO serial rate");

} // namespace

bool consoleRefused(QByteArrayView reply, QByteArrayView prompt, bool wholeLinesOnly)
{
    const qsizetype end = reply.indexOf(prompt);
    QByteArray text = (end < 0 ? reply : reply.first(end)).toByteArray().replace('\r', '\n');
    QList<QByteArray> lines = text.split('\n');
    // The text after the last line end is a line still arriving.
    if (wholeLinesOnly && end < 0)
        lines.removeLast();
    for (QByteArray line : lines) {
        line = line.trimmed().toLower();
        for (const char *refusal : DebugRefusals) {
            if (line.startsWith(refusal))
                return true;
        }
    }
    return false;
}

Conversation::Conversation(BytePort &port, QString portName, ConversationHooks hooks)
    : m_port(port), m_portName(std::move(portName)), m_hooks(std::move(hooks))
{
    m_port.setStopCheck([this] { return portStopCheck(); });
}

Conversation::~Conversation()
{
    end();
    m_port.setStopCheck({});
}

void Conversation::appendLog(const QString &text)
{
    if (!text.isEmpty())
        m_lineOpen = !text.endsWith(QLatin1Char('\n'));
    if (m_hooks.appendLog)
        m_hooks.appendLog(text);
}

void Conversation::endLogLine()
{
    if (m_lineOpen)
        appendLog(QStringLiteral("\r\n"));
}

void Conversation::showBox(const BoxMessage &box)
{
    if (m_hooks.showBox)
        m_hooks.showBox(box);
}

void Conversation::reportProgress(int done, int total)
{
    if (m_hooks.progress)
        m_hooks.progress(done, total);
}

void Conversation::beginTransfer(ProgressUnit unit, int total)
{
    m_meter.begin(unit, total, m_port.bytesWritten(), m_port.timing().clock());
    m_transfer = {unit, -1, total};
    reportTransfer(0);
}

void Conversation::reportTransfer(int done)
{
    if (!m_meter.begun())
        return;
    const qint64 now = m_port.timing().clock();
    const TransferProgress figures = m_meter.at(done, m_port.bytesWritten(), now);
    // Often enough for a display to move, seldom enough that a fast line does not
    // flood it with reports.
    const bool first = m_transfer.done < 0;
    const bool due = first || figures.percent() != m_transfer.percent() ||
                     (figures.done != m_transfer.done && figures.done >= figures.total) ||
                     now - m_transferReportedMs >= TransferRefreshMs;
    if (!due || figures == m_transfer)
        return;
    m_transfer = figures;
    m_transferReportedMs = now;
    if (m_hooks.transfer)
        m_hooks.transfer(m_transfer);
}

bool Conversation::portStopCheck()
{
    // The port asks before every paced byte: the bytes sent of a long piece (a font
    // chunk takes seconds) are reported as they go out, until the last piece is done.
    if (m_transfer.done >= 0 && m_transfer.done < m_transfer.total)
        reportTransfer(m_transfer.done);
    return stopRequested();
}

void Conversation::startPart(const ProgressCaptions &captions, int total)
{
    if (m_hooks.partStarted)
        m_hooks.partStarted(captions, total);
    reportProgress(0, total);
}

void Conversation::endPart()
{
    if (m_hooks.partEnded)
        m_hooks.partEnded();
}

void Conversation::reportMemoryErased(int device)
{
    if (m_hooks.memoryErased)
        m_hooks.memoryErased(device);
}

void Conversation::confirm(const BoxMessage &box)
{
    if (m_hooks.confirm)
        m_hooks.confirm(box);
}

void Conversation::pause(int ms)
{
    if (ms > 0 && m_port.timing().sleep)
        m_port.timing().sleep(ms);
}

bool Conversation::stopRequested() const
{
    return m_stopDeferrals == 0 && stopAsked();
}

bool Conversation::stopAsked() const
{
    return m_hooks.stopRequested && m_hooks.stopRequested();
}

void Conversation::speak(WireDialect dialect)
{
    m_port.setDialect(dialect);
}

bool Conversation::lineLost() const
{
    return m_opened && !m_port.isOpen();
}

void Conversation::reportLineLost()
{
    if (m_lossLogged)
        return;
    m_lossLogged = true;
    endLogLine();
    appendLog(QStringLiteral("The line to %1 was lost\r\n").arg(m_portName));
}

bool Conversation::giveUpWaiting(bool readSomething) const
{
    return !m_port.isOpen() || (!readSomething && stopAsked());
}

bool Conversation::stopIfRequested()
{
    if (!stopRequested())
        return false;
    if (!m_stopLogged) {
        m_stopLogged = true;
        appendLog(m_lineOpen ? QStringLiteral("\r\n* Stopped *") : QStringLiteral("* Stopped *"));
    }
    end();
    return true;
}

void Conversation::end()
{
    m_port.closeOpenFrame();
    m_port.close();
    m_opened = false;
}

void Conversation::portReopened()
{
    m_opened = true;
    speak(WireDialect::Raw);
}

bool Conversation::openPortLogged(qint32 baudRate)
{
    return openPort(baudRate, true);
}

bool Conversation::openPortBoxed(qint32 baudRate)
{
    return openPort(baudRate, false);
}

bool Conversation::openPort(qint32 baudRate, bool logged)
{
    if (stopIfRequested())
        return false;
    if (logged)
        appendLog(QStringLiteral("Opening com port\r\n"));
    if (!m_port.open(m_portName)) {
        if (logged)
            appendLog(QStringLiteral("*Open port failed*\r\nPlease ensure port is available"));
        else
            showBox(appBox(QStringLiteral("OpenPort failed")));
        return false;
    }
    if (logged)
        appendLog(QStringLiteral("Port opened\r\nConfiguring com port\r\n"));

    if (!m_port.configure(baudRate, 8, 0, 0, 0)) {
        if (const auto box = m_port.takeFailureBox())
            showBox(*box);
        if (logged)
            appendLog(QStringLiteral(
                "*Unable to configure port*\r\nPlease check computer port hardware"));
        else
            showBox(appBox(QStringLiteral("ConfigurePort failed")));
        end();
        return false;
    }
    if (!m_port.setTimeouts(0, m_port.timing().readTimeoutMs, 0, 0, 0)) {
        if (const auto box = m_port.takeFailureBox())
            showBox(*box);
        if (logged)
            appendLog(QStringLiteral(
                "*Unable to set port timeouts*\r\nPlease check computer port hardware"));
        else
            showBox(appBox(QStringLiteral("SetCommunicationTimeouts failed")));
        end();
        return false;
    }
    if (logged)
        appendLog(QStringLiteral("Port configured successfully\r\n"));
    m_opened = true;
    speak(WireDialect::Raw);
    return true;
}

bool Conversation::waitForAnswer(QByteArrayView wanted, const QString &detected,
                                 const QString &notDetected)
{
    QByteArray reply;
    for (int read = 0; read < DetectReads && !stopRequested(); ++read) {
        appendLog(QStringLiteral("."));
        std::uint8_t byte = 0;
        const bool arrived = m_port.readByte(&byte);
        if (arrived)
            reply.append(char(byte));
        if (reply.contains(wanted)) {
            appendLog(detected);
            drainInput();
            return true;
        }
        if (giveUpWaiting(arrived))
            break;
    }
    return failDetection(notDetected);
}

bool Conversation::failDetection(const QString &text)
{
    if (stopIfRequested())
        return false;
    if (lineLost())
        reportLineLost();
    else
        appendLog(text);
    end();
    return false;
}

bool Conversation::detectBoard()
{
    appendLog(QStringLiteral("Verifying ZUVO is present\r\n"));
    speak(WireDialect::MainPort);
    m_port.writeString(QByteArray(SequenceInitiator) + "1}");
    return waitForAnswer("v4", QStringLiteral("\r\nZUVO detected\r\n"), zuvoNotDetected);
}

bool Conversation::detectDebugPort(DebugWording wording)
{
    speak(WireDialect::Console);
    if (wording == DebugWording::Zuvo) {
        appendLog(QStringLiteral("Verifying ZUVO is present\r\n"));
        m_port.writeString("\n");
        return waitForAnswer(">", QStringLiteral("\r\nZUVO detected\r\n"), zuvoNotDetected);
    }
    appendLog(QStringLiteral("Verifying device is present\r\n"));
    m_port.writeByte(ControlByte::Cr);
    return waitForAnswer(">", QStringLiteral("\r\nDevice detected\r\n"), deviceNotDetected);
}

bool Conversation::detectBootMonitor()
{
    appendLog(QStringLiteral("Verifying device is present\r\n"));
    speak(WireDialect::BootMonitor);
    m_port.writeString("V#");
    for (int read = 0; read < MonitorDetectReads && !stopRequested(); ++read) {
        appendLog(QStringLiteral("."));
        std::uint8_t byte = 0;
        const bool arrived = m_port.readByte(&byte);
        if (byte == '>') {
            appendLog(QStringLiteral("\r\nDevice detected\r\n"));
            return true;
        }
        if (giveUpWaiting(arrived))
            break;
    }
    return failDetection(deviceNotDetected);
}

void Conversation::drainInput()
{
    std::uint8_t byte = 0;
    for (int discarded = 0; discarded < MaxDrainBytes && !stopRequested() && m_port.readByte(&byte);
         ++discarded) {
    }
}

bool Conversation::readAck(std::uint8_t *answer)
{
    m_port.readByte(answer);
    return *answer == ControlByte::Ack;
}

bool Conversation::waitForByte(std::uint8_t wanted, int maxReads, std::uint8_t *last,
                               QByteArray *reply)
{
    std::uint8_t byte = 0;
    bool found = false;
    QByteArray buffer;
    for (int read = 0; read < maxReads && !found && !stopRequested(); ++read) {
        const bool arrived = m_port.readByte(&byte);
        if (arrived)
            buffer.append(char(byte));
        found = arrived && byte == wanted;
        if (!found && giveUpWaiting(arrived))
            break;
    }
    if (last)
        *last = byte;
    if (reply)
        *reply = std::move(buffer);
    return found;
}

bool Conversation::waitForText(QByteArrayView wanted, int maxReads, QByteArray *reply)
{
    QByteArray buffer;
    bool found = false;
    for (int read = 0; read < maxReads && !found && !stopRequested(); ++read) {
        std::uint8_t byte = 0;
        const bool arrived = m_port.readByte(&byte);
        if (arrived) {
            buffer.append(char(byte));
            found = buffer.contains(wanted);
        }
        if (!found && giveUpWaiting(arrived))
            break;
    }
    if (reply)
        *reply = std::move(buffer);
    return found;
}

bool Conversation::waitForConsole(QByteArrayView prompt, int maxReads, std::uint8_t *last)
{
    QByteArray buffer;
    std::uint8_t byte = 0;
    bool refused = false;
    for (int read = 0; read < maxReads && !stopRequested(); ++read) {
        const bool arrived = m_port.readByte(&byte);
        if (arrived) {
            buffer.append(char(byte));
            if (buffer.contains(prompt))
                break;
            if (byte == '\n' || byte == '\r')
                refused = refused || consoleRefused(buffer, prompt, true);
        } else if (refused || giveUpWaiting(arrived)) {
            // After a refusal the prompt may follow or not; silence ends the wait.
            break;
        }
    }
    if (last)
        *last = byte;
    return buffer.contains(prompt) && !consoleRefused(buffer, prompt);
}

} // namespace Kernwick
