#include "libkernwick/device/firmwaredownload.h"

#include "libkernwick/device/boardprotocol.h"
#include "libkernwick/device/byteport.h"
#include "libkernwick/device/conversation.h"
#include "libkernwick/device/xmodem.h"

#include <QFileInfo>
#include <QIODevice>

namespace Kernwick {

namespace {

const QByteArray ReceiveCommand = "S104000,#";
const QByteArray StartCommand = "g#";
// Bytes the debug-port waits read at most, so that a babbling line cannot hold them.
constexpr int MaxAnswerBytes = Conversation::MaxDrainBytes;

// Debug port: "reset x" and the firmware's answer up to its ")".
bool resetFromConsole(Conversation &c)
{
    c.appendLog(QStringLiteral("Sending reset for download command\r\n"));
    c.port().writeString("reset x\n");
    c.pause(100);
    QByteArray reply;
    std::uint8_t byte = 0;
    while (reply.size() < MaxAnswerBytes && !c.stopRequested() && c.port().readByte(&byte)) {
        reply.append(char(byte));
        if (reply.contains(')'))
            break;
        c.pause(10);
    }
    return !c.stopRequested();
}

// Debug port: asks for the transfer until the monitor's "C" arrives; every other byte
// that comes first asks again. Silence ends the wait and the blocks go anyway.
bool startReceiveAskingAgain(Conversation &c)
{
    QByteArray reply;
    c.port().writeString(ReceiveCommand);
    c.pause(10);
    std::uint8_t byte = 0;
    while (reply.size() < MaxAnswerBytes && !c.stopRequested() && c.port().readByte(&byte)) {
        c.pause(10);
        reply.append(char(byte));
        if (reply.contains(char(Xmodem::CrcRequest)))
            break;
        c.port().writeString(ReceiveCommand);
    }
    return !c.stopRequested();
}

// Main port and repair: the monitor's "C" is drained, not awaited.
bool startReceiveDraining(Conversation &c)
{
    c.drainInput();
    c.port().writeString(ReceiveCommand);
    c.drainInput();
    return !c.stopRequested();
}

// Main port: the reset for download, then the port again at the monitor's rate.
bool resetFromMainPort(Conversation &c)
{
    BytePort &port = c.port();
    c.appendLog(QStringLiteral("Sending reset for download command\r\n"));
    port.writeByte(ControlByte::Esc);
    port.writeString("[8265;1|");
    if (c.stopRequested())
        return false;

    c.appendLog(QStringLiteral("Reconfiguring comport\r\n"));
    c.end();
    if (!port.open(c.portName())) {
        c.appendLog(QStringLiteral("* Failed to reopen port *\r\n"));
        return false;
    }
    // A reopened port need not keep the time-outs, and every later wait relies on
    // reads ending after the read time-out: they are set again.
    if (!port.configure(MonitorBaudRate, 8, 0, 0, 0) ||
        !port.setTimeouts(0, port.timing().readTimeoutMs, 0, 0, 0)) {
        if (const auto box = port.takeFailureBox())
            c.showBox(*box);
        c.appendLog(QStringLiteral("* Failed to reconfigure port *\r\n"));
        port.close();
        return false;
    }
    c.portReopened();
    return true;
}

bool reachMonitor(Conversation &c, const FirmwareDownload &request)
{
    switch (request.dialect) {
    case FirmwareDialect::DebugPort:
        return c.openPortLogged(MonitorBaudRate) && c.detectDebugPort(DebugWording::Device) &&
               resetFromConsole(c);
    case FirmwareDialect::MainPort:
        return c.openPortLogged(request.baudRate) && c.detectBoard() && resetFromMainPort(c);
    case FirmwareDialect::Repair:
        return c.openPortLogged(MonitorBaudRate) && c.detectBootMonitor();
    }
    return false;
}

bool startReceive(Conversation &c, FirmwareDialect dialect)
{
    c.appendLog(QStringLiteral("Preparing to download\r\nBeginning download\r\n"));
    c.speak(WireDialect::BootMonitor);
    return dialect == FirmwareDialect::DebugPort ? startReceiveAskingAgain(c)
                                                 : startReceiveDraining(c);
}

// The repair download's failure: no log line; its progress display goes and a box
// says so once the port is closed.
DownloadOutcome repairFailed(Conversation &c)
{
    c.end();
    return {DownloadResult::Failed, repairFailedBox(), true};
}

// The command's report of block `k` refused 21 times.
DownloadOutcome blockFailed(Conversation &c, FirmwareDialect dialect, int k)
{
    switch (dialect) {
    case FirmwareDialect::DebugPort:
        c.appendLog(QStringLiteral("Error uploading data-packet no. %1\r\n").arg(k));
        break;
    case FirmwareDialect::MainPort:
        c.appendLog(QStringLiteral("* Data transfer failed\r\nPacket # %1").arg(k));
        break;
    case FirmwareDialect::Repair:
        return repairFailed(c);
    }
    c.end();
    return {DownloadResult::Failed};
}

// The line went with the end of the transfer.
DownloadOutcome endLost(Conversation &c, FirmwareDialect dialect)
{
    if (dialect == FirmwareDialect::Repair)
        return repairFailed(c);
    c.appendLog(QStringLiteral("* End of transfer not acknowledged *"));
    return stoppedOrFailed(c);
}

} // namespace

BoxMessage downloadCompleteBox()
{
    return appBox(QStringLiteral("Download Complete"));
}

BoxMessage repairFailedBox()
{
    return appBox(QStringLiteral("error downloading data"));
}

ProgressCaptions firmwareDownloadCaptions(const QString &filePath, const QString &portName)
{
    return {QStringLiteral("Downloading file: %1").arg(QFileInfo(filePath).fileName()),
            portCaption(portName)};
}

DownloadOutcome downloadFirmware(Conversation &c, QIODevice &file, const FirmwareDownload &request)
{
    const int total = progressTotal(file.size(), Xmodem::BlockSize);
    c.reportProgress(0, total);

    if (!reachMonitor(c, request) || !startReceive(c, request.dialect))
        return stoppedOrFailed(c);

    // Blocks are numbered from 1 and travel modulo 256; a short last block is padded
    // (the board gets the whole file, not the file less its tail).
    int k = 0;
    QByteArray block;
    c.beginTransfer(ProgressUnit::Blocks, pieceCount(file.size(), Xmodem::BlockSize));
    for (;;) {
        if (!readPiece(file, Xmodem::BlockSize, &block))
            return fileReadFailed(c);
        if (block.isEmpty())
            break;
        ++k;
        if (!c.port().sendBlock(std::uint8_t(k % 256), block)) {
            if (c.stopIfRequested())
                return {DownloadResult::Stopped};
            return blockFailed(c, request.dialect, k);
        }
        if (request.dialect == FirmwareDialect::DebugPort)
            c.appendLog(QStringLiteral("packet %1\r\n").arg(k));
        c.reportProgress(k, total);
        c.reportTransfer(k);
        if (c.stopIfRequested())
            return {DownloadResult::Stopped};
    }

    const EotResult end = c.port().sendEot();
    if (c.stopIfRequested())
        return {DownloadResult::Stopped};
    if (!end.accepted())
        return endLost(c, request.dialect);
    // Every block was acknowledged, so a receiver that kept silent or kept refusing
    // the EOT has the whole file; the transfer goes on as done, but says so.
    if (!end.confirmed())
        c.appendLog(QStringLiteral("End of transfer not confirmed by the receiver\r\n"));
    c.appendLog(QStringLiteral("Download complete\r\n"));
    c.confirm(downloadCompleteBox());
    if (c.stopIfRequested())
        return {DownloadResult::Stopped};
    c.port().writeString(StartCommand);
    c.end();
    return {DownloadResult::Completed};
}

} // namespace Kernwick
